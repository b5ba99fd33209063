// A file-system layer under SQLite for the reliability tests: fails chosen writes and syncs, and cuts the power.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Registered as SQLite's default file system on top of "unix". It acts only on files inside the watched folder;
// everything else (and everything while nothing is watched) passes straight through.
//
// Counted operations are the ones that change what the disk keeps: a write, a truncation, a sync, a deletion,
// and the directory sync that SQLite asks for after deleting a journal. Operation 1 is the first one after
// watch().
//
// Power model: a write, truncation, creation or deletion is volatile until a sync makes it durable. Syncing a
// file makes its own writes durable; creations and deletions need a sync of the directory, which "unix" does on
// the first sync of a journal it created and, when asked, right after deleting a journal. A power cut undoes a
// random number of the newest volatile operations (a suffix, as a disk that writes in order would lose them),
// and from then on every operation on the watched files fails, as if the machine were off.
namespace faultvfs {

// Registers the layer as the default file system; later calls do nothing.
void install();

// Starts acting on files inside `folder`, with the count at zero and no fault or cut planned.
void watch(const QString& folder);
// Stops acting; the layer passes everything through again.
void stopWatching();

// Counted operations since watch(), and how many of them were writes.
int operationCount();
int writeCount();
// One line per counted operation since watch(), for messages of failing tests.
QStringList trace();

enum class Fault { IoError, DiskFull };
// Counting from zero again, fails counted operation `n` and, when persistent, every later one too. A full disk
// fails the n-th write and, when persistent, every later write; syncs and deletions still work on it.
void failAt(int n, Fault fault, bool persistent);
void clearFault();
// Faults delivered since the last failAt().
int faultsDelivered();

// Keeps volatile operations undoable from now on.
void trackPower();
// Cuts the power just before counted operation `n`; `seed` chooses how many volatile operations are lost.
void cutPowerAt(int n, std::uint64_t seed);
// Cuts the power now.
void cutPowerNow(std::uint64_t seed);
bool powerIsCut();
// Volatile operations kept and lost by the cut.
int keptAtCut();
int lostAtCut();

// The flags and permission bits each watched file was opened with (for checks of how the program opens files).
struct Opened {
    QString path;
    int flags = 0;
    unsigned mode = 0;
};
QList<Opened> opened();

} // namespace faultvfs
