// The goal projection and its texts, against dates counted by hand from Monday 7 December 2026.
#include "health/goal.h"

#include <QtTest>

using namespace health;

Q_DECLARE_METATYPE(health::Projection::Kind)
Q_DECLARE_METATYPE(health::Projection)

namespace {
const QDate newest(2026, 12, 7);
constexpr double none = -1000; // no trend, or no rate
} // namespace

class GoalTest : public QObject {
    Q_OBJECT

private slots:
    void project_data();
    void project();
    void texts_data();
    void texts();
};

void GoalTest::project_data()
{
    QTest::addColumn<double>("trend");
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("goal");
    QTest::addColumn<Projection::Kind>("kind");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("tooFast");

    using K = Projection::Kind;
    // 150 − 120 = 30 jin at 1 jin a week = 1/7 a day: 210 days. From 7 December: 24 to the end of December, then
    // 31 + 28 + 31 + 30 + 31 + 30 = 181 to the end of June (205), and 5 more: 5 July 2027.
    QTest::newRow("the worked example") << 150.0 << -1.0 << 120.0 << K::Date << QDate(2027, 7, 5) << false;
    // 30 ÷ (0.9 / 7) = 233.3 days, reached on the 234th: 29 July 2027 (the 5th of July + 24).
    QTest::newRow("a part day counts as the next") << 150.0 << -0.9 << 120.0 << K::Date << QDate(2027, 7, 29) << false;
    // 110 − 100 = 10 jin to gain at 0.5 a week: 140 days, 26 April 2027.
    QTest::newRow("a goal above the trend") << 100.0 << 0.5 << 110.0 << K::Date << QDate(2027, 4, 26) << false;
    QTest::newRow("no weighing") << none << none << 120.0 << K::NoTrend << QDate() << false;
    QTest::newRow("one weighing, no rate") << 150.0 << none << 120.0 << K::NoRate << QDate() << false;
    QTest::newRow("flat trend") << 150.0 << -0.05 << 120.0 << K::Away << QDate() << false;
    // 1.2 ÷ (0.1 / 7) = 84 days: 24 in December, 31 in January, 28 in February, and 1 March.
    QTest::newRow("0.1 a week still counts") << 121.2 << -0.1 << 120.0 << K::Date << QDate(2027, 3, 1) << false;
    QTest::newRow("rate away from the goal") << 150.0 << 0.5 << 120.0 << K::Away << QDate() << false;
    QTest::newRow("gaining away from a goal above") << 100.0 << -0.5 << 110.0 << K::Away << QDate() << false;
    // 7 December 2029 is 365 + 365 + 366 = 1096 days on; 109.6 ÷ (0.7 / 7) = 1096 exactly is still within.
    QTest::newRow("three years to the day") << 229.6 << -0.7 << 120.0 << K::Date << QDate(2029, 12, 7) << false;
    // 30 ÷ (0.15 / 7) = 1400 days.
    QTest::newRow("more than three years") << 150.0 << -0.15 << 120.0 << K::TooFar << QDate() << false;
    QTest::newRow("1 jin above is reached") << 121.0 << -1.0 << 120.0 << K::Reached << QDate() << false;
    QTest::newRow("1 jin below is reached") << 119.0 << 0.5 << 120.0 << K::Reached << QDate() << false;
    QTest::newRow("reached needs no rate") << 120.5 << none << 120.0 << K::Reached << QDate() << false;
    // 1 % of 150 is 1.5 jin a week: at 1.5 safe, at 1.6 too fast. 30 ÷ (1.5 / 7) = 140 days; 30 ÷ (1.6 / 7) = 131.25,
    // so 132 days: 18 April 2027.
    QTest::newRow("1 % a week is safe") << 150.0 << -1.5 << 120.0 << K::Date << QDate(2027, 4, 26) << false;
    QTest::newRow("faster than 1 % a week") << 150.0 << -1.6 << 120.0 << K::Date << QDate(2027, 4, 18) << true;
}

void GoalTest::project()
{
    QFETCH(double, trend);
    QFETCH(double, rate);
    QFETCH(double, goal);
    QFETCH(Projection::Kind, kind);
    QFETCH(QDate, date);
    QFETCH(bool, tooFast);
    const auto given = [](double value) { return value == none ? std::nullopt : std::optional<double>(value); };
    const Projection projection = health::project(given(trend), given(rate), newest, goal);
    QCOMPARE(projection.kind, kind);
    QCOMPARE(projection.date, date);
    QCOMPARE(projection.tooFast, tooFast);
}

void GoalTest::texts_data()
{
    QTest::addColumn<Projection>("projection");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QString>("shortForm");

    using K = Projection::Kind;
    QTest::newRow("date") << Projection{K::Date, QDate(2027, 5, 3), false}
                          << QStringLiteral("按现在的速度，预计 2027年5月3日 达到目标。")
                          << QStringLiteral("预计 2027年5月3日 达到目标");
    QTest::newRow("away") << Projection{K::Away, {}, false} << QStringLiteral("按现在的趋势还达不到目标。")
                          << QStringLiteral("还达不到目标");
    QTest::newRow("too far") << Projection{K::TooFar, {}, false} << QStringLiteral("按现在的速度，达到目标要超过三年。")
                             << QStringLiteral("超过三年达到目标");
    QTest::newRow("reached") << Projection{K::Reached, {}, false} << QStringLiteral("已达到目标，保持住！")
                             << QStringLiteral("已达到目标");
    QTest::newRow("no rate: nothing in the title")
        << Projection{K::NoRate, {}, false} << QStringLiteral("称重记录还太少，无法预计达到目标的日期。") << QString();
}

void GoalTest::texts()
{
    QFETCH(Projection, projection);
    QFETCH(QString, sentence);
    QFETCH(QString, shortForm);
    QCOMPARE(projectionSentence(projection), sentence);
    QCOMPARE(projectionShort(projection), shortForm);
}

QTEST_GUILESS_MAIN(GoalTest)
#include "tst_goal.moc"
