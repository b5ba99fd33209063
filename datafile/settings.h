// The choices a user makes in the windows that last between runs (the curve's trend line): table settings, a name and
// a value a row, which files made before it lack.
#pragma once

#include <QString>
#include <optional>

struct sqlite3;

namespace datafile {

// The stored value; none when the file has no settings table or no such row.
std::optional<QString> readSetting(sqlite3* db, const QString& path, const QString& name);
// Stores the value in one transaction, creating the table first when the file lacks it. Throws DataError naming the
// file, leaving it as it was.
void writeSetting(sqlite3* db, const QString& path, const QString& name, const QString& value);

} // namespace datafile
