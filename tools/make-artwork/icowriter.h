// Palette reduction and writing of single-image Windows .ico files with 4-bit or 8-bit colour.
#pragma once

#include <QImage>
#include <QRgb>
#include <QString>

#include <vector>

namespace artwork {

// Picks at most maxColours colours representing the given pixels (median cut refined by a few k-means rounds).
std::vector<QRgb> reducePalette(const std::vector<QRgb>& pixels, int maxColours);

// Saves an ARGB picture as a 1-image icon with 1 << bitsPerPixel palette entries (4 or 8) and an AND mask.
// Pixels whose alpha is below alphaThreshold are transparent; the others are written with their colour as is
// (blend the soft edges onto the surroundings before calling). Index 0 (black) is kept for transparent pixels.
bool writeIndexedIco(const QImage& image, int bitsPerPixel, int alphaThreshold, const QString& path, QString* error);

} // namespace artwork
