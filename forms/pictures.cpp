// Pixmaps over the pictures decoded at build time.
#include "forms/pictures.h"

#include <QImage>
#include <cstring>

namespace pictures {

QPixmap pixmap(const char* name)
{
    for (int i = 0; i < tableSize; ++i) {
        const Picture& p = table[i];
        if (std::strcmp(p.name, name) != 0)
            continue;
        // Wrapped, not copied: the pixmap shares the read-only pixels, which are already in the screen's layout.
        QImage image(p.bits, p.width, p.height, p.bytesPerLine, static_cast<QImage::Format>(p.format));
        image.setDotsPerMeterX(p.dotsPerMeterX);
        image.setDotsPerMeterY(p.dotsPerMeterY);
        return QPixmap::fromImage(image);
    }
    return {};
}

} // namespace pictures
