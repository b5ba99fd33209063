// The weekly plan window: seven days shown from and saved to table plan.
#include "support/tempdb.h"
#include "support/windows.h"

#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

QString planSql(int rows)
{
    QString sql = TempDatabase::standardSchema();
    for (int i = 1; i <= rows; ++i)
        sql += QStringLiteral("INSERT INTO plan VALUES('第%1天\n跑步');").arg(i);
    return sql;
}

QStringList storedPlan(const TempDatabase& db)
{
    return db.rows(QStringLiteral("select foodsport from plan order by rowid"));
}

} // namespace

class TestPlan : public QObject {
    Q_OBJECT

    QStringList boxes(Windows& w)
    {
        QStringList texts;
        for (int day = 0; day < 7; ++day)
            texts << w.plan->dayBox(day)->toPlainText();
        return texts;
    }

    void showPlan(Windows& w)
    {
        w.plan->show();
        w.plan->hide();
    }

private slots:
    void theWindowIsLaidOutAsDesigned()
    {
        TempDatabase db(planSql(7));
        Windows w(db.folder());
        Ttevu_plan* plan = w.plan.get();
        QCOMPARE(plan->windowTitle(), QStringLiteral("定制瘦身计划"));
        QCOMPARE(plan->size(), QSize(634, 351));
        const QStringList days{"一", "二", "三", "四", "五", "六", "日"};
        const char* labels[] = {"Label1", "Label2", "Label7", "Label6", "Label5", "Label4", "Label3"};
        for (int day = 0; day < 7; ++day) {
            auto* label = plan->findChild<QLabel*>(labels[day]);
            QCOMPARE(label->text(), QStringLiteral("周%1的食物和运动").arg(days[day]));
            QCOMPARE(plan->dayBox(day)->geometry().size(), QSize(481, 33));
            QCOMPARE(plan->dayBox(day)->x(), 152);
            QCOMPARE(label->y() - plan->dayBox(day)->y(), 8);
        }
        QCOMPARE(plan->findChild<QPushButton*>("Button1")->text(), QStringLiteral("录入"));
        QCOMPARE(plan->findChild<QPushButton*>("Button2")->text(), QStringLiteral("关闭"));
        QStringList order;
        QWidget* at = plan->dayBox(0);
        do {
            if (qobject_cast<QPlainTextEdit*>(at))
                order << at->objectName();
            at = at->nextInFocusChain();
        } while (at != plan->dayBox(0));
        QCOMPARE(order, (QStringList{"Memo1", "Memo2", "Memo3", "Memo4", "Memo5", "Memo6", "Memo7"}));
    }

    void everyDayBoxShowsTwoWholeLines()
    {
        TempDatabase db(planSql(7));
        Windows w(db.folder());
        w.plan->show();
        for (int day = 0; day < 7; ++day) {
            QPlainTextEdit* box = w.plan->dayBox(day);
            QCOMPARE(box->font().family(), w.plan->font().family());
            box->setPlainText(QStringLiteral("早餐：燕麦粥一碗，鸡蛋一个 Breakfast\n晚饭后快走半小时 Walk 30 min"));
            QTextCursor first(box->document());
            QTextCursor last(box->document());
            last.movePosition(QTextCursor::End);
            const int top = box->cursorRect(first).top();
            const int bottom = box->cursorRect(last).bottom();
            QVERIFY2(top >= 0 && bottom < box->viewport()->height(),
                     qPrintable(QStringLiteral("%1: lines from %2 to %3, box shows 0 to %4")
                                    .arg(box->objectName())
                                    .arg(top)
                                    .arg(bottom)
                                    .arg(box->viewport()->height() - 1)));
            QCOMPARE(box->verticalScrollBar()->maximum(), 0);
        }
        w.plan->hide();
    }

    void thePlanButtonOpensTheWindowModallyWithTheSevenDays()
    {
        TempDatabase db(planSql(7));
        Windows w(db.folder());
        QStringList shown;
        const bool modal = whileModal([&] { Windows::click(w.button("Image10")); },
                                      [&](QWidget* m) {
                                          QCOMPARE(m, static_cast<QWidget*>(w.plan.get()));
                                          shown = boxes(w);
                                      });
        QVERIFY(modal);
        QCOMPARE(shown.first(), QStringLiteral("第1天\n跑步"));
        QCOMPARE(shown.last(), QStringLiteral("第7天\n跑步"));
    }

    void sevenDaysRoundTripWithTheirLineBreaks()
    {
        TempDatabase db(planSql(7));
        Windows w(db.folder());
        showPlan(w);
        for (int day = 0; day < 7; ++day)
            w.plan->dayBox(day)->setPlainText(QStringLiteral("早：燕麦\n晚：杂粮粥 '%1'; --").arg(day));
        w.plan->Button1Click();
        QCOMPARE(w.reporter.messages, QStringList());
        QVERIFY(!w.data->ADODataSetPlan.active()); // the save closes its dataset
        const QStringList stored = storedPlan(db);
        QCOMPARE(stored.size(), 7);
        for (int day = 0; day < 7; ++day)
            QCOMPARE(stored[day], QStringLiteral("早：燕麦\n晚：杂粮粥 '%1'; --").arg(day));
        for (int day = 0; day < 7; ++day)
            w.plan->dayBox(day)->clear();
        showPlan(w);
        QCOMPARE(boxes(w)[3], QStringLiteral("早：燕麦\n晚：杂粮粥 '3'; --"));
        QVERIFY(w.data->ADODataSetPlan.active()); // a show leaves it open
    }

    void missingDaysShowEmptyAndAreSavedInTheirOwnRows_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("three rows") << 3;
        QTest::newRow("one row") << 1;
        QTest::newRow("empty table") << 0;
    }

    void missingDaysShowEmptyAndAreSavedInTheirOwnRows()
    {
        QFETCH(int, rows);
        TempDatabase db(planSql(rows));
        Windows w(db.folder());
        showPlan(w);
        const QStringList shown = boxes(w);
        for (int day = 0; day < 7; ++day)
            QCOMPARE(shown[day], day < rows ? QStringLiteral("第%1天\n跑步").arg(day + 1) : QString());
        for (int day = 0; day < 7; ++day)
            w.plan->dayBox(day)->setPlainText(QStringLiteral("周%1").arg(day + 1));
        w.plan->Button1Click();
        QCOMPARE(storedPlan(db), (QStringList{"周1", "周2", "周3", "周4", "周5", "周6", "周7"}));
    }

    void rowsAfterTheSeventhAreNeverShownOrChanged()
    {
        TempDatabase db(planSql(9));
        Windows w(db.folder());
        showPlan(w);
        QCOMPARE(boxes(w).last(), QStringLiteral("第7天\n跑步"));
        for (int day = 0; day < 7; ++day)
            w.plan->dayBox(day)->setPlainText(QStringLiteral("新"));
        w.plan->Button1Click();
        const QStringList stored = storedPlan(db);
        QCOMPARE(stored.size(), 9);
        QCOMPARE(stored[6], QStringLiteral("新"));
        QCOMPARE(stored[7], QStringLiteral("第8天\n跑步"));
        QCOMPARE(stored[8], QStringLiteral("第9天\n跑步"));
    }

    void aSaveThatFailsPartWayLeavesTheTableAsItWas()
    {
        TempDatabase db(planSql(5));
        db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON plan WHEN NEW.foodsport = '坏' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
        const QStringList before = storedPlan(db);
        Windows w(db.folder());
        showPlan(w);
        for (int day = 0; day < 7; ++day)
            w.plan->dayBox(day)->setPlainText(day == 6 ? QStringLiteral("坏") : QStringLiteral("好"));
        Windows::click(w.plan->findChild<QPushButton*>("Button1"));
        QCOMPARE(w.reporter.messages.size(), 1);
        QCOMPARE(storedPlan(db), before);
        QCOMPARE(boxes(w)[0], QStringLiteral("好"));
        QCOMPARE(boxes(w)[6], QStringLiteral("坏"));
        // Another try after the cause is gone stores everything once.
        db.exec(QStringLiteral("DROP TRIGGER refuse"));
        Windows::click(w.plan->findChild<QPushButton*>("Button1"));
        QCOMPARE(storedPlan(db), (QStringList{"好", "好", "好", "好", "好", "好", "坏"}));
    }

    // Closing with an unsaved day asks first: 保存 stores the days, 不保存 drops them, 取消 keeps the window open.
    void closingWithUnsavedChangesAsks_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shownAgain");
        QTest::newRow("save") << "保存" << true << "改过"
                              << "改过";
        QTest::newRow("do not save") << "不保存" << true << "第3天\n跑步"
                                     << "第3天\n跑步";
        QTest::newRow("cancel") << "取消" << false << "第3天\n跑步"
                                << "改过";
    }

    void closingWithUnsavedChangesAsks()
    {
        QFETCH(QString, answer);
        QFETCH(bool, closed);
        QFETCH(QString, stored);
        QFETCH(QString, shownAgain);
        TempDatabase db(planSql(7));
        Windows w(db.folder());
        QString question;
        bool visibleAfter = true;
        QString boxAfter;
        whileModal([&] { w.plan->exec(); },
                   [&](QWidget* m) {
                       w.plan->dayBox(2)->setPlainText(QStringLiteral("改过"));
                       QVERIFY(whileModal([&] { Windows::click(m->findChild<QPushButton*>("Button2")); },
                                          [&](QWidget* box) {
                                              question = qobject_cast<QMessageBox*>(box)->text();
                                              for (auto* button : box->findChildren<QPushButton*>())
                                                  if (button->text() == answer)
                                                      button->click();
                                          }));
                       visibleAfter = m->isVisible();
                       boxAfter = w.plan->dayBox(2)->toPlainText();
                       // Back as stored, so that the helper's own close asks nothing.
                       w.plan->dayBox(2)->setPlainText(QStringLiteral("第3天\n跑步"));
                   });
        QCOMPARE(question, QStringLiteral("保存修改吗？"));
        QCOMPARE(!visibleAfter, closed);
        QCOMPARE(storedPlan(db)[2], stored);
        if (!closed)
            QCOMPARE(boxAfter, shownAgain);
        else {
            showPlan(w);
            QCOMPARE(boxes(w)[2], shownAgain);
        }
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void closingWithoutChangesAsksNothing()
    {
        TempDatabase db(planSql(7));
        Windows w(db.folder());
        bool closedByButton = false;
        whileModal([&] { w.plan->exec(); },
                   [&](QWidget* m) {
                       Windows::click(m->findChild<QPushButton*>("Button2"));
                       closedByButton = !m->isVisible();
                   });
        QVERIFY(closedByButton);
    }

    // Alt+7 meant for the main window types no 7 into a day, and closing then asks nothing.
    void altWithADigitTypesNothing()
    {
        TempDatabase db(planSql(7));
        Windows w(db.folder());
        QString typed;
        bool closedByButton = false;
        whileModal([&] { w.plan->exec(); },
                   [&](QWidget* m) {
                       QTest::keyClick(w.plan->dayBox(0), Qt::Key_7, Qt::AltModifier);
                       typed = w.plan->dayBox(0)->toPlainText();
                       Windows::click(m->findChild<QPushButton*>("Button2"));
                       closedByButton = !m->isVisible();
                   });
        QCOMPARE(typed, QStringLiteral("第1天\n跑步"));
        QVERIFY(closedByButton);
    }

    // A long text wraps in its two lines with a vertical scroll bar only; the window shows it so again when reopened.
    void aLongDayScrollsOnlyVertically()
    {
        TempDatabase db(planSql(7));
        Windows w(db.folder());
        w.plan->show();
        QPlainTextEdit* box = w.plan->dayBox(0);
        box->setFocus();
        QTest::keyClicks(box, QString(300, u'a') + QStringLiteral(" walk"));
        QCoreApplication::processEvents();
        QVERIFY(!box->horizontalScrollBar()->isVisible());
        QVERIFY(box->verticalScrollBar()->isVisible());
        QVERIFY2(box->viewport()->height() >= 2 * box->fontMetrics().lineSpacing(),
                 qPrintable(QString::number(box->viewport()->height())));
        QVERIFY(!w.plan->dayBox(1)->verticalScrollBar()->isVisible());
        w.plan->hide();
    }

    // Typing and pasting stop at 20,000 characters and say so; a longer stored day is shown whole.
    void aDayTakesAtMostTwentyThousandCharacters()
    {
        const QString stored(25000, u'存');
        TempDatabase db(TempDatabase::standardSchema() + QStringLiteral("INSERT INTO plan VALUES('%1');").arg(stored));
        Windows w(db.folder());
        w.plan->show();
        QCOMPARE(w.plan->dayBox(0)->toPlainText(), stored);
        QPlainTextEdit* box = w.plan->dayBox(1);
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("ab"));
        QApplication::clipboard()->setText(QString(30000, u'贴'));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), QStringLiteral("ab") + QString(19998, u'贴'));
        QCOMPARE(w.reporter.messages, QStringList{QStringLiteral("内容太长，只保留了前 20,000 个字")});
        QTest::keyClicks(box, QStringLiteral("c"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->toPlainText().size(), 20000);
        // In place of a selection there is room again.
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, QStringLiteral("d"));
        QVERIFY(box->toPlainText().endsWith(u'd'));
        w.plan->hide();
    }
};

QTEST_MAIN(TestPlan)
#include "tst_plan.moc"
