// The measured scenarios, each run in a process of its own; they print "sample <series> <value>" lines.
#pragma once

#include <QString>

namespace bench {

// Entering the diary view on <folder>/data.Mdb: "view", the bare read "floor" and a bare QPlainTextEdit given the
// same listing in one call, "plain"; in milliseconds, one of each per round.
int runDiary(const QString& folder, int repetitions);
// The main window's first show, which builds the food tree: "tree" and "floor".
int runFoodTree(const QString& folder, int repetitions);
// Typing into the calorie view's search box, one keystroke at a time, the tree's update included: "search"; and a bare
// loop that checks the same query against the same names with QString::contains, "floor". Milliseconds per keystroke.
int runFoodSearch(const QString& folder, int repetitions);
// The curve window with the trend and the goal line shown, from its button to its first paint: "curve" and "floor".
int runCurve(const QString& folder, int repetitions);
// New entry, text, weight, OK: "save" (the OK) and "floor" (a bare insert into <floorFolder>/data.Mdb).
int runSave(const QString& folder, const QString& floorFolder, int repetitions);
// Every action on the longest text a plan day and a diary entry take (a paste of 2,097,152 characters cut to it,
// keys, save, close): "longest", the slowest of them in milliseconds, one per round.
int runLongText(const QString& folder, int repetitions);
// Peak memory after listing the diary: "peak-kib".
int runDiaryMemory(const QString& folder);

} // namespace bench
