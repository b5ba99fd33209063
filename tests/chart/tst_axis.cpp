// Axis scaling: date and number steps at their limits, label positions and label texts.
#include "chart/axis.h"
#include "data/conversions.h"

#include <QDateTime>
#include <QtTest>

namespace {

double ole(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return conversions::toOleDate(QDateTime(QDate(year, month, day), QTime(hour, minute, second)));
}

// 2023-03-15 is day 45000.
constexpr double day45000 = 45000;

} // namespace

class AxisTest : public QObject {
    Q_OBJECT

private slots:
    void dateStep_data();
    void dateStep();
    void dateLabels_data();
    void dateLabels();
    void labelValues_data();
    void labelValues();
    void numberStep_data();
    void numberStep();
    void minorTicks_data();
    void minorTicks();
    void formatNumber_data();
    void formatNumber();
};

void AxisTest::dateStep_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("labelWidth");
    QTest::addColumn<double>("step");

    // With 60-pixel labels 726 pixels hold exactly 11 labels (726 / 66) and 725 only 10.
    const double morning = ole(2023, 3, 15);
    const double tenOClock = ole(2023, 3, 15, 10);
    QTest::newRow("1 h: 11 labels just fit") << morning << tenOClock << 726 << 60 << axis::hour;
    QTest::newRow("1 h: 11 labels do not fit in 10") << morning << tenOClock << 725 << 60 << 2 * axis::hour;
    QTest::newRow("30 min: 21 labels just fit") << morning << tenOClock << 1386 << 60 << 30 * axis::minute;
    QTest::newRow("30 min: 21 labels do not fit in 20") << morning << tenOClock << 1385 << 60 << axis::hour;

    const double tenSeconds = ole(2023, 3, 15, 0, 0, 10);
    QTest::newRow("1 s fits") << morning << tenSeconds << 726 << 60 << axis::second;
    QTest::newRow("1 s does not, 5 s does") << morning << tenSeconds << 725 << 60 << 5 * axis::second;
    QTest::newRow("15 min") << morning << ole(2023, 3, 15, 2, 30) << 726 << 60 << 15 * axis::minute;

    QTest::newRow("1 day fits") << day45000 << day45000 + 10 << 726 << 60 << 1.0;
    QTest::newRow("1 day does not, 2 days do") << day45000 << day45000 + 10 << 725 << 60 << 2.0;
    // 45000 is a multiple of 3: 11 labels over 30 days; weeks give 4.
    QTest::newRow("3 days fit") << day45000 << day45000 + 30 << 726 << 60 << 3.0;
    QTest::newRow("3 days do not, a week does") << day45000 << day45000 + 30 << 725 << 60 << 7.0;
    QTest::newRow("three weeks on the curve window") << day45000 << day45000 + 21 << 600 << 60 << 3.0;

    QTest::newRow("182 days fit") << 0.0 << 1820.0 << 726 << 60 << 182.0;
    QTest::newRow("182 days do not, a year does") << 0.0 << 1820.0 << 725 << 60 << 365.0;
    QTest::newRow("a year fits") << 0.0 << 3650.0 << 726 << 60 << 365.0;
    QTest::newRow("a year does not: doubled once") << 0.0 << 3650.0 << 725 << 60 << 730.0;
    QTest::newRow("two labels: doubled three times") << 0.0 << 3650.0 << 132 << 60 << 2920.0;
    QTest::newRow("one label: doubled four times") << 0.0 << 3650.0 << 66 << 60 << 5840.0;
    QTest::newRow("axis shorter than one label still gets a step") << 0.0 << 3650.0 << 10 << 60 << 5840.0;
}

void AxisTest::dateStep()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, length);
    QFETCH(int, labelWidth);
    QFETCH(double, step);
    QCOMPARE(axis::dateStep(min, max, length, labelWidth), step);
}

void AxisTest::dateLabels_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("labels");

    // 400 / 66 leaves room for 6 labels: 1 h and 2 h give 19 and 10, 6 h gives 4, all on one day.
    const double from = ole(2023, 3, 15);
    const double to = ole(2023, 3, 15, 18);
    QTest::newRow("6 h: four labels on one date")
        << from << to << 400 << QStringLiteral("yyyy-MM-dd")
        << QStringList{"2023-03-15", "2023-03-15", "2023-03-15", "2023-03-15"};
    QTest::newRow("6 h: the same with the time shown")
        << from << to << 400 << QStringLiteral("yyyy-MM-dd HH:mm")
        << QStringList{"2023-03-15 18:00", "2023-03-15 12:00", "2023-03-15 06:00", "2023-03-15 00:00"};
    // Weeks are counted from 1899-12-30, not from the first value: 45024 = 7 × 6432. 600 / 66 leaves room for
    // 9 labels, so 3 days (10 labels) are too many.
    QTest::newRow("weeks counted from the epoch, downwards")
        << day45000 + 0.5 << day45000 + 30 << 600 << QStringLiteral("yyyy-MM-dd")
        << QStringList{"2023-04-08", "2023-04-01", "2023-03-25", "2023-03-18"};
    QTest::newRow("days end on the last whole day")
        << ole(2023, 3, 15, 9) << ole(2023, 3, 18, 20) << 300 << QStringLiteral("yyyy-MM-dd")
        << QStringList{"2023-03-18", "2023-03-17", "2023-03-16"};
    QTest::newRow("doubled years") << 0.0 << 3650.0 << 132 << QStringLiteral("yyyy-MM-dd")
                                   << QStringList{"1907-12-29", "1899-12-30"};
}

void AxisTest::dateLabels()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, length);
    QFETCH(QString, format);
    QFETCH(QStringList, labels);
    const double step = axis::dateStep(min, max, length, 60);
    QStringList texts;
    for (double value : axis::labelValues(min, max, step))
        texts << axis::formatDate(value, format);
    QCOMPARE(texts, labels);
}

void AxisTest::labelValues_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("step");
    QTest::addColumn<QList<double>>("values");

    QTest::newRow("days inside the range, from the top")
        << 45000.1 << 45003.9 << 1.0 << QList<double>{45003, 45002, 45001};
    QTest::newRow("both ends on multiples are kept")
        << 45000.0 << 45003.0 << 1.0 << QList<double>{45003, 45002, 45001, 45000};
    const double from = ole(2023, 3, 15);
    QTest::newRow("hours from stored date-times")
        << from << ole(2023, 3, 15, 3) << axis::hour
        << QList<double>{from + 3 * axis::hour, from + 2 * axis::hour, from + axis::hour, from};
    QTest::newRow("tenths whose quotients are not whole in binary")
        << 70.1 << 70.5 << 0.1 << QList<double>{70.5, 70.4, 70.3, 70.2, 70.1};
    QTest::newRow("across zero") << -1.5 << 1.5 << 1.0 << QList<double>{1, 0, -1};
    QTest::newRow("no multiple inside") << 0.2 << 0.8 << 1.0 << QList<double>{};
}

void AxisTest::labelValues()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, step);
    QFETCH(QList<double>, values);
    const std::vector<double> got = axis::labelValues(min, max, step);
    QCOMPARE(static_cast<qsizetype>(got.size()), values.size());
    QCOMPARE(axis::labelCount(min, max, step), values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        const double value = got[static_cast<std::size_t>(i)];
        QVERIFY2(std::abs(value - values[i]) < 1e-9,
                 qPrintable(QStringLiteral("label %1: %2 instead of %3").arg(i).arg(value, 0, 'f', 12).arg(values[i])));
    }
}

void AxisTest::numberStep_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("length");
    QTest::addColumn<double>("step");

    // With 15-pixel labels: 182 pixels hold 11 labels (182 / 16.5), 181 hold 10, 150 hold 9.
    QTest::newRow("10 with 11 labels just fits") << 0.0 << 100.0 << 182 << 10.0;
    QTest::newRow("10 does not fit in 10, 20 does") << 0.0 << 100.0 << 181 << 20.0;
    QTest::newRow("weights over a few kilograms") << 60.5 << 74.2 << 182 << 2.0;
    QTest::newRow("hundreds over thousands") << 0.0 << 5000.0 << 182 << 500.0;
    QTest::newRow("tenths that fit only with rounding care") << 70.1 << 70.9 << 150 << 0.1;
    QTest::newRow("halves") << 70.0 << 72.0 << 83 << 0.5;
    QTest::newRow("fifths") << 70.0 << 71.0 << 100 << 0.2;
    QTest::newRow("five hundredths") << 0.0 << 0.3 << 182 << 0.05;
    QTest::newRow("thousandths are the finest") << 0.0 << 0.0004 << 182 << 0.001;
    QTest::newRow("across zero") << -3.0 << 3.0 << 120 << 1.0;
    QTest::newRow("one label's room") << 0.0 << 100.0 << 10 << 200.0;
}

void AxisTest::numberStep()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, length);
    QFETCH(double, step);
    QCOMPARE(axis::numberStep(min, max, length, 15), step);
}

void AxisTest::minorTicks_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("step");
    QTest::addColumn<QList<double>>("ticks");

    QTest::newRow("three between labels") << 0.0 << 2.0 << 1.0 << QList<double>{0.25, 0.5, 0.75, 1.25, 1.5, 1.75};
    QTest::newRow("beyond the outer labels within range") << 0.6 << 2.1 << 1.0 << QList<double>{0.75, 1.25, 1.5, 1.75};
    QTest::newRow("tenths") << 70.1 << 70.2 << 0.1 << QList<double>{70.125, 70.15, 70.175};
}

void AxisTest::minorTicks()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, step);
    QFETCH(QList<double>, ticks);
    const std::vector<double> got = axis::minorTickValues(min, max, step);
    QCOMPARE(static_cast<qsizetype>(got.size()), ticks.size());
    for (qsizetype i = 0; i < ticks.size(); ++i)
        QVERIFY(std::abs(got[static_cast<std::size_t>(i)] - ticks[i]) < 1e-9);
}

void AxisTest::formatNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    const QString c = QStringLiteral("C");
    QTest::newRow("thousands and one decimal") << c << 1234.5 << "1,234.5";
    QTest::newRow("whole") << c << 120.0 << "120";
    QTest::newRow("three decimals") << c << 0.125 << "0.125";
    QTest::newRow("trailing zeros dropped") << c << 72.10 << "72.1";
    QTest::newRow("rounded to three decimals") << c << 0.12349 << "0.123";
    QTest::newRow("rounding carries into the thousands") << c << 999.9996 << "1,000";
    QTest::newRow("millions") << c << 1234567.891 << "1,234,567.891";
    QTest::newRow("exact thousand groups") << c << 100000.0 << "100,000";
    QTest::newRow("zero") << c << 0.0 << "0";
    QTest::newRow("negative") << c << -1234.5 << "-1,234.5";
    QTest::newRow("negative rounding to zero has no sign") << c << -0.0001 << "0";
    QTest::newRow("below a thousandth") << c << 0.0004 << "0";
    // The locale's separators: a decimal comma and a point between the thousands.
    QTest::newRow("de_DE: thousands and decimals") << "de_DE" << 1234567.891 << "1.234.567,891";
    QTest::newRow("de_DE: a weight") << "de_DE" << 72.5 << "72,5";
    QTest::newRow("de_DE: negative") << "de_DE" << -1234.5 << "-1.234,5";
    QTest::newRow("de_DE: beyond whole thousandths") << "de_DE" << 1e16 << "10.000.000.000.000.000";
    QTest::newRow("zh_CN") << "zh_CN" << 1234.5 << "1,234.5";
}

void AxisTest::formatNumber()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(axis::formatNumber(value, QLocale(locale)), text);
}

QTEST_GUILESS_MAIN(AxisTest)
#include "tst_axis.moc"
