// The temporary database fixture.
#include "support/tempdb.h"

#include "data/sqlite.h"

#include <QFile>
#include <QStringList>
#include <sqlite3.h>
#include <stdexcept>

namespace {

sqlite::Database openFile(const QString& path, sqlite::OpenMode mode)
{
    sqlite::Database db = sqlite::open(path, mode);
    sqlite3_busy_timeout(db.get(), 5000);
    return db;
}

} // namespace

QString TempDatabase::standardSchema()
{
    static const QString schema = [] {
        QFile file(QStringLiteral(TEVU_SOURCE_DIR "/resources/content/schema.sql"));
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read resources/content/schema.sql");
        // Ends on a new line, so that SQL added after it is never taken into a closing comment.
        return QString::fromUtf8(file.readAll()) + u'\n';
    }();
    return schema;
}

TempDatabase::TempDatabase(const QString& sql)
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    const sqlite::Database db = openFile(path(), sqlite::OpenMode::Create);
    sqlite::exec(db.get(), QStringLiteral("PRAGMA journal_mode=DELETE"), path());
    sqlite::execScript(db.get(), sql, path());
}

void TempDatabase::exec(const QString& sql) const
{
    sqlite::execScript(openFile(path(), sqlite::OpenMode::ReadWrite).get(), sql, path());
}

void TempDatabase::copyWithInterruptedWrite(const QString& target) const
{
    const sqlite::Database writer = openFile(path(), sqlite::OpenMode::ReadWrite);
    // A cache of one page spills the uncommitted rows into the file, after the journal is synced.
    sqlite::exec(writer.get(), QStringLiteral("PRAGMA cache_size=1"), path());
    sqlite::exec(writer.get(), QStringLiteral("BEGIN"), path());
    sqlite::exec(writer.get(),
                 QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                                "INSERT INTO rj SELECT '2026-12-08 08:00:00.000', printf('%0300d', i), 1 FROM n"),
                 path());
    if (!QFile::copy(path(), target) ||
        !QFile::copy(path() + QStringLiteral("-journal"), target + QStringLiteral("-journal")))
        throw std::runtime_error("cannot copy the file with its journal");
}

QStringList TempDatabase::rows(const QString& sql) const
{
    const sqlite::Database db = openFile(path(), sqlite::OpenMode::ReadWrite);
    sqlite::Statement statement(db.get(), sql, path());
    QStringList out;
    while (statement.step()) {
        QStringList cells;
        for (int c = 0; c < statement.columnCount(); ++c) {
            // As the engine writes each value as text ("120.0" for a real), so that tests see how it is stored.
            sqlite3_stmt* const raw = statement.handle();
            if (sqlite3_column_type(raw, c) == SQLITE_NULL)
                cells << QStringLiteral("<null>");
            else
                cells << QString::fromUtf8(static_cast<const char*>(sqlite3_column_blob(raw, c)),
                                           sqlite3_column_bytes(raw, c));
        }
        out << cells.join(u'|');
    }
    return out;
}

QVariant TempDatabase::scalar(const QString& sql) const
{
    const QStringList all = rows(sql);
    if (all.isEmpty())
        return QVariant();
    return all.first().section(u'|', 0, 0);
}
