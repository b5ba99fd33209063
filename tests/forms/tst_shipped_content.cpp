// The shipped content as the program shows it: every food under its category in the tree, every article readable.
#include "app/application.h"
#include "support/windows.h"
#include "tools/make-data/content_compiler.h"

#include <QAbstractTextDocumentLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>
#include <QtTest>

class TestShippedContent : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    tevu::content::Content m_content;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const auto result = tevu::content::compileContent(QStringLiteral(TEVU_SOURCE_DIR "/resources/content"),
                                                          m_dir.filePath(QStringLiteral("data.Mdb")));
        QVERIFY2(result.outcome == tevu::content::Outcome::Built, qPrintable(result.error.toString()));
        m_content = result.content;
    }

    void theTreeHoldsEveryShippedFoodUnderItsCategory()
    {
        Windows w(m_dir.path());
        QCOMPARE(w.reporter.messages, QStringList());
        auto* tree = w.foodTree();
        QCOMPARE(tree->topLevelItemCount(), m_content.categories.size());
        int foods = 0;
        for (int c = 0; c < tree->topLevelItemCount(); ++c) {
            QTreeWidgetItem* category = tree->topLevelItem(c);
            QCOMPARE(category->text(0), m_content.categories[c]);
            QVERIFY2(category->childCount() > 0, qPrintable(category->text(0)));
            foods += category->childCount();
        }
        QCOMPARE(foods, m_content.foods.size());
    }

    void clickingAShippedFoodShowsItsEnergy()
    {
        Windows w(m_dir.path());
        Windows::click(w.button("Image9"));
        auto* tree = w.find<QTreeWidget>("TreeView1");
        QTreeWidgetItem* category = tree->topLevelItem(1);
        category->setExpanded(true);
        QTreeWidgetItem* food = category->child(0);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(food).center());
        QCOMPARE(food->text(0), QStringLiteral("马铃薯（土豆）"));
        QCOMPARE(w.find<QLabel>("Label1")->text(),
                 QStringLiteral("所含热量：81大卡/100克；一个（中等，200克）162大卡。"));
    }

    void everyShippedFoodsEnergyFitsTheCaption()
    {
        Windows w(m_dir.path());
        Windows::click(w.button("Image9"));
        auto* caption = w.find<QLabel>("Label1");
        QStringList tooLong;
        for (const auto& food : std::as_const(m_content.foods)) {
            // The sentence as the calorie view writes it, with the longest energies a unit may have.
            QString text = QStringLiteral("所含热量：%1大卡/100克").arg(food.energy);
            // A unit that carries its own note, "一盒（250毫升）", takes the grams into that note.
            for (const auto& portion : food.portions)
                text += portion.unit.endsWith(u'）')
                            ? QStringLiteral("；%1，%2%3）8888大卡")
                                  .arg(portion.unit.chopped(1), portion.amount, portion.measure)
                            : QStringLiteral("；%1（%2%3）8888大卡").arg(portion.unit, portion.amount, portion.measure);
            text += QStringLiteral("。");
            if (caption->fontMetrics().boundingRect(caption->rect(), Qt::TextWordWrap, text).height() >
                caption->height())
                tooLong << text;
        }
        QVERIFY2(tooLong.isEmpty(), qPrintable(tooLong.join(u'\n')));
    }

    void everyArticleViewPagesThroughItsWholeTable_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("table");
        QTest::newRow("recipes") << "Image5" << 0;
        QTest::newRow("exercises") << "Image6" << 1;
        QTest::newRow("tips") << "Image7" << 2;
    }

    void everyArticleViewPagesThroughItsWholeTable()
    {
        QFETCH(QString, button);
        QFETCH(int, table);
        const QList<tevu::content::Article>& articles = table == 0   ? m_content.recipes
                                                        : table == 1 ? m_content.exercises
                                                                     : m_content.tips;
        Windows w(m_dir.path());
        Windows::click(w.button(button));
        for (int i = 0; i < articles.size(); ++i) {
            QCOMPARE(w.find<QLabel>("Label1")->text(), articles[i].title);
            QCOMPARE(w.find<QPlainTextEdit>("Memo1")->toPlainText(), articles[i].body);
            // The title fits the message line.
            QVERIFY2(w.find<QLabel>("Label1")->fontMetrics().horizontalAdvance(articles[i].title) <= 257,
                     qPrintable(articles[i].title));
            Windows::click(w.button("Image12"));
        }
        QCOMPARE(w.reporter.messages, QStringList());
    }

    // What a day's box shows without scrolling is all that most users read of that day.
    void everyPlanDayFitsItsBoxInTwoLines()
    {
        application::installFontSubstitutes();
        Windows w(m_dir.path());
        w.plan->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.plan.get()));
        QCOMPARE(m_content.plan.size(), 7);
        for (int day = 0; day < 7; ++day) {
            QPlainTextEdit* box = w.plan->dayBox(day);
            QCOMPARE(box->toPlainText(), m_content.plan[day].body);
            QTextDocument* document = box->document();
            int lines = 0;
            for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
                (void)document->documentLayout()->blockBoundingRect(block); // lays the block out at the box's width
                lines += block.layout()->lineCount();
            }
            QVERIFY2(lines <= 2, qPrintable(QStringLiteral("%1: %2 lines").arg(m_content.plan[day].title).arg(lines)));
        }
        w.plan->hide();
        QCOMPARE(w.reporter.messages, QStringList());
    }
};

QTEST_MAIN(TestShippedContent)
#include "tst_shipped_content.moc"
