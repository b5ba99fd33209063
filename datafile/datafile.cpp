// The file's shape and its check.
#include "datafile/datafile.h"

#include "data/connection.h"
#include "data/errors.h"
#include "data/sqlite.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace datafile {

sqlite::Database open(const QString& path, bool write)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw DataError(QStringLiteral("找不到数据库文件“%1”").arg(path), SQLITE_CANTOPEN, SQLITE_CANTOPEN);
    if (info.isDir())
        throw DataError(QStringLiteral("“%1”是一个文件夹，不是数据库文件").arg(path), SQLITE_CANTOPEN, SQLITE_CANTOPEN);
    sqlite::Database db = sqlite::open(path, write ? sqlite::OpenMode::ReadWrite : sqlite::OpenMode::ReadOnly);
    sqlite3* raw = db.get();
    sqlite3_busy_timeout(raw, Connection::busyTimeoutMs);
    sqlite3_extended_result_codes(raw, 1);
    sqlite::exec(raw, QStringLiteral("PRAGMA trusted_schema=OFF"), path);
    sqlite::exec(raw, QStringLiteral("PRAGMA cell_size_check=ON"), path);
    return db;
}

qint64 Summary::rows(const QString& table) const
{
    for (const TableCount& count : counts)
        if (count.table == table)
            return count.rows;
    return -1;
}

const QList<TableShape>& tables()
{
    static const QList<TableShape> shapes{
        {QStringLiteral("02"), {QStringLiteral("Name")}},
        {QStringLiteral("01"), {QStringLiteral("Name"), QStringLiteral("Title"), QStringLiteral("sz")}},
        {QStringLiteral("sp"), {QStringLiteral("Name"), QStringLiteral("demo")}},
        {QStringLiteral("yd"), {QStringLiteral("Name"), QStringLiteral("demo")}},
        {QStringLiteral("xd"), {QStringLiteral("Name"), QStringLiteral("demo")}},
        {QStringLiteral("rj"), {QStringLiteral("time"), QStringLiteral("demo"), QStringLiteral("lb")}},
        {QStringLiteral("plan"), {QStringLiteral("foodsport")}},
    };
    return shapes;
}

int contentVersion(sqlite3* db, const QString& path)
{
    sqlite::Statement version(db, QStringLiteral("PRAGMA user_version"), path);
    return version.step() ? version.value(0).toInt() : 0;
}

Summary inspect(sqlite3* db, const QString& path)
{
    {
        // The first rows are enough to know it is damaged; all of them would only make the message long.
        sqlite::Statement integrity(db, QStringLiteral("PRAGMA integrity_check(3)"), path);
        QStringList problems;
        while (integrity.step())
            problems << integrity.value(0).toString();
        if (problems != QStringList{QStringLiteral("ok")})
            throw DataError(QStringLiteral("数据库文件“%1”已损坏（%2）").arg(path, problems.join(QStringLiteral("；"))),
                            SQLITE_CORRUPT, SQLITE_CORRUPT);
    }
    checkShape(db, path);
    Summary summary;
    summary.counts = countRows(db, path);
    summary.contentVersion = contentVersion(db, path);
    return summary;
}

QList<TableCount> countRows(sqlite3* db, const QString& path)
{
    QList<TableCount> counts;
    for (const TableShape& shape : tables()) {
        sqlite::Statement count(db, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(shape.table), path);
        count.step();
        counts.push_back({shape.table, static_cast<qint64>(count.value(0).toDouble())});
    }
    return counts;
}

void checkShape(sqlite3* db, const QString& path)
{
    for (const TableShape& shape : tables()) {
        sqlite::Statement info(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(shape.table), path);
        QStringList present;
        while (info.step())
            present << info.value(1).toString().toLower();
        if (present.isEmpty())
            throw DataError(
                QStringLiteral("数据库文件“%1”中没有表“%2”，它不是 Tevu 的数据文件").arg(path, shape.table));
        for (const QString& field : shape.fields)
            if (!present.contains(field.toLower()))
                throw DataError(QStringLiteral("数据库文件“%1”的表“%2”中没有字段“%3”，它不是 Tevu 的数据文件")
                                    .arg(path, shape.table, field));
    }
}

Summary check(const QString& path)
{
    const sqlite::Database db = open(path, false);
    return inspect(db.get(), path);
}

} // namespace datafile
