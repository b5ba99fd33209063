// Clocks, medians and memory readings shared by the benchmark programs.
#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

namespace bench {

// Monotonic nanoseconds; comparable across processes on this machine.
qint64 nowNs();
double msBetween(qint64 startNs, qint64 endNs);
double median(std::vector<double> values);

// Peak resident memory of this process so far (VmHWM), in KiB; -1 when unreadable.
qint64 peakResidentKiB();

// The variable in which the driver passes nowNs() taken just before it starts a process.
inline constexpr char spawnVariable[] = "TEVU_BENCH_SPAWN_NS";
// Milliseconds since this process was started: from the driver's clock when it passed one, otherwise from the
// kernel's start time (10 ms resolution).
double msSinceProcessStart();

} // namespace bench
