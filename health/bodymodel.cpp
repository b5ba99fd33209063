// The body's energy balance as a state-space model, run forwards (a Kalman filter) and backwards (a
// Rauch-Tung-Striebel smoother) over every day from the first weighing to today.
//
// Why this model. A scale reads the body's tissue plus water that swings by half a kilogram and more, and today's water
// carries some of yesterday's. A food log reads what was eaten, short by a steady share (people forget things) and
// off by a daily error. Between them lies the one fact that ties them: tissue changes by what was eaten less what
// was used, divided by the energy of a jin of tissue. So the state of a day is three numbers:
//   W  the tissue weight in jin,
//   E  what the body uses a day, in the log's kcal (the only kcal a budget can be kept in),
//   V  the water on the scale, in jin, which keeps a share phi of yesterday's,
// and a day moves them as
//   W' = W + (I - E) / rho,   E' = E + adaptation × (W' - W) + drift,   V' = phi × V + new water,
// where I is the day's logged intake. The scale reads W + V. A day without a complete log is not a day of 0 kcal: it
// is a day whose intake is unknown. Within a week of logged days it is taken as their mean, with the spread of
// logged days as its uncertainty; far from any log the weight is left to move freely and E keeps what it had.
// Every weighing, and every day, counts; none is dropped for being missing.
//
// Run forwards, the filter gives today's state from everything up to today: the weight without the trend's lag
// (the model knows the body is losing, so it does not trail behind) and the use with its variance. Run backwards,
// the smoother gives each past day's weight from the whole diary: a line through the middle of the weighings.
//
// What is assumed, and why each figure. The log's kcal stand to the true ones as loggedShare: people under-log
// by 0 to 20 %, so the middle of that. The share of one person is unknown, and it moves the estimate by the share's
// error times the deficit and more (through the formula and the days without a log: on simulated people about
// twice the deficit's part alone), so the range takes it with an SD of 10 % of the deficit. The water's day-to-day
// carry-over phi is 0.4; its size is measured from the person's own weighings on near days. The log's daily error is 18
// % of a day. The use may drift 5 kcal a day at random (a new job, a new sport), which lets the estimate follow a real
// change over weeks while 28 days still pin it down. The formula's figure, when there is a profile, is one more
// measurement of today's use, with the 15 % error that such formulas have for one person.
#include "health/bodymodel.h"

#include "health/body.h"
#include "health/goal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

namespace health {

namespace {

constexpr double loggedShare = 0.9;
constexpr double loggedShareSpread = 0.1;
constexpr double rho = kcalPerJin * loggedShare;
constexpr double adaptation = adaptationPerJin * loggedShare;
constexpr double phi = 0.4;
constexpr double logError = 0.18;
constexpr double useDrift = 5;
constexpr double formulaError = 0.15;
// Two weighings of one day differ by more than the water of the day: a meal, clothes, the time of day.
constexpr double sameDayNoise = 0.3;
// Far from any log, the weight may move this much a day before the weighings say otherwise.
constexpr double freeWeightDrift = 0.3;
constexpr int neighbourDays = 7;
constexpr int lineYears = 20;
constexpr double minimumDaySpread = 200;
// The water's size: what pairs of weighings on near days say, within what a scale and a body can do.
constexpr int waterPairGap = 3;
constexpr double defaultWater = 0.9;
constexpr double minimumWater = 0.3;
constexpr double maximumWater = 3;
constexpr int minimumWaterPairs = 4;
// Both ends of a central 80 % range of a normal distribution lie this many SDs from its middle.
constexpr double z80 = 1.2815516;
constexpr double priorWeightVariance = 4;
constexpr double priorUseVariance = 1000 * 1000;
constexpr double defaultUse = 2000;

using Vec = std::array<double, 3>;
using Mat = std::array<Vec, 3>;

Mat multiply(const Mat& a, const Mat& b)
{
    Mat c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                c[i][j] += a[i][k] * b[k][j];
    return c;
}

Vec times(const Mat& a, const Vec& v)
{
    Vec r{};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            r[i] += a[i][k] * v[k];
    return r;
}

Mat transpose(const Mat& a)
{
    Mat t{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            t[i][j] = a[j][i];
    return t;
}

Mat inverse(const Mat& m)
{
    Mat r{};
    r[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    r[0][1] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
    r[0][2] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    r[1][0] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    r[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
    r[1][2] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
    r[2][0] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    r[2][1] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
    r[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    const double det = m[0][0] * r[0][0] + m[0][1] * r[1][0] + m[0][2] * r[2][0];
    for (Vec& row : r)
        for (double& x : row)
            x /= det;
    return r;
}

// A scalar measurement z of h·x with variance r.
void update(Vec& x, Mat& p, const Vec& h, double z, double r)
{
    const Vec ph = times(p, h);
    double s = r;
    for (int i = 0; i < 3; ++i)
        s += h[i] * ph[i];
    if (!(s > 0))
        return;
    double predicted = 0;
    for (int i = 0; i < 3; ++i)
        predicted += h[i] * x[i];
    const double innovation = z - predicted;
    for (int i = 0; i < 3; ++i)
        x[i] += ph[i] / s * innovation;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            p[i][j] -= ph[i] * ph[j] / s;
}

// The water's SD from consecutive weighings at most waterPairGap days apart, the days' mean change taken out: the
// difference of two readings g days apart holds 2 (1 − phi^g) of the water's variance.
double waterSpread(const std::map<qint64, std::vector<double>>& byDay)
{
    struct Pair {
        double change;
        int gap;
    };
    std::vector<Pair> pairs;
    for (auto it = byDay.begin(); it != byDay.end() && std::next(it) != byDay.end(); ++it) {
        const auto next = std::next(it);
        const int gap = static_cast<int>(next->first - it->first);
        if (gap <= waterPairGap)
            pairs.push_back({next->second.front() - it->second.front(), gap});
    }
    if (static_cast<int>(pairs.size()) < minimumWaterPairs)
        return defaultWater;
    double change = 0;
    int days = 0;
    for (const Pair& pair : pairs) {
        change += pair.change;
        days += pair.gap;
    }
    const double perDay = change / days;
    double variance = 0;
    for (const Pair& pair : pairs) {
        const double d = pair.change - perDay * pair.gap;
        variance += d * d / (2 * (1 - std::pow(phi, pair.gap)));
    }
    return std::clamp(std::sqrt(variance / static_cast<double>(pairs.size())), minimumWater, maximumWater);
}

// Forbes' share of fat in a change of weight.
double fatShare(double fatJin)
{
    constexpr double forbesKg = 10.4;
    const double fatKg = fatJin / jinPerKilogram;
    return fatKg / (fatKg + forbesKg);
}

double median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// A weighing far from the other days of its fortnight is a slip of the keys (1530 for 153.0, a weight in kg), not a
// body: it would pull the weight and the use far off. Left out when it departs by more than slipShare from the
// median of the day medians of at least minimumNeighbours other days within neighbourDays.
void leaveOutSlips(std::map<qint64, std::vector<double>>& byDay)
{
    constexpr double slipShare = 0.1;
    constexpr std::size_t minimumNeighbours = 3;
    std::map<qint64, double> dayMedians;
    for (const auto& [jd, readings] : byDay)
        dayMedians[jd] = median(readings);
    std::map<qint64, std::vector<double>> kept;
    for (const auto& [jd, readings] : byDay) {
        std::vector<double> others;
        for (auto it = dayMedians.lower_bound(jd - neighbourDays);
             it != dayMedians.end() && it->first <= jd + neighbourDays; ++it)
            if (it->first != jd)
                others.push_back(it->second);
        const std::optional<double> reference =
            others.size() >= minimumNeighbours ? std::optional<double>(median(others)) : std::nullopt;
        for (const double jin : readings)
            if (!reference || std::abs(jin - *reference) <= slipShare * *reference)
                kept[jd].push_back(jin);
    }
    byDay = std::move(kept);
}

} // namespace

BodyEstimate estimateBody(const std::vector<DayIntake>& intake, const std::vector<Weighing>& weighings,
                          const QDate& today, std::optional<double> formula)
{
    BodyEstimate result;
    const qint64 todayJd = today.toJulianDay();
    const qint64 windowStart = todayJd - realUseDays;

    // Complete logs before today, by day (two rows of one day add up).
    std::map<qint64, double> logged;
    for (const DayIntake& day : intake)
        if (day.day.isValid() && day.day.toJulianDay() < todayJd)
            logged[day.day.toJulianDay()] += day.kcal;
    for (auto it = logged.begin(); it != logged.end();)
        it = it->second >= completeLogKcal ? std::next(it) : logged.erase(it);
    std::map<qint64, std::vector<double>> byDay;
    for (const Weighing& w : weighings)
        if (w.day.isValid() && w.jin > 0 && std::isfinite(w.jin))
            byDay[w.day.toJulianDay()].push_back(w.jin);

    double windowKcal = 0;
    for (auto it = logged.lower_bound(windowStart); it != logged.end(); ++it) {
        windowKcal += it->second;
        ++result.loggedDays;
    }
    const auto firstInWindow = byDay.lower_bound(windowStart);
    const auto lastInWindow = byDay.upper_bound(todayJd);
    int span = 0;
    if (firstInWindow != lastInWindow)
        span = static_cast<int>(std::prev(lastInWindow)->first - firstInWindow->first);
    result.needed = std::max({estimateMinimumDays - result.loggedDays, estimateMinimumSpan - span, 0});
    if (result.needed > 0 || byDay.empty())
        return result;
    leaveOutSlips(byDay);
    // A weighing dated decades back (a typing slip in a date, another program's empty date) would make the model run
    // over every day since; the line starts no earlier than lineYears before today. Weighings dated more than a year
    // ahead (a clock that was wrong) are left out the same way.
    byDay.erase(byDay.begin(), byDay.lower_bound(today.addYears(-lineYears).toJulianDay()));
    byDay.erase(byDay.upper_bound(today.addYears(1).toJulianDay()), byDay.end());
    if (byDay.empty() || byDay.begin()->first > todayJd) {
        result.needed = std::max(result.needed, 1);
        return result;
    }
    result.intake = windowKcal / result.loggedDays;

    const double water = waterSpread(byDay);
    const qint64 first = byDay.begin()->first;
    const qint64 last = std::max(todayJd, std::prev(byDay.end())->first);
    const auto days = static_cast<std::size_t>(last - first + 1);

    double allKcal = 0;
    for (const auto& [jd, kcal] : logged)
        allKcal += kcal;

    std::vector<Vec> filtered(days);
    std::vector<Mat> filteredCov(days);
    std::vector<Vec> predicted(days);
    std::vector<Mat> predictedCov(days);
    std::vector<Mat> transition(days);

    Vec x{byDay.begin()->second.front(), logged.empty() ? defaultUse : allKcal / static_cast<double>(logged.size()), 0};
    Mat p{};
    p[0][0] = priorWeightVariance;
    p[1][1] = priorUseVariance;
    p[2][2] = water * water;
    const double newWater = water * water * (1 - phi * phi);
    const Vec scale{1, 0, 1};

    for (std::size_t t = 0; t < days; ++t) {
        const qint64 jd = first + static_cast<qint64>(t);
        if (t > 0) {
            // The day before moves the body with what was eaten on it.
            const qint64 eatenOn = jd - 1;
            Mat f{};
            Vec u{};
            Mat q{};
            f[2][2] = phi;
            q[1][1] = useDrift * useDrift;
            q[2][2] = newWater;
            std::optional<double> eaten;
            double eatenVariance = 0;
            if (const auto found = logged.find(eatenOn); found != logged.end()) {
                eaten = found->second;
                eatenVariance = std::pow(logError * found->second, 2);
            } else if (eatenOn < todayJd) {
                double sum = 0;
                double squares = 0;
                int count = 0;
                for (auto it = logged.lower_bound(eatenOn - neighbourDays);
                     it != logged.end() && it->first <= eatenOn + neighbourDays; ++it) {
                    sum += it->second;
                    squares += it->second * it->second;
                    ++count;
                }
                if (count > 0) {
                    eaten = sum / count;
                    const double spread =
                        count > 1 ? std::sqrt(std::max(0.0, (squares - sum * sum / count) / (count - 1))) : 0;
                    eatenVariance = std::pow(std::max(spread, minimumDaySpread), 2) + std::pow(logError * *eaten, 2);
                }
            }
            if (eaten) {
                f[0][0] = 1;
                f[0][1] = -1 / rho;
                f[1][1] = 1 - adaptation / rho;
                u = {*eaten / rho, adaptation * *eaten / rho, 0};
                const Vec g{1 / rho, adaptation / rho, 0};
                for (int i = 0; i < 2; ++i)
                    for (int j = 0; j < 2; ++j)
                        q[i][j] += eatenVariance * g[i] * g[j];
            } else {
                f[0][0] = 1;
                f[1][1] = 1;
                q[0][0] = freeWeightDrift * freeWeightDrift;
            }
            const Vec moved = times(f, x);
            for (int i = 0; i < 3; ++i)
                x[i] = moved[i] + u[i];
            p = multiply(multiply(f, p), transpose(f));
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    p[i][j] += q[i][j];
            transition[t] = f;
        }
        predicted[t] = x;
        predictedCov[t] = p;
        if (const auto found = byDay.find(jd); found != byDay.end())
            for (const double jin : found->second)
                update(x, p, scale, jin, sameDayNoise * sameDayNoise);
        if (jd == todayJd && formula && *formula > 0)
            update(x, p, {0, 1, 0}, *formula * loggedShare,
                   (formulaError * formulaError + loggedShareSpread * loggedShareSpread) *
                       std::pow(*formula * loggedShare, 2));
        filtered[t] = x;
        filteredCov[t] = p;
    }

    // Backwards: each day's state from the days after it too.
    std::vector<Vec> smoothed(days);
    std::vector<Mat> smoothedCov(days);
    smoothed[days - 1] = filtered[days - 1];
    smoothedCov[days - 1] = filteredCov[days - 1];
    for (std::size_t t = days - 1; t-- > 0;) {
        const Mat gain = multiply(multiply(filteredCov[t], transpose(transition[t + 1])), inverse(predictedCov[t + 1]));
        Vec difference{};
        for (int i = 0; i < 3; ++i)
            difference[i] = smoothed[t + 1][i] - predicted[t + 1][i];
        const Vec correction = times(gain, difference);
        for (int i = 0; i < 3; ++i)
            smoothed[t][i] = filtered[t][i] + correction[i];
        Mat covDifference{};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                covDifference[i][j] = smoothedCov[t + 1][i][j] - predictedCov[t + 1][i][j];
        const Mat spread = multiply(multiply(gain, covDifference), transpose(gain));
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                smoothedCov[t][i][j] = filteredCov[t][i][j] + spread[i][j];
    }

    const auto at = static_cast<std::size_t>(todayJd - first);
    result.kind = BodyEstimate::Kind::Estimate;
    result.kcal = smoothed[at][1];
    result.jin = smoothed[at][0];
    // The share of the log is unknown to within loggedShareSpread; it turns the imbalance into an error of the use.
    const double variance =
        smoothedCov[at][1][1] + std::pow(loggedShareSpread * (result.kcal - result.intake) / loggedShare, 2);
    result.low = result.kcal - z80 * std::sqrt(variance);
    result.high = result.kcal + z80 * std::sqrt(variance);
    result.line.reserve(days);
    for (std::size_t t = 0; t < days; ++t)
        result.line.push_back({QDate::fromJulianDay(first + static_cast<qint64>(t)), smoothed[t][0]});
    return result;
}

double fatJin(double weightJin, const Build& build)
{
    const double metres = build.heightCm / 100;
    const double bmi = weightJin / jinPerKilogram / (metres * metres);
    const double percent = 1.2 * bmi + 0.23 * build.age - (build.male ? 10.8 : 0) - 5.4;
    return weightJin * std::max(5.0, percent) / 100;
}

double kcalPerJinLost(double fatJin)
{
    constexpr double fatKcalPerKg = 9440;
    constexpr double leanKcalPerKg = 1816;
    const double share = fatShare(fatJin);
    return (share * fatKcalPerKg + (1 - share) * leanKcalPerKg) / jinPerKilogram;
}

GoalDates goalDates(const BodyEstimate& estimate, double goalJin, const QDate& today, std::optional<Build> build)
{
    GoalDates dates;
    if (std::abs(estimate.jin - goalJin) <= reachedBand) {
        dates.kind = GoalDates::Kind::Reached;
        return dates;
    }
    const QDate horizon = today.addYears(horizonYears);
    const auto reach = [&](double use) -> QDate {
        double weight = estimate.jin;
        double fat = build ? fatJin(weight, *build) : 0;
        const bool down = goalJin < weight;
        for (QDate day = today; day < horizon; day = day.addDays(1)) {
            const double balance = estimate.intake - use;
            if ((balance < 0) != down || balance == 0)
                return {};
            const double perJin = (build ? kcalPerJinLost(fat) : kcalPerJin) * loggedShare;
            const double change = balance / perJin;
            weight += change;
            if (build)
                fat += change * fatShare(fat);
            use += adaptation * change;
            if (down ? weight <= goalJin : weight >= goalJin)
                return day.addDays(1);
        }
        return {};
    };
    dates.date = reach(estimate.kcal);
    if (!dates.date.isValid()) {
        // Settling before the goal within the horizon, or beyond it.
        const double balance = estimate.intake - estimate.kcal;
        dates.kind = (balance < 0) == (goalJin < estimate.jin) && balance != 0 &&
                             std::abs(balance / adaptation) > std::abs(goalJin - estimate.jin)
                         ? GoalDates::Kind::TooFar
                         : GoalDates::Kind::Away;
        return dates;
    }
    dates.kind = GoalDates::Kind::Date;
    const bool down = goalJin < estimate.jin;
    dates.early = reach(down ? estimate.high : estimate.low);
    dates.late = reach(down ? estimate.low : estimate.high);
    return dates;
}

} // namespace health
