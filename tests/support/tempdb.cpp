// The temporary database fixture.
#include "support/tempdb.h"

#include <QStringList>
#include <sqlite3.h>
#include <stdexcept>

namespace {

struct Handle {
    sqlite3* db = nullptr;
    explicit Handle(const QString& path, bool create)
    {
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open test database");
        sqlite3_busy_timeout(db, 5000);
    }
    ~Handle() { sqlite3_close_v2(db); }
};

void check(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw std::runtime_error(std::string("test SQL failed: ") + sqlite3_errmsg(db));
}

} // namespace

QString TempDatabase::standardSchema()
{
    return QStringLiteral("CREATE TABLE \"02\"(Name TEXT);"
                          "CREATE TABLE \"01\"(Name TEXT, Title TEXT, sz TEXT);"
                          "CREATE TABLE sp(Name TEXT, demo TEXT);"
                          "CREATE TABLE yd(Name TEXT, demo TEXT);"
                          "CREATE TABLE xd(Name TEXT, demo TEXT);"
                          "CREATE TABLE rj(time DATETIME, demo TEXT, lb REAL);"
                          "CREATE TABLE plan(foodsport TEXT);");
}

TempDatabase::TempDatabase(const QString& sql)
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    Handle h(path(), true);
    check(h.db, sqlite3_exec(h.db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr));
    exec(sql);
}

void TempDatabase::exec(const QString& sql) const
{
    Handle h(path(), false);
    char* error = nullptr;
    if (sqlite3_exec(h.db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : "unknown";
        sqlite3_free(error);
        throw std::runtime_error("test SQL failed: " + text);
    }
}

QStringList TempDatabase::rows(const QString& sql) const
{
    Handle h(path(), false);
    sqlite3_stmt* stmt = nullptr;
    check(h.db, sqlite3_prepare_v2(h.db, sql.toUtf8().constData(), -1, &stmt, nullptr));
    QStringList out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_NULL)
                cells << QStringLiteral("<null>");
            else
                cells << QString::fromUtf8(static_cast<const char*>(sqlite3_column_blob(stmt, c)),
                                           sqlite3_column_bytes(stmt, c));
        }
        out << cells.join(u'|');
    }
    sqlite3_finalize(stmt);
    check(h.db, rc);
    return out;
}

QVariant TempDatabase::scalar(const QString& sql) const
{
    const QStringList all = rows(sql);
    if (all.isEmpty())
        return QVariant();
    return all.first().section(u'|', 0, 0);
}
