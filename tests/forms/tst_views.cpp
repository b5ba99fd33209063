// The main window's views: article browser, slimming diary and calorie lookup, on real files.
#include "data/conversions.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocumentFragment>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString articles = TempDatabase::standardSchema() +
                         QStringLiteral("INSERT INTO sp VALUES('第一篇','甲'),('第二篇','乙\n第二行'),('第三篇','丙');"
                                        "INSERT INTO yd VALUES('快走','每天');");

const QString foods =
    TempDatabase::standardSchema() +
    QStringLiteral("INSERT INTO \"02\" VALUES('谷类'),('蔬菜'),('空类');"
                   "INSERT INTO \"01\" VALUES"
                   "('蔬菜','黄瓜','16'),('谷类','米饭','116'),('谷类','馒头','223'),('无此类','孤儿','50'),"
                   "('蔬菜','重名','10'),('谷类','重名','20'),('谷类 ','带空格','1'),('蔬菜','空类','77');");

const QString portions =
    TempDatabase::standardSchema() +
    QStringLiteral(
        "INSERT INTO \"02\" VALUES('谷类');"
        "INSERT INTO \"01\" VALUES('谷类','米饭','116'),('谷类','番茄','23.5'),('谷类','牛奶','65'),"
        "('谷类','鸡翅（可食部69%）','202'),('谷类','馒头','223'),('谷类','怪数','约50');"
        "INSERT INTO portions VALUES('米饭','一小碗','100','克'),('米饭','一大碗','200','克'),"
        "('番茄','一个','150','克'),('牛奶','一盒','250','毫升'),('鸡翅（可食部69%）','一只（可食部）','45','克'),"
        "('怪数','一个','100','克');");

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

} // namespace

class TestViews : public QObject {
    Q_OBJECT

    QString label(Windows& w) { return w.find<QLabel>("Label1")->text(); }
    QString memo(Windows& w) { return w.find<QPlainTextEdit>("Memo1")->toPlainText(); }
    QLineEdit* weightBox(Windows& w) { return w.find<QLineEdit>("Edit1"); }

    // New entry, the text and the weight typed, then OK.
    void writeEntry(Windows& w, const QString& text, const QString& weight)
    {
        Windows::click(w.button("Image13"));
        w.find<QPlainTextEdit>("Memo1")->setPlainText(text);
        weightBox(w)->clear();
        // The test keyboard types ASCII only; other characters are inserted as an input method would.
        bool ascii = true;
        for (const QChar c : weight)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(weightBox(w), weight);
        else
            weightBox(w)->insert(weight);
        Windows::click(w.button("Image15"));
    }

    // Clicks a node of the food tree as a user would.
    void clickNode(Windows& w, QTreeWidgetItem* item)
    {
        auto* tree = w.find<QTreeWidget>("TreeView1");
        QVERIFY(tree && tree->isVisible());
        if (item->parent())
            item->parent()->setExpanded(true);
        const QRect r = tree->visualItemRect(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
    }

private slots:
    void initTestCase() { conversions::setLocale(QLocale(QLocale::Chinese, QLocale::China)); }

    // Article browser

    void articlesPageAndStayAtTheEnds()
    {
        TempDatabase db(articles);
        Windows w(db.folder());
        Windows::click(w.button("Image5"));
        QCOMPARE(label(w), QStringLiteral("第一篇"));
        QCOMPARE(memo(w), QStringLiteral("甲"));
        QVERIFY(w.find("Image2")->isVisible() && w.find("Image12")->isVisible());
        Windows::click(w.button("Image2"));
        QCOMPARE(label(w), QStringLiteral("第一篇"));
        Windows::click(w.button("Image12"));
        QCOMPARE(memo(w), QStringLiteral("乙\n第二行"));
        Windows::click(w.button("Image12"));
        Windows::click(w.button("Image12"));
        QCOMPARE(label(w), QStringLiteral("第三篇"));
        Windows::click(w.button("Image2"));
        QCOMPARE(label(w), QStringLiteral("第二篇"));
        // Re-entering starts at the first article again.
        Windows::click(w.button("Image5"));
        QCOMPARE(label(w), QStringLiteral("第一篇"));
        Windows::click(w.button("Image6"));
        QCOMPARE(label(w), QStringLiteral("快走"));
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void anEmptyTableShowsNothingAndPagingChangesNothing()
    {
        TempDatabase db(articles);
        Windows w(db.folder());
        Windows::click(w.button("Image7"));
        QCOMPARE(label(w), QString());
        QCOMPARE(memo(w), QString());
        Windows::click(w.button("Image12"));
        Windows::click(w.button("Image2"));
        QCOMPARE(label(w), QString());
        QCOMPARE(memo(w), QString());
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void aLongBodyShowsFromItsStart()
    {
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("第%1行").arg(i);
        TempDatabase db(articles);
        db.exec(QStringLiteral("INSERT INTO xd VALUES('长','%1')").arg(lines.join(u'\n')));
        Windows w(db.folder());
        auto* box = w.find<QPlainTextEdit>("Memo1");
        box->verticalScrollBar()->setValue(50);
        Windows::click(w.button("Image7"));
        QCOMPARE(box->toPlainText(), lines.join(u'\n'));
        QCOMPARE(box->textCursor().position(), 0);
        QVERIFY(!box->textCursor().hasSelection());
        QCOMPARE(box->verticalScrollBar()->value(), 0);
        QVERIFY(box->verticalScrollBar()->maximum() > 0);
    }

    void aTableWithoutNameReportsTheFieldAndLeavesTheBoxCleared()
    {
        TempDatabase db(QStringLiteral("CREATE TABLE \"02\"(Name TEXT); CREATE TABLE yd(title TEXT, demo TEXT);"
                                       "INSERT INTO yd VALUES('a','b');"));
        Windows w(db.folder());
        w.find<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("旧"));
        Windows::click(w.button("Image6"));
        QCOMPARE(w.reporter.messages, QStringList{QStringLiteral("ADODataSet_tevu: 找不到字段“Name”")});
        QCOMPARE(memo(w), QString());
    }

    void enteringAViewWhileWritingLocksTheBox_data()
    {
        QTest::addColumn<QString>("view");
        QTest::newRow("articles") << "Image5";
        QTest::newRow("diary") << "Image8";
        QTest::newRow("calories") << "Image9";
    }

    void enteringAViewWhileWritingLocksTheBox()
    {
        QFETCH(QString, view);
        TempDatabase db(articles);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        Windows::click(w.button(view));
        // OK would ignore what is typed now: the box takes no typing until the next new entry.
        QVERIFY(w.find<QPlainTextEdit>("Memo1")->isReadOnly());
        QVERIFY(!w.find(QStringLiteral("Edit1"))->isVisible());
        if (view != QLatin1String("Image8")) {
            for (const char* name : {"Image13", "Image15"})
                QVERIFY2(!w.find(name)->isVisible(), name);
        }
    }

    // Slimming diary

    void theDiaryListsEntriesNewestFirst()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES('2026-03-01 07:00:00.000','第一天',130),"
                               "('2026-03-02 00:00:00.000','第二天',NULL),"
                               "('2026-03-03 21:15:30.500','第三天',128.5),"
                               "('2026-03-04 08:00:00.000','第四天',0)"));
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        QCOMPARE(label(w), QStringLiteral("一定要坚持做日记哦！"));
        const QString expected = QStringLiteral(
            "2026/3/4 08:00:00\n第四天\n2026/3/3 21:15:30\n第三天  这天128.5斤\n2026/3/2\n第二天\n2026/3/1 07:00:00\n"
            "第一天  这天130斤");
        QCOMPARE(memo(w), expected);
        QCOMPARE(w.find<QPlainTextEdit>("Memo1")->textCursor().position(), 0);
        // What a user copies is what the box lists, a line break between an entry's time and its text.
        QTextCursor all(w.find<QPlainTextEdit>("Memo1")->document());
        all.select(QTextCursor::Document);
        QCOMPARE(all.selection().toPlainText(), expected);
        // Entering again lists the same entries, not twice over.
        Windows::click(w.button("Image8"));
        QCOMPARE(memo(w), expected);
        QVERIFY(w.find("Image13")->isVisible() && w.find("Image15")->isVisible());
        QVERIFY(!w.find("Image2")->isVisible() && !w.find("Image12")->isVisible());
        QVERIFY(!weightBox(w)->isVisible());
    }

    void anEmptyDiaryListsNothing()
    {
        TempDatabase db;
        Windows w(db.folder());
        w.find<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("旧"));
        Windows::click(w.button("Image8"));
        QCOMPARE(memo(w), QString());
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void newEntryOpensTheBoxAndKeepsTheLastWeight()
    {
        TempDatabase db;
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        QCOMPARE(label(w), QStringLiteral("输入你的体重(斤)："));
        QCOMPARE(memo(w), QString());
        QVERIFY(!w.find<QPlainTextEdit>("Memo1")->isReadOnly());
        QVERIFY(weightBox(w)->isVisible());
        QCOMPARE(weightBox(w)->text(), QStringLiteral("125"));
        writeEntry(w, QStringLiteral("跑步"), QStringLiteral("118"));
        Windows::click(w.button("Image13"));
        QCOMPARE(weightBox(w)->text(), QStringLiteral("118"));
    }

    // The first entry of a start offers the newest weight stored (not the 0 or empty of an entry without one).
    void theFirstNewEntryOffersTheNewestStoredWeight()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES('2026-03-01 07:00:00.000','一',147),"
                               "('2026-03-02 07:00:00.000','二',146.5),('2026-03-03 07:00:00.000','三',NULL),"
                               "('2026-03-04 07:00:00.000','四',0)"));
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        QCOMPARE(weightBox(w)->text(), QStringLiteral("146.5"));
        writeEntry(w, QStringLiteral("跑步"), QStringLiteral("146"));
        Windows::click(w.button("Image13"));
        QCOMPARE(weightBox(w)->text(), QStringLiteral("146"));
    }

    void tabInTheEntryMovesTheFocusToTheWeightBox()
    {
        TempDatabase db;
        Windows w(db.folder());
        QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        auto* box = w.find<QPlainTextEdit>("Memo1");
        QCOMPARE(QApplication::focusWidget(), box);
        QTest::keyClicks(box, QStringLiteral("ab"));
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(box->toPlainText(), QStringLiteral("ab"));
        // The tree, next in the tab order, is hidden in the diary view.
        QCOMPARE(QApplication::focusWidget(), weightBox(w));
    }

    void aDraftLeftForAnotherViewComesBackAtTheNextNewEntry()
    {
        TempDatabase db(foods);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        w.find<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("午饭前"));
        weightBox(w)->setText(QStringLiteral("121.5"));
        Windows::click(w.button("Image9")); // a look-up of a food
        Windows::click(w.button("Image8"));
        QCOMPARE(memo(w), QString());
        Windows::click(w.button("Image13"));
        QCOMPARE(memo(w), QStringLiteral("午饭前"));
        QCOMPARE(weightBox(w)->text(), QStringLiteral("121.5"));
        QVERIFY(!w.find<QPlainTextEdit>("Memo1")->isReadOnly());
        Windows::click(w.button("Image15"));
        QCOMPARE(db.rows(QStringLiteral("select demo, lb from rj")), QStringList{QStringLiteral("午饭前|121.5")});
        // Saved, the draft is over: the next entry starts empty.
        Windows::click(w.button("Image13"));
        QCOMPARE(memo(w), QString());
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void okStoresOneEntryWithTheTimeTextAndWeight_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("listed");
        QTest::newRow("decimal") << "125.5"
                                 << "125.5"
                                 << "125.5";
        QTest::newRow("spaces around") << " 120 "
                                       << "120.0"
                                       << "120";
        QTest::newRow("exponent") << "1.2e2"
                                  << "120.0"
                                  << "120";
        QTest::newRow("full-width") << "１２５．５"
                                    << "125.5"
                                    << "125.5";
    }

    void okStoresOneEntryWithTheTimeTextAndWeight()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, listed);
        TempDatabase db;
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        const QDateTime before = QDateTime::currentDateTime();
        writeEntry(w, QStringLiteral("今天吃得清淡\n走了一万步"), typed);
        const QDateTime after = QDateTime::currentDateTime();
        QVERIFY(w.reporter.messages.isEmpty());
        const QStringList rows = db.rows(QStringLiteral("select time, demo, lb from rj"));
        QCOMPARE(rows.size(), 1);
        const QStringList cells = rows.first().split(u'|');
        const auto when = conversions::fromStorageText(cells[0]);
        QVERIFY(when.has_value());
        QVERIFY(*when >= before.addMSecs(-1) && *when <= after);
        QCOMPARE(cells[0].size(), 23); // milliseconds are kept
        QCOMPARE(cells[1], QStringLiteral("今天吃得清淡\n走了一万步"));
        QCOMPARE(cells[2], stored);
        // After OK: locked, weight box hidden, the listing shown again with what was saved.
        QVERIFY(w.find<QPlainTextEdit>("Memo1")->isReadOnly());
        QVERIFY(!weightBox(w)->isVisible());
        QTRY_COMPARE(label(w), QStringLiteral("已保存。"));
        QVERIFY2(memo(w).endsWith(QStringLiteral("走了一万步  这天%1斤").arg(listed)), qPrintable(memo(w)));
    }

    void aBadWeightIsReportedStoresNothingAndACorrectedOkStoresOnce_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString notANumber = QStringLiteral("体重“%1”不是数字");
        const QString noBodyWeight = QStringLiteral("体重“%1”不在 0 到 2000斤之间");
        QTest::newRow("thousands separator") << "1,200" << notANumber.arg("1,200");
        QTest::newRow("empty") << "" << notANumber.arg("");
        QTest::newRow("lone sign") << "-" << notANumber.arg("-");
        QTest::newRow("unit") << "120斤" << notANumber.arg("120斤");
        QTest::newRow("below zero") << "-5" << noBodyWeight.arg("-5");
        QTest::newRow("huge") << "1e308" << noBodyWeight.arg("1e308");
    }

    void aBadWeightIsReportedStoresNothingAndACorrectedOkStoresOnce()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        TempDatabase db;
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        writeEntry(w, QStringLiteral("日记"), typed);
        QCOMPARE(w.reporter.messages, QStringList{message});
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), 0);
        QVERIFY(!w.find<QPlainTextEdit>("Memo1")->isReadOnly());
        QVERIFY(weightBox(w)->isVisible());
        QCOMPARE(memo(w), QStringLiteral("日记"));
        weightBox(w)->setText(QStringLiteral("120"));
        Windows::click(w.button("Image15"));
        QCOMPARE(db.rows(QStringLiteral("select demo, lb from rj")), QStringList{QStringLiteral("日记|120.0")});
        Windows::click(w.button("Image15")); // a second OK after saving stores nothing more
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), 1);
    }

    void okSavesNothingWithAnEmptyBoxOrOutsideWriting()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES('2026-03-01 07:00:00.000','旧日记',130)"));
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        // Right after entering the view the box holds the listing: OK must not store it as an entry.
        Windows::click(w.button("Image15"));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), 1);
        Windows::click(w.button("Image13"));
        weightBox(w)->setText(QStringLiteral("120"));
        Windows::click(w.button("Image15"));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), 1);
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void aFailedSaveKeepsTheTextAndARetryStoresOnce()
    {
        TempDatabase db;
        db.exec(QStringLiteral("CREATE TRIGGER stop BEFORE INSERT ON rj BEGIN SELECT RAISE(ABORT, 'disk'); END;"));
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        writeEntry(w, QStringLiteral("重要的一天"), QStringLiteral("119"));
        QCOMPARE(w.reporter.messages.size(), 1);
        QCOMPARE(memo(w), QStringLiteral("重要的一天"));
        QVERIFY(!w.find<QPlainTextEdit>("Memo1")->isReadOnly());
        db.exec(QStringLiteral("DROP TRIGGER stop"));
        Windows::click(w.button("Image15"));
        QCOMPARE(db.rows(QStringLiteral("select demo, lb from rj")), QStringList{QStringLiteral("重要的一天|119.0")});
    }

    // Calorie lookup

    void theTreeHoldsCategoriesInOrderWithTheirFoods()
    {
        TempDatabase db(foods);
        Windows w(db.folder());
        auto* tree = w.foodTree();
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("谷类"));
        QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("蔬菜"));
        QCOMPARE(tree->topLevelItem(2)->text(0), QStringLiteral("空类"));
        // Exact names: "谷类 " with a trailing space is another category.
        QCOMPARE(childTexts(tree->topLevelItem(0)), (QStringList{"米饭", "馒头", "重名"}));
        QCOMPARE(childTexts(tree->topLevelItem(1)), (QStringList{"黄瓜", "重名", "空类"}));
        QCOMPARE(tree->topLevelItem(2)->childCount(), 0);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!tree->topLevelItem(i)->isExpanded());
    }

    // The tree is made when the view is first entered, from what the window's first showing read.
    void theTreeShowsWhatTheFirstShowingRead()
    {
        TempDatabase db(foods);
        Windows w(db.folder());
        db.exec(QStringLiteral("DELETE FROM \"02\"; DELETE FROM \"01\";"));
        auto* tree = w.foodTree();
        QVERIFY(tree->isVisible());
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(childTexts(tree->topLevelItem(1)), (QStringList{"黄瓜", "重名", "空类"}));
    }

    void caseMattersWhenPlacingFoods()
    {
        TempDatabase db(TempDatabase::standardSchema() +
                        QStringLiteral("INSERT INTO \"02\" VALUES('Fruit');INSERT INTO \"01\" "
                                       "VALUES('fruit','apple','52'),('Fruit','pear','50');"));
        Windows w(db.folder());
        auto* tree = w.foodTree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(childTexts(tree->topLevelItem(0)), QStringList{"pear"});
    }

    void twoCategoriesOfOneNameEachGetItsFoods()
    {
        TempDatabase db(TempDatabase::standardSchema() +
                        QStringLiteral("INSERT INTO \"02\" VALUES('水果'),('蔬菜'),('水果');INSERT INTO \"01\" "
                                       "VALUES('水果','苹果','52'),('蔬菜','黄瓜','16'),('水果','梨','50');"));
        Windows w(db.folder());
        auto* tree = w.foodTree();
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(childTexts(tree->topLevelItem(0)), (QStringList{"苹果", "梨"}));
        QCOMPARE(childTexts(tree->topLevelItem(1)), QStringList{"黄瓜"});
        QCOMPARE(childTexts(tree->topLevelItem(2)), (QStringList{"苹果", "梨"}));
    }

    void clickingAFoodShowsItsEnergy()
    {
        TempDatabase db(foods);
        Windows w(db.folder());
        Windows::click(w.button("Image5"));
        Windows::click(w.button("Image9"));
        auto* tree = w.find<QTreeWidget>("TreeView1");
        QVERIFY(tree->isVisible());
        QCOMPARE(label(w), QString());
        // A click where nothing is selected yet does nothing.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(200, 160));
        QCOMPARE(label(w), QString());

        clickNode(w, tree->topLevelItem(0)->child(1));
        QCOMPARE(label(w), QStringLiteral("所含热量：223大卡/100克。"));
        // The first of two equal titles in the foods table wins, whichever node is clicked.
        clickNode(w, tree->topLevelItem(0)->child(2));
        QCOMPARE(label(w), QStringLiteral("所含热量：10大卡/100克。"));
        // A category node is looked up as a food of that name: "空类" is also a food.
        clickNode(w, tree->topLevelItem(2));
        QCOMPARE(label(w), QStringLiteral("所含热量：77大卡/100克。"));
        // No match keeps the line as it was.
        clickNode(w, tree->topLevelItem(0));
        QCOMPARE(label(w), QStringLiteral("所含热量：77大卡/100克。"));
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void aFoodShowsItsPortionsBesideTheEnergyPer100g_data()
    {
        QTest::addColumn<QString>("food");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two bowls") << "米饭"
                                   << "所含热量：116大卡/100克；一小碗（100克）116大卡；一大碗（200克）232大卡。";
        // Each unit's energy at tenths: 23.5 × 1.5 = 35.25, 65 × 2.5 = 162.5, 202 × 0.45 = 90.9.
        QTest::newRow("energy with a decimal, at tenths") << "番茄"
                                                          << "所含热量：23.5大卡/100克；一个（150克）35.3大卡。";
        QTest::newRow("a liquid by millilitres") << "牛奶"
                                                 << "所含热量：65大卡/100克；一盒（250毫升）162.5大卡。";
        QTest::newRow("a unit with its own note") << "鸡翅（可食部69%）"
                                                  << "所含热量：202大卡/100克；一只（可食部，45克）90.9大卡。";
        QTest::newRow("no portions") << "馒头"
                                     << "所含热量：223大卡/100克。";
        QTest::newRow("an energy that is no number gets no sums") << "怪数"
                                                                  << "所含热量：约50大卡/100克。";
    }

    void aFoodShowsItsPortionsBesideTheEnergyPer100g()
    {
        QFETCH(QString, food);
        QFETCH(QString, shown);
        TempDatabase db(portions);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        const QRect elsewhere = w.find<QLabel>("Label1")->geometry();
        Windows::click(w.button("Image9"));
        QTreeWidgetItem* category = w.find<QTreeWidget>("TreeView1")->topLevelItem(0);
        for (int i = 0; i < category->childCount(); ++i)
            if (category->child(i)->text(0) == food)
                clickNode(w, category->child(i));
        QCOMPARE(label(w), shown);
        // The sentence has the tree's width and two lines while the tree is shown; the caption is as before elsewhere.
        auto* caption = w.find<QLabel>("Label1");
        QVERIFY(caption->wordWrap());
        const int needed = caption->fontMetrics().boundingRect(caption->rect(), Qt::TextWordWrap, shown).height();
        QVERIFY2(needed <= caption->height(), qPrintable(QStringLiteral("%1 > %2").arg(needed).arg(caption->height())));
        Windows::click(w.button("Image5"));
        QVERIFY(!caption->wordWrap());
        QCOMPARE(caption->geometry(), elsewhere);
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void aFileWithoutPortionsShowsTheEnergyAlone()
    {
        TempDatabase db(portions + QStringLiteral("DROP TABLE portions;"));
        Windows w(db.folder());
        Windows::click(w.button("Image9"));
        clickNode(w, w.find<QTreeWidget>("TreeView1")->topLevelItem(0)->child(0));
        QCOMPARE(label(w), QStringLiteral("所含热量：116大卡/100克。"));
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void theReminderOpensTheDiaryReadyToWrite()
    {
        TempDatabase db(foods);
        Windows w(db.folder());
        QVERIFY(!w.main->writingDiary());
        w.main->startNewEntry();
        QVERIFY(w.main->writingDiary());
        QVERIFY(w.find("Memo1")->isVisible());
        QVERIFY(w.find("Edit1")->isVisible());
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void theTreeIsReadOnlyAndItsEnergyFollowsTheKeys()
    {
        TempDatabase db(foods);
        Windows w(db.folder());
        QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image9"));
        auto* tree = w.find<QTreeWidget>("TreeView1");
        QCOMPARE(QApplication::focusWidget(), tree);
        QTreeWidgetItem* rice = tree->topLevelItem(0)->child(0);
        clickNode(w, rice);
        // A second click or F2 on the selected food opens no editor.
        clickNode(w, rice);
        QTest::keyClick(tree, Qt::Key_F2);
        QVERIFY(tree->viewport()->findChildren<QLineEdit*>().isEmpty());
        QCOMPARE(rice->text(0), QStringLiteral("米饭"));
        QCOMPARE(label(w), QStringLiteral("所含热量：116大卡/100克。"));
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("馒头"));
        QCOMPARE(label(w), QStringLiteral("所含热量：223大卡/100克。"));
        QCOMPARE(tree->currentItem()->data(0, Qt::AccessibleDescriptionRole).toString(), label(w));
        // Back to the diary: the keys page the listing, not the hidden tree.
        Windows::click(w.button("Image8"));
        QCOMPARE(QApplication::focusWidget(), w.find("Memo1"));
    }

    void theSelectionIsHighlightedOnlyWhileTheTreeHasTheFocus()
    {
        TempDatabase db(foods);
        Windows w(db.folder());
        QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
        Windows::click(w.button("Image9"));
        auto* tree = w.find<QTreeWidget>("TreeView1");
        const QColor highlight = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
        auto highlighted = [&] {
            const QImage shot = tree->viewport()->grab().toImage();
            const QRect row = tree->visualItemRect(tree->topLevelItem(1));
            int count = 0;
            for (int y = row.top(); y <= row.bottom(); ++y)
                for (int x = row.left(); x <= row.right(); ++x)
                    count += shot.pixelColor(x, y) == highlight;
            return count;
        };
        clickNode(w, tree->topLevelItem(1));
        QCOMPARE(QApplication::focusWidget(), tree);
        QVERIFY(highlighted() > 100);
        w.main->setFocus();
        QVERIFY(!tree->hasFocus());
        QCOMPARE(tree->currentItem(), tree->topLevelItem(1));
        QVERIFY(tree->topLevelItem(1)->isSelected());
        QCOMPARE(highlighted(), 0);
        tree->setFocus();
        QVERIFY(highlighted() > 100);
    }

    void theCalorieViewHidesTheOtherControls()
    {
        TempDatabase db(foods);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        Windows::click(w.button("Image9"));
        for (const char* name : {"Memo1", "Image2", "Image12", "Image13", "Image15", "Edit1"})
            QVERIFY2(!w.find(name)->isVisible(), name);
        QCOMPARE(label(w), QString());
    }

    void aFoodsTableThatCannotBeReadKeepsTheCategoriesMadeBeforeIt()
    {
        // The foods are read while the first category is made: it stays, without foods, and the rest never come.
        TempDatabase db(TempDatabase::standardSchema() +
                        QStringLiteral("DROP TABLE \"01\"; CREATE TABLE \"01\"(Name TEXT, sz TEXT);"
                                       "INSERT INTO \"01\" VALUES('谷类','116');"
                                       "INSERT INTO \"02\" VALUES('谷类'),('蔬菜');"));
        Windows w(db.folder());
        auto* tree = w.foodTree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("谷类"));
        QCOMPARE(tree->topLevelItem(0)->childCount(), 0);
        QCOMPARE(w.reporter.messages.size(), 1);
    }

    void anEmptyCategoryTableLeavesTheTreeEmpty()
    {
        TempDatabase db(articles);
        Windows w(db.folder());
        QVERIFY(!w.data->ADODataSet.active());
        auto* tree = w.foodTree();
        QCOMPARE(tree->topLevelItemCount(), 0);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton);
        QVERIFY(w.reporter.messages.isEmpty());
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
