// How the trend is said: the weight and weekly rate in tenths, and the chart's title while the trend is shown. The
// arithmetic is health/trend.h.
#pragma once

#include "chart/lineseries.h"
#include "data/conversions.h"
#include "health/trend.h"

#include <QLocale>
#include <QString>
#include <vector>

namespace trend {

// A weight at one decimal, "143.2", with the locale's minus sign when negative.
QString tenths(double value, const QLocale& locale = conversions::locale());
// A weekly rate as the title shows it: one decimal, the locale's minus sign for a loss, its plus sign for a gain, no
// sign when it rounds to zero.
QString rateText(double rate, const QLocale& locale = conversions::locale());
// "趋势 71.3斤，每周 -0.8斤" as in the title below; empty without a trend.
QString summary(const std::vector<LineSeries::Point>& trend, const QLocale& locale = conversions::locale());

// The chart's title while the trend is shown: "瘦身曲线（趋势 71.3斤，每周 -0.8斤）", the rate left out when there is
// none, the base alone when there is no trend. One decimal: a scale shows tenths of a jin, and finer digits would
// only repeat the noise that the trend hides. A loss carries the locale's minus sign and a gain its plus sign, as
// the numbers of the diary do; a rate that rounds to zero has no sign.
// `projection`, when given, follows the rate: "瘦身曲线（趋势 143.2斤，每周 -0.9斤，预计 2027年5月3日 达到目标）".
QString title(const QString& base, const std::vector<LineSeries::Point>& trend,
              const QLocale& locale = conversions::locale(), const QString& projection = {});

} // namespace trend
