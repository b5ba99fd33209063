// Exercise energy and the real daily use, against figures worked by hand. The real use is asked on 29 December 2026:
// its window is 1 to 28 December.
#include "health/energy.h"

#include <QtTest>

using namespace health;

using Intake = std::vector<DayIntake>;
using Trend = std::vector<TrendAt>;
Q_DECLARE_METATYPE(Intake)
Q_DECLARE_METATYPE(Trend)
Q_DECLARE_METATYPE(health::RealUse::Kind)

namespace {

const QDate today(2026, 12, 29);

QDate december(int day)
{
    return QDate(2026, 12, day);
}

// `count` days of `kcal` from the `first` of December on.
Intake days(int first, int count, double kcal)
{
    Intake intake;
    for (int d = 0; d < count; ++d)
        intake.push_back({december(first + d), kcal});
    return intake;
}

Intake operator+(Intake a, const Intake& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class EnergyTest : public QObject {
    Q_OBJECT

private slots:
    void exercise_data()
    {
        QTest::addColumn<double>("met");
        QTest::addColumn<double>("weightJin");
        QTest::addColumn<double>("minutes");
        QTest::addColumn<int>("kcal");
        // Net of the resting 1 MET, which the budget already holds. 30 minutes of 快走 (4.8 MET) at 150 jin:
        // (4.8 − 1) × 75 kg × 0.5 h = 142.5, half up to 143; counted in full (4.8 × 75 × 0.5) it would be 180.
        QTest::newRow("brisk walk, 150 jin, half an hour") << 4.8 << 150.0 << 30.0 << 143;
        // (4.3 − 1) × 60 × 0.5 = 99.
        QTest::newRow("4.3 MET, 60 kg, half an hour") << 4.3 << 120.0 << 30.0 << 99;
        // (8 − 1) × 75 × 0.75 = 393.75.
        QTest::newRow("jogging, 75 kg, 45 minutes") << 8.0 << 150.0 << 45.0 << 394;
        // (3 − 1) × 50 × 20/60 = 33.3.
        QTest::newRow("a third of an hour") << 3.0 << 100.0 << 20.0 << 33;
        // (11.8 − 1) × 55 × 10/60 = 99.0.
        QTest::newRow("rounded to the kcal") << 11.8 << 110.0 << 10.0 << 99;
        // Resting burns nothing beyond rest.
        QTest::newRow("1 MET") << 1.0 << 150.0 << 60.0 << 0;
    }
    void exercise()
    {
        QFETCH(double, met);
        QFETCH(double, weightJin);
        QFETCH(double, minutes);
        QFETCH(int, kcal);
        QCOMPARE(exerciseEnergy(met, weightJin, minutes), kcal);
    }

    void realUse_data()
    {
        QTest::addColumn<Intake>("intake");
        QTest::addColumn<Trend>("trend");
        QTest::addColumn<RealUse::Kind>("kind");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("kcal");
        using K = RealUse::Kind;
        const Trend losing{{december(1), 150.0}, {december(28), 148.0}};

        // 1,500 a day while the trend lost 2 jin in 27 days: 1500 + 2 × 3850 ÷ 27 = 1785.2, to 1,790.
        QTest::newRow("twenty complete days, losing") << days(1, 20, 1500) << losing << K::Estimate << 20 << 1790;
        // The same, with what must be left out: days under 800 kcal, a day before the window, today, and a
        // weighing before the window.
        QTest::newRow("incomplete days, today and days before are left out")
            << days(1, 20, 1500) + days(21, 8, 799) + Intake{{QDate(2026, 11, 30), 5000}, {today, 3000}}
            << Trend{{QDate(2026, 11, 20), 160.0}, {december(1), 150.0}, {december(28), 148.0}, {today, 100.0}}
            << K::Estimate << 20 << 1790;
        // Gaining 1 jin in 20 days on 2,200 a day: 2200 − 3850 ÷ 20 = 2007.5, to 2,010.
        QTest::newRow("gaining") << days(5, 20, 2200) << Trend{{december(5), 100.0}, {december(25), 101.0}}
                                 << K::Estimate << 20 << 2010;
        // 14 days exactly, a flat trend 14 days apart: the mean itself. A day of exactly 800 is complete.
        QTest::newRow("the fourteen-day minimum")
            << days(1, 13, 2000) + Intake{{december(14), 800}}
            << Trend{{december(5), 140.0}, {december(12), 139.0}, {december(19), 140.0}} << K::Estimate << 14
            << 1910; // (13 × 2000 + 800) ÷ 14 = 1914.3
        QTest::newRow("thirteen days are too few")
            << days(1, 13, 2000) + days(14, 10, 700) << losing << K::TooFewLogs << 13 << 0;
        QTest::newRow("weighings thirteen days apart")
            << days(1, 20, 1500) << Trend{{december(2), 150.0}, {december(15), 149.0}} << K::TooFewWeighings << 20 << 0;
        QTest::newRow("no weighing in the window")
            << days(1, 20, 1500) << Trend{{QDate(2026, 11, 1), 150.0}} << K::TooFewWeighings << 20 << 0;
    }
    void realUse()
    {
        QFETCH(Intake, intake);
        QFETCH(Trend, trend);
        QFETCH(RealUse::Kind, kind);
        QFETCH(int, days);
        QFETCH(int, kcal);
        const RealUse use = health::realUse(intake, trend, today);
        QCOMPARE(use.kind, kind);
        QCOMPARE(use.days, days);
        QCOMPARE(use.kcal, kcal);
    }
};

QTEST_GUILESS_MAIN(EnergyTest)
#include "tst_energy.moc"
