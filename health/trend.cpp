// The weight trend and the check on unlikely weights.
#include "health/trend.h"

#include <cmath>
#include <iterator>

namespace health {

namespace {

// Weighings taken exactly rateDays before the newest one are outside the window, though their times, stored to the
// millisecond, differ from it by rounding in days.
constexpr double windowTolerance = 1e-6;

} // namespace

std::vector<WeightPoint> smooth(const std::vector<WeightPoint>& points)
{
    std::vector<WeightPoint> trend;
    trend.reserve(points.size());
    for (const WeightPoint& point : points) {
        if (!point.weighed())
            continue;
        const double value = trend.empty() ? point.y : trend.back().y + smoothing * (point.y - trend.back().y);
        trend.push_back({point.x, value, false});
    }
    return trend;
}

std::optional<double> weeklyRate(const std::vector<WeightPoint>& trend)
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

std::optional<Departure> unlikelyWeight(const std::vector<WeightPoint>& points, double weight)
{
    if (!(weight > 0))
        return std::nullopt;
    const std::vector<WeightPoint> trend = smooth(points);
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

} // namespace health
