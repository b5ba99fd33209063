// The multi-line text box of every window.
#include "forms/textbox.h"

#include <QMimeData>

namespace {

bool holdsSomething(const QMimeData* source)
{
    return source && !source->formats().isEmpty();
}

} // namespace

bool TextBox::canInsertFromMimeData(const QMimeData* source) const
{
    return holdsSomething(source) && QPlainTextEdit::canInsertFromMimeData(source);
}

void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (holdsSomething(source))
        QPlainTextEdit::insertFromMimeData(source);
}
