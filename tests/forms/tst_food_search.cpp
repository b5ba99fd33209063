// The search box of the calorie view, typed into as a user would, on a real file.
#include "support/tempdb.h"
#include "support/windows.h"

#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The pinyin rows are written here as make-data writes them, one token per character.
const QString kFoods =
    TempDatabase::standardSchema() +
    QStringLiteral("INSERT INTO \"02\" VALUES('谷类'),('蔬菜'),('肉类');"
                   "INSERT INTO \"01\" VALUES('谷类','米饭','116'),('谷类','糙米饭','123'),('蔬菜','空心菜','20'),"
                   "('肉类','红烧肉','470'),('蔬菜','番茄','15');"
                   "INSERT INTO food_search VALUES('米饭','mi fan'),('糙米饭','cao mi fan'),"
                   "('空心菜','kong xin cai'),('红烧肉','hong shao rou'),('番茄','fan jia'),('番茄','fan qie');");

// What the tree shows: each shown category with its shown foods when it is open ("谷类:米饭,糙米饭|蔬菜").
QString shownTree(const QTreeWidget* tree)
{
    QStringList categories;
    for (int c = 0; c < tree->topLevelItemCount(); ++c) {
        const QTreeWidgetItem* category = tree->topLevelItem(c);
        if (category->isHidden())
            continue;
        QStringList foods;
        for (int f = 0; category->isExpanded() && f < category->childCount(); ++f)
            if (!category->child(f)->isHidden())
                foods << category->child(f)->text(0);
        categories << category->text(0) + (foods.isEmpty() ? QString() : u':' + foods.join(u','));
    }
    return categories.join(u'|');
}

} // namespace

class TestFoodSearch : public QObject {
    Q_OBJECT

    QLineEdit* box(Windows& w) { return w.find<QLineEdit>("Edit2"); }
    QString label(Windows& w) { return w.find<QLabel>("Label1")->text(); }

private slots:
    void typingFiltersTheTree_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("caption");

        QTest::newRow("initials") << "hsr"
                                  << "肉类:红烧肉"
                                  << "红烧肉"
                                  << "所含热量：470大卡/100克。";
        QTest::newRow("the best match is current, not the first in the tree") << "fan"
                                                                              << "谷类:米饭,糙米饭|蔬菜:番茄"
                                                                              << "番茄"
                                                                              << "所含热量：15大卡/100克。";
        QTest::newRow("the second reading of a polyphone") << "fanqie"
                                                           << "蔬菜:番茄"
                                                           << "番茄"
                                                           << "所含热量：15大卡/100克。";
        QTest::newRow("upper case") << "KXC"
                                    << "蔬菜:空心菜"
                                    << "空心菜"
                                    << "所含热量：20大卡/100克。";
        QTest::newRow("nothing found") << "xyz"
                                       << ""
                                       << ""
                                       << "没有找到“xyz”。";
    }
    void typingFiltersTheTree()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, current);
        QFETCH(QString, caption);

        TempDatabase db(kFoods);
        Windows w(db.folder());
        QTreeWidget* tree = w.foodTree();
        QVERIFY(box(w)->isVisible());
        QCOMPARE(box(w)->placeholderText(), QStringLiteral("搜索食物"));
        QTest::keyClicks(box(w), typed);

        QCOMPARE(shownTree(tree), shown);
        QCOMPARE(tree->currentItem() ? tree->currentItem()->text(0) : QString(), current);
        QCOMPARE(label(w), caption);
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void chineseAndMixedQueries()
    {
        TempDatabase db(kFoods);
        Windows w(db.folder());
        QTreeWidget* tree = w.foodTree();
        // An input method hands over whole characters.
        box(w)->insert(QStringLiteral("米"));
        QCOMPARE(shownTree(tree), QStringLiteral("谷类:米饭,糙米饭"));
        QTest::keyClick(box(w), Qt::Key_F);
        QCOMPARE(shownTree(tree), QStringLiteral("谷类:米饭,糙米饭"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("米饭"));
    }

    void keysMoveBetweenTheBoxAndTheTree()
    {
        TempDatabase db(kFoods);
        Windows w(db.folder());
        QTreeWidget* tree = w.foodTree();
        const QString whole = QStringLiteral("谷类|蔬菜|肉类");
        QCOMPARE(shownTree(tree), whole);

        // Ctrl+F from the tree puts the focus in the box.
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(box(w)->hasFocus());

        // Typing in the tree goes on in the box.
        tree->setFocus();
        QTest::keyClicks(tree, "kx");
        QVERIFY(box(w)->hasFocus());
        QCOMPARE(box(w)->text(), QStringLiteral("kx"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("空心菜"));

        // Enter keeps the food found, in the tree.
        QTest::keyClick(box(w), Qt::Key_Return);
        QVERIFY(tree->hasFocus());
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("空心菜"));
        QCOMPARE(shownTree(tree), QStringLiteral("蔬菜:空心菜"));

        // Escape clears the box and brings the whole tree back, the categories closed as they were.
        box(w)->setFocus();
        QTest::keyClick(box(w), Qt::Key_Escape);
        QCOMPARE(box(w)->text(), QString());
        QCOMPARE(shownTree(tree), QStringLiteral("谷类|蔬菜:空心菜,番茄|肉类"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("空心菜"));

        // Down moves into the tree on the first match.
        QTest::keyClicks(box(w), "mf");
        QTest::keyClick(box(w), Qt::Key_Down);
        QVERIFY(tree->hasFocus());
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("米饭"));
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void screenReadersHearTheNumberFoundAndNothingFoundIsClearedWithTheBox()
    {
        // The box's description is what a screen reader reads when it changes (offscreen there is no reader to
        // receive the change itself).
        TempDatabase db(kFoods);
        Windows w(db.folder());
        w.foodTree();
        QTest::keyClicks(box(w), "m");
        QCOMPARE(box(w)->accessibleDescription(), QStringLiteral("找到 2 种食物"));
        QTest::keyClicks(box(w), "ifanz");
        QCOMPARE(box(w)->accessibleDescription(), QStringLiteral("没有找到“mifanz”。"));
        QTest::keyClick(box(w), Qt::Key_Escape);
        QCOMPARE(box(w)->accessibleDescription(), QString());
        QCOMPARE(label(w), QString());
    }

    void aFileThatCannotGiveThePinyinSaysSoOnceAndFindsByName()
    {
        TempDatabase db(kFoods + QStringLiteral("DROP TABLE food_search; CREATE TABLE food_search(Title TEXT);"));
        Windows w(db.folder());
        QTreeWidget* tree = w.foodTree();
        QTest::keyClicks(box(w), "mf");
        box(w)->clear();
        box(w)->insert(QStringLiteral("米饭"));
        QCOMPARE(shownTree(tree), QStringLiteral("谷类:米饭,糙米饭"));
        QCOMPARE(w.reporter.messages.size(), 1);
        QVERIFY2(w.reporter.messages.first().contains(QStringLiteral("data.Mdb")),
                 qPrintable(w.reporter.messages.first()));
    }

    void aFileWithoutPinyinFindsByName()
    {
        TempDatabase db(kFoods + QStringLiteral("DROP TABLE food_search;"));
        Windows w(db.folder());
        QTreeWidget* tree = w.foodTree();
        box(w)->insert(QStringLiteral("米饭"));
        QCOMPARE(shownTree(tree), QStringLiteral("谷类:米饭,糙米饭"));
        box(w)->clear();
        QTest::keyClicks(box(w), "mf");
        QCOMPARE(shownTree(tree), QString());
        QVERIFY(w.reporter.messages.isEmpty());
    }
};

QTEST_MAIN(TestFoodSearch)
#include "tst_food_search.moc"
