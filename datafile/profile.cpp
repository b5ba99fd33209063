// The profile table.
#include "datafile/profile.h"
#include "datafile/storedvalue.h"

#include "data/sqlite.h"

#include <QVariant>

namespace datafile {

namespace {

const QString female = QStringLiteral("女");
const QString male = QStringLiteral("男");

// Activity levels are stored 1 to 4, 久坐 first, so that another program reading the file sees their order.
constexpr int firstActivity = 1;
constexpr int lastActivity = 4;

bool hasProfileTable(sqlite3* db, const QString& path)
{
    return sqlite::hasTable(db, QStringLiteral("profile"), path);
}

// The answer to 是否怀孕或在哺乳期？ came after the table: files made before it lack the column, which the first save
// adds.
bool hasPregnantColumn(sqlite3* db, const QString& path)
{
    const sqlite::CachedStatement column =
        sqlite::cached(db, "SELECT count(*) FROM pragma_table_info('profile') WHERE name = 'pregnant'", path);
    return column->step() && column->integer(0) > 0;
}

std::optional<int> wholeIn(const QVariant& value, int low, int high)
{
    const std::optional<double> number = numberIn(value, low, high);
    if (!number || *number != static_cast<int>(*number))
        return std::nullopt;
    return static_cast<int>(*number);
}

template <class T> QVariant stored(const std::optional<T>& value)
{
    return value ? QVariant(*value) : QVariant();
}

} // namespace

QString profileTableSql()
{
    return QStringLiteral("CREATE TABLE profile (\n"
                          "    height   REAL,\n"
                          "    sex      TEXT,\n"
                          "    born     INTEGER,\n"
                          "    goal     REAL,\n"
                          "    activity INTEGER,\n"
                          "    budget   INTEGER\n"
                          ")");
}

void ensureProfileTable(sqlite3* db, const QString& path)
{
    if (!hasProfileTable(db, path))
        sqlite::exec(db, profileTableSql(), path);
    if (!hasPregnantColumn(db, path))
        sqlite::exec(db, QStringLiteral("ALTER TABLE profile ADD COLUMN pregnant INTEGER"), path);
}

health::Profile readProfile(sqlite3* db, const QString& path, int thisYear)
{
    health::Profile profile;
    if (!hasProfileTable(db, path))
        return profile;
    // Kept prepared: the day window reads the profile on every showing.
    const sqlite::CachedStatement cachedRow =
        hasPregnantColumn(db, path)
            ? sqlite::cached(
                  db,
                  "SELECT height, sex, born, goal, activity, budget, pregnant FROM profile ORDER BY rowid DESC LIMIT 1",
                  path)
            : sqlite::cached(
                  db, "SELECT height, sex, born, goal, activity, budget, NULL FROM profile ORDER BY rowid DESC LIMIT 1",
                  path);
    sqlite::Statement& row = *cachedRow;
    if (!row.step())
        return profile;
    profile.height = numberIn(row.value(0), health::minimumHeight, health::maximumHeight);
    const QString sex = row.value(1).toString();
    if (sex == female)
        profile.sex = health::Sex::Female;
    else if (sex == male)
        profile.sex = health::Sex::Male;
    profile.birthYear = wholeIn(row.value(2), health::earliestBirthYear, health::latestBirthYear(thisYear));
    profile.goal = numberIn(row.value(3), health::minimumGoal, health::maximumGoal);
    if (const std::optional<int> level = wholeIn(row.value(4), firstActivity, lastActivity))
        profile.activity = static_cast<health::Activity>(*level - firstActivity);
    profile.ownBudget = wholeIn(row.value(5), health::minimumBudget, health::maximumBudget);
    if (const std::optional<int> pregnant = wholeIn(row.value(6), 0, 1))
        profile.pregnant = *pregnant == 1;
    return health::admissible(profile, thisYear);
}

void writeProfile(sqlite3* db, const QString& path, const health::Profile& profile)
{
    sqlite::Transaction transaction(db, path);
    ensureProfileTable(db, path);
    sqlite::exec(db, QStringLiteral("DELETE FROM profile"), path);
    sqlite::Statement insert(db,
                             QStringLiteral("INSERT INTO profile(height, sex, born, goal, activity, budget, pregnant) "
                                            "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                             path);
    insert.bind(1, stored(profile.height));
    insert.bind(2, profile.sex ? QVariant(*profile.sex == health::Sex::Male ? male : female) : QVariant());
    insert.bind(3, stored(profile.birthYear));
    insert.bind(4, stored(profile.goal));
    insert.bind(5, profile.activity ? QVariant(static_cast<int>(*profile.activity) + firstActivity) : QVariant());
    insert.bind(6, stored(profile.ownBudget));
    insert.bind(7, profile.pregnant ? QVariant(*profile.pregnant ? 1 : 0) : QVariant());
    insert.step();
    transaction.commit();
}

} // namespace datafile
