// The data file's commands against the sqlite3 program, and the automatic backup's hold on the GUI thread.
#pragma once

#include <QString>

namespace bench {

// Export, import and checked backup of <folder>/data.Mdb through the program `tevu`, each against the sqlite3 program
// doing the same: "export"/"export-floor", "import"/"import-floor", "backup"/"backup-floor", in milliseconds.
int runDataFile(const QString& folder, const QString& tevu, int repetitions);
// The automatic backup of <folder>/data.Mdb after a window's first paint: "gui-stall", the longest the GUI thread
// went without serving a 1 ms timer while it ran, and "auto-backup", the whole backup.
int runAutomaticBackup(const QString& folder, int repetitions);

} // namespace bench
