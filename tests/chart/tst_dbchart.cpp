// The chart widget: what it draws for empty, single and several points, its legend, and zooming with the mouse.
#include "chart/axis.h"
#include "chart/dbchart.h"
#include "chart/lineseries.h"
#include "chartfixture.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/dataset.h"
#include "support/tempdb.h"

#include <QToolTip>
#include <QtTest>
#include <cmath>

using namespace chartfixture;

namespace {

double ole(int year, int month, int day, int hour = 0)
{
    return conversions::toOleDate(QDateTime(QDate(year, month, day), QTime(hour, 0)));
}

// Weights of three weeks with a few gaps, as a diary would hold them.
void fillThreeWeeks(LineSeries& series)
{
    const double weights[] = {74.2, 74.0, 73.6, 73.9, 73.1, 72.8, 72.9, 72.4, 72.0, 71.6,
                              71.9, 71.3, 71.0, 70.8, 70.9, 70.4, 70.1, 69.8, 69.9, 69.5};
    int day = 0;
    for (double weight : weights) {
        series.addXY(ole(2024, 3, 1 + day, 7), weight);
        day += day % 4 == 3 ? 2 : 1;
    }
}

// Press, release, the second press that the toolkit turns into a double-click, release.
void doubleClick(QWidget& widget, Qt::MouseButton button, QPoint at)
{
    QTest::mousePress(&widget, button, {}, at);
    QTest::mouseRelease(&widget, button, {}, at);
    QTest::mouseDClick(&widget, button, {}, at);
    QTest::mouseRelease(&widget, button, {}, at);
}

bool isTrendBlue(QRgb c)
{
    return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 160;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b));
}

void drag(QWidget& widget, Qt::MouseButton button, QPoint from, QPoint to)
{
    QTest::mousePress(&widget, button, {}, from);
    QTest::mouseMove(&widget, (from + to) / 2);
    QTest::mouseMove(&widget, to);
    QTest::mouseRelease(&widget, button, {}, to);
}

} // namespace

class DbChartTest : public QObject {
    Q_OBJECT

private slots:
    void emptySeries();
    void legendAndLine_data();
    void legendAndLine();
    void layoutOfTheCurveWindow();
    void entriesWithoutAWeightAreLeftOut_data();
    void entriesWithoutAWeightAreLeftOut();
    void legendShowsTheOldestRows_data();
    void legendShowsTheOldestRows();
    void lineOnTheBackPlane();
    void onPaperThePlotIsAClosedBox();
    void pointsOnOneColumnSpanTheirLowestToHighest();
    void mouseDrags_data();
    void mouseDrags();
    void zoomedRanges();
    void nothingToZoom_data();
    void nothingToZoom();
    void rightDragScrolls();
    void rubberBandWhileDragging();
    void zoomSurvivesRefill();
    void doubleClickShowsAndHidesTheTrend();
    void trendOnTheSameAxes_data();
    void trendOnTheSameAxes();
    void hintAfterTheChartRests();
    void keysDoWhatTheMouseDoes_data();
    void keysDoWhatTheMouseDoes();
    void theDescriptionSaysWhatIsShown();
    void theLineKeepsItsWidthAndItsTopEdgeAtEveryScale_data();
    void theLineKeepsItsWidthAndItsTopEdgeAtEveryScale();
    void theTrendsTitleIsNotCut();
};

void DbChartTest::emptySeries()
{
    DbChart chart;
    chart.setLegendVisible(true);
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);

    QVERIFY(!l.title.isEmpty());
    QVERIFY2(countPixels(image, l.title, isTitleBlue) > 10, "the title is drawn in blue");
    QCOMPARE(countPixels(image, image.rect(), isRed), 0);
    QCOMPARE(countPixels(image, image.rect(), isLegendGreen), 0);
    QVERIFY(chart.legendRows().isEmpty());

    // One label at the middle of each axis: day 0 and weight 0.
    QCOMPARE(l.x.labels, std::vector<double>{0.0});
    QCOMPARE(l.y.labels, std::vector<double>{0.0});
    QCOMPARE(axis::formatDate(l.x.labels.front(), chart.dateFormat()), QStringLiteral("1899-12-30"));
    QVERIFY(std::abs(l.xToPixel(0, l.front) - (l.front.left() + l.front.right()) / 2.0) < 0.01);
    QVERIFY(std::abs(l.yToPixel(0, l.front) - (l.front.top() + l.front.bottom()) / 2.0) < 0.01);
}

void DbChartTest::legendAndLine_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<bool>("legend");

    const QList<QPointF> one{{ole(2024, 3, 1), 72.5}};
    const QList<QPointF> several{
        {ole(2024, 3, 1), 72.5}, {ole(2024, 3, 8), 71.0}, {ole(2024, 3, 15), 71.8}, {ole(2024, 3, 22), 70.2}};
    QTest::newRow("one point, legend shown") << one << true;
    QTest::newRow("one point, legend hidden") << one << false;
    QTest::newRow("several points, legend shown") << several << true;
    QTest::newRow("several points, legend hidden") << several << false;
}

void DbChartTest::legendAndLine()
{
    QFETCH(QList<QPointF>, points);
    QFETCH(bool, legend);
    DbChart chart;
    chart.setLegendVisible(legend);
    for (const QPointF& p : points)
        chart.series()->addXY(p.x(), p.y());
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);

    QCOMPARE(l.legendRows.size(), legend ? points.size() : 0);
    const int green = countPixels(image, image.rect(), isLegendGreen);
    if (legend) {
        QVERIFY(l.legend.left() > image.width() / 2);
        QVERIFY(green > 0);
        QCOMPARE(countPixels(image, QRect(0, 0, image.width() / 2, image.height()), isLegendGreen), 0);
        QVERIFY2(countPixels(image, l.legend, isRed) > 0, "the legend shows the line's colour");
    } else {
        QCOMPARE(green, 0);
    }

    QImage outsideLegend = image;
    {
        QPainter painter(&outsideLegend);
        painter.fillRect(l.legend, Qt::white);
    }
    const int lineRed = countPixels(outsideLegend, outsideLegend.rect(), isRed);
    if (points.size() == 1) {
        QCOMPARE(lineRed, 0);
        return;
    }
    // Red between each pair of neighbours, near the straight line joining them.
    for (qsizetype i = 1; i < points.size(); ++i) {
        const double x0 = l.xToPixel(points[i - 1].x(), l.back);
        const double x1 = l.xToPixel(points[i].x(), l.back);
        const double y0 = l.yToPixel(points[i - 1].y(), l.back);
        const double y1 = l.yToPixel(points[i].y(), l.back);
        const int x = qRound((x0 + x1) / 2);
        const int y = qRound((y0 + y1) / 2);
        QVERIFY2(countPixels(image, QRect(x, y - 3, 1, 7), isRed) > 0, qPrintable(QStringLiteral("segment %1").arg(i)));
    }
}

void DbChartTest::layoutOfTheCurveWindow()
{
    DbChart chart;
    fillThreeWeeks(*chart.series());
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);

    QCOMPARE(l.depth, 10);
    QCOMPARE(l.back, l.front.translated(10, -10));
    // Margins: 3 % of 681 and 4 % of 250; the title at the top, five pixels above the plot's back plane.
    QCOMPARE(l.title.top(), 10);
    QCOMPARE(l.back.top(), l.title.bottom() + 1 + 5);
    QVERIFY(l.back.right() <= 681 - 20 - 1);
    QVERIFY(l.front.bottom() < 250 - 10);
    // Each axis runs from the smallest value to the largest.
    QCOMPARE(l.x.min, ole(2024, 3, 1, 7));
    QCOMPARE(l.x.max, chart.series()->points().back().x);
    QCOMPARE(l.y.min, 69.5);
    QCOMPARE(l.y.max, 74.2);
    QVERIFY(!l.x.labels.empty());
    QVERIFY(!l.y.labels.empty());

    // The axes are black and two pixels wide; the grid is dotted grey on the back plane.
    const QRect axisColumn(l.front.left() - 1, l.front.top(), 1, l.front.height());
    QCOMPARE(countPixels(image, axisColumn, isBlack), l.front.height());
    QCOMPARE(countPixels(image, axisColumn.translated(-1, 0), isBlack), l.front.height());
    QVERIFY2(countPixels(image, axisColumn.translated(-2, 0), isBlack) < l.front.height() / 2, "only ticks beside it");
    QCOMPARE(countPixels(image, QRect(l.front.left(), l.front.bottom() + 1, l.front.width(), 2), isBlack),
             2 * l.front.width());
    // Every label of each scale is written beside its tick.
    const auto isInk = [](QRgb c) { return qGray(c) < 160; };
    const int labelRight = l.front.left() - 2 - 4 - 1;
    for (double value : l.y.labels) {
        const int y = qRound(l.yToPixel(value, l.front));
        QVERIFY2(countPixels(image, QRect(2, y - 2, labelRight - 2, 5), isInk) > 0,
                 qPrintable(axis::formatNumber(value)));
    }
    const int labelTop = l.front.bottom() + 1 + 2 + 4;
    for (double value : l.x.labels) {
        const int x = qRound(l.xToPixel(value, l.front));
        QVERIFY2(countPixels(image, QRect(x - 3, labelTop, 7, 250 - 10 - labelTop), isInk) > 0,
                 qPrintable(axis::formatDate(value, chart.dateFormat())));
    }

    const int gridY = qRound(l.yToPixel(l.y.labels.front(), l.back));
    const int dots = countPixels(image, QRect(l.back.left(), gridY, l.back.width() / 2, 1), isGrid);
    QVERIFY2(dots > l.back.width() / 8 && dots < l.back.width() * 3 / 8, qPrintable(QString::number(dots)));
}

void DbChartTest::entriesWithoutAWeightAreLeftOut_data()
{
    QTest::addColumn<QString>("missing");
    QTest::newRow("empty") << "";
    QTest::newRow("zero") << "0";
}

void DbChartTest::entriesWithoutAWeightAreLeftOut()
{
    QFETCH(QString, missing);
    Diary diary(diaryRow("2024-03-01 07:00:00.000", "150") + diaryRow("2024-03-02 07:00:00.000", missing) +
                diaryRow("2024-03-03 07:00:00.000", "145"));
    DbChart chart;
    chart.setLegendVisible(true);
    bind(*chart.series(), diary.dataset);
    load(diary.dataset, QStringLiteral("select * from rj"));
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);

    QCOMPARE(l.y.min, 145.0);
    QCOMPARE(l.y.max, 150.0);
    QCOMPARE(l.legendRows, (QStringList{"150 ", "145 "}));
    // Over the day without a weight the line runs halfway between its neighbours, nowhere near the bottom.
    const int x = qRound(l.xToPixel(ole(2024, 3, 2, 7), l.back));
    const int middle = qRound(l.yToPixel(147.5, l.back));
    QVERIFY(countPixels(image, QRect(x - 1, middle - 2, 3, 5), isRed) > 0);
    QCOMPARE(countPixels(image, QRect(x - 1, middle + 5, 3, l.back.bottom() - middle - 4), isRed), 0);
}

void DbChartTest::legendShowsTheOldestRows_data()
{
    QTest::addColumn<int>("height");
    QTest::newRow("the curve window's size") << 250;
    QTest::newRow("a taller chart") << 500;
}

void DbChartTest::legendShowsTheOldestRows()
{
    QFETCH(int, height);
    DbChart chart;
    chart.resize(681, height);
    chart.setLegendVisible(true);
    // Newest first, so that the oldest must be found rather than taken as they came.
    for (int i = 59; i >= 0; --i)
        chart.series()->addXY(ole(2024, 1, 1) + i, 70 + i / 10.0);
    const QStringList rows = chart.legendRows();
    QVERIFY(rows.size() >= 5);
    QVERIFY(rows.size() < 60);
    // The oldest weights are 70, 70.1, 70.2 and so on, a space after each.
    for (int i = 0; i < rows.size(); ++i) {
        const QString weight =
            i % 10 ? QStringLiteral("%1.%2").arg(70 + i / 10).arg(i % 10) : QString::number(70 + i / 10);
        QCOMPARE(rows[i], weight + u' ');
    }

    const QImage image = render(chart, chart.size());
    const ChartLayout l = layoutOf(chart, image);
    QCOMPARE(l.legendRows, rows);
    QCOMPARE(l.legend.top(), qRound(height * 0.10));
    // Rows stop at the bottom of the plot area, not at the panel's margin: one more row would pass it.
    QVERIFY2(l.legend.bottom() <= l.front.bottom(),
             qPrintable(QStringLiteral("legend to %1, plot to %2").arg(l.legend.bottom()).arg(l.front.bottom())));
    QVERIFY(l.legend.bottom() + l.legendRowHeight > l.front.bottom());
    QVERIFY(isBlack(image.pixel(l.legend.right() + 2, l.legend.bottom() + 2)));
}

void DbChartTest::lineOnTheBackPlane()
{
    DbChart chart;
    chart.series()->addXY(ole(2024, 3, 1), 70);
    chart.series()->addXY(ole(2024, 3, 10), 70);
    chart.series()->addXY(ole(2024, 3, 20), 74);
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);
    // The flat first segment lies on the back plane's bottom edge, ten pixels above the bottom axis.
    const int x = qRound(l.xToPixel(ole(2024, 3, 5), l.back));
    QVERIFY(isRed(image.pixel(x, l.back.bottom())));
    QCOMPARE(countPixels(image, QRect(x, l.front.bottom() - 3, 1, 7), isRed), 0);
}

void DbChartTest::onPaperThePlotIsAClosedBox()
{
    DbChart chart;
    chart.setPrintStyle(true);
    chart.series()->addXY(ole(2024, 3, 1), 70);
    chart.series()->addXY(ole(2024, 3, 20), 74);
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);
    const QRect& f = l.front;
    const auto black = [](QRgb pixel) { return qGray(pixel) < 64; };
    // Four sides, two pixels thick, each running the whole way between the others: left, bottom, top and right.
    QCOMPARE(countPixels(image, QRect(f.left() - 2, f.top() - 2, 2, f.height() + 4), black), 2 * (f.height() + 4));
    QCOMPARE(countPixels(image, QRect(f.left() - 2, f.bottom() + 1, f.width() + 4, 2), black), 2 * (f.width() + 4));
    QCOMPARE(countPixels(image, QRect(f.left() - 2, f.top() - 2, f.width() + 4, 2), black), 2 * (f.width() + 4));
    QCOMPARE(countPixels(image, QRect(f.right() + 1, f.top() - 2, 2, f.height() + 4), black), 2 * (f.height() + 4));
    // Nothing of the window's sunken edge around it: the chart's left column is white.
    QCOMPARE(countPixels(image, QRect(l.bounds.left(), l.bounds.top(), 1, l.bounds.height()), black), 0);
}

void DbChartTest::pointsOnOneColumnSpanTheirLowestToHighest()
{
    // Four weighings a minute apart fall on one pixel column: 72, 71, 73, 72, then two far to the right.
    DbChart chart;
    const double weights[] = {72, 71, 73, 72};
    for (int minute = 0; minute < 4; ++minute)
        chart.series()->addXY(ole(2024, 3, 1, 7) + minute / 1440.0, weights[minute]);
    chart.series()->addXY(ole(2024, 3, 10), 70);
    chart.series()->addXY(ole(2024, 3, 20), 74);
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);
    const int x = qRound(l.xToPixel(ole(2024, 3, 1, 7), l.back));
    const int top = qRound(l.yToPixel(73, l.back));
    const int bottom = qRound(l.yToPixel(71, l.back));
    QVERIFY(bottom - top > 4);
    // Every pixel from 73 down to 71 and none beyond: the line to the next day leaves the column at 72.
    QCOMPARE(countPixels(image, QRect(x, top, 1, bottom - top + 1), isRed), bottom - top + 1);
    QVERIFY(!isRed(image.pixel(x, top - 1)));
    QVERIFY(!isRed(image.pixel(x, bottom + 1)));
}

void DbChartTest::mouseDrags_data()
{
    QTest::addColumn<bool>("zoomFirst");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("zoomed");

    QTest::newRow("down-right zooms") << false << QPoint(200, 60) << QPoint(400, 150) << true;
    QTest::newRow("17 pixels each way zoom") << false << QPoint(200, 60) << QPoint(217, 77) << true;
    QTest::newRow("16 pixels down are too few") << false << QPoint(200, 60) << QPoint(400, 76) << false;
    QTest::newRow("16 pixels right are too few") << false << QPoint(200, 60) << QPoint(216, 150) << false;
    QTest::newRow("up-left unzooms") << true << QPoint(400, 150) << QPoint(200, 60) << false;
    QTest::newRow("up-right unzooms") << true << QPoint(200, 150) << QPoint(400, 60) << false;
    QTest::newRow("down-left unzooms") << true << QPoint(400, 60) << QPoint(200, 150) << false;
    QTest::newRow("a short drag up-left keeps the zoom") << true << QPoint(400, 150) << QPoint(390, 60) << true;
}

void DbChartTest::mouseDrags()
{
    QFETCH(bool, zoomFirst);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, zoomed);
    DbChart chart;
    chart.resize(681, 250);
    fillThreeWeeks(*chart.series());
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    if (zoomFirst) {
        drag(chart, Qt::LeftButton, QPoint(150, 50), QPoint(450, 170));
        QVERIFY(chart.isZoomed());
    }
    drag(chart, Qt::LeftButton, from, to);
    QCOMPARE(chart.isZoomed(), zoomed);
    if (!zoomed) {
        const ChartLayout l = chart.chartLayout();
        QCOMPARE(l.x.min, chart.series()->points().front().x);
        QCOMPARE(l.x.max, chart.series()->points().back().x);
        QCOMPARE(l.y.min, 69.5);
        QCOMPARE(l.y.max, 74.2);
    }
}

void DbChartTest::zoomedRanges()
{
    DbChart chart;
    chart.resize(681, 250);
    fillThreeWeeks(*chart.series());
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const ChartLayout before = chart.chartLayout();
    // A drag over the middle half of the plot, each way, shows the middle half of each range, to within a pixel.
    const QRect plane = before.back;
    const int width = plane.width() - 1;
    const int height = plane.height() - 1;
    drag(chart, Qt::LeftButton, plane.topLeft() + QPoint(width / 4, height / 4),
         plane.topLeft() + QPoint(width * 3 / 4, height * 3 / 4));
    const ChartLayout after = chart.chartLayout();
    const double xSpan = before.x.max - before.x.min;
    const double ySpan = before.y.max - before.y.min;
    const auto within = [](double value, double expected, double pixel) { return std::abs(value - expected) <= pixel; };
    QVERIFY(within(after.x.min, before.x.min + xSpan / 4, xSpan / width));
    QVERIFY(within(after.x.max, before.x.min + xSpan * 3 / 4, xSpan / width));
    QVERIFY(within(after.y.max, before.y.max - ySpan / 4, ySpan / height));
    QVERIFY(within(after.y.min, before.y.max - ySpan * 3 / 4, ySpan / height));
}

void DbChartTest::nothingToZoom_data()
{
    QTest::addColumn<int>("points");
    QTest::newRow("no points") << 0;
    QTest::newRow("one point") << 1;
}

void DbChartTest::nothingToZoom()
{
    QFETCH(int, points);
    DbChart chart;
    chart.resize(681, 250);
    if (points == 1)
        chart.series()->addXY(ole(2024, 3, 1), 72);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    drag(chart, Qt::LeftButton, QPoint(200, 60), QPoint(400, 150));
    drag(chart, Qt::RightButton, QPoint(300, 120), QPoint(350, 100));
    QVERIFY(!chart.isZoomed());
    // Data that comes later is shown whole, not squeezed into a range taken from nothing.
    fillThreeWeeks(*chart.series());
    const ChartLayout l = chart.chartLayout();
    QCOMPARE(l.x.min, chart.series()->points().front().x);
    QCOMPARE(l.x.max, chart.series()->points().back().x);
    QCOMPARE(l.y.min, 69.5);
    QCOMPARE(l.y.max, 74.2);
}

void DbChartTest::rightDragScrolls()
{
    DbChart chart;
    chart.resize(681, 250);
    fillThreeWeeks(*chart.series());
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const ChartLayout before = chart.chartLayout();
    drag(chart, Qt::RightButton, QPoint(300, 120), QPoint(350, 100));
    QVERIFY(chart.isZoomed());
    const ChartLayout after = chart.chartLayout();
    // The drawing follows the pointer 50 pixels right and 20 up: earlier dates and larger weights come into view.
    const double dayPerPixel = (before.x.max - before.x.min) / (before.back.width() - 1);
    const double kgPerPixel = (before.y.max - before.y.min) / (before.back.height() - 1);
    QVERIFY(near(after.x.min, before.x.min - 50 * dayPerPixel));
    QVERIFY(near(after.x.max, before.x.max - 50 * dayPerPixel));
    QVERIFY(near(after.y.min, before.y.min - 20 * kgPerPixel));
    QVERIFY(near(after.y.max, before.y.max - 20 * kgPerPixel));

    // A left drag up-left brings the automatic scales back.
    drag(chart, Qt::LeftButton, QPoint(400, 150), QPoint(200, 60));
    QVERIFY(!chart.isZoomed());
    QCOMPARE(chart.chartLayout().x.min, before.x.min);
}

void DbChartTest::rubberBandWhileDragging()
{
    DbChart chart;
    chart.resize(681, 250);
    fillThreeWeeks(*chart.series());
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QRect band(QPoint(200, 70), QPoint(400, 150));
    const auto blackOnTopEdge = [&] {
        const QImage image = chart.grab().toImage();
        return countPixels(image, QRect(band.left() + 5, band.top(), band.width() - 10, 1), isBlack);
    };
    QCOMPARE(blackOnTopEdge(), 0);
    QTest::mousePress(&chart, Qt::LeftButton, {}, band.topLeft());
    QTest::mouseMove(&chart, band.bottomRight());
    QVERIFY2(blackOnTopEdge() > band.width() / 4, "a rectangle follows the pointer");
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, band.bottomRight());
    QCOMPARE(blackOnTopEdge(), 0);
}

void DbChartTest::zoomSurvivesRefill()
{
    Diary diary(diaryRow("2024-03-01 07:00:00.000", "72.5") + diaryRow("2024-03-08 07:00:00.000", "71.9") +
                diaryRow("2024-03-15 07:00:00.000", "71.2") + diaryRow("2024-03-22 07:00:00.000", "70.6"));
    DbChart chart;
    chart.resize(681, 250);
    bind(*chart.series(), diary.dataset);
    load(diary.dataset, QStringLiteral("select * from rj"));
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    drag(chart, Qt::LeftButton, QPoint(200, 60), QPoint(400, 150));
    QVERIFY(chart.isZoomed());
    const ChartLayout zoomed = chart.chartLayout();

    diary.db.exec(diaryRow("2024-03-29 07:00:00.000", "69.9"));
    diary.dataset.close();
    diary.dataset.open();
    chart.hide();
    chart.show();
    QCOMPARE(chart.series()->count(), 5);
    QVERIFY(chart.isZoomed());
    const ChartLayout refilled = chart.chartLayout();
    QCOMPARE(refilled.x.min, zoomed.x.min);
    QCOMPARE(refilled.x.max, zoomed.x.max);
    QCOMPARE(refilled.y.min, zoomed.y.min);
    QCOMPARE(refilled.y.max, zoomed.y.max);

    drag(chart, Qt::LeftButton, QPoint(400, 150), QPoint(200, 60));
    QCOMPARE(chart.chartLayout().x.max, ole(2024, 3, 29, 7));
    QCOMPARE(chart.chartLayout().y.min, 69.9);
}

void DbChartTest::doubleClickShowsAndHidesTheTrend()
{
    Diary diary(diaryRow("2024-03-01 07:00:00.000", "72") + diaryRow("2024-03-02 07:00:00.000", "") +
                diaryRow("2024-03-03 07:00:00.000", "82"));
    DbChart chart;
    chart.resize(681, 250);
    chart.setLegendVisible(true);
    bind(*chart.series(), diary.dataset);
    load(diary.dataset, QStringLiteral("select * from rj"));
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QImage designed = chart.grab().toImage();
    const ChartLayout plain = chart.chartLayout();
    QVERIFY(!chart.trendVisible());
    QCOMPARE(plain.titleText, QStringLiteral("瘦身曲线"));
    QCOMPARE(countPixels(designed, designed.rect(), isTrendBlue), 0);

    // A right double-click is no toggle.
    doubleClick(chart, Qt::RightButton, QPoint(300, 120));
    QVERIFY(!chart.trendVisible());

    doubleClick(chart, Qt::LeftButton, QPoint(300, 120));
    QVERIFY(chart.trendVisible());
    QVERIFY(!chart.isZoomed());
    const QImage shown = chart.grab().toImage();
    const ChartLayout l = chart.chartLayout();
    // Trend 72, then 72 + 0.1 × (82 − 72) = 73 two days later: +3.5 jin a week.
    QCOMPARE(l.titleText, QStringLiteral("瘦身曲线（趋势 73.0斤，每周 +3.5斤）"));
    QCOMPARE(l.legendRows, plain.legendRows);
    QCOMPARE(l.y.min, plain.y.min);
    QCOMPARE(l.y.max, plain.y.max);
    // Two pixels wide: a column of the line holds at least two of its pixels.
    const int x = qRound(l.xToPixel(ole(2024, 3, 2, 7), l.back));
    QVERIFY2(countPixels(shown, QRect(x, l.back.top(), 1, l.back.height()), isTrendBlue) >= 2, "the trend line");

    // The choice stays through a refill, as a showing of the curve window does.
    diary.dataset.close();
    diary.dataset.open();
    QVERIFY(chart.trendVisible());
    QCOMPARE(chart.chartLayout().titleText, l.titleText);

    doubleClick(chart, Qt::LeftButton, QPoint(300, 120));
    QVERIFY(!chart.trendVisible());
    QCOMPARE(chart.grab().toImage(), designed);
}

void DbChartTest::trendOnTheSameAxes_data()
{
    QTest::addColumn<QPoint>("dragFrom");
    QTest::addColumn<QPoint>("dragTo");
    QTest::addColumn<int>("button");
    QTest::newRow("automatic scales") << QPoint() << QPoint() << 0;
    QTest::newRow("zoomed") << QPoint(40, 10) << QPoint(300, 150) << int(Qt::LeftButton);
    QTest::newRow("scrolled") << QPoint(300, 100) << QPoint(350, 130) << int(Qt::RightButton);
}

void DbChartTest::trendOnTheSameAxes()
{
    QFETCH(QPoint, dragFrom);
    QFETCH(QPoint, dragTo);
    QFETCH(int, button);
    DbChart chart;
    chart.resize(681, 250);
    fillThreeWeeks(*chart.series());
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    if (button != 0)
        drag(chart, Qt::MouseButton(button), dragFrom, dragTo);
    chart.setTrendVisible(true);
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);
    // Weights 74.2, 74.0, 73.6: trend 74.2, 74.18, 74.122 on the first three mornings.
    const QList<QPointF> trend{{ole(2024, 3, 1, 7), 74.2}, {ole(2024, 3, 2, 7), 74.18}, {ole(2024, 3, 3, 7), 74.122}};
    int found = 0;
    for (const QPointF& p : trend) {
        const QPoint at(qRound(l.xToPixel(p.x(), l.back)), qRound(l.yToPixel(p.y(), l.back)));
        if (!l.back.contains(at))
            continue;
        ++found;
        QVERIFY2(countPixels(image, QRect(at - QPoint(1, 1), QSize(3, 3)), isTrendBlue) > 0,
                 qPrintable(QStringLiteral("at %1, %2").arg(at.x()).arg(at.y())));
    }
    QVERIFY(found > 0);
    // Nothing of it outside the plot.
    QCOMPARE(countPixels(image, image.rect(), isTrendBlue),
             countPixels(image, l.back.adjusted(-1, -1, 1, 1), isTrendBlue));
}

void DbChartTest::hintAfterTheChartRests()
{
    DbChart chart;
    chart.resize(681, 250);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QCOMPARE(chart.hint(), QStringLiteral("双击或按 T 显示或隐藏趋势线，按 L 显示或隐藏图例；拖动或按 + - 缩放，"
                                          "方向键移动，0 还原；右键、菜单键或 Shift+F10 打开菜单"));
    QTest::mouseMove(&chart, QPoint(300, 120));
    QVERIFY(QToolTip::text().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(), chart.hint(), 2000);
}

void DbChartTest::keysDoWhatTheMouseDoes_data()
{
    // The visible ranges after the keys, as fractions of the whole ranges (x from, x to, y from, y to).
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QList<double>>("view");
    QTest::addColumn<bool>("trend");
    QTest::newRow("T shows the trend") << "T" << QList<double>{0, 1, 0, 1} << true;
    QTest::newRow("T twice hides it") << "TT" << QList<double>{0, 1, 0, 1} << false;
    QTest::newRow("plus zooms to the middle half") << "+" << QList<double>{0.25, 0.75, 0.25, 0.75} << false;
    QTest::newRow("plus then minus zooms back out") << "+-" << QList<double>{0, 1, 0, 1} << false;
    QTest::newRow("right shows later days") << ">" << QList<double>{0.1, 1.1, 0, 1} << false;
    QTest::newRow("left shows earlier days") << "<" << QList<double>{-0.1, 0.9, 0, 1} << false;
    QTest::newRow("up shows heavier weights") << "^" << QList<double>{0, 1, 0.1, 1.1} << false;
    QTest::newRow("down shows lighter weights") << "v" << QList<double>{0, 1, -0.1, 0.9} << false;
    QTest::newRow("0 undoes the zoom") << "+>^0" << QList<double>{0, 1, 0, 1} << false;
}

void DbChartTest::keysDoWhatTheMouseDoes()
{
    QFETCH(QString, keys);
    QFETCH(QList<double>, view);
    QFETCH(bool, trend);
    DbChart chart;
    chart.resize(681, 250);
    fillThreeWeeks(*chart.series());
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QCOMPARE(chart.focusPolicy(), Qt::StrongFocus);
    const ChartLayout before = chart.chartLayout();
    for (const QChar key : keys) {
        const Qt::Key code = key == u'>'   ? Qt::Key_Right
                             : key == u'<' ? Qt::Key_Left
                             : key == u'^' ? Qt::Key_Up
                             : key == u'v' ? Qt::Key_Down
                             : key == u'+' ? Qt::Key_Plus
                             : key == u'-' ? Qt::Key_Minus
                             : key == u'0' ? Qt::Key_0
                                           : Qt::Key_T;
        QTest::keyClick(&chart, code);
    }
    const ChartLayout after = chart.chartLayout();
    const double xSpan = before.x.max - before.x.min;
    const double ySpan = before.y.max - before.y.min;
    // To within two pixels of the plot.
    const auto near = [](double value, double expected, double pixel) {
        return std::abs(value - expected) <= 2 * pixel;
    };
    const double xPixel = xSpan / (before.back.width() - 1);
    const double yPixel = ySpan / (before.back.height() - 1);
    QVERIFY2(near(after.x.min, before.x.min + view[0] * xSpan, xPixel), qPrintable(QString::number(after.x.min)));
    QVERIFY2(near(after.x.max, before.x.min + view[1] * xSpan, xPixel), qPrintable(QString::number(after.x.max)));
    QVERIFY2(near(after.y.min, before.y.min + view[2] * ySpan, yPixel), qPrintable(QString::number(after.y.min)));
    QVERIFY2(near(after.y.max, before.y.min + view[3] * ySpan, yPixel), qPrintable(QString::number(after.y.max)));
    QCOMPARE(chart.trendVisible(), trend);
}

void DbChartTest::theDescriptionSaysWhatIsShown()
{
    conversions::setLocale(QLocale(QLocale::Chinese, QLocale::China));
    DbChart chart;
    chart.resize(681, 250);
    QVERIFY(chart.accessibleDescription().startsWith(QStringLiteral("没有体重记录。")));
    chart.series()->addXY(ole(2024, 3, 1), 150);
    chart.series()->addXY(ole(2024, 3, 8), 0, true);
    chart.series()->addXY(ole(2024, 3, 15), 146.5);
    QCOMPARE(chart.accessibleDescription(),
             QStringLiteral("最新体重 146.5斤；显示 2024-03-01 至 2024-03-15，146.5 至 150斤。") + chart.hint());
    chart.setTrendVisible(true);
    QCOMPARE(
        chart.accessibleDescription(),
        QStringLiteral("最新体重 146.5斤；趋势 149.7斤，每周 -0.2斤；显示 2024-03-01 至 2024-03-15，146.5 至 150斤。") +
            chart.hint());
    chart.zoomToPixels(chart.chartLayout().back);
    QVERIFY(chart.isZoomed());
    chart.scrollByPixels(QPoint(0, chart.chartLayout().back.height() - 1));
    QVERIFY2(chart.accessibleDescription().contains(QStringLiteral("，150 至 153.5斤")),
             qPrintable(chart.accessibleDescription()));
}

void DbChartTest::theLineKeepsItsWidthAndItsTopEdgeAtEveryScale_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("1") << 1.0;
    QTest::newRow("1.5") << 1.5;
    QTest::newRow("2") << 2.0;
}

void DbChartTest::theLineKeepsItsWidthAndItsTopEdgeAtEveryScale()
{
    QFETCH(double, scale);
    DbChart chart;
    // The first week lies on the plot's top edge.
    chart.series()->addXY(ole(2024, 3, 1), 74);
    chart.series()->addXY(ole(2024, 3, 8), 74);
    chart.series()->addXY(ole(2024, 3, 20), 70);
    const QSize size(681, 250);
    QImage image = blankImage(chart, size * scale);
    image.setDevicePixelRatio(scale);
    {
        QPainter painter(&image);
        chart.paint(painter, QRect(QPoint(0, 0), size));
    }
    const ChartLayout l = chart.chartLayout(QRect(QPoint(0, 0), size), &image);
    const int x = qRound(l.xToPixel(ole(2024, 3, 4), l.back) * scale);
    const int top = qRound(l.back.top() * scale);
    const int rows = countPixels(image, QRect(x, top - 3, 1, 7), isRed);
    QVERIFY2(rows >= int(scale) && rows <= int(scale) + 1, qPrintable(QString::number(rows)));
}

void DbChartTest::theTrendsTitleIsNotCut()
{
    DbChart chart;
    fillThreeWeeks(*chart.series());
    chart.setTrendVisible(true);
    const QImage image = render(chart);
    const ChartLayout l = layoutOf(chart, image);
    QVERIFY(l.titleText.contains(QStringLiteral("每周")));
    // The Chinese strokes end above the title's lowest row: none is cut off there.
    QVERIFY(countPixels(image, l.title, isTitleBlue) > 50);
    QCOMPARE(countPixels(image, QRect(l.title.left(), l.title.bottom(), l.title.width(), 1), isTitleBlue), 0);
}

QTEST_MAIN(DbChartTest)
#include "tst_dbchart.moc"
