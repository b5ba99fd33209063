// The secondary windows' common frame.
#include "forms/dialog.h"

#include "forms/accessible.h"
#include "forms/guard.h"
#include "forms/placement.h"
#include "forms/textbox.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

namespace {

Qt::WindowFlags frameFlags(bool withMinimise)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (withMinimise)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint;
    return flags;
}

} // namespace

TevuDialog::TevuDialog(QWidget* parent, bool withMinimise) : QDialog(parent, frameFlags(withMinimise))
{
    textbox::keepAltKeysOutOfText();
    accessible::nameListBoxesByTheirField();
}

void TevuDialog::setVisible(bool visible)
{
    if (visible && !m_placed) {
        m_placed = true;
        applyLook();
        placeBeforeShowing(this);
    }
    QDialog::setVisible(visible);
}

void TevuDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { FormShow(); });
}

void TevuDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel) && !m_escapeCloses) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ask(QWidget* parent, const QString& question, const QString& yes, const QString& no)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tevu"), question, QMessageBox::NoButton, parent);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(noButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}
