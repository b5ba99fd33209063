// Geometry of the main window and the About window that the pictures have to line up with.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

namespace artwork::layout {

constexpr QSize windowSize(600, 335);

constexpr QRect minimizeButton(543, 11, 19, 18);
constexpr QRect closeButton(569, 11, 19, 18);
constexpr QRect titleBanner(248, 0, 137, 33);

constexpr int iconY = 37;
constexpr int iconSize = 32;
constexpr std::array<int, 7> iconX{131, 199, 267, 336, 404, 472, 541};
constexpr int captionY = 73;
constexpr QSize captionSize(56, 13);
constexpr std::array<int, 7> captionX{123, 188, 256, 323, 387, 456, 528};

// The green frame around the area where the text views show; the program fills the views with white.
constexpr QRect centreFrame(QPoint(128, 92), QPoint(593, 303));
constexpr QRect messageLine(152, 100, 257, 16);
constexpr int roundButtonY = 98;
constexpr QSize roundButtonSize(26, 25);
constexpr std::array<int, 4> roundButtonX{419, 456, 493, 531};
constexpr QRect textBox(144, 124, 441, 173);
constexpr QRect tree(136, 120, 449, 169);

constexpr int flowerTop = 305;
constexpr int figureRight = 125;

constexpr QSize aboutSize(349, 224);
// The About window puts its own green "Tevu" label here.
constexpr QRect aboutLabel(QPoint(120, 24), QPoint(249, 49));

} // namespace artwork::layout
