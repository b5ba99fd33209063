// The waist bands at their edges for both sexes, the ratios and the changes, against figures worked by hand.
#include "health/measure.h"

#include <QtTest>

using namespace health;

Q_DECLARE_METATYPE(health::Sex)
Q_DECLARE_METATYPE(health::WaistClass)

class MeasureTest : public QObject {
    Q_OBJECT

private slots:
    void waistClass_data();
    void waistClass();
    void classStartNamesTheBandOfTheSex();
    void ratios_data();
    void ratios();
    void changesSinceFirstAndInFourWeeks();
    void monthMeansLeaveOutEmptyMonths();
};

void MeasureTest::waistClass_data()
{
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<double>("waist");
    QTest::addColumn<WaistClass>("expected");
    QTest::newRow("woman 79.9") << Sex::Female << 79.9 << WaistClass::Normal;
    QTest::newRow("woman 80") << Sex::Female << 80.0 << WaistClass::PreCentral;
    QTest::newRow("woman 84.9") << Sex::Female << 84.9 << WaistClass::PreCentral;
    QTest::newRow("woman 85") << Sex::Female << 85.0 << WaistClass::Central;
    QTest::newRow("man 84.9") << Sex::Male << 84.9 << WaistClass::Normal;
    QTest::newRow("man 85") << Sex::Male << 85.0 << WaistClass::PreCentral;
    QTest::newRow("man 89.9") << Sex::Male << 89.9 << WaistClass::PreCentral;
    QTest::newRow("man 90") << Sex::Male << 90.0 << WaistClass::Central;
    // 79.96 is shown as 80, and a figure shown as 80 must not read 正常.
    QTest::newRow("woman 79.96 shows 80") << Sex::Female << 79.96 << WaistClass::PreCentral;
    QTest::newRow("woman 79.94 shows 79.9") << Sex::Female << 79.94 << WaistClass::Normal;
}

void MeasureTest::waistClass()
{
    QFETCH(Sex, sex);
    QFETCH(double, waist);
    QFETCH(WaistClass, expected);
    QCOMPARE(health::waistClass(waist, sex), expected);
}

void MeasureTest::classStartNamesTheBandOfTheSex()
{
    QCOMPARE(waistClassStart(WaistClass::PreCentral, Sex::Female), 80.0);
    QCOMPARE(waistClassStart(WaistClass::Central, Sex::Male), 90.0);
    QVERIFY(!waistClassStart(WaistClass::Normal, Sex::Male));
    QCOMPARE(waistClassName(WaistClass::PreCentral), QStringLiteral("中心型肥胖前期"));
    QCOMPARE(measureText(86), QStringLiteral("86"));
    QCOMPARE(measureText(84.94), QStringLiteral("84.9"));
}

void MeasureTest::ratios_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("expected");
    // 86 ÷ 165 = 0.5212…: 0.52.
    QTest::newRow("waist to height 86/165") << 86.0 << 165.0 << 0.52;
    // 82.5 ÷ 165 = 0.5 exactly.
    QTest::newRow("waist to height 82.5/165") << 82.5 << 165.0 << 0.5;
    // 86 ÷ 98 = 0.87755…: 0.88.
    QTest::newRow("waist to hip 86/98") << 86.0 << 98.0 << 0.88;
    // 70 ÷ 104 = 0.67307…: 0.67.
    QTest::newRow("waist to hip 70/104") << 70.0 << 104.0 << 0.67;
}

void MeasureTest::ratios()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, expected);
    QCOMPARE(ratio(a, b), expected);
    QVERIFY(!ratio(a, 0));
}

void MeasureTest::changesSinceFirstAndInFourWeeks()
{
    // Waists 90 (Oct 1), none (Nov 1), 88 (Nov 10), 87.5 (Nov 20), 86 (Dec 8). Four weeks before Dec 8 is Nov 10:
    // 86 − 88 = −2; since the first, 86 − 90 = −4. The row without a waist is passed over.
    const std::vector<Measurement> rows{{QDate(2026, 10, 1), 90.0, 100.0, 32.0},
                                        {QDate(2026, 11, 1), std::nullopt, 99.0, std::nullopt},
                                        {QDate(2026, 11, 10), 88.0, std::nullopt, 31.0},
                                        {QDate(2026, 11, 20), 87.5, std::nullopt, std::nullopt},
                                        {QDate(2026, 12, 8), 86.0, std::nullopt, std::nullopt}};
    const Change waist = changeOf(rows, Measure::Waist);
    QCOMPARE(waist.newest, 86.0);
    QCOMPARE(waist.newestDate, QDate(2026, 12, 8));
    QCOMPARE(waist.sinceFirst, -4.0);
    QCOMPARE(waist.recent, -2.0);
    // Body fat: newest 31 on Nov 10; the first 32 is 40 days before it, outside the four weeks: −1 in all, none
    // recent.
    const Change fat = changeOf(rows, Measure::Fat);
    QCOMPARE(fat.newest, 31.0);
    QCOMPARE(fat.sinceFirst, -1.0);
    QVERIFY(!fat.recent);
    // A single value has no change.
    const Change hip = changeOf({rows[0]}, Measure::Hip);
    QCOMPARE(hip.newest, 100.0);
    QVERIFY(!hip.sinceFirst);
}

void MeasureTest::monthMeansLeaveOutEmptyMonths()
{
    // October: waists 90 and 87 give 88.5, fat 30 alone; November only a hip: left out; December 86, no fat.
    const std::vector<Measurement> rows{{QDate(2026, 10, 1), 90.0, std::nullopt, 30.0},
                                        {QDate(2026, 10, 20), 87.0, std::nullopt, std::nullopt},
                                        {QDate(2026, 11, 5), std::nullopt, 99.0, std::nullopt},
                                        {QDate(2026, 12, 1), 86.0, std::nullopt, std::nullopt}};
    const std::vector<MonthMeans> expected{{2026, 10, 88.5, 30.0}, {2026, 12, 86.0, std::nullopt}};
    QCOMPARE(byMonth(rows), expected);
}

QTEST_APPLESS_MAIN(MeasureTest)
#include "tst_measure.moc"
