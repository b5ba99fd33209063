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
// The youngest whose birth year may be entered: a family member's file is kept, though no advice is given to a child.
inline constexpr int minimumAge = 10;
// From this age the adult BMI scale and the energy formula apply. A younger body is still growing: whether its weight
// is right is judged by age and sex on growth charts, by a doctor or a school nurse, and no deficit is advised.
inline constexpr int adultAge = 18;
// From these ages a higher BMI is healthy, and losing weight within it costs muscle and bone that older people need.
inline constexpr int olderAge = 65;
inline constexpr int oldestAge = 80;
// Women of this age or older are not asked whether they are pregnant or breastfeeding.
inline constexpr int lastAskedPregnancyAge = 55;

// What a user tells about themself in 我的目标. A field is unset until the user gives it; a stored value outside what
// may be entered reads as unset.
struct Profile {
    std::optional<double> height; // cm
    std::optional<Sex> sex;
    std::optional<int> birthYear;
    std::optional<double> goal; // jin
    std::optional<Activity> activity;
    std::optional<int> ownBudget; // kcal a day, in place of the computed one
    std::optional<bool> pregnant; // pregnant or breastfeeding; unset until asked
    bool operator==(const Profile&) const = default;
};

// The latest birth year that may be entered in `thisYear`.
inline int latestBirthYear(int thisYear)
{
    return thisYear - minimumAge;
}

// The age reached in `thisYear`; nothing without a birth year.
std::optional<int> age(const Profile& profile, int thisYear);
// Under adultAge: no adult BMI class, no goal, no budget.
bool isChild(const Profile& profile, int thisYear);
// Whether 是否怀孕或在哺乳期？ is asked: of an adult woman under lastAskedPregnancyAge (of any woman while her age is
// not known).
bool asksPregnancy(const Profile& profile, int thisYear);

// kg / m²; nothing for a weight or height that is not above 0.
std::optional<double> bmi(double weightJin, double heightCm);
// The BMI in tenths as it is shown, halves away from zero: 27.46 is 275.
int shownTenths(double bmi);

enum class BmiClass { Underweight, Normal, Overweight, Obese };
// < 18.5 体重过低, 18.5–< 24 正常, 24–< 28 超重, ≥ 28 肥胖. The BMI is taken at the one decimal that is shown, so that
// a 24.0 on screen never reads 正常.
BmiClass bmiClass(double bmi);
QString bmiClassName(BmiClass bmiClass);

// The healthy BMI as shown, both ends included: 18.5–23.9 (the class 正常); from olderAge 20.0–26.9, from oldestAge
// 22.0–26.9.
struct BmiRange {
    int lowTenths = 185;
    int highTenths = 239;
};
BmiRange healthyBmi(std::optional<int> age);

// The weights in jin, at tenths, whose shown BMI lies in the healthy BMI for the age: the lightest tenth whose BMI
// shows the lower end or more, the heaviest whose BMI shows the upper end or less. For an adult under olderAge these
// are exactly the weights whose class is 正常.
struct WeightRange {
    double low = 0;
    double high = 0;
};
WeightRange healthyRange(double heightCm, std::optional<int> age = std::nullopt);

// Mifflin-St Jeor, kcal a day at rest: 10 × kg + 6.25 × cm − 5 × age, then + 5 for a man and − 161 for a woman.
double restingEnergy(double weightJin, double heightCm, int age, Sex sex);

// Below these a diet leaves out what a body needs, whatever the formula says.
inline constexpr int womanFloor = 1200;
inline constexpr int manFloor = 1500;
// The floor for the sex; a woman's while the sex is not known, the lower one, so that no one's entry is refused
// wrongly.
int floorFor(std::optional<Sex> sex);
// About 1 jin of fat a week: 500 kcal a day less than a day uses.
inline constexpr int dailyDeficit = 500;

// Resting energy × the activity factor − the deficit, to the nearest 10 kcal (more would be false precision), never
// under the sex's floor. Without `losing` (a goal reached, or one above the trend) there is no deficit: telling
// someone who should keep or gain weight to eat 500 kcal less than they use would be plainly wrong.
int dailyBudget(double restingEnergy, Activity activity, Sex sex, bool losing = true);

// "#,##0.###": thousands grouped, at most three decimals, no trailing zeros; the locale's group and decimal separators
// and minus sign. Weights, heights and the chart's labels are shown so.
QString numberText(double value, const QLocale& locale);

// Why no deficit is advised, the first that applies; None when a deficit may be.
enum class Caution {
    None,
    Child,        // under adultAge
    Pregnant,     // pregnant or breastfeeding: the doctor decides
    Underweight,  // the trend's BMI is under 18.5
    OlderInRange, // from olderAge, the trend's BMI within the older range or under it
    Unasked       // a woman who has not yet said whether she is pregnant or breastfeeding
};
Caution caution(const Profile& profile, std::optional<double> trendJin, int thisYear);

// The profile as the rules read it: for a child no goal and no own budget; a goal under the healthy range for the
// height and age, and an own budget under the floor for the sex, are unset (files from before these rules hold them).
Profile admissible(Profile profile, int thisYear);

// "1,480": thousands grouped, as a reader expects an energy figure.
QString kcalText(int kcal);

} // namespace health
