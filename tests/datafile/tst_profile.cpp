// The profile of 我的目标 in the data file: absent from older files, created by the first save, kept by a restore.
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"
#include "datafile/profile.h"
#include "datafile/settings.h"
#include "support/tempdb.h"

#include <QRegularExpression>
#include <QTest>

using health::Activity;
using health::Profile;
using health::Sex;

namespace {

constexpr int thisYear = 2026;

// The schema of every file made before the profile existed.
QString schemaWithoutProfile()
{
    QString sql = TempDatabase::standardSchema();
    sql.remove(QRegularExpression(QStringLiteral("CREATE TABLE profile\\s*\\([^;]*\\);")));
    return sql;
}

Profile worked()
{
    return {165.0, Sex::Female, 1990, 120.0, Activity::Light, std::nullopt};
}

Profile read(const TempDatabase& db)
{
    const sqlite::Database file = sqlite::openDataFile(db.path(), sqlite::Access::Read);
    return datafile::readProfile(file.get(), db.path(), thisYear);
}

void write(const TempDatabase& db, const Profile& profile)
{
    const sqlite::Database file = sqlite::openDataFile(db.path(), sqlite::Access::Write);
    datafile::writeProfile(file.get(), db.path(), profile);
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT

private slots:
    void fileWithoutTheTableReadsUnsetAndChecksClean()
    {
        const TempDatabase old(schemaWithoutProfile());
        QCOMPARE(read(old), Profile{});
        QCOMPARE(datafile::check(old.path()).contentVersion, 0);
    }

    void firstSaveCreatesTheSchemasTableAndLaterSavesReplaceTheRow()
    {
        const TempDatabase old(schemaWithoutProfile());
        write(old, worked());
        const TempDatabase made;
        const QString columns =
            QStringLiteral("SELECT group_concat(name || ' ' || type) FROM pragma_table_info('profile')");
        QCOMPARE(old.scalar(columns), made.scalar(columns));
        QCOMPARE(read(old), worked());

        Profile changed{172.5, Sex::Male, 1980, 150.0, Activity::Heavy, 2100};
        write(old, changed);
        QCOMPARE(old.scalar(QStringLiteral("SELECT count(*) FROM profile")).toInt(), 1);
        QCOMPARE(read(old), changed);
        QCOMPARE(old.rows(QStringLiteral("SELECT * FROM profile")),
                 QStringList{QStringLiteral("172.5|男|1980|150.0|4|2100")});
    }

    void storedValuesOutsideTheEnteredRangesReadUnset()
    {
        const TempDatabase db;
        // Each a step past what the window takes: 99.9 cm, a sex it does not offer, born 2017 (aged 9 in 2026),
        // 600.1 jin, activity 5, 799 kcal.
        db.exec(QStringLiteral("INSERT INTO profile VALUES (99.9, 'x', 2017, 600.1, 5, 799)"));
        QCOMPARE(read(db), Profile{});
        db.exec(QStringLiteral("DELETE FROM profile; INSERT INTO profile VALUES (250, '女', 2016, 40, 1, 5000)"));
        QCOMPARE(read(db), (Profile{250.0, Sex::Female, 2016, 40.0, Activity::Sedentary, 5000}));
    }

    void restoreBringsTheProfileIntoAFileWithoutIt()
    {
        const TempDatabase live(schemaWithoutProfile());
        const TempDatabase saved;
        write(saved, worked());
        datafile::restore(live.path(), saved.path(), QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
        QCOMPARE(read(live), worked());
        QCOMPARE(datafile::check(live.path()).rows(QStringLiteral("rj")), 0);
    }

    // A choice kept between runs: none in a file without the table; the first write makes it, a later one replaces
    // the value; a backup restored brings it, and the check counts it.
    void aSettingIsKeptAndTravelsWithTheFile()
    {
        const TempDatabase live;
        const auto setting = [](const TempDatabase& db) {
            const sqlite::Database file = sqlite::openDataFile(db.path(), sqlite::Access::Read);
            return datafile::readSetting(file.get(), db.path(), QStringLiteral("curve.trend"));
        };
        const auto store = [](const TempDatabase& db, const QString& value) {
            const sqlite::Database file = sqlite::openDataFile(db.path(), sqlite::Access::Write);
            datafile::writeSetting(file.get(), db.path(), QStringLiteral("curve.trend"), value);
        };
        QCOMPARE(setting(live), std::nullopt);
        store(live, QStringLiteral("1"));
        store(live, QStringLiteral("0"));
        QCOMPARE(setting(live), std::optional<QString>(QStringLiteral("0")));
        QCOMPARE(datafile::check(live.path()).rows(QStringLiteral("settings")), 1);
        const TempDatabase saved;
        store(saved, QStringLiteral("1"));
        datafile::restore(live.path(), saved.path(), QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
        QCOMPARE(setting(live), std::optional<QString>(QStringLiteral("1")));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
