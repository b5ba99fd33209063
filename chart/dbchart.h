// A line chart widget for the weight curve: title, date-time and number axes, one line series and a value legend,
// and a trend line that a double-click shows and hides.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <vector>

#include "chart/lineseries.h"
#include "health/goal.h"

class QPaintDevice;
class QPainter;
class QPen;

// One axis as laid out for painting: its visible range and labels.
struct ChartScale {
    double min = 0;
    double max = 0;
    double step = 0;            // 0 when the range is a single value
    std::vector<double> labels; // from the largest down
    bool degenerate() const { return !(max > min); }
};

// Everything that painting needs, computed from the chart's state and a rectangle.
struct ChartLayout {
    QRect bounds;
    int depth = 0; // the 3D offset of the back plane, right and up
    QRect title;   // empty without a title
    QString titleText;
    QRect front; // where the axes run
    QRect back;  // front shifted by depth: grid and series
    ChartScale x;
    ChartScale y;
    ChartScale side; // the second measure's right-hand axis; labels empty without one
    QRect legend;    // empty when the legend is hidden or has no rows
    QStringList legendRows;
    int legendRowHeight = 0;

    // Pixel position of a value on a plane (front or back), and back.
    // Inline: the line's loop maps every point through them.
    double xToPixel(double value, const QRect& plane) const
    {
        const double span = plane.width() - 1;
        if (x.degenerate())
            return plane.left() + span / 2;
        return plane.left() + (value - x.min) / (x.max - x.min) * span;
    }
    double yToPixel(double value, const QRect& plane) const
    {
        const double span = plane.height() - 1;
        if (y.degenerate())
            return plane.top() + span / 2;
        return plane.bottom() - (value - y.min) / (y.max - y.min) * span;
    }
    double pixelToX(double pixel, const QRect& plane) const;
    // The same layout with the side axis as its y: what the second measure is drawn with.
    ChartLayout onSideAxis() const
    {
        ChartLayout onSide = *this;
        onSide.y = side;
        return onSide;
    }
    double pixelToY(double pixel, const QRect& plane) const;
};

class DbChart : public QWidget {
    Q_OBJECT
public:
    // Drags shorter than this in either direction are taken for a click.
    static constexpr int minimumDragPixels = 16;

    explicit DbChart(QWidget* parent = nullptr);
    ~DbChart() override;

    QSize sizeHint() const override;

    LineSeries* series() const { return m_series; }

    const QString& title() const { return m_title; }
    void setTitle(const QString& title);
    // A Qt date-time format for the bottom axis and the legend ("yyyy-MM-dd").
    const QString& dateFormat() const { return m_dateFormat; }
    void setDateFormat(const QString& format);
    bool legendVisible() const { return m_legendVisible; }
    void setLegendVisible(bool visible);
    const QString& hint() const { return m_hint; }

    // The smoothed weight over the series: off until a left double-click, kept through later fills and showings.
    bool trendVisible() const { return m_trendVisible; }
    void setTrendVisible(bool visible);
    // What T, a double click and the menu do: shows or hides the trend and says so (trendToggled).
    void toggleTrend();
    // The trend's points, whether shown or not.
    const std::vector<LineSeries::Point>& trend() const;
    // A trend worked out elsewhere (from the diary and the food log), drawn and titled in place of the smoothed
    // series, with its own projection, until cleared with an empty line.
    void setModelTrend(std::vector<LineSeries::Point> line, std::optional<health::Projection> projection = {});
    // The series' weighings, in order: what the line, the axes and the legend show.
    const std::vector<LineSeries::Point>& weighings() const;

    // The goal weight: a dashed line with its value at the right end, the weight axis widened to include it, and the
    // projection in the title while the trend is shown. Nothing when unset.
    std::optional<double> goal() const { return m_goal; }
    void setGoal(std::optional<double> goal);
    // The goal projection from the trend's newest value and weekly rate; NoTrend without a goal.
    health::Projection projection() const;

    // A second measure beside the weight (the waist, the body fat), on its own right-hand axis in its own colour with
    // its points, and faint lines at the values that matter for it (the waist bands). The axis always spans the
    // measure and its lines; the time axis widens to its points unless zoomed.
    struct SideLine {
        QString caption; // the axis's name and unit: 腰围(厘米)
        QColor colour;
        std::vector<LineSeries::Point> points; // x days since 1899-12-30, ascending
        std::vector<double> marks;
    };
    const std::optional<SideLine>& sideLine() const { return m_sideLine; }
    void setSideLine(std::optional<SideLine> line);

    // Zoom and scroll: the visible ranges stay as set, through later fills, until undoZoom.
    bool isZoomed() const { return m_manualX || m_manualY; }
    // Zooms to the values under a rectangle of widget pixels.
    void zoomToPixels(const QRect& area);
    // Moves the visible ranges so that the drawing follows the pointer by this many pixels.
    void scrollByPixels(const QPoint& delta);
    void undoZoom();
    // What + and - do: zoom in on the middle half, zoom out to twice the range.
    void zoomIn();
    void zoomOut();

    ChartLayout chartLayout(const QRect& bounds, const QPaintDevice* device) const;
    ChartLayout chartLayout() const { return chartLayout(rect(), this); }
    // The legend as it would be shown at the widget's present size (the oldest points when not all fit).
    QStringList legendRows() const { return chartLayout().legendRows; }

    // Paints the whole chart into bounds; the device's resolution decides the font sizes.
    void paint(QPainter& painter, const QRect& bounds) const;
    // For paper, legible in black and white: the weights as points, the trend a solid black line, no colours, no
    // legend. Off for the window.
    void setPrintStyle(bool print) { m_printStyle = print; }
    // The font of the axes' labels and the goal's label (a page sets its own embedded face).
    void setLabelFont(const QFont& font) { m_labelFont = font; }

signals:
    // A right click that did not scroll: where the window may offer its context menu.
    void contextClicked(const QPoint& globalPosition);
    // The user showed or hid the trend (T, a double click, the menu).
    void trendToggled(bool visible);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    // The mouse's functions on keys: T the trend, L the legend, + and - zoom about the middle, the arrows scroll, 0
    // undoes the zoom.
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Range {
        double min = 0;
        double max = 0;
    };

    void dataRanges(Range& x, Range& y) const;
    QString legendText(int index) const;
    void paintPanel(QPainter& painter, const ChartLayout& layout) const;
    void paintTitle(QPainter& painter, const ChartLayout& l) const;
    void paintLegend(QPainter& painter, const ChartLayout& layout) const;
    void paintGrid(QPainter& painter, const ChartLayout& layout) const;
    void paintLine(QPainter& painter, const ChartLayout& layout, const std::vector<LineSeries::Point>& points,
                   const QPen& pen) const;
    void paintPoints(QPainter& painter, const ChartLayout& layout, const std::vector<LineSeries::Point>& points,
                     const QColor& colour = QColor(96, 96, 96)) const;
    void paintSideLine(QPainter& painter, const ChartLayout& layout) const;
    void showHint();
    // What a screen reader says of the chart: the newest weight, the trend, the ranges shown, the keys.
    void describe();
    void paintAxes(QPainter& painter, const ChartLayout& layout) const;
    void paintGoal(QPainter& painter, const ChartLayout& layout) const;

    LineSeries* m_series;
    QString m_title;
    QString m_dateFormat;
    bool m_legendVisible = false;
    bool m_trendVisible = false;
    bool m_printStyle = false;
    std::optional<double> m_goal;
    std::optional<SideLine> m_sideLine;
    mutable std::vector<LineSeries::Point> m_trend;
    std::vector<LineSeries::Point> m_modelTrend;
    std::optional<health::Projection> m_modelProjection;
    mutable bool m_trendStale = true;
    mutable std::vector<LineSeries::Point> m_weighings;
    mutable bool m_weighingsStale = true;
    QString m_hint;
    QTimer m_hintTimer;
    QPoint m_hintPosition;
    QFont m_titleFont;
    QFont m_labelFont;
    QFont m_legendFont;

    // Set per axis: an axis showing a single value has nothing to zoom and keeps following the data.
    bool m_manualX = false;
    bool m_manualY = false;
    Range m_viewX;
    Range m_viewY;

    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPoint m_dragStart;
    QPoint m_dragLast;
    QRect m_rubberBand;
};
