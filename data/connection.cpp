// The connection to data.Mdb.
#include "data/connection.h"

#include "data/errors.h"
#include "data/sqlite.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace {
const QString sourceKey = QStringLiteral("Data Source=");
}

Connection::Connection(QString folder) : m_folder(std::move(folder)) {}

QString Connection::defaultConnectionString() const
{
    QString folder = QDir::cleanPath(m_folder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return sourceKey + folder + fileName();
}

void Connection::setConnectionString(const QString& text)
{
    if (connected())
        disconnect();
    m_connectionString = text;
}

QString Connection::filePath() const
{
    const QString& text = m_connectionString.isEmpty() ? defaultConnectionString() : m_connectionString;
    return text.startsWith(sourceKey, Qt::CaseInsensitive) ? text.mid(sourceKey.size()) : text;
}

void Connection::openDatabase()
{
    if (!m_connectionString.isEmpty()) {
        disconnect();
        m_connectionString.clear();
    }
    m_connectionString = defaultConnectionString();
    connect();
}

void Connection::connect()
{
    if (connected())
        return;
    if (m_connectionString.isEmpty())
        m_connectionString = defaultConnectionString();
    const QString path = filePath();
    const QFileInfo info(path);
    // Checked first so that the user reads what is wrong rather than the engine's generic "cannot open".
    if (!info.exists())
        throw DataError(QStringLiteral("找不到数据库文件“%1”").arg(path), SQLITE_CANTOPEN, SQLITE_CANTOPEN);
    if (info.isDir())
        throw DataError(QStringLiteral("“%1”是一个文件夹，不是数据库文件").arg(path), SQLITE_CANTOPEN, SQLITE_CANTOPEN);

    // Never created: a missing file must stay missing rather than become an empty database.
    sqlite::Database db = sqlite::open(path, sqlite::OpenMode::ReadWrite);
    sqlite3_busy_timeout(db.get(), busyTimeoutMs);
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite::exec(db.get(), QStringLiteral("PRAGMA trusted_schema=OFF"), path);
    sqlite::exec(db.get(), QStringLiteral("PRAGMA cell_size_check=ON"), path);
    // Reading the schema is what tells a database from any other file.
    sqlite::exec(db.get(), QStringLiteral("SELECT count(*) FROM sqlite_master"), path);
    sqlite::exec(db.get(), QStringLiteral("PRAGMA journal_mode=DELETE"), path);
    // EXTRA, not FULL: FULL leaves the deletion of the journal unsynced, and a journal that comes back after a
    // power cut rolls back the entry that was just reported saved.
    sqlite::exec(db.get(), QStringLiteral("PRAGMA synchronous=EXTRA"), path);
    m_db = std::move(db);
}

bool Connection::durable() const
{
    if (!m_db)
        return false;
    const QString path = filePath();
    sqlite::Statement journal(handle(), QStringLiteral("PRAGMA journal_mode"), path);
    sqlite::Statement sync(handle(), QStringLiteral("PRAGMA synchronous"), path);
    return journal.step() && journal.value(0).toString().compare(QStringLiteral("delete"), Qt::CaseInsensitive) == 0 &&
           sync.step() && sync.value(0).toInt() == 3;
}

void Connection::disconnect()
{
    m_db.reset();
}

Transaction::Transaction(Connection& connection) : m_connection(connection)
{
    m_connection.connect();
    sqlite::exec(m_connection.handle(), QStringLiteral("BEGIN IMMEDIATE"), m_connection.filePath());
    m_open = true;
}

Transaction::~Transaction()
{
    if (m_open && m_connection.handle())
        sqlite3_exec(m_connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    sqlite::exec(m_connection.handle(), QStringLiteral("COMMIT"), m_connection.filePath());
    m_open = false;
}
