// Checked backups of the data file, their rotation in backups/, and restore.
#pragma once

#include "datafile/datafile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace datafile {

// backups/ beside the data file.
QString backupFolder(const QString& dataPath);
// data-YYYYMMDD-HHMMSS.Mdb
QString automaticBackupName(const QDateTime& when);
// The automatic backups in `folder`, oldest first: only files named as automaticBackupName names them.
QStringList automaticBackups(const QString& folder);
// How many automatic backups are kept.
inline constexpr int keptBackups = 10;

// Copies `source` through SQLite's online backup (consistent while another program writes to it), checks the copy
// (integrity, the seven tables, the same row counts), syncs it and moves it into place at `target` in one step,
// readable by the owner only. An existing target is replaced. Returns the copy's summary; on failure nothing is left
// behind.
Summary writeBackup(const QString& source, const QString& target);

enum class AutomaticOutcome { Written, AlreadyToday, ReadOnly };
struct AutomaticResult {
    AutomaticOutcome outcome;
    QString path; // the backup written
};
// A checked backup into backups/ beside the data file, at most once a calendar day unless `evenIfDoneToday`, then only
// the newest ten automatic backups kept. Nothing at all when the data file cannot be written. Throws DataError naming
// the folder and the reason.
AutomaticResult automaticBackup(const QString& dataPath, const QDateTime& now, bool evenIfDoneToday = false);

struct RestoreResult {
    Summary restored;
    QString firstTime; // the oldest and newest diary times as stored; empty without entries
    QString lastTime;
    QString safetyCopy; // where the file as it was before the restore went
};
// Checks `backupPath` as a backup is checked (refused with the reason, nothing changed), backs up the data file as it
// is, then copies the backup into it through the online backup, so that a running program never reads half of it.
RestoreResult restore(const QString& dataPath, const QString& backupPath, const QDateTime& now);

} // namespace datafile
