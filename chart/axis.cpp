// Axis scaling for the chart: label steps, label positions and label texts, free of any painting.
#include "chart/axis.h"

#include "data/conversions.h"
#include "health/body.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace axis {

namespace {

// max / step is rarely a whole number in binary even when it is one in decimal (0.3 / 0.1, 45000 + 10 h / 1 h),
// so quotients within a few million ulps of a whole number count as that number.
double tolerance(double quotient)
{
    return std::max(1e-9, std::abs(quotient) * 1e-12);
}

qint64 lastMultiple(double max, double step)
{
    const double q = max / step;
    return static_cast<qint64>(std::floor(q + tolerance(q)));
}

qint64 firstMultiple(double min, double step)
{
    const double q = min / step;
    return static_cast<qint64>(std::ceil(q - tolerance(q)));
}

bool usable(double min, double max, double step)
{
    return std::isfinite(min) && std::isfinite(max) && std::isfinite(step) && step > 0 && min <= max &&
           std::abs(max / step) < 4e18 && std::abs(min / step) < 4e18;
}

} // namespace

int labelsThatFit(int axisLengthPx, int labelSizePx)
{
    if (axisLengthPx <= 0)
        return 1;
    if (labelSizePx <= 0)
        return std::max(1, axisLengthPx);
    // length / (size * 1.1) in whole numbers, so that an exact fit is not lost to rounding.
    const qint64 fit = static_cast<qint64>(axisLengthPx) * 10 / (static_cast<qint64>(labelSizePx) * 11);
    return static_cast<int>(std::max<qint64>(1, fit));
}

qint64 labelCount(double min, double max, double step)
{
    if (!usable(min, max, step))
        return 0;
    return std::max<qint64>(0, lastMultiple(max, step) - firstMultiple(min, step) + 1);
}

std::vector<double> labelValues(double min, double max, double step)
{
    std::vector<double> values;
    if (!usable(min, max, step))
        return values;
    const qint64 low = firstMultiple(min, step);
    const qint64 high = lastMultiple(max, step);
    if (high < low)
        return values;
    values.reserve(static_cast<std::size_t>(std::min<qint64>(high - low + 1, 100000)));
    for (qint64 k = high; k >= low && values.size() < 100000; --k)
        values.push_back(static_cast<double>(k) * step);
    return values;
}

const std::vector<double>& dateSteps()
{
    static const std::vector<double> steps = {
        second,      5 * second, 10 * second, 15 * second, 30 * second, minute, 5 * minute, 10 * minute, 15 * minute,
        30 * minute, hour,       2 * hour,    6 * hour,    12 * hour,   1,      2,          3,           7,
        15,          30,         60,          90,          120,         182,    365,
    };
    return steps;
}

double dateStep(double min, double max, int axisLengthPx, int labelWidthPx)
{
    if (!std::isfinite(min) || !std::isfinite(max))
        return 1;
    if (max < min)
        std::swap(min, max);
    const int fit = labelsThatFit(axisLengthPx, labelWidthPx);
    for (double step : dateSteps()) {
        if (labelCount(min, max, step) <= fit)
            return step;
    }
    double step = dateSteps().back();
    // Once the step exceeds the range at most one multiple is left, and at least one label always fits.
    while (labelCount(min, max, step) > fit)
        step *= 2;
    return step;
}

double numberStep(double min, double max, int axisLengthPx, int labelHeightPx)
{
    constexpr double smallest = 0.001; // the labels show three decimals, finer steps would repeat them
    if (!std::isfinite(min) || !std::isfinite(max))
        return 1;
    if (max < min)
        std::swap(min, max);
    const int fit = labelsThatFit(axisLengthPx, labelHeightPx);
    // A step fits only if range / step < fit + 1, so nothing below this decade can fit.
    const double range = max - min;
    int exponent = range > 0 ? static_cast<int>(std::floor(std::log10(range / (fit + 1)))) : -3;
    exponent = std::max(exponent, -3);
    static const int mantissas[] = {1, 2, 5};
    for (;; ++exponent) {
        // Dividing by an exact power of ten keeps 0.1, 0.2, 0.05 ... as close as doubles get to them.
        const double decade = exponent >= 0 ? std::pow(10.0, exponent) : 1.0 / std::pow(10.0, -exponent);
        for (int m : mantissas) {
            const double step = m * decade;
            if (step >= smallest * (1 - 1e-9) && labelCount(min, max, step) <= fit)
                return step;
        }
        if (exponent > 300)
            return decade;
    }
}

std::vector<double> minorTickValues(double min, double max, double step)
{
    std::vector<double> values;
    const double quarter = step / 4;
    if (!usable(min, max, quarter))
        return values;
    const qint64 low = firstMultiple(min, quarter);
    const qint64 high = lastMultiple(max, quarter);
    for (qint64 k = low; k <= high && values.size() < 400000; ++k) {
        if (k % 4 != 0)
            values.push_back(static_cast<double>(k) * quarter);
    }
    return values;
}

QString formatNumber(double value, const QLocale& locale)
{
    return health::numberText(value, locale);
}

QString formatDate(double value, const QString& format)
{
    return conversions::fromOleDate(value).toString(format);
}

} // namespace axis
