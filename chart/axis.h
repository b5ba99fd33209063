// Axis scaling for the chart: label steps, label positions and label texts, free of any painting.
#pragma once

#include "data/conversions.h"

#include <QLocale>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace axis {

// One second, one minute and one hour as fractions of a day, the unit of date-time values.
inline constexpr double second = 1.0 / 86400.0;
inline constexpr double minute = 1.0 / 1440.0;
inline constexpr double hour = 1.0 / 24.0;

// How many labels fit along an axis when each keeps 10 % of its size free; never less than one.
int labelsThatFit(int axisLengthPx, int labelSizePx);

// Whole multiples of step within [min, max], counted with a little tolerance against rounding.
qint64 labelCount(double min, double max, double step);
// The same multiples, from the largest one not above max going down.
std::vector<double> labelValues(double min, double max, double step);

// Candidate steps of a date-time axis, in days, up to a year; beyond that the step doubles.
const std::vector<double>& dateSteps();
// The first candidate step that leaves no more labels than fit along the axis.
double dateStep(double min, double max, int axisLengthPx, int labelWidthPx);

// The smallest step of 1, 2, 5 times a power of ten (down to 0.001) whose labels fit along the axis.
double numberStep(double min, double max, int axisLengthPx, int labelHeightPx);

// Three minor ticks between neighbouring labels, and as many of them beyond the outer labels as lie within range.
std::vector<double> minorTickValues(double min, double max, double step);

// "#,##0.###": thousands grouped, at most three decimals, no trailing zeros; the locale's group and decimal
// separators and minus sign, as every other number the user reads.
QString formatNumber(double value, const QLocale& locale = conversions::locale());
// A date-time value (days since 1899-12-30) in a Qt date-time format.
QString formatDate(double value, const QString& format);

} // namespace axis
