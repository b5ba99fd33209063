// The food log's tables, its units and its totals.
#include "foods/foodlog.h"

#include "data/connection.h"
#include "data/conversions.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "foods/ownfoods.h"
#include "health/body.h"

#include <QRegularExpression>
#include <cmath>

namespace foodlog {

namespace {

const QString gram = QStringLiteral("克");
const QString liang = QStringLiteral("两");

void ensureTables(sqlite3* db, const QString& path)
{
    if (hasTables(db, path))
        return;
    for (const QString& statement : tableStatements())
        sqlite::exec(db, statement, path);
}

// The bounds of a day as stored times compare: from its midnight to the next one.
QString dayStart(const QDate& day)
{
    return day.toString(Qt::ISODate);
}

QDateTime storedTime(const QVariant& value)
{
    return conversions::fromStorageText(value.toString()).value_or(QDateTime());
}

qint64 insert(Connection& connection, const QString& table, const QString& columns, const QVariantList& values)
{
    sqlite3* db = connection.handle();
    const QString path = connection.filePath();
    sqlite::Transaction transaction(db, path);
    const QString sql = QStringLiteral("INSERT INTO %1(%2) VALUES (%3)")
                            .arg(table, columns, QStringList(values.size(), QStringLiteral("?")).join(u','));
    // A file from before the log has no tables until its first entry; looked for only when the statement fails, as
    // an item is added while the user waits.
    // Kept prepared: the same statement for every item of the day.
    const auto prepared = [&]() -> sqlite::CachedStatement {
        try {
            return sqlite::cached(db, sql, path);
        } catch (const DataError&) {
            if (hasTables(db, path))
                throw;
        }
        ensureTables(db, path);
        return sqlite::cached(db, sql, path);
    };
    const sqlite::CachedStatement row = prepared();
    for (qsizetype i = 0; i < values.size(); ++i)
        row->bind(static_cast<int>(i) + 1, values[i]);
    row->step();
    const qint64 key = sqlite::lastInsertRowid(db);
    transaction.commit();
    return key;
}

} // namespace

QString mealName(Meal meal)
{
    switch (meal) {
    case Meal::Breakfast:
        return QStringLiteral("早餐");
    case Meal::Lunch:
        return QStringLiteral("午餐");
    case Meal::Dinner:
        return QStringLiteral("晚餐");
    case Meal::Snack:
        break;
    }
    return QStringLiteral("加餐");
}

std::optional<Meal> mealNamed(const QString& name)
{
    for (const Meal meal : meals)
        if (mealName(meal) == name)
            return meal;
    return std::nullopt;
}

Meal mealAt(const QTime& time)
{
    const int hour = time.hour();
    if (hour >= 5 && hour < 10)
        return Meal::Breakfast;
    if (hour >= 10 && hour < 15)
        return Meal::Lunch;
    if (hour >= 17 && hour < 21)
        return Meal::Dinner;
    return Meal::Snack;
}

std::optional<Unit> householdUnit(const QString& name, const QString& grams, const QString& measure)
{
    bool isNumber = false;
    const double amount = grams.toDouble(&isNumber);
    if (!isNumber || !(amount > 0))
        return std::nullopt;
    return Unit{name, amount, measure == QStringLiteral("毫升") ? QStringLiteral("毫升") : gram};
}

QList<Unit> unitsFor(const QList<Unit>& household)
{
    QList<Unit> units = household;
    units.append({gram, 1});
    // A liquid's own liang names its volume, "一两（50毫升）": a second liang of 50 g beside it would count the same
    // 一两 two ways.
    const bool hasLiang = std::any_of(household.cbegin(), household.cend(), [](const Unit& unit) {
        return unit.name == QStringLiteral("一两") || unit.name.startsWith(QStringLiteral("一两（"));
    });
    if (!hasLiang)
        units.append({liang, gramsPerLiang});
    return units;
}

double gramsOf(double amount, const Unit& unit)
{
    if (!(amount > 0) || !std::isfinite(amount))
        throw DataError(QStringLiteral("数量要大于 0。"));
    const double grams = amount * unit.grams;
    if (!(grams <= maximumGrams))
        throw DataError(
            QStringLiteral("%1%2 有 %3 克，一次记录不能超过 %4 克：请检查数量和单位。")
                .arg(amountText(amount), unit.name == gram || unit.name == liang ? unit.name : u'×' + unit.name)
                .arg(std::lround(grams))
                .arg(maximumGrams));
    return grams;
}

std::optional<Food> food(sqlite3* db, const QString& path, const QString& title)
{
    sqlite::Statement energy(db, QStringLiteral("SELECT sz FROM \"01\" WHERE Title = ? ORDER BY rowid LIMIT 1"), path);
    energy.bind(1, title);
    if (!energy.step()) {
        // Not a shipped food: one of the user's own, as it is now.
        const std::optional<ownfoods::Food> own = ownfoods::named(db, path, title);
        if (!own)
            return std::nullopt;
        QList<Unit> household;
        for (const ownfoods::Unit& unit : own->units)
            household.append(Unit{unit.name, unit.grams});
        return Food{title, own->kcalPer100g, unitsFor(household)};
    }
    bool isNumber = false;
    const double per100g = energy.value(0).toString().trimmed().toDouble(&isNumber);
    if (!isNumber || !(per100g >= 0))
        return std::nullopt;
    QList<Unit> household;
    if (sqlite::hasTable(db, QStringLiteral("portions"), path)) {
        sqlite::Statement portions(
            db, QStringLiteral("SELECT Unit, g, Measure FROM portions WHERE Title = ? ORDER BY rowid"), path);
        portions.bind(1, title);
        while (portions.step())
            if (const std::optional<Unit> unit = householdUnit(
                    portions.value(0).toString(), portions.value(1).toString(), portions.value(2).toString()))
                household.append(*unit);
    }
    return Food{title, per100g, unitsFor(household)};
}

QString unitLabel(const Unit& unit)
{
    if (unit.name == gram)
        return gram;
    const QString amount = amountText(unit.grams) + unit.measure;
    if (unit.name.endsWith(u'）'))
        return unit.name.chopped(1) + QStringLiteral("，") + amount + QStringLiteral("）");
    return unit.name + QStringLiteral("（") + amount + QStringLiteral("）");
}

QString quantityText(double amount, const QString& unit)
{
    if (unit == gram || unit == liang)
        return amountText(amount) + unit;
    if (unit.startsWith(u'一') && unit.size() > 1)
        return amountText(amount) + unit.mid(1);
    return amountText(amount) + u'×' + unit;
}

QStringList tableStatements()
{
    return {QStringLiteral("CREATE TABLE food_log (\n"
                           "    time   DATETIME,\n"
                           "    meal   TEXT,\n"
                           "    food   TEXT,\n"
                           "    amount REAL,\n"
                           "    unit   TEXT,\n"
                           "    g      REAL,\n"
                           "    kcal   REAL\n"
                           ")"),
            QStringLiteral("CREATE INDEX food_log_time ON food_log(time)"),
            QStringLiteral("CREATE TABLE exercise_log (\n"
                           "    time    DATETIME,\n"
                           "    name    TEXT,\n"
                           "    minutes REAL,\n"
                           "    kcal    REAL\n"
                           ")"),
            QStringLiteral("CREATE INDEX exercise_log_time ON exercise_log(time)")};
}

bool hasTables(sqlite3* db, const QString& path)
{
    return sqlite::hasTable(db, QLatin1String(foodTable), path) &&
           sqlite::hasTable(db, QLatin1String(exerciseTable), path);
}

// The row as the file holds it, every column in the table's order: texts as text and numbers as reals, which is what
// reading it back would give; not read back, since the user waits for an item to be added.
rowchanges::Change added(Connection& connection, const QString& table, const QString& columns,
                         const QVariantList& values)
{
    const qint64 key = insert(connection, table, columns, values);
    return {table, {{key, std::nullopt, rowchanges::Values(values.cbegin(), values.cend())}}};
}

rowchanges::Change add(Connection& connection, const Item& item)
{
    return added(connection, QLatin1String(foodTable), QStringLiteral("time, meal, food, amount, unit, g, kcal"),
                 {conversions::toStorageText(item.time), mealName(item.meal), item.food, item.amount, item.unit,
                  item.grams, item.kcal});
}

rowchanges::Change add(Connection& connection, const Exercise& exercise)
{
    return added(connection, QLatin1String(exerciseTable), QStringLiteral("time, name, minutes, kcal"),
                 {conversions::toStorageText(exercise.time), exercise.name, exercise.minutes, exercise.kcal});
}

namespace {

// What the window read of an item. The program writes every time in the storage form, so it reads back the same.
rowchanges::SeenRow seen(const Item& item)
{
    return {item.key,
            {{QStringLiteral("time"), conversions::toStorageText(item.time)},
             {QStringLiteral("food"), item.food},
             {QStringLiteral("amount"), item.amount},
             {QStringLiteral("unit"), item.unit},
             {QStringLiteral("g"), item.grams},
             {QStringLiteral("kcal"), item.kcal}}};
}

} // namespace

rowchanges::Change change(Connection& connection, const Item& item, double amount, const Unit& unit, Meal meal,
                          double kcalPer100g)
{
    const double grams = gramsOf(amount, unit);
    return rowchanges::update(connection, QLatin1String(foodTable), seen(item),
                              {QStringLiteral("meal"), QStringLiteral("amount"), QStringLiteral("unit"),
                               QStringLiteral("g"), QStringLiteral("kcal")},
                              {mealName(meal), amount, unit.name, grams, kcalPer100g * grams / 100});
}

rowchanges::Change remove(Connection& connection, const Item& item)
{
    return rowchanges::remove(connection, QLatin1String(foodTable), {seen(item)});
}

rowchanges::Change remove(Connection& connection, const Exercise& exercise)
{
    return rowchanges::remove(connection, QLatin1String(exerciseTable),
                              {{exercise.key,
                                {{QStringLiteral("time"), conversions::toStorageText(exercise.time)},
                                 {QStringLiteral("name"), exercise.name},
                                 {QStringLiteral("minutes"), exercise.minutes},
                                 {QStringLiteral("kcal"), exercise.kcal}}}});
}

Copy copy(Connection& connection, const QDate& from, std::optional<Meal> meal, const QDateTime& now)
{
    const QString when = QStringLiteral("%1月%2日").arg(from.month()).arg(from.day());
    if (from == now.date())
        throw DataError(QStringLiteral("%1 就是今天，不用复制。").arg(when));
    sqlite3* db = connection.handle();
    const QString path = connection.filePath();
    std::vector<Item> items = read(db, path, from).items;
    if (meal)
        std::erase_if(items, [&meal](const Item& item) { return item.meal != *meal; });
    if (items.empty())
        throw DataError(QStringLiteral("%1%2没有记录，没有可以复制的。")
                            .arg(when, meal ? QStringLiteral("的") + mealName(*meal) : QStringLiteral("全天")));

    Copy done{{QLatin1String(foodTable), {}}, 0, 0};
    sqlite::Transaction transaction(db, path);
    const sqlite::CachedStatement row = sqlite::cached(
        db, "INSERT INTO food_log(time, meal, food, amount, unit, g, kcal) VALUES (?, ?, ?, ?, ?, ?, ?)", path);
    const QString time = conversions::toStorageText(now);
    for (const Item& item : items) {
        double grams = item.grams;
        double kcal = item.kcal;
        if (const std::optional<Food> current = food(db, path, item.food)) {
            const auto unit = std::find_if(current->units.cbegin(), current->units.cend(),
                                           [&item](const Unit& u) { return u.name == item.unit; });
            if (unit != current->units.cend())
                grams = item.amount * unit->grams;
            kcal = current->kcalPer100g * grams / 100;
        }
        const rowchanges::Values values{time, mealName(item.meal), item.food, item.amount, item.unit, grams, kcal};
        for (std::size_t i = 0; i < values.size(); ++i)
            row->bind(static_cast<int>(i) + 1, values[i]);
        row->step();
        row->reset();
        done.change.rows.push_back({sqlite::lastInsertRowid(db), std::nullopt, values});
        ++done.items;
        done.kcal += kcal;
    }
    transaction.commit();
    return done;
}

QString copiedLine(const QDate& from, std::optional<Meal> meal, const Copy& copy)
{
    return QStringLiteral("已把 %1月%2日 %3 %4 样（%5 大卡）加到今天")
        .arg(from.month())
        .arg(from.day())
        .arg(meal ? QStringLiteral("的") + mealName(*meal) : QStringLiteral("全天的"))
        .arg(copy.items)
        .arg(health::kcalText(static_cast<int>(std::lround(copy.kcal))));
}

Day read(sqlite3* db, const QString& path, const QDate& day)
{
    Day result;
    if (!hasTables(db, path))
        return result;
    // Kept prepared: the day window reads its day on every showing.
    const QString from = dayStart(day);
    const QString to = dayStart(day.addDays(1));
    {
        const sqlite::CachedStatement items =
            sqlite::cached(db,
                           "SELECT rowid, time, meal, food, amount, unit, g, kcal FROM food_log "
                           "WHERE time >= ? AND time < ? ORDER BY time, rowid",
                           path);
        items->bind(1, from);
        items->bind(2, to);
        while (items->step())
            result.items.push_back({items->integer(0), storedTime(items->value(1)),
                                    mealNamed(items->value(2).toString()).value_or(Meal::Snack),
                                    items->value(3).toString(), items->value(4).toDouble(), items->value(5).toString(),
                                    items->value(6).toDouble(), items->value(7).toDouble()});
    }
    const sqlite::CachedStatement exercises = sqlite::cached(
        db,
        "SELECT rowid, time, name, minutes, kcal FROM exercise_log WHERE time >= ? AND time < ? ORDER BY time, rowid",
        path);
    exercises->bind(1, from);
    exercises->bind(2, to);
    while (exercises->step())
        result.exercises.push_back({exercises->integer(0), storedTime(exercises->value(1)),
                                    exercises->value(2).toString(), exercises->value(3).toDouble(),
                                    exercises->value(4).toDouble()});
    return result;
}

std::vector<health::DayIntake> intake(sqlite3* db, const QString& path, const QDate& first, const QDate& last)
{
    std::vector<health::DayIntake> days;
    if (!hasTables(db, path))
        return days;
    sqlite::Statement sums(db,
                           QStringLiteral("SELECT substr(time, 1, 10) AS day, total(kcal) FROM food_log "
                                          "WHERE time >= ? AND time < ? GROUP BY day ORDER BY day"),
                           path);
    sums.bind(1, dayStart(first));
    sums.bind(2, dayStart(last.addDays(1)));
    while (sums.step()) {
        const QDate day = QDate::fromString(sums.value(0).toString(), Qt::ISODate);
        if (day.isValid())
            days.push_back({day, sums.value(1).toDouble()});
    }
    return days;
}

void estimateBody(goalfacts::Diary& diary, sqlite3* db, const QString& path, const health::Profile& profile,
                  const QDate& today)
{
    goalfacts::estimate(diary, intake(db, path, goalfacts::logStart(diary, today), today.addDays(-1)), profile, today);
}

double eatenOn(sqlite3* db, const QString& path, const QDate& day)
{
    // One sum over the day's rows by the time index: asked after every item added, so no grouping by day.
    if (!hasTables(db, path))
        return 0;
    const sqlite::CachedStatement sum =
        sqlite::cached(db, "SELECT total(kcal) FROM food_log WHERE time >= ? AND time < ?", path);
    sum->bind(1, dayStart(day));
    sum->bind(2, dayStart(day.addDays(1)));
    return sum->step() ? sum->value(0).toDouble() : 0;
}

std::optional<double> metIn(const QString& text)
{
    static const QRegularExpression met(QStringLiteral("MET约\\s*(\\d+(?:\\.\\d+)?)"));
    const QRegularExpressionMatch match = met.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toDouble();
}

std::vector<Activity> activities(sqlite3* db, const QString& path)
{
    std::vector<Activity> found;
    sqlite::Statement articles(db, QStringLiteral("SELECT Name, demo FROM yd ORDER BY rowid"), path);
    while (articles.step())
        if (const std::optional<double> met = metIn(articles.value(1).toString()); met && *met > 0)
            found.push_back({articles.value(0).toString(), *met});
    return found;
}

Bar barFor(double eaten, double allowance)
{
    if (eaten > allowance)
        return Bar::Red;
    if (eaten > allowance * nearShare)
        return Bar::Orange;
    return Bar::Green;
}

Totals totals(const Day& day, std::optional<int> budget, int floor, bool ended)
{
    Totals sums;
    for (const Item& item : day.items) {
        sums.meals[static_cast<std::size_t>(item.meal)] += item.kcal;
        sums.eaten += item.kcal;
    }
    for (const Exercise& exercise : day.exercises)
        sums.exercise += exercise.kcal;
    sums.budget = budget;
    sums.floor = floor;
    sums.tooLittle = ended && sums.eaten > 0 && std::round(sums.eaten) < floor;
    if (budget) {
        sums.allowance = *budget + sums.exercise * health::exerciseEatBackShare;
        sums.bar = barFor(std::round(sums.eaten), std::round(sums.allowance));
        if (sums.tooLittle && sums.bar == Bar::Green)
            sums.bar = Bar::Orange;
    }
    return sums;
}

bool dayEnded(const QDate& day, const QDateTime& now)
{
    return day < now.date() || (day == now.date() && now.time().hour() >= dayEndsHour);
}

QString totalLine(const Totals& totals, const QDate& day, const QDate& today)
{
    const QString when =
        day == today ? QStringLiteral("今天") : QStringLiteral("%1月%2日").arg(day.month()).arg(day.day());
    const QString tooLittle =
        totals.tooLittle ? QStringLiteral("\n%1吃得太少了（低于 %2 大卡）").arg(when, health::kcalText(totals.floor))
                         : QString();
    const int eaten = static_cast<int>(std::lround(totals.eaten));
    if (totals.child)
        return QStringLiteral("%1 %2 大卡（未满 18 岁，不设每天的预算）").arg(when, health::kcalText(eaten)) +
               tooLittle;
    if (!totals.budget)
        return QStringLiteral("%1 %2 大卡（在“我的目标”里填好身高、性别、出生年份和活动量，就能看到每天的预算）")
                   .arg(when, health::kcalText(eaten)) +
               tooLittle;
    const int allowance = static_cast<int>(std::lround(totals.allowance));
    const QString rest = eaten <= allowance
                             ? QStringLiteral("还可以吃 %1 大卡").arg(health::kcalText(allowance - eaten))
                             : QStringLiteral("超出 %1 大卡").arg(health::kcalText(eaten - allowance));
    return QStringLiteral("%1 %2 / %3 大卡，%4").arg(when, health::kcalText(eaten), health::kcalText(allowance), rest) +
           tooLittle;
}

QString summaryLine(const Totals& totals)
{
    const QString eaten =
        QStringLiteral("今天已吃 %1 大卡").arg(health::kcalText(static_cast<int>(std::lround(totals.eaten))));
    if (totals.child)
        return eaten + QStringLiteral("，未满 18 岁不设预算");
    if (!totals.budget)
        return eaten + QStringLiteral("，预算未定（在“我的目标”里填好身高、性别、出生年份和活动量）");
    QString line =
        eaten + QStringLiteral("，预算 %1 大卡").arg(health::kcalText(static_cast<int>(std::lround(totals.allowance))));
    if (totals.exercise > 0)
        line +=
            QStringLiteral("（含运动的一半 %1 大卡，运动共 %2 大卡）")
                .arg(health::kcalText(static_cast<int>(std::lround(totals.exercise * health::exerciseEatBackShare))),
                     health::kcalText(static_cast<int>(std::lround(totals.exercise))));
    return line;
}

QString exerciseLine(const Totals& totals)
{
    if (totals.exercise <= 0)
        return QString();
    return QStringLiteral("运动 +%1 大卡（预算加一半：+%2 大卡）")
        .arg(health::kcalText(static_cast<int>(std::lround(totals.exercise))),
             health::kcalText(static_cast<int>(std::lround(totals.exercise * health::exerciseEatBackShare))));
}

QString amountText(double amount)
{
    return QString::number(amount, 'g', 10);
}

} // namespace foodlog
