// The skin's pictures, decoded when the program is built: a window shows them without decoding a JPEG or an icon at
// start-up, and their pixels stay in the program's read-only data rather than on the heap.
#pragma once

#include <QPixmap>
#include <QtGlobal>

namespace pictures {

struct Picture {
    const char* name; // the shipped file's name, e.g. "background.jpg"
    int width;
    int height;
    int bytesPerLine;
    int format; // a QImage::Format
    int dotsPerMeterX;
    int dotsPerMeterY;
    const uchar* bits;
};

// Made by pack-pictures from resources/images.
extern const Picture table[];
extern const int tableSize;

// The picture of the shipped file `name`, as QPixmap would load that file; a null pixmap for an unknown name.
// On a screen whose device pixel ratio is above 1 (150 %, 200 %), the same picture painted at twice the size
// (<name>@2x), marked as such: it takes the same place, with the screen's own pixels.
QPixmap pixmap(const char* name);
// The same for a given device pixel ratio.
QPixmap pixmap(const char* name, qreal devicePixelRatio);

} // namespace pictures
