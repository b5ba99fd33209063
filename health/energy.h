// The energy side of a day: what an exercise burns, and what a body really uses, worked out from the food log and the
// weight trend rather than from a formula.
#pragma once

#include <QDate>
#include <optional>
#include <vector>

namespace health {

// A jin of body fat holds about this much energy (7,700 kcal a kilogram).
inline constexpr double kcalPerJin = 3850;
// The real use looks back this many days, today left out: its log is not finished yet.
inline constexpr int realUseDays = 28;
// It needs this many days of them with a complete log...
inline constexpr int realUseMinimumDays = 14;
// ...a complete log being one of at least this much: less is a day whose meals were not all written down.
inline constexpr double completeLogKcal = 800;

// kcal that `minutes` of an activity of `met` burn in a body of `weightJin` beyond what it would have used at rest:
// (MET − 1) × kg × hours, to the nearest kcal. The resting 1 MET is already in the day's budget.
int exerciseEnergy(double met, double weightJin, double minutes);
// The share of the logged exercise that the day's allowance gains: people overestimate what they did, and the
// activity level of the budget already holds some of it.
inline constexpr double exerciseEatBackShare = 0.5;

struct DayIntake {
    QDate day;
    double kcal = 0; // everything logged that day
};
struct TrendAt {
    QDate day;
    double jin = 0; // the trend on the day of a weighing
};

struct RealUse {
    enum class Kind {
        TooFewLogs,      // fewer than realUseMinimumDays complete days in the window
        TooFewWeighings, // no two weighings realUseMinimumDays or more apart in the window
        Estimate,
    };
    Kind kind = Kind::TooFewLogs;
    int days = 0; // complete days in the window
    int kcal = 0; // kcal a day, to the nearest 10
};

// Over the realUseDays before `today`: the mean of the complete days' intake, less the trend's change between the
// first and the last weighing of the window turned into energy and spread over the days between them:
// mean − (trend change × kcalPerJin) ÷ days. Days without a complete log are left out of the mean.
RealUse realUse(const std::vector<DayIntake>& intake, const std::vector<TrendAt>& trend, const QDate& today);

// To the nearest 10 kcal, halves away from zero.
int roundToTen(double kcal);

} // namespace health
