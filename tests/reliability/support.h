// What the reliability tests write (diary entries, plan texts) and the independent checks of what a file holds.
#pragma once

#include "health/measure.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace reliability {

// The Chinese locale the program runs in; the weights below are typed for it.
void useProgramLocale();

struct Entry {
    int seq = 0;
    QString text;       // starts with "#<seq>#"; full of quotes, semicolons and "--"
    QString weightText; // as typed into the weight box
    double weight = 0;  // what the program must store for it
};

// Entry number `seq` of the series `seed`; the same numbers give the same entry in every process.
Entry diaryEntry(std::uint64_t seed, int seq);

// The seven day texts of version `version` of a plan of the series `seed`.
QStringList planTexts(std::uint64_t seed, int version);

// Writes entries first..first+count-1 straight into rj through a connection of its own.
void seedDiary(const QString& path, std::uint64_t seed, int first, int count);
// Sets the plan table to the given texts through a connection of its own.
void seedPlan(const QString& path, const QStringList& texts);

// "ok" when PRAGMA integrity_check passes, otherwise what it or the open said.
QString integrity(const QString& path);

struct DiaryOutcome {
    QString failure;   // empty when every rule holds
    QSet<int> present; // entry numbers found
    int rows = 0;
};

// Every acknowledged entry is there once, byte for byte; any other row is a whole entry that was in flight;
// nothing is there twice.
DiaryOutcome checkDiary(const QString& path, std::uint64_t seed, const QSet<int>& acknowledged,
                        const QSet<int>& inFlight);

// The measurement numbered `seq`: its own date, a waist and a body fat that tell it from its neighbours.
health::Measurement measurementOf(int seq);

// The plan's rows as texts, in stored order (empty and a failure text when unreadable).
QStringList planRows(const QString& path, QString* failure = nullptr);

// The bytes and modification time of a file, to prove it was never written.
struct Snapshot {
    bool exists = false;
    bool isDir = false;
    QByteArray bytes;
    qint64 mtimeNs = 0;
    unsigned mode = 0;
    QStringList folder; // the names beside it
    bool operator==(const Snapshot& other) const = default;
};
Snapshot snapshot(const QString& path);
// What differs between two snapshots, for failure messages.
QString difference(const Snapshot& before, const Snapshot& after);

// The seed of a test run: TEVU_SEED when set, else from the clock. Printed so that a failure can be replayed.
std::uint64_t runSeed(const char* testName);
// True in the long form (make soak).
bool soak();
// The short or long count, from TEVU_SOAK.
int runs(int shortForm, int longForm);

} // namespace reliability
