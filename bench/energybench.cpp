// How wrong the estimate of what a body uses is, judged on simulated people whose truth is known, beside the
// formula and the 28-day figure that came before it; and how near the goal date falls to the day a simulated person
// really reaches the goal, beside the straight line. Seeded: every run gives the same table. Exits 1 when a target is
// missed.
//
// A simulated person: a build (sex, age, height, BMI 25-38), an activity level, and a true use that is
// Mifflin-St Jeor × the activity factor with the person's own error of up to ±15 %, kept to 1,700-2,900 kcal; the
// use falls 18-26 kcal a day for each kg lost. Each day the person eats the use less a deficit of 300-700 kcal, with
// a day-to-day swing of SD 300; 7,700 kcal make a kg of tissue. The scale reads the tissue plus water of SD 0.3-0.6
// kg, a share 0.4 of which stays to the next day. The log holds the true intake times a steady share of 0.8-1.0 times
// a daily error of SD 10-25 %. A fifth of the weighings and a tenth of the log days are missing. The truth is the use
// in the log's kcal: the true use times the person's share.
#include "bench/measure.h"
#include "health/body.h"
#include "health/bodymodel.h"
#include "health/energy.h"
#include "health/goal.h"
#include "health/trend.h"

#include <QDate>
#include <QString>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr int people = 1000;
constexpr double kcalPerKg = 7700;
const QDate startDay(2026, 1, 1);

struct Person {
    health::Sex sex = health::Sex::Female;
    int age = 0;
    double height = 0;
    double activity = 0;
    double startKg = 0;
    double startUse = 0;
    double adaptation = 0; // kcal a day per kg lost
    double deficit = 0;
    double share = 0;    // the log's kcal per true kcal
    double logError = 0; // SD of a day's log, relative
    double water = 0;    // SD of the water on the scale, kg
};

struct Day {
    double kg = 0;                 // tissue at the day's weighing
    double use = 0;                // true use that day
    double eaten = 0;              // true intake that day
    std::optional<double> scaleKg; // the weighing, when there is one
    std::optional<double> logged;  // the log, when there is one
};

class World {
public:
    explicit World(unsigned seed) : m_random(seed) {}

    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_random); }
    double normal(double sd) { return std::normal_distribution<double>(0, sd)(m_random); }
    bool chance(double p) { return uniform(0, 1) < p; }

    Person person()
    {
        static constexpr double factors[] = {1.2, 1.375, 1.55, 1.725};
        for (;;) {
            Person p;
            p.sex = chance(0.5) ? health::Sex::Female : health::Sex::Male;
            p.age = static_cast<int>(uniform(20, 66));
            p.height = p.sex == health::Sex::Female ? uniform(150, 172) : uniform(160, 188);
            p.startKg = uniform(25, 38) * std::pow(p.height / 100, 2);
            p.activity = factors[static_cast<int>(uniform(0, 4))];
            p.startUse =
                health::restingEnergy(p.startKg * 2, p.height, p.age, p.sex) * p.activity * (1 + uniform(-0.15, 0.15));
            if (p.startUse < 1700 || p.startUse > 2900)
                continue;
            p.adaptation = uniform(18, 26);
            p.deficit = uniform(300, 700);
            p.share = uniform(0.8, 1.0);
            p.logError = uniform(0.10, 0.25);
            p.water = uniform(0.3, 0.6);
            return p;
        }
    }

    // `days` days of a person who eats to the deficit, -change kcal less from `changeDay` on; then, from `holdDay`
    // on, the intake of the day before holdDay (with the same daily swing) whatever the body does.
    std::vector<Day> live(const Person& p, int days, int changeDay = -1, double change = 0, int holdDay = -1)
    {
        std::vector<Day> out;
        double kg = p.startKg;
        double water = normal(p.water);
        const double newWater = p.water * std::sqrt(1 - 0.4 * 0.4);
        double held = 0;
        for (int d = 0; d < days; ++d) {
            Day day;
            day.kg = kg;
            day.use = p.startUse - p.adaptation * (p.startKg - kg);
            if (holdDay >= 0 && d >= holdDay) {
                day.eaten = held + normal(300);
            } else {
                const double planned = day.use - p.deficit - (changeDay >= 0 && d >= changeDay ? change : 0);
                day.eaten = planned + normal(300);
                held = planned;
            }
            if (d > 0)
                water = 0.4 * water + normal(newWater);
            if (!chance(0.2))
                day.scaleKg = kg + water;
            if (!chance(0.1))
                day.logged = p.share * day.eaten * (1 + normal(p.logError));
            kg += (day.eaten - day.use) / kcalPerKg;
            out.push_back(day);
        }
        return out;
    }

private:
    std::mt19937_64 m_random;
};

struct Records {
    std::vector<health::DayIntake> intake;
    std::vector<health::Weighing> weighings;
    std::vector<trend::Point> points;
};

// What the diary and the log hold on the morning of day `today`: weighings up to today, logs up to the day before.
Records records(const std::vector<Day>& days, int today)
{
    Records r;
    for (int d = 0; d <= today && d < static_cast<int>(days.size()); ++d) {
        const QDate day = startDay.addDays(d);
        if (days[static_cast<std::size_t>(d)].scaleKg) {
            const double jin = *days[static_cast<std::size_t>(d)].scaleKg * 2;
            r.weighings.push_back({day, jin});
            r.points.push_back({static_cast<double>(QDate(1899, 12, 30).daysTo(day)) + 0.3, jin, false});
        }
        if (d < today && days[static_cast<std::size_t>(d)].logged)
            r.intake.push_back({day, *days[static_cast<std::size_t>(d)].logged});
    }
    return r;
}

double formulaAt(const Person& p, double jin)
{
    return health::restingEnergy(jin, p.height, p.age, p.sex) * p.activity;
}

struct Judged {
    std::vector<double> estimate; // absolute errors
    std::vector<double> formula;
    std::vector<double> previous; // the 28-day figure
    int previousMissing = 0;      // people for whom it gave no figure
    int inRange = 0;
    int count = 0;
};

void judge(Judged& j, const Person& p, const std::vector<Day>& days, int today)
{
    const Records r = records(days, today);
    const double truth = days[static_cast<std::size_t>(today)].use * p.share;
    const double newest = r.weighings.back().jin;
    const double formula = formulaAt(p, newest);
    const QDate day = startDay.addDays(today);
    const health::BodyEstimate e = health::estimateBody(r.intake, r.weighings, day, formula);
    ++j.count;
    if (e.kind != health::BodyEstimate::Kind::Estimate) {
        j.estimate.push_back(std::abs(formula - truth));
    } else {
        j.estimate.push_back(std::abs(e.kcal - truth));
        if (truth >= e.low && truth <= e.high)
            ++j.inRange;
    }
    j.formula.push_back(std::abs(formula - truth));

    std::vector<health::TrendAt> trend;
    for (const trend::Point& point : trend::smooth(r.points))
        trend.push_back({QDate(1899, 12, 30).addDays(static_cast<qint64>(point.x)), point.y});
    const health::RealUse old = health::realUse(r.intake, trend, day);
    if (old.kind == health::RealUse::Kind::Estimate)
        j.previous.push_back(std::abs(old.kcal - truth));
    else
        ++j.previousMissing;
}

QTextStream out(stdout);
bool allMet = true;

QString kcal(double value)
{
    return QString::number(std::lround(value));
}

void row(const QString& what, const QString& measured, const QString& target, std::optional<bool> met)
{
    out << "| " << what << " | " << measured << " | " << target << " | "
        << (met ? (*met ? QStringLiteral("yes") : QStringLiteral("NO")) : QStringLiteral("—")) << " |\n";
    if (met && !*met)
        allMet = false;
}

void errorRows(const QString& when, const Judged& j, double medianTarget, double p90Target)
{
    const double median = bench::percentile(j.estimate, 0.5);
    const double p90 = bench::percentile(j.estimate, 0.9);
    row(when + QStringLiteral(": the estimate"),
        QStringLiteral("median %1, 90th percentile %2").arg(kcal(median), kcal(p90)),
        p90Target > 0 ? QStringLiteral("≤ %1, ≤ %2").arg(kcal(medianTarget), kcal(p90Target))
                      : QStringLiteral("median ≤ %1").arg(kcal(medianTarget)),
        median <= medianTarget && (p90Target <= 0 || p90 <= p90Target));
    row(when + QStringLiteral(": floor, the formula (±15 % per person)"),
        QStringLiteral("median %1, 90th percentile %2")
            .arg(kcal(bench::percentile(j.formula, 0.5)), kcal(bench::percentile(j.formula, 0.9))),
        QStringLiteral("—"), std::nullopt);
    row(when + QStringLiteral(": floor, the 28-day figure"),
        QStringLiteral("median %1, 90th percentile %2 (no figure for %3)")
            .arg(kcal(bench::percentile(j.previous, 0.5)), kcal(bench::percentile(j.previous, 0.9)))
            .arg(j.previousMissing),
        QStringLiteral("—"), std::nullopt);
}

void coverageRow(const QString& when, const Judged& j)
{
    const double share = 100.0 * j.inRange / j.count;
    row(when + QStringLiteral(": the 80 % range holds the truth"), QStringLiteral("%1 %").arg(share, 0, 'f', 1),
        QStringLiteral("75–85 %"), share >= 75 && share <= 85);
}

} // namespace

int main()
{
    out << "| what (kcal a day, " << people << " simulated people a row) | measured | target | met |\n";
    out << "| --- | --- | --- | --- |\n";

    Judged at28;
    Judged at56;
    {
        World world(20261208);
        for (int i = 0; i < people; ++i) {
            const Person p = world.person();
            const std::vector<Day> days = world.live(p, 57);
            judge(at28, p, days, 28);
            judge(at56, p, days, 56);
        }
    }
    errorRows(QStringLiteral("after 28 days"), at28, 100, 250);
    errorRows(QStringLiteral("after 56 days"), at56, 75, 170);

    Judged changed;
    {
        World world(20261209);
        for (int i = 0; i < people; ++i) {
            const Person p = world.person();
            judge(changed, p, world.live(p, 57, 28, 200), 56);
        }
    }
    errorRows(QStringLiteral("28 days after eating 200 kcal less"), changed, 150, 0);
    coverageRow(QStringLiteral("after 28 days"), at28);
    coverageRow(QStringLiteral("after 56 days"), at56);
    coverageRow(QStringLiteral("after the change"), changed);

    // The goal date: a goal 10 kg under the start, projected on day 28 from the records; then the person keeps
    // eating what they ate up to then, and the truth is the first day the tissue is at the goal.
    for (const int projectedOn : {28, 56}) {
        World world(20261210 + static_cast<unsigned>(projectedOn));
        int estimateWithin = 0;
        int lineWithin = 0;
        int judged = 0;
        for (int i = 0; i < people; ++i) {
            const Person p = world.person();
            const std::vector<Day> days = world.live(p, 3 * 365 + 60, -1, 0, projectedOn);
            const double goalKg = p.startKg - 10;
            int truthDay = -1;
            for (std::size_t d = 0; d < days.size(); ++d)
                if (days[d].kg <= goalKg) {
                    truthDay = static_cast<int>(d);
                    break;
                }
            if (truthDay < 0)
                continue;
            ++judged;
            const QDate today = startDay.addDays(projectedOn);
            const QDate truth = startDay.addDays(truthDay);
            const Records r = records(days, projectedOn);
            const health::BodyEstimate e =
                health::estimateBody(r.intake, r.weighings, today, formulaAt(p, r.weighings.back().jin));
            const health::GoalDates dates =
                health::goalDates(e, goalKg * 2, today, health::Build{p.height, p.age, p.sex == health::Sex::Male});
            if (dates.kind == health::GoalDates::Kind::Date && std::abs(dates.date.daysTo(truth)) <= 14)
                ++estimateWithin;
            const std::vector<trend::Point> trend = trend::smooth(r.points);
            const health::Projection line =
                health::project(trend.back().y, trend::weeklyRate(trend),
                                QDate(1899, 12, 30).addDays(static_cast<qint64>(trend.back().x)), goalKg * 2);
            if (line.kind == health::Projection::Kind::Date && std::abs(line.date.daysTo(truth)) <= 14)
                ++lineWithin;
        }
        const double share = 100.0 * estimateWithin / judged;
        const QString when = QStringLiteral("goal 10 kg under the start, projected on day %1").arg(projectedOn);
        row(when + QStringLiteral(": the date within ±14 days"), QStringLiteral("%1 %").arg(share, 0, 'f', 1),
            QStringLiteral("≥ 80 %"), share >= 80);
        row(when + QStringLiteral(": floor, the straight line"),
            QStringLiteral("%1 %").arg(100.0 * lineWithin / judged, 0, 'f', 1), QStringLiteral("—"), std::nullopt);
    }
    out.flush();
    return allMet ? 0 : 1;
}
