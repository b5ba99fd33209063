// The weight trend under the day-to-day swings: an exponentially smoothed line and its weekly rate.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>
#include <vector>

namespace trend {

// A diary row as the trend reads it.
struct Point {
    double x = 0;       // date-time as days since 1899-12-30
    double y = 0;       // 0 when the source was empty
    bool yNull = false; // the source of y was empty
    // A weighing: no one weighs 0 or less, so such a value (which other programs store for "no weight") is none.
    bool weighed() const { return !yNull && y > 0; }
};

// Each weighing moves the trend a tenth of the way towards it.
inline constexpr double smoothing = 0.1;
// The rate is the slope over the trend values of this many days, counted back from the newest weighing.
inline constexpr double rateDays = 28;

// The trend over the weighed points, in their order (ascending time): t1 = w1, ti = ti-1 + 0.1 (wi - ti-1).
// A point without a weight, or with none above 0, is no weighing and is left out.
std::vector<Point> smooth(const std::vector<Point>& points);

// The least-squares slope of the trend values later than rateDays before the last one, in weight per week;
// nothing when fewer than two of them lie there at different times.
std::optional<double> weeklyRate(const std::vector<Point>& trend);

// A weight at one decimal, "143.2", with the locale's minus sign when negative.
QString tenths(double value, const QLocale& locale);
// A weekly rate as the title shows it: one decimal, the locale's minus sign for a loss, its plus sign for a gain, no
// sign when it rounds to zero.
QString rateText(double rate, const QLocale& locale);
// "趋势 71.3斤，每周 -0.8斤" as in the title below; empty without a trend.
QString summary(const std::vector<Point>& trend, const QLocale& locale);

// The chart's title while the trend is shown: "瘦身曲线（趋势 71.3斤，每周 -0.8斤）", the rate left out when there is
// none, the base alone when there is no trend. One decimal: a scale shows tenths of a jin, and finer digits would
// only repeat the noise that the trend hides. A loss carries the locale's minus sign and a gain its plus sign, as
// the numbers of the diary do; a rate that rounds to zero has no sign.
// `projection`, when given, follows the rate: "瘦身曲线（趋势 143.2斤，每周 -0.9斤，预计 2027年5月3日 达到目标）".
QString title(const QString& base, const std::vector<Point>& trend, const QLocale& locale,
              const QString& projection = {});

// A weight that departs from the newest trend by more than this share is more likely a slip of the keys (1530 for
// 153.0, a weight left in the box from another day) than a change of the body, and is asked about before it is saved.
inline constexpr double unlikelyShare = 0.06;
// With fewer weighings than this the trend has not settled: the newest weighing is the reference instead.
inline constexpr int settledWeighings = 5;

struct Departure {
    double reference;  // the trend, or the newest weighing
    double difference; // weight - reference, in the weights' unit
    double percent;    // of the reference
};

// How far `weight` departs from the reference of the weighings in `points` (ascending time, as for smooth), when by
// more than unlikelyShare; nothing for no weight (0 or less), no weighing to compare with, or a departure within it.
std::optional<Departure> unlikelyWeight(const std::vector<Point>& points, double weight);

} // namespace trend
