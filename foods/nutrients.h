// What a day holds besides energy: protein, fat, carbohydrate, dietary fibre and sodium of the items logged, and
// the shares of energy from protein, fat and carbohydrate against the Chinese guideline for weight management.
#pragma once

#include "foods/foodlog.h"

#include <QString>
#include <array>
#include <optional>

struct sqlite3;

namespace nutrients {

enum class Nutrient { Protein, Fat, Carbohydrate, Fibre, Sodium };
inline constexpr std::size_t count = 5;
// Per 100 g: grams, and milligrams of sodium; none where unknown.
using Per100g = std::array<std::optional<double>, count>;

// A shipped food's from the nutrients table, an own food's where the user gave them; all unknown otherwise.
Per100g of(sqlite3* db, const QString& path, const QString& title);

struct Totals {
    std::array<double, count> amounts{}; // grams, sodium in milligrams
    // An item whose value is unknown: the amount is at least this.
    std::array<bool, count> atLeast{};
};
// The items' nutrients, each item's grams × its food's value per 100 g.
Totals ofDay(sqlite3* db, const QString& path, const foodlog::Day& day);

// Salt from sodium: 2.54 g of salt hold 1 g of sodium.
double saltGrams(double sodiumMilligrams);

// 蛋白质 52 克 · 脂肪 38 克 · 碳水 160 克 · 膳食纤维 14 克 · 盐 4.2 克, "至少" before a figure with an unknown part;
// empty for a day without items.
QString amountLine(const Totals& totals, bool anyItem);

// The guideline for weight loss (体重管理指导原则 2024): the shares of energy from protein 15-20 %, fat 20-30 %,
// carbohydrate 50-60 %; salt under 5 g, fibre 25-30 g a day.
struct Range {
    double low;
    double high;
};
inline constexpr Range proteinShare{15, 20};
inline constexpr Range fatShare{20, 30};
inline constexpr Range carbohydrateShare{50, 60};
inline constexpr double saltLimit = 5;
inline constexpr Range fibreRange{25, 30};

// The shares of energy from protein (4 kcal a gram), fat (9) and carbohydrate (4), in percent of their sum; none
// without any.
std::optional<std::array<double, 3>> energyShares(const Totals& totals);
// 能量来自蛋白质 16%、脂肪 34%（偏高，宜 20–30%）、碳水 50%；盐 6.1 克（偏多，宜少于 5 克）；膳食纤维 14 克（偏少，宜
// 25–30 克）: each figure outside the guideline marked with the range. Empty without items.
QString guidelineLine(const Totals& totals, bool anyItem);
// The line of `tevu --summary`: 今天蛋白质 52 克，盐 4.2 克.
QString summaryLine(const Totals& totals);

} // namespace nutrients
