// The trend under the weights: the smoothed values, and the check on a weight far from it.
#include "health/trend.h"

#include <QPointF>
#include <QtTest>
#include <cmath>
#include <limits>

namespace {

constexpr double noWeight = std::numeric_limits<double>::quiet_NaN();

// Days and weights; NaN stands for an entry without a weight, which the series holds as 0 marked empty.
std::vector<health::WeightPoint> entries(const QList<QPointF>& days)
{
    std::vector<health::WeightPoint> points;
    for (const QPointF& d : days) {
        const bool empty = std::isnan(d.y());
        points.push_back({45000 + d.x(), empty ? 0.0 : d.y(), empty});
    }
    return points;
}

} // namespace

class TrendTest : public QObject {
    Q_OBJECT

private slots:
    void smooth_data();
    void smooth();
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
    const std::vector<health::WeightPoint> got = health::smooth(entries(days));
    QCOMPARE(static_cast<qsizetype>(got.size()), trend.size());
    for (qsizetype i = 0; i < trend.size(); ++i) {
        const health::WeightPoint& p = got[static_cast<std::size_t>(i)];
        QCOMPARE(p.x, 45000 + trend[i].x());
        QVERIFY2(std::abs(p.y - trend[i].y()) < 1e-9, qPrintable(QStringLiteral("%1: %2").arg(i).arg(p.y)));
        QVERIFY(!p.yNull);
    }
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
    const auto departure = health::unlikelyWeight(entries(days), weight);
    QCOMPARE(departure.has_value(), asked);
    if (departure) {
        QVERIFY2(std::abs(departure->difference - difference) < 1e-9,
                 qPrintable(QString::number(departure->difference)));
        QVERIFY2(std::abs(departure->percent - percent) < 1e-9, qPrintable(QString::number(departure->percent)));
    }
}

QTEST_GUILESS_MAIN(TrendTest)
#include "tst_trend.moc"
