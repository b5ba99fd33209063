// The accessible interface of a pressable picture: the push-button role, its name, its shortcut and its press action.
#include "forms/accessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace {

// True while a modal window other than the picture's own blocks the picture's window: the toolkit keeps the mouse and
// the keys from it then, and assistive technology must not reach past the modal window either.
bool blockedByModal(const QWidget* picture)
{
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != picture->window() && !modal->isAncestorOf(picture);
}

class PictureAccessible : public QAccessibleWidget {
public:
    PictureAccessible(QWidget* widget, PressablePicture* picture)
        : QAccessibleWidget(widget, QAccessible::Button), m_picture(picture)
    {}

    QStringList actionNames() const override
    {
        if (blockedByModal(widget()))
            return QAccessibleWidget::actionNames();
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override
    {
        if (name != pressAction()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        if (blockedByModal(widget()))
            return;
        // Later, as the toolkit's own buttons do: an action that shows a modal window would otherwise hold the
        // assistive technology's call, and with it the screen reader, until that window closes.
        QMetaObject::invokeMethod(
            widget(),
            [picture = m_picture, target = widget()] {
                if (!blockedByModal(target))
                    picture->click();
            },
            Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString& name) const override
    {
        return name == pressAction() ? shortcuts() : QAccessibleWidget::keyBindingsForAction(name);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Accelerator)
            return QAccessibleWidget::text(t);
        const QStringList keys = shortcuts();
        return keys.isEmpty() ? QString() : keys.first();
    }

private:
    // A picture's shortcuts are its own children (see the main window's keyboard), the first one as designed.
    QStringList shortcuts() const
    {
        QStringList texts;
        for (const QShortcut* shortcut : widget()->findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
            for (const QKeySequence& keys : shortcut->keys())
                texts << keys.toString(QKeySequence::NativeText);
        return texts;
    }

    PressablePicture* const m_picture;
};

QAccessibleInterface* pictureFactory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    auto* picture = dynamic_cast<PressablePicture*>(object);
    return widget && picture ? new PictureAccessible(widget, picture) : nullptr;
}

// A list box (a combo box that takes no typing) heard by what it is for: its accessible name, or the text of the label
// whose buddy it is. Over AT-SPI the toolkit's own interface names it by its current entry (女, 克), so that neither a
// screen reader nor a test could find it by its field; the current entry is its value.
class ListBoxAccessible : public QAccessibleWidget {
public:
    explicit ListBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }

    // The list that drops down, as the toolkit's own interface has it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == box()->view() ? 0 : -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view()->isVisible();
        s.collapsed = !s.expanded;
        return s;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == showMenuAction() || name == pressAction())
            box()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* listBoxFactory(const QString& className, QObject* object)
{
    auto* box = qobject_cast<QComboBox*>(object);
    return className == QLatin1String("QComboBox") && box && !box->isEditable() ? new ListBoxAccessible(box) : nullptr;
}

} // namespace

void accessible::nameListBoxesByTheirField()
{
    static const bool installed = [] {
        QAccessible::installFactory(listBoxFactory);
        return true;
    }();
    (void)installed;
}

PressablePicture::PressablePicture()
{
    static const bool installed = [] {
        QAccessible::installFactory(pictureFactory);
        return true;
    }();
    (void)installed;
}
