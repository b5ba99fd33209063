// The page for a doctor: the diary of a period as an A4 PDF with its curve, a table by week and a summary.
#pragma once

#include "chart/lineseries.h"
#include "datafile/partialfile.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace report {

struct Options {
    QDate from;             // the first day; open when null
    QDate to;               // the last day; open when null
    bool withNotes = false; // the diary's texts are private: only on request
    QDate made;             // the date the page says it was made
};

// One week (Monday to Sunday) that has weighings.
struct Week {
    QDate monday;
    QDate sunday;
    int weighings = 0;
    double mean = 0;              // 斤
    double trendAtEnd = 0;        // 斤, at the week's last weighing
    std::optional<double> change; // trend against the week before that has weighings
};

// The weeks of `points` (ascending time, days since 1899-12-30) that have weighings, with the trend of the same
// weighings, as trend::smooth makes it.
QList<Week> weeks(const std::vector<LineSeries::Point>& points, const std::vector<LineSeries::Point>& trend);

struct Result {
    int pages = 0;
    qint64 weighings = 0;
    datafile::Durability durability = datafile::Durability::OnDisk;
};

// Writes the report of the data file at `dataPath` to `target`, whole or not at all, readable by its owner only.
// Needs a QApplication (the curve is drawn by the chart widget). Throws DataError with the reason.
Result write(const QString& dataPath, const QString& target, const Options& options);

} // namespace report
