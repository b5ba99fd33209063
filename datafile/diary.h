// The weight diary (table rj) as the trend and the goal facts read it.
#pragma once

#include "health/goalfacts.h"
#include "health/trend.h"

#include <QString>
#include <vector>

class Connection;
class Dataset;

namespace datafile {

// Every row of the open `rows` from the first, the date-time of `xField` and the weight of `yField`, in ascending
// date-time (rows of the same date-time in the order read); a value that cannot be shown is read as 0. The cursor is
// left at the end. Throws the dataset's DataError for a field it lacks (neither is asked for when there is no row).
std::vector<trend::Point> readPoints(Dataset& rows, const QString& xField, const QString& yField);

// The goal facts' view of the weighings in `points` (ascending date-time, as readPoints gives them).
goalfacts::Diary diaryFromPoints(const std::vector<trend::Point>& points);
// Reads every diary row through a dataset of its own on `connection`, as the curve window does.
goalfacts::Diary readDiary(Connection& connection);

} // namespace datafile
