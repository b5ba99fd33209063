// The body's measures in the data file: table measurements, one row per date, which files made before it lack.
#pragma once

#include "data/rowchanges.h"
#include "health/measure.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Connection;
struct sqlite3;

namespace datafile {

inline constexpr char measurementTable[] = "measurements";

// The table and its index on the date, as a new file gets them.
QStringList measurementTableSql();
// Creates them when the file lacks them; for a caller's open transaction.
void ensureMeasurementTable(sqlite3* db, const QString& path);

struct StoredMeasurement {
    qint64 key = 0;
    health::Measurement measurement;
};
// Every row by date; none when the file has no table. A stored value outside what may be entered reads as missing,
// a row whose date cannot be read is left out.
std::vector<StoredMeasurement> readMeasurements(sqlite3* db, const QString& path);
// The row of that date, if any.
std::optional<StoredMeasurement> measurementOn(sqlite3* db, const QString& path, const QDate& date);

// Adds the row in one transaction, creating the table first when the file lacks it; throws DataError when that date
// has a row already or a value is outside what may be entered, storing nothing.
rowchanges::Change addMeasurement(Connection& connection, const health::Measurement& measurement);
// Sets the measures of the row that was read (its date stays); throws, changing nothing, when it is gone or no longer
// holds that date (another program's import or restore gave the rows new keys).
rowchanges::Change replaceMeasurement(Connection& connection, const StoredMeasurement& row,
                                      const health::Measurement& measurement);
rowchanges::Change removeMeasurements(Connection& connection, const std::vector<StoredMeasurement>& rows);

// Throws DataError naming the first measure outside what may be entered, with its range.
void checkMeasurement(const health::Measurement& measurement);

struct MeasurementImport {
    qint64 added = 0;
    qint64 skipped = 0; // dates that the file already holds
};
// Adds the rows of dates that have none yet, for a caller's open transaction; the table is made when there is
// something to add.
MeasurementImport importMeasurements(sqlite3* db, const QString& path, const std::vector<health::Measurement>& rows);

} // namespace datafile
