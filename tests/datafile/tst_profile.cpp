// The profile of 我的目标 in the data file: absent from older files, created by the first save, kept by a restore.
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"
#include "datafile/profile.h"
#include "support/tempdb.h"

#include <QRegularExpression>
#include <QTest>

using health::Activity;
using health::Profile;
using health::Sex;

Q_DECLARE_METATYPE(health::Profile)

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
    return {165.0, Sex::Female, 1990, 120.0, Activity::Light, std::nullopt, false};
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
        // The answer to 是否怀孕或在哺乳期？ came after the table: a made file gains its column at the first save too.
        const TempDatabase made;
        write(made, worked());
        const QString columns =
            QStringLiteral("SELECT group_concat(name || ' ' || type) FROM pragma_table_info('profile')");
        QCOMPARE(old.scalar(columns), made.scalar(columns));
        QCOMPARE(read(old), worked());

        Profile changed{172.5, Sex::Male, 1980, 150.0, Activity::Heavy, 2100, std::nullopt};
        write(old, changed);
        QCOMPARE(old.scalar(QStringLiteral("SELECT count(*) FROM profile")).toInt(), 1);
        QCOMPARE(read(old), changed);
        QCOMPARE(old.rows(QStringLiteral("SELECT * FROM profile")),
                 QStringList{QStringLiteral("172.5|男|1980|150.0|4|2100|<null>")});
    }

    void storedValuesOutsideTheEnteredRangesReadUnset()
    {
        const TempDatabase db;
        // Each a step past what the window takes: 99.9 cm, a sex it does not offer, born 2017 (aged 9 in 2026),
        // 600.1 jin, activity 5, 799 kcal.
        db.exec(QStringLiteral("INSERT INTO profile VALUES (99.9, 'x', 2017, 600.1, 5, 799)"));
        QCOMPARE(read(db), Profile{});
        // The ends themselves are kept; born 1900 she is 126, whose healthy range at 250 cm starts at 22 × 6.25 × 2 =
        // 275 jin, under the goal of 600.
        db.exec(QStringLiteral("DELETE FROM profile; INSERT INTO profile VALUES (250, '女', 1900, 600, 4, 5000)"));
        QCOMPARE(read(db), (Profile{250.0, Sex::Female, 1900, 600.0, Activity::Heavy, 5000, std::nullopt}));
    }

    void whatTheRulesNoLongerAdmitReadsUnset_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<Profile>("profile");
        // Born 2012, 14 in 2026: a child's goal and own budget are not kept; her birth year is.
        QTest::newRow("a child") << "165, '女', 2012, 100, 2, 1800, 0"
                                 << Profile{165.0,           Sex::Female,  2012, std::nullopt,
                                            Activity::Light, std::nullopt, false};
        // 800 kcal is under a woman's floor of 1,200; 1,400 under a man's of 1,500.
        QTest::newRow("a woman's 800 kcal")
            << "165, '女', 1990, 120, 2, 800, 0"
            << Profile{165.0, Sex::Female, 1990, 120.0, Activity::Light, std::nullopt, false};
        QTest::newRow("a man's 1,400 kcal")
            << "165, '男', 1990, 120, 2, 1400, NULL"
            << Profile{165.0, Sex::Male, 1990, 120.0, Activity::Light, std::nullopt, std::nullopt};
        // At 165 cm the range starts at 100.5 jin (BMI 18.45 × 2.7225 × 2 = 100.46); born 1956 she is 70, and hers at
        // 20 − 0.05 = 19.95 × 5.445 = 108.63, so 108.7.
        QTest::newRow("a goal under the range")
            << "165, '女', 1990, 100.4, 2, NULL, 1"
            << Profile{165.0, Sex::Female, 1990, std::nullopt, Activity::Light, std::nullopt, true};
        QTest::newRow("an older adult's goal under hers")
            << "165, '女', 1956, 108.6, 2, NULL, 0"
            << Profile{165.0, Sex::Female, 1956, std::nullopt, Activity::Light, std::nullopt, false};
        QTest::newRow("an older adult's goal at the end of hers")
            << "165, '女', 1956, 108.7, 2, NULL, 0"
            << Profile{165.0, Sex::Female, 1956, 108.7, Activity::Light, std::nullopt, false};
    }
    void whatTheRulesNoLongerAdmitReadsUnset()
    {
        QFETCH(QString, row);
        QFETCH(Profile, profile);
        const TempDatabase db;
        db.exec(QStringLiteral("ALTER TABLE profile ADD COLUMN pregnant INTEGER; INSERT INTO profile VALUES (%1)")
                    .arg(row));
        QCOMPARE(read(db), profile);
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
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
