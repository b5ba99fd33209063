// The content upgrade.
#include "datafile/upgrade.h"

#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"
#include "datafile/measurements.h"
#include "datafile/profile.h"

#include <QFile>
#include <sqlite3.h>
#include <unistd.h>

namespace datafile {

namespace {

QStringList columns(sqlite3* db, const QString& schema, const QString& table, const QString& path)
{
    sqlite::Statement info(db, QStringLiteral("PRAGMA %1.table_info(\"%2\")").arg(schema, table), path);
    QStringList names;
    while (info.step())
        names << info.value(1).toString();
    return names;
}

QString quoted(const QStringList& names)
{
    QStringList out;
    for (const QString& name : names)
        out << u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
    return out.join(u',');
}

} // namespace

const QStringList& contentTables()
{
    // The shipped content: every table but the user's own diary and plan.
    static const QStringList names{
        QStringLiteral("02"),        QStringLiteral("01"), QStringLiteral("portions"), QStringLiteral("food_search"),
        QStringLiteral("nutrients"), QStringLiteral("sp"), QStringLiteral("yd"),       QStringLiteral("xd")};
    return names;
}

UpgradeResult upgrade(const QString& dataPath, const QString& shippedPath, const QList<QStringList>& shippedPlans,
                      const QDateTime& now)
{
    UpgradeResult result;
    result.to = check(shippedPath).contentVersion;
    result.from = check(dataPath).contentVersion;
    if (result.from >= result.to)
        return result;
    if (::access(QFile::encodeName(dataPath).constData(), W_OK) != 0)
        throw DataError(QStringLiteral("数据库文件“%1”是只读的，无法升级内容").arg(dataPath));

    const sqlite::Database db = sqlite::openDataFile(dataPath, sqlite::Access::Write);
    sqlite3* h = db.get();
    {
        sqlite::Statement attach(h, QStringLiteral("ATTACH ? AS shipped"), dataPath);
        attach.bind(1, shippedPath);
        attach.step();
    }
    {
        // The backup is made under the write lock, so that no entry saved meanwhile misses both files.
        sqlite::Transaction transaction(db);
        result.backup = safetyCopy(dataPath, QStringLiteral("before-upgrade"), now);
        for (const QString& table : contentTables()) {
            const QStringList fields = columns(h, QStringLiteral("shipped"), table, shippedPath);
            if (fields.isEmpty())
                continue;
            // A content table that came with a later version (the portions, the food search) is made as the shipped
            // file defines it.
            if (columns(h, QStringLiteral("main"), table, dataPath).isEmpty()) {
                sqlite::Statement definition(
                    h, QStringLiteral("SELECT sql FROM shipped.sqlite_master WHERE type = 'table' AND name = ?"),
                    shippedPath);
                definition.bind(1, table);
                if (definition.step())
                    sqlite::exec(h, definition.value(0).toString(), dataPath);
            }
            sqlite::exec(h, QStringLiteral("DELETE FROM main.\"%1\"").arg(table), dataPath);
            sqlite::exec(h,
                         QStringLiteral("INSERT INTO main.\"%1\"(%2) SELECT %2 FROM shipped.\"%1\" ORDER BY rowid")
                             .arg(table, quoted(fields)),
                         dataPath);
        }

        QStringList shippedDays;
        {
            sqlite::Statement days(h, QStringLiteral("SELECT foodsport FROM shipped.plan ORDER BY rowid"), shippedPath);
            while (days.step())
                shippedDays << days.value(0).toString();
        }
        QList<qint64> rowids;
        QStringList texts;
        {
            sqlite::Statement days(h, QStringLiteral("SELECT rowid, foodsport FROM main.plan ORDER BY rowid"),
                                   dataPath);
            while (days.step()) {
                rowids << days.integer(0);
                texts << days.value(1).toString();
            }
        }
        sqlite::Statement update(h, QStringLiteral("UPDATE main.plan SET foodsport = ? WHERE rowid = ?"), dataPath);
        for (qsizetype day = 0; day < rowids.size() && day < shippedDays.size(); ++day) {
            if (texts[day] == shippedDays[day])
                continue;
            bool shippedText = false;
            for (const QStringList& plan : shippedPlans)
                shippedText = shippedText || (day < plan.size() && plan[day] == texts[day]);
            if (!shippedText)
                continue;
            update.bind(1, shippedDays[day]);
            update.bind(2, rowids[day]);
            update.step();
            update.reset();
            ++result.planDaysReplaced;
        }
        // A plan short of days (it should hold seven) gets the shipped ones that it lacks.
        sqlite::Statement append(h, QStringLiteral("INSERT INTO main.plan(foodsport) VALUES (?)"), dataPath);
        for (qsizetype day = rowids.size(); day < shippedDays.size(); ++day) {
            append.bind(1, shippedDays[day]);
            append.step();
            append.reset();
        }
        // A file made before 我的目标 gets its empty table here, as a new file gets it from the schema.
        ensureProfileTable(h, dataPath);
        ensureMeasurementTable(h, dataPath);
        sqlite::exec(h, QStringLiteral("PRAGMA main.user_version = %1").arg(result.to), dataPath);
        result.durability = commitChecked(transaction, db,
                                          [&](sqlite3* fresh) { return contentVersion(fresh, dataPath) == result.to; });
    }
    sqlite::exec(h, QStringLiteral("DETACH shipped"), dataPath);
    result.upgraded = true;
    return result;
}

} // namespace datafile
