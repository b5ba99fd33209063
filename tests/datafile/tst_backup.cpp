// Checked backups, their rotation and restore, against real files.
#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"
#include "support/tempdb.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <atomic>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

namespace {

QByteArray bytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// The file's modification time as the test's clock would have set it: the tests' `now` is not the machine's.
void stamp(const QString& path, const QDateTime& when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// A file as an earlier day left it.
void writeDated(const QString& path, const QByteArray& content, const QDateTime& when)
{
    write(path, content);
    stamp(path, when);
}

QStringList names(const QStringList& paths)
{
    QStringList out;
    for (const QString& path : paths)
        out << QFileInfo(path).fileName();
    return out;
}

const QDateTime noon(QDate(2026, 12, 7), QTime(12, 0, 0));

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void backupWhileAnotherConnectionWrites()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO plan VALUES ('周一')"));
        std::atomic<bool> stop = false;
        std::atomic<int> written = 0;
        // A diary being saved now and then, as the program saves it; joined however the test ends.
        struct Joined : std::thread {
            using std::thread::thread;
            std::atomic<bool>* stop = nullptr;
            ~Joined()
            {
                *stop = true;
                join();
            }
        };
        Joined writer([&] {
            sqlite::Database other;
            try {
                other = sqlite::open(db.path(), sqlite::OpenMode::ReadWrite);
            } catch (const DataError&) {
                return; // nothing written: the wait for writes below fails
            }
            sqlite3_busy_timeout(other.get(), 5000);
            while (!stop) {
                if (sqlite3_exec(other.get(), "INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'x', 120)", nullptr,
                                 nullptr, nullptr) == SQLITE_OK)
                    ++written;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        writer.stop = &stop;
        QTRY_VERIFY(written > 20);
        QTemporaryDir out;
        qint64 previous = -1;
        for (int i = 0; i < 5; ++i) {
            const QString target = out.filePath(QStringLiteral("b%1.Mdb").arg(i));
            const datafile::Summary copied = datafile::writeBackup(db.path(), target).copied;
            const datafile::Summary checked = datafile::check(target);
            QCOMPARE(checked.rows(QStringLiteral("rj")), copied.rows(QStringLiteral("rj")));
            QVERIFY(copied.rows(QStringLiteral("rj")) >= previous);
            previous = copied.rows(QStringLiteral("rj"));
            QCOMPARE(QFile::permissions(target) & 0x0077, QFileDevice::Permissions{});
        }
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
    }

    void restoreRefusesWhatIsNoSoundTevuFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("damaged") << "damaged" << QStringLiteral("已损坏");
        QTest::newRow("not a database") << "text" << QStringLiteral("不是有效的数据库文件");
        QTest::newRow("missing a table") << "no plan" << QStringLiteral("没有表“plan”");
        QTest::newRow("missing a field") << "no lb" << QStringLiteral("没有字段“lb”");
        QTest::newRow("a trigger on the diary") << "trigger" << QStringLiteral("触发器“t”");
        QTest::newRow("a view") << "view" << QStringLiteral("视图“v”");
        QTest::newRow("a table of another program") << "table" << QStringLiteral("表“other”");
        // Only the full integrity check sees a damaged index page: counting the rows still works.
        QTest::newRow("damaged index") << "index" << QStringLiteral("已损坏");
    }

    void restoreRefusesWhatIsNoSoundTevuFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, inMessage);
        TempDatabase live;
        live.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'mine', 120)"));
        const QByteArray before = bytes(live.path());
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("bad.Mdb"));
        if (kind == u"text") {
            write(bad, "时间,体重(斤),日记\r\n");
        } else if (kind == u"damaged") {
            TempDatabase big;
            big.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                                    "INSERT INTO rj SELECT '2026-12-07 08:00:00.000', printf('%0500d', i), i FROM n"));
            QByteArray image = bytes(big.path());
            // Noise over a page in the middle of the diary's tree.
            for (qsizetype i = image.size() / 2; i < image.size() / 2 + 4096; ++i)
                image[i] = static_cast<char>(i * 7);
            write(bad, image);
        } else if (kind == u"trigger" || kind == u"view" || kind == u"table") {
            TempDatabase other;
            other.exec(kind == u"trigger"
                           ? QStringLiteral("CREATE TRIGGER t AFTER INSERT ON rj BEGIN DELETE FROM rj; END")
                       : kind == u"view" ? QStringLiteral("CREATE VIEW v AS SELECT * FROM rj")
                                         : QStringLiteral("CREATE TABLE other(x)"));
            QVERIFY(QFile::copy(other.path(), bad));
        } else if (kind == u"index") {
            TempDatabase other;
            // The index holds the times while the schema says it holds the texts: the rows still count.
            other.exec(QStringLiteral("CREATE INDEX rj_time ON rj(time);"
                                      "INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'b', 1);"
                                      "INSERT INTO rj VALUES ('2026-12-08 08:00:00.000', 'a', 1);"
                                      "PRAGMA writable_schema=ON;"
                                      "UPDATE sqlite_master SET sql = 'CREATE INDEX rj_time ON rj(demo)' "
                                      "WHERE name = 'rj_time'"));
            QVERIFY(QFile::copy(other.path(), bad));
            QCOMPARE(datafile::countRows(sqlite::open(bad, sqlite::OpenMode::ReadOnly).get(), bad).back().rows, 0);
        } else {
            const QString content = QStringLiteral("CREATE TABLE \"02\"(Name); CREATE TABLE \"01\"(Name, Title, sz);"
                                                   "CREATE TABLE sp(Name, demo); CREATE TABLE yd(Name, demo);"
                                                   "CREATE TABLE xd(Name, demo);");
            TempDatabase other(kind == u"no plan"
                                   ? content + QStringLiteral("CREATE TABLE rj(time, demo, lb);")
                                   : content +
                                         QStringLiteral("CREATE TABLE rj(time, demo); CREATE TABLE plan(foodsport);"));
            QVERIFY(QFile::copy(other.path(), bad));
        }
        try {
            datafile::restore(live.path(), bad, noon);
            QFAIL("the restore went through");
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(inMessage), qPrintable(e.message()));
            QVERIFY2(e.message().contains(bad), qPrintable(e.message()));
        }
        QCOMPARE(bytes(live.path()), before);
        QVERIFY(!QFileInfo::exists(datafile::backupFolder(live.path())));
    }

    // A backup whose diary was changed by another tool: its rows come back, its definitions do not. Afterwards two
    // entries of one weight, an entry without a weight and one of every column the program writes are saved as ever,
    // and the diary has the program's three columns alone.
    void restoreTakesTheRowsButNotTheSourcesDefinitions_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("a unique index") << "CREATE UNIQUE INDEX u ON rj(lb)";
        QTest::newRow("a weight that may not be missing")
            << "CREATE TABLE x(time DATETIME, demo TEXT, lb REAL NOT NULL); INSERT INTO x SELECT * FROM rj; "
               "DROP TABLE rj; ALTER TABLE x RENAME TO rj";
        QTest::newRow("an extra column with a default") << "ALTER TABLE rj ADD COLUMN mood TEXT DEFAULT 'happy'";
        QTest::newRow("a check on the text")
            << "CREATE TABLE x(time DATETIME, demo TEXT CHECK (length(demo) < 3), lb REAL); INSERT INTO x SELECT * "
               "FROM rj; DROP TABLE rj; ALTER TABLE x RENAME TO rj";
    }

    void restoreTakesTheRowsButNotTheSourcesDefinitions()
    {
        QFETCH(QString, change);
        TempDatabase live;
        TempDatabase saved;
        saved.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-01-01 08:00:00.000', 'a', 130);") + change);
        datafile::restore(live.path(), saved.path(), noon);
        live.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', '同样的体重', 130);"
                                 "INSERT INTO rj VALUES ('2026-12-08 08:00:00.000', '没有体重', NULL);"));
        QCOMPARE(live.rows(QStringLiteral("SELECT demo, quote(lb) FROM rj ORDER BY rowid")),
                 (QStringList{"a|130.0", "同样的体重|130.0", "没有体重|NULL"}));
        QCOMPARE(live.rows(QStringLiteral("SELECT name FROM pragma_table_info('rj')")),
                 (QStringList{"time", "demo", "lb"}));
        QCOMPARE(live.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE tbl_name = 'rj'")).toInt(), 1);
    }

    void restoreKeepsTheCurrentFileAndThenChecksClean()
    {
        TempDatabase live;
        live.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'now', 120)"));
        TempDatabase saved;
        saved.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-01-01 08:00:00.000', 'a', 130);"
                                  "INSERT INTO rj VALUES ('2026-06-30 08:00:00.000', 'b', 125);"
                                  "INSERT INTO rj VALUES ('2026-03-01 08:00:00.000', 'c', 128);"));
        const datafile::RestoreResult result = datafile::restore(live.path(), saved.path(), noon);
        QCOMPARE(result.restored.rows(QStringLiteral("rj")), 3);
        QCOMPARE(result.firstTime, QStringLiteral("2026-01-01 08:00:00.000"));
        QCOMPARE(result.lastTime, QStringLiteral("2026-06-30 08:00:00.000"));
        QCOMPARE(live.rows(QStringLiteral("SELECT demo FROM rj ORDER BY rowid")), (QStringList{"a", "b", "c"}));
        QCOMPARE(datafile::check(live.path()).rows(QStringLiteral("rj")), 3);
        QCOMPARE(QFileInfo(result.safetyCopy).fileName(), QStringLiteral("before-restore-20261207-120000.Mdb"));
        QCOMPARE(datafile::check(result.safetyCopy).rows(QStringLiteral("rj")), 1);
    }

    void restoreOfTheOldestOfTenBackupsKeepsEveryOne_data()
    {
        QTest::addColumn<bool>("backedUpToday");
        QTest::newRow("first restore of the day") << false;
        QTest::newRow("after today's automatic backup") << true;
    }

    void restoreOfTheOldestOfTenBackupsKeepsEveryOne()
    {
        QFETCH(bool, backedUpToday);
        TempDatabase live;
        live.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'today', 120)"));
        const QString folder = datafile::backupFolder(live.path());
        QVERIFY(QDir().mkpath(folder));
        // Ten in all: today's automatic one among them in the second case.
        QStringList ten;
        for (int day = 1; day <= (backedUpToday ? 9 : 10); ++day) {
            TempDatabase old;
            old.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-11-%1 08:00:00.000', 'old', 130)")
                         .arg(day, 2, 10, QLatin1Char('0')));
            ten << QDir(folder).filePath(QStringLiteral("data-202611%1-080000.Mdb").arg(day, 2, 10, QLatin1Char('0')));
            QVERIFY(QFile::copy(old.path(), ten.back()));
            stamp(ten.back(), QDateTime(QDate(2026, 11, day), QTime(8, 0)));
        }
        if (backedUpToday) {
            const datafile::AutomaticResult today = datafile::automaticBackup(live.path(), noon.addSecs(-3600));
            QCOMPARE(today.outcome, datafile::AutomaticOutcome::Written);
            stamp(today.path, noon.addSecs(-3600));
        }
        const QStringList before = datafile::automaticBackups(folder);

        const datafile::RestoreResult result = datafile::restore(live.path(), ten.front(), noon);
        QCOMPARE(live.rows(QStringLiteral("SELECT time FROM rj")), QStringList{"2026-11-01 08:00:00.000"});
        QCOMPARE(datafile::automaticBackups(folder), before);
        QCOMPARE(datafile::check(result.safetyCopy).rows(QStringLiteral("rj")), 1);
        QCOMPARE(datafile::automaticBackup(live.path(), noon.addSecs(60)).outcome,
                 backedUpToday ? datafile::AutomaticOutcome::AlreadyToday : datafile::AutomaticOutcome::Written);
    }

    void backupNamedInTheFutureTakesNoOtherOnesPlace()
    {
        TempDatabase live;
        const QString folder = datafile::backupFolder(live.path());
        QVERIFY(QDir().mkpath(folder));
        const QString future = QDir(folder).filePath(QStringLiteral("data-20300101-080000.Mdb"));
        writeDated(future, "x", QDateTime(QDate(2026, 11, 1), QTime(8, 0)));
        // Ten starts on ten days, the clock behind the newest name all along.
        QStringList written;
        for (int day = 0; day < 10; ++day) {
            const datafile::AutomaticResult result = datafile::automaticBackup(live.path(), noon.addDays(day));
            QCOMPARE(result.outcome, datafile::AutomaticOutcome::Written);
            QVERIFY(QFileInfo::exists(result.path));
            written << result.path;
            stamp(result.path, noon.addDays(day));
        }
        QCOMPARE(datafile::automaticBackups(folder), QStringList(written) << future);
    }

    void restoreKeepsTheDataFilesOwnJournalModeAndItsLink()
    {
        TempDatabase live;
        live.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'now', 120)"));
        TempDatabase saved;
        saved.exec(
            QStringLiteral("PRAGMA journal_mode=WAL; INSERT INTO rj VALUES ('2026-01-01 08:00:00.000', 'a', 130)"));
        QTemporaryDir elsewhere;
        const QString link = elsewhere.filePath(QStringLiteral("data.Mdb"));
        QVERIFY(QFile::link(live.path(), link));

        datafile::restore(link, saved.path(), noon);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(live.rows(QStringLiteral("SELECT demo FROM rj")), QStringList{"a"});
        // Bytes 18 and 19 of the header: 1 for a rollback journal, 2 for write-ahead.
        QCOMPARE(bytes(live.path()).mid(18, 2), QByteArray("\x01\x01"));
        QVERIFY(!QFileInfo::exists(live.path() + QStringLiteral("-wal")));
        QVERIFY(!QFileInfo::exists(datafile::backupFolder(link)));

        // With no data file yet, the copy made in place takes the rollback journal too.
        QFile::remove(live.path());
        datafile::restore(live.path(), saved.path(), noon);
        QCOMPARE(bytes(live.path()).mid(18, 2), QByteArray("\x01\x01"));
    }

    void rotationKeepsTheNewestTenAndNothingElseIsTouched()
    {
        TempDatabase live;
        const QString folder = datafile::backupFolder(live.path());
        QVERIFY(QDir().mkpath(folder));
        QStringList old;
        for (int day = 1; day <= 12; ++day)
            old << QStringLiteral("data-202611%1-080000.Mdb").arg(day, 2, 10, QLatin1Char('0'));
        const QStringList others{"notes.txt",
                                 "data-20261101-080000.Mdb.bak",
                                 "data-2026.Mdb",
                                 "damaged-20261101-080000.Mdb",
                                 "Data-20261101-080000.Mdb",
                                 "data-2026110a-080000.Mdb",
                                 "data-20261101_080000.Mdb",
                                 "data-20261101-08000０.Mdb"};
        for (const QString& name : old + others)
            writeDated(QDir(folder).filePath(name), "x", QDateTime(QDate(2026, 11, 1), QTime(8, 0)));

        const datafile::AutomaticResult result = datafile::automaticBackup(live.path(), noon);
        QCOMPARE(result.outcome, datafile::AutomaticOutcome::Written);
        stamp(result.path, noon);
        QStringList expected = old.mid(3);
        expected << QStringLiteral("data-20261207-120000.Mdb");
        QCOMPARE(names(datafile::automaticBackups(folder)), expected);
        for (const QString& name : others)
            QVERIFY2(QFileInfo::exists(QDir(folder).filePath(name)), qPrintable(name));
        QCOMPARE(datafile::check(result.path).rows(QStringLiteral("plan")), 0);

        // Once a day: later the same day nothing more is written.
        QCOMPARE(datafile::automaticBackup(live.path(), noon.addSecs(3600)).outcome,
                 datafile::AutomaticOutcome::AlreadyToday);
        QCOMPARE(datafile::automaticBackups(folder).size(), 10);
    }

    void readOnlyDataFileMakesNoBackup()
    {
        TempDatabase live;
        QVERIFY(QFile::setPermissions(live.path(), QFileDevice::ReadOwner));
        if (QFileInfo(live.path()).isWritable())
            QSKIP("running as root: a read-only file stays writable");
        QCOMPARE(datafile::automaticBackup(live.path(), noon).outcome, datafile::AutomaticOutcome::ReadOnly);
        QVERIFY(!QFileInfo::exists(datafile::backupFolder(live.path())));
    }

    void readOnlyFileWithAnInterruptedWriteSaysSo()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'kept', 120)"));
        QTemporaryDir killed;
        const QString path = killed.filePath(QStringLiteral("data.Mdb"));
        db.copyWithInterruptedWrite(path);
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        if (QFileInfo(path).isWritable())
            QSKIP("running as root: a read-only file stays writable");
        try {
            datafile::check(path);
            QFAIL("a file with an interrupted write was read as it is");
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("保存被中断")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("只读")), qPrintable(e.message()));
        }
        QVERIFY(QFileInfo::exists(path + QStringLiteral("-journal")));
    }

    void failedBackupNamesTheFolderAndLeavesNothing()
    {
        TempDatabase live;
        // A file where the folder should be: nothing can be written there.
        write(datafile::backupFolder(live.path()), "in the way");
        try {
            datafile::automaticBackup(live.path(), noon);
            QFAIL("the backup went through");
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(datafile::backupFolder(live.path())), qPrintable(e.message()));
        }
        QCOMPARE(QDir(live.folder()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
