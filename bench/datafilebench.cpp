// The data file's commands and the automatic backup, measured.
#include "bench/datafilebench.h"

#include "app/autobackup.h"
#include "bench/datagen.h"
#include "bench/measure.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <stdexcept>

namespace bench {

namespace {

// Milliseconds from start to exit of one program run; a failed run throws.
double timed(const QString& program, const QStringList& arguments, const QString& standardOutput = {})
{
    QProcess process;
    if (!standardOutput.isEmpty())
        process.setStandardOutputFile(standardOutput);
    const qint64 start = nowNs();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error(
            QStringLiteral("%1 %2 failed: %3")
                .arg(program, arguments.join(u' '), QString::fromUtf8(process.readAllStandardError()).right(200))
                .toStdString());
    return msBetween(start, nowNs());
}

void expectEntries(const QString& path, qint64 entries)
{
    const qint64 found = scalar(path, QStringLiteral("SELECT count(*) FROM rj"));
    if (found != entries)
        throw std::runtime_error(
            QStringLiteral("%1 holds %2 entries, not %3").arg(path).arg(found).arg(entries).toStdString());
}

} // namespace

int runDataFile(const QString& folder, const QString& tevu, int repetitions)
{
    const QString data = QDir(folder).filePath(QStringLiteral("data.Mdb"));
    const QDir work(QDir(folder).filePath(QStringLiteral("datafile")));
    QDir().mkpath(work.path());
    const qint64 entries = scalar(data, QStringLiteral("SELECT count(*) FROM rj"));
    // The import's starting point: the same file with an empty diary.
    const QString empty = work.filePath(QStringLiteral("empty.Mdb"));
    QFile::remove(empty);
    QFile::copy(data, empty);
    QProcess::execute(QStringLiteral("sqlite3"), {empty, QStringLiteral("DELETE FROM rj; VACUUM;")});
    const auto path = [&work](const char* name) { return work.filePath(QString::fromLatin1(name)); };
    const QString sqlite = QStringLiteral("sqlite3");

    for (int round = 0; round <= repetitions; ++round) {
        // Round 0 only warms the file cache.
        const bool kept = round > 0;
        const double exportMs = timed(tevu, {QStringLiteral("--data"), data, QStringLiteral("--export-csv"),
                                             path("t.csv"), QStringLiteral("--force")});
        const double exportFloor = timed(
            sqlite, {QStringLiteral("-csv"), data, QStringLiteral("SELECT time, lb, demo FROM rj ORDER BY rowid")},
            path("s.csv"));

        for (const char* name : {"t.Mdb", "s.Mdb"}) {
            QFile::remove(path(name));
            QFile::copy(empty, path(name));
        }
        const double importMs =
            timed(tevu, {QStringLiteral("--data"), path("t.Mdb"), QStringLiteral("--import-csv"), path("t.csv")});
        const double importFloor =
            timed(sqlite, {path("s.Mdb"), QStringLiteral(".import --csv %1 rj").arg(path("s.csv"))});
        expectEntries(path("t.Mdb"), entries);
        expectEntries(path("s.Mdb"), entries);

        // The same rows as another program exports them: openScale's older form, weights in kilograms.
        if (round == 0)
            timed(sqlite,
                  {QStringLiteral("-csv"), QStringLiteral("-header"), data,
                   QStringLiteral("SELECT substr(time, 1, 16) AS dateTime, lb / 2.0 AS weight, demo AS comment "
                                  "FROM rj ORDER BY rowid")},
                  path("o.csv"));
        for (const char* name : {"to.Mdb", "so.Mdb"}) {
            QFile::remove(path(name));
            QFile::copy(empty, path(name));
        }
        const double foreignMs =
            timed(tevu, {QStringLiteral("--data"), path("to.Mdb"), QStringLiteral("--import-csv"), path("o.csv")});
        const double foreignFloor =
            timed(sqlite, {path("so.Mdb"), QStringLiteral(".import --csv --skip 1 %1 rj").arg(path("o.csv"))});
        // Entries of one minute with equal weight and text are one to the import; the floor takes every row.
        expectEntries(path("so.Mdb"), entries);

        QFile::remove(path("sb.Mdb"));
        const double backupMs = timed(tevu, {QStringLiteral("--data"), data, QStringLiteral("--backup"), path("tb.Mdb"),
                                             QStringLiteral("--force")});
        const double backupFloor =
            timed(sqlite, {data, QStringLiteral(".backup %1").arg(path("sb.Mdb")),
                           QStringLiteral(".open %1").arg(path("sb.Mdb")), QStringLiteral("PRAGMA integrity_check;")});
        if (kept) {
            sample("export", exportMs);
            sample("export-floor", exportFloor);
            sample("import", importMs);
            sample("import-floor", importFloor);
            sample("import-foreign", foreignMs);
            sample("import-foreign-floor", foreignFloor);
            sample("backup", backupMs);
            sample("backup-floor", backupFloor);
        }
    }
    return 0;
}

int runAutomaticBackup(const QString& folder, int repetitions)
{
    const QString source = QDir(folder).filePath(QStringLiteral("data.Mdb"));
    for (int round = 0; round < repetitions; ++round) {
        const QString here = QDir(folder).filePath(QStringLiteral("automatic-%1").arg(round));
        const QString data = copyShipped(source, here);
        QWidget window;
        window.resize(600, 335);
        double longest = 0;
        qint64 last = nowNs();
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = nowNs();
            longest = std::max(longest, msBetween(last, now));
            last = now;
        });
        const qint64 start = nowNs();
        double total = 0;
        {
            AutomaticBackup backup(&window, data);
            QEventLoop loop;
            QObject::connect(&backup, &AutomaticBackup::done, &loop, [&] {
                total = msBetween(start, nowNs());
                loop.quit();
            });
            tick.start();
            last = nowNs();
            window.show();
            QTimer::singleShot(600000, &loop, &QEventLoop::quit);
            loop.exec();
            tick.stop();
        }
        if (total <= 0 || QDir(QDir(here).filePath(QStringLiteral("backups"))).isEmpty())
            throw std::runtime_error("the automatic backup wrote nothing");
        sample("gui-stall", longest);
        sample("auto-backup", total);
        QDir(here).removeRecursively();
    }
    return 0;
}

} // namespace bench
