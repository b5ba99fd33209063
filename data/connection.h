// The connection to data.Mdb: one SQLite handle that never creates the file.
#pragma once

#include "data/sqlite.h"

#include <QString>
#include <optional>

class Connection {
public:
    // folder: the folder that holds data.Mdb (the executable's folder in the program); file: another name of the data
    // file in it (a file named on the command line).
    explicit Connection(QString folder, QString file = fileName());
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    static QString fileName() { return QStringLiteral("data.Mdb"); }
    // "Data Source=<folder>/data.Mdb"
    QString defaultConnectionString() const;
    const QString& connectionString() const { return m_connectionString; }
    void setConnectionString(const QString& text);
    QString filePath() const;

    // Disconnects if a connection text is set, sets the default text and connects.
    void openDatabase();
    void connect();
    void disconnect();
    bool connected() const { return static_cast<bool>(m_db); }
    // True when the file is set up to keep every posted row across a crash or power cut.
    bool durable() const;
    // Moves on whenever another connection (another program: an import, a restore) commits a change to the file, and
    // only then; 0 while not connected.
    qint64 dataVersion() const;

    sqlite3* handle() const { return m_db.get(); }

    // Milliseconds that a statement waits for another program's lock before it gives up.
    static constexpr int busyTimeoutMs = sqlite::busyTimeoutMs;

private:
    QString m_folder;
    QString m_file;
    QString m_connectionString;
    sqlite::Database m_db;
};

// Writes several rows as one: rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    void commit();

private:
    std::optional<sqlite::Transaction> m_transaction;
};
