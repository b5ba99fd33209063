// The page for a doctor: a year of the diary written as a PDF, against a bare QPdfWriter drawing the same.
#pragma once

#include <QString>

namespace bench {

// Writes the report of 365 entries with their texts, "report", and the same chart and the same lines drawn straight
// into a bare QPdfWriter without the page's layout, "floor"; milliseconds, in turns.
int runReport(const QString& folder, int repetitions);

} // namespace bench
