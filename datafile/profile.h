// The profile of 我的目标 in the data file: one row of table profile, which files made before it lack.
#pragma once

#include "health/body.h"

#include <QString>

struct sqlite3;

namespace datafile {

// The table's statement, as resources/content/schema.sql has it.
QString profileTableSql();
// Creates the table when the file lacks it; for a caller's open transaction.
void ensureProfileTable(sqlite3* db, const QString& path);

// The stored profile; all unset when the file has no profile table or no row. `thisYear` bounds the birth year, and
// what the rules no longer admit reads as unset (health::admissible).
health::Profile readProfile(sqlite3* db, const QString& path, int thisYear);
// Replaces the stored profile in one transaction, creating the table first when the file lacks it. Throws DataError
// naming the file, leaving it as it was.
void writeProfile(sqlite3* db, const QString& path, const health::Profile& profile);

} // namespace datafile
