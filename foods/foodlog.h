// The food log: what was eaten on a day, by meal, in the units a Chinese kitchen counts in, and the exercises that
// add to the day's allowance; the day's totals against the budget. Read and written through the program's connection;
// a data file made before the log opens without its tables, which the first entry creates.
#pragma once

#include "data/rowchanges.h"
#include "health/body.h"
#include "health/energy.h"
#include "health/goalfacts.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class Connection;
struct sqlite3;

namespace foodlog {

enum class Meal { Breakfast, Lunch, Dinner, Snack };
inline constexpr std::array meals{Meal::Breakfast, Meal::Lunch, Meal::Dinner, Meal::Snack};
// 早餐 / 午餐 / 晚餐 / 加餐
QString mealName(Meal meal);
std::optional<Meal> mealNamed(const QString& name);
// The meal a time of day most likely belongs to: 早餐 from 5 to before 10, 午餐 from 10 to before 15, 晚餐 from 17
// to before 21, 加餐 at every other hour.
Meal mealAt(const QTime& time);

// One measure a food is counted in: its name and the grams one of it holds.
struct Unit {
    QString name;
    double grams = 0;
    QString measure = QStringLiteral("克"); // what the grams are shown in: 毫升 for a liquid
};
// As a unit list shows it: 克, 两（50克）, 一杯（250毫升）, 一只（可食部，200克）.
QString unitLabel(const Unit& unit);
// An amount of a unit as the log lists it: 150克, 1.5两, 2个 (of 一个), 2小碗（含汤）, 2×大杯.
QString quantityText(double amount, const QString& unit);
inline constexpr double gramsPerLiang = 50;
// Beyond this one item is a mistyped amount or a wrong unit, not a meal.
inline constexpr double maximumGrams = 5000;
// A household unit as the portions table gives it (its grams as text, 毫升 or 克); nothing for grams that are not a
// number above 0.
std::optional<Unit> householdUnit(const QString& name, const QString& grams, const QString& measure);
// The food's household units, then 克 and 两.
QList<Unit> unitsFor(const QList<Unit>& household);
// The grams of `amount` of `unit`; throws DataError in Chinese for an amount that is not above 0 or that comes to
// more than maximumGrams.
double gramsOf(double amount, const Unit& unit);
// A food's energy and its units, as the calorie view shows them: a shipped food by its title, else one of the user's
// own foods by its name (marked or not); nothing for a food found nowhere or without a number for its energy.
struct Food {
    QString title;
    double kcalPer100g = 0;
    QList<Unit> units; // household units first, then 克 and 两
};
std::optional<Food> food(sqlite3* db, const QString& path, const QString& title);

struct Item {
    qint64 key = 0;
    QDateTime time;
    Meal meal = Meal::Snack;
    QString food;
    double amount = 0;
    QString unit;
    double grams = 0;
    double kcal = 0;
};
struct Exercise {
    qint64 key = 0;
    QDateTime time;
    QString name;
    double minutes = 0;
    double kcal = 0;
};
struct Day {
    std::vector<Item> items;         // by time, then as logged
    std::vector<Exercise> exercises; // by time, then as logged
};

// The table statements; the tables and their index on the time are made with the first entry.
inline constexpr auto foodTable = "food_log";
inline constexpr auto exerciseTable = "exercise_log";
QStringList tableStatements();
bool hasTables(sqlite3* db, const QString& path);

// Each is one transaction with the program's settings, and returns the change for undo (rowchanges).
rowchanges::Change add(Connection& connection, const Item& item);
rowchanges::Change add(Connection& connection, const Exercise& exercise);
// A changed amount, unit or meal of a logged item; its grams and energy worked out again from `food`.
rowchanges::Change change(Connection& connection, const Item& item, double amount, const Unit& unit, Meal meal,
                          double kcalPer100g);
// Each refuses, changing nothing, a row that no longer holds what was read of it (another program restored the file,
// and its key now names another row).
rowchanges::Change remove(Connection& connection, const Item& item);
rowchanges::Change remove(Connection& connection, const Exercise& exercise);

// The same again: the items of a meal of one day (of every meal when none is given) added at `now`, with their
// amounts and units, in one transaction and one change for undo. Their energy is worked out from the food as it is now
// (a unit the food still has gives its grams now); a food gone from the table keeps what it was logged with. Throws
// DataError, adding nothing, when there is nothing to copy or `from` is the day of `now`.
struct Copy {
    rowchanges::Change change;
    int items = 0;
    double kcal = 0;
};
Copy copy(Connection& connection, const QDate& from, std::optional<Meal> meal, const QDateTime& now);
// 已把 12月7日 的早餐 3 样（420 大卡）加到今天; a whole day: 已把 12月7日 全天的 5 样（1,230 大卡）加到今天.
QString copiedLine(const QDate& from, std::optional<Meal> meal, const Copy& copy);

Day read(sqlite3* db, const QString& path, const QDate& day);
// The energy logged on each day from `first` to `last`, days without an item left out.
std::vector<health::DayIntake> intake(sqlite3* db, const QString& path, const QDate& first, const QDate& last);
// Adds to `diary` what the body uses (goalfacts::estimate), from the log since the diary's first weighing.
void estimateBody(goalfacts::Diary& diary, sqlite3* db, const QString& path, const health::Profile& profile,
                  const QDate& today);
// The energy logged on one day; 0 without a log.
double eatenOn(sqlite3* db, const QString& path, const QDate& day);

// The exercises a user can log: every shipped exercise whose text says what MET it was counted with.
struct Activity {
    QString name;
    double met = 0;
};
// "按MET约4.3计算": the first MET the text names.
std::optional<double> metIn(const QString& text);
std::vector<Activity> activities(sqlite3* db, const QString& path);

enum class Bar { Green, Orange, Red };
// Within this share of the allowance the day is near its budget.
inline constexpr double nearShare = 0.9;
struct Totals {
    std::array<double, 4> meals{}; // by Meal
    double eaten = 0;
    double exercise = 0; // the net energy of the day's exercise
    std::optional<int> budget;
    double allowance = 0; // budget + the eat-back share of the exercise
    Bar bar = Bar::Green;
    int floor = health::womanFloor; // the least a day should hold, for the sex
    bool tooLittle = false;         // an ended day with a log under the floor
    bool child = false;             // no budget, and none to fill in: the user is under 18
};
// Green up to nearShare of the allowance, orange up to the allowance, red past it.
Bar barFor(double eaten, double allowance);
// `ended`: the day is over (its meals are all in), so a total under `floor` is a day that held too little: its bar is
// orange, never green.
Totals totals(const Day& day, std::optional<int> budget, int floor = health::womanFloor, bool ended = false);
// After this hour the day's meals are in: the dinner hours are over.
inline constexpr int dayEndsHour = 21;
// Whether `day` is over at `now`.
bool dayEnded(const QDate& day, const QDateTime& now);

// 今天 1,230 / 1,450 大卡，还可以吃 220 大卡 (超出 120 大卡 past it); another day by its date; without a budget the
// total alone and what is missing for one. A day that held too little says so on a line of its own:
// 今天吃得太少了（低于 1,200 大卡）.
QString totalLine(const Totals& totals, const QDate& day, const QDate& today);
// The line of `tevu --summary`: 今天已吃 1,230 大卡，预算 1,450 大卡 (with exercise: 预算 1,630 大卡（含运动 180
// 大卡）).
QString summaryLine(const Totals& totals);
// 运动 +180 大卡（预算加一半：+90 大卡）; empty without exercise.
QString exerciseLine(const Totals& totals);
// An amount as a user typed it: 1.5, 2, 0.25.
QString amountText(double amount);

} // namespace foodlog
