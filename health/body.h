// A body's measures: BMI and its class on the Chinese adult scale, the healthy weights for a height, resting energy
// and a daily energy budget. Weights are in jin (half a kilogram), as the diary keeps them.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace health {

inline constexpr double jinPerKilogram = 2;

enum class Sex { Female, Male };
enum class Activity { Sedentary, Light, Moderate, Heavy };

// 女 / 男; 久坐 / 轻度活动 / 中度活动 / 重度活动.
QString sexName(Sex sex);
QString activityName(Activity activity);
// The multiplier of resting energy for a day at this activity: 1.2, 1.375, 1.55, 1.725.
double activityFactor(Activity activity);

// What a user may enter, ends included.
inline constexpr double minimumHeight = 100;
inline constexpr double maximumHeight = 250;
inline constexpr double minimumGoal = 40;
inline constexpr double maximumGoal = 600;
inline constexpr int minimumBudget = 800;
inline constexpr int maximumBudget = 5000;
inline constexpr int earliestBirthYear = 1900;
// Nobody younger than this sets a slimming goal here: the adult scale and the energy formula are for grown-ups.
inline constexpr int minimumAge = 10;

// What a user tells about themself in 我的目标. A field is unset until the user gives it; a stored value outside what
// may be entered reads as unset.
struct Profile {
    std::optional<double> height; // cm
    std::optional<Sex> sex;
    std::optional<int> birthYear;
    std::optional<double> goal; // jin
    std::optional<Activity> activity;
    std::optional<int> ownBudget; // kcal a day, in place of the computed one
    bool operator==(const Profile&) const = default;
};

// The latest birth year that may be entered in `thisYear`.
inline int latestBirthYear(int thisYear)
{
    return thisYear - minimumAge;
}

// kg / m²; nothing for a weight or height that is not above 0.
std::optional<double> bmi(double weightJin, double heightCm);

enum class BmiClass { Underweight, Normal, Overweight, Obese };
// < 18.5 偏瘦, 18.5–< 24 正常, 24–< 28 超重, ≥ 28 肥胖. The BMI is taken at the one decimal that is shown, so that a
// 24.0 on screen never reads 正常.
BmiClass bmiClass(double bmi);
QString bmiClassName(BmiClass bmiClass);

// The weights in jin, at tenths, whose BMI is 18.5 or more and under 24: the lower end rounded up, the upper end the
// last tenth below 24.
struct WeightRange {
    double low = 0;
    double high = 0;
};
WeightRange healthyRange(double heightCm);

// Mifflin-St Jeor, kcal a day at rest: 10 × kg + 6.25 × cm − 5 × age, then + 5 for a man and − 161 for a woman.
double restingEnergy(double weightJin, double heightCm, int age, Sex sex);

// Below these a diet leaves out what a body needs, whatever the formula says.
inline constexpr int womanFloor = 1200;
inline constexpr int manFloor = 1500;
// About 1 jin of fat a week: 500 kcal a day less than a day uses.
inline constexpr int dailyDeficit = 500;

// Resting energy × the activity factor − the deficit, to the nearest 10 kcal (more would be false precision), never
// under the sex's floor. Without `losing` (a goal reached, or one above the trend) there is no deficit: telling
// someone who should keep or gain weight to eat 500 kcal less than they use would be plainly wrong.
int dailyBudget(double restingEnergy, Activity activity, Sex sex, bool losing = true);

// "#,##0.###": thousands grouped, at most three decimals, no trailing zeros; the locale's group and decimal separators
// and minus sign. Weights, heights and the chart's labels are shown so.
QString numberText(double value, const QLocale& locale);

// "1,480": thousands grouped, as a reader expects an energy figure.
QString kcalText(int kcal);

} // namespace health
