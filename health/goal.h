// Where the trend is going: the day it reaches a goal weight at its present weekly rate, and how that is said.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace health {

// Within this many jin of the goal the goal is reached: a day's water alone moves a scale more.
inline constexpr double reachedBand = 1;
// A slower rate is a flat trend: its date would be decades off, and a tenth of a jin a week is inside the noise.
inline constexpr double minimumRate = 0.1;
// A date further off than this says nothing a user can plan with.
inline constexpr int horizonYears = 3;
// Losing more than this share of one's weight a week costs muscle and rarely lasts.
inline constexpr double safeWeeklyShare = 0.01;
// Older adults above their healthy range lose at half that pace: muscle lost late in life is hard to win back.
inline constexpr double olderWeeklyShare = 0.005;

struct Projection {
    enum class Kind {
        NoTrend, // no weighing
        NoRate,  // too few weighings for a rate
        Reached, // within the band
        Away,    // the rate points away from the goal, or is too slow to count
        TooFar,  // the date lies beyond the horizon
        Date,    // reached on `date`
    };
    Kind kind = Kind::NoTrend;
    QDate date;
    // The trend falls faster than the safe share of its weight a week.
    bool tooFast = false;
    double safeShare = safeWeeklyShare;
};

// `trend` and `goal` in jin, `weeklyRate` in jin a week (negative for a loss), `newest` the newest weighing's date.
// The date is newest + (trend − goal) ÷ daily rate, rounded up to the first whole day by which the line has reached it.
// A loss faster than `safeShare` of the trend a week is too fast.
Projection project(std::optional<double> trend, std::optional<double> weeklyRate, const QDate& newest, double goal,
                   double safeShare = safeWeeklyShare);

// "2027年5月3日"
QString dateText(const QDate& date);
// The full sentence of the goal window and the command line: 按现在的速度，预计 2027年5月3日 达到目标。
QString projectionSentence(const Projection& projection);
// The short form for the curve's title: 预计 2027年5月3日 达到目标; empty when there is nothing to say.
QString projectionShort(const Projection& projection);
// The gentle note for a loss faster than the safe share; empty otherwise.
QString paceNote(const Projection& projection);

} // namespace health
