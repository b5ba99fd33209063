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
// The value below which `fraction` of the values lie, between the two nearest ranks; 0 for no values.
double percentile(std::vector<double> values, double fraction);

// Ratios of paired samples (a program's run over the floor run beside it): their median, which a target judges,
// and the 10th to 90th percentile, which tells how far the machine's load moved them.
struct PairedRatio {
    double median = 0;
    double low = 0;  // 10th percentile
    double high = 0; // 90th percentile
    int pairs = 0;
};
// Pairs values[i] with floors[i]; pairs without a positive floor are left out.
PairedRatio pairedRatio(const std::vector<double>& values, const std::vector<double>& floors);

// Peak resident memory of this process so far (VmHWM), in KiB; -1 when unreadable.
qint64 peakResidentKiB();

// The variable in which the driver passes nowNs() taken just before it starts a process.
inline constexpr char spawnVariable[] = "TEVU_BENCH_SPAWN_NS";
// Milliseconds since this process was started: from the driver's clock when it passed one, otherwise from the
// kernel's start time (10 ms resolution).
double msSinceProcessStart();

// What a scenario prints for the driver: one sample of a series, or its failure (the return value, 1, is the
// scenario's exit status).
void sample(const char* series, double value);
int failed(const QString& text);
// The data file in a benchmark's folder.
QString fileIn(const QString& folder);

} // namespace bench
