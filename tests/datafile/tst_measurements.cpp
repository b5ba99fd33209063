// The body's measures in the data file: absent from older files, made by the first save, one row per date, undone
// exactly, carried by a restore and counted by the check.
#include "data/connection.h"
#include "data/errors.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"
#include "datafile/measurements.h"
#include "support/tempdb.h"

#include <QTest>

using health::Measurement;

namespace {

const QDate day(2026, 12, 7);

std::vector<Measurement> stored(const TempDatabase& db)
{
    const sqlite::Database file = sqlite::openDataFile(db.path(), sqlite::Access::Read);
    std::vector<Measurement> rows;
    for (const datafile::StoredMeasurement& row : datafile::readMeasurements(file.get(), db.path()))
        rows.push_back(row.measurement);
    return rows;
}

} // namespace

class TestMeasurements : public QObject {
    Q_OBJECT

private slots:
    void fileWithoutTheTableReadsNothingAndTheFirstSaveMakesIt()
    {
        const TempDatabase db;
        QVERIFY(stored(db).empty());
        Connection connection(db.folder());
        connection.openDatabase();
        datafile::addMeasurement(connection, {day, 86.0, std::nullopt, 31.5});
        QCOMPARE(stored(db), (std::vector<Measurement>{{day, 86.0, std::nullopt, 31.5}}));
        QCOMPARE(db.rows(QStringLiteral("SELECT * FROM measurements")),
                 QStringList{QStringLiteral("2026-12-07|86.0|<null>|31.5")});
        const datafile::Summary summary = datafile::check(db.path());
        QVERIFY(summary.others.contains(datafile::TableCount{QStringLiteral("measurements"), 1}));
    }

    void aSecondRowOfADateIsRefusedAndAReplaceKeepsTheDate()
    {
        const TempDatabase db;
        Connection connection(db.folder());
        connection.openDatabase();
        const rowchanges::Change added = datafile::addMeasurement(connection, {day, 86.0, 98.0, std::nullopt});
        QVERIFY_THROWS_EXCEPTION(DataError,
                                 datafile::addMeasurement(connection, {day, 85.0, std::nullopt, std::nullopt}));
        const rowchanges::Change replaced = datafile::replaceMeasurement(
            connection, {added.rows.front().key, {day, 86.0, 98.0, std::nullopt}}, {day, 85.0, std::nullopt, 30.0});
        QCOMPARE(stored(db), (std::vector<Measurement>{{day, 85.0, std::nullopt, 30.0}}));
        rowchanges::undo(connection, replaced);
        QCOMPARE(stored(db), (std::vector<Measurement>{{day, 86.0, 98.0, std::nullopt}}));
        const rowchanges::Change removed =
            datafile::removeMeasurements(connection, {{added.rows.front().key, {day, 86.0, 98.0, std::nullopt}}});
        QVERIFY(stored(db).empty());
        rowchanges::undo(connection, removed);
        QCOMPARE(stored(db), (std::vector<Measurement>{{day, 86.0, 98.0, std::nullopt}}));
        // Another program moved the key to another date: the row read before is no longer there to change.
        db.exec(QStringLiteral("UPDATE measurements SET date = '2026-12-01'"));
        QVERIFY_THROWS_EXCEPTION(DataError, datafile::replaceMeasurement(
                                                connection, {added.rows.front().key, {day, 86.0, 98.0, std::nullopt}},
                                                {day, 80.0, std::nullopt, std::nullopt}));
        QCOMPARE(stored(db).front().waist, 86.0);
    }

    void valuesOutsideTheRangesAreRefusedByNameAndReadAsMissing_data()
    {
        QTest::addColumn<double>("waist");
        QTest::addColumn<double>("hip");
        QTest::addColumn<double>("fat");
        QTest::addColumn<QString>("message");
        QTest::newRow("waist 39.9") << 39.9 << 98.0 << 30.0 << QStringLiteral("腰围(厘米)要填 40 到 200 之间的数");
        QTest::newRow("hip 200.1") << 86.0 << 200.1 << 30.0 << QStringLiteral("臀围(厘米)要填 40 到 200 之间的数");
        QTest::newRow("fat 2.9") << 86.0 << 98.0 << 2.9 << QStringLiteral("体脂率(%)要填 3 到 70 之间的数");
        QTest::newRow("fat 70.1") << 86.0 << 98.0 << 70.1 << QStringLiteral("体脂率(%)要填 3 到 70 之间的数");
    }
    void valuesOutsideTheRangesAreRefusedByNameAndReadAsMissing()
    {
        QFETCH(double, waist);
        QFETCH(double, hip);
        QFETCH(double, fat);
        QFETCH(QString, message);
        const TempDatabase db;
        Connection connection(db.folder());
        connection.openDatabase();
        try {
            datafile::addMeasurement(connection, {day, waist, hip, fat});
            QFAIL("accepted");
        } catch (const DataError& e) {
            QCOMPARE(e.message(), message);
        }
        QVERIFY(stored(db).empty());
        // The same values written by another program read as missing; the ends themselves are kept.
        db.exec(QStringLiteral("CREATE TABLE measurements (date TEXT, waist REAL, hip REAL, fat REAL);"
                               "INSERT INTO measurements VALUES ('2026-12-07', %1, %2, %3);"
                               "INSERT INTO measurements VALUES ('2026-12-08', 40, 200, 70);")
                    .arg(waist)
                    .arg(hip)
                    .arg(fat));
        const std::vector<Measurement> rows = stored(db);
        QCOMPARE(rows.size(), 2u);
        QVERIFY(!rows[0].waist || !rows[0].hip || !rows[0].fat);
        QCOMPARE(rows[1], (Measurement{day.addDays(1), 40.0, 200.0, 70.0}));
    }

    void restoreBringsTheMeasurementsAndImportSkipsKnownDates()
    {
        const TempDatabase live;
        const TempDatabase saved;
        {
            const sqlite::Database file = sqlite::openDataFile(saved.path(), sqlite::Access::Write);
            sqlite::Transaction transaction(file);
            const datafile::MeasurementImport first = datafile::importMeasurements(
                file.get(), saved.path(),
                {{day, 86.0, std::nullopt, std::nullopt}, {day.addDays(1), 85.0, std::nullopt, std::nullopt}});
            QCOMPARE(first.added, 2);
            const datafile::MeasurementImport again =
                datafile::importMeasurements(file.get(), saved.path(), {{day, 70.0, std::nullopt, std::nullopt}});
            QCOMPARE(again.added, 0);
            QCOMPARE(again.skipped, 1);
            transaction.commit();
        }
        datafile::restore(live.path(), saved.path(), QDateTime(day, QTime(12, 0)));
        QCOMPARE(stored(live).size(), 2u);
        QCOMPARE(stored(live).front().waist, 86.0);
    }

    void importIntoATableWithoutTheDatesIndexSkipsKnownDates()
    {
        // Made by another program, without the unique index on the date.
        const TempDatabase db(TempDatabase::standardSchema() +
                              QStringLiteral("CREATE TABLE measurements (date TEXT, waist REAL, hip REAL, fat REAL);"
                                             "INSERT INTO measurements VALUES ('2026-12-07', 86, NULL, NULL);"));
        const sqlite::Database file = sqlite::openDataFile(db.path(), sqlite::Access::Write);
        const datafile::MeasurementImport result = datafile::importMeasurements(
            file.get(), db.path(),
            {{day, 70.0, std::nullopt, std::nullopt}, {day.addDays(1), 85.0, std::nullopt, std::nullopt}});
        QCOMPARE(result.added, 1);
        QCOMPARE(result.skipped, 1);
        QCOMPARE(db.rows(QStringLiteral("SELECT date, waist FROM measurements ORDER BY date")),
                 (QStringList{QStringLiteral("2026-12-07|86.0"), QStringLiteral("2026-12-08|85.0")}));
    }
};

QTEST_GUILESS_MAIN(TestMeasurements)
#include "tst_measurements.moc"
