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

// Each is the fact alone, or what is missing for it ("未设置身高", "还没有称重记录"); numbers in `locale`.
QString newest(const Diary& diary, const QLocale& locale); // 148.5斤（2026年12月7日）
QString trend(const Diary& diary, const QLocale& locale);  // 150.0斤
QString rate(const Diary& diary, const QLocale& locale);   // -1.0斤
QString bmi(const health::Profile& profile, const Diary& diary, const QLocale& locale); // 27.5（超重）
QString healthyRange(const health::Profile& profile, const QLocale& locale);            // 100.8–130.6斤
health::Projection projection(const health::Profile& profile, const Diary& diary);
// 120斤，还差 30.0斤；按现在的速度，预计 …。
QString goal(const health::Profile& profile, const Diary& diary, const QLocale& locale);
// True unless the trend is within the band of the goal or below it: then the budget keeps the weight.
bool losing(const health::Profile& profile, const Diary& diary);
// The computed budget; nothing while an input is missing.
std::optional<int> suggestedBudget(const health::Profile& profile, const Diary& diary, int thisYear);
QString budget(const health::Profile& profile, const Diary& diary, int thisYear); // 每天建议摄入约 1,480 大卡
// What a day may hold: the user's own budget, else the computed one; nothing while an input is missing.
std::optional<int> dayBudget(const health::Profile& profile, const Diary& diary, int thisYear);
// What the formula says a day uses at the trend's weight, no deficit, to the nearest 10 kcal.
std::optional<int> formulaUse(const health::Profile& profile, const Diary& diary, int thisYear);

// 身体实际每天消耗约 1,530 大卡（多半在 1,420-1,640 之间），按公式估计 1,630，根据最近 28 天里 20 天的饮食记录和体重。
// (the formula's figure when the profile gives one), or what is still missing.
QString realUse(const health::Profile& profile, const Diary& diary, int thisYear);
// For the command line: 约 1530 大卡/天（80% 区间 1420-1640），根据 28 天里 20 天的饮食记录, or 还需要 N 天的饮食记录.
QString realUseLine(const Diary& diary);
// The budget the estimate gives: its use, less the deficit while losing, never under the floor for the sex.
std::optional<int> budgetFromUse(const health::Profile& profile, const Diary& diary);

// One fact a line, for `tevu --summary`: newest weight, trend, weekly rate, BMI, goal and projection, budget, and the
// real use once the food log holds a complete day.
QStringList summary(const health::Profile& profile, const Diary& diary, int thisYear, const QLocale& locale);

// Refusal of a goal under the healthy range for the height; empty when the goal is fine or cannot be judged.
QString goalTooLow(const health::Profile& profile, const QLocale& locale);

} // namespace goalfacts
