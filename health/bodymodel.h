// What the body really uses, with how sure that is: a state-space estimate over the diary's weighings and the food
// log, which also gives today's weight without the lag of a moving average and a smoothed line through the weighings;
// and the day a goal is reached by a body whose use falls as it loses.
#pragma once

#include "health/energy.h"

#include <QDate>
#include <optional>
#include <vector>

namespace health {

// The estimate needs this many complete log days among the realUseDays before today...
inline constexpr int estimateMinimumDays = 14;
// ...and two weighings in those days or today at least this far apart.
inline constexpr int estimateMinimumSpan = 10;
// The share of people whose true use the range holds.
inline constexpr double rangeShare = 0.8;

struct Weighing {
    QDate day;
    double jin = 0;
};
struct DayWeight {
    QDate day;
    double jin = 0;
};

struct BodyEstimate {
    enum class Kind {
        TooFew,   // fewer logs or weighings than the estimate needs: `needed` more days of records
        Estimate, // the figures below hold
    };
    Kind kind = Kind::TooFew;
    int needed = 0;     // days of records still missing
    int loggedDays = 0; // complete log days among the realUseDays before today
    double kcal = 0;    // what the body uses a day today, in the log's kcal
    double low = 0;     // the rangeShare range of it
    double high = 0;
    double intake = 0; // the mean of the complete log days among the realUseDays before today
    double jin = 0;    // today's weight, without the water of the day and without lag
    // The smoothed weight of each day from the first weighing to today.
    std::vector<DayWeight> line;
};

// `intake`: the logged kcal of each day (a day under completeLogKcal is an unfinished log and counts as missing);
// `weighings`: every weighing, in any order; `formula`, when the profile gives one: what the formula says a day
// uses at today's weight, which the estimate weighs as one more, rough, measurement.
BodyEstimate estimateBody(const std::vector<DayIntake>& intake, const std::vector<Weighing>& weighings,
                          const QDate& today, std::optional<double> formula = std::nullopt);

// What a body is, for the energy of a jin lost: without it the loss is taken as 3,850 kcal a jin throughout.
struct Build {
    double heightCm = 0;
    int age = 0;
    bool male = false;
};

struct GoalDates {
    enum class Kind {
        Reached, // within the band of the goal
        Away,    // at this intake the body settles before the goal
        TooFar,  // beyond the horizon
        Date,
    };
    Kind kind = Kind::Away;
    QDate date;  // from the estimate
    QDate early; // from the high end of the range: the body uses more, the goal comes sooner
    QDate late;  // from the low end; invalid when that end never reaches the goal within the horizon
};

// Steps the body forward a day at a time from `estimate.jin` on `today`, eating `estimate.intake` each day: the use
// falls by adaptationPerJin for each jin lost, and each jin lost costs the energy of its fat and lean parts.
GoalDates goalDates(const BodyEstimate& estimate, double goalJin, const QDate& today,
                    std::optional<Build> build = std::nullopt);

// The fall of a body's daily use for each jin it loses (22 kcal a kilogram: the mean of the 18-26 that the studies of
// supervised diets measured).
inline constexpr double adaptationPerJin = 11;

// The energy of a jin lost from a body of `fatJin` of fat: Forbes' share of fat in a loss, fat / (fat + 10.4 kg),
// at 9,440 kcal a kilogram of fat and 1,816 a kilogram of lean tissue (the values Hall's model uses).
double kcalPerJinLost(double fatJin);
// A body's fat in jin from its BMI, age and sex (Deurenberg's relation: 1.2 × BMI + 0.23 × age − 10.8 for a man − 5.4
// per cent), never under 5 % of the weight.
double fatJin(double weightJin, const Build& build);

} // namespace health
