// The file's shape and its check.
#include "datafile/datafile.h"

#include "data/errors.h"
#include "data/sqlite.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <sys/stat.h>

namespace datafile {

QString realPath(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? QFileInfo(path).absoluteFilePath() : real;
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

qint64 Summary::rows(const QString& table) const
{
    for (const QList<TableCount>* list : {&counts, &others})
        for (const TableCount& count : *list)
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
        // The engine's own details are English and say nothing to a user; that it failed the check is what counts.
        if (problems != QStringList{QStringLiteral("ok")})
            throw DataError(QStringLiteral("数据库文件“%1”已损坏（没有通过完整性检查）").arg(path), SQLITE_CORRUPT,
                            SQLITE_CORRUPT);
    }
    checkShape(db, path);
    Summary summary;
    summary.counts = countRows(db, path);
    for (const QString& table : optionalTables()) {
        if (!sqlite::hasTable(db, table, path))
            continue;
        sqlite::Statement count(db, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table), path);
        summary.others.push_back({table, count.step() ? count.integer(0) : 0});
    }
    summary.contentVersion = contentVersion(db, path);
    return summary;
}

QList<TableCount> countRows(sqlite3* db, const QString& path)
{
    QList<TableCount> counts;
    for (const TableShape& shape : tables()) {
        sqlite::Statement count(db, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(shape.table), path);
        counts.push_back({shape.table, count.step() ? count.integer(0) : 0});
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
    const sqlite::Database db = sqlite::openDataFile(path, sqlite::Access::Read);
    return inspect(db.get(), path);
}

const QStringList& optionalTables()
{
    // The household portions of the foods, the pinyin the food search matches, the profile of 我的目标, the food
    // and exercise log, the user's own foods, the body's measures, and the choices kept between runs.
    static const QStringList names{
        QStringLiteral("portions"),  QStringLiteral("food_search"),  QStringLiteral("profile"),
        QStringLiteral("food_log"),  QStringLiteral("exercise_log"), QStringLiteral("own_foods"),
        QStringLiteral("nutrients"), QStringLiteral("measurements"), QStringLiteral("settings")};
    return names;
}

void checkNothingForeign(sqlite3* db, const QString& path)
{
    QStringList known;
    for (const TableShape& shape : tables())
        known << shape.table;
    known << optionalTables();
    sqlite::Statement objects(
        db,
        QStringLiteral("SELECT type, name, tbl_name FROM sqlite_master WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"),
        path);
    while (objects.step()) {
        const QString type = objects.value(0).toString();
        const QString name = objects.value(1).toString();
        const QString table = objects.value(2).toString();
        const bool ours = (type == u"table" || type == u"index") && known.contains(table);
        if (ours)
            continue;
        const QString what = type == u"trigger" ? QStringLiteral("触发器")
                             : type == u"view"  ? QStringLiteral("视图")
                             : type == u"index" ? QStringLiteral("索引")
                                                : QStringLiteral("表");
        throw DataError(QStringLiteral("数据库文件“%1”含有 Tevu 不认识的%2“%3”，它不是 Tevu 写的数据文件")
                            .arg(path, what, name.left(40)));
    }
}

} // namespace datafile
