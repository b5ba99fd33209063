// Checked backups of the data file, their rotation in backups/, and restore.
#pragma once

#include "datafile/datafile.h"
#include "datafile/partialfile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace datafile {

// backups/ beside the data file.
QString backupFolder(const QString& dataPath);
// data-YYYYMMDD-HHMMSS.Mdb
QString automaticBackupName(const QDateTime& when);
// The automatic backups in `folder`, oldest first: only files named as automaticBackupName names them.
QStringList automaticBackups(const QString& folder);
// How many automatic backups are kept.
inline constexpr int keptBackups = 10;

struct WrittenBackup {
    Summary copied;
    Durability durability = Durability::OnDisk;
};
// Copies `source` through SQLite's online backup (consistent while another program writes to it), checks the copy
// (integrity, the seven tables, the same row counts), syncs it and moves it into place at `target` in one step,
// readable by the owner only, in the rollback-journal mode whatever mode the source is in. An existing target is
// replaced. On failure nothing is left behind.
WrittenBackup writeBackup(const QString& source, const QString& target);

// Removes the oldest automatic backups in `folder` beyond the ten newest by the time in their names. Never removes a
// file in `keep`, and never one to make room for a file named after `now` (a clock that was wrong, or a copy from
// another machine): such files are neither counted nor removed.
void rotate(const QString& folder, const QDateTime& now, const QStringList& keep);

enum class AutomaticOutcome { Written, AlreadyToday, ReadOnly };
struct AutomaticResult {
    AutomaticOutcome outcome;
    QString path; // the backup written
};
// A checked backup into backups/ beside the data file, unless one was written there on the same calendar day (by the
// files' real times, not their names), then rotate(), which keeps the one just written. Nothing at all when the data
// file cannot be written. Throws DataError naming the folder and the reason.
AutomaticResult automaticBackup(const QString& dataPath, const QDateTime& now);

// The copy of the data file as it was before a restore or an upgrade changed it: `<why>-YYYYMMDD-HHMMSS.Mdb` in
// backups/, outside the rotation (never counted among the ten, never removed). Made from a connection of its own, so
// the caller may hold the file's write lock meanwhile.
QString safetyCopy(const QString& dataPath, const QString& why, const QDateTime& now);

struct RestoreResult {
    Summary restored;
    QString firstTime; // the oldest and newest diary times as stored; empty without entries
    QString lastTime;
    QString safetyCopy; // where the file as it was before the restore went
    Durability durability = Durability::OnDisk;
};
// Checks `backupPath` once as a backup is checked, and refuses one that holds triggers, views or tables Tevu does not
// know (refused with the reason, nothing changed). Then, holding the data file's write lock throughout, makes the
// safety copy and replaces the file's tables with the backup's in one transaction: every entry saved before the restore
// is in the safety copy, and a save during it waits (or is refused) until the restored file is in place. The data
// file keeps its own journal mode; a data file reached through a link is restored where the link points. A damaged
// data file is kept aside as damaged-YYYYMMDD-HHMMSS.Mdb and replaced whole.
RestoreResult restore(const QString& dataPath, const QString& backupPath, const QDateTime& now);

// Commits `transaction`. When the commit reports an error, the file is read anew: if `made` finds the change in it,
// the change was made and only its last sync failed (MaybeNotOnDisk); otherwise the error is thrown and nothing
// changed.
Durability commitChecked(sqlite::Transaction& transaction, const sqlite::Database& db,
                         const std::function<bool(sqlite3*)>& made);

} // namespace datafile
