// What 我的目标 and `tevu --summary` say about the diary and the profile: the same facts in the same words.
#pragma once

#include "health/body.h"
#include "health/bodymodel.h"
#include "health/energy.h"
#include "health/goal.h"
#include "health/trend.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace goalfacts {

// The diary as the curve reads it (datafile/diary.h reads it from the file).
struct Diary {
    std::optional<double> newestWeight; // the newest weighing
    QDate newestDate;
    std::optional<double> trend; // the trend's newest value
    std::optional<double> weeklyRate;
    std::vector<health::TrendAt> trendDays; // the trend at each day's last weighing, oldest first
    std::vector<health::Weighing> weighings = {};
    // What the body uses, from the diary and the food log. Once it is an estimate, its weight of today is the trend
    // above and its line gives the rate: one weight everywhere.
    health::BodyEstimate body = {};
    QDate today = {};
    bool estimated() const { return body.kind == health::BodyEstimate::Kind::Estimate; }
};

// The first day of the food log the estimate reads: the first weighing's, or the window's when that is later.
QDate logStart(const Diary& diary, const QDate& today);
// Adds what the body uses from the days' logged kcal; `profile` gives the formula's figure beside it.
void estimate(Diary& diary, const std::vector<health::DayIntake>& intake, const health::Profile& profile,
              const QDate& today);
// The estimate's smoothed weights as the curve's trend line (a point at noon of each day); empty without an estimate.
std::vector<trend::Point> trendLine(const Diary& diary);

// Each is the fact alone, or what is missing for it ("未设置身高", "还没有称重记录"); numbers in `locale`. Ages are
// counted in `thisYear`.
QString newest(const Diary& diary, const QLocale& locale); // 148.5斤（2026年12月7日）
QString trend(const Diary& diary, const QLocale& locale);  // 150.0斤
QString rate(const Diary& diary, const QLocale& locale);   // -1.0斤
// 27.5（超重）; for a child the figure without a class of the adult scale.
QString bmi(const health::Profile& profile, const Diary& diary, int thisYear, const QLocale& locale);
// 100.5–130.4斤; from 65 with the older range's BMI.
QString healthyRange(const health::Profile& profile, int thisYear, const QLocale& locale);
// The projection, its pace judged at half the share from 65.
health::Projection projection(const health::Profile& profile, const Diary& diary, int thisYear);
// 120斤，还差 30.0斤；按现在的速度，预计 …。
QString goal(const health::Profile& profile, const Diary& diary, int thisYear, const QLocale& locale);
// True unless the trend is within the band of the goal or below it: then the budget keeps the weight.
bool losing(const health::Profile& profile, const Diary& diary);
// Why no deficit is advised now; health::Caution::None when the budget may hold one.
health::Caution caution(const health::Profile& profile, const Diary& diary, int thisYear);
// The computed budget; nothing while an input is missing, and never for a child. A deficit only while losing and
// without a caution.
std::optional<int> suggestedBudget(const health::Profile& profile, const Diary& diary, int thisYear);
QString budget(const health::Profile& profile, const Diary& diary, int thisYear); // 每天建议摄入约 1,480 大卡
// What a day may hold: the user's own budget, else the computed one; nothing while an input is missing or for a child.
std::optional<int> dayBudget(const health::Profile& profile, const Diary& diary, int thisYear);
// What the formula says a day uses at the trend's weight, no deficit, to the nearest 10 kcal; nothing for a child.
std::optional<int> formulaUse(const health::Profile& profile, const Diary& diary, int thisYear);

// 身体实际每天消耗约 1,530 大卡（多半在 1,420-1,640 之间），按公式估计 1,630，根据最近 28 天里 20 天的饮食记录和体重。
// (the formula's figure when the profile gives one), or what is still missing.
QString realUse(const health::Profile& profile, const Diary& diary, int thisYear);
// For the command line: 约 1530 大卡/天（80% 区间 1420-1640），根据 28 天里 20 天的饮食记录, or 还需要 N 天的饮食记录.
QString realUseLine(const Diary& diary);
// The budget the estimate gives: its use, less the deficit while losing and without a caution, never under the
// floor; nothing for a child.
std::optional<int> budgetFromUse(const health::Profile& profile, const Diary& diary, int thisYear);

// What Tevu will not advise and why, one sentence each: a child's, the pregnant's, the underweight's, the older adult's
// range, the question not yet answered. Empty when there is nothing to say.
QStringList cautions(const health::Profile& profile, const Diary& diary, int thisYear);

// One fact a line, for `tevu --summary`: newest weight, trend, weekly rate, BMI, goal and projection, budget, the real
// use once the food log holds a complete day, then the cautions.
QStringList summary(const health::Profile& profile, const Diary& diary, int thisYear, const QLocale& locale);

// Refusal of a goal for a child, or under the healthy range for the height and age; empty when the goal is fine or
// cannot be judged.
QString goalTooLow(const health::Profile& profile, int thisYear, const QLocale& locale);
// A note, not a refusal, for a goal over the healthy range's top: for a heavy person it may be a first step.
QString goalAboveRange(const health::Profile& profile, int thisYear, const QLocale& locale);
// What the trend is, in one short line, for the curve's description and 我的目标.
QString trendMeaning();
// Refusal of an own budget under the floor for the sex; empty when it is fine or not set.
QString ownBudgetTooLow(const health::Profile& profile);

// The gentle line when the mean of `intake` (the days logged among the last ones before today) is under the floor for
// the sex; empty otherwise, or when fewer than lowIntakeMinimumDays of them are logged.
inline constexpr int lowIntakeDays = 7;
inline constexpr int lowIntakeMinimumDays = 4;
QString lowIntake(const health::Profile& profile, const std::vector<health::DayIntake>& intake);

} // namespace goalfacts
