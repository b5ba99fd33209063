// The title with the trend's last value and the weekly rate.
#include "chart/lineseries.h"
#include "chart/trend.h"

#include <QPointF>
#include <QtTest>
#include <cmath>
#include <limits>

namespace {

constexpr double noWeight = std::numeric_limits<double>::quiet_NaN();

// Days and weights; NaN stands for an entry without a weight, which the series holds as 0 marked empty.
std::vector<LineSeries::Point> entries(const QList<QPointF>& days)
{
    std::vector<LineSeries::Point> points;
    for (const QPointF& d : days) {
        const bool empty = std::isnan(d.y());
        points.push_back({45000 + d.x(), empty ? 0.0 : d.y(), empty});
    }
    return points;
}

// A weighing every morning for `days` days.
QList<QPointF> daily(int days, double first, double perDay)
{
    QList<QPointF> list;
    for (int d = 0; d < days; ++d)
        list << QPointF(d + 0.3, first + perDay * d);
    return list;
}

} // namespace

class TrendTest : public QObject {
    Q_OBJECT

private slots:
    void title_data();
    void title();
};

void TrendTest::title_data()
{
    QTest::addColumn<QList<QPointF>>("days");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");
    const QString zh = QStringLiteral("zh_CN");

    QTest::newRow("no entry") << QList<QPointF>{} << zh << "瘦身曲线";
    QTest::newRow("no weighed entry") << QList<QPointF>{{1, noWeight}} << zh << "瘦身曲线";
    QTest::newRow("one entry: no rate") << QList<QPointF>{{1, 72}} << zh << "瘦身曲线（趋势 72.0斤）";
    QTest::newRow("one weighed entry and an empty one")
        << QList<QPointF>{{1, 72}, {2, noWeight}} << zh << "瘦身曲线（趋势 72.0斤）";
    // Trend 70 then 71 a day later: 1 jin a day, 7 a week.
    QTest::newRow("a gain has a plus sign")
        << QList<QPointF>{{1, 70}, {2, 80}} << zh << "瘦身曲线（趋势 71.0斤，每周 +7.0斤）";
    QTest::newRow("the locale's decimal comma") << QList<QPointF>{{1, 70}, {2, 80}} << "de_DE"
                                                << "瘦身曲线（趋势 71,0斤，每周 +7,0斤）";
    // Trend 70 then 71 a day later: a trend going down 1 jin a day.
    QTest::newRow("a loss has a minus sign")
        << QList<QPointF>{{1, 80}, {2, 70}} << zh << "瘦身曲线（趋势 79.0斤，每周 -7.0斤）";
    QTest::newRow("two entries at one time: no slope")
        << QList<QPointF>{{1, 70}, {1, 80}} << zh << "瘦身曲线（趋势 71.0斤）";
    // Exactly 28 days before the newest weighing is outside the window.
    QTest::newRow("28 days apart: one entry in the window")
        << QList<QPointF>{{0.3, 70}, {28.3, 80}} << zh << "瘦身曲线（趋势 71.0斤）";
    // 27.5 days apart: (71 − 70) / 27.5 × 7 = 0.2545 jin a week.
    QTest::newRow("27.5 days apart: both in the window")
        << QList<QPointF>{{0.8, 70}, {28.3, 80}} << zh << "瘦身曲线（趋势 71.0斤，每周 +0.3斤）";
    // 70, then 70 + 0.1 × (69.6 − 70) = 69.96 a week later: −0.04 a week, which reads as no change.
    QTest::newRow("a rate rounding to zero has no sign")
        << QList<QPointF>{{1, 70}, {8, 69.6}} << zh << "瘦身曲线（趋势 70.0斤，每周 0.0斤）";
    QTest::newRow("a constant weight: a rate of 0") << daily(40, 60, 0) << zh << "瘦身曲线（趋势 60.0斤，每周 0.0斤）";
    // 100 − d / 7 over 91 days: the trend settles 9 days behind (0.9 / 0.1 steps), 9 / 7 jin above the weight,
    // falling 1 jin a week; the last weight is 100 − 90 / 7 = 87.14, the trend 88.43.
    QTest::newRow("a steady loss of 1 jin a week")
        << daily(91, 100, -1.0 / 7) << zh << "瘦身曲线（趋势 88.4斤，每周 -1.0斤）";
    // The same loss weighed every other day, empty entries between: 9 steps of 2 days behind, 18 / 7 jin above
    // the last weight (89.71); after 45 steps 0.9^45 of the first step's gap (2.57) is left: 89.69. Over the last
    // 28 days that remainder shrinks by 0.07, and the rate reads −0.98.
    QList<QPointF> gaps = daily(91, 100, -1.0 / 7);
    for (qsizetype i = 1; i < gaps.size(); i += 2)
        gaps[i].setY(noWeight);
    QTest::newRow("entries without a weight are left out of the rate")
        << gaps << zh << "瘦身曲线（趋势 89.7斤，每周 -1.0斤）";
}

void TrendTest::title()
{
    QFETCH(QList<QPointF>, days);
    QFETCH(QString, locale);
    QFETCH(QString, title);
    const std::vector<LineSeries::Point> trend = health::smooth(entries(days));
    QCOMPARE(trend::title(QStringLiteral("瘦身曲线"), trend, QLocale(locale)), title);
}

QTEST_GUILESS_MAIN(TrendTest)
#include "tst_trend.moc"
