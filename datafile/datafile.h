// What Tevu knows about its own file: the seven tables and their fields, the content version, the check.
#pragma once

#include "data/sqlite.h"

#include <QList>
#include <QString>

namespace datafile {

// Opens an existing file, never creating one; read-only unless `write`. Waits out other programs' locks.
sqlite::Database open(const QString& path, bool write);

struct TableCount {
    QString table;
    qint64 rows = 0;
};

struct Summary {
    QList<TableCount> counts; // the seven tables in a fixed order
    int contentVersion = 0;
    qint64 rows(const QString& table) const;
};

// The seven tables of a Tevu data file with the fields the program uses.
struct TableShape {
    QString table;
    QStringList fields;
};
const QList<TableShape>& tables();

// Integrity, the seven tables with their fields, row counts and content version of an open file; throws DataError
// with the reason when the file is not a sound Tevu data file.
Summary inspect(sqlite3* db, const QString& path);
// Row counts of the seven tables, in tables()' order, as the open transaction (if any) sees them.
QList<TableCount> countRows(sqlite3* db, const QString& path);
// The seven tables with their fields, without the integrity check and the counts; throws DataError like inspect.
void checkShape(sqlite3* db, const QString& path);
// The same for a file on disk, opened read-only.
Summary check(const QString& path);

// PRAGMA user_version: the content version the file was made or last upgraded with.
int contentVersion(sqlite3* db, const QString& path);

} // namespace datafile
