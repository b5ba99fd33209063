// A temporary folder holding a data.Mdb made from SQL text, for tests that need real files.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

class TempDatabase {
public:
    // The tables that the program uses, all empty: the shipped schema, resources/content/schema.sql.
    static QString standardSchema();

    // Creates data.Mdb in a new temporary folder and runs `sql` on it (several statements allowed).
    explicit TempDatabase(const QString& sql = standardSchema());

    QString folder() const { return m_dir.path(); }
    QString path() const { return m_dir.filePath(QStringLiteral("data.Mdb")); }

    // Runs SQL on the file through a separate connection, as another program would.
    void exec(const QString& sql) const;
    // The first column of the first row of a query, through a separate connection.
    QVariant scalar(const QString& sql) const;
    // Every row of a query as "a|b|c" texts (NULL as "<null>").
    QStringList rows(const QString& sql) const;
    // Copies the file to `target` as a kill in the middle of a save would leave it: 2,000 entries written into the
    // file but not committed, and the journal that takes them back out.
    void copyWithInterruptedWrite(const QString& target) const;

private:
    QTemporaryDir m_dir;
};
