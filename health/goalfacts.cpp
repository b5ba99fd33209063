// The facts of 我的目标 and the command line's summary.
#include "health/goalfacts.h"

#include "health/energy.h"
#include "health/trend.h"

#include <algorithm>

namespace goalfacts {

namespace {

const QString noWeighing = QStringLiteral("还没有称重记录");

QString jin(double value, const QLocale& locale)
{
    return health::numberText(value, locale) + u'斤';
}

// The build for the energy of a jin lost, when the profile tells it.
std::optional<health::Build> build(const health::Profile& profile, const QDate& today)
{
    if (!profile.height || !profile.sex || !profile.birthYear)
        return std::nullopt;
    return health::Build{*profile.height, today.year() - *profile.birthYear, *profile.sex == health::Sex::Male};
}

std::optional<health::GoalDates> bodyDates(const health::Profile& profile, const Diary& diary)
{
    if (!profile.goal || !diary.estimated())
        return std::nullopt;
    return health::goalDates(diary.body, *profile.goal, diary.today, build(profile, diary.today));
}

// A date of the range: without its year when it is the year of the date it goes with.
QString rangeDate(const QDate& date, const QDate& beside)
{
    if (date.year() != beside.year())
        return health::dateText(date);
    return QStringLiteral("%1月%2日").arg(date.month()).arg(date.day());
}

} // namespace

QString newest(const Diary& diary, const QLocale& locale)
{
    if (!diary.newestWeight)
        return noWeighing;
    return QStringLiteral("%1（%2）").arg(jin(*diary.newestWeight, locale), health::dateText(diary.newestDate));
}

QString trend(const Diary& diary, const QLocale& locale)
{
    return diary.trend ? trend::tenths(*diary.trend, locale) + u'斤' : noWeighing;
}

QString rate(const Diary& diary, const QLocale& locale)
{
    if (!diary.trend)
        return noWeighing;
    return diary.weeklyRate ? trend::rateText(*diary.weeklyRate, locale) + u'斤' : QStringLiteral("称重记录还太少");
}

QString bmi(const health::Profile& profile, const Diary& diary, int thisYear, const QLocale& locale)
{
    if (!profile.height)
        return QStringLiteral("未设置身高");
    if (!diary.trend)
        return noWeighing;
    const double value = *health::bmi(*diary.trend, *profile.height);
    const QString figure = locale.toString(health::shownTenths(value) / 10.0, 'f', 1);
    if (health::isChild(profile, thisYear))
        return figure + QStringLiteral("（未满 18 岁，不按成人标准分类）");
    return QStringLiteral("%1（%2）").arg(figure, health::bmiClassName(health::bmiClass(value)));
}

QString healthyRange(const health::Profile& profile, int thisYear, const QLocale& locale)
{
    if (!profile.height)
        return QStringLiteral("未设置身高");
    if (health::isChild(profile, thisYear))
        return QStringLiteral("未满 18 岁不适用");
    const std::optional<int> age = health::age(profile, thisYear);
    const health::WeightRange range = health::healthyRange(*profile.height, age);
    QString text =
        QStringLiteral("%1–%2斤").arg(health::numberText(range.low, locale), health::numberText(range.high, locale));
    if (age && *age >= health::olderAge) {
        const health::BmiRange bmi = health::healthyBmi(age);
        text += QStringLiteral("（%1 岁以上，BMI %2–%3）")
                    .arg(*age >= health::oldestAge ? health::oldestAge : health::olderAge)
                    .arg(locale.toString(bmi.lowTenths / 10.0, 'f', 0), locale.toString(bmi.highTenths / 10.0, 'f', 1));
    }
    return text;
}

QDate logStart(const Diary& diary, const QDate& today)
{
    const QDate window = today.addDays(-health::realUseDays);
    return diary.weighings.empty() ? window : std::min(window, diary.weighings.front().day);
}

void estimate(Diary& diary, const std::vector<health::DayIntake>& intake, const health::Profile& profile,
              const QDate& today)
{
    diary.today = today;
    std::optional<double> formula;
    if (const std::optional<int> use = formulaUse(profile, diary, today.year()))
        formula = *use;
    diary.body = health::estimateBody(intake, diary.weighings, today, formula);
    if (!diary.estimated())
        return;
    diary.trend = diary.body.jin;
    diary.weeklyRate = trend::weeklyRate(trendLine(diary));
}

std::vector<trend::Point> trendLine(const Diary& diary)
{
    std::vector<trend::Point> line;
    if (!diary.estimated())
        return line;
    // Days since 1899-12-30, as the diary's times are kept.
    const QDate epoch(1899, 12, 30);
    line.reserve(diary.body.line.size());
    for (const health::DayWeight& day : diary.body.line)
        line.push_back({static_cast<double>(epoch.daysTo(day.day)) + 0.5, day.jin, false});
    return line;
}

health::Projection projection(const health::Profile& profile, const Diary& diary, int thisYear)
{
    if (!profile.goal)
        return {};
    const std::optional<int> age = health::age(profile, thisYear);
    const double safeShare = age && *age >= health::olderAge ? health::olderWeeklyShare : health::safeWeeklyShare;
    const std::optional<health::GoalDates> dates = bodyDates(profile, diary);
    if (!dates)
        return health::project(diary.trend, diary.weeklyRate, diary.newestDate, *profile.goal, safeShare);
    health::Projection projection;
    switch (dates->kind) {
    case health::GoalDates::Kind::Reached:
        projection.kind = health::Projection::Kind::Reached;
        return projection;
    case health::GoalDates::Kind::Away:
        projection.kind = health::Projection::Kind::Away;
        return projection;
    case health::GoalDates::Kind::TooFar:
        projection.kind = health::Projection::Kind::TooFar;
        return projection;
    case health::GoalDates::Kind::Date:
        projection.kind = health::Projection::Kind::Date;
        projection.date = dates->date;
        break;
    }
    projection.tooFast = diary.weeklyRate && *diary.weeklyRate < 0 && -*diary.weeklyRate > safeShare * *diary.trend;
    return projection;
}

QString goal(const health::Profile& profile, const Diary& diary, int thisYear, const QLocale& locale)
{
    if (health::isChild(profile, thisYear))
        return QStringLiteral("未满 18 岁不设目标体重");
    if (!profile.goal)
        return QStringLiteral("未设置目标体重");
    QString text = jin(*profile.goal, locale);
    const health::Projection projected = projection(profile, diary, thisYear);
    if (diary.trend && projected.kind != health::Projection::Kind::Reached) {
        const double distance = *diary.trend - *profile.goal;
        text += (distance > 0 ? QStringLiteral("，还要减 ") : QStringLiteral("，还要增 ")) +
                trend::tenths(std::abs(distance), locale) + u'斤';
    }
    QString sentence = health::projectionSentence(projected);
    const std::optional<health::GoalDates> dates = bodyDates(profile, diary);
    if (dates && dates->kind == health::GoalDates::Kind::Date && dates->early.isValid()) {
        sentence.chop(1);
        sentence += dates->late.isValid()
                        ? QStringLiteral("（多半在 %1 到 %2 之间）。")
                              .arg(rangeDate(dates->early, dates->date), rangeDate(dates->late, dates->date))
                        : QStringLiteral("（最早 %1）。").arg(rangeDate(dates->early, dates->date));
    }
    return text + QStringLiteral("；") + sentence;
}

bool losing(const health::Profile& profile, const Diary& diary)
{
    return !profile.goal || !diary.trend || *diary.trend - *profile.goal > health::reachedBand;
}

health::Caution caution(const health::Profile& profile, const Diary& diary, int thisYear)
{
    return health::caution(profile, diary.trend, thisYear);
}

namespace {

// What the formula says a day uses at the trend's weight; nothing while an input is missing or for a child.
std::optional<double> dayUse(const health::Profile& profile, const Diary& diary, int thisYear)
{
    if (!profile.height || !profile.sex || !profile.birthYear || !profile.activity || !diary.trend ||
        health::isChild(profile, thisYear))
        return std::nullopt;
    return health::restingEnergy(*diary.trend, *profile.height, thisYear - *profile.birthYear, *profile.sex);
}

} // namespace

std::optional<int> suggestedBudget(const health::Profile& profile, const Diary& diary, int thisYear)
{
    const std::optional<double> resting = dayUse(profile, diary, thisYear);
    if (!resting)
        return std::nullopt;
    const bool deficit = losing(profile, diary) && caution(profile, diary, thisYear) == health::Caution::None;
    return health::dailyBudget(*resting, *profile.activity, *profile.sex, deficit);
}

std::optional<int> dayBudget(const health::Profile& profile, const Diary& diary, int thisYear)
{
    if (health::isChild(profile, thisYear))
        return std::nullopt;
    if (profile.ownBudget)
        return profile.ownBudget;
    return suggestedBudget(profile, diary, thisYear);
}

std::optional<int> formulaUse(const health::Profile& profile, const Diary& diary, int thisYear)
{
    const std::optional<double> resting = dayUse(profile, diary, thisYear);
    if (!resting)
        return std::nullopt;
    return health::roundToTen(*resting * health::activityFactor(*profile.activity));
}

QString budget(const health::Profile& profile, const Diary& diary, int thisYear)
{
    if (health::isChild(profile, thisYear))
        return QStringLiteral("未满 18 岁不给出预算");
    const std::optional<int> suggested = suggestedBudget(profile, diary, thisYear);
    if (profile.ownBudget) {
        QString text = QStringLiteral("每天摄入 %1 大卡（自己设定）").arg(health::kcalText(*profile.ownBudget));
        if (suggested)
            text += QStringLiteral("，建议约 %1 大卡").arg(health::kcalText(*suggested));
        return text;
    }
    if (suggested) {
        const bool deficit = losing(profile, diary) && caution(profile, diary, thisYear) == health::Caution::None;
        return QStringLiteral("每天建议摄入约 %1 大卡").arg(health::kcalText(*suggested)) +
               (deficit ? QString() : QStringLiteral("（保持体重）"));
    }
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

QString realUse(const health::Profile& profile, const Diary& diary, int thisYear)
{
    if (!diary.estimated())
        return QStringLiteral("身体实际每天消耗多少：还需要 %1 天的记录（每天至少 %2 大卡的饮食记录，和相隔至少 %3 天的"
                              "两次称重）。")
            .arg(diary.body.needed)
            .arg(health::completeLogKcal)
            .arg(health::estimateMinimumSpan);
    QString text = QStringLiteral("身体实际每天消耗约 %1 大卡（多半在 %2-%3 之间）")
                       .arg(health::kcalText(health::roundToTen(diary.body.kcal)),
                            health::kcalText(health::roundToTen(diary.body.low)),
                            health::kcalText(health::roundToTen(diary.body.high)));
    if (const std::optional<int> formula = formulaUse(profile, diary, thisYear))
        text += QStringLiteral("，按公式估计 %1").arg(health::kcalText(*formula));
    return text + QStringLiteral("，根据最近 %1 天里 %2 天的饮食记录和体重。")
                      .arg(health::realUseDays)
                      .arg(diary.body.loggedDays);
}

QString realUseLine(const Diary& diary)
{
    if (!diary.estimated())
        return QStringLiteral("还需要 %1 天的饮食记录").arg(diary.body.needed);
    return QStringLiteral("约 %1 大卡/天（80% 区间 %2-%3），根据 %4 天里 %5 天的饮食记录")
        .arg(health::roundToTen(diary.body.kcal))
        .arg(health::roundToTen(diary.body.low))
        .arg(health::roundToTen(diary.body.high))
        .arg(health::realUseDays)
        .arg(diary.body.loggedDays);
}

std::optional<int> budgetFromUse(const health::Profile& profile, const Diary& diary, int thisYear)
{
    const health::Caution why = caution(profile, diary, thisYear);
    if (!diary.estimated() || why == health::Caution::Child)
        return std::nullopt;
    const int use = health::roundToTen(diary.body.kcal);
    const bool deficit = losing(profile, diary) && why == health::Caution::None;
    return std::clamp(std::max(health::floorFor(profile.sex), use - (deficit ? health::dailyDeficit : 0)),
                      health::minimumBudget, health::maximumBudget);
}

QStringList cautions(const health::Profile& profile, const Diary& diary, int thisYear)
{
    QStringList lines;
    const std::optional<int> age = health::age(profile, thisYear);
    switch (caution(profile, diary, thisYear)) {
    case health::Caution::Child:
        return {QStringLiteral("未满 18 岁还在生长发育，体重是否合适要按年龄和性别来判断，不能用成人的 BMI 标准，"
                               "也不要自己节食减重；请咨询医生或学校的保健老师。")};
    case health::Caution::Pregnant:
        lines << QStringLiteral("怀孕或哺乳期间不要节食减重，该吃多少、体重长多少，请听从医生的建议。");
        break;
    case health::Caution::Underweight:
        lines << QStringLiteral("体重过低，不建议再减重。");
        break;
    case health::Caution::Unasked:
        // Said only where a deficit would follow the answer.
        if (losing(profile, diary) && profile.height && profile.birthYear && profile.activity && diary.trend)
            lines << QStringLiteral("回答了“是否怀孕或在哺乳期？”之后，才会给出减重的预算。");
        break;
    case health::Caution::OlderInRange:
    case health::Caution::None:
        break;
    }
    if (age && *age >= health::olderAge && profile.height) {
        const health::BmiRange bmi = health::healthyBmi(age);
        lines << QStringLiteral(
                     "%1 岁以上的人，BMI 在 %2–%3 之间是健康的；在这个范围里不建议减重，以免流失肌肉和骨量。")
                     .arg(*age >= health::oldestAge ? health::oldestAge : health::olderAge)
                     .arg(bmi.lowTenths / 10)
                     .arg(QLocale(QLocale::English).toString(bmi.highTenths / 10.0, 'f', 1));
    }
    return lines;
}

QStringList summary(const health::Profile& profile, const Diary& diary, int thisYear, const QLocale& locale)
{
    QStringList lines{QStringLiteral("最新体重：") + newest(diary, locale),
                      QStringLiteral("趋势：") + trend(diary, locale),
                      QStringLiteral("每周变化：") + rate(diary, locale),
                      QStringLiteral("BMI：") + bmi(profile, diary, thisYear, locale),
                      QStringLiteral("目标：") + goal(profile, diary, thisYear, locale),
                      QStringLiteral("能量预算：") + budget(profile, diary, thisYear)};
    // A diary without a food log says what it always said; a child's summary says nothing of energy beyond its one
    // caution.
    if (diary.body.loggedDays > 0 && !health::isChild(profile, thisYear))
        lines << QStringLiteral("实际消耗：") + realUseLine(diary);
    return lines + cautions(profile, diary, thisYear);
}

QString goalTooLow(const health::Profile& profile, int thisYear, const QLocale& locale)
{
    if (!profile.goal)
        return {};
    if (health::isChild(profile, thisYear))
        return QStringLiteral("未满 18 岁不设目标体重，请把目标体重留空");
    if (!profile.height)
        return {};
    const health::WeightRange range = health::healthyRange(*profile.height, health::age(profile, thisYear));
    if (*profile.goal >= range.low)
        return {};
    return QStringLiteral("目标低于健康范围的下限（%1斤）").arg(health::numberText(range.low, locale));
}

QString goalAboveRange(const health::Profile& profile, int thisYear, const QLocale& locale)
{
    if (!profile.height || !profile.goal || health::isChild(profile, thisYear))
        return {};
    const health::WeightRange range = health::healthyRange(*profile.height, health::age(profile, thisYear));
    if (*profile.goal <= range.high)
        return {};
    return QStringLiteral("目标高于健康范围的上限（%1斤），可以把它当作第一步，达到后再往下定。")
        .arg(health::numberText(range.high, locale));
}

QString trendMeaning()
{
    return QStringLiteral("趋势：最近体重的平滑值，比单次称重稳定");
}

QString ownBudgetTooLow(const health::Profile& profile)
{
    const int floor = health::floorFor(profile.sex);
    if (!profile.ownBudget || *profile.ownBudget >= floor)
        return {};
    return QStringLiteral("自定每日摄入不能低于 %1 大卡：%2每天吃得比这更少，身体需要的营养就难以吃够")
        .arg(health::kcalText(floor),
             profile.sex == health::Sex::Male ? QStringLiteral("男性") : QStringLiteral("女性"));
}

QString lowIntake(const health::Profile& profile, const std::vector<health::DayIntake>& intake)
{
    double sum = 0;
    int days = 0;
    for (const health::DayIntake& day : intake) {
        if (day.kcal > 0) {
            sum += day.kcal;
            ++days;
        }
    }
    const int floor = health::floorFor(profile.sex);
    if (days < lowIntakeMinimumDays || !(sum / days < floor))
        return {};
    return QStringLiteral("最近 %1 天里记下的日子，平均每天只吃了约 %2 大卡，低于 %3 大卡。吃得太少容易流失肌肉、"
                          "营养不够，也难以坚持，不妨多吃一点。")
        .arg(lowIntakeDays)
        .arg(health::kcalText(health::roundToTen(sum / days)))
        .arg(health::kcalText(floor));
}

} // namespace goalfacts
