// The waist bands, the ratios and the changes of the body's measures.
#include "health/measure.h"

#include <QRegularExpression>
#include <cmath>

namespace health {

namespace {

double atTenth(double value)
{
    return std::round(value * 10) / 10;
}

} // namespace

WaistBands waistBands(Sex sex)
{
    switch (sex) {
    case Sex::Male:
        return {85, 90};
    case Sex::Female:
        break;
    }
    return {80, 85};
}

WaistClass waistClass(double waistCm, Sex sex)
{
    const WaistBands bands = waistBands(sex);
    const double shown = atTenth(waistCm);
    if (shown >= bands.central)
        return WaistClass::Central;
    if (shown >= bands.preCentral)
        return WaistClass::PreCentral;
    return WaistClass::Normal;
}

QString waistClassName(WaistClass waistClass)
{
    switch (waistClass) {
    case WaistClass::Normal:
        return QStringLiteral("正常");
    case WaistClass::PreCentral:
        return QStringLiteral("中心型肥胖前期");
    case WaistClass::Central:
        break;
    }
    return QStringLiteral("中心型肥胖");
}

std::optional<double> waistClassStart(WaistClass waistClass, Sex sex)
{
    switch (waistClass) {
    case WaistClass::Normal:
        return std::nullopt;
    case WaistClass::PreCentral:
        return waistBands(sex).preCentral;
    case WaistClass::Central:
        break;
    }
    return waistBands(sex).central;
}

std::optional<double> ratio(double a, double b)
{
    if (!(b > 0))
        return std::nullopt;
    return std::round(a / b * 100) / 100;
}

QString measureText(double value)
{
    return QString::number(atTenth(value), 'f', 1).remove(QRegularExpression(QStringLiteral("\\.0$")));
}

std::optional<double> valueOf(const Measurement& row, Measure measure)
{
    switch (measure) {
    case Measure::Waist:
        return row.waist;
    case Measure::Hip:
        return row.hip;
    case Measure::Fat:
        break;
    }
    return row.fat;
}

Change changeOf(const std::vector<Measurement>& rows, Measure measure)
{
    Change change;
    const Measurement* first = nullptr;
    const Measurement* newest = nullptr;
    for (const Measurement& row : rows) {
        if (!valueOf(row, measure))
            continue;
        if (!first)
            first = &row;
        newest = &row;
    }
    if (!newest)
        return change;
    change.newest = valueOf(*newest, measure);
    change.newestDate = newest->date;
    if (first != newest)
        change.sinceFirst = atTenth(*change.newest - *valueOf(*first, measure));
    const QDate from = newest->date.addDays(-recentDays);
    for (const Measurement& row : rows) {
        if (&row == newest)
            break;
        if (row.date >= from && valueOf(row, measure)) {
            change.recent = atTenth(*change.newest - *valueOf(row, measure));
            break;
        }
    }
    return change;
}

std::vector<MonthMeans> byMonth(const std::vector<Measurement>& rows)
{
    std::vector<MonthMeans> months;
    double waistSum = 0, fatSum = 0;
    int waists = 0, fats = 0;
    const auto close = [&] {
        if (months.empty())
            return;
        MonthMeans& month = months.back();
        if (waists > 0)
            month.waist = atTenth(waistSum / waists);
        if (fats > 0)
            month.fat = atTenth(fatSum / fats);
        if (!month.waist && !month.fat)
            months.pop_back();
        waistSum = fatSum = 0;
        waists = fats = 0;
    };
    for (const Measurement& row : rows) {
        if (months.empty() || months.back().year != row.date.year() || months.back().month != row.date.month()) {
            close();
            months.push_back({row.date.year(), row.date.month(), std::nullopt, std::nullopt});
        }
        if (row.waist) {
            waistSum += *row.waist;
            ++waists;
        }
        if (row.fat) {
            fatSum += *row.fat;
            ++fats;
        }
    }
    close();
    return months;
}

} // namespace health
