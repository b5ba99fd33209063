// The About window.
#include "forms/about/ttevu_about.h"

#include "forms/guard.h"
#include "forms/look.h"
#include "forms/pictures.h"
#include "ui_ttevu_about.h"

Ttevu_about* tevu_about = nullptr;

Ttevu_about::Ttevu_about(QWidget* parent) : TevuDialog(parent, false), m_ui(std::make_unique<Ui::Ttevu_about>())
{
    m_ui->setupUi(this);
    m_ui->Image1->setPixmap(pictures::pixmap("about.jpg"));
    connect(m_ui->Image1, &ClickablePicture::clicked, this, [this] { guarded([this] { Image1Click(); }); });
}

Ttevu_about::~Ttevu_about() = default;

void Ttevu_about::applyLook()
{
    look::setWindowFont(this, look::formFont, 11);
    look::setCaption(m_ui->Label1, look::formFont, 13, QColor(0x00, 0x80, 0x00));
}

void Ttevu_about::Image1Click()
{
    close();
}
