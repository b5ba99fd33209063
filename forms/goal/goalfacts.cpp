// The facts of 我的目标 and the command line's summary.
#include "forms/goal/goalfacts.h"

#include "health/energy.h"

#include "chart/axis.h"
#include "chart/trend.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/dataset.h"

namespace goalfacts {

namespace {

const QString noWeighing = QStringLiteral("还没有称重记录");

QString jin(double value)
{
    return axis::formatNumber(value) + u'斤';
}

} // namespace

Diary fromPoints(const std::vector<LineSeries::Point>& points)
{
    Diary diary;
    const std::vector<LineSeries::Point> line = health::smooth(points);
    if (line.empty())
        return diary;
    // The trend has a point for each weighing, so its last is the newest weighing's.
    for (auto it = points.rbegin(); it != points.rend(); ++it)
        if (!it->yNull && it->y > 0 && it->x == line.back().x) {
            diary.newestWeight = it->y;
            break;
        }
    // Days, not date-times: a long diary is read here each time the curve or the goal window opens.
    for (const LineSeries::Point& point : line) {
        const QDate day = conversions::oleDay(point.x);
        if (!diary.trendDays.empty() && diary.trendDays.back().day == day)
            diary.trendDays.back().jin = point.y;
        else
            diary.trendDays.push_back({day, point.y});
    }
    diary.newestDate = conversions::fromOleDate(line.back().x).date();
    diary.trend = line.back().y;
    diary.weeklyRate = health::weeklyRate(line);
    return diary;
}

Diary read(Connection& connection)
{
    Dataset rows(QStringLiteral("ADODataSetGoal"), connection);
    rows.setCommandText(QStringLiteral("select * from rj"));
    rows.open();
    LineSeries series;
    series.setDataSource(&rows);
    series.setXField(QStringLiteral("time"));
    series.setYField(QStringLiteral("lb"));
    Diary diary = fromPoints(series.points());
    series.setDataSource(nullptr);
    return diary;
}

QString newest(const Diary& diary)
{
    if (!diary.newestWeight)
        return noWeighing;
    return QStringLiteral("%1（%2）").arg(jin(*diary.newestWeight), health::dateText(diary.newestDate));
}

QString trend(const Diary& diary)
{
    return diary.trend ? trend::tenths(*diary.trend) + u'斤' : noWeighing;
}

QString rate(const Diary& diary)
{
    if (!diary.trend)
        return noWeighing;
    return diary.weeklyRate ? trend::rateText(*diary.weeklyRate) + u'斤' : QStringLiteral("称重记录还太少");
}

QString bmi(const health::Profile& profile, const Diary& diary)
{
    if (!profile.height)
        return QStringLiteral("未设置身高");
    if (!diary.trend)
        return noWeighing;
    const double value = *health::bmi(*diary.trend, *profile.height);
    return QStringLiteral("%1（%2）")
        .arg(conversions::locale().toString(value, 'f', 1), health::bmiClassName(health::bmiClass(value)));
}

QString healthyRange(const health::Profile& profile)
{
    if (!profile.height)
        return QStringLiteral("未设置身高");
    const health::WeightRange range = health::healthyRange(*profile.height);
    return QStringLiteral("%1–%2斤").arg(axis::formatNumber(range.low), axis::formatNumber(range.high));
}

health::Projection projection(const health::Profile& profile, const Diary& diary)
{
    if (!profile.goal)
        return {};
    return health::project(diary.trend, diary.weeklyRate, diary.newestDate, *profile.goal);
}

QString goal(const health::Profile& profile, const Diary& diary)
{
    if (!profile.goal)
        return QStringLiteral("未设置目标体重");
    QString text = jin(*profile.goal);
    const health::Projection projected = projection(profile, diary);
    if (diary.trend && projected.kind != health::Projection::Kind::Reached) {
        const double distance = *diary.trend - *profile.goal;
        text += (distance > 0 ? QStringLiteral("，还要减 ") : QStringLiteral("，还要增 ")) +
                trend::tenths(std::abs(distance)) + u'斤';
    }
    text += QStringLiteral("；") + health::projectionSentence(projected);
    return text;
}

bool losing(const health::Profile& profile, const Diary& diary)
{
    return !profile.goal || !diary.trend || *diary.trend - *profile.goal > health::reachedBand;
}

std::optional<int> suggestedBudget(const health::Profile& profile, const Diary& diary, int thisYear)
{
    if (!profile.height || !profile.sex || !profile.birthYear || !profile.activity || !diary.trend)
        return std::nullopt;
    const double resting =
        health::restingEnergy(*diary.trend, *profile.height, thisYear - *profile.birthYear, *profile.sex);
    return health::dailyBudget(resting, *profile.activity, *profile.sex, losing(profile, diary));
}

std::optional<int> dayBudget(const health::Profile& profile, const Diary& diary, int thisYear)
{
    if (profile.ownBudget)
        return profile.ownBudget;
    return suggestedBudget(profile, diary, thisYear);
}

std::optional<int> formulaUse(const health::Profile& profile, const Diary& diary, int thisYear)
{
    if (!profile.height || !profile.sex || !profile.birthYear || !profile.activity || !diary.trend)
        return std::nullopt;
    const double resting =
        health::restingEnergy(*diary.trend, *profile.height, thisYear - *profile.birthYear, *profile.sex);
    return health::roundToTen(resting * health::activityFactor(*profile.activity));
}

QString budget(const health::Profile& profile, const Diary& diary, int thisYear)
{
    const std::optional<int> suggested = suggestedBudget(profile, diary, thisYear);
    if (profile.ownBudget) {
        QString text = QStringLiteral("每天摄入 %1 大卡（自己设定）").arg(health::kcalText(*profile.ownBudget));
        if (suggested)
            text += QStringLiteral("，建议约 %1 大卡").arg(health::kcalText(*suggested));
        return text;
    }
    if (suggested)
        return QStringLiteral("每天建议摄入约 %1 大卡").arg(health::kcalText(*suggested)) +
               (losing(profile, diary) ? QString() : QStringLiteral("（保持体重）"));
    QStringList missing;
    if (!profile.height)
        missing << QStringLiteral("身高");
    if (!profile.sex)
        missing << QStringLiteral("性别");
    if (!profile.birthYear)
        missing << QStringLiteral("出生年份");
    if (!profile.activity)
        missing << QStringLiteral("活动量");
    if (missing.isEmpty())
        return noWeighing;
    return QStringLiteral("未设置") + missing.join(u'、');
}

QStringList summary(const health::Profile& profile, const Diary& diary, int thisYear)
{
    return {QStringLiteral("最新体重：") + newest(diary),
            QStringLiteral("趋势：") + trend(diary),
            QStringLiteral("每周变化：") + rate(diary),
            QStringLiteral("BMI：") + bmi(profile, diary),
            QStringLiteral("目标：") + goal(profile, diary),
            QStringLiteral("能量预算：") + budget(profile, diary, thisYear)};
}

QString goalTooLow(const health::Profile& profile)
{
    if (!profile.height || !profile.goal)
        return {};
    const health::WeightRange range = health::healthyRange(*profile.height);
    if (*profile.goal >= range.low)
        return {};
    return QStringLiteral("目标低于健康范围的下限（%1 斤）").arg(axis::formatNumber(range.low));
}

} // namespace goalfacts
