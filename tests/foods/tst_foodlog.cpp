// The food log: meals by the hour, units and the amounts refused, the day's totals and the budget bar, and the
// tables in a real file: made by the first entry, read by day, changed, removed and undone, kept by a restore.
#include "data/connection.h"
#include "data/errors.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"
#include "foods/foodlog.h"
#include "support/tempdb.h"

#include <QtTest>

using namespace foodlog;

Q_DECLARE_METATYPE(foodlog::Meal)
Q_DECLARE_METATYPE(foodlog::Bar)

namespace {

const QDate today(2026, 12, 7);

QDateTime at(const QDate& day, int hour, int minute = 0, int second = 0, int ms = 0)
{
    return QDateTime(day, QTime(hour, minute, second, ms));
}

Item item(const QDateTime& time, Meal meal, const QString& food, double kcal)
{
    return Item{0, time, meal, food, 1, QStringLiteral("克"), 100, kcal};
}

} // namespace

class TestFoodLog : public QObject {
    Q_OBJECT

private slots:
    void mealByTheHour_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<Meal>("meal");
        QTest::newRow("04:59") << QTime(4, 59) << Meal::Snack;
        QTest::newRow("05:00") << QTime(5, 0) << Meal::Breakfast;
        QTest::newRow("09:59") << QTime(9, 59) << Meal::Breakfast;
        QTest::newRow("10:00") << QTime(10, 0) << Meal::Lunch;
        QTest::newRow("14:59") << QTime(14, 59) << Meal::Lunch;
        QTest::newRow("15:00") << QTime(15, 0) << Meal::Snack;
        QTest::newRow("17:00") << QTime(17, 0) << Meal::Dinner;
        QTest::newRow("20:59") << QTime(20, 59) << Meal::Dinner;
        QTest::newRow("21:00") << QTime(21, 0) << Meal::Snack;
    }
    void mealByTheHour()
    {
        QFETCH(QTime, time);
        QFETCH(Meal, meal);
        QCOMPARE(mealAt(time), meal);
    }

    void grams_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("unitGrams");
        QTest::addColumn<double>("grams"); // -1: refused
        QTest::newRow("two eggs") << 2.0 << "一个" << 50.0 << 100.0;
        QTest::newRow("one and a half liang") << 1.5 << "两" << 50.0 << 75.0;
        QTest::newRow("grams") << 250.0 << "克" << 1.0 << 250.0;
        QTest::newRow("5 kg is the most") << 100.0 << "两" << 50.0 << 5000.0;
        QTest::newRow("5001 g") << 5001.0 << "克" << 1.0 << -1.0;
        QTest::newRow("twenty bowls of 300 g") << 20.0 << "一碗" << 300.0 << -1.0;
        QTest::newRow("zero") << 0.0 << "克" << 1.0 << -1.0;
        QTest::newRow("negative") << -2.0 << "一个" << 50.0 << -1.0;
        QTest::newRow("not a number") << qQNaN() << "克" << 1.0 << -1.0;
    }
    void grams()
    {
        QFETCH(double, amount);
        QFETCH(QString, unit);
        QFETCH(double, unitGrams);
        QFETCH(double, grams);
        if (grams >= 0) {
            QCOMPARE(gramsOf(amount, {unit, unitGrams}), grams);
            return;
        }
        try {
            gramsOf(amount, {unit, unitGrams});
            QFAIL("accepted");
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("数量")), qPrintable(e.message()));
        }
    }

    void unitsFollowTheFoodsOwn()
    {
        const QStringList names = [](const QList<Unit>& units) {
            QStringList n;
            for (const Unit& unit : units)
                n << unit.name;
            return n;
        }(unitsFor({{QStringLiteral("一个"), 50}}));
        QCOMPARE(names, (QStringList{"一个", "克", "两"}));
        // A food whose own units already hold a liang gets no second one.
        QCOMPARE(unitsFor({{QStringLiteral("一两"), 50}}).size(), 2);
        // Nor does a liquid whose liang is 50 mL of 46 g.
        QCOMPARE(unitsFor({{QStringLiteral("一两（50毫升）"), 46}}).size(), 2);
    }

    void shownUnits_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("unitGrams");
        QTest::addColumn<QString>("measure");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("quantity");
        QTest::newRow("grams") << 150.0 << "克" << 1.0 << "克"
                               << "克"
                               << "150克";
        QTest::newRow("liang") << 1.5 << "两" << 50.0 << "克"
                               << "两（50克）"
                               << "1.5两";
        QTest::newRow("one of") << 2.0 << "一个" << 50.0 << "克"
                                << "一个（50克）"
                                << "2个";
        QTest::newRow("a liquid") << 1.0 << "一杯" << 250.0 << "毫升"
                                  << "一杯（250毫升）"
                                  << "1杯";
        QTest::newRow("with its note") << 0.5 << "一只（可食部）" << 200.0 << "克"
                                       << "一只（可食部，200克）"
                                       << "0.5只（可食部）";
        QTest::newRow("not one of") << 2.0 << "大杯" << 500.0 << "毫升"
                                    << "大杯（500毫升）"
                                    << "2×大杯";
    }
    void shownUnits()
    {
        QFETCH(double, amount);
        QFETCH(QString, unit);
        QFETCH(double, unitGrams);
        QFETCH(QString, measure);
        QFETCH(QString, label);
        QFETCH(QString, quantity);
        QCOMPARE(unitLabel({unit, unitGrams, measure}), label);
        QCOMPARE(quantityText(amount, unit), quantity);
    }

    void bar_data()
    {
        QTest::addColumn<double>("eaten");
        QTest::addColumn<Bar>("bar");
        QTest::newRow("nothing") << 0.0 << Bar::Green;
        QTest::newRow("90 %") << 900.0 << Bar::Green;
        QTest::newRow("just over 90 %") << 901.0 << Bar::Orange;
        QTest::newRow("the budget") << 1000.0 << Bar::Orange;
        QTest::newRow("past it") << 1001.0 << Bar::Red;
    }
    void bar()
    {
        QFETCH(double, eaten);
        QFETCH(Bar, bar);
        QCOMPARE(barFor(eaten, 1000), bar);
    }

    void totalsOfADay_data()
    {
        QTest::addColumn<int>("budget"); // 0: none
        QTest::addColumn<QDate>("day");
        QTest::addColumn<double>("exercise");
        QTest::addColumn<bool>("ended");
        QTest::addColumn<Bar>("bar");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("summary");
        // Eaten: 300 + 600 + 150.4 = 1,050.4, under 90 % of 1,450 (1,305): green while the day goes on.
        QTest::newRow("under") << 1450 << today << 0.0 << false << Bar::Green
                               << "今天 1,050 / 1,450 大卡，还可以吃 400 大卡"
                               << "今天已吃 1,050 大卡，预算 1,450 大卡";
        // Half of the exercise's net 180 kcal is added: 1,450 + 90 = 1,540.
        QTest::newRow("half the exercise adds")
            << 1450 << today << 180.0 << false << Bar::Green << "今天 1,050 / 1,540 大卡，还可以吃 490 大卡"
            << "今天已吃 1,050 大卡，预算 1,540 大卡（含运动的一半 90 大卡，运动共 180 大卡）";
        // 30 minutes of 快走 at 150 jin, net 143: half is 71.5, so 1,450 + 71.5 = 1,521.5, shown 1,522.
        QTest::newRow("half of 143") << 1450 << today << 143.0 << false << Bar::Green
                                     << "今天 1,050 / 1,522 大卡，还可以吃 472 大卡"
                                     << "今天已吃 1,050 大卡，预算 1,522 大卡（含运动的一半 72 大卡，运动共 143 大卡）";
        // The day is over at 1,050, under a woman's floor of 1,200: never green, and said.
        QTest::newRow("ended under the floor")
            << 1450 << today << 0.0 << true << Bar::Orange
            << "今天 1,050 / 1,450 大卡，还可以吃 400 大卡\n今天吃得太少了（低于 1,200 大卡）"
            << "今天已吃 1,050 大卡，预算 1,450 大卡";
        QTest::newRow("over, another day")
            << 930 << today.addDays(-1) << 0.0 << false << Bar::Red << "12月6日 1,050 / 930 大卡，超出 120 大卡"
            << "今天已吃 1,050 大卡，预算 930 大卡";
        QTest::newRow("no budget")
            << 0 << today << 0.0 << false << Bar::Green
            << "今天 1,050 大卡（在“我的目标”里填好身高、性别、出生年份和活动量，就能看到每天的预算）"
            << "今天已吃 1,050 大卡，预算未定（在“我的目标”里填好身高、性别、出生年份和活动量）";
    }
    void totalsOfADay()
    {
        QFETCH(int, budget);
        QFETCH(QDate, day);
        QFETCH(double, exercise);
        QFETCH(bool, ended);
        QFETCH(Bar, bar);
        QFETCH(QString, line);
        QFETCH(QString, summary);
        Day log;
        log.items = {item(at(day, 7), Meal::Breakfast, "a", 300), item(at(day, 12), Meal::Lunch, "b", 600),
                     item(at(day, 16), Meal::Snack, "c", 150.4)};
        if (exercise > 0)
            log.exercises = {{0, at(day, 18), QStringLiteral("快走"), 30, exercise}};
        const Totals sums = totals(log, budget ? std::optional<int>(budget) : std::nullopt, 1200, ended);
        QCOMPARE(sums.bar, bar);
        QCOMPARE(sums.meals[static_cast<int>(Meal::Breakfast)], 300.0);
        QCOMPARE(sums.meals[static_cast<int>(Meal::Dinner)], 0.0);
        QCOMPARE(totalLine(sums, day, today), line);
        QCOMPARE(summaryLine(sums), summary);
    }

    void theDayEndsAfterDinner()
    {
        // The dinner hours end at 21:00.
        QVERIFY(!dayEnded(today, QDateTime(today, QTime(20, 59))));
        QVERIFY(dayEnded(today, QDateTime(today, QTime(21, 0))));
        QVERIFY(dayEnded(today.addDays(-1), QDateTime(today, QTime(8, 0))));
    }

    void metOfAnExercise_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("met");
        QTest::newRow("plain") << "约130大卡（60公斤体重，30分钟）\n按MET约4.3计算。" << 4.3;
        QTest::newRow("the first of two") << "按休闲骑行MET约4.0计算；每小时16～19公里时MET约6.8" << 4.0;
        QTest::newRow("whole") << "按中等强度MET约7计算。" << 7.0;
        QTest::newRow("none") << "做家务也算运动。" << -1.0;
    }
    void metOfAnExercise()
    {
        QFETCH(QString, text);
        QFETCH(double, met);
        QCOMPARE(metIn(text).value_or(-1), met);
    }

    void theLogInAFile()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO \"01\" VALUES ('蛋类', '鸡蛋', '139'), ('蛋类', '咸鸭蛋', '—');"
                               "INSERT INTO portions VALUES ('鸡蛋', '一个', '50', '克');"
                               "INSERT INTO yd VALUES ('快走', '按MET约4.3计算。'), ('闲谈', '没有数字');"));
        Connection connection(db.folder());
        connection.openDatabase();
        sqlite3* handle = connection.handle();

        // A file from before the log: nothing to read, and reading makes no table.
        QVERIFY(read(handle, db.path(), today).items.empty());
        QVERIFY(intake(handle, db.path(), today.addDays(-28), today).empty());
        QCOMPARE(eatenOn(handle, db.path(), today), 0.0);
        QVERIFY(!hasTables(handle, db.path()));

        const std::optional<Food> egg = food(handle, db.path(), QStringLiteral("鸡蛋"));
        QVERIFY(egg);
        QCOMPARE(egg->kcalPer100g, 139.0);
        QCOMPARE(egg->units.first().name, QStringLiteral("一个"));
        QCOMPARE(egg->units.first().grams, 50.0);
        QVERIFY(!food(handle, db.path(), QStringLiteral("咸鸭蛋"))); // no number for its energy
        QVERIFY(!food(handle, db.path(), QStringLiteral("龙肉")));

        // The day's bounds: the last millisecond before it and its next midnight belong to other days.
        add(connection, item(at(today.addDays(-1), 23, 59, 59, 999), Meal::Snack, "前一天", 100));
        const rowchanges::Change first = add(connection, item(at(today, 0), Meal::Snack, "夜宵", 200));
        add(connection, item(at(today, 7, 30), Meal::Breakfast, "鸡蛋", 139));
        add(connection, item(at(today.addDays(1), 0), Meal::Snack, "后一天", 400));
        add(connection, Exercise{0, at(today, 18), QStringLiteral("快走"), 30, 129});
        QVERIFY(hasTables(handle, db.path()));

        Day day = read(handle, db.path(), today);
        QCOMPARE(day.items.size(), std::size_t(2));
        QCOMPARE(day.items[0].food, QStringLiteral("夜宵"));
        QCOMPARE(day.items[1].time, at(today, 7, 30));
        QCOMPARE(day.items[1].meal, Meal::Breakfast);
        QCOMPARE(day.exercises.size(), std::size_t(1));
        QCOMPARE(day.exercises[0].kcal, 129.0);

        // Two eggs for breakfast became one egg at lunch: 139 × 50 ÷ 100.
        change(connection, day.items[1], 1, egg->units.first(), Meal::Lunch, egg->kcalPer100g);
        day = read(handle, db.path(), today);
        QCOMPARE(day.items[1].meal, Meal::Lunch);
        QCOMPARE(day.items[1].unit, QStringLiteral("一个"));
        QCOMPARE(day.items[1].grams, 50.0);
        QCOMPARE(day.items[1].kcal, 69.5);

        const auto sums = intake(handle, db.path(), today.addDays(-1), today);
        QCOMPARE(sums.size(), std::size_t(2));
        QCOMPARE(sums[0].day, today.addDays(-1));
        QCOMPARE(sums[0].kcal, 100.0);
        QCOMPARE(sums[1].kcal, 269.5);
        QCOMPARE(eatenOn(handle, db.path(), today), 269.5);
        QCOMPARE(eatenOn(handle, db.path(), today.addDays(1)), 400.0);
        QCOMPARE(eatenOn(handle, db.path(), today.addDays(2)), 0.0);

        // Removed, then put back by its undo with its key.
        const std::vector<Item> items = read(handle, db.path(), today).items;
        const auto logged =
            std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.key == first.rows.front().key; });
        QVERIFY(logged != items.end());
        const rowchanges::Change removed = remove(connection, *logged);
        QCOMPARE(read(handle, db.path(), today).items.size(), std::size_t(1));
        rowchanges::undo(connection, removed);
        QCOMPARE(read(handle, db.path(), today).items.front().key, first.rows.front().key);

        const std::vector<Activity> shipped = activities(handle, db.path());
        QCOMPARE(shipped.size(), std::size_t(1));
        QCOMPARE(shipped.front().met, 4.3);

        // The check counts the log, and a restore brings it into a file that never had one.
        connection.disconnect();
        const datafile::Summary summary = datafile::check(db.path());
        QCOMPARE(summary.others.back().table, QStringLiteral("exercise_log"));
        QCOMPARE(summary.others.back().rows, 1);
        QCOMPARE(summary.others[summary.others.size() - 2].table, QStringLiteral("food_log"));
        QCOMPARE(summary.others[summary.others.size() - 2].rows, 4);
        const TempDatabase live;
        datafile::restore(live.path(), db.path(), at(today, 12));
        QCOMPARE(live.scalar(QStringLiteral("SELECT count(*) FROM food_log")).toInt(), 4);
        QCOMPARE(live.scalar(QStringLiteral("SELECT count(*) FROM exercise_log")).toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFoodLog)
#include "tst_foodlog.moc"
