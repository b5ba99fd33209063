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

QStringList tablesOf(sqlite3* db, const QString& schema, const QString& path)
{
    sqlite::Statement names(
        db, QStringLiteral("SELECT name FROM \"%1\".sqlite_master WHERE type = 'table' ORDER BY rowid").arg(schema),
        path);
    QStringList out;
    while (names.step())
        out << names.value(0).toString();
    return out;
}

QString quotedName(const QString& name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Replaces the known tables of `main` with those of the attached `restored`, their rows with their keys, their
// indexes too. Tables only the data file has and the program does not know are left as they are.
void replaceTables(sqlite3* db, const QString& dataPath, const QString& sourcePath)
{
    QStringList known;
    for (const TableShape& shape : tables())
        known << shape.table;
    known << optionalTables();
    const QStringList present = tablesOf(db, QStringLiteral("main"), dataPath);
    for (const QString& table : known)
        if (present.contains(table))
            sqlite::exec(db, QStringLiteral("DROP TABLE main.%1").arg(quotedName(table)), dataPath);
    QStringList created;
    {
        sqlite::Statement schema(db,
                                 QStringLiteral("SELECT type, name, tbl_name, sql FROM restored.sqlite_master "
                                                "WHERE sql IS NOT NULL ORDER BY type = 'index', rowid"),
                                 sourcePath);
        QList<QStringList> objects;
        while (schema.step())
            objects.push_back({schema.value(0).toString(), schema.value(1).toString(), schema.value(2).toString(),
                               schema.value(3).toString()});
        for (const QStringList& object : objects)
            if (known.contains(object[2])) {
                sqlite::exec(db, object[3], dataPath);
                if (object[0] == u"table")
                    created << object[1];
            }
    }
    for (const QString& table : created) {
        QStringList columns{QStringLiteral("rowid")};
        {
            sqlite::Statement info(db, QStringLiteral("PRAGMA restored.table_info(%1)").arg(quotedName(table)),
                                   sourcePath);
            while (info.step())
                columns << quotedName(info.value(1).toString());
        }
        sqlite::exec(db,
                     QStringLiteral("INSERT INTO main.%1(%2) SELECT %2 FROM restored.%1 ORDER BY rowid")
                         .arg(quotedName(table), columns.join(u',')),
                     dataPath);
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
    try {
        const sqlite::Database from = sqlite::openDataFile(backupPath, sqlite::Access::Read);
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
            {
                sqlite::Statement attach(to.get(), QStringLiteral("ATTACH ? AS restored"), dataPath);
                attach.bind(1, QFileInfo(backupPath).absoluteFilePath());
                attach.step();
            }
            // From here until the commit no other program writes to the file: the safety copy holds every entry saved
            // before, and every save after waits for the restored file.
            sqlite::Transaction transaction(to);
            result.safetyCopy = safetyCopy(dataPath, QStringLiteral("before-restore"), now);
            replaceTables(to.get(), dataPath, backupPath);
            sqlite::exec(to.get(), QStringLiteral("PRAGMA main.user_version = %1").arg(source.contentVersion),
                         dataPath);
            result.durability = commitChecked(transaction, to, [&](sqlite3* fresh) {
                return countRows(fresh, dataPath) == source.counts &&
                       contentVersion(fresh, dataPath) == source.contentVersion;
            });
            sqlite::exec(to.get(), QStringLiteral("DETACH restored"), dataPath);
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
    const sqlite::Database restored = sqlite::openDataFile(dataPath, sqlite::Access::Read);
    result.restored = inspect(restored.get(), dataPath);
    const DiaryRange range = diaryRange(restored.get(), dataPath);
    result.firstTime = range.first;
    result.lastTime = range.last;
    return result;
}

} // namespace datafile
