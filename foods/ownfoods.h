// The foods a user adds: a name, the energy per 100 g, optional nutrients and up to four household units, kept in a
// table of their own that the content upgrade never touches. Found by the search like the shipped foods: their
// pinyin is worked out through ICU when they are saved and stored beside them.
#pragma once

#include "data/rowchanges.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Connection;
struct sqlite3;

namespace ownfoods {

inline constexpr auto table = "own_foods";
inline constexpr int maximumUnits = 4;
inline constexpr double maximumKcal = 900; // per 100 g: pure fat is about 900
// A name that a shipped food has too is listed and logged with this after it.
inline constexpr auto mark = "（自己加的）";

struct Unit {
    QString name;
    double grams = 0;
};

struct Food {
    qint64 key = 0;
    QString name;
    double kcalPer100g = 0;
    std::optional<double> protein; // grams per 100 g, when given
    std::optional<double> fat;
    std::optional<double> carbohydrate;
    QList<Unit> units;
    QStringList readings; // the pinyin, as the search takes it; worked out by add and change
};

QStringList tableStatements();
bool hasTable(sqlite3* db, const QString& path);

// Every own food in the order they were added; nothing for a file without the table.
std::vector<Food> read(sqlite3* db, const QString& path);
// The own food of that name, or of that name with the mark after it.
std::optional<Food> named(sqlite3* db, const QString& path, const QString& title);

// The energy per 100 g of a unit of `grams` that holds `kcal`: 一个 = 80 克，210 大卡 is 262.5.
double per100g(double grams, double kcal);

// Throws DataError naming the field when a value is refused: no name, energy outside 0 to maximumKcal per 100 g,
// a nutrient below 0 or above 100 g per 100 g, more than maximumUnits units, a unit without a name or of 0 g or less.
void check(const Food& food);

// Each is one transaction and returns the change for undo. add and change refuse a name another own food has, and
// work out the pinyin of the name. change and remove act on the row of `shown`, the food as it was read, and refuse
// when that row no longer holds it (another program changed the file meanwhile).
rowchanges::Change add(Connection& connection, Food food);
rowchanges::Change change(Connection& connection, const Food& shown, Food food);
rowchanges::Change remove(Connection& connection, const Food& shown);

} // namespace ownfoods
