// The multi-line text box of every window: the toolkit's plain-text box, safe to paste into from an empty clipboard.
#pragma once

#include <QPlainTextEdit>

class TextBox : public QPlainTextEdit {
    Q_OBJECT

public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    // With nothing on the X clipboard, the toolkit's insert step reads the first format of data that has none.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
