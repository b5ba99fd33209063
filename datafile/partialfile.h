// Files that Tevu writes whole or not at all: a hidden partial copy beside the target, synced, then moved into place.
#pragma once

#include <QDateTime>
#include <QString>

namespace datafile {

// Whether a change that was made has also reached the disk.
enum class Durability {
    OnDisk,
    // The change was made and is in place, but its last sync failed: a power cut now could still undo it.
    MaybeNotOnDisk,
};

// The hidden partial copy of `target`: ".<name>.XXXXXX" in the target's folder, created owner-only and new (never an
// existing file or a link). Removed when it goes out of scope unless commit() moved it into place.
class PartialFile {
public:
    explicit PartialFile(const QString& target);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    const QString& path() const { return m_path; }
    int handle() const { return m_fd; }
    // Writes all of `bytes`; throws DataError naming the target and the reason.
    void write(const char* data, qint64 size);
    // Syncs the copy and moves it over the target in one step, then syncs the folder. Throws DataError, leaving the
    // target as it was, when the copy cannot be synced or moved; only a failed sync of the folder is reported as
    // MaybeNotOnDisk, since the target is replaced by then.
    Durability commit();

private:
    QString m_target;
    QString m_path;
    int m_fd = -1;
};

// Refuses what must never be written over: the data file itself or its journal (by any spelling or link), a folder,
// a symbolic link (written to, it would change a file elsewhere). Throws DataError with the reason.
void checkTarget(const QString& target, const QString& dataPath);

// Removes the partial copies that an interrupted backup, restore, export or upgrade left in `folder`: hidden files of
// the program's own naming (".<name>.Mdb.XXXXXX", ".<name>.csv.XXXXXX") and SQLite's super-journals of the data file
// ("data.Mdb-mjXXXXXXXX"), each only when older than `before` (the start of the running process), so that another
// program's copy in progress is left alone. Returns how many were removed.
int removeStalePartials(const QString& folder, const QDateTime& before);

// The system's fsync; replaced by the reliability tests to make a sync fail.
using SyncFunction = int (*)(int fd);
void setSyncFunction(SyncFunction sync);

} // namespace datafile
