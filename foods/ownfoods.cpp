// The own foods' table: one row a food, its units and pinyin as text in the row, so that every change is one row.
#include "foods/ownfoods.h"

#include "data/connection.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "foods/pinyin.h"

#include <cmath>

namespace ownfoods {

namespace {

const QString columns = QStringLiteral("name, kcal, protein, fat, carbohydrate, units, pinyin");

// "一个\t80\n一片\t30": a unit a line.
QString unitsText(const QList<Unit>& units)
{
    QStringList lines;
    for (const Unit& unit : units)
        lines << unit.name + u'\t' + QString::number(unit.grams, 'g', 10);
    return lines.join(u'\n');
}

QList<Unit> unitsFrom(const QString& text)
{
    QList<Unit> units;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        bool isNumber = false;
        const double grams = fields.value(1).toDouble(&isNumber);
        if (fields.size() == 2 && isNumber && grams > 0 && !fields[0].isEmpty())
            units << Unit{fields[0], grams};
    }
    return units;
}

QVariant optional(const std::optional<double>& value)
{
    return value ? QVariant(*value) : QVariant();
}

std::optional<double> optionalFrom(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

void ensureTable(sqlite3* db, const QString& path)
{
    if (hasTable(db, path))
        return;
    for (const QString& statement : tableStatements())
        sqlite::exec(db, statement, path);
}

// Refuses a name that another own food has: names are what the log and the search know them by.
void checkUnique(sqlite3* db, const QString& path, const Food& food)
{
    sqlite::Statement same(db, QStringLiteral("SELECT 1 FROM own_foods WHERE name = ? AND rowid <> ?"), path);
    same.bind(1, food.name);
    same.bind(2, food.key);
    if (same.step())
        throw DataError(QStringLiteral("名称：已经有一种自己加的食物叫“%1”了。").arg(food.name));
}

// What a change by key checks the row still holds: the name and energy the window showed.
rowchanges::SeenRow seen(const Food& shown)
{
    return {shown.key, {{QStringLiteral("name"), shown.name}, {QStringLiteral("kcal"), shown.kcalPer100g}}};
}

QVariantList values(const Food& food)
{
    return {food.name,
            food.kcalPer100g,
            optional(food.protein),
            optional(food.fat),
            optional(food.carbohydrate),
            unitsText(food.units),
            food.readings.join(u'\n')};
}

} // namespace

QStringList tableStatements()
{
    return {QStringLiteral("CREATE TABLE own_foods (\n"
                           "    name         TEXT NOT NULL,\n"
                           "    kcal         REAL NOT NULL,\n"
                           "    protein      REAL,\n"
                           "    fat          REAL,\n"
                           "    carbohydrate REAL,\n"
                           "    units        TEXT,\n"
                           "    pinyin       TEXT\n"
                           ")"),
            QStringLiteral("CREATE UNIQUE INDEX own_foods_name ON own_foods(name)")};
}

bool hasTable(sqlite3* db, const QString& path)
{
    return sqlite::hasTable(db, QLatin1String(table), path);
}

std::vector<Food> read(sqlite3* db, const QString& path)
{
    std::vector<Food> foods;
    if (!hasTable(db, path))
        return foods;
    sqlite::Statement rows(db, QStringLiteral("SELECT rowid, %1 FROM own_foods ORDER BY rowid").arg(columns), path);
    while (rows.step())
        foods.push_back({rows.integer(0), rows.value(1).toString(), rows.value(2).toDouble(),
                         optionalFrom(rows.value(3)), optionalFrom(rows.value(4)), optionalFrom(rows.value(5)),
                         unitsFrom(rows.value(6).toString()),
                         rows.value(7).toString().split(u'\n', Qt::SkipEmptyParts)});
    return foods;
}

std::optional<Food> named(sqlite3* db, const QString& path, const QString& title)
{
    if (!hasTable(db, path))
        return std::nullopt;
    const QString marked = QString::fromUtf8(mark);
    for (const QString& name : {title, title.endsWith(marked) ? title.chopped(marked.size()) : QString()}) {
        if (name.isEmpty())
            continue;
        const sqlite::CachedStatement row =
            sqlite::cached(db,
                           "SELECT rowid, name, kcal, protein, fat, carbohydrate, units FROM own_foods "
                           "WHERE name = ?",
                           path);
        row->bind(1, name);
        if (row->step())
            return Food{row->integer(0),
                        row->value(1).toString(),
                        row->value(2).toDouble(),
                        optionalFrom(row->value(3)),
                        optionalFrom(row->value(4)),
                        optionalFrom(row->value(5)),
                        unitsFrom(row->value(6).toString()),
                        {}};
    }
    return std::nullopt;
}

double per100g(double grams, double kcal)
{
    if (!(grams > 0) || !std::isfinite(grams))
        throw DataError(QStringLiteral("克数：要大于 0。"));
    return kcal * 100 / grams;
}

void check(const Food& food)
{
    if (food.name.trimmed().isEmpty())
        throw DataError(QStringLiteral("名称：请填写食物的名称。"));
    if (food.name.size() > 40 || food.name.contains(u'\n') || food.name.contains(u'\t'))
        throw DataError(QStringLiteral("名称：最多 40 个字，一行。"));
    // The mark tells an own food from a shipped one of the same name; a name of its own with it would be ambiguous.
    if (food.name.trimmed().endsWith(QString::fromUtf8(mark)))
        throw DataError(QStringLiteral("名称：不能以“%1”结尾。").arg(QString::fromUtf8(mark)));
    if (!(food.kcalPer100g >= 0 && food.kcalPer100g <= maximumKcal))
        throw DataError(QStringLiteral("每100克大卡：要在 0 到 %1 之间（现在是 %2）。")
                            .arg(maximumKcal)
                            .arg(std::isfinite(food.kcalPer100g) ? QString::number(std::lround(food.kcalPer100g))
                                                                 : QStringLiteral("无效的数")));
    const std::pair<const std::optional<double>*, const char16_t*> nutrients[] = {
        {&food.protein, u"蛋白质"}, {&food.fat, u"脂肪"}, {&food.carbohydrate, u"碳水化合物"}};
    for (const auto& [value, name] : nutrients)
        if (*value && !(**value >= 0 && **value <= 100))
            throw DataError(QStringLiteral("%1：每 100 克要在 0 到 100 克之间。").arg(QString::fromUtf16(name)));
    if (food.units.size() > maximumUnits)
        throw DataError(QStringLiteral("单位：最多 %1 个。").arg(maximumUnits));
    for (const Unit& unit : food.units) {
        if (unit.name.trimmed().isEmpty() || unit.name.contains(u'\n') || unit.name.contains(u'\t'))
            throw DataError(QStringLiteral("单位：请填写单位的名称（例如“一个”）。"));
        if (!(unit.grams > 0 && unit.grams <= 5000))
            throw DataError(QStringLiteral("单位“%1”的克数：要大于 0，最多 5000 克。").arg(unit.name));
    }
}

rowchanges::Change add(Connection& connection, Food food)
{
    food.name = food.name.trimmed();
    check(food);
    food.readings = pinyin::readingsOf(food.name);
    sqlite3* db = connection.handle();
    const QString path = connection.filePath();
    qint64 key = 0;
    {
        sqlite::Transaction transaction(db, path);
        ensureTable(db, path);
        checkUnique(db, path, food);
        sqlite::Statement insert(
            db, QStringLiteral("INSERT INTO own_foods(%1) VALUES (?, ?, ?, ?, ?, ?, ?)").arg(columns), path);
        const QVariantList row = values(food);
        for (qsizetype i = 0; i < row.size(); ++i)
            insert.bind(static_cast<int>(i) + 1, row[i]);
        insert.step();
        key = sqlite::lastInsertRowid(db);
        transaction.commit();
    }
    return rowchanges::added(connection, QLatin1String(table), key);
}

rowchanges::Change change(Connection& connection, const Food& shown, Food food)
{
    food.key = shown.key;
    food.name = food.name.trimmed();
    check(food);
    food.readings = pinyin::readingsOf(food.name);
    checkUnique(connection.handle(), connection.filePath(), food);
    const QVariantList row = values(food);
    return rowchanges::update(connection, QLatin1String(table), seen(shown), columns.split(QStringLiteral(", ")),
                              rowchanges::Values(row.cbegin(), row.cend()));
}

rowchanges::Change remove(Connection& connection, const Food& shown)
{
    return rowchanges::remove(connection, QLatin1String(table), {seen(shown)});
}

} // namespace ownfoods
