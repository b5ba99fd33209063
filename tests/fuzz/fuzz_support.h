// What the fuzz targets share: a private scratch folder, whole-file reads, and a bound on the engine's work.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace fuzz {

// A folder of this process's own, removed when the process ends normally.
inline const QString& scratchFolder()
{
    static const QString folder = [] {
        QByteArray pattern = QDir::tempPath().toUtf8() + "/tevu-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static QString removeAtExit;
        removeAtExit = QString::fromUtf8(pattern);
        std::atexit([] { QDir(removeAtExit).removeRecursively(); });
        return QString::fromUtf8(pattern);
    }();
    return folder;
}

inline QString databasePath()
{
    return scratchFolder() + QStringLiteral("/data.Mdb");
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

// The names in the scratch folder besides data.Mdb.
inline QStringList strays()
{
    QStringList names = QDir(scratchFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral("data.Mdb"));
    return names;
}

inline int& workDone()
{
    static int thousands = 0;
    return thousands;
}

// Stops the connection's statements after a budget of engine steps (two million per input) and refuses values
// over 10 MB, so that an endless or enormous query ends as an error rather than a hang or an exhausted memory.
inline void boundWork(sqlite3* db)
{
    workDone() = 0;
    if (!db)
        return;
    sqlite3_progress_handler(
        db, 1000, [](void*) { return ++workDone() > 2000 ? 1 : 0; }, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 10 * 1000 * 1000);
}

[[noreturn]] inline void finding(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "FINDING: %s %s\n", what, qPrintable(detail.left(2000)));
    std::abort();
}

} // namespace fuzz
