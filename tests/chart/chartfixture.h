// Helpers of the chart tests: a temporary diary, rendering a chart, counting pixels.
#pragma once

#include "chart/dbchart.h"
#include "chart/lineseries.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "support/tempdb.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <functional>

namespace chartfixture {

// A diary file, its connection and the curve window's dataset over it.
struct Diary {
    explicit Diary(const QString& rows)
        : db(TempDatabase::standardSchema() + rows),
          connection(db.folder()),
          dataset(QStringLiteral("ADODataSetcurve"), connection)
    {
        connection.openDatabase();
    }
    TempDatabase db;
    Connection connection;
    Dataset dataset;
};

// Binds the series to the diary's time and weight, as the curve window does.
inline void bind(LineSeries& series, Dataset& dataset)
{
    series.setDataSource(&dataset);
    series.setXField(QStringLiteral("time"));
    series.setYField(QStringLiteral("lb"));
}

// An INSERT into the diary; an empty time or weight is stored as NULL.
inline QString diaryRow(const QString& time, const QString& weight)
{
    const QString timeValue = time.isEmpty() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(time);
    const QString weightValue = weight.isEmpty() ? QStringLiteral("NULL") : weight;
    return QStringLiteral("INSERT INTO rj(time, demo, lb) VALUES(%1, '', %2);").arg(timeValue, weightValue);
}

// An image with the widget's resolution, so that fonts measure the same as on the screen.
inline QImage blankImage(const DbChart& chart, const QSize& size = QSize(681, 250))
{
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(chart.logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(chart.logicalDpiY() / 0.0254));
    image.fill(Qt::magenta);
    return image;
}

inline QImage render(const DbChart& chart, const QSize& size = QSize(681, 250))
{
    QImage image = blankImage(chart, size);
    QPainter painter(&image);
    chart.paint(painter, image.rect());
    return image;
}

inline ChartLayout layoutOf(const DbChart& chart, const QImage& image)
{
    return chart.chartLayout(image.rect(), &image);
}

inline int countPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& wanted)
{
    int count = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += wanted(image.pixel(x, y)) ? 1 : 0;
    return count;
}

inline bool isRed(QRgb c)
{
    return qRed(c) == 255 && qGreen(c) == 0 && qBlue(c) == 0;
}

inline bool isLegendGreen(QRgb c)
{
    return qRed(c) == 0 && qGreen(c) == 64 && qBlue(c) == 0;
}

inline bool isTitleBlue(QRgb c)
{
    return qBlue(c) >= 200 && qRed(c) <= 80 && qGreen(c) <= 80;
}

inline bool isBlack(QRgb c)
{
    return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0;
}

inline bool isGrid(QRgb c)
{
    return qRed(c) == 128 && qGreen(c) == 128 && qBlue(c) == 128;
}

} // namespace chartfixture
