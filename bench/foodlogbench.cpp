// The food log scenarios.
#include "bench/foodlogbench.h"

#include "bench/measure.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/sqlite.h"
#include "foods/foodlog.h"
#include "support/windows.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdio>
#include <sqlite3.h>

namespace bench {

namespace {

void makeTables(sqlite3* db, const QString& path)
{
    if (!foodlog::hasTables(db, path))
        for (const QString& statement : foodlog::tableStatements())
            sqlite::exec(db, statement, path);
}

// Paints every window that waits for it.
void paint()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace

int runFoodLogAdd(const QString& folder, const QString& floorFolder, int repetitions)
{
    Windows windows(folder);
    auto* tree = windows.foodTree();
    auto* search = windows.find<QLineEdit>(QStringLiteral("Edit2"));
    auto* amount = windows.find<QLineEdit>(QStringLiteral("amountBox"));
    if (!tree || !search || !amount)
        return failed(QStringLiteral("the calorie view has no food log row"));
    search->setText(QStringLiteral("鸡蛋"));
    paint();

    // The floor: the program's own opener and settings, a file of its own with the same tables.
    const sqlite::Database bare = sqlite::openDataFile(fileIn(floorFolder), sqlite::Access::Write);
    makeTables(bare.get(), fileIn(floorFolder));
    sqlite::Statement insert(bare.get(),
                             QStringLiteral("INSERT INTO food_log(time, meal, food, amount, unit, g, kcal) "
                                            "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                             fileIn(floorFolder));
    for (int round = -1; round < repetitions; ++round) {
        qint64 start = nowNs();
        insert.reset();
        const QVariantList values{conversions::toStorageText(QDateTime::currentDateTime()),
                                  QStringLiteral("午餐"),
                                  QStringLiteral("鸡蛋"),
                                  2.0,
                                  QStringLiteral("一个"),
                                  100.0,
                                  139.0};
        for (int v = 0; v < values.size(); ++v)
            insert.bind(v + 1, values[v]);
        insert.step();
        const double floor = msBetween(start, nowNs());

        amount->setText(QStringLiteral("2"));
        start = nowNs();
        QMetaObject::invokeMethod(amount, "returnPressed");
        const double add = msBetween(start, nowNs());
        if (!windows.reporter.messages.isEmpty())
            return failed(windows.reporter.messages.join(QStringLiteral(" / ")));
        if (round >= 0) {
            sample("floor", floor);
            sample("add", add);
        }
    }
    const sqlite::Database check = sqlite::openDataFile(fileIn(folder), sqlite::Access::Read);
    sqlite::Statement count(check.get(), QStringLiteral("SELECT count(*) FROM food_log"), fileIn(folder));
    if (!count.step() || count.integer(0) != repetitions + 1)
        return failed(QStringLiteral("the items were not all logged"));
    return 0;
}

int runFoodLogDay(const QString& folder, int repetitions)
{
    const QString path = fileIn(folder);
    const QDate today = QDate::currentDate();
    {
        const sqlite::Database db = sqlite::openDataFile(path, sqlite::Access::Write);
        sqlite::Transaction fill(db.get(), path);
        makeTables(db.get(), path);
        sqlite::Statement item(db.get(),
                               QStringLiteral("INSERT INTO food_log(time, meal, food, amount, unit, g, kcal) "
                                              "VALUES (?, ?, ?, 1, '克', 100, ?)"),
                               path);
        sqlite::Statement weighing(db.get(), QStringLiteral("INSERT INTO rj(time, demo, lb) VALUES (?, '', ?)"), path);
        for (int d = 364; d >= 0; --d) {
            const QDate day = today.addDays(-d);
            for (int i = 0; i < 20; ++i) {
                item.reset();
                item.bind(1, conversions::toStorageText(QDateTime(day, QTime(6 + i / 2, (i % 2) * 30))));
                item.bind(2, foodlog::mealName(foodlog::mealAt(QTime(6 + i / 2, 0))));
                item.bind(3, QStringLiteral("食物%1").arg(i));
                item.bind(4, 60.0 + i);
                item.step();
            }
            weighing.reset();
            weighing.bind(1, conversions::toStorageText(QDateTime(day, QTime(7, 0))));
            weighing.bind(2, 150.0 - d * 0.02);
            weighing.step();
        }
        fill.commit();
    }

    Windows windows(folder);
    Ttevu_foodlog* window = windows.foodLog.get();
    // The floor: the day's rows through a bare statement, then the window filled from what it holds in memory and
    // painted, reading nothing.
    const sqlite::Database bare = sqlite::openDataFile(path, sqlite::Access::Read);
    sqlite::Statement rows(bare.get(),
                           QStringLiteral("SELECT rowid, time, meal, food, amount, unit, g, kcal FROM food_log "
                                          "WHERE time >= ? AND time < ? ORDER BY time, rowid"),
                           path);
    for (int round = -1; round < repetitions; ++round) {
        qint64 start = nowNs();
        window->show();
        paint();
        const double open = msBetween(start, nowNs());
        if (window->list()->topLevelItemCount() < 20)
            return failed(QStringLiteral("the day window lists %1 rows").arg(window->list()->topLevelItemCount()));

        start = nowNs();
        rows.reset();
        rows.bind(1, today.toString(Qt::ISODate));
        rows.bind(2, today.addDays(1).toString(Qt::ISODate));
        int read = 0;
        while (rows.step())
            read += rows.value(3).toString().size() > 0 ? 1 : 0;
        window->present();
        window->repaint();
        paint();
        const double floor = msBetween(start, nowNs());
        if (read != 20)
            return failed(QStringLiteral("the bare query read %1 rows").arg(read));
        window->hide();
        paint();
        if (!windows.reporter.messages.isEmpty())
            return failed(windows.reporter.messages.join(QStringLiteral(" / ")));
        if (round >= 0) {
            sample("floor", floor);
            sample("open", open);
        }
    }
    return 0;
}

} // namespace bench
