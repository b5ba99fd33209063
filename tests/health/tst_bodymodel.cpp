// What the body uses and today's weight, from diaries whose answer is known by hand, and the goal date of a body
// whose use falls as it loses. Asked on 29 December 2026 unless said; a log of L kcal and a weight falling by s jin a
// day mean a use of L + s × 3,465 (3,850 kcal a jin, in the log's kcal at 0.9 of the true ones).
#include "health/bodymodel.h"

#include <QtTest>
#include <cmath>

using namespace health;

namespace {

const QDate today(2026, 12, 29);

struct Diary {
    std::vector<DayIntake> intake;
    std::vector<Weighing> weighings;
};

// `days` days before today: a log of `kcal` (then `later` from day `change` on) and a weighing each morning that
// falls by `perDay` (by `laterPerDay` from `change` on), today's morning included; `skip(d)` leaves out day d's
// log and weighing.
Diary diary(int days, double kcal, double startJin, double perDay, int change = -1, double later = 0,
            double laterPerDay = 0, bool (*skip)(int) = nullptr)
{
    Diary d;
    double jin = startJin;
    for (int i = 0; i <= days; ++i) {
        const QDate day = today.addDays(i - days);
        const bool after = change >= 0 && i >= change;
        if (!(skip && skip(i))) {
            d.weighings.push_back({day, jin});
            if (i < days)
                d.intake.push_back({day, after ? later : kcal});
        }
        jin -= after ? laterPerDay : perDay;
    }
    return d;
}

} // namespace

Q_DECLARE_METATYPE(Diary)
Q_DECLARE_METATYPE(health::BodyEstimate::Kind)
Q_DECLARE_METATYPE(health::GoalDates::Kind)

class BodyModelTest : public QObject {
    Q_OBJECT

private slots:
    void estimate_data();
    void estimate();
    void tooFew_data();
    void tooFew();
    void lineThroughTheMiddle();
    void goalDates_data();
    void goalDates();
    void forbes();
};

void BodyModelTest::estimate_data()
{
    QTest::addColumn<Diary>("records");
    QTest::addColumn<double>("use");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<double>("jin");

    // The weight stays, so the body uses what is eaten.
    QTest::newRow("a steady person") << diary(28, 2000, 120, 0) << 2000.0 << 10.0 << 120.0;
    // 1 jin a week on 1,800: 1,800 + 3,465 / 7 = 2,295; today's weight 150 − 4 = 146, where the exponential trend
    // would trail 9 / 7 jin above.
    QTest::newRow("1 jin a week on a known intake") << diary(28, 1800, 150, 1.0 / 7) << 2295.0 << 25.0 << 146.0;
    // The same with every third day's log and weighing missing: the days between carry it.
    QTest::newRow("missing days") << diary(28, 1800, 150, 1.0 / 7, -1, 0, 0, [](int i) { return i % 3 == 1; }) << 2295.0
                                  << 30.0 << 146.0;
    // The steady person with 1,200 typed for 120 ten days ago: a slip, left out.
    Diary slip = diary(28, 2000, 120, 0);
    slip.weighings[18].jin = 1200;
    QTest::newRow("a slip of the keys") << slip << 2000.0 << 10.0 << 120.0;
    // 28 days steady on 2,000, then 28 on 1,700, losing 300 / 3,465 = 0.0866 jin a day: the use is still 2,000, less
    // what 2.4 jin lost take off it (2.4 × 9.9 = 24); today's weight 130 − 28 × 0.0866 = 127.6.
    QTest::newRow("a step change") << diary(56, 2000, 130, 0, 28, 1700, 300 / 3465.0) << 1976.0 << 30.0 << 127.6;
}

void BodyModelTest::estimate()
{
    QFETCH(Diary, records);
    QFETCH(double, use);
    QFETCH(double, tolerance);
    QFETCH(double, jin);
    const BodyEstimate e = estimateBody(records.intake, records.weighings, today);
    QCOMPARE(e.kind, BodyEstimate::Kind::Estimate);
    QVERIFY2(std::abs(e.kcal - use) <= tolerance, qPrintable(QString::number(e.kcal)));
    QVERIFY2(std::abs(e.jin - jin) <= 0.1, qPrintable(QString::number(e.jin)));
    QVERIFY2(e.low < e.kcal && e.kcal < e.high, qPrintable(QStringLiteral("%1-%2").arg(e.low).arg(e.high)));
    // An exact diary leaves only the model's own doubt: well under the 80 % range of a real one (about ±150).
    QVERIFY2(e.high - e.low < 300, qPrintable(QStringLiteral("%1-%2").arg(e.low).arg(e.high)));
    QCOMPARE(e.line.back().day, today);
}

void BodyModelTest::tooFew_data()
{
    QTest::addColumn<Diary>("records");
    QTest::addColumn<int>("needed");
    QTest::addColumn<int>("logged");

    QTest::newRow("nothing") << Diary{} << 14 << 0;
    // 13 days of logs, weighed each morning: one day more.
    QTest::newRow("13 logged days") << diary(13, 2000, 120, 0) << 1 << 13;
    // 20 logged days, but weighings only 9 days apart (today's morning the last): one day more of them.
    Diary nine = diary(20, 2000, 120, 0);
    nine.weighings.erase(nine.weighings.begin(), nine.weighings.end() - 10);
    QTest::newRow("weighings 9 days apart") << nine << 1 << 20;
    // A day under 800 kcal is an unfinished log: 14 days of which one is 500 count 13.
    Diary short14 = diary(14, 2000, 120, 0);
    short14.intake.front().kcal = 500;
    QTest::newRow("an unfinished day") << short14 << 1 << 13;
    // Logs older than 28 days do not count: 20 days that ended 10 days ago leave 10 in the window.
    Diary old = diary(30, 2000, 120, 0);
    old.intake.erase(old.intake.end() - 10, old.intake.end());
    old.intake.erase(old.intake.begin(), old.intake.begin() + 10);
    QTest::newRow("old logs") << old << 4 << 10;
}

void BodyModelTest::tooFew()
{
    QFETCH(Diary, records);
    QFETCH(int, needed);
    QFETCH(int, logged);
    const BodyEstimate e = estimateBody(records.intake, records.weighings, today);
    QCOMPARE(e.kind, BodyEstimate::Kind::TooFew);
    QCOMPARE(e.needed, needed);
    QCOMPARE(e.loggedDays, logged);
}

void BodyModelTest::lineThroughTheMiddle()
{
    // A steady body whose scale reads 100 and 101 on alternate days: the line runs at 100.5 from the first day on,
    // where an average that starts at the first weighing would start at 100.
    Diary d = diary(40, 2000, 100, 0);
    for (std::size_t i = 1; i < d.weighings.size(); i += 2)
        d.weighings[i].jin = 101;
    // A weighing dated 1900 (a slip in a date) would stretch the line over 127 years: it starts 20 years back at most,
    // and one dated years ahead is left out too.
    d.weighings.push_back({QDate(1900, 1, 1), 100});
    d.weighings.push_back({QDate(2031, 1, 1), 100});
    const BodyEstimate e = estimateBody(d.intake, d.weighings, today);
    QCOMPARE(static_cast<int>(e.line.size()), 41);
    QCOMPARE(e.line.front().day, today.addDays(-40));
    for (const DayWeight& w : e.line)
        QVERIFY2(std::abs(w.jin - 100.5) < 0.2, qPrintable(w.day.toString() + QStringLiteral(" %1").arg(w.jin)));
}

void BodyModelTest::goalDates_data()
{
    QTest::addColumn<double>("use");
    QTest::addColumn<double>("intake");
    QTest::addColumn<double>("goal");
    QTest::addColumn<GoalDates::Kind>("kind");
    QTest::addColumn<int>("days");

    // 150 to 148 on 1,500 against 2,000: 500 / 3,465 = 0.144 jin a day would take 13.9 days; the use falls 9.9 kcal
    // for each jin lost, so the 14th day ends at 148.02 and the 15th below the goal.
    QTest::newRow("a short way") << 2000.0 << 1500.0 << 148.0 << GoalDates::Kind::Date << 15;
    // 150 to 140 on 1,500 against 1,800: the straight line says 10 / (300 / 3,465) = 116 days; the body that adapts
    // takes 140 (worked day by day).
    QTest::newRow("the body slows down") << 1800.0 << 1500.0 << 140.0 << GoalDates::Kind::Date << 140;
    // 300 kcal a day settles 300 / 9.9 = 30.3 jin lower: a goal 40 jin down is never reached.
    QTest::newRow("settles before the goal") << 1800.0 << 1500.0 << 110.0 << GoalDates::Kind::Away << 0;
    QTest::newRow("eating what is used") << 1800.0 << 1800.0 << 140.0 << GoalDates::Kind::Away << 0;
    QTest::newRow("within a jin") << 1800.0 << 1500.0 << 149.0 << GoalDates::Kind::Reached << 0;
    // 20 kcal a day settles 20 / 9.9 = 2.02 jin lower, approached with a time constant of 3,465 / 9.9 = 350 days:
    // 1.99 jin of it take 350 × ln(2.02 / 0.03) = 1,470 days, more than three years.
    QTest::newRow("beyond three years") << 1800.0 << 1780.0 << 148.01 << GoalDates::Kind::TooFar << 0;
}

void BodyModelTest::goalDates()
{
    QFETCH(double, use);
    QFETCH(double, intake);
    QFETCH(double, goal);
    QFETCH(GoalDates::Kind, kind);
    QFETCH(int, days);
    BodyEstimate e;
    e.kind = BodyEstimate::Kind::Estimate;
    e.kcal = use;
    e.low = use - 100;
    e.high = use + 100;
    e.intake = intake;
    e.jin = 150;
    const GoalDates dates = health::goalDates(e, goal, today);
    QCOMPARE(dates.kind, kind);
    if (kind == GoalDates::Kind::Date) {
        QCOMPARE(today.daysTo(dates.date), days);
        QVERIFY(dates.early < dates.date);
        QVERIFY(dates.late > dates.date);
    }
}

void BodyModelTest::forbes()
{
    // 160 cm, 70 kg, 40, a woman: BMI 27.34, fat 1.2 × 27.34 + 0.23 × 40 − 5.4 = 36.61 % of 140 jin = 51.26 jin.
    QVERIFY(std::abs(fatJin(140, Build{160, 40, false}) - 51.26) < 0.01);
    // 30 kg of fat: 30 / 40.4 = 0.743 of a loss is fat: (0.743 × 9,440 + 0.257 × 1,816) / 2 = 3,738.7 a jin.
    QVERIFY(std::abs(kcalPerJinLost(60) - 3738.7) < 0.1);
}

QTEST_GUILESS_MAIN(BodyModelTest)
#include "tst_bodymodel.moc"
