// The weight trend under the day-to-day swings: an exponentially smoothed line and its weekly rate, and the check on
// a weight that departs too far from it. Plain points, no widget, no SQL.
#pragma once

#include <optional>
#include <vector>

namespace health {

// One entry of the diary as a point: its time and its weight.
struct WeightPoint {
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
std::vector<WeightPoint> smooth(const std::vector<WeightPoint>& points);

// The least-squares slope of the trend values later than rateDays before the last one, in weight per week;
// nothing when fewer than two of them lie there at different times.
std::optional<double> weeklyRate(const std::vector<WeightPoint>& trend);

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
std::optional<Departure> unlikelyWeight(const std::vector<WeightPoint>& points, double weight);

} // namespace health
