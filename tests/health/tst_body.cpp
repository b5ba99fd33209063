// BMI and its class, the healthy range, resting energy and the daily budget, each against figures worked by hand.
#include "health/body.h"

#include <QtTest>

using namespace health;

Q_DECLARE_METATYPE(health::Sex)
Q_DECLARE_METATYPE(health::Activity)
Q_DECLARE_METATYPE(health::BmiClass)
Q_DECLARE_METATYPE(health::Caution)
Q_DECLARE_METATYPE(health::Profile)

class BodyTest : public QObject {
    Q_OBJECT

private slots:
    void bmiOfTheWorkedExample();
    void noBmiWithoutWeightOrHeight();
    void bmiClass_data();
    void bmiClass();
    void underweightIsCalledByTheStandardsWord();
    void healthyRange_data();
    void healthyRange();
    void rangeEndsAgreeWithTheClassAtEveryHeight();
    void caution_data();
    void caution();
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

void BodyTest::underweightIsCalledByTheStandardsWord()
{
    QCOMPARE(bmiClassName(BmiClass::Underweight), QStringLiteral("体重过低"));
}

void BodyTest::healthyRange_data()
{
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("age"); // 0: not known
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    // The range is the weights whose shown BMI is 正常: 18.45 or more (shown 18.5) and under 23.95 (shown 23.9).
    // 165 cm: 2.7225 m² × 2 = 5.445 jin a BMI unit. 18.45 × 5.445 = 100.46, so 100.5 (BMI 18.457; 100.4 is 18.439);
    // 23.95 × 5.445 = 130.41, so 130.4 (BMI 23.949; 130.5 is 23.967, shown 24.0).
    QTest::newRow("165 cm") << 165.0 << 0 << 100.5 << 130.4;
    // 160 cm: 5.12 jin a unit. 18.45 × 5.12 = 94.46, so 94.5 (18.457); 23.95 × 5.12 = 122.62, so 122.6 (23.945).
    QTest::newRow("160 cm, aged 30") << 160.0 << 30 << 94.5 << 122.6;
    // 100 cm: 2 jin a unit. 36.9 jin is BMI 18.45, shown 18.5; 47.9 is 23.95, shown 24.0, so the range ends at 47.8.
    QTest::newRow("100 cm, ends on the halves") << 100.0 << 0 << 36.9 << 47.8;
    // From 65, BMI 20.0–26.9: 19.95 × 5.12 = 102.14, so 102.2 (19.961; 102.1 is 19.941); 26.95 × 5.12 = 137.98, so
    // 137.9 (26.934; 138.0 is 26.953, shown 27.0).
    QTest::newRow("160 cm, aged 70") << 160.0 << 70 << 102.2 << 137.9;
    QTest::newRow("160 cm, aged 65") << 160.0 << 65 << 102.2 << 137.9;
    QTest::newRow("160 cm, aged 64") << 160.0 << 64 << 94.5 << 122.6;
    // From 80, BMI 22.0–26.9: 21.95 × 5.12 = 112.38, so 112.4 (21.953; 112.3 is 21.934).
    QTest::newRow("160 cm, aged 80") << 160.0 << 80 << 112.4 << 137.9;
}

void BodyTest::healthyRange()
{
    QFETCH(double, height);
    QFETCH(int, age);
    QFETCH(double, low);
    QFETCH(double, high);
    const WeightRange range = health::healthyRange(height, age ? std::optional<int>(age) : std::nullopt);
    QCOMPARE(range.low, low);
    QCOMPARE(range.high, high);
}

// At every height a user may well have, the range's ends are 正常 and a tenth beyond each is not.
void BodyTest::rangeEndsAgreeWithTheClassAtEveryHeight()
{
    for (int tenths = 1400; tenths <= 2000; tenths += 5) {
        const double height = tenths / 10.0;
        const WeightRange range = health::healthyRange(height);
        const auto classOf = [height](double jin) { return health::bmiClass(*health::bmi(jin, height)); };
        const QByteArray at = QByteArray::number(height);
        QVERIFY2(classOf(range.low) == BmiClass::Normal, at);
        QVERIFY2(classOf(range.low - 0.1) == BmiClass::Underweight, at);
        QVERIFY2(classOf(range.high) == BmiClass::Normal, at);
        QVERIFY2(classOf(range.high + 0.1) == BmiClass::Overweight, at);
    }
}

void BodyTest::caution_data()
{
    QTest::addColumn<Profile>("profile");
    QTest::addColumn<double>("trend");
    QTest::addColumn<Caution>("caution");
    // All counted in 2026, 160 cm (5.12 jin a BMI unit) unless said.
    // A girl born 2012 is 14: 100 jin is BMI 19.5, but the adult scale is not hers.
    QTest::newRow("a 14-year-old girl") << Profile{160.0,           Sex::Female,  2012, std::nullopt,
                                                   Activity::Light, std::nullopt, false}
                                        << 100.0 << Caution::Child;
    QTest::newRow("born 2008, 18 this year")
        << Profile{160.0, Sex::Female, 2008, std::nullopt, Activity::Light, std::nullopt, false} << 100.0
        << Caution::None;
    // 92 ÷ 5.12 = 17.97, shown 18.0: under 18.5.
    QTest::newRow("a woman at 92 jin") << Profile{160.0,        Sex::Female, 1996, std::nullopt, Activity::Sedentary,
                                                  std::nullopt, false}
                                       << 92.0 << Caution::Underweight;
    // 94.5 ÷ 5.12 = 18.457, shown 18.5.
    QTest::newRow("at 94.5 jin, 正常") << Profile{160.0,        Sex::Female, 1996, std::nullopt, Activity::Sedentary,
                                                  std::nullopt, false}
                                       << 94.5 << Caution::None;
    QTest::newRow("pregnant") << Profile{165.0, Sex::Female, 1990, 120.0, Activity::Light, std::nullopt, true} << 150.0
                              << Caution::Pregnant;
    QTest::newRow("not yet asked") << Profile{165.0,           Sex::Female,  1990,        120.0,
                                              Activity::Light, std::nullopt, std::nullopt}
                                   << 150.0 << Caution::Unasked;
    QTest::newRow("a man is not asked") << Profile{165.0,           Sex::Male,    1990,        120.0,
                                                   Activity::Light, std::nullopt, std::nullopt}
                                        << 150.0 << Caution::None;
    // Born 1956, 70: 107.5 ÷ 5.12 = 20.996, BMI 21.0, within 20–26.9; 137.9 is 26.934, shown 26.9, its top; 138.0 is
    // 26.953, shown 27.0, above it.
    QTest::newRow("70 at BMI 21") << Profile{160.0,        Sex::Female, 1956, std::nullopt, Activity::Sedentary,
                                             std::nullopt, false}
                                  << 107.5 << Caution::OlderInRange;
    QTest::newRow("70 at BMI 26.9") << Profile{160.0,        Sex::Female, 1956, std::nullopt, Activity::Sedentary,
                                               std::nullopt, false}
                                    << 137.9 << Caution::OlderInRange;
    QTest::newRow("70 at BMI 27.0") << Profile{160.0,        Sex::Female, 1956, std::nullopt, Activity::Sedentary,
                                               std::nullopt, false}
                                    << 138.0 << Caution::None;
    // Born 1971, 55: not asked, and not held back for want of an answer.
    QTest::newRow("55, not asked") << Profile{160.0,        Sex::Female, 1971, std::nullopt, Activity::Sedentary,
                                              std::nullopt, std::nullopt}
                                   << 150.0 << Caution::None;
    QTest::newRow("54, not yet asked") << Profile{160.0,        Sex::Female, 1972, std::nullopt, Activity::Sedentary,
                                                  std::nullopt, std::nullopt}
                                       << 150.0 << Caution::Unasked;
    QTest::newRow("64 at BMI 21") << Profile{160.0,        Sex::Female, 1962, std::nullopt, Activity::Sedentary,
                                             std::nullopt, false}
                                  << 107.5 << Caution::None;
}

void BodyTest::caution()
{
    QFETCH(Profile, profile);
    QFETCH(double, trend);
    QFETCH(Caution, caution);
    QCOMPARE(health::caution(profile, trend, 2026), caution);
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
