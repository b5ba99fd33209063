// Fonts and caption colours of the skinned windows.
#include "forms/look.h"

#include <QLabel>
#include <QPalette>

namespace look {

void setWindowFont(QWidget* window, const QString& family, int pixelSize)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    window->setFont(font);
}

void setCaption(QLabel* caption, const QString& family, int pixelSize, const QColor& color)
{
    setWindowFont(caption, family, pixelSize);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, color);
    caption->setPalette(palette);
}

} // namespace look
