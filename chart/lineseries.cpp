// The chart's line series: points in ascending date-time order, optionally filled from a dataset.
#include "chart/lineseries.h"

#include "data/dataset.h"
#include "datafile/diary.h"

#include <QCursor>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>

namespace {

// The hourglass for as long as a fill runs, however it ends.
class WaitCursor {
public:
    // qGuiApp is the core application cast blindly: under a command line's QCoreApplication it is not null, and the
    // cursor call would crash.
    WaitCursor() : m_set(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_set)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_set;
};

// NaN would break the ordering that sorting relies on; a value that cannot be shown is drawn at 0.
double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

bool byX(const LineSeries::Point& a, const LineSeries::Point& b)
{
    return a.x < b.x;
}

} // namespace

LineSeries::LineSeries(QObject* parent) : QObject(parent), m_self(std::make_shared<LineSeries*>(this)) {}

LineSeries::~LineSeries()
{
    *m_self = nullptr;
}

void LineSeries::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    emit changed();
}

void LineSeries::clear()
{
    if (m_points.empty())
        return;
    m_points.clear();
    emit changed();
}

void LineSeries::addXY(double x, double y, bool yNull)
{
    const Point point{finiteOrZero(x), finiteOrZero(y), yNull};
    const auto at = std::upper_bound(m_points.begin(), m_points.end(), point, byX);
    m_points.insert(at, point);
    emit changed();
}

void LineSeries::setDataSource(Dataset* dataset)
{
    if (dataset == m_source)
        return;
    if (m_source && m_listenerId != 0)
        m_source->removeListener(m_listenerId);
    m_listenerId = 0;
    m_source = dataset;
    if (m_source) {
        std::weak_ptr<LineSeries*> self = m_self;
        m_listenerId = m_source->addListener([self](Dataset&, bool opened) {
            if (const auto alive = self.lock(); alive && *alive)
                (*alive)->onDatasetEvent(opened);
        });
    }
    refresh();
}

void LineSeries::setXField(const QString& field)
{
    if (field == m_xField)
        return;
    m_xField = field;
    refresh();
}

void LineSeries::setYField(const QString& field)
{
    if (field == m_yField)
        return;
    m_yField = field;
    refresh();
}

void LineSeries::refresh()
{
    if (canFill())
        fill();
    else
        clear();
}

bool LineSeries::canFill() const
{
    return m_source && m_source->active() && !m_xField.isEmpty() && !m_yField.isEmpty();
}

void LineSeries::onDatasetEvent(bool opened)
{
    if (!opened)
        clear();
    else if (canFill())
        fill();
}

void LineSeries::fill()
{
    m_points.clear();
    Dataset& dataset = *m_source;
    std::vector<Point> points;
    {
        const WaitCursor wait;
        const int saved = dataset.recNo();
        const auto goBack = [&dataset, saved] {
            if (saved >= 0 && saved < dataset.recordCount())
                dataset.moveTo(saved);
        };
        try {
            points = datafile::readPoints(dataset, m_xField, m_yField);
        } catch (...) {
            // The field error is what the caller reports; a failure to move back must not replace it.
            try {
                goBack();
            } catch (...) {
            }
            emit changed();
            throw;
        }
        goBack();
        m_points = std::move(points);
        emit changed();
    }
}
