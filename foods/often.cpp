// The foods eaten often, read from the food log by its index on the time.
#include "foods/often.h"

#include "data/sqlite.h"
#include "foods/foodlog.h"

namespace often {

std::vector<Food> eatenOften(sqlite3* db, const QString& path, const QDate& today)
{
    std::vector<Food> found;
    if (!foodlog::hasTables(db, path))
        return found;
    // With max() as its only aggregate, SQLite takes the bare columns from the row that holds the maximum: the
    // amount and unit of the item logged last (of two at the same millisecond, the one stored last).
    const sqlite::CachedStatement often = sqlite::cached(db,
                                                         "SELECT food, amount, unit, g, count(*) AS times, "
                                                         "max(time || printf('%020d', rowid)) AS last FROM food_log "
                                                         "WHERE time >= ? AND time < ? GROUP BY food "
                                                         "ORDER BY times DESC, last DESC",
                                                         path);
    often->bind(1, today.addDays(1 - days).toString(Qt::ISODate));
    often->bind(2, today.addDays(1).toString(Qt::ISODate));
    while (often->step())
        found.push_back({often->value(0).toString(), often->value(1).toDouble(), often->value(2).toString(),
                         often->value(3).toDouble(), static_cast<int>(often->integer(4))});
    return found;
}

QString label(const Food& food)
{
    return food.title + u' ' + foodlog::quantityText(food.amount, food.unit);
}

} // namespace often
