// The food log: adding an item from the calorie view against a bare INSERT, and opening the day window with a year
// of logs against the bare query of that day's rows and the window showing them from memory.
#pragma once

#include <QString>

namespace bench {

// "add": from the Enter in the amount box to the posted row; "floor": a bare INSERT of the same row into a copy of
// the file through a connection of the program's durability. Milliseconds, in turns.
int runFoodLogAdd(const QString& folder, const QString& floorFolder, int repetitions);
// Fills the file with a year of logs, 20 items a day, and a weighing a day; then "open": showing 今天吃了什么 until
// painted, and "floor": reading today's rows with a bare statement and the window filled from memory and painted.
int runFoodLogDay(const QString& folder, int repetitions);

} // namespace bench
