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
#include <cmath>
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
    void estimatesWithinWhatTheyAreMadeOf_data();
    void estimatesWithinWhatTheyAreMadeOf();
    void everydayFoodsAreThere_data();
    void everydayFoodsAreThere();
    void storedReadings_data();
    void storedReadings();
    void liquidsAreCountedByTheirWeight();
    void unitEnergies_data();
    void unitEnergies();
    void sizesInTheTextsAgreeWithThePortions_data();
    void sizesInTheTextsAgreeWithThePortions();
    void recipeEnergyAgreesWithItsIngredients_data();
    void recipeEnergyAgreesWithItsIngredients();
    void exerciseFiguresFollowTheirMet_data();
    void exerciseFiguresFollowTheirMet();
    void tipsQuoteTheCurrentFigures();
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
    static QString sourceOf(const QString& title);

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
    QTest::addColumn<QString>("source");

    // The China Food Composition Tables, standard edition 6, as printed (food codes in foods.tsv); among them the
    // values the earlier mix of editions had wrong by more than 15 %.
    QTest::newRow("rice 012001x") << "稻米" << 346.0 << "第6版 012001x";
    QTest::newRow("steamed rice 012401x") << "米饭（蒸）" << 116.0 << "第6版 012401x";
    QTest::newRow("steamed bun 011404x") << "馒头" << 223.0 << "第6版 011404x";
    QTest::newRow("egg 111101x") << "鸡蛋" << 139.0 << "第6版 111101x";
    QTest::newRow("apple 061101x") << "苹果" << 53.0 << "第6版 061101x";
    QTest::newRow("pork 081101x") << "猪肉（肥瘦）" << 331.0 << "第6版 081101x";
    QTest::newRow("milk 101101x") << "牛奶" << 65.0 << "第6版 101101x";
    QTest::newRow("cucumber 043208") << "黄瓜" << 16.0 << "第6版 043208";
    QTest::newRow("peanut oil 192007") << "花生油" << 899.0 << "第6版 192007";
    QTest::newRow("broccoli 045217") << "西兰花" << 27.0 << "第6版 045217";
    QTest::newRow("rape 045125") << "油菜" << 14.0 << "第6版 045125";
    QTest::newRow("tomato 043119") << "番茄（西红柿）" << 15.0 << "第6版 043119";
    QTest::newRow("lotus root 046010") << "莲藕" << 47.0 << "第6版 046010";
    QTest::newRow("taro 047203") << "芋头" << 56.0 << "第6版 047203";
    QTest::newRow("sweet potato 021205") << "红薯" << 61.0 << "第6版 021205";
    QTest::newRow("soft tofu 031307") << "南豆腐（嫩豆腐）" << 87.0 << "第6版 031307";
    QTest::newRow("soy milk 031405") << "豆浆" << 31.0 << "第6版 031405";
    QTest::newRow("mutton 083101x") << "羊肉（肥瘦）" << 139.0 << "第6版 083101x";
    QTest::newRow("char siu 081321") << "叉烧肉" << 196.0 << "第6版 081321";
    QTest::newRow("sole 121220") << "龙利鱼（鱼柳）" << 83.0 << "第6版 121220";
    // Foods an earlier release estimated although the table has them, and everyday foods added from the table.
    QTest::newRow("dried fish slices 121301") << "鱼片干" << 303.0 << "第6版 121301";
    QTest::newRow("fried chicken 091303") << "炸鸡" << 279.0 << "第6版 091303";
    QTest::newRow("duck intestine 092201") << "鸭肠" << 129.0 << "第6版 092201";
    QTest::newRow("fish balls 121305") << "鱼丸" << 107.0 << "第6版 121305";
    QTest::newRow("rice porridge 012404") << "大米粥" << 46.0 << "第6版 012404";
    QTest::newRow("sweet soy milk 031406") << "甜豆浆" << 34.0 << "第6版 031406";
    QTest::newRow("boiled egg 111204") << "水煮蛋" << 143.0 << "第6版 111204";
    QTest::newRow("guava 065005") << "芭乐（番石榴）" << 53.0 << "第6版 065005";
}

void ContentShippedTest::referenceEnergies()
{
    QFETCH(QString, title);
    QFETCH(double, kcal);
    QFETCH(QString, source);

    const QStringList found = m_db->column(QStringLiteral("SELECT sz FROM \"01\" WHERE Title = '%1'").arg(title));
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().toDouble(), kcal);
    QCOMPARE(sourceOf(title), source);
}

void ContentShippedTest::estimatesWithinWhatTheyAreMadeOf_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");

    // 60 g of 油条 (388) and a cup of soy milk, 250 mL × 1.01 = 252.5 g (31): 232.8 + 78.3 = 311 kcal in 312.5 g,
    // about 100 per 100 g.
    QTest::newRow("soy milk and a fried dough stick") << "豆浆油条套餐" << 95.0 << 105.0;
    // A yellow wine of 14-16 %vol: 11-12.6 g of alcohol per 100 mL, 77-88 kcal from it alone, then its sugars.
    QTest::newRow("yellow wine") << "黄酒" << 90.0 << 100.0;
    // Packaged ice cream with 8-12 % fat and about 20 % sugar.
    QTest::newRow("ice cream") << "冰淇淋" << 200.0 << 280.0;
}

void ContentShippedTest::estimatesWithinWhatTheyAreMadeOf()
{
    QFETCH(QString, title);
    QFETCH(double, low);
    QFETCH(double, high);

    const double kcal = m_db->scalar(QStringLiteral("SELECT sz FROM \"01\" WHERE Title = '%1'").arg(title)).toDouble();
    QVERIFY2(kcal >= low && kcal <= high, qPrintable(QString::number(kcal)));
    QVERIFY2(sourceOf(title).startsWith(QStringLiteral("估算：")), qPrintable(sourceOf(title)));
}

void ContentShippedTest::everydayFoodsAreThere_data()
{
    QTest::addColumn<QString>("title");
    for (const char* title : {"甜豆浆",         "三合一速溶咖啡",
                              "加糖拿铁",       "生椰拿铁",
                              "水果茶（全糖）", "水果茶（半糖）",
                              "水果茶（无糖）", "柠檬茶（全糖）",
                              "柠檬茶（半糖）", "柠檬茶（无糖）",
                              "冰红茶",         "乳酸菌饮料",
                              "椰汁",           "功能饮料",
                              "吐司",           "可颂",
                              "紫薯",           "卤蛋",
                              "水煮蛋",         "烤肠",
                              "饭团",           "关东煮（丸子）",
                              "关东煮（蔬菜）", "冒菜",
                              "烤冷面",         "炸串",
                              "鸡肉卷",         "鸡米花",
                              "鸡块",           "水饺（韭菜鸡蛋）",
                              "水饺（三鲜）",   "水饺（猪肉白菜）",
                              "奶黄包",         "叉烧包",
                              "两荤一素盒饭",   "日式拉面",
                              "烤肉饭",         "车厘子",
                              "砂糖橘",         "沃柑",
                              "百香果",         "芭乐（番石榴）",
                              "绿豆汤（加糖）", "蛋黄派",
                              "小面包",         "木薯"})
        QTest::newRow(title) << QString::fromUtf8(title);
}

void ContentShippedTest::everydayFoodsAreThere()
{
    QFETCH(QString, title);

    // Found by its name and eaten by a household unit, as a user looks it up.
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM \"01\" WHERE Title = '%1'").arg(title)).toLongLong(), 1);
    QVERIFY(m_db->scalar(QStringLiteral("SELECT count(*) FROM portions WHERE Title = '%1'").arg(title)).toLongLong() >
            0);
}

void ContentShippedTest::storedReadings_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("reading");

    QTest::newRow("water chestnut") << "荸荠"
                                    << "bi qi";
    QTest::newRow("dried apricot") << "杏脯"
                                   << "xing fu";
    QTest::newRow("curry rice") << "咖喱饭"
                                << "ga li fan";
    QTest::newRow("chicken feet, as said") << "鸡爪（可食部60%）"
                                           << "ji zhua - ke shi bu 6 0 - -";
    QTest::newRow("chicken feet, as written") << "鸡爪（可食部60%）"
                                              << "ji zhao - ke shi bu 6 0 - -";
    QTest::newRow("cherries") << "车厘子"
                              << "che li zi";
    QTest::newRow("guava") << "芭乐（番石榴）"
                           << "ba le - fan shi liu -";
    QTest::newRow("fried skewers") << "炸串"
                                   << "zha chuan";
    QTest::newRow("char siu bun") << "叉烧包"
                                  << "cha shao bao";
    QTest::newRow("lactic drink") << "乳酸菌饮料"
                                  << "ru suan jun yin liao";
    QTest::newRow("boxed lunch") << "两荤一素盒饭"
                                 << "liang hun yi su he fan";
    QTest::newRow("mandarin") << "砂糖橘"
                              << "sha tang ju";
    QTest::newRow("mung bean soup with v") << "绿豆汤（加糖）"
                                           << "lv dou tang - jia tang -";
    QTest::newRow("dumplings") << "水饺（三鲜）"
                               << "shui jiao - san xian -";
    QTest::newRow("croissant") << "可颂"
                               << "ke song";
    QTest::newRow("braised egg") << "卤蛋"
                                 << "lu dan";
}

void ContentShippedTest::storedReadings()
{
    QFETCH(QString, title);
    QFETCH(QString, reading);

    const QStringList stored =
        m_db->column(QStringLiteral("SELECT Pinyin FROM food_search WHERE Title = '%1' ORDER BY rowid").arg(title));
    QVERIFY2(stored.contains(reading), qPrintable(stored.join(QStringLiteral(" | "))));
}

void ContentShippedTest::liquidsAreCountedByTheirWeight()
{
    // The energy is per 100 g: a unit of a liquid holds the weight of its volume and names the volume.
    const QStringList inMillilitres =
        m_db->column(QStringLiteral("SELECT Title || ' ' || Unit FROM portions WHERE Measure <> '克'"));
    QVERIFY2(inMillilitres.isEmpty(), qPrintable(inMillilitres.join(QStringLiteral("；"))));
    QVERIFY(m_db->scalar(QStringLiteral("SELECT count(*) FROM portions WHERE Unit LIKE '%毫升）'")).toLongLong() >= 40);
}

void ContentShippedTest::unitEnergies_data()
{
    QTest::addColumn<QString>("food");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("kcal");

    // 50 mL of 52 %vol spirit weighs 50 × 0.92 = 46 g: 46 × 312 / 100 = 143.5, not 156.
    QTest::newRow("a liang of spirit") << "白酒（52度）"
                                       << "一两（50毫升）" << 144;
    // 250 mL of milk weighs 250 × 1.03 = 257.5, stored 258 g: 258 × 65 / 100 = 167.7.
    QTest::newRow("a box of milk") << "牛奶"
                                   << "一盒（250毫升）" << 168;
    // The wine glass of the dietary guidelines, 150 mL × 0.99 = 148.5, stored 149 g: 149 × 72 / 100 = 107.3.
    QTest::newRow("a glass of wine") << "葡萄酒"
                                     << "一杯（150毫升）" << 107;
    // A walnut's kernel is about 5 g: 5 × 646 / 100 = 32.3.
    QTest::newRow("a walnut") << "核桃（干）"
                              << "一个（核桃仁）" << 32;
    // A rice-cooker cup of raw rice is about 150 g: 150 × 346 / 100 = 519.
    QTest::newRow("a cup of raw rice") << "大米"
                                       << "一杯（生米）" << 519;
    // Half a cucumber of 200 g: 100 × 16 / 100.
    QTest::newRow("half a cucumber") << "黄瓜"
                                     << "半根" << 16;
}

void ContentShippedTest::unitEnergies()
{
    QFETCH(QString, food);
    QFETCH(QString, unit);
    QFETCH(int, kcal);

    const QList<QVariantList> rows = m_db->rows(
        QStringLiteral("SELECT f.sz, p.g FROM portions p JOIN \"01\" f ON f.Title = p.Title WHERE p.Title = '%1' AND "
                       "p.Unit = '%2'")
            .arg(food, unit));
    QCOMPARE(rows.size(), 1);
    // As the calorie view rounds it.
    QCOMPARE(std::lround(rows.first().at(0).toString().toDouble() * rows.first().at(1).toString().toDouble() / 100.0),
             long(kcal));
}

void ContentShippedTest::sizesInTheTextsAgreeWithThePortions_data()
{
    QTest::addColumn<QString>("pattern");       // a size as the articles write it; the first number is the amount
    QTest::addColumn<QString>("food");          // the food of the portions table it must agree with
    QTest::addColumn<QString>("unit");          // the portion that holds the figure
    QTest::addColumn<double>("shareOfTheUnit"); // how many of that unit the text's size is

    QTest::newRow("small bowl of rice") << "一小碗米饭（约?([0-9]+)克"
                                        << "米饭（蒸）"
                                        << "一小碗" << 1.0;
    QTest::newRow("big bowl of rice") << "一大碗米饭（约?([0-9]+)克"
                                      << "米饭（蒸）"
                                      << "一大碗" << 1.0;
    QTest::newRow("three quarters of a cucumber") << "黄瓜 ?3/4根（约([0-9]+)克"
                                                  << "黄瓜"
                                                  << "一根" << 0.75;
    QTest::newRow("half a cucumber") << "黄瓜 ?半根（约([0-9]+)克"
                                     << "黄瓜"
                                     << "一根" << 0.5;
    QTest::newRow("quarter of a cucumber") << "黄瓜 ?1/4根（约([0-9]+)克"
                                           << "黄瓜"
                                           << "一根" << 0.25;
    QTest::newRow("glass of wine") << "葡萄酒一杯（([0-9]+)毫升"
                                   << "葡萄酒"
                                   << "一杯（150毫升）" << 150.0 / 149;
    QTest::newRow("spoon of oil") << "瓷勺[^。；]*油约([0-9]+)克"
                                  << "植物油"
                                  << "一瓷勺" << 1.0;
    QTest::newRow("spoon of salad dressing") << "一瓷勺（约([0-9]+)克）沙拉酱"
                                             << "沙拉酱"
                                             << "一瓷勺" << 1.0;
}

void ContentShippedTest::sizesInTheTextsAgreeWithThePortions()
{
    QFETCH(QString, pattern);
    QFETCH(QString, food);
    QFETCH(QString, unit);
    QFETCH(double, shareOfTheUnit);

    const double grams =
        m_db->scalar(QStringLiteral("SELECT g FROM portions WHERE Title = '%1' AND Unit = '%2'").arg(food, unit))
            .toString()
            .toDouble();
    QVERIFY(grams > 0);
    const QRegularExpression size(pattern);
    int found = 0;
    QStringList disagree;
    for (const QString& text : m_db->column(
             QStringLiteral("SELECT Name || '：' || demo FROM sp UNION ALL SELECT Name || '：' || demo FROM xd")))
        for (const QRegularExpressionMatch& m : size.globalMatch(text)) {
            ++found;
            if (std::abs(m.captured(1).toDouble() - grams * shareOfTheUnit) > 0.5)
                disagree << text.section(QStringLiteral("："), 0, 0) + QStringLiteral("：") + m.captured(0);
        }
    QVERIFY2(found > 0, qPrintable(pattern));
    QVERIFY2(disagree.isEmpty(), qPrintable(disagree.join(QStringLiteral("；"))));
}

void ContentShippedTest::recipeEnergyAgreesWithItsIngredients_data()
{
    QTest::addColumn<QString>("recipe");
    QTest::addColumn<QStringList>("ingredients"); // food of the table, grams
    QTest::addColumn<QString>("stated");          // where the recipe gives the energy of the whole

    // 150 g of fresh kelp (13), 100 g of soft tofu (87), 2 g of sesame oil (898): 19.5 + 87 + 18 = 124.5.
    QTest::newRow("kelp and tofu soup") << "海带豆腐汤"
                                        << QStringList{"海带（鲜）",     "150", "南豆腐（嫩豆腐）", "100",
                                                       "芝麻油（香油）", "2"}
                                        << "整锅约([0-9]+)大卡";
    // 100 g of yam (57) and 200 g of pumpkin (23): 57 + 46 = 103.
    QTest::newRow("steamed yam and pumpkin")
        << "清蒸山药南瓜" << QStringList{"山药", "100", "南瓜", "200"} << "一人份约([0-9]+)大卡";
}

void ContentShippedTest::recipeEnergyAgreesWithItsIngredients()
{
    QFETCH(QString, recipe);
    QFETCH(QStringList, ingredients);
    QFETCH(QString, stated);

    double kcal = 0;
    for (qsizetype i = 0; i + 1 < ingredients.size(); i += 2)
        kcal += m_db->scalar(QStringLiteral("SELECT sz FROM \"01\" WHERE Title = '%1'").arg(ingredients.at(i)))
                    .toString()
                    .toDouble() *
                ingredients.at(i + 1).toDouble() / 100.0;
    const QString body = m_db->scalar(QStringLiteral("SELECT demo FROM sp WHERE Name = '%1'").arg(recipe)).toString();
    const QRegularExpressionMatch m = QRegularExpression(stated).match(body);
    QVERIFY2(m.hasMatch(), qPrintable(body));
    // Said "about": within 5 % of what the table gives, salt and spices not counted.
    QVERIFY2(std::abs(m.captured(1).toDouble() - kcal) <= kcal * 0.05,
             qPrintable(QStringLiteral("%1 stated, %2 from the table").arg(m.captured(1)).arg(kcal)));
}

void ContentShippedTest::exerciseFiguresFollowTheirMet_data()
{
    QTest::addColumn<QString>("exercise");
    QTest::addColumn<double>("met");

    // The 2024 Adult Compendium of Physical Activities where it differs from the 2011 one, and where a closer
    // activity was found in it: brisk walking at 3.5-3.9 mph, running at 5 mph, stationary cycling, crunches and
    // plank (light calisthenics), jumping jacks (vigorous calisthenics), stairs up and down, hatha yoga, tai chi and
    // qigong, Chinese square dance, low-impact aerobic dance.
    QTest::newRow("brisk walking") << "快走" << 4.8;
    QTest::newRow("jogging") << "慢跑" << 8.5;
    QTest::newRow("spinning") << "动感单车" << 6.8;
    QTest::newRow("plank") << "平板支撑" << 2.8;
    QTest::newRow("jumping jacks") << "开合跳" << 7.5;
    QTest::newRow("high knees") << "原地高抬腿" << 7.5;
    QTest::newRow("stairs") << "爬楼梯" << 7.5;
    QTest::newRow("yoga") << "瑜伽" << 2.3;
    QTest::newRow("tai chi") << "太极拳" << 3.3;
    QTest::newRow("baduanjin") << "八段锦" << 3.3;
    QTest::newRow("square dance") << "广场舞" << 5.5;
    QTest::newRow("aerobics") << "有氧健身操" << 4.8;
    QTest::newRow("dumbbell row") << "哑铃划船" << 3.5;
}

void ContentShippedTest::exerciseFiguresFollowTheirMet()
{
    QFETCH(QString, exercise);
    QFETCH(double, met);

    const QString body = m_db->scalar(QStringLiteral("SELECT demo FROM yd WHERE Name = '%1'").arg(exercise)).toString();
    // The food log reads the first "MET约…" of the article; the article's own figure is MET × 60 kg × hours.
    const QRegularExpressionMatch read = QRegularExpression(QStringLiteral("MET约\\s*([0-9.]+)")).match(body);
    QVERIFY2(read.hasMatch(), qPrintable(body));
    QCOMPARE(read.captured(1).toDouble(), met);
    const QRegularExpressionMatch figure =
        QRegularExpression(QStringLiteral("约([0-9]+)大卡（60公斤体重，([0-9]+)分钟）")).match(body);
    QVERIFY2(figure.hasMatch(), qPrintable(body));
    const double kcal = met * 60 * figure.captured(2).toDouble() / 60;
    QVERIFY2(std::abs(figure.captured(1).toDouble() - kcal) <= 5,
             qPrintable(QStringLiteral("%1 stated, %2 by the MET").arg(figure.captured(1)).arg(kcal)));
}

void ContentShippedTest::tipsQuoteTheCurrentFigures()
{
    const QString tips = m_db->column(QStringLiteral("SELECT demo FROM xd ORDER BY rowid")).join(u'\n');
    // The reference intakes of 2023 for light activity: women 1,700 kcal, men 2,150.
    QVERIFY(tips.contains(QStringLiteral("女性约1700大卡，男性约2150大卡")));
    QVERIFY(!tips.contains(QStringLiteral("1800大卡")) && !tips.contains(QStringLiteral("2250大卡")));
    // Exercise is eaten back by half of what it adds at most, as the food log counts it.
    QVERIFY(tips.contains(QStringLiteral("最多补多出来的一半")));
    QVERIFY(!tips.contains(QStringLiteral("别按运动消耗去“补吃”")));
    // Spoons are the porcelain soup spoon of the portions, not a tablespoon that holds 14 g of oil.
    const QStringList tablespoons =
        m_db->column(QStringLiteral("SELECT Name FROM (SELECT Name, demo FROM sp UNION ALL SELECT Name, demo FROM xd) "
                                    "WHERE demo LIKE '%汤匙%'"));
    QVERIFY2(tablespoons.isEmpty(), qPrintable(tablespoons.join(u'、')));
}

QString ContentShippedTest::sourceOf(const QString& title)
{
    tevu::content::Content content;
    tevu::content::SourceError error;
    if (!tevu::content::loadContent(QStringLiteral(TEVU_SOURCE_DIR "/resources/content"), content, error))
        return error.toString();
    for (const tevu::content::Food& food : std::as_const(content.foods))
        if (food.title == title)
            return food.source;
    return QString();
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
    QTest::newRow("box of milk, 250 mL × 1.03") << "牛奶"
                                                << "一盒（250毫升）"
                                                << "258克";
    QTest::newRow("whole cucumber") << "黄瓜"
                                    << "一根"
                                    << "200克";
    QTest::newRow("walnut kernel") << "核桃（干）"
                                   << "一个（核桃仁）"
                                   << "5克";
    QTest::newRow("cup of raw rice") << "大米"
                                     << "一杯（生米）"
                                     << "150克";
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
        "SELECT Title || ' ' || Unit || '=' || g FROM portions WHERE Unit LIKE '一两%' AND CAST(g AS REAL) <> 50 "
        "AND Unit <> '一两（50毫升）'"));
    QVERIFY2(other.isEmpty(), qPrintable(other.join(QStringLiteral("；"))));
}

void ContentShippedTest::planIsAWeek()
{
    // Whether each day fits its box is checked where the box is: over the plan window itself.
    const QStringList days = m_db->column(QStringLiteral("SELECT foodsport FROM plan ORDER BY rowid"));
    QCOMPARE(days.size(), 7);
    // Men read that they eat more, every day, before anything else: the plan is written for a woman, and no box has
    // room for a line of its own.
    QVERIFY2(days.first().section(QStringLiteral("；"), 0, 0).startsWith(QStringLiteral("男性每天")),
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
    double lightest = 1e9;
    double heaviest = 0;
    const QStringList exercises = m_db->column(QStringLiteral("SELECT Name FROM yd"));
    QStringList withoutArticle;
    for (const QString& text : days) {
        const PlanDay day = readPlanDay(text);
        lightest = std::min(lightest, day.kcal + kOilKcal);
        heaviest = std::max(heaviest, day.kcal + kOilKcal);
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
        // Each move of a strength day is an exercise the user can read about.
        if (strength)
            for (const QString& move : QString(day.exercise)
                                           .remove(QRegularExpression(QStringLiteral("各[0-9]+组")))
                                           .split(QRegularExpression(QStringLiteral("[ 、]")), Qt::SkipEmptyParts))
                if (!exercises.contains(move))
                    withoutArticle << move;
        fishDays += std::any_of(day.items.cbegin(), day.items.cend(), [](const PlanItem& item) {
            return planGroups().value(item.title.section(QStringLiteral("（"), 0, 0)).group == Group::Fish;
        });
    }
    // At least 150 minutes a week on at least five days, strength on two or three days, fish or shrimp twice.
    QVERIFY2(totalMinutes >= 150, qPrintable(QString::number(totalMinutes)));
    QVERIFY2(activeDays >= 5, qPrintable(QString::number(activeDays)));
    QVERIFY2(strengthDays >= 2 && strengthDays <= 3, qPrintable(QString::number(strengthDays)));
    QVERIFY2(fishDays >= 2, qPrintable(QString::number(fishDays)));
    QVERIFY2(withoutArticle.isEmpty(), qPrintable(withoutArticle.join(u'、')));
    // The tip on the plan gives the women's days as they are.
    const QString tips = m_db->column(QStringLiteral("SELECT demo FROM xd")).join(u'\n');
    const QRegularExpressionMatch range =
        QRegularExpression(QStringLiteral("一周计划按女性每天约([0-9]+)～([0-9]+)大卡")).match(tips);
    QVERIFY(range.hasMatch());
    // As the tip rounds them: to the kilocalorie.
    lightest = std::round(lightest);
    heaviest = std::round(heaviest);
    QVERIFY2(range.captured(1).toDouble() <= lightest && range.captured(2).toDouble() >= heaviest,
             qPrintable(QStringLiteral("%1 to %2").arg(lightest).arg(heaviest)));
    QVERIFY2(lightest - range.captured(1).toDouble() < 50 && range.captured(2).toDouble() - heaviest < 50,
             qPrintable(QStringLiteral("%1 to %2").arg(lightest).arg(heaviest)));
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
