// The secondary windows' common frame.
#include "forms/dialog.h"

#include "forms/accessible.h"
#include "forms/guard.h"
#include "forms/placement.h"
#include "forms/textbox.h"

#include <QKeyEvent>
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
