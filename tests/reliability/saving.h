// The user's two saves, driven through the program's own buttons, for the processes and tests of this suite.
#pragma once

#include "forms/plan/ttevu_plan.h"
#include "support.h"
#include "support/windows.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace reliability {

// Types an entry into the diary and presses OK; true when it was saved without a message and the box lists again.
inline bool saveEntry(Windows& w, const Entry& entry)
{
    Windows::click(w.button(QStringLiteral("Image13")));
    w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->setPlainText(entry.text);
    w.find<QLineEdit>(QStringLiteral("Edit1"))->setText(entry.weightText);
    const qsizetype before = w.reporter.messages.size();
    Windows::click(w.button(QStringLiteral("Image15")));
    return w.reporter.messages.size() == before && w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->isReadOnly();
}

// Puts the seven texts into the plan's boxes and presses its save button; true when no message came.
inline bool savePlan(Windows& w, const QStringList& texts)
{
    for (int day = 0; day < 7; ++day)
        w.plan->dayBox(day)->setPlainText(texts[day]);
    const qsizetype before = w.reporter.messages.size();
    // The button, not the handler: its click runs the handler inside the guard that reports errors.
    w.plan->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    return w.reporter.messages.size() == before;
}

} // namespace reliability
