// The foods a user eats often, from the food log: what the calorie view lists first and the search ranks higher.
#pragma once

#include <QDate>
#include <QString>
#include <vector>

struct sqlite3;

namespace often {

// How far back the log is read.
inline constexpr int days = 30;

struct Food {
    QString title;
    double amount = 0; // as last logged
    QString unit;
    double grams = 0;
    int times = 0;
};

// The foods logged in the `days` days up to and including `today`, most often first, and of two logged as often the
// one logged last first; each with the amount and unit it was last logged with. Nothing for a file without a log.
std::vector<Food> eatenOften(sqlite3* db, const QString& path, const QDate& today);

// 鸡蛋 2个: how the calorie view lists one.
QString label(const Food& food);

} // namespace often
