// Checked backups, rotation and restore.
#include "datafile/backup.h"

#include "data/errors.h"
#include "data/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace datafile {

namespace {

const QString namePattern = QStringLiteral("yyyyMMdd-HHmmss");

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

bool makeFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(QFileInfo(folder).absolutePath()))
        return false;
    return ::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || QFileInfo(folder).isDir();
}

void ensureFolder(const QString& folder)
{
    if (!makeFolder(folder))
        throw DataError(QStringLiteral("无法创建文件夹“%1”（%2）")
                            .arg(folder, errno == EACCES || errno == EPERM ? QStringLiteral("没有权限")
                                         : errno == ENOSPC                 ? QStringLiteral("磁盘已满")
                                         : errno == EROFS                  ? QStringLiteral("文件系统是只读的")
                                                          : QStringLiteral("系统错误 %1").arg(errno)));
}

// `prefix-yyyyMMdd-HHmmss.Mdb` in `folder` that does not exist yet: two within one second keep both.
QString freeName(const QString& folder, const QString& prefix, const QDateTime& now)
{
    QDateTime when = now;
    QString target;
    do {
        target = QDir(folder).filePath(QStringLiteral("%1-%2.Mdb").arg(prefix, when.toString(namePattern)));
        when = when.addSecs(1);
    } while (QFileInfo::exists(target) || QFileInfo(target).isSymLink());
    return target;
}

QString quotedName(const QString& name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The columns of a table as the file declares them, each with its declared type; none when there is no such table.
QList<std::pair<QString, QString>> columnsOf(sqlite3* db, const QString& table, const QString& path)
{
    sqlite::Statement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(table)), path);
    QList<std::pair<QString, QString>> columns;
    while (info.step())
        columns.push_back({info.value(1).toString(), info.value(2).toString()});
    return columns;
}

// A declared type that is a plain type name (TEXT, REAL, DATETIME, VARCHAR(20)); anything else becomes TEXT.
QString plainType(const QString& declared)
{
    for (const QChar c : declared)
        if (!c.isLetterOrNumber() && c != u' ' && c != u'(' && c != u')' && c != u',')
            return QStringLiteral("TEXT");
    return declared.isEmpty() ? QStringLiteral("TEXT") : declared;
}

// Replaces the rows of the program's known tables in `db` with those of `source`, each under its key. The data file
// keeps its own definitions of those tables and its indexes: a source's indexes, constraints, defaults and columns
// the data file does not have are not taken. A known table only the source has is made with the source's columns and
// plain types; one only the data file has is dropped, as the backup had none.
void replaceRows(sqlite3* db, const QString& dataPath, sqlite3* source, const QString& sourcePath)
{
    QStringList known;
    for (const TableShape& shape : tables())
        known << shape.table;
    known << optionalTables();
    for (const QString& table : known) {
        const auto given = columnsOf(source, table, sourcePath);
        auto have = columnsOf(db, table, dataPath);
        if (given.isEmpty()) {
            if (!have.isEmpty())
                sqlite::exec(db, QStringLiteral("DROP TABLE main.%1").arg(quotedName(table)), dataPath);
            continue;
        }
        if (have.isEmpty()) {
            QStringList definitions;
            for (const auto& [name, type] : given)
                definitions << quotedName(name) + u' ' + plainType(type);
            sqlite::exec(db,
                         QStringLiteral("CREATE TABLE main.%1 (%2)")
                             .arg(quotedName(table), definitions.join(QStringLiteral(", "))),
                         dataPath);
            have = given;
        } else {
            sqlite::exec(db, QStringLiteral("DELETE FROM main.%1").arg(quotedName(table)), dataPath);
        }
        QStringList columns{QStringLiteral("rowid")};
        for (const auto& column : given)
            for (const auto& own : have)
                if (QString::compare(column.first, own.first, Qt::CaseInsensitive) == 0)
                    columns << quotedName(own.first);
        const QString list = columns.join(u',');
        sqlite::Statement read(source, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(list, quotedName(table)),
                               sourcePath);
        sqlite::Statement write(
            db,
            QStringLiteral("INSERT INTO main.%1(%2) VALUES (%3)")
                .arg(quotedName(table), list, QStringList(columns.size(), QStringLiteral("?")).join(u',')),
            dataPath);
        // Every value exactly as the backup holds it, its type too.
        while (read.step()) {
            for (int c = 0; c < columns.size(); ++c)
                sqlite3_bind_value(write.handle(), c + 1, sqlite3_column_value(read.handle(), c));
            write.step();
            write.reset();
        }
    }
}

struct DiaryRange {
    QString first;
    QString last;
};

DiaryRange diaryRange(sqlite3* db, const QString& path)
{
    sqlite::Statement range(db, QStringLiteral("SELECT min(time), max(time) FROM rj"), path);
    if (!range.step())
        return {};
    return {range.value(0).toString(), range.value(1).toString()};
}

} // namespace

QString backupFolder(const QString& dataPath)
{
    return QFileInfo(dataPath).absoluteDir().filePath(QStringLiteral("backups"));
}

QString automaticBackupName(const QDateTime& when)
{
    return QStringLiteral("data-%1.Mdb").arg(when.toString(namePattern));
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

WrittenBackup writeBackup(const QString& source, const QString& target)
{
    const QFileInfo targetInfo(target);
    if (targetInfo.isDir())
        throw DataError(QStringLiteral("“%1”是一个文件夹，不能写成备份文件").arg(target));
    const QString folder = targetInfo.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw DataError(QStringLiteral("文件夹“%1”不存在").arg(folder));

    const sqlite::Database from = sqlite::openDataFile(source, sqlite::Access::Read);
    // One read transaction for the counts and the copy: both see the same moment of the file.
    sqlite::exec(from.get(), QStringLiteral("BEGIN"), source);
    const QList<TableCount> counts = countRows(from.get(), source);

    // Created owner-only before anything is written into it; removed unless it is moved into place.
    PartialFile partial(target);
    WrittenBackup written;
    {
        sqlite::Database to = sqlite::open(partial.path(), sqlite::OpenMode::ReadWrite);
        sqlite3_extended_result_codes(to.get(), 1);
        // The copy is synced as a whole below; a journal would only double the writing.
        sqlite::exec(to.get(), QStringLiteral("PRAGMA journal_mode=OFF"), partial.path());
        sqlite::exec(to.get(), QStringLiteral("PRAGMA synchronous=OFF"), partial.path());
        copyPages(from.get(), to.get(), target);
        sqlite::exec(from.get(), QStringLiteral("COMMIT"), source);
        // A source in write-ahead mode gives its mode to the copy; the program's files keep a rollback journal.
        sqlite::exec(to.get(), QStringLiteral("PRAGMA journal_mode=DELETE"), partial.path());
        try {
            written.copied = inspect(to.get(), partial.path());
        } catch (const DataError& e) {
            throw DataError(QStringLiteral("备份“%1”没有通过检查：%2").arg(target, e.message()));
        }
        for (const TableCount& count : counts)
            if (written.copied.rows(count.table) != count.rows)
                throw DataError(QStringLiteral("备份“%1”的表“%2”有 %3 行，原文件有 %4 行")
                                    .arg(target, count.table)
                                    .arg(written.copied.rows(count.table))
                                    .arg(count.rows));
    }
    written.durability = partial.commit();
    return written;
}

void rotate(const QString& folder, const QDateTime& now, const QStringList& keep)
{
    const QString newestAllowed = automaticBackupName(now);
    QStringList counted;
    for (const QString& path : automaticBackups(folder))
        if (QFileInfo(path).fileName() <= newestAllowed || keep.contains(path))
            counted << path;
    for (qsizetype i = 0; i + keptBackups < counted.size(); ++i)
        if (!keep.contains(counted[i]))
            QFile::remove(counted[i]);
}

AutomaticResult automaticBackup(const QString& dataPath, const QDateTime& now)
{
    if (::access(QFile::encodeName(dataPath).constData(), W_OK) != 0)
        return {AutomaticOutcome::ReadOnly, {}};
    const QString folder = backupFolder(dataPath);
    try {
        for (const QString& existing : automaticBackups(folder))
            if (QFileInfo(existing).lastModified().date() == now.date())
                return {AutomaticOutcome::AlreadyToday, {}};
        // A file that is plainly no Tevu data file is reported before anything is made beside it.
        checkShape(sqlite::openDataFile(dataPath, sqlite::Access::Read).get(), dataPath);
        ensureFolder(folder);
        const QString target = freeName(folder, QStringLiteral("data"), now);
        writeBackup(dataPath, target);
        rotate(folder, now, {target});
        return {AutomaticOutcome::Written, target};
    } catch (const std::exception& e) {
        throw DataError(QStringLiteral("无法在文件夹“%1”中写入自动备份：%2").arg(folder, describeException(e)));
    }
}

QString safetyCopy(const QString& dataPath, const QString& why, const QDateTime& now)
{
    const QString folder = backupFolder(dataPath);
    try {
        ensureFolder(folder);
        const QString target = freeName(folder, why, now);
        writeBackup(dataPath, target);
        return target;
    } catch (const std::exception& e) {
        throw DataError(QStringLiteral("无法在文件夹“%1”中保存数据文件原来的样子，数据文件没有改动：%2")
                            .arg(folder, describeException(e)));
    }
}

Durability commitChecked(sqlite::Transaction& transaction, const sqlite::Database& db,
                         const std::function<bool(sqlite3*)>& made)
{
    try {
        transaction.commit();
        return Durability::OnDisk;
    } catch (const DataError&) {
        // Still inside the transaction: the commit did not get through and the guard rolls it back.
        if (!sqlite3_get_autocommit(db.get()))
            throw;
        bool there = false;
        try {
            const sqlite::Database fresh = sqlite::openDataFile(db.path(), sqlite::Access::Read);
            there = made(fresh.get());
        } catch (const DataError&) {
        }
        if (!there)
            throw;
        return Durability::MaybeNotOnDisk;
    }
}

RestoreResult restore(const QString& givenDataPath, const QString& backupPath, const QDateTime& now)
{
    const QString dataPath = realPath(givenDataPath);
    if (sameFile(dataPath, backupPath))
        throw DataError(QStringLiteral("“%1”就是数据文件本身，不能用它恢复").arg(backupPath));
    Summary source;
    sqlite::Database from;
    try {
        from = sqlite::openDataFile(backupPath, sqlite::Access::Read);
        // One read transaction: what is checked is what is copied, whatever another program does to the backup.
        sqlite::exec(from.get(), QStringLiteral("BEGIN"), backupPath);
        source = inspect(from.get(), backupPath);
        checkNothingForeign(from.get(), backupPath);
    } catch (const DataError& e) {
        throw DataError(QStringLiteral("“%1”不能用来恢复，数据文件没有改动：%2").arg(backupPath, e.message()));
    }

    RestoreResult result;
    if (!QFileInfo::exists(dataPath)) {
        // Nothing to keep and no program can have it open: a checked copy made in place.
        result.durability = writeBackup(backupPath, dataPath).durability;
    } else {
        if (::access(QFile::encodeName(dataPath).constData(), W_OK) != 0)
            throw DataError(QStringLiteral("数据库文件“%1”是只读的，无法恢复").arg(dataPath));
        sqlite::Database to;
        try {
            to = sqlite::openDataFile(dataPath, sqlite::Access::Write);
            checkShape(to.get(), dataPath);
        } catch (const DataError& e) {
            // Only a file that is plainly not a sound Tevu file is replaced whole; a lock or a read error is reported.
            if (e.code() != SQLITE_CORRUPT && e.code() != SQLITE_NOTADB && e.code() != 0)
                throw;
            to.reset();
        }
        if (to) {
            // From here until the commit no other program writes to the file: the safety copy holds every entry saved
            // before, and every save after waits for the restored file. The backup is read through its own
            // connection, not attached, so the commit is one file's: attached to the transaction, the backup made it
            // a commit of two files, whose last step could fail after the change was made.
            sqlite::Transaction transaction(to);
            result.safetyCopy = safetyCopy(dataPath, QStringLiteral("before-restore"), now);
            replaceRows(to.get(), dataPath, from.get(), backupPath);
            sqlite::exec(to.get(), QStringLiteral("PRAGMA main.user_version = %1").arg(source.contentVersion),
                         dataPath);
            result.durability = commitChecked(transaction, to, [&](sqlite3* fresh) {
                return countRows(fresh, dataPath) == source.counts &&
                       contentVersion(fresh, dataPath) == source.contentVersion;
            });
        } else {
            // A damaged file cannot be written through the engine, and no program can be using it: its bytes (and its
            // journal) are kept as they are, outside the rotation's name pattern, so never removed; then it is
            // replaced whole.
            const QString folder = backupFolder(dataPath);
            ensureFolder(folder);
            result.safetyCopy = freeName(folder, QStringLiteral("damaged"), now);
            if (!QFile::copy(dataPath, result.safetyCopy))
                throw DataError(QStringLiteral("无法把原来的文件保存为“%1”，数据文件没有改动").arg(result.safetyCopy));
            QFile::setPermissions(result.safetyCopy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            const QString journal = dataPath + QStringLiteral("-journal");
            if (QFileInfo::exists(journal) &&
                ::rename(QFile::encodeName(journal).constData(),
                         QFile::encodeName(result.safetyCopy + QStringLiteral("-journal")).constData()) != 0)
                throw DataError(QStringLiteral("无法移开原来的日志文件“%1”，数据文件没有改动").arg(journal));
            result.durability = writeBackup(backupPath, dataPath).durability;
        }
    }
    from.reset();
    // The restore is made: a failure to read the result back is no failure of the restore, only a doubt whether the
    // disk keeps it.
    try {
        const sqlite::Database restored = sqlite::openDataFile(dataPath, sqlite::Access::Read);
        result.restored = inspect(restored.get(), dataPath);
        const DiaryRange range = diaryRange(restored.get(), dataPath);
        result.firstTime = range.first;
        result.lastTime = range.last;
    } catch (const DataError&) {
        result.restored = source;
        result.durability = Durability::MaybeNotOnDisk;
    }
    return result;
}

} // namespace datafile
