// Pixmaps over the pictures decoded at build time.
#include "forms/pictures.h"

#include <QByteArrayView>
#include <QGuiApplication>
#include <QImage>

namespace pictures {

namespace {

const Picture* find(QByteArrayView name)
{
    for (int i = 0; i < tableSize; ++i)
        if (name == QByteArrayView(table[i].name))
            return &table[i];
    return nullptr;
}

// The twice-size picture of a file: the same name with @2x before its extension, whatever that extension is.
const Picture* findDoubled(QByteArrayView name)
{
    const QByteArray file = name.toByteArray();
    const qsizetype dot = file.lastIndexOf('.');
    const QByteArray prefix = file.left(dot < 0 ? file.size() : dot) + "@2x.";
    for (int i = 0; i < tableSize; ++i)
        if (QByteArrayView(table[i].name).startsWith(prefix))
            return &table[i];
    return nullptr;
}

QPixmap wrap(const Picture& p, qreal ratio)
{
    // Wrapped, not copied: the pixmap shares the read-only pixels, which are already in the screen's layout.
    QImage image(p.bits, p.width, p.height, p.bytesPerLine, static_cast<QImage::Format>(p.format));
    image.setDotsPerMeterX(p.dotsPerMeterX);
    image.setDotsPerMeterY(p.dotsPerMeterY);
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image, Qt::NoFormatConversion);
}

} // namespace

QPixmap pixmap(const char* name, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1) {
        if (const Picture* doubled = findDoubled(name))
            return wrap(*doubled, 2);
    }
    const Picture* picture = find(name);
    return picture ? wrap(*picture, 1) : QPixmap();
}

QPixmap pixmap(const char* name)
{
    return pixmap(name, qGuiApp ? qGuiApp->devicePixelRatio() : 1);
}

} // namespace pictures
