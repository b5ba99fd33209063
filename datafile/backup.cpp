// Checked backups, rotation and restore.
#include "datafile/backup.h"

#include "data/errors.h"
#include "data/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace datafile {

namespace {

// data-yyyyMMdd-HHmmss.Mdb, ASCII digits; checked by hand, since the check runs in every start-up's automatic
// backup and a regular expression would load its engine for it.
bool isAutomaticBackupName(QStringView name)
{
    static constexpr QStringView prefix = u"data-";
    static constexpr QStringView suffix = u".Mdb";
    constexpr qsizetype length = 5 + 8 + 1 + 6 + 4;
    if (name.size() != length || !name.startsWith(prefix) || !name.endsWith(suffix) || name[13] != u'-')
        return false;
    for (qsizetype at = 5; at < 20; ++at)
        if (at != 13 && (name[at] < u'0' || name[at] > u'9'))
            return false;
    return true;
}

// The whole of `from` into `to`, in one step so that the copy is one snapshot of the source.
void copyPages(sqlite3* from, sqlite3* to, const QString& toPath)
{
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        sqlite::fail(to, sqlite3_errcode(to), toPath);
    int rc = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE)
        rc = finished;
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        sqlite::fail(to, rc, toPath);
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool makeFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(QFileInfo(folder).absolutePath()))
        return false;
    return ::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || QFileInfo(folder).isDir();
}

} // namespace

QString backupFolder(const QString& dataPath)
{
    return QFileInfo(dataPath).absoluteDir().filePath(QStringLiteral("backups"));
}

QString automaticBackupName(const QDateTime& when)
{
    return QStringLiteral("data-%1.Mdb").arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

QStringList automaticBackups(const QString& folder)
{
    QStringList names;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (isAutomaticBackupName(name))
            names << dir.filePath(name);
    return names;
}

Summary writeBackup(const QString& source, const QString& target)
{
    const QFileInfo targetInfo(target);
    if (targetInfo.isDir())
        throw DataError(QStringLiteral("“%1”是一个文件夹，不能写成备份文件").arg(target));
    const QString folder = targetInfo.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw DataError(QStringLiteral("文件夹“%1”不存在").arg(folder));

    const sqlite::Database from = open(source, false);
    // One read transaction for the counts and the copy: both see the same moment of the file.
    sqlite::exec(from.get(), QStringLiteral("BEGIN"), source);
    const QList<TableCount> counts = countRows(from.get(), source);

    // Created owner-only before anything is written into it; removed unless it is moved into place.
    QTemporaryFile partial(QDir(folder).filePath(u'.' + targetInfo.fileName() + QStringLiteral(".XXXXXX")));
    if (!partial.open())
        throw DataError(QStringLiteral("无法在文件夹“%1”中创建文件：%2").arg(folder, partial.errorString()));
    const QString partialPath = partial.fileName();
    {
        sqlite::Database to = open(partialPath, true);
        // The copy is synced as a whole below; a journal would only double the writing.
        sqlite::exec(to.get(), QStringLiteral("PRAGMA journal_mode=OFF"), partialPath);
        sqlite::exec(to.get(), QStringLiteral("PRAGMA synchronous=OFF"), partialPath);
        copyPages(from.get(), to.get(), target);
        sqlite::exec(from.get(), QStringLiteral("COMMIT"), source);
        Summary copied;
        try {
            copied = inspect(to.get(), partialPath);
        } catch (const DataError& e) {
            throw DataError(QStringLiteral("备份“%1”没有通过检查：%2").arg(target, e.message()));
        }
        for (const TableCount& count : counts)
            if (copied.rows(count.table) != count.rows)
                throw DataError(QStringLiteral("备份“%1”的表“%2”有 %3 行，原文件有 %4 行")
                                    .arg(target, count.table)
                                    .arg(copied.rows(count.table))
                                    .arg(count.rows));
        to.reset();
        if (::fsync(partial.handle()) != 0)
            throw DataError(QStringLiteral("无法把备份“%1”写入磁盘").arg(target));
        if (::rename(QFile::encodeName(partialPath).constData(), QFile::encodeName(target).constData()) != 0)
            throw DataError(
                QStringLiteral("无法把备份写成“%1”：%2").arg(target, QString::fromLocal8Bit(strerror(errno))));
        partial.setAutoRemove(false);
        syncFolder(folder);
        return copied;
    }
}

AutomaticResult automaticBackup(const QString& dataPath, const QDateTime& now, bool evenIfDoneToday)
{
    if (::access(QFile::encodeName(dataPath).constData(), W_OK) != 0)
        return {AutomaticOutcome::ReadOnly, {}};
    const QString folder = backupFolder(dataPath);
    try {
        QStringList existing = automaticBackups(folder);
        const QString today = QStringLiteral("data-%1-").arg(now.toString(QStringLiteral("yyyyMMdd")));
        if (!evenIfDoneToday && !existing.isEmpty() && QFileInfo(existing.last()).fileName().startsWith(today))
            return {AutomaticOutcome::AlreadyToday, {}};
        // A file that is plainly no Tevu data file is reported before anything is made beside it.
        checkShape(open(dataPath, false).get(), dataPath);
        if (!makeFolder(folder))
            throw DataError(QStringLiteral("无法创建文件夹：%1").arg(QString::fromLocal8Bit(strerror(errno))));
        QDateTime when = now;
        QString target = QDir(folder).filePath(automaticBackupName(when));
        // Two backups within one second (a restore right after another) keep both.
        while (QFileInfo::exists(target)) {
            when = when.addSecs(1);
            target = QDir(folder).filePath(automaticBackupName(when));
        }
        writeBackup(dataPath, target);
        existing = automaticBackups(folder);
        for (qsizetype i = 0; i + keptBackups < existing.size(); ++i)
            QFile::remove(existing[i]);
        return {AutomaticOutcome::Written, target};
    } catch (const std::exception& e) {
        throw DataError(QStringLiteral("无法在文件夹“%1”中写入自动备份：%2").arg(folder, describeException(e)));
    }
}

RestoreResult restore(const QString& dataPath, const QString& backupPath, const QDateTime& now)
{
    if (QFileInfo::exists(dataPath) &&
        QFileInfo(dataPath).canonicalFilePath() == QFileInfo(backupPath).canonicalFilePath())
        throw DataError(QStringLiteral("“%1”就是数据文件本身，不能用它恢复").arg(backupPath));
    try {
        check(backupPath);
    } catch (const DataError& e) {
        throw DataError(QStringLiteral("“%1”不能用来恢复，数据文件没有改动：%2").arg(backupPath, e.message()));
    }

    RestoreResult result;
    if (!QFileInfo::exists(dataPath)) {
        // Nothing to keep and no program can have it open: a checked copy made in place.
        writeBackup(backupPath, dataPath);
    } else {
        if (::access(QFile::encodeName(dataPath).constData(), W_OK) != 0)
            throw DataError(QStringLiteral("数据库文件“%1”是只读的，无法恢复").arg(dataPath));
        bool sound = true;
        try {
            check(dataPath);
        } catch (const DataError& e) {
            // Only a file that is plainly not a sound Tevu file is replaced whole; a lock or a read error is reported.
            if (e.code() != SQLITE_CORRUPT && e.code() != SQLITE_NOTADB && e.code() != 0)
                throw;
            sound = false;
        }
        if (sound) {
            result.safetyCopy = automaticBackup(dataPath, now, true).path;
            const sqlite::Database from = open(backupPath, false);
            const sqlite::Database to = open(dataPath, true);
            sqlite::exec(to.get(), QStringLiteral("PRAGMA synchronous=EXTRA"), dataPath);
            copyPages(from.get(), to.get(), dataPath);
        } else {
            // A damaged file cannot take pages from the online backup, and no program can be using it: its bytes are
            // kept as they are (outside the rotation's name pattern, so never removed), then it is replaced whole.
            const QString folder = backupFolder(dataPath);
            if (!makeFolder(folder))
                throw DataError(QStringLiteral("无法创建文件夹“%1”").arg(folder));
            result.safetyCopy = QDir(folder).filePath(
                QStringLiteral("damaged-%1.Mdb").arg(now.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
            QFile::remove(result.safetyCopy);
            if (!QFile::copy(dataPath, result.safetyCopy))
                throw DataError(QStringLiteral("无法把原来的文件保存为“%1”，数据文件没有改动").arg(result.safetyCopy));
            QFile::setPermissions(result.safetyCopy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            writeBackup(backupPath, dataPath);
        }
    }
    const sqlite::Database restored = open(dataPath, false);
    result.restored = inspect(restored.get(), dataPath);
    sqlite::Statement range(restored.get(), QStringLiteral("SELECT min(time), max(time) FROM rj"), dataPath);
    if (range.step()) {
        result.firstTime = range.value(0).toString();
        result.lastTime = range.value(1).toString();
    }
    return result;
}

} // namespace datafile
