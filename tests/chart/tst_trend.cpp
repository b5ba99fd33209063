// The trend under the weights: the smoothed values, and the title with the last value and the weekly rate.
#include "chart/lineseries.h"
#include "health/trend.h"

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
    void smooth_data();
    void smooth();
    void title_data();
    void title();
    void unlikelyWeight_data();
    void unlikelyWeight();
};

void TrendTest::smooth_data()
{
    QTest::addColumn<QList<QPointF>>("days");
    QTest::addColumn<QList<QPointF>>("trend");

    QTest::newRow("none") << QList<QPointF>{} << QList<QPointF>{};
    QTest::newRow("one entry is its own trend") << QList<QPointF>{{1, 70}} << QList<QPointF>{{1, 70}};
    // 70, then 70 + 0.1 × (80 − 70) = 71, then 71 + 0.1 × (80 − 71) = 71.9.
    QTest::newRow("a tenth of the way each time")
        << QList<QPointF>{{1, 70}, {2, 80}, {3, 80}} << QList<QPointF>{{1, 70}, {2, 71}, {3, 71.9}};
    QTest::newRow("a constant weight is a flat trend")
        << QList<QPointF>{{1, 60}, {2, 60}, {5, 60}, {6, 60}} << QList<QPointF>{{1, 60}, {2, 60}, {5, 60}, {6, 60}};
    QTest::newRow("entries without a weight are skipped")
        << QList<QPointF>{{1, 70}, {2, noWeight}, {3, 80}} << QList<QPointF>{{1, 70}, {3, 71}};
    QTest::newRow("a weight of 0 is no weighing")
        << QList<QPointF>{{1, 70}, {2, 0}, {3, 80}} << QList<QPointF>{{1, 70}, {3, 71}};
    QTest::newRow("nothing weighed") << QList<QPointF>{{1, noWeight}, {2, noWeight}} << QList<QPointF>{};
    // 70; 70 + 0.1 × 2 = 70.2; 70.2 + 0.1 × 0.8 = 70.28.
    QTest::newRow("several entries on one day, each a step")
        << QList<QPointF>{{1.3, 70}, {1.8, 72}, {2.3, 71}} << QList<QPointF>{{1.3, 70}, {1.8, 70.2}, {2.3, 70.28}};
}

void TrendTest::smooth()
{
    QFETCH(QList<QPointF>, days);
    QFETCH(QList<QPointF>, trend);
    const std::vector<LineSeries::Point> got = trend::smooth(entries(days));
    QCOMPARE(static_cast<qsizetype>(got.size()), trend.size());
    for (qsizetype i = 0; i < trend.size(); ++i) {
        const LineSeries::Point& p = got[static_cast<std::size_t>(i)];
        QCOMPARE(p.x, 45000 + trend[i].x());
        QVERIFY2(std::abs(p.y - trend[i].y()) < 1e-9, qPrintable(QStringLiteral("%1: %2").arg(i).arg(p.y)));
        QVERIFY(!p.yNull);
    }
}

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
    const std::vector<LineSeries::Point> trend = trend::smooth(entries(days));
    QCOMPARE(trend::title(QStringLiteral("瘦身曲线"), trend, QLocale(locale)), title);
}

void TrendTest::unlikelyWeight_data()
{
    QTest::addColumn<QList<QPointF>>("days");
    QTest::addColumn<double>("weight");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<double>("difference");
    QTest::addColumn<double>("percent");
    const QList<QPointF> one{{0, 150}};
    QTest::newRow("first weight") << QList<QPointF>{} << 150.0 << false << 0.0 << 0.0;
    QTest::newRow("no weight") << one << 0.0 << false << 0.0 << 0.0;
    QTest::newRow("6 % above") << one << 159.0 << false << 0.0 << 0.0;
    QTest::newRow("just over 6 % above") << one << 159.1 << true << 9.1 << 9.1 / 1.5;
    QTest::newRow("6 % below") << one << 141.0 << false << 0.0 << 0.0;
    QTest::newRow("just over 6 % below") << one << 140.9 << true << -9.1 << 9.1 / 1.5;
    QTest::newRow("typed without the point") << QList<QPointF>{{0, 153}} << 1530.0 << true << 1377.0 << 900.0;
    // Four weighings: the newest is the reference, not the trend (which would be 100 + 0.1 × 50 = 105).
    QTest::newRow("four: the newest weight")
        << QList<QPointF>{{0, 100}, {1, 100}, {2, 100}, {3, 150}} << 159.0 << false << 0.0 << 0.0;
    // Entries without a weight are no weighings.
    QTest::newRow("four weighings among six entries")
        << QList<QPointF>{{0, 100}, {1, noWeight}, {2, 100}, {3, noWeight}, {4, 100}, {5, 150}} << 159.0 << false << 0.0
        << 0.0;
    // Five: the trend, 150 + 0.1 × (200 - 150) = 155; 6 % of it is 9.3.
    const QList<QPointF> five{{0, 150}, {1, 150}, {2, 150}, {3, 150}, {4, 200}};
    QTest::newRow("five: within the trend") << five << 164.3 << false << 0.0 << 0.0;
    QTest::newRow("five: over the trend") << five << 164.4 << true << 9.4 << 9.4 / 1.55;
    QTest::newRow("five: the newest weight is far from the trend") << five << 200.0 << true << 45.0 << 45 / 1.55;
}

void TrendTest::unlikelyWeight()
{
    QFETCH(QList<QPointF>, days);
    QFETCH(double, weight);
    QFETCH(bool, asked);
    QFETCH(double, difference);
    QFETCH(double, percent);
    const auto departure = trend::unlikelyWeight(entries(days), weight);
    QCOMPARE(departure.has_value(), asked);
    if (departure) {
        QVERIFY2(std::abs(departure->difference - difference) < 1e-9,
                 qPrintable(QString::number(departure->difference)));
        QVERIFY2(std::abs(departure->percent - percent) < 1e-9, qPrintable(QString::number(departure->percent)));
    }
}

QTEST_GUILESS_MAIN(TrendTest)
#include "tst_trend.moc"
