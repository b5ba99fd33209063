// The chart's line series: points in ascending date-time order, optionally filled from a dataset.
#pragma once

#include "health/trend.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class Dataset;

class LineSeries : public QObject {
    Q_OBJECT
public:
    using Point = trend::Point;

    explicit LineSeries(QObject* parent = nullptr);
    // Leaves the dataset alone: it may already be gone. Unbind first to drop the listener of a living one.
    ~LineSeries() override;

    const std::vector<Point>& points() const { return m_points; }
    int count() const { return static_cast<int>(m_points.size()); }
    bool isEmpty() const { return m_points.empty(); }

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    void clear();
    // Inserts at its place in ascending x, after any points with the same x.
    void addXY(double x, double y, bool yNull = false);

    // The binding. Changing it refills at once when the dataset is open and both fields are named; the fill
    // throws the dataset's DataError (for a missing field) after leaving the series empty.
    Dataset* dataSource() const { return m_source; }
    void setDataSource(Dataset* dataset);
    const QString& xField() const { return m_xField; }
    void setXField(const QString& field);
    const QString& yField() const { return m_yField; }
    void setYField(const QString& field);

    // Empties the series and reads every row of the bound dataset again, if the binding is complete.
    void refresh();

signals:
    void changed();

private:
    bool canFill() const;
    void fill();
    void onDatasetEvent(bool opened);

    std::vector<Point> m_points;
    QColor m_color = Qt::red;

    Dataset* m_source = nullptr;
    QString m_xField;
    QString m_yField;
    int m_listenerId = 0;
    // Shared with the dataset's listener so that a listener outliving this series does nothing.
    std::shared_ptr<LineSeries*> m_self;
};
