// Fonts and caption colours of the skinned windows, set as widget properties: a style sheet would send every
// widget's polish and paint through the style-sheet engine, which was a tenth of the work of a start-up.
#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace look {

// The windows' own font and that of the captions; the application maps these names to installed fonts.
inline const QString formFont = QStringLiteral("MS Sans Serif");
inline const QString roundFont = QStringLiteral("幼圆");

// Gives a window, and every child that sets no font of its own, the font in a size in pixels: the skins are drawn
// in pixels, so the texts keep their place on them whatever the screen's resolution.
void setWindowFont(QWidget* window, const QString& family, int pixelSize);

// A caption drawn on the skin: its font and text colour, over the skin (a label fills no background).
void setCaption(QLabel* caption, const QString& family, int pixelSize, const QColor& color);

} // namespace look
