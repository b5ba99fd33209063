// Exercise energy and the real daily use.
#include "health/energy.h"

#include <algorithm>
#include <cmath>

namespace health {

int exerciseEnergy(double met, double weightJin, double minutes)
{
    const double kcal = (met - 1) * (weightJin / 2) * (minutes / 60);
    // Settled at a millionth first, so that a product that is a half in decimals (142.5) is not a hair below it.
    return static_cast<int>(std::lround(std::max(0.0, std::round(kcal * 1e6) / 1e6)));
}

int roundToTen(double kcal)
{
    return static_cast<int>(std::lround(kcal / 10)) * 10;
}

RealUse realUse(const std::vector<DayIntake>& intake, const std::vector<TrendAt>& trend, const QDate& today)
{
    const QDate first = today.addDays(-realUseDays);
    const QDate last = today.addDays(-1);
    const auto inWindow = [&](const QDate& day) { return day >= first && day <= last; };

    RealUse result;
    double eaten = 0;
    for (const DayIntake& day : intake)
        if (inWindow(day.day) && day.kcal >= completeLogKcal) {
            eaten += day.kcal;
            ++result.days;
        }
    if (result.days < realUseMinimumDays)
        return result;

    const TrendAt* start = nullptr;
    const TrendAt* end = nullptr;
    for (const TrendAt& point : trend) {
        if (!inWindow(point.day))
            continue;
        if (!start || point.day < start->day)
            start = &point;
        if (!end || point.day >= end->day)
            end = &point;
    }
    if (!start || start->day.daysTo(end->day) < realUseMinimumDays) {
        result.kind = RealUse::Kind::TooFewWeighings;
        return result;
    }
    const double stored = (end->jin - start->jin) * kcalPerJin / start->day.daysTo(end->day);
    result.kind = RealUse::Kind::Estimate;
    result.kcal = roundToTen(eaten / result.days - stored);
    return result;
}

} // namespace health
