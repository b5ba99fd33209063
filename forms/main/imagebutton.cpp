// The picture button.
#include "forms/main/imagebutton.h"

#include "chart/hint.h"

#include <QMouseEvent>
#include <QToolTip>

ImageButton::ImageButton(QWidget* parent) : QLabel(parent)
{
    setMouseTracking(true);
    m_hintTimer.setSingleShot(true);
    m_hintTimer.setInterval(hint::delayMs);
    connect(&m_hintTimer, &QTimer::timeout, this, &ImageButton::showHint);
}

void ImageButton::moveShifted(const QPoint& position)
{
    m_shifting = true;
    move(position);
    m_shifting = false;
}

void ImageButton::moveEvent(QMoveEvent* event)
{
    // Moves made by the layout set the design position; the press shift does not.
    if (!m_shifting)
        m_design = event->pos();
    QLabel::moveEvent(event);
}

void ImageButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    press();
}

void ImageButton::press()
{
    m_hintTimer.stop();
    moveShifted(m_design + QPoint(-1, 1));
    emit pressed();
}

void ImageButton::click()
{
    press();
    release();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton) {
        release();
        return;
    }
    // The toolkit delivers every release to the pressed widget; a right or middle release belongs to
    // whatever picture lies under the pointer, or to nothing.
    QWidget* top = window();
    const QPoint at = top->mapFromGlobal(event->globalPosition().toPoint());
    if (!top->rect().contains(at))
        return;
    if (auto* target = qobject_cast<ImageButton*>(top->childAt(at)))
        target->release();
}

void ImageButton::release()
{
    moveShifted(m_design);
    emit released();
}

void ImageButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_hint.isEmpty() && !(event->buttons() & Qt::LeftButton)) {
        m_hintPosition = event->globalPosition().toPoint();
        m_hintTimer.start();
    }
    QLabel::mouseMoveEvent(event);
}

void ImageButton::leaveEvent(QEvent* event)
{
    m_hintTimer.stop();
    QLabel::leaveEvent(event);
}

bool ImageButton::event(QEvent* event)
{
    // Hints follow our own timing, not the style's default delay.
    if (event->type() == QEvent::ToolTip)
        return true;
    return QLabel::event(event);
}

void ImageButton::showHint()
{
    if (isVisible() && underMouse())
        QToolTip::showText(m_hintPosition + QPoint(0, 20), m_hint, this, rect(), hint::durationMs);
}
