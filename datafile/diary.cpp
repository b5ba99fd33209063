// The weight diary as the trend and the goal facts read it.
#include "datafile/diary.h"

#include "data/conversions.h"
#include "data/dataset.h"

#include <algorithm>
#include <cmath>

namespace datafile {

namespace {

// NaN would break the ordering that sorting relies on; a value that cannot be shown is drawn at 0.
double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

bool byX(const trend::Point& a, const trend::Point& b)
{
    return a.x < b.x;
}

} // namespace

std::vector<trend::Point> readPoints(Dataset& rows, const QString& xField, const QString& yField)
{
    std::vector<trend::Point> points;
    points.reserve(static_cast<std::size_t>(std::max(0, rows.recordCount())));
    rows.first();
    // An empty result asks for neither field.
    const int y = rows.eof() ? -1 : rows.fieldIndex(yField);
    const int x = rows.eof() ? -1 : rows.fieldIndex(xField);
    while (!rows.eof()) {
        trend::Point point;
        point.yNull = rows.isNull(y);
        point.x = finiteOrZero(rows.asNumber(x));
        point.y = finiteOrZero(rows.asNumber(y));
        points.push_back(point);
        rows.next();
    }
    // Diary rows usually come in date order already; stable so that equal dates keep the order read.
    if (!std::is_sorted(points.begin(), points.end(), byX))
        std::stable_sort(points.begin(), points.end(), byX);
    return points;
}

goalfacts::Diary diaryFromPoints(const std::vector<trend::Point>& points)
{
    goalfacts::Diary diary;
    const std::vector<trend::Point> line = trend::smooth(points);
    if (line.empty())
        return diary;
    // The trend has a point for each weighing, so its last is the newest weighing's.
    for (auto it = points.rbegin(); it != points.rend(); ++it)
        if (!it->yNull && it->y > 0 && it->x == line.back().x) {
            diary.newestWeight = it->y;
            break;
        }
    for (const trend::Point& point : points)
        if (point.weighed())
            diary.weighings.push_back({conversions::oleDay(point.x), point.y});
    // Days, not date-times: a long diary is read here each time the curve or the goal window opens.
    for (const trend::Point& point : line) {
        const QDate day = conversions::oleDay(point.x);
        if (!diary.trendDays.empty() && diary.trendDays.back().day == day)
            diary.trendDays.back().jin = point.y;
        else
            diary.trendDays.push_back({day, point.y});
    }
    diary.newestDate = conversions::fromOleDate(line.back().x).date();
    diary.trend = line.back().y;
    diary.weeklyRate = trend::weeklyRate(line);
    return diary;
}

goalfacts::Diary readDiary(Connection& connection)
{
    Dataset rows(QStringLiteral("ADODataSetGoal"), connection);
    rows.setCommandText(QStringLiteral("select * from rj"));
    rows.open();
    return diaryFromPoints(readPoints(rows, QStringLiteral("time"), QStringLiteral("lb")));
}

} // namespace datafile
