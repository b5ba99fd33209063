// Restores while the diary is being saved, and commands whose commit meets a failing write or sync: every entry that
// was reported saved survives somewhere, and every command says whether its change was made.
#include "faultvfs.h"
#include "support.h"
#include "support/tempdb.h"

#include "data/connection.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/csv.h"

#include <QDir>
#include <QSet>
#include <QtTest>
#include <atomic>
#include <cerrno>
#include <thread>
#include <unistd.h>

using namespace reliability;

namespace {

QSet<QString> texts(const QString& path)
{
    QSet<QString> out;
    const sqlite::Database db = sqlite::open(path, sqlite::OpenMode::ReadOnly);
    sqlite::Statement rows(db.get(), QStringLiteral("SELECT demo FROM rj"), path);
    while (rows.step())
        out.insert(rows.value(0).toString());
    return out;
}

} // namespace

class TestRestore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { faultvfs::install(); }

    void noEntrySavedDuringRestoresIsLost()
    {
        TempDatabase live;
        TempDatabase source;
        source.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-01-01 08:00:00.000', 'from the backup', 130)"));
        std::atomic<bool> stop = false;
        std::atomic<int> saved = 0;
        QSet<QString> acknowledged;
        std::atomic<int> refused = 0;
        // The window's way of saving: its own connection, one entry per commit, every 2 ms.
        std::thread writer([&] {
            Connection connection(live.folder());
            connection.openDatabase();
            sqlite::Statement insert(connection.handle(),
                                     QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', ?, 120)"),
                                     live.path());
            for (int n = 0; !stop; ++n) {
                const QString text = QStringLiteral("saved %1").arg(n);
                try {
                    insert.bind(1, text);
                    insert.step();
                    insert.reset();
                    acknowledged.insert(text);
                    ++saved;
                } catch (const DataError&) {
                    insert.reset();
                    ++refused;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        const int restores = runs(25, 1000);
        const QDateTime start(QDate(2026, 12, 7), QTime(9, 0));
        QStringList failures;
        for (int i = 0; i < restores; ++i) {
            // At least one entry saved since the last restore, so that every restore has something to lose.
            for (const int last = saved; saved == last && refused < 1000;)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            try {
                datafile::restore(live.path(), source.path(), start.addSecs(i));
            } catch (const DataError& e) {
                failures << e.message();
            }
        }
        stop = true;
        writer.join();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));

        QSet<QString> kept = texts(live.path());
        const QDir backups(datafile::backupFolder(live.path()));
        const QStringList copies = backups.entryList({QStringLiteral("before-restore-*.Mdb")}, QDir::Files);
        QCOMPARE(copies.size(), restores);
        for (const QString& copy : copies)
            kept.unite(texts(backups.filePath(copy)));
        const QSet<QString> lost = acknowledged - kept;
        qInfo("restore race: %d restores, %lld entries saved, %d saves refused, %lld lost", restores,
              static_cast<long long>(acknowledged.size()), refused.load(), static_cast<long long>(lost.size()));
        QVERIFY(acknowledged.size() > restores);
        QVERIFY2(lost.isEmpty(), qPrintable(QStringList(lost.values()).join(u' ')));
    }

    // Failing each counted operation of a command in turn, once or from then on (a disk that has gone bad): either it
    // fails and the diary is as it was, or it reports its change made, and then the change is there; past the commit
    // point it says that the change may not be on disk.
    void everyCommandSaysExactlyWhatHappened_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("persistent");
        QTest::newRow("import") << "import" << false;
        QTest::newRow("restore") << "restore" << false;
        QTest::newRow("restore, every operation from then on") << "restore" << true;
    }

    void everyCommandSaysExactlyWhatHappened()
    {
        QFETCH(QString, command);
        QFETCH(bool, persistent);
        const QByteArray csv = "时间,体重(斤),日记\n2026-12-01 08:00,1,a\n2026-12-02 08:00,1,b\n2026-12-03 08:00,1,c\n";
        TempDatabase source;
        source.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-01-01 08:00:00.000', 'a', 1);"
                                   "INSERT INTO rj VALUES ('2026-01-02 08:00:00.000', 'b', 1);"));
        const QDateTime now(QDate(2026, 12, 7), QTime(9, 0));
        // Returns whether the command reported its change made, and how durably.
        const auto run = [&](const TempDatabase& db) {
            if (command == u"import")
                return datafile::importCsv(db.path(), csv, QStringLiteral("d.csv")).durability;
            return datafile::restore(db.path(), source.path(), now).durability;
        };
        const QStringList before{"before"};
        const QStringList after = command == u"import" ? QStringList{"before", "a", "b", "c"} : QStringList{"a", "b"};
        int operations = 0;
        {
            TempDatabase db;
            faultvfs::watch(db.folder());
            run(db);
            operations = faultvfs::operationCount();
            faultvfs::stopWatching();
        }
        QVERIFY(operations > 3);
        int madeButMaybeNotOnDisk = 0;
        for (int n = 1; n <= operations; ++n) {
            TempDatabase db;
            db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-11-30 08:00:00.000', 'before', 1)"));
            faultvfs::watch(db.folder());
            faultvfs::failAt(n, faultvfs::Fault::IoError, persistent);
            bool reportedMade = false;
            try {
                if (run(db) == datafile::Durability::MaybeNotOnDisk)
                    ++madeButMaybeNotOnDisk;
                reportedMade = true;
            } catch (const DataError&) {
            }
            faultvfs::stopWatching();
            const QStringList rows = db.rows(QStringLiteral("SELECT demo FROM rj ORDER BY time"));
            QVERIFY2(rows == (reportedMade ? after : before),
                     qPrintable(QStringLiteral("operation %1 of %2 failed: reported %3, diary %4\n%5")
                                    .arg(n)
                                    .arg(operations)
                                    .arg(reportedMade ? "made" : "failed", rows.join(u','))
                                    .arg(faultvfs::trace().join(u'\n'))));
        }
        // The last operation is the folder's sync after the journal is gone: the change is made by then.
        QVERIFY(madeButMaybeNotOnDisk >= 1);
    }

    void aFileWhoseSyncFailsIsNotReportedWritten_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("failingSync");
        QTest::addColumn<bool>("made");
        QTest::newRow("export, the file's sync") << "export" << 1 << false;
        QTest::newRow("export, the folder's sync") << "export" << 2 << true;
        QTest::newRow("backup, the file's sync") << "backup" << 1 << false;
        QTest::newRow("backup, the folder's sync") << "backup" << 2 << true;
    }

    void aFileWhoseSyncFailsIsNotReportedWritten()
    {
        QFETCH(QString, command);
        QFETCH(int, failingSync);
        QFETCH(bool, made);
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'a', 1)"));
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("copy"));
        static int calls = 0;
        static int failing = 0;
        calls = 0;
        failing = failingSync;
        datafile::setSyncFunction([](int fd) {
            if (++calls == failing) {
                errno = EIO;
                return -1;
            }
            return ::fsync(fd);
        });
        datafile::Durability durability = datafile::Durability::OnDisk;
        bool reportedMade = false;
        try {
            durability = command == u"export" ? datafile::exportCsvFile(db.path(), target).durability
                                              : datafile::writeBackup(db.path(), target).durability;
            reportedMade = true;
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("没有改动")), qPrintable(e.message()));
        }
        datafile::setSyncFunction(nullptr);
        QCOMPARE(reportedMade, made);
        QCOMPARE(QFileInfo::exists(target), made);
        if (made)
            QCOMPARE(durability, datafile::Durability::MaybeNotOnDisk);
        // No partial copy is left either way.
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), made ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestRestore)
#include "tst_restore.moc"
