// Checks the content shipped in resources/content/ once compiled: enough of it, consistent, and fit for the screens.
#include "content/content_test_db.h"
#include "content_compiler.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <sys/stat.h>

class ContentShippedTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rowCounts_data();
    void rowCounts();
    void columns_data();
    void columns();
    void noBlankText_data();
    void noBlankText();
    void textFitsItsPlace_data();
    void textFitsItsPlace();
    void articleTitlesUnique_data();
    void articleTitlesUnique();
    void foodsBelongToCategories();
    void everyCategoryHasFoodsAndItsBasis();
    void foodTitlesUnique();
    void energiesArePlausible();
    void referenceEnergies_data();
    void referenceEnergies();
    void everyFoodNamesItsSource();
    void wholeAnimalsShowTheirEdibleShare_data();
    void wholeAnimalsShowTheirEdibleShare();
    void commonPortions_data();
    void commonPortions();
    void oneLiangIsFiftyGrams();
    void planIsAWeek();
    void planFoodsAreInTheTable();
    void planDaysMeetTheFloorsAndTheTips_data();
    void planDaysMeetTheFloorsAndTheTips();
    void planWeekMeetsTheTips();
    void earlierPlansAreKept();
    void diaryShippedEmpty();
    void fileIsOwnerOnly();

private:
    struct PlanItem {
        QString label; // 早, 午, 加餐, 晚 or the note for men
        QString title; // the food of the table
        double grams = 0;
    };
    struct PlanDay {
        double kcal = 0;     // the day as written, for a woman
        double menExtra = 0; // what the day's note adds for men
        QStringList faults;  // items that are not a table food with a portion
        QList<PlanItem> items;
        QString exercise;
    };
    PlanDay readPlanDay(const QString& text);

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<ContentTestDatabase> m_db;
};

void ContentShippedTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("data.Mdb"));
    const tevu::content::CompileResult result =
        tevu::content::compileContent(QStringLiteral(TEVU_SOURCE_DIR "/resources/content"), m_path);
    QVERIFY2(result.outcome == tevu::content::Outcome::Built, qPrintable(result.error.toString()));
    m_db = std::make_unique<ContentTestDatabase>(m_path);
    QVERIFY2(m_db->isOpen(), qPrintable(m_db->error()));
}

void ContentShippedTest::rowCounts_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("atLeast");

    QTest::newRow("recipes") << "sp" << 30;
    QTest::newRow("exercises") << "yd" << 25;
    QTest::newRow("tips") << "xd" << 40;
    QTest::newRow("categories") << "\"02\"" << 15;
    QTest::newRow("foods") << "\"01\"" << 550;
    QTest::newRow("foods eaten by a household unit") << "(SELECT DISTINCT Title FROM portions)" << 200;
}

void ContentShippedTest::rowCounts()
{
    QFETCH(QString, table);
    QFETCH(int, atLeast);

    const qint64 count = m_db->scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toLongLong();
    QVERIFY2(count >= atLeast, qPrintable(QStringLiteral("%1 has %2 rows").arg(table).arg(count)));
}

void ContentShippedTest::columns_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("expected");

    QTest::newRow("categories") << "02"
                                << "Name TEXT";
    QTest::newRow("foods") << "01"
                           << "Name TEXT, Title TEXT, sz TEXT";
    QTest::newRow("recipes") << "sp"
                             << "Name TEXT, demo TEXT";
    QTest::newRow("exercises") << "yd"
                               << "Name TEXT, demo TEXT";
    QTest::newRow("tips") << "xd"
                          << "Name TEXT, demo TEXT";
    QTest::newRow("diary") << "rj"
                           << "time DATETIME, demo TEXT, lb REAL";
    QTest::newRow("plan") << "plan"
                          << "foodsport TEXT";
}

void ContentShippedTest::columns()
{
    QFETCH(QString, table);
    QFETCH(QString, expected);

    const QStringList columns =
        m_db->column(QStringLiteral("SELECT name || ' ' || type FROM pragma_table_info('%1') ORDER BY cid").arg(table));
    QCOMPARE(columns.join(QStringLiteral(", ")), expected);
}

void ContentShippedTest::noBlankText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");

    QTest::newRow("category name") << "\"02\""
                                   << "Name";
    QTest::newRow("food title") << "\"01\""
                                << "Title";
    QTest::newRow("recipe title") << "sp"
                                  << "Name";
    QTest::newRow("recipe body") << "sp"
                                 << "demo";
    QTest::newRow("exercise title") << "yd"
                                    << "Name";
    QTest::newRow("exercise body") << "yd"
                                   << "demo";
    QTest::newRow("tip title") << "xd"
                               << "Name";
    QTest::newRow("tip body") << "xd"
                              << "demo";
    QTest::newRow("plan day") << "plan"
                              << "foodsport";
}

void ContentShippedTest::noBlankText()
{
    QFETCH(QString, table);
    QFETCH(QString, column);

    const QStringList values = m_db->column(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(column, table));
    QVERIFY(!values.isEmpty());
    for (qsizetype i = 0; i < values.size(); ++i)
        QVERIFY2(!values.at(i).trimmed().isEmpty(), qPrintable(QStringLiteral("row %1 is blank").arg(i + 1)));
}

void ContentShippedTest::textFitsItsPlace_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("maxChars");

    QTest::newRow("recipe title") << "sp"
                                  << "Name" << 16;
    QTest::newRow("exercise title") << "yd"
                                    << "Name" << 16;
    QTest::newRow("tip title") << "xd"
                               << "Name" << 16;
    QTest::newRow("food title") << "\"01\""
                                << "Title" << 12;
    QTest::newRow("category name in the food tree") << "\"02\""
                                                    << "Name" << 14;
}

void ContentShippedTest::textFitsItsPlace()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(int, maxChars);

    QStringList tooLong;
    for (const QString& value : m_db->column(QStringLiteral("SELECT %1 FROM %2").arg(column, table))) {
        if (value.toUcs4().size() > maxChars)
            tooLong.append(value);
    }
    QVERIFY2(tooLong.isEmpty(), qPrintable(tooLong.join(QStringLiteral("、"))));
}

void ContentShippedTest::articleTitlesUnique_data()
{
    QTest::addColumn<QString>("table");

    QTest::newRow("recipes") << "sp";
    QTest::newRow("exercises") << "yd";
    QTest::newRow("tips") << "xd";
}

void ContentShippedTest::articleTitlesUnique()
{
    QFETCH(QString, table);

    const QStringList repeated =
        m_db->column(QStringLiteral("SELECT Name FROM %1 GROUP BY Name HAVING count(*) > 1").arg(table));
    QVERIFY2(repeated.isEmpty(), qPrintable(repeated.join(QStringLiteral("、"))));
}

void ContentShippedTest::foodsBelongToCategories()
{
    // Byte for byte: the food tree matches foods to categories with a plain string comparison.
    const QStringList orphans = m_db->column(
        QStringLiteral("SELECT Title || ' → ' || Name FROM \"01\" WHERE Name NOT IN (SELECT Name FROM \"02\")"));
    QVERIFY2(orphans.isEmpty(), qPrintable(orphans.join(QStringLiteral("；"))));
}

void ContentShippedTest::everyCategoryHasFoodsAndItsBasis()
{
    const QList<QVariantList> rows = m_db->rows(QStringLiteral(
        "SELECT c.Name, (SELECT count(*) FROM \"01\" f WHERE f.Name = c.Name) FROM \"02\" c ORDER BY c.rowid"));
    QVERIFY(!rows.isEmpty());
    for (const QVariantList& row : rows) {
        const QString name = row.at(0).toString();
        QVERIFY2(name.contains(QStringLiteral("每100克")), qPrintable(name + QStringLiteral(" names no basis")));
        QVERIFY2(row.at(1).toLongLong() >= 5, qPrintable(name + QStringLiteral(" has too few foods")));
    }
}

void ContentShippedTest::foodTitlesUnique()
{
    const QStringList repeated =
        m_db->column(QStringLiteral("SELECT Title FROM \"01\" GROUP BY Title HAVING count(*) > 1"));
    QVERIFY2(repeated.isEmpty(), qPrintable(repeated.join(QStringLiteral("、"))));
}

void ContentShippedTest::energiesArePlausible()
{
    const QRegularExpression plain(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    const QList<QVariantList> rows = m_db->rows(QStringLiteral("SELECT Title, sz, typeof(sz) FROM \"01\""));
    QVERIFY(!rows.isEmpty());
    for (const QVariantList& row : rows) {
        const QString title = row.at(0).toString();
        const QString energy = row.at(1).toString();
        QCOMPARE(row.at(2).toString(), QStringLiteral("text"));
        bool ok = false;
        const double kcal = energy.toDouble(&ok);
        QVERIFY2(ok && plain.match(energy).hasMatch(), qPrintable(title + QStringLiteral(": ") + energy));
        QVERIFY2(kcal >= 0.0 && kcal <= 900.0, qPrintable(title + QStringLiteral(": ") + energy));
    }
}

void ContentShippedTest::referenceEnergies_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<double>("kcal");

    // The China Food Composition Tables, standard edition 6, as printed (food codes in foods.tsv); among them the
    // values the earlier mix of editions had wrong by more than 15 %.
    QTest::newRow("rice 012001x") << "稻米" << 346.0;
    QTest::newRow("steamed rice 012401x") << "米饭（蒸）" << 116.0;
    QTest::newRow("steamed bun 011404x") << "馒头" << 223.0;
    QTest::newRow("egg 111101x") << "鸡蛋" << 139.0;
    QTest::newRow("apple 061101x") << "苹果" << 53.0;
    QTest::newRow("pork 081101x") << "猪肉（肥瘦）" << 331.0;
    QTest::newRow("milk 101101x") << "牛奶" << 65.0;
    QTest::newRow("cucumber 043208") << "黄瓜" << 16.0;
    QTest::newRow("peanut oil 192007") << "花生油" << 899.0;
    QTest::newRow("broccoli 045217") << "西兰花" << 27.0;
    QTest::newRow("rape 045125") << "油菜" << 14.0;
    QTest::newRow("tomato 043119") << "番茄（西红柿）" << 15.0;
    QTest::newRow("lotus root 046010") << "莲藕" << 47.0;
    QTest::newRow("taro 047203") << "芋头" << 56.0;
    QTest::newRow("sweet potato 021205") << "红薯" << 61.0;
    QTest::newRow("soft tofu 031307") << "南豆腐（嫩豆腐）" << 87.0;
    QTest::newRow("soy milk 031405") << "豆浆" << 31.0;
    QTest::newRow("mutton 083101x") << "羊肉（肥瘦）" << 139.0;
    QTest::newRow("char siu 081321") << "叉烧肉" << 196.0;
    QTest::newRow("sole 121220") << "龙利鱼（鱼柳）" << 83.0;
}

void ContentShippedTest::referenceEnergies()
{
    QFETCH(QString, title);
    QFETCH(double, kcal);

    const QStringList found = m_db->column(QStringLiteral("SELECT sz FROM \"01\" WHERE Title = '%1'").arg(title));
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().toDouble(), kcal);
}

void ContentShippedTest::everyFoodNamesItsSource()
{
    tevu::content::Content content;
    tevu::content::SourceError error;
    QVERIFY2(tevu::content::loadContent(QStringLiteral(TEVU_SOURCE_DIR "/resources/content"), content, error),
             qPrintable(error.toString()));
    QStringList unsourced;
    int fromTheTable = 0;
    for (const tevu::content::Food& food : std::as_const(content.foods)) {
        if (food.source.isEmpty())
            unsourced << food.title;
        fromTheTable += food.source.startsWith(QStringLiteral("第6版 ")) ? 1 : 0;
    }
    QVERIFY2(unsourced.isEmpty(), qPrintable(unsourced.join(QStringLiteral("、"))));
    // Most foods a user looks up are plain foods of the table; the dishes, drinks and snacks are the estimates.
    QVERIFY2(fromTheTable >= 290, qPrintable(QString::number(fromTheTable)));
}

void ContentShippedTest::wholeAnimalsShowTheirEdibleShare_data()
{
    QTest::addColumn<QString>("food");
    for (const char* food : {"草鱼", "鲫鱼", "鲈鱼", "带鱼", "对虾", "基围虾", "小龙虾", "河蟹", "梭子蟹", "鸡翅",
                             "鸡腿", "鸡爪", "猪小排", "猪大排", "猪蹄", "鸭掌", "蛤蜊"})
        QTest::newRow(food) << QString::fromUtf8(food);
}

void ContentShippedTest::wholeAnimalsShowTheirEdibleShare()
{
    QFETCH(QString, food);

    // Bought with bones or shells, counted by the part eaten: the name tells how much of the weight that is.
    const QStringList titles =
        m_db->column(QStringLiteral("SELECT Title FROM \"01\" WHERE Title = '%1' OR Title LIKE '%1（%'").arg(food));
    QVERIFY2(!titles.isEmpty(), qPrintable(food));
    const QRegularExpression share(QStringLiteral("可食部约?[0-9]+%"));
    QVERIFY2(std::any_of(titles.cbegin(), titles.cend(), [&](const QString& t) { return share.match(t).hasMatch(); }),
             qPrintable(titles.join(QStringLiteral("、"))));
}

void ContentShippedTest::commonPortions_data()
{
    QTest::addColumn<QString>("food");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("amount");

    QTest::newRow("small bowl of rice") << "米饭（蒸）"
                                        << "一小碗"
                                        << "100克";
    QTest::newRow("big bowl of rice") << "米饭（蒸）"
                                      << "一大碗"
                                      << "200克";
    QTest::newRow("steamed bun") << "馒头"
                                 << "一个"
                                 << "100克";
    QTest::newRow("egg") << "鸡蛋"
                         << "一个"
                         << "50克";
    QTest::newRow("box of milk") << "牛奶"
                                 << "一盒"
                                 << "250毫升";
    QTest::newRow("apple") << "苹果"
                           << "一个"
                           << "200克";
    QTest::newRow("banana") << "香蕉"
                            << "一根"
                            << "90克";
}

void ContentShippedTest::commonPortions()
{
    QFETCH(QString, food);
    QFETCH(QString, unit);
    QFETCH(QString, amount);

    const QStringList found = m_db->column(
        QStringLiteral("SELECT g || Measure FROM portions WHERE Title = '%1' AND Unit = '%2'").arg(food, unit));
    QCOMPARE(found, QStringList{amount});
}

void ContentShippedTest::oneLiangIsFiftyGrams()
{
    const QStringList other = m_db->column(QStringLiteral(
        "SELECT Title || ' ' || Unit || '=' || g FROM portions WHERE Unit LIKE '一两%' AND CAST(g AS REAL) <> 50"));
    QVERIFY2(other.isEmpty(), qPrintable(other.join(QStringLiteral("；"))));
}

void ContentShippedTest::planIsAWeek()
{
    // Whether each day fits its box is checked where the box is: over the plan window itself.
    const QStringList days = m_db->column(QStringLiteral("SELECT foodsport FROM plan ORDER BY rowid"));
    QCOMPARE(days.size(), 7);
    // Men read that they eat more before anything else: the plan is written for a woman.
    QVERIFY2(days.first().section(QStringLiteral("；"), 0, 0).contains(QStringLiteral("男性")),
             qPrintable(days.first()));
}

// Reads a day in the plan's documented form ("早：燕麦片40g 牛奶1杯；运动：……") and totals it from the table.
ContentShippedTest::PlanDay ContentShippedTest::readPlanDay(const QString& text)
{
    QHash<QString, double> kcalPer100g;
    QHash<QString, QStringList> byHead; // the name before a trailing "（…）", for "玉米" → "玉米（鲜）"
    for (const QVariantList& row : m_db->rows(QStringLiteral("SELECT Title, sz FROM \"01\""))) {
        const QString title = row.at(0).toString();
        kcalPer100g.insert(title, row.at(1).toString().toDouble());
        byHead[title.section(QStringLiteral("（"), 0, 0)].append(title);
    }
    const QRegularExpression item(QStringLiteral("^(.+?)([0-9]+)(克|g|毫升|杯|个)$"));
    PlanDay day;
    for (const QString& segment : text.split(QRegularExpression(QStringLiteral("[；\n]")), Qt::SkipEmptyParts)) {
        const QString label = segment.section(QStringLiteral("："), 0, 0);
        if (label == QStringLiteral("运动")) {
            day.exercise = segment.section(QStringLiteral("："), 1);
            continue;
        }
        const bool men = label.contains(QStringLiteral("男性"));
        if (!men && !QStringList{"早", "午", "晚", "加餐"}.contains(label)) {
            day.faults.append(segment);
            continue;
        }
        for (const QString& entry : segment.section(QStringLiteral("："), 1)
                                        .split(QRegularExpression(QStringLiteral("[、 ]")), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch m = item.match(entry);
            const QString name = m.captured(1);
            const QString title = kcalPer100g.contains(name) ? name : byHead.value(name).value(0);
            const bool ambiguous = title != name && byHead.value(name).size() > 1;
            const bool unitFits = m.captured(3) != QStringLiteral("个") || name == QStringLiteral("鸡蛋");
            if (!m.hasMatch() || title.isEmpty() || ambiguous || !unitFits) {
                day.faults.append(entry);
                continue;
            }
            const double amount = m.captured(2).toDouble();
            const double grams = m.captured(3) == QStringLiteral("杯")   ? amount * 250
                                 : m.captured(3) == QStringLiteral("个") ? amount * 50
                                                                         : amount;
            (men ? day.menExtra : day.kcal) += kcalPer100g.value(title) * grams / 100.0;
            day.items.append(PlanItem{label, title, grams});
        }
    }
    return day;
}

void ContentShippedTest::planFoodsAreInTheTable()
{
    QStringList faults;
    for (const QString& text : m_db->column(QStringLiteral("SELECT foodsport FROM plan ORDER BY rowid")))
        faults += readPlanDay(text).faults;
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("；"))));
}

namespace {

// What the tips count each food of the plan as, by its name's head: the groups of the dietary guidelines the tips
// quote. A soy food counts as the dry soybeans it is made of (50 g of soybeans make about 145 g of firm tofu, 110 g of
// dried tofu); vegetables say whether they are dark (deep green, red, orange or purple).
enum class Group { Staple, Vegetable, DarkVegetable, Fruit, Dairy, Soy, Nut, Egg, Meat, Fish };
struct Counted {
    Group group;
    double factor = 1.0; // grams of the group per gram of the food
};
const QHash<QString, Counted>& planGroups()
{
    static const QHash<QString, Counted> groups{
        {"燕麦片", {Group::Staple}},
        {"全麦面包", {Group::Staple}},
        {"米饭", {Group::Staple}},
        {"杂粮饭", {Group::Staple}},
        {"荞麦面", {Group::Staple}},
        {"红薯", {Group::Staple}},
        {"玉米", {Group::Staple}},
        {"黄瓜", {Group::Vegetable}},
        {"冬瓜", {Group::Vegetable}},
        {"西葫芦", {Group::Vegetable}},
        {"生菜", {Group::Vegetable}},
        {"番茄", {Group::DarkVegetable}},
        {"西兰花", {Group::DarkVegetable}},
        {"油菜", {Group::DarkVegetable}},
        {"菠菜", {Group::DarkVegetable}},
        {"胡萝卜", {Group::DarkVegetable}},
        {"紫甘蓝", {Group::DarkVegetable}},
        {"芥蓝", {Group::DarkVegetable}},
        {"苹果", {Group::Fruit}},
        {"橙子", {Group::Fruit}},
        {"梨", {Group::Fruit}},
        {"猕猴桃", {Group::Fruit}},
        {"牛奶", {Group::Dairy}},
        {"北豆腐", {Group::Soy, 50.0 / 145}},
        {"豆腐干", {Group::Soy, 50.0 / 110}},
        {"核桃", {Group::Nut}},
        {"杏仁", {Group::Nut}},
        {"鸡蛋", {Group::Egg}},
        {"鸡胸肉", {Group::Meat}},
        {"牛肉", {Group::Meat}},
        {"猪里脊", {Group::Meat}},
        {"鲈鱼", {Group::Fish}},
        {"虾仁", {Group::Fish}},
    };
    return groups;
}

// Cooking oil is not written in the days; every day counts about 20 g of it, as the tips on oil and the plan say.
constexpr double kOilKcal = 20 * 899 / 100.0;

} // namespace

void ContentShippedTest::planDaysMeetTheFloorsAndTheTips_data()
{
    QTest::addColumn<int>("day");
    const QStringList names{"周一", "周二", "周三", "周四", "周五", "周六", "周日"};
    for (int d = 0; d < names.size(); ++d)
        QTest::newRow(qPrintable(names.at(d))) << d;
}

void ContentShippedTest::planDaysMeetTheFloorsAndTheTips()
{
    QFETCH(int, day);

    const QStringList days = m_db->column(QStringLiteral("SELECT foodsport FROM plan ORDER BY rowid"));
    QCOMPARE(days.size(), 7);
    const PlanDay men = readPlanDay(days.first());
    const PlanDay plan = readPlanDay(days.at(day));
    // The tips' own floors with the shipped values: women about 1,200 kcal a day, men about 1,500.
    QVERIFY2(plan.kcal + kOilKcal >= 1200, qPrintable(QString::number(plan.kcal + kOilKcal)));
    QVERIFY2(plan.kcal + kOilKcal + men.menExtra >= 1500, qPrintable(QString::number(plan.kcal + men.menExtra)));

    QHash<Group, double> grams;
    QHash<Group, double> menGrams;
    QStringList unknown;
    bool breakfastHasPlants = false;
    for (const PlanItem& item : plan.items) {
        if (item.label.contains(QStringLiteral("男性")))
            continue; // counted below, from Monday's note, for every day
        const QString head = item.title.section(QStringLiteral("（"), 0, 0);
        if (!planGroups().contains(head)) {
            unknown << item.title;
            continue;
        }
        const Counted counted = planGroups().value(head);
        grams[counted.group] += item.grams * counted.factor;
        breakfastHasPlants =
            breakfastHasPlants || (item.label == QStringLiteral("早") &&
                                   (counted.group == Group::Vegetable || counted.group == Group::DarkVegetable ||
                                    counted.group == Group::Fruit));
    }
    for (const PlanItem& item : men.items)
        if (item.label.contains(QStringLiteral("男性")))
            menGrams[planGroups().value(item.title.section(QStringLiteral("（"), 0, 0)).group] += item.grams;
    QVERIFY2(unknown.isEmpty(), qPrintable(QStringLiteral("not in the test's groups: ") + unknown.join(u'、')));

    const auto within = [](double value, double low, double high) { return value >= low && value <= high; };
    const double vegetables = grams[Group::Vegetable] + grams[Group::DarkVegetable];
    const QString totals = QStringLiteral("vegetables %1 (dark %2), fruit %3, dairy %4, soy %5, nuts %6, egg %7, "
                                          "meat and fish %8")
                               .arg(vegetables)
                               .arg(grams[Group::DarkVegetable])
                               .arg(grams[Group::Fruit])
                               .arg(grams[Group::Dairy])
                               .arg(grams[Group::Soy])
                               .arg(grams[Group::Nut])
                               .arg(grams[Group::Egg])
                               .arg(grams[Group::Meat] + grams[Group::Fish]);
    // 蔬菜每天六两到一斤, half of them dark; fruit 200-350 g; dairy 300-500 g; soy and nuts 25-35 g with a small
    // handful (about 10 g) of nuts; fish, meat and eggs 120-200 g with an egg a day; a vegetable or a fruit at
    // breakfast.
    QVERIFY2(within(vegetables, 300, 500), qPrintable(totals));
    QVERIFY2(grams[Group::DarkVegetable] * 2 >= vegetables, qPrintable(totals));
    QVERIFY2(within(grams[Group::Fruit], 200, 350), qPrintable(totals));
    QVERIFY2(within(grams[Group::Dairy] + menGrams[Group::Dairy], 300, 500), qPrintable(totals));
    QVERIFY2(within(grams[Group::Soy] + grams[Group::Nut], 25, 35), qPrintable(totals));
    QVERIFY2(grams[Group::Nut] >= 10, qPrintable(totals));
    QVERIFY2(grams[Group::Egg] >= 50, qPrintable(totals));
    QVERIFY2(within(grams[Group::Egg] + grams[Group::Meat] + grams[Group::Fish], 120, 200), qPrintable(totals));
    QVERIFY(breakfastHasPlants);
    // Men eat more of the staple and of a protein food, not of the staple alone.
    QVERIFY(menGrams[Group::Staple] > 0);
    QVERIFY(menGrams[Group::Dairy] + menGrams[Group::Egg] + menGrams[Group::Meat] + menGrams[Group::Fish] > 0);
}

void ContentShippedTest::planWeekMeetsTheTips()
{
    const QStringList days = m_db->column(QStringLiteral("SELECT foodsport FROM plan ORDER BY rowid"));
    QCOMPARE(days.size(), 7);
    const QRegularExpression minutes(QStringLiteral("([0-9]+)分钟"));
    int totalMinutes = 0;
    int activeDays = 0;
    int strengthDays = 0;
    int fishDays = 0;
    for (const QString& text : days) {
        const PlanDay day = readPlanDay(text);
        int dayMinutes = 0;
        for (const QRegularExpressionMatch& m : minutes.globalMatch(day.exercise))
            dayMinutes += m.captured(1).toInt();
        totalMinutes += dayMinutes;
        activeDays += dayMinutes >= 20 ? 1 : 0;
        // The strength tip: thighs, buttocks, chest and back, arms.
        const bool strength =
            day.exercise.contains(QStringLiteral("深蹲")) && day.exercise.contains(QStringLiteral("臀桥")) &&
            day.exercise.contains(QStringLiteral("俯卧撑")) && day.exercise.contains(QStringLiteral("划船"));
        strengthDays += strength ? 1 : 0;
        fishDays += std::any_of(day.items.cbegin(), day.items.cend(), [](const PlanItem& item) {
            return planGroups().value(item.title.section(QStringLiteral("（"), 0, 0)).group == Group::Fish;
        });
    }
    // At least 150 minutes a week on at least five days, strength on two or three days, fish or shrimp twice.
    QVERIFY2(totalMinutes >= 150, qPrintable(QString::number(totalMinutes)));
    QVERIFY2(activeDays >= 5, qPrintable(QString::number(activeDays)));
    QVERIFY2(strengthDays >= 2 && strengthDays <= 3, qPrintable(QString::number(strengthDays)));
    QVERIFY2(fishDays >= 2, qPrintable(QString::number(fishDays)));
}

void ContentShippedTest::earlierPlansAreKept()
{
    // Upgrades recognise the days a user never changed by the plans of every earlier content version.
    QFile versionFile(QStringLiteral(TEVU_SOURCE_DIR "/resources/content/version.txt"));
    QVERIFY(versionFile.open(QIODevice::ReadOnly));
    bool ok = false;
    const int version = QString::fromUtf8(versionFile.readAll()).trimmed().toInt(&ok);
    QVERIFY(ok && version >= 2);
    const QRegularExpression heading(QStringLiteral("^# (.*)$"), QRegularExpression::MultilineOption);
    for (int v = 1; v < version; ++v) {
        QFile plan(QStringLiteral(TEVU_SOURCE_DIR "/resources/content/earlier-plans/v%1.txt").arg(v));
        QVERIFY2(plan.open(QIODevice::ReadOnly), qPrintable(plan.fileName()));
        QStringList days;
        for (const QRegularExpressionMatch& m : heading.globalMatch(QString::fromUtf8(plan.readAll())))
            days.append(m.captured(1).trimmed());
        QCOMPARE(days, QStringList({"周一", "周二", "周三", "周四", "周五", "周六", "周日"}));
    }
}

void ContentShippedTest::diaryShippedEmpty()
{
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'rj'"))
                 .toLongLong(),
             1);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM rj")).toLongLong(), 0);
}

void ContentShippedTest::fileIsOwnerOnly()
{
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0600));
}

QTEST_GUILESS_MAIN(ContentShippedTest)
#include "tst_content_shipped.moc"
