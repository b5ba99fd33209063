// The multi-line text box of every window.
#include "forms/textbox.h"

#include "forms/guard.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QTextEdit>
#include <algorithm>

namespace {

bool holdsSomething(const QMimeData* source)
{
    return source && !source->formats().isEmpty();
}

// The first `count` units of text, never ending inside a surrogate pair.
QString leading(const QString& text, qsizetype count)
{
    if (count > 0 && count < text.size() && text.at(count - 1).isHighSurrogate())
        --count;
    return text.left(std::max<qsizetype>(0, count));
}

class AltKeysOutOfText : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* target, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // Alt alone: Ctrl+Alt is AltGr on some systems, and it does type characters.
        const Qt::KeyboardModifiers chords = Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier;
        if ((key->modifiers() & chords) != Qt::AltModifier || key->text().isEmpty() || !key->text().front().isPrint())
            return false;
        return qobject_cast<QLineEdit*>(target) || qobject_cast<QPlainTextEdit*>(target) ||
               qobject_cast<QTextEdit*>(target) || qobject_cast<QAbstractSpinBox*>(target);
    }
};

} // namespace

void textbox::keepAltKeysOutOfText()
{
    static const bool installed = [] {
        QCoreApplication::instance()->installEventFilter(new AltKeysOutOfText(QCoreApplication::instance()));
        return true;
    }();
    Q_UNUSED(installed);
}

QString TextBox::cutMessage()
{
    return QStringLiteral("内容太长，只保留了前 %1 个字")
        .arg(QLocale(QLocale::Chinese, QLocale::China).toString(typedLimit));
}

qsizetype TextBox::room() const
{
    // The document counts a closing paragraph separator of its own.
    const qsizetype length = document()->characterCount() - 1;
    const QTextCursor cursor = textCursor();
    return typedLimit - (length - (cursor.selectionEnd() - cursor.selectionStart()));
}

bool TextBox::canInsertFromMimeData(const QMimeData* source) const
{
    return holdsSomething(source) && QPlainTextEdit::canInsertFromMimeData(source);
}

void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (!holdsSomething(source))
        return;
    // A text of millions of characters would be laid out line by line on every later key: the window froze.
    const QString text = source->text();
    if (text.size() <= room()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    insertPlainText(leading(text, room()));
    ensureCursorVisible();
    reportError(cutMessage());
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool inserts = !text.isEmpty() && (text.at(0).isPrint() || event->key() == Qt::Key_Return ||
                                             event->key() == Qt::Key_Enter || event->key() == Qt::Key_Tab);
    if (inserts && !isReadOnly() && room() < text.size() && !(event->modifiers() & Qt::ControlModifier)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (isReadOnly() || event->commitString().size() <= room()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(leading(event->commitString(), room()), event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&cut);
}
