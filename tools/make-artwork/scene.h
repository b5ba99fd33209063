// The two big pictures: the main window background and the About window picture.
#pragma once

#include <QImage>

namespace artwork {

QImage paintBackground(int scale = 1);
QImage paintAbout(int scale = 1);

// Fonts used for text painted into the pictures.
QFont chineseFont(int pixelSize, bool bold = false);
QFont latinFont(int pixelSize, bool bold = false);

} // namespace artwork
