// The clickable picture.
#include "forms/about/clickablepicture.h"

#include <QMouseEvent>

void ClickablePicture::mouseReleaseEvent(QMouseEvent* event)
{
    // Whatever lies over the picture takes its own clicks: only releases that reach the picture itself count.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        click();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
