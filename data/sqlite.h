// RAII over SQLite statements and the translation of engine errors into the user's language.
#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace sqlite {

// A Chinese message for an engine error on the file at `path`; names the table when the engine does.
QString describe(int code, const QString& engineText, const QString& path);
// Throws DataError for a failed call on `db` (rc is the call's result code).
[[noreturn]] void fail(sqlite3* db, int rc, const QString& path);

class Statement {
public:
    Statement(sqlite3* db, const QString& sql, const QString& path);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);
    // True while a row is available.
    bool step();
    void reset();
    bool readOnly() const;
    int columnCount() const;
    QString columnName(int column) const;
    QString declaredType(int column) const;
    QVariant value(int column) const;
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_path;
};

// Runs one statement that returns nothing (or whose rows are ignored).
void exec(sqlite3* db, const QString& sql, const QString& path);

} // namespace sqlite
