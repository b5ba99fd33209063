// The main window's shortcuts.
#include "forms/main/keyboard.h"

#include "ui_ttevu_main.h"

#include <QShortcut>

namespace {

enum class Repeat { no, yes };

template <class Picture> void bind(Picture* picture, const QList<QKeySequence>& keys, Repeat repeat = Repeat::no)
{
    // Owned by the picture: the toolkit lets a window shortcut act only while its parent is visible, and assistive
    // technology finds it there as the picture's shortcut. A held key repeats only where a user pages through articles.
    auto* shortcut = new QShortcut(picture);
    shortcut->setKeys(keys);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(repeat == Repeat::yes);
    QObject::connect(shortcut, &QShortcut::activated, picture, [picture] { picture->click(); });
}

} // namespace

void installShortcuts(const Ui::Ttevu_main& ui)
{
    bind(ui.Image5, {Qt::ALT | Qt::Key_1});
    bind(ui.Image6, {Qt::ALT | Qt::Key_2});
    bind(ui.Image7, {Qt::ALT | Qt::Key_3});
    bind(ui.Image8, {Qt::ALT | Qt::Key_4});
    bind(ui.Image9, {Qt::ALT | Qt::Key_5});
    bind(ui.Image10, {Qt::ALT | Qt::Key_6});
    bind(ui.Image11, {Qt::ALT | Qt::Key_7});
    bind(ui.Image2, {Qt::ALT | Qt::Key_Left}, Repeat::yes);
    bind(ui.Image12, {Qt::ALT | Qt::Key_Right}, Repeat::yes);
    bind(ui.Image13, {Qt::CTRL | Qt::Key_N});
    bind(ui.Image15, {Qt::CTRL | Qt::Key_Enter, Qt::CTRL | Qt::Key_Return});
    bind(ui.Shape1, {Qt::Key_F1});
}
