// The multi-line text box of every window: the toolkit's plain-text box, safe to paste into from an empty clipboard,
// and holding no more typed text than the windows handle without delay.
#pragma once

#include <QPlainTextEdit>

namespace textbox {
// Alt with a key that no shortcut took types nothing into any text box of the program (the toolkit inserts the key's
// text, so Alt+7 meant for a window would put a 7 into the first day of the plan). Installed once, for the whole
// application, by the first window made.
void keepAltKeysOutOfText();
} // namespace textbox

class TextBox : public QPlainTextEdit {
    Q_OBJECT

public:
    using QPlainTextEdit::QPlainTextEdit;

    // Typing and pasting stop at this many characters (UTF-16 units); a text set by the program is kept whole.
    static constexpr int typedLimit = 20000;
    // Said when a paste is cut to the limit.
    static QString cutMessage();

protected:
    // With nothing on the X clipboard, the toolkit's insert step reads the first format of data that has none.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // How many more characters the box takes in place of the selection.
    qsizetype room() const;
};
