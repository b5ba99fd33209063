// What Tevu knows about its own file: the seven tables and their fields, the content version, the check.
#pragma once

#include "data/sqlite.h"

#include <QList>
#include <QString>

namespace datafile {

// The file that `path` names, links followed, so that what is written there reaches the real file and not a new
// one in the link's place; `path` itself when nothing is there yet.
QString realPath(const QString& path);
// True when both name the same file (same device and inode, by any spelling or link).
bool sameFile(const QString& a, const QString& b);

struct TableCount {
    QString table;
    qint64 rows = 0;
    bool operator==(const TableCount&) const = default;
};

struct Summary {
    QList<TableCount> counts; // the seven tables in a fixed order
    QList<TableCount> others; // the optional tables that the file has, in their fixed order
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
// Throws DataError when the open file holds a trigger, a view, or a table that Tevu does not know: such a file did
// not come from Tevu, and its objects would act on the diary once it is restored.
void checkNothingForeign(sqlite3* db, const QString& path);
// Tables that a Tevu data file may hold beyond the seven, made by later versions of the program.
const QStringList& optionalTables();

// PRAGMA user_version: the content version the file was made or last upgraded with.
int contentVersion(sqlite3* db, const QString& path);

} // namespace datafile
