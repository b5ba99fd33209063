// The weight trend under the day-to-day swings: an exponentially smoothed line and its weekly rate.
#include "health/trend.h"

#include <cmath>

namespace trend {

namespace {

// Weighings taken exactly rateDays before the newest one are outside the window, though their times, stored to the
// millisecond, differ from it by rounding in days.
constexpr double windowTolerance = 1e-6;

} // namespace

QString tenths(double value, const QLocale& locale)
{
    // A weight too large for tenths (only a damaged file holds one) is shown as it is.
    const double rounded = std::isfinite(value * 10) ? std::round(value * 10) / 10 : value;
    QString text = locale.toString(std::abs(rounded), 'f', 1);
    if (rounded < 0)
        text.prepend(locale.negativeSign());
    return text;
}

QString rateText(double rate, const QLocale& locale)
{
    QString number = tenths(rate, locale);
    if (std::round(rate * 10) > 0)
        number.prepend(locale.positiveSign());
    return number;
}

std::vector<Point> smooth(const std::vector<Point>& points)
{
    std::vector<Point> trend;
    trend.reserve(points.size());
    for (const Point& point : points) {
        if (!point.weighed())
            continue;
        const double value = trend.empty() ? point.y : trend.back().y + smoothing * (point.y - trend.back().y);
        trend.push_back({point.x, value, false});
    }
    return trend;
}

std::optional<double> weeklyRate(const std::vector<Point>& trend)
{
    if (trend.size() < 2)
        return std::nullopt;
    const double newest = trend.back().x;
    const double from = newest - rateDays + windowTolerance;
    auto first = trend.end();
    while (first != trend.begin() && std::prev(first)->x > from)
        --first;
    const auto count = static_cast<double>(trend.end() - first);
    if (count < 2)
        return std::nullopt;
    // Centred on the newest time, so that the sums keep the digits of a few days rather than of 45,000.
    double sumX = 0;
    double sumY = 0;
    for (auto it = first; it != trend.end(); ++it) {
        sumX += it->x - newest;
        sumY += it->y;
    }
    const double meanX = sumX / count;
    const double meanY = sumY / count;
    double sxx = 0;
    double sxy = 0;
    for (auto it = first; it != trend.end(); ++it) {
        const double dx = it->x - newest - meanX;
        sxx += dx * dx;
        sxy += dx * (it->y - meanY);
    }
    if (!(sxx > 0))
        return std::nullopt;
    return sxy / sxx * 7;
}

QString summary(const std::vector<Point>& trend, const QLocale& locale)
{
    if (trend.empty())
        return QString();
    QString text = QStringLiteral("趋势 ") + tenths(trend.back().y, locale) + u'斤';
    if (const std::optional<double> rate = weeklyRate(trend))
        text += QStringLiteral("，每周 ") + rateText(*rate, locale) + u'斤';
    return text;
}

QString title(const QString& base, const std::vector<Point>& trend, const QLocale& locale, const QString& projection)
{
    if (trend.empty() || base.isEmpty())
        return base;
    QString text = base + u'（' + summary(trend, locale);
    if (!projection.isEmpty())
        text += u'，' + projection;
    return text + u'）';
}

std::optional<Departure> unlikelyWeight(const std::vector<Point>& points, double weight)
{
    if (!(weight > 0))
        return std::nullopt;
    const std::vector<Point> trend = smooth(points);
    if (trend.empty())
        return std::nullopt;
    double reference = trend.back().y;
    if (trend.size() < static_cast<size_t>(settledWeighings)) {
        for (auto point = points.rbegin(); point != points.rend(); ++point) {
            if (!point->yNull && point->y > 0) {
                reference = point->y;
                break;
            }
        }
    }
    const double difference = weight - reference;
    // Compared as products: exactly 6 % of a reference in tenths is within, not a hair over through a division.
    if (std::abs(difference) * 100 <= unlikelyShare * 100 * reference * (1 + 1e-12))
        return std::nullopt;
    return Departure{reference, difference, std::abs(difference) / reference * 100};
}

} // namespace trend
