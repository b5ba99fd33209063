// The connection to data.Mdb.
#include "data/connection.h"

#include "data/errors.h"
#include "data/sqlite.h"

#include <QDir>
#include <sqlite3.h>

namespace {
const QString sourceKey = QStringLiteral("Data Source=");
}

Connection::Connection(QString folder, QString file) : m_folder(std::move(folder)), m_file(std::move(file)) {}

QString Connection::defaultConnectionString() const
{
    QString folder = QDir::cleanPath(m_folder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return sourceKey + folder + m_file;
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
    // Never created: a missing file must stay missing rather than become an empty database.
    m_db = sqlite::openDataFile(filePath(), sqlite::Access::Write);
}

bool Connection::durable() const
{
    if (!m_db)
        return false;
    // Asked before every write: kept prepared.
    const QString path = filePath();
    const sqlite::CachedStatement journal = sqlite::cached(handle(), "PRAGMA journal_mode", path);
    const sqlite::CachedStatement sync = sqlite::cached(handle(), "PRAGMA synchronous", path);
    return journal->step() &&
           journal->value(0).toString().compare(QStringLiteral("delete"), Qt::CaseInsensitive) == 0 && sync->step() &&
           sync->value(0).toInt() == 3;
}

qint64 Connection::dataVersion() const
{
    if (!m_db)
        return 0;
    const sqlite::CachedStatement version = sqlite::cached(handle(), "PRAGMA data_version", filePath());
    return version->step() ? version->integer(0) : 0;
}

void Connection::disconnect()
{
    m_db.reset();
}

Transaction::Transaction(Connection& connection)
{
    connection.connect();
    m_transaction.emplace(connection.handle(), connection.filePath());
}

void Transaction::commit()
{
    m_transaction->commit();
}
