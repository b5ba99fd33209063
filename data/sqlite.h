// RAII over SQLite connections and statements, and the translation of engine errors into the user's language.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace sqlite {

// A Chinese message for an engine error on the file at `path`; names the table when the engine does.
QString describe(int code, const QString& engineText, const QString& path);
// Throws DataError for a failed call on `db` (rc is the call's result code).
[[noreturn]] void fail(sqlite3* db, int rc, const QString& path);

struct CloseDatabase {
    void operator()(sqlite3* db) const;
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const;
};
// A connection that closes itself and knows the file it is on.
class Database {
public:
    Database() = default;
    Database(sqlite3* db, QString path) : m_db(db), m_path(std::move(path)) {}

    sqlite3* get() const { return m_db.get(); }
    const QString& path() const { return m_path; }
    void reset() { m_db.reset(); }
    explicit operator bool() const { return m_db != nullptr; }

private:
    std::unique_ptr<sqlite3, CloseDatabase> m_db;
    QString m_path;
};

enum class OpenMode { ReadOnly, ReadWrite, Create };
// Opens the file at `path`; only OpenMode::Create makes a file that is not there. Throws DataError naming the file.
Database open(const QString& path, OpenMode mode);

enum class Access { Read, Write };
// Opens an existing data file, or any file that is to be read as one, with the program's settings: never created,
// waits out other programs' locks, no function of the file's own schema trusted, cells checked, and for writing
// rollback journal with every commit synced. A journal left by an interrupted write is rolled back first whenever
// the file can be written, so that reading it never depends on how the last writer ended. Throws DataError naming
// the file: missing, a folder, not a database, read-only with an interrupted write.
Database openDataFile(const QString& path, Access access);

// Milliseconds that a statement waits for another program's lock before it gives up.
inline constexpr int busyTimeoutMs = 5000;

// Writes several statements as one: BEGIN IMMEDIATE at construction, rolled back unless committed.
class Transaction {
public:
    explicit Transaction(const Database& db);
    explicit Transaction(sqlite3* db, const QString& path);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    sqlite3* m_db;
    QString m_path;
    bool m_open = false;
};

// One column of the current row as the engine holds it; `utf8` points into the engine's memory and lasts until the
// statement steps, resets or ends.
struct Column {
    enum class Kind { Null, Number, Text };
    Kind kind = Kind::Null;
    double number = 0;
    QByteArrayView utf8;
};

class Statement {
public:
    Statement(sqlite3* db, const QString& sql, const QString& path);

    void bind(int index, const QVariant& value);
    // UTF-8 text that lives until the statement is reset: bound without a copy.
    void bindUtf8(int index, QByteArrayView text);
    // True while a row is available.
    bool step();
    void reset();
    bool readOnly() const;
    int columnCount() const;
    QString columnName(int column) const;
    QString declaredType(int column) const;
    // The program's one reading of a column: integers and reals as numbers, a blob as its bytes taken as text.
    Column read(int column) const;
    // read() as a QVariant: a double, a QString or a null QVariant.
    QVariant value(int column) const;
    // A column that holds a row key: a 64-bit integer, which a double would round.
    qint64 integer(int column) const;
    sqlite3_stmt* handle() const { return m_stmt.get(); }

private:
    friend void execScript(sqlite3* db, const QString& sql, const QString& path, int* failedLine);
    Statement(sqlite3* db, std::unique_ptr<sqlite3_stmt, FinalizeStatement> prepared, const QString& path);

    sqlite3* m_db;
    std::unique_ptr<sqlite3_stmt, FinalizeStatement> m_stmt;
    QString m_path;
};

// A use of a statement kept prepared on its connection (see cached()). Reset and unbound when the use ends: a
// statement left part-way keeps the file's read lock, and other programs could not write.
class CachedStatement {
public:
    explicit CachedStatement(Statement& kept) : m_statement(kept) {}
    // One that could not be kept: finalized when the use ends.
    explicit CachedStatement(std::unique_ptr<Statement> own) : m_statement(*own), m_own(std::move(own)) {}
    CachedStatement(const CachedStatement&) = delete;
    CachedStatement& operator=(const CachedStatement&) = delete;
    ~CachedStatement() { m_statement.reset(); }

    Statement* operator->() const { return &m_statement; }
    Statement& operator*() const { return m_statement; }

private:
    Statement& m_statement;
    std::unique_ptr<Statement> m_own;
};

// A statement kept prepared on `db` until the connection closes: for the statements that are run again and again
// (the reads a window repeats on every showing, a diary save), whose SQL would otherwise be parsed each time. One use
// at a time per statement.
CachedStatement cached(sqlite3* db, const QString& sql, const QString& path);

// The key of the row that the last INSERT on `db` added.
qint64 lastInsertRowid(sqlite3* db);

// True when the file holds a table of that name.
bool hasTable(sqlite3* db, const QString& table, const QString& path);

// Runs one statement that returns nothing (or whose rows are ignored).
void exec(sqlite3* db, const QString& sql, const QString& path);
// Runs every statement of `sql` in turn. When one fails, `failedLine` (if given) gets the line of `sql` on which
// that statement starts, its leading blanks and "--" comments skipped, before the DataError is thrown.
void execScript(sqlite3* db, const QString& sql, const QString& path, int* failedLine = nullptr);

} // namespace sqlite
