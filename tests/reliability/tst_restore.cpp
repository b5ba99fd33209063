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
#include <thread>

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

    // Failing each counted operation of an import's commit in turn: either the import fails and the diary is as it
    // was, or it reports the entries added, and then they are there; past the commit point it says so.
    void importSaysExactlyWhatHappened()
    {
        const QByteArray csv = "时间,体重(斤),日记\n2026-12-01 08:00,1,a\n2026-12-02 08:00,1,b\n2026-12-03 08:00,1,c\n";
        int operations = 0;
        {
            TempDatabase db;
            faultvfs::watch(db.folder());
            datafile::importCsv(db.path(), csv, QStringLiteral("d.csv"));
            operations = faultvfs::operationCount();
            faultvfs::stopWatching();
        }
        QVERIFY(operations > 3);
        int madeButMaybeNotOnDisk = 0;
        for (int n = 1; n <= operations; ++n) {
            TempDatabase db;
            db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-11-30 08:00:00.000', 'before', 1)"));
            faultvfs::watch(db.folder());
            faultvfs::failAt(n, faultvfs::Fault::IoError, false);
            bool reportedMade = false;
            try {
                const datafile::ImportResult result = datafile::importCsv(db.path(), csv, QStringLiteral("d.csv"));
                reportedMade = true;
                QCOMPARE(result.added, 3);
                if (result.durability == datafile::Durability::MaybeNotOnDisk)
                    ++madeButMaybeNotOnDisk;
            } catch (const DataError&) {
            }
            faultvfs::stopWatching();
            const int rows = db.scalar(QStringLiteral("SELECT count(*) FROM rj")).toInt();
            QVERIFY2(rows == (reportedMade ? 4 : 1),
                     qPrintable(QStringLiteral("operation %1 of %2 failed: reported %3, %4 rows\n%5")
                                    .arg(n)
                                    .arg(operations)
                                    .arg(reportedMade ? "made" : "failed")
                                    .arg(rows)
                                    .arg(faultvfs::trace().join(u'\n'))));
        }
        // The last operation is the folder's sync after the journal is gone: the change is made by then.
        QVERIFY(madeButMaybeNotOnDisk >= 1);
    }
};

QTEST_GUILESS_MAIN(TestRestore)
#include "tst_restore.moc"
