// The measurements table.
#include "datafile/measurements.h"
#include "datafile/storedvalue.h"

#include "data/connection.h"
#include "data/errors.h"
#include "data/sqlite.h"

namespace datafile {

namespace {

const QString table = QString::fromLatin1(measurementTable);

QVariant stored(const std::optional<double>& value)
{
    return value ? QVariant(*value) : QVariant();
}

// A row is the measurement of its date: a key that now names another date's row is refused.
rowchanges::SeenRow seen(const StoredMeasurement& row)
{
    return {row.key, {{QStringLiteral("date"), row.measurement.date.toString(Qt::ISODate)}}};
}

rowchanges::Values measures(const health::Measurement& measurement)
{
    return {stored(measurement.waist), stored(measurement.hip), stored(measurement.fat)};
}

std::vector<StoredMeasurement> read(sqlite3* db, const QString& path, const QString& where, const QDate& date)
{
    std::vector<StoredMeasurement> rows;
    if (!sqlite::hasTable(db, table, path))
        return rows;
    sqlite::Statement select(
        db, QStringLiteral("SELECT rowid, date, waist, hip, fat FROM measurements %1 ORDER BY date, rowid").arg(where),
        path);
    if (date.isValid())
        select.bind(1, date.toString(Qt::ISODate));
    while (select.step()) {
        const QDate day = QDate::fromString(select.value(1).toString(), Qt::ISODate);
        if (!day.isValid())
            continue;
        rows.push_back({select.integer(0),
                        {day, numberIn(select.value(2), health::minimumGirth, health::maximumGirth),
                         numberIn(select.value(3), health::minimumGirth, health::maximumGirth),
                         numberIn(select.value(4), health::minimumBodyFat, health::maximumBodyFat)}});
    }
    return rows;
}

void checkIn(const std::optional<double>& value, const QString& name, double low, double high)
{
    if (value && !(*value >= low && *value <= high))
        throw DataError(QStringLiteral("%1要填 %2 到 %3 之间的数").arg(name).arg(low).arg(high));
}

} // namespace

QStringList measurementTableSql()
{
    return {QStringLiteral("CREATE TABLE measurements (\n"
                           "    date  TEXT,\n"
                           "    waist REAL,\n"
                           "    hip   REAL,\n"
                           "    fat   REAL\n"
                           ")"),
            QStringLiteral("CREATE UNIQUE INDEX measurements_date ON measurements(date)")};
}

void ensureMeasurementTable(sqlite3* db, const QString& path)
{
    if (sqlite::hasTable(db, table, path))
        return;
    for (const QString& sql : measurementTableSql())
        sqlite::exec(db, sql, path);
}

std::vector<StoredMeasurement> readMeasurements(sqlite3* db, const QString& path)
{
    return read(db, path, QString(), QDate());
}

std::optional<StoredMeasurement> measurementOn(sqlite3* db, const QString& path, const QDate& date)
{
    std::vector<StoredMeasurement> rows = read(db, path, QStringLiteral("WHERE date = ?"), date);
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

void checkMeasurement(const health::Measurement& measurement)
{
    checkIn(measurement.waist, QStringLiteral("腰围(厘米)"), health::minimumGirth, health::maximumGirth);
    checkIn(measurement.hip, QStringLiteral("臀围(厘米)"), health::minimumGirth, health::maximumGirth);
    checkIn(measurement.fat, QStringLiteral("体脂率(%)"), health::minimumBodyFat, health::maximumBodyFat);
    if (!measurement.date.isValid())
        throw DataError(QStringLiteral("日期无效"));
    if (!measurement.waist && !measurement.hip && !measurement.fat)
        throw DataError(QStringLiteral("腰围、臀围、体脂率至少要填一项"));
}

rowchanges::Change addMeasurement(Connection& connection, const health::Measurement& measurement)
{
    checkMeasurement(measurement);
    qint64 key = 0;
    {
        Transaction transaction(connection);
        sqlite3* db = connection.handle();
        const QString path = connection.filePath();
        ensureMeasurementTable(db, path);
        if (measurementOn(db, path, measurement.date))
            throw DataError(QStringLiteral("%1 已经有一条身体围度记录，什么也没有保存")
                                .arg(measurement.date.toString(QStringLiteral("yyyy/M/d"))));
        sqlite::Statement insert(
            db, QStringLiteral("INSERT INTO measurements(date, waist, hip, fat) VALUES (?, ?, ?, ?)"), path);
        insert.bind(1, measurement.date.toString(Qt::ISODate));
        int index = 2;
        for (const QVariant& value : measures(measurement))
            insert.bind(index++, value);
        insert.step();
        key = sqlite::lastInsertRowid(db);
        transaction.commit();
    }
    return rowchanges::added(connection, table, key);
}

rowchanges::Change replaceMeasurement(Connection& connection, const StoredMeasurement& row,
                                      const health::Measurement& measurement)
{
    checkMeasurement(measurement);
    return rowchanges::update(connection, table, seen(row),
                              {QStringLiteral("waist"), QStringLiteral("hip"), QStringLiteral("fat")},
                              measures(measurement));
}

rowchanges::Change removeMeasurements(Connection& connection, const std::vector<StoredMeasurement>& rows)
{
    std::vector<rowchanges::SeenRow> seenRows;
    for (const StoredMeasurement& row : rows)
        seenRows.push_back(seen(row));
    return rowchanges::remove(connection, table, seenRows);
}

MeasurementImport importMeasurements(sqlite3* db, const QString& path, const std::vector<health::Measurement>& rows)
{
    MeasurementImport result;
    if (rows.empty())
        return result;
    ensureMeasurementTable(db, path);
    // Looked up rather than left to the date's unique index: a table that another program made may lack it.
    sqlite::Statement known(db, QStringLiteral("SELECT 1 FROM measurements WHERE date = ?"), path);
    sqlite::Statement insert(db, QStringLiteral("INSERT INTO measurements(date, waist, hip, fat) VALUES (?, ?, ?, ?)"),
                             path);
    for (const health::Measurement& row : rows) {
        const QString date = row.date.toString(Qt::ISODate);
        known.bind(1, date);
        const bool there = known.step();
        known.reset();
        if (there) {
            ++result.skipped;
            continue;
        }
        insert.bind(1, date);
        int index = 2;
        for (const QVariant& value : measures(row))
            insert.bind(index++, value);
        insert.step();
        insert.reset();
        ++result.added;
    }
    return result;
}

} // namespace datafile
