// Putting diary entries right in a long diary, and a diary holding one very long entry.
#pragma once

#include <QString>

namespace bench {

// On the diary in `folder`: "show", entering the diary view (its own showing of the whole diary); "edit", saving a
// changed text of the newest entry to the refreshed listing; "delete" and "undo", taking the newest entry out and
// putting it back (redo and undo of one delete), each to the refreshed listing. Milliseconds, in turns.
int runDiaryEdits(const QString& folder, int repetitions);
// Adds one entry of `kilobytes` of text to the diary in `folder`; then "view", entering the diary view, and "floor",
// a bare QPlainTextEdit of the same size and font given the same listing; in turns.
int runLongEntry(const QString& folder, int kilobytes, int repetitions);

} // namespace bench
