// BMI and its class, the healthy range, resting energy and the daily budget, each against figures worked by hand.
#include "health/body.h"

#include <QtTest>

using namespace health;

Q_DECLARE_METATYPE(health::Sex)
Q_DECLARE_METATYPE(health::Activity)
Q_DECLARE_METATYPE(health::BmiClass)

class BodyTest : public QObject {
    Q_OBJECT

private slots:
    void bmiOfTheWorkedExample();
    void noBmiWithoutWeightOrHeight();
    void bmiClass_data();
    void bmiClass();
    void healthyRange_data();
    void healthyRange();
    void budget_data();
    void budget();
    void kcalTextGroupsThousands();
};

// A woman of 165 cm whose trend is 150 jin: 150 ÷ 2 = 75 kg, 1.65² = 2.7225 m², 75 ÷ 2.7225 = 27.548…, shown 27.5,
// 超重 (24 to under 28).
void BodyTest::bmiOfTheWorkedExample()
{
    const std::optional<double> value = bmi(150, 165);
    QVERIFY(value);
    QCOMPARE(std::round(*value * 1000) / 1000, 27.548);
    QCOMPARE(health::bmiClass(*value), BmiClass::Overweight);
    QCOMPARE(bmiClassName(health::bmiClass(*value)), QStringLiteral("超重"));
}

void BodyTest::noBmiWithoutWeightOrHeight()
{
    QVERIFY(!bmi(0, 165));
    QVERIFY(!bmi(150, 0));
}

void BodyTest::bmiClass_data()
{
    QTest::addColumn<double>("bmi");
    QTest::addColumn<BmiClass>("expected");
    QTest::newRow("18.4 is thin") << 18.4 << BmiClass::Underweight;
    QTest::newRow("18.5 is normal") << 18.5 << BmiClass::Normal;
    // The class follows the figure shown: 23.94 shows 23.9, 23.96 shows 24.0.
    QTest::newRow("23.94 shows 23.9, normal") << 23.94 << BmiClass::Normal;
    QTest::newRow("23.96 shows 24.0, overweight") << 23.96 << BmiClass::Overweight;
    QTest::newRow("27.9 is overweight") << 27.9 << BmiClass::Overweight;
    QTest::newRow("28 is obese") << 28.0 << BmiClass::Obese;
}

void BodyTest::bmiClass()
{
    QFETCH(double, bmi);
    QFETCH(BmiClass, expected);
    QCOMPARE(health::bmiClass(bmi), expected);
}

void BodyTest::healthyRange_data()
{
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    // 18.5 × 2.7225 = 50.36625 kg = 100.7325 jin, up to 100.8; 24 × 2.7225 = 65.34 kg = 130.68 jin, the last tenth
    // below it 130.6.
    QTest::newRow("165 cm") << 165.0 << 100.8 << 130.6;
    // 18.5 × 1 × 2 = 37 jin exactly stays 37; 24 × 2 = 48 jin is BMI 24, so the range ends at 47.9.
    QTest::newRow("100 cm, ends on whole tenths") << 100.0 << 37.0 << 47.9;
}

void BodyTest::healthyRange()
{
    QFETCH(double, height);
    QFETCH(double, low);
    QFETCH(double, high);
    const WeightRange range = health::healthyRange(height);
    QCOMPARE(range.low, low);
    QCOMPARE(range.high, high);
}

void BodyTest::budget_data()
{
    QTest::addColumn<double>("weight");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("age");
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<Activity>("activity");
    QTest::addColumn<double>("resting");
    QTest::addColumn<bool>("losing");
    QTest::addColumn<int>("budget");

    // Born 1990, in 2026 aged 36: 10 × 75 + 6.25 × 165 − 5 × 36 − 161 = 750 + 1031.25 − 180 − 161 = 1440.25;
    // × 1.375 = 1980.34375; − 500 = 1480.34, to the nearest ten 1480.
    QTest::newRow("the worked example, light activity")
        << 150.0 << 165.0 << 36 << Sex::Female << Activity::Light << 1440.25 << true << 1480;
    // 10 × 100 + 6.25 × 180 − 5 × 30 + 5 = 1000 + 1125 − 150 + 5 = 1980; × 1.725 = 3415.5; − 500 = 2915.5 → 2920.
    QTest::newRow("a man, heavy activity, rounded up")
        << 200.0 << 180.0 << 30 << Sex::Male << Activity::Heavy << 1980.0 << true << 2920;
    // 10 × 45 + 6.25 × 150 − 5 × 60 − 161 = 450 + 937.5 − 300 − 161 = 926.5; × 1.2 = 1111.8; − 500 = 611.8,
    // under the woman's floor.
    QTest::newRow("a woman's floor") << 90.0 << 150.0 << 60 << Sex::Female << Activity::Sedentary << 926.5 << true
                                     << 1200;
    // 10 × 50 + 6.25 × 160 − 5 × 70 + 5 = 500 + 1000 − 350 + 5 = 1155; × 1.2 = 1386; − 500 = 886, under the man's.
    QTest::newRow("a man's floor") << 100.0 << 160.0 << 70 << Sex::Male << Activity::Sedentary << 1155.0 << true
                                   << 1500;
    // 10 × 60 + 6.25 × 170 − 5 × 40 − 161 = 600 + 1062.5 − 200 − 161 = 1301.5; × 1.55 = 2017.325; − 500 → 1520.
    // The worked example at its goal: 1980.34375 with no deficit, 1980.
    QTest::newRow("keeping weight, no deficit")
        << 150.0 << 165.0 << 36 << Sex::Female << Activity::Light << 1440.25 << false << 1980;
    QTest::newRow("moderate activity") << 120.0 << 170.0 << 40 << Sex::Female << Activity::Moderate << 1301.5 << true
                                       << 1520;
}

void BodyTest::budget()
{
    QFETCH(double, weight);
    QFETCH(double, height);
    QFETCH(int, age);
    QFETCH(Sex, sex);
    QFETCH(Activity, activity);
    QFETCH(double, resting);
    QFETCH(bool, losing);
    QFETCH(int, budget);
    const double energy = restingEnergy(weight, height, age, sex);
    QCOMPARE(energy, resting);
    QCOMPARE(dailyBudget(energy, activity, sex, losing), budget);
}

void BodyTest::kcalTextGroupsThousands()
{
    QCOMPARE(kcalText(1480), QStringLiteral("1,480"));
    QCOMPARE(kcalText(950), QStringLiteral("950"));
}

QTEST_GUILESS_MAIN(BodyTest)
#include "tst_body.moc"
