// Clocks, medians and memory readings shared by the benchmark programs.
#include "bench/measure.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace bench {

qint64 nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double msBetween(qint64 startNs, qint64 endNs)
{
    return static_cast<double>(endNs - startNs) / 1e6;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::clamp(fraction, 0.0, 1.0) * static_cast<double>(values.size() - 1);
    const auto below = static_cast<size_t>(rank);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (rank - static_cast<double>(below)) * (values[above] - values[below]);
}

PairedRatio pairedRatio(const std::vector<double>& values, const std::vector<double>& floors)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < std::min(values.size(), floors.size()); ++i)
        if (floors[i] > 0)
            ratios.push_back(values[i] / floors[i]);
    PairedRatio r;
    r.pairs = static_cast<int>(ratios.size());
    r.median = median(ratios);
    r.low = percentile(ratios, 0.1);
    r.high = percentile(ratios, 0.9);
    return r;
}

qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines)
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

double msSinceProcessStart()
{
    bool ok = false;
    const qint64 spawned = qEnvironmentVariable(spawnVariable).toLongLong(&ok);
    if (ok)
        return msBetween(spawned, nowNs());
    // Field 22 of /proc/self/stat, counted after the command name (which may hold spaces).
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const double uptimeMs = static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
    return uptimeMs - startTicks * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void sample(const char* series, double value)
{
    std::printf("sample %s %.4f\n", series, value);
    std::fflush(stdout);
}

int failed(const QString& text)
{
    std::printf("error %s\n", text.toUtf8().constData());
    std::fflush(stdout);
    return 1;
}

QString fileIn(const QString& folder)
{
    return folder + QStringLiteral("/data.Mdb");
}

} // namespace bench
