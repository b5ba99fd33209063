// A line chart widget for the weight curve: title, date-time and number axes, one line series and a value legend,
// and a trend line that a double-click shows and hides.
#include "chart/dbchart.h"

#include "chart/axis.h"
#include "chart/hint.h"
#include "chart/lineseries.h"
#include "data/conversions.h"
#include "health/trend.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineF>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

namespace {

constexpr int titleGap = 5;
constexpr int axisThickness = 2;
constexpr int tickLength = 4;
constexpr int minorTickLength = 2;
constexpr int labelGap = 2;
constexpr int legendShadow = 3;
constexpr int legendPadding = 3;
constexpr int legendSymbolWidth = 16;
constexpr int legendSymbolGap = 4;

const QColor titleColor(0, 0, 255);
const QColor trendColor(0, 0, 160);
constexpr int trendWidth = 2;
const QColor goalColor(0, 100, 0);
constexpr int goalLabelGap = 2;
const QColor gridColor(128, 128, 128);
const QColor legendBackground(0, 64, 0);
const QColor edgeDark(128, 128, 128);
const QColor edgeLight(255, 255, 255);

// Keeps only the part of a segment inside a rectangle (Liang-Barsky), so that far-off points of a zoomed view
// never reach the rasterizer with coordinates it cannot hold.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& box)
{
    double t0 = 0;
    double t1 = 1;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(), box.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = a;
    a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

QFontMetrics metricsFor(const QFont& font, const QPaintDevice* device)
{
    return device ? QFontMetrics(font, device) : QFontMetrics(font);
}

// A value axis over [min, max] with `pixels` of height, its labels from the largest down; returns the width of its
// widest label.
int scaleValues(ChartScale& scale, double min, double max, int pixels, int labelHeight, const QFontMetrics& labels)
{
    scale.min = min;
    scale.max = max;
    if (scale.degenerate()) {
        scale.labels = {scale.min};
    } else {
        scale.step = axis::numberStep(scale.min, scale.max, pixels, labelHeight);
        scale.labels = axis::labelValues(scale.min, scale.max, scale.step);
    }
    int widest = 0;
    for (const double value : scale.labels)
        widest = std::max(widest, labels.horizontalAdvance(axis::formatNumber(value)));
    return widest;
}

} // namespace

double ChartLayout::pixelToX(double pixel, const QRect& plane) const
{
    const double span = plane.width() - 1;
    if (x.degenerate() || span <= 0)
        return x.min;
    return x.min + (pixel - plane.left()) / span * (x.max - x.min);
}

double ChartLayout::pixelToY(double pixel, const QRect& plane) const
{
    const double span = plane.height() - 1;
    if (y.degenerate() || span <= 0)
        return y.min;
    return y.min + (plane.bottom() - pixel) / span * (y.max - y.min);
}

DbChart::DbChart(QWidget* parent)
    : QWidget(parent),
      m_series(new LineSeries(this)),
      m_title(QStringLiteral("瘦身曲线")),
      m_dateFormat(QStringLiteral("yyyy-MM-dd")),
      m_titleFont(QStringLiteral("Arial"), 8),
      m_labelFont(QStringLiteral("Arial"), 8),
      m_legendFont(QStringLiteral("Arial"), 8)
{
    m_series->setObjectName(QStringLiteral("Series1"));
    connect(m_series, &LineSeries::changed, this, [this] {
        m_trendStale = true;
        m_weighingsStale = true;
        describe();
        update();
    });
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hint = QStringLiteral("双击或按 T 显示或隐藏趋势线，按 L 显示或隐藏图例；拖动或按 + - 缩放，方向键移动，0 还原；"
                            "右键、菜单键或 Shift+F10 打开菜单");
    setFocusPolicy(Qt::StrongFocus);
    describe();
    setMouseTracking(true);
    m_hintTimer.setSingleShot(true);
    m_hintTimer.setInterval(hint::delayMs);
    connect(&m_hintTimer, &QTimer::timeout, this, &DbChart::showHint);
}

DbChart::~DbChart() = default;

QSize DbChart::sizeHint() const
{
    return {681, 250};
}

void DbChart::setTitle(const QString& title)
{
    m_title = title;
    update();
}

void DbChart::setDateFormat(const QString& format)
{
    m_dateFormat = format;
    update();
}

void DbChart::setLegendVisible(bool visible)
{
    m_legendVisible = visible;
    update();
}

void DbChart::toggleTrend()
{
    setTrendVisible(!m_trendVisible);
    emit trendToggled(m_trendVisible);
}

void DbChart::zoomIn()
{
    const QRect b = chartLayout().back;
    zoomToPixels(b.adjusted(b.width() / 4, b.height() / 4, -b.width() / 4, -b.height() / 4));
}

void DbChart::zoomOut()
{
    const QRect b = chartLayout().back;
    zoomToPixels(b.adjusted(-b.width() / 2, -b.height() / 2, b.width() / 2, b.height() / 2));
}

void DbChart::setTrendVisible(bool visible)
{
    m_trendVisible = visible;
    describe();
    update();
}

void DbChart::describe()
{
    const auto& weights = weighings();
    QString text;
    if (weights.empty()) {
        text = QStringLiteral("没有体重记录");
    } else {
        text = QStringLiteral("最新体重 %1斤").arg(axis::formatNumber(weights.back().y));
        if (m_trendVisible)
            text += QStringLiteral("；") + trend::summary(trend(), conversions::locale());
        const ChartLayout l = chartLayout();
        text += QStringLiteral("；显示 %1 至 %2，%3 至 %4斤")
                    .arg(axis::formatDate(l.x.min, m_dateFormat), axis::formatDate(l.x.max, m_dateFormat),
                         axis::formatNumber(l.y.min), axis::formatNumber(l.y.max));
    }
    if (m_sideLine && !m_sideLine->points.empty())
        text +=
            QStringLiteral("；%1 最新 %2").arg(m_sideLine->caption, axis::formatNumber(m_sideLine->points.back().y));
    setAccessibleDescription(text + QStringLiteral("。") + m_hint);
}

void DbChart::keyPressEvent(QKeyEvent* event)
{
    const ChartLayout l = chartLayout();
    const int stepX = std::max(1, l.back.width() / 10);
    const int stepY = std::max(1, l.back.height() / 10);
    switch (event->key()) {
    case Qt::Key_T:
        toggleTrend();
        break;
    case Qt::Key_L:
        setLegendVisible(!m_legendVisible);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomIn();
        break;
    case Qt::Key_Minus:
        zoomOut();
        break;
    case Qt::Key_0:
    case Qt::Key_Home:
        undoZoom();
        break;
    // The drawing moves against the key, so that the view moves with it.
    case Qt::Key_Left:
        scrollByPixels(QPoint(stepX, 0));
        break;
    case Qt::Key_Right:
        scrollByPixels(QPoint(-stepX, 0));
        break;
    case Qt::Key_Up:
        scrollByPixels(QPoint(0, stepY));
        break;
    case Qt::Key_Down:
        scrollByPixels(QPoint(0, -stepY));
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

const std::vector<LineSeries::Point>& DbChart::trend() const
{
    if (!m_modelTrend.empty())
        return m_modelTrend;
    if (m_trendStale) {
        m_trend = trend::smooth(m_series->points());
        m_trendStale = false;
    }
    return m_trend;
}

void DbChart::setSideLine(std::optional<SideLine> line)
{
    m_sideLine = std::move(line);
    describe();
    update();
}

void DbChart::paintSideLine(QPainter& painter, const ChartLayout& l) const
{
    if (!m_sideLine || l.side.labels.empty())
        return;
    const ChartLayout onSide = l.onSideAxis();
    painter.save();
    QColor faint = m_sideLine->colour;
    faint.setAlpha(90);
    painter.setPen(QPen(faint, 1, Qt::DashDotLine));
    for (const double mark : m_sideLine->marks) {
        const double y = std::round(onSide.yToPixel(mark, onSide.back));
        if (y >= onSide.back.top() && y <= onSide.back.bottom())
            painter.drawLine(QPointF(onSide.back.left(), y), QPointF(onSide.back.right(), y));
    }
    painter.restore();
    paintLine(painter, onSide, m_sideLine->points, QPen(m_sideLine->colour, 1, Qt::SolidLine));
    paintPoints(painter, onSide, m_sideLine->points, m_sideLine->colour);

    // The axis at the right edge of the plot, its labels beside it, its caption at the right of the title's line.
    painter.save();
    const QRect& b = l.back;
    const QColor colour = m_sideLine->colour;
    painter.fillRect(QRect(b.right() + 1, b.top(), axisThickness, b.height()), colour);
    painter.setFont(m_labelFont);
    painter.setPen(colour);
    const QFontMetrics metrics = metricsFor(m_labelFont, painter.device());
    const int height = metrics.height();
    const int tickStart = b.right() + 1 + axisThickness;
    int lastBottom = INT_MIN;
    for (const double value : l.side.labels) {
        const int y = qRound(onSide.yToPixel(value, b));
        painter.fillRect(QRect(tickStart, y, tickLength, 1), colour);
        const QRect text(tickStart + tickLength + labelGap, y - height / 2, l.bounds.right() - tickStart, height);
        if (lastBottom != INT_MIN && text.top() - (height + 9) / 10 <= lastBottom)
            continue;
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, axis::formatNumber(value));
        lastBottom = text.bottom();
    }
    // On the title's line, at the right, where no label of the axis reaches.
    const int captionBottom = (l.title.isEmpty() ? b.top() - height / 2 : l.title.bottom()) - 1;
    const QRect caption(b.left(), captionBottom - height + 1,
                        l.bounds.right() - b.left() - qRound(l.bounds.width() * 0.03), height);
    painter.drawText(caption, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_sideLine->caption);
    painter.restore();
}

void DbChart::setGoal(std::optional<double> goal)
{
    m_goal = goal;
    update();
}

void DbChart::setModelTrend(std::vector<LineSeries::Point> line, std::optional<health::Projection> projection)
{
    m_modelTrend = std::move(line);
    m_modelProjection = m_modelTrend.empty() ? std::nullopt : projection;
    update();
}

health::Projection DbChart::projection() const
{
    if (m_modelProjection)
        return m_goal ? *m_modelProjection : health::Projection{};
    const std::vector<LineSeries::Point>& points = trend();
    if (!m_goal || points.empty())
        return {};
    return health::project(points.back().y, trend::weeklyRate(points), conversions::fromOleDate(points.back().x).date(),
                           *m_goal);
}

const std::vector<LineSeries::Point>& DbChart::weighings() const
{
    if (m_weighingsStale) {
        m_weighings.clear();
        std::copy_if(m_series->points().begin(), m_series->points().end(), std::back_inserter(m_weighings),
                     [](const LineSeries::Point& point) { return point.weighed(); });
        m_weighingsStale = false;
    }
    return m_weighings;
}

void DbChart::dataRanges(Range& x, Range& y) const
{
    // An entry without a weight would pull the weight axis down to 0 and press the real weights to its top.
    const auto& points = weighings();
    x = {};
    y = {};
    if (points.empty())
        return;
    // Points are kept in ascending x.
    x = {points.front().x, points.back().x};
    const auto [low, high] = std::minmax_element(
        points.begin(), points.end(), [](const LineSeries::Point& a, const LineSeries::Point& b) { return a.y < b.y; });
    y = {low->y, high->y};
    // The goal is where the line is heading: it stays in sight.
    if (m_goal) {
        y.min = std::min(y.min, *m_goal);
        y.max = std::max(y.max, *m_goal);
    }
}

QString DbChart::legendText(int index) const
{
    const LineSeries::Point& point = weighings().at(static_cast<std::size_t>(index));
    // The weight and a space.
    return axis::formatNumber(point.y) + u' ';
}

ChartLayout DbChart::chartLayout(const QRect& bounds, const QPaintDevice* device) const
{
    ChartLayout l;
    l.bounds = bounds;
    const int width = bounds.width();
    const int height = bounds.height();
    l.depth = qRound(width * 15 * 0.001);
    const int marginX = qRound(width * 0.03);
    const int marginY = qRound(height * 0.04);
    const QRect inner = bounds.adjusted(marginX, marginY, -marginX, -marginY);

    int top = inner.top();
    l.titleText = m_trendVisible
                      ? trend::title(m_title, trend(), conversions::locale(), health::projectionShort(projection()))
                      : m_title;
    if (!l.titleText.isEmpty()) {
        // The height of the line as drawn: the Chinese characters come from a fallback face whose line is taller
        // than the designed font's, and the title is clipped to this rectangle.
        const QFontMetrics titleMetrics = metricsFor(m_titleFont, device);
        l.title = QRect(bounds.left(), inner.top(), width,
                        std::max(titleMetrics.height(), titleMetrics.boundingRect(l.titleText).height()));
        top = l.title.bottom() + 1 + titleGap;
    }

    const QFontMetrics labels = metricsFor(m_labelFont, device);
    const int labelHeight = labels.height();
    const int frontTop = top + l.depth;
    const int frontBottom = inner.bottom() - (axisThickness + tickLength + 1 + labelHeight);

    Range xRange;
    Range yRange;
    dataRanges(xRange, yRange);
    Range sideRange;
    const bool hasSide = m_sideLine && !m_sideLine->points.empty();
    if (hasSide) {
        const auto& points = m_sideLine->points;
        const auto [low, high] =
            std::minmax_element(points.begin(), points.end(),
                                [](const LineSeries::Point& a, const LineSeries::Point& b) { return a.y < b.y; });
        sideRange = {low->y, high->y};
        for (const double mark : m_sideLine->marks)
            sideRange = {std::min(sideRange.min, mark), std::max(sideRange.max, mark)};
        // Measured on other days than weighed: the time axis takes in both.
        if (weighings().empty())
            xRange = {points.front().x, points.back().x};
        else
            xRange = {std::min(xRange.min, points.front().x), std::max(xRange.max, points.back().x)};
    }
    if (m_manualX)
        xRange = m_viewX;
    if (m_manualY)
        yRange = m_viewY;

    const int numberWidth = scaleValues(l.y, yRange.min, yRange.max, frontBottom - frontTop + 1, labelHeight, labels);

    int sideWidth = 0;
    if (hasSide) {
        const int sideNumbers =
            scaleValues(l.side, sideRange.min, sideRange.max, frontBottom - frontTop + 1, labelHeight, labels);
        sideWidth = axisThickness + tickLength + labelGap + sideNumbers;
    }
    const int frontLeft = inner.left() + numberWidth + labelGap + tickLength + axisThickness;
    const int frontRight = std::max(frontLeft + 1, inner.right() - l.depth - sideWidth);
    l.front = QRect(QPoint(frontLeft, frontTop), QPoint(frontRight, std::max(frontTop + 1, frontBottom)));
    l.back = l.front.translated(l.depth, -l.depth);

    l.x.min = xRange.min;
    l.x.max = xRange.max;
    if (l.x.degenerate()) {
        l.x.labels = {l.x.min};
    } else {
        const int dateWidth = std::max(labels.horizontalAdvance(axis::formatDate(l.x.min, m_dateFormat)),
                                       labels.horizontalAdvance(axis::formatDate(l.x.max, m_dateFormat)));
        l.x.step = axis::dateStep(l.x.min, l.x.max, l.front.width(), dateWidth);
        l.x.labels = axis::labelValues(l.x.min, l.x.max, l.x.step);
    }

    if (m_legendVisible && !weighings().empty()) {
        const QFontMetrics legend = metricsFor(m_legendFont, device);
        l.legendRowHeight = legend.height();
        const int legendTop = bounds.top() + qRound(height * 0.10);
        // Rows end at the bottom of the plot area, frame included; the shadow may fall on the axis.
        const int available = l.front.bottom() - legendTop + 1 - 2 * (legendPadding + 1);
        const int rows = std::min(static_cast<int>(weighings().size()), std::max(0, available / l.legendRowHeight));
        int textWidth = 0;
        for (int i = 0; i < rows; ++i) {
            l.legendRows << legendText(i);
            textWidth = std::max(textWidth, legend.horizontalAdvance(l.legendRows.back()));
        }
        if (rows > 0) {
            const int legendWidth = 2 + 2 * legendPadding + legendSymbolWidth + legendSymbolGap + textWidth;
            const int legendHeight = 2 + 2 * legendPadding + rows * l.legendRowHeight;
            // Beside a right-hand axis the legend stays inside the plot, clear of its labels.
            const int right = l.side.labels.empty() ? inner.right() - legendShadow : l.back.right() - legendShadow;
            l.legend = QRect(right - legendWidth + 1, legendTop, legendWidth, legendHeight);
        }
    }
    return l;
}

void DbChart::paint(QPainter& painter, const QRect& bounds) const
{
    const ChartLayout l = chartLayout(bounds, painter.device());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    paintPanel(painter, l);
    if (m_printStyle) {
        paintGrid(painter, l);
        paintPoints(painter, l, m_series->points());
        if (m_trendVisible)
            paintLine(painter, l, trend(), QPen(Qt::black, std::max(1, l.bounds.width() / 400), Qt::SolidLine));
        paintGoal(painter, l);
        paintAxes(painter, l);
        // On paper the plot is a closed box: the axes and, as thick, its top and right sides, meeting them.
        const QRect& f = l.front;
        painter.fillRect(
            QRect(f.left() - axisThickness, f.top() - axisThickness, f.width() + 2 * axisThickness, axisThickness),
            Qt::black);
        painter.fillRect(QRect(f.right() + 1, f.top() - axisThickness, axisThickness, f.height() + 2 * axisThickness),
                         Qt::black);
        painter.restore();
        return;
    }
    // The plot is not made smaller for the legend: whatever meets it is drawn over it.
    paintLegend(painter, l);
    paintGrid(painter, l);
    // Entries without a weight are left out: the line joins the weighings on either side.
    // Pens of a logical width (not cosmetic ones of one device pixel): the line and the grid keep their weight at a
    // scale of 1.5 or 2 as the axes and the text do.
    paintLine(painter, l, weighings(), QPen(m_series->color(), 1, Qt::SolidLine));
    paintSideLine(painter, l);
    // The trend stays within the weights' range, so it never changes the axes: only drawn over the series.
    if (m_trendVisible)
        paintLine(painter, l, trend(), QPen(trendColor, trendWidth, Qt::SolidLine));
    paintGoal(painter, l);
    paintAxes(painter, l);
    painter.restore();
}

void DbChart::paintGoal(QPainter& painter, const ChartLayout& l) const
{
    if (!m_goal || m_series->isEmpty())
        return;
    const double y = std::round(l.yToPixel(*m_goal, l.back));
    // A zoomed view may leave the goal out of sight.
    if (y < l.back.top() || y > l.back.bottom())
        return;
    painter.save();
    // On paper it is black and dashed, a little thinner than the trend.
    painter.setPen(m_printStyle ? QPen(Qt::black, std::max(1, l.bounds.width() / 600), Qt::DashLine)
                                : QPen(goalColor, 1, Qt::DashLine));
    painter.drawLine(QPointF(l.back.left(), y), QPointF(l.back.right(), y));
    painter.setFont(m_labelFont);
    const QString label = QStringLiteral("目标 %1斤").arg(axis::formatNumber(*m_goal));
    const int height = metricsFor(m_labelFont, painter.device()).height();
    // Above the line, or below it when the line runs along the top.
    const int top = y - goalLabelGap - height >= l.back.top() ? static_cast<int>(y) - goalLabelGap - height
                                                              : static_cast<int>(y) + goalLabelGap;
    QRect box(l.back.left(), top, l.back.width() - goalLabelGap, height);
    // Dark green on the legend's dark green could not be read: the value then ends where the legend begins.
    if (!l.legend.isEmpty() && box.intersects(l.legend.adjusted(0, 0, legendShadow, legendShadow)))
        box.setRight(l.legend.left() - 1 - goalLabelGap);
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, label);
    painter.restore();
}

void DbChart::paintPanel(QPainter& painter, const ChartLayout& l) const
{
    const QRect& r = l.bounds;
    painter.fillRect(r, Qt::white);
    // The window's sunken edge would print as two hairlines, one of them nearly white: paper has the plot's box.
    if (m_printStyle) {
        paintTitle(painter, l);
        return;
    }
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), edgeDark);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), edgeDark);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), edgeLight);
    painter.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 1), edgeLight);
    paintTitle(painter, l);
}

void DbChart::paintTitle(QPainter& painter, const ChartLayout& l) const
{
    if (l.title.isEmpty())
        return;
    painter.setFont(m_titleFont);
    painter.setPen(m_printStyle ? QColor(Qt::black) : titleColor);
    painter.drawText(l.title, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, l.titleText);
}

void DbChart::paintLegend(QPainter& painter, const ChartLayout& l) const
{
    if (l.legend.isEmpty())
        return;
    painter.fillRect(l.legend.translated(legendShadow, legendShadow), Qt::black);
    painter.fillRect(l.legend, legendBackground);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(l.legend.adjusted(0, 0, -1, -1));

    painter.setFont(m_legendFont);
    const int left = l.legend.left() + 1 + legendPadding;
    int top = l.legend.top() + 1 + legendPadding;
    for (int i = 0; i < l.legendRows.size(); ++i) {
        const QString& row = l.legendRows[i];
        const int middle = top + l.legendRowHeight / 2;
        painter.setPen(QPen(m_series->color(), 0));
        painter.drawLine(left, middle, left + legendSymbolWidth - 1, middle);
        painter.setPen(Qt::white);
        const int textLeft = left + legendSymbolWidth + legendSymbolGap;
        const QRect text(textLeft, top, l.legend.right() - legendPadding - textLeft, l.legendRowHeight);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, row);
        top += l.legendRowHeight;
    }
}

void DbChart::paintGrid(QPainter& painter, const ChartLayout& l) const
{
    QPen pen(gridColor, 1);
    pen.setDashPattern({1, 1});
    painter.setPen(pen);
    for (double value : l.x.labels) {
        const int x = qRound(l.xToPixel(value, l.back));
        painter.drawLine(x, l.back.top(), x, l.back.bottom());
    }
    for (double value : l.y.labels) {
        const int y = qRound(l.yToPixel(value, l.back));
        painter.drawLine(l.back.left(), y, l.back.right(), y);
    }
}

void DbChart::paintPoints(QPainter& painter, const ChartLayout& l, const std::vector<LineSeries::Point>& points,
                          const QColor& colour) const
{
    const double radius = std::max(1.5, l.bounds.width() / 500.0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (const LineSeries::Point& point : points) {
        if (point.yNull || point.y <= 0)
            continue;
        const QPointF at(l.xToPixel(point.x, l.back), l.yToPixel(point.y, l.back));
        if (QRectF(l.back).contains(at))
            painter.drawEllipse(at, radius, radius);
    }
    painter.restore();
}

void DbChart::paintLine(QPainter& painter, const ChartLayout& l, const std::vector<LineSeries::Point>& points,
                        const QPen& pen) const
{
    if (points.size() < 2)
        return;
    const QRectF box = QRectF(l.back).adjusted(-0.5, -0.5, 0.5, 0.5);
    QVector<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(std::min<std::size_t>(points.size(), 1 << 20)));
    const auto add = [&lines, &box](QPointF a, QPointF b) {
        if (clipSegment(a, b, box))
            lines.append(QLineF(a, b));
    };
    // Consecutive points on one pixel column make a chain of vertical segments, and a chain of one-pixel lines on
    // a column covers exactly the span from its lowest point to its highest: drawn as that one line, the picture
    // stays the same pixel for pixel, while a long diary gives a line or two per column instead of one per entry.
    const bool mergeColumns = pen.widthF() <= 1;
    double runLow = 0;
    double runHigh = 0;
    const auto flushRun = [&](double x) {
        if (runLow < runHigh)
            add(QPointF(x, runLow), QPointF(x, runHigh));
    };
    QPointF previous;
    bool first = true;
    for (const LineSeries::Point& point : points) {
        const QPointF current(std::round(l.xToPixel(point.x, l.back)), std::round(l.yToPixel(point.y, l.back)));
        if (first || !mergeColumns || current.x() != previous.x()) {
            if (!first && mergeColumns)
                flushRun(previous.x());
            if (!first && current != previous)
                add(previous, current);
            runLow = runHigh = current.y();
        } else {
            runLow = std::min(runLow, current.y());
            runHigh = std::max(runHigh, current.y());
        }
        previous = current;
        first = false;
    }
    if (!first && mergeColumns)
        flushRun(previous.x());
    painter.save();
    // Half a pen beyond the plot: a line along its edge lies half outside, and at a scale of 1.5 the clip to the plot
    // itself took all of it.
    const double half = std::max(1.0, pen.widthF()) / 2;
    painter.setClipRect(QRectF(l.back).adjusted(-half, -half, half, half));
    painter.setPen(pen);
    painter.drawLines(lines);
    painter.restore();
}

void DbChart::paintAxes(QPainter& painter, const ChartLayout& l) const
{
    const QRect& f = l.front;
    const QColor black(Qt::black);
    painter.fillRect(QRect(f.left() - axisThickness, f.top(), axisThickness, f.height() + axisThickness), black);
    painter.fillRect(QRect(f.left() - axisThickness, f.bottom() + 1, f.width() + axisThickness, axisThickness), black);

    const int leftTickEnd = f.left() - axisThickness;
    const int bottomTickStart = f.bottom() + 1 + axisThickness;
    if (!l.y.degenerate()) {
        for (double value : axis::minorTickValues(l.y.min, l.y.max, l.y.step)) {
            const int y = qRound(l.yToPixel(value, f));
            painter.fillRect(QRect(leftTickEnd - minorTickLength, y, minorTickLength, 1), black);
        }
    }
    if (!l.x.degenerate()) {
        for (double value : axis::minorTickValues(l.x.min, l.x.max, l.x.step))
            painter.fillRect(QRect(qRound(l.xToPixel(value, f)), bottomTickStart, 1, minorTickLength), black);
    }

    painter.setFont(m_labelFont);
    painter.setPen(black);
    const QFontMetrics metrics = metricsFor(m_labelFont, painter.device());
    const int height = metrics.height();

    // Labels come from the largest down; one that would come closer to the last one drawn than a tenth of its
    // size is left out.
    int lastBottom = INT_MIN;
    for (double value : l.y.labels) {
        const int y = qRound(l.yToPixel(value, f));
        painter.fillRect(QRect(leftTickEnd - tickLength, y, tickLength, 1), black);
        const int textWidth = leftTickEnd - tickLength - labelGap - l.bounds.left();
        const QRect text(l.bounds.left(), y - height / 2, textWidth, height);
        if (lastBottom != INT_MIN && text.top() - (height + 9) / 10 <= lastBottom)
            continue;
        painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, axis::formatNumber(value));
        lastBottom = text.bottom();
    }
    int lastLeft = INT_MAX;
    for (double value : l.x.labels) {
        const int x = qRound(l.xToPixel(value, f));
        painter.fillRect(QRect(x, bottomTickStart, 1, tickLength), black);
        const QString label = axis::formatDate(value, m_dateFormat);
        const int width = metrics.horizontalAdvance(label);
        const QRect text(x - width / 2, bottomTickStart + tickLength + 1, width, height);
        if (lastLeft != INT_MAX && text.right() + (width + 9) / 10 >= lastLeft)
            continue;
        painter.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, label);
        lastLeft = text.left();
    }
}

void DbChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect());
    if (!m_rubberBand.isNull()) {
        painter.setPen(QPen(Qt::black, 0, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_rubberBand);
    }
}

void DbChart::zoomToPixels(const QRect& area)
{
    const ChartLayout l = chartLayout();
    const QRect r = area.normalized();
    if (!l.x.degenerate()) {
        m_viewX = {l.pixelToX(r.left(), l.back), l.pixelToX(r.right(), l.back)};
        m_manualX = true;
    }
    if (!l.y.degenerate()) {
        m_viewY = {l.pixelToY(r.bottom(), l.back), l.pixelToY(r.top(), l.back)};
        m_manualY = true;
    }
    describe();
    update();
}

void DbChart::scrollByPixels(const QPoint& delta)
{
    const ChartLayout l = chartLayout();
    if (!l.x.degenerate() && l.back.width() > 1) {
        const double shift = -delta.x() * (l.x.max - l.x.min) / (l.back.width() - 1);
        m_viewX = {l.x.min + shift, l.x.max + shift};
        m_manualX = true;
    }
    if (!l.y.degenerate() && l.back.height() > 1) {
        const double shift = delta.y() * (l.y.max - l.y.min) / (l.back.height() - 1);
        m_viewY = {l.y.min + shift, l.y.max + shift};
        m_manualY = true;
    }
    describe();
    update();
}

void DbChart::undoZoom()
{
    m_manualX = false;
    m_manualY = false;
    describe();
    update();
}

void DbChart::mousePressEvent(QMouseEvent* event)
{
    m_hintTimer.stop();
    if (m_dragButton != Qt::NoButton || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragButton = event->button();
    m_dragStart = event->position().toPoint();
    m_dragLast = m_dragStart;
    event->accept();
}

void DbChart::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->buttons() == Qt::NoButton) {
        m_hintPosition = event->globalPosition().toPoint();
        m_hintTimer.start();
    } else {
        m_hintTimer.stop();
    }
    if (m_dragButton == Qt::LeftButton) {
        m_rubberBand = QRect(m_dragStart, at).normalized();
        update();
    } else if (m_dragButton == Qt::RightButton) {
        if (at != m_dragLast)
            scrollByPixels(at - m_dragLast);
        m_dragLast = at;
    } else {
        QWidget::mouseMoveEvent(event);
    }
}

void DbChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != m_dragButton || m_dragButton == Qt::NoButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (m_dragButton == Qt::LeftButton) {
        m_rubberBand = QRect();
        const QPoint drag = at - m_dragStart;
        if (drag.x() > minimumDragPixels && drag.y() > minimumDragPixels)
            zoomToPixels(QRect(m_dragStart, at));
        else if (std::abs(drag.x()) > minimumDragPixels && std::abs(drag.y()) > minimumDragPixels)
            undoZoom();
        update();
    } else {
        if (at != m_dragLast)
            scrollByPixels(at - m_dragLast);
        const QPoint drag = at - m_dragStart;
        if (std::abs(drag.x()) <= minimumDragPixels && std::abs(drag.y()) <= minimumDragPixels)
            emit contextClicked(event->globalPosition().toPoint());
    }
    m_dragButton = Qt::NoButton;
    event->accept();
}

void DbChart::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first click of the two has already come and gone as a click too short to be a drag.
    if (event->button() != Qt::LeftButton || m_dragButton != Qt::NoButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    m_hintTimer.stop();
    toggleTrend();
    event->accept();
}

void DbChart::contextMenuEvent(QContextMenuEvent* event)
{
    // A right click is the mouse's own (a release that did not scroll); the Menu key opens the menu at the middle.
    if (event->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return;
    }
    emit contextClicked(mapToGlobal(rect().center()));
    event->accept();
}

void DbChart::leaveEvent(QEvent* event)
{
    m_hintTimer.stop();
    QWidget::leaveEvent(event);
}

bool DbChart::event(QEvent* event)
{
    // Shift+F10 opens the context menu as the Menu key does, as on every desktop.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            emit contextClicked(mapToGlobal(rect().center()));
            return true;
        }
    }
    // The hint follows its own timing (as the main window's pictures do), not the style's delay.
    if (event->type() == QEvent::ToolTip)
        return true;
    return QWidget::event(event);
}

void DbChart::showHint()
{
    if (isVisible() && underMouse())
        QToolTip::showText(m_hintPosition + QPoint(0, 20), m_hint, this, rect(), hint::durationMs);
}
