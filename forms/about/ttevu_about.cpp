// The About window.
#include "forms/about/ttevu_about.h"

#include "forms/guard.h"
#include "forms/look.h"
#include "ui_ttevu_about.h"

#include <QMouseEvent>

Ttevu_about* tevu_about = nullptr;

Ttevu_about::Ttevu_about(QWidget* parent) : TevuDialog(parent, false), m_ui(std::make_unique<Ui::Ttevu_about>())
{
    m_ui->setupUi(this);
    look::setWindowFont(this, look::formFont, 11);
    look::setCaption(m_ui->Label1, look::formFont, 13, QColor(0x00, 0x80, 0x00));
    m_ui->Image1->installEventFilter(this);
}

Ttevu_about::~Ttevu_about() = default;

bool Ttevu_about::eventFilter(QObject* watched, QEvent* event)
{
    // A click is a left release inside the picture; the label above it takes its own clicks.
    if (watched == m_ui->Image1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_ui->Image1->rect().contains(mouse->position().toPoint())) {
            guarded([this] { Image1Click(); });
            return true;
        }
    }
    return TevuDialog::eventFilter(watched, event);
}

void Ttevu_about::Image1Click()
{
    close();
}
