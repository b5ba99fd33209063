// The invisible hot area.
#include "forms/main/hotarea.h"

#include <QMouseEvent>

void HotArea::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit pressed();
}
