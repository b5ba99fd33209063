// The choices kept between runs, in table settings.
#include "datafile/settings.h"

#include "data/sqlite.h"

namespace datafile {

namespace {
constexpr auto table = "settings";
}

std::optional<QString> readSetting(sqlite3* db, const QString& path, const QString& name)
{
    if (!sqlite::hasTable(db, QLatin1String(table), path))
        return std::nullopt;
    sqlite::Statement row(db, QStringLiteral("SELECT value FROM settings WHERE name = ?"), path);
    row.bind(1, name);
    if (!row.step())
        return std::nullopt;
    return row.value(0).toString();
}

void writeSetting(sqlite3* db, const QString& path, const QString& name, const QString& value)
{
    sqlite::Transaction transaction(db, path);
    sqlite::exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS settings (name TEXT PRIMARY KEY, value TEXT)"), path);
    sqlite::Statement upsert(
        db,
        QStringLiteral("INSERT INTO settings(name, value) VALUES (?, ?) ON CONFLICT(name) DO UPDATE SET value = ?2"),
        path);
    upsert.bind(1, name);
    upsert.bind(2, value);
    upsert.step();
    transaction.commit();
}

} // namespace datafile
