// The goal on the chart: a dashed dark-green line with its value inside a widened axis, and the projection in the
// title while the trend is shown.
#include "chart/dbchart.h"
#include "chartfixture.h"
#include "data/conversions.h"

#include <QtTest>

using namespace chartfixture;

namespace {

// The goal's dark green (0, 100, 0), alone or mostly over white: green at least 66 above red and blue. The legend's
// darker green, and white text blended over it, stay at 64 or less.
bool isGoalGreen(QRgb c)
{
    return std::abs(qRed(c) - qBlue(c)) <= 3 && qGreen(c) - qRed(c) > 66 && qGreen(c) < 140;
}

double morning(int month, int day)
{
    return conversions::toOleDate(QDateTime(QDate(2026, month, day), QTime(7, 0)));
}

// 150 on 30 November and `second` on 7 December.
void weigh(DbChart& chart, double second)
{
    chart.series()->addXY(morning(11, 30), 150);
    chart.series()->addXY(morning(12, 7), second);
}

} // namespace

class GoalLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { conversions::setLocale(QLocale(QLocale::Chinese, QLocale::China)); }

    void goalWidensTheAxisAndIsDrawnDashedWithItsValue()
    {
        DbChart chart;
        weigh(chart, 150);
        const QImage without = render(chart);
        QCOMPARE(countPixels(without, without.rect(), isGoalGreen), 0);

        chart.setGoal(120);
        const QImage image = render(chart);
        const ChartLayout l = layoutOf(chart, image);
        QCOMPARE(l.y.min, 120.0);
        QCOMPARE(l.y.max, 150.0);
        const int y = qRound(l.yToPixel(120, l.back));
        const QRect row(l.back.left(), y, l.back.width(), 1);
        const int dashes = countPixels(image, row, isGoalGreen);
        // Dashed: much of the row, not all of it.
        QVERIFY2(dashes > l.back.width() / 3 && dashes < l.back.width() - 10, qPrintable(QString::number(dashes)));
        // The value at the right end, above the line; nothing of it at the left.
        const QRect label(l.back.right() - 80, l.back.top(), 80, y - l.back.top());
        QVERIFY(countPixels(image, label, isGoalGreen) > 20);
        QCOMPARE(countPixels(image, QRect(l.back.left(), l.back.top(), 80, y - l.back.top()), isGoalGreen), 0);
    }

    void valueStaysClearOfTheLegend()
    {
        DbChart chart;
        // Enough weighings for the legend to reach down to the goal.
        for (int day = 1; day <= 20; ++day)
            chart.series()->addXY(morning(11, day), 150);
        chart.setGoal(120);
        chart.setLegendVisible(true);
        const QImage image = render(chart);
        const ChartLayout l = layoutOf(chart, image);
        const int y = qRound(l.yToPixel(120, l.back));
        QVERIFY(l.legend.bottom() > y - 20);
        const QRect beside(l.legend.left() - 80, y - 20, 80, 20);
        QVERIFY(countPixels(image, beside, isGoalGreen) > 20);
        // Over the legend only the dashes, in the goal's own row.
        QCOMPARE(countPixels(image, QRect(l.legend.left(), y - 20, l.legend.width(), 19), isGoalGreen), 0);
    }

    void titleCarriesTheProjection_data()
    {
        QTest::addColumn<double>("second");
        QTest::addColumn<double>("goal");
        QTest::addColumn<QString>("title");
        // Trend 150, then 150 + 0.1 × (140 − 150) = 149: −1 jin in 7 days. 29 jin at 1/7 a day is 203 days after
        // 7 December: 28 June 2027.
        QTest::newRow("a date") << 140.0 << 120.0
                                << QStringLiteral("瘦身曲线（趋势 149.0斤，每周 -1.0斤，预计 2027年6月28日 达到目标）");
        QTest::newRow("flat") << 150.0 << 120.0 << QStringLiteral("瘦身曲线（趋势 150.0斤，每周 0.0斤，还达不到目标）");
        QTest::newRow("within a jin") << 150.0 << 151.0
                                      << QStringLiteral("瘦身曲线（趋势 150.0斤，每周 0.0斤，已达到目标）");
        QTest::newRow("no goal") << 150.0 << 0.0 << QStringLiteral("瘦身曲线（趋势 150.0斤，每周 0.0斤）");
    }

    void titleCarriesTheProjection()
    {
        QFETCH(double, second);
        QFETCH(double, goal);
        QFETCH(QString, title);
        DbChart chart;
        weigh(chart, second);
        if (goal > 0)
            chart.setGoal(goal);
        QCOMPARE(chart.chartLayout(QRect(0, 0, 681, 250), nullptr).titleText, QStringLiteral("瘦身曲线"));
        chart.setTrendVisible(true);
        QCOMPARE(chart.chartLayout(QRect(0, 0, 681, 250), nullptr).titleText, title);
    }
};

QTEST_MAIN(GoalLineTest)
#include "tst_goalline.moc"
