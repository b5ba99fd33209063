// Choosing listed diary entries, editing and deleting them, undo and redo, and the question on unlikely weights:
// the real main window, offscreen, on real files.
#include "data/conversions.h"
#include "datafile/backup.h"
#include "datafile/csv.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QtTest>

namespace {

// Stored in this order, so listed newest (rowid 3) first. The first two share their time to the millisecond.
const QString diary =
    TempDatabase::standardSchema() + QStringLiteral("INSERT INTO rj VALUES('2026-12-07 08:30:15.123','早上',150),"
                                                    "('2026-12-07 08:30:15.123','早上',150),"
                                                    "('2026-12-08 07:00:00.001','晚饭少吃',149.5);");
const QString everything =
    QStringLiteral("select rowid, time, typeof(time), demo, lb, typeof(lb) from rj order by rowid");

// What a question box said, and the answer given by its button's text.
struct Answer {
    QString button;
    QString question;
    QString defaultButton;
};

std::function<void(QWidget*)> answering(Answer& answer)
{
    return [&answer](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        answer.question = box->text();
        answer.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == answer.button)
                button->click();
    };
}

} // namespace

class TestDiaryEdits : public QObject {
    Q_OBJECT

    QPlainTextEdit* listing(Windows& w) { return w.find<QPlainTextEdit>("Memo1"); }
    QString label(Windows& w) { return w.find<QLabel>("Label1")->text(); }
    QLineEdit* weightBox(Windows& w) { return w.find<QLineEdit>("Edit1"); }

    // The middle of one line of a listed entry, in the listing's viewport.
    QPoint lineOf(Windows& w, int entry, int line)
    {
        QPlainTextEdit* box = listing(w);
        const QTextBlock block = box->document()->findBlockByNumber(entry);
        QTextCursor at(block);
        if (line == 1)
            at.setPosition(block.position() + static_cast<int>(block.text().indexOf(QChar::LineSeparator)) + 1);
        return box->cursorRect(at).center() + QPoint(20, 0);
    }

    // The entries marked as chosen, each only when both its lines are marked whole.
    QList<int> chosen(Windows& w)
    {
        QList<int> entries;
        QTextDocument* document = listing(w)->document();
        for (const QTextEdit::ExtraSelection& mark : listing(w)->extraSelections()) {
            const QTextBlock first = document->findBlock(mark.cursor.selectionStart());
            const QTextBlock last = document->findBlock(mark.cursor.selectionEnd() - 1);
            if (mark.cursor.selectionStart() != first.position() ||
                mark.cursor.selectionEnd() < last.position() + last.length() - 1)
                return {-1};
            for (int entry = first.blockNumber(); entry <= last.blockNumber(); ++entry)
                entries << entry;
        }
        return entries;
    }

    void clickEntry(Windows& w, int entry, Qt::KeyboardModifiers modifiers = {}, int line = 0)
    {
        QTest::mouseClick(listing(w)->viewport(), Qt::LeftButton, modifiers, lineOf(w, entry, line));
    }

    void key(Windows& w, int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(listing(w), static_cast<Qt::Key>(key), modifiers);
    }

    // Opens the listing's context menu over an entry and picks the item of that text.
    void fromMenu(Windows& w, int entry, const QString& item)
    {
        const QPoint at = lineOf(w, entry, 0);
        QTest::mousePress(listing(w)->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(listing(w)->viewport(), Qt::RightButton, {}, at);
        bool picked = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions()) {
                if (action->text() == item && action->isEnabled()) {
                    menu->setActiveAction(action);
                    picked = true;
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
        });
        QContextMenuEvent asked(QContextMenuEvent::Mouse, at, listing(w)->viewport()->mapToGlobal(at));
        QApplication::sendEvent(listing(w)->viewport(), &asked);
        QVERIFY2(picked, qPrintable(item));
    }

    void type(Windows& w, const QString& text, const QString& weight)
    {
        listing(w)->setPlainText(text);
        weightBox(w)->setText(weight);
    }

private slots:
    void initTestCase() { conversions::setLocale(QLocale(QLocale::Chinese, QLocale::China)); }

    void aClickChoosesAnEntryAndTheArrowsMoveEntryByEntry()
    {
        TempDatabase db(diary);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        QCOMPARE(chosen(w), QList<int>{});
        clickEntry(w, 1, {}, 1); // the second line of the second entry
        QCOMPARE(chosen(w), QList<int>{1});
        QCOMPARE(listing(w)->accessibleDescription(), QStringLiteral("2026/12/7 08:30:15，早上  这天150斤"));
        key(w, Qt::Key_Down);
        QCOMPARE(chosen(w), QList<int>{2});
        key(w, Qt::Key_Down); // the last entry stays chosen
        QCOMPARE(chosen(w), QList<int>{2});
        key(w, Qt::Key_Up);
        key(w, Qt::Key_Up);
        QCOMPARE(chosen(w), QList<int>{0});
        QCOMPARE(listing(w)->accessibleDescription(), QStringLiteral("2026/12/8 07:00:00，晚饭少吃  这天149.5斤"));
        key(w, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(chosen(w), (QList<int>{0, 1}));
        clickEntry(w, 2, Qt::ControlModifier);
        QCOMPARE(chosen(w), (QList<int>{0, 1, 2}));
        clickEntry(w, 1, Qt::ControlModifier);
        QCOMPARE(chosen(w), (QList<int>{0, 2}));
        // The listing itself is never changed by choosing.
        QVERIFY(listing(w)->isReadOnly());
        QCOMPARE(listing(w)->document()->blockCount(), 3);
    }

    void anEditStoresIntoTheSameRowAndListsItChosen_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("double-click") << "double-click";
        QTest::newRow("Enter") << "Enter";
        QTest::newRow("menu") << "menu";
    }

    void anEditStoresIntoTheSameRowAndListsItChosen()
    {
        QFETCH(QString, how);
        TempDatabase db(diary);
        QStringList expected = db.rows(everything);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        // Entry 2 is rowid 1, the older of the two that share their time.
        if (how == "double-click") {
            QTest::mouseDClick(listing(w)->viewport(), Qt::LeftButton, {}, lineOf(w, 2, 0));
        } else if (how == "Enter") {
            clickEntry(w, 2);
            key(w, Qt::Key_Return);
        } else {
            fromMenu(w, 2, QStringLiteral("修改这条日记"));
        }
        QCOMPARE(label(w), QStringLiteral("修改日记（2026/12/7 08:30:15）："));
        QCOMPARE(listing(w)->toPlainText(), QStringLiteral("早上"));
        QVERIFY(!listing(w)->isReadOnly());
        QCOMPARE(weightBox(w)->text(), QStringLiteral("150"));
        QCOMPARE(listing(w)->extraSelections().size(), 0);
        // The longer prompt is not hidden under the weight box.
        auto* prompt = w.find<QLabel>("Label1");
        QVERIFY(weightBox(w)->x() >= prompt->x() + prompt->fontMetrics().horizontalAdvance(prompt->text()));
        QVERIFY(weightBox(w)->geometry().right() < w.find("Image13")->x());
        type(w, QStringLiteral("早上，空腹"), QStringLiteral("151.5"));
        Windows::click(w.button("Image15"));
        QCOMPARE(w.reporter.messages, QStringList{});
        expected[0] = QStringLiteral("1|2026-12-07 08:30:15.123|text|早上，空腹|151.5|real");
        QCOMPARE(db.rows(everything), expected);
        QCOMPARE(label(w), QStringLiteral("已保存。"));
        QVERIFY(listing(w)->isReadOnly());
        QCOMPARE(chosen(w), QList<int>{2});
        QCOMPARE(weightBox(w)->x(), 281);
        QCOMPARE(listing(w)->document()->findBlockByNumber(2).text(),
                 QStringLiteral("2026/12/7 08:30:15\u2028早上，空腹  这天151.5斤"));
    }

    void leavingTheViewDropsTheEditAndTheNextNewEntryStartsEmpty()
    {
        TempDatabase db(diary);
        const QStringList before = db.rows(everything);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        type(w, QStringLiteral("草稿"), QStringLiteral("149"));
        Windows::click(w.button("Image8"));
        QTest::mouseDClick(listing(w)->viewport(), Qt::LeftButton, {}, lineOf(w, 0, 0));
        type(w, QStringLiteral("改了一半"), QStringLiteral("1"));
        Windows::click(w.button("Image5")); // recipes
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image15"));
        QCOMPARE(db.rows(everything), before);
        // The new entry left before the edit comes back with its weight; the edit does not.
        Windows::click(w.button("Image13"));
        QCOMPARE(listing(w)->toPlainText(), QStringLiteral("草稿"));
        QCOMPARE(weightBox(w)->text(), QStringLiteral("149"));
        QCOMPARE(label(w), QStringLiteral("输入你的体重(斤)："));
    }

    void aDeletionAsksOnceAndRemovesSeveralEntriesThatUndoBringsBackExactly()
    {
        TempDatabase db(diary);
        const QStringList before = db.rows(everything);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        clickEntry(w, 0);
        clickEntry(w, 1, Qt::ShiftModifier);
        Answer no{QStringLiteral("取消"), {}, {}};
        QVERIFY(whileModal([&] { key(w, Qt::Key_Delete); }, answering(no)));
        QCOMPARE(no.question,
                 QStringLiteral("删除选中的 2 条日记吗？\n\n2026/12/8 07:00:00  149.5斤\n2026/12/7 08:30:15  150斤"));
        QCOMPARE(no.defaultButton, QStringLiteral("取消"));
        QCOMPARE(db.rows(everything), before);
        Answer yes{QStringLiteral("删除"), {}, {}};
        QVERIFY(whileModal([&] { key(w, Qt::Key_Delete); }, answering(yes)));
        QCOMPARE(db.rows(QStringLiteral("select rowid from rj")), QStringList{QStringLiteral("1")});
        QCOMPARE(label(w), QStringLiteral("已删除 2 条日记。"));
        QCOMPARE(chosen(w), QList<int>{0}); // the entry below takes their place
        key(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(db.rows(everything), before);
        QCOMPARE(label(w), QStringLiteral("已撤销：删除 2 条日记"));
        QCOMPARE(chosen(w), (QList<int>{0, 1}));
        key(w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(db.rows(QStringLiteral("select rowid from rj")), QStringList{QStringLiteral("1")});
        QCOMPARE(label(w), QStringLiteral("已重做：删除 2 条日记"));
        key(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(db.rows(everything), before);
        key(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(db.rows(QStringLiteral("select rowid from rj")), QStringList{QStringLiteral("1")});
        QCOMPARE(w.reporter.messages, QStringList{});
    }

    void oneEntryIsDeletedFromTheMenuQuotingItsDateAndWeight()
    {
        TempDatabase db(diary);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Answer yes{QStringLiteral("删除"), {}, {}};
        QVERIFY(whileModal([&] { fromMenu(w, 1, QStringLiteral("删除这条日记")); }, answering(yes)));
        QCOMPARE(yes.question, QStringLiteral("删除这条日记吗？\n\n2026/12/7 08:30:15  150斤"));
        // Exactly the row of that entry, not its twin of the same time.
        QCOMPARE(db.rows(QStringLiteral("select rowid from rj")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
        QCOMPARE(label(w), QStringLiteral("已删除 2026/12/7 的日记。"));
    }

    // The listing after OK comes in the next turn of the event loop: a view entered before then is the one shown.
    void aViewEnteredRightAfterOkIsKept()
    {
        TempDatabase db(diary);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        type(w, QStringLiteral("新的一天"), QStringLiteral("149"));
        Windows::click(w.button("Image15"));
        Windows::click(w.button("Image9"));
        QCoreApplication::processEvents();
        QVERIFY(w.find<QTreeWidget>("TreeView1")->isVisible());
        QVERIFY(!listing(w)->isVisible());
        QCOMPARE(db.rows(everything).size(), 4);
    }

    void aSaveAndAnEditAreUndoneAndRedoneInTurn()
    {
        TempDatabase db(diary);
        const QStringList before = db.rows(everything);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        type(w, QStringLiteral("新的一天"), QStringLiteral("149"));
        Windows::click(w.button("Image15"));
        QTRY_COMPARE(label(w), QStringLiteral("已保存。"));
        QCOMPARE(chosen(w), QList<int>{0});
        QCOMPARE(listing(w)->document()->blockCount(), 4);
        const QStringList saved = db.rows(everything);
        QCOMPARE(saved.size(), 4);
        const QString date = QDate::currentDate().toString(QStringLiteral("yyyy/M/d"));
        // Inside the box being written, Ctrl+Z is the box's own text undo.
        key(w, Qt::Key_Return);
        QTest::keyClicks(listing(w), QStringLiteral("ab"));
        QTest::keyClick(listing(w), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(listing(w)->toPlainText(), QStringLiteral("新的一天"));
        QCOMPARE(db.rows(everything), saved);
        weightBox(w)->setText(QStringLiteral("148.5"));
        Windows::click(w.button("Image15"));
        const QStringList edited = db.rows(everything);
        QVERIFY(edited.last().endsWith(QStringLiteral("|新的一天|148.5|real")));
        key(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(db.rows(everything), saved);
        QCOMPARE(label(w), QStringLiteral("已撤销：修改 %1 的日记").arg(date));
        key(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(db.rows(everything), before);
        QCOMPARE(label(w), QStringLiteral("已撤销：保存 %1 的日记").arg(date));
        key(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(label(w), QStringLiteral("没有可以撤销的改动。"));
        key(w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(db.rows(everything), saved); // the same time, to the millisecond
        key(w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(db.rows(everything), edited);
        QCOMPARE(w.reporter.messages, QStringList{});
    }

    void anUnlikelyWeightIsAskedAboutOnce_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answer"); // empty: no question
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("stored");
        const QString over = QStringLiteral("这个体重比最近的趋势重了 1380.5 斤（923.4%），确定保存吗？");
        QTest::newRow("within 6 %") << "158.4"
                                    << ""
                                    << "" << 1;
        QTest::newRow("typed without the point, back to change") << "1530"
                                                                 << "返回修改" << over << 0;
        QTest::newRow("typed without the point, saved") << "1530"
                                                        << "保存" << over << 1;
        QTest::newRow("lighter") << "140"
                                 << "保存" << QStringLiteral("这个体重比最近的趋势轻了 9.5 斤（6.4%），确定保存吗？")
                                 << 1;
    }

    void anUnlikelyWeightIsAskedAboutOnce()
    {
        QFETCH(QString, typed);
        QFETCH(QString, answer);
        QFETCH(QString, question);
        QFETCH(int, stored);
        // Three weighings: the newest, 149.5, is the reference.
        TempDatabase db(diary);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        type(w, QStringLiteral("称了一下"), typed);
        Answer given{answer, {}, {}};
        QCOMPARE(whileModal([&] { Windows::click(w.button("Image15")); }, answering(given)), !answer.isEmpty());
        QCOMPARE(given.question, question);
        if (!answer.isEmpty())
            QCOMPARE(given.defaultButton, QStringLiteral("返回修改"));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj where demo = '称了一下'")).toInt(), stored);
        if (!stored) {
            QVERIFY(!listing(w)->isReadOnly());
            QCOMPARE(listing(w)->toPlainText(), QStringLiteral("称了一下"));
            QCOMPARE(weightBox(w)->text(), typed);
        }
    }

    // The entry just saved is the next one's reference (with fewer than five weighings, the newest weight).
    void anEntryJustSavedIsTheNextOnesReference()
    {
        TempDatabase db(diary);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        type(w, QStringLiteral("重了"), QStringLiteral("160"));
        Answer save{QStringLiteral("保存"), {}, {}};
        QVERIFY(whileModal([&] { Windows::click(w.button("Image15")); }, answering(save)));
        Windows::click(w.button("Image13"));
        type(w, QStringLiteral("还是这么重"), QStringLiteral("160"));
        Answer none{QStringLiteral("保存"), {}, {}};
        QVERIFY(!whileModal([&] { Windows::click(w.button("Image15")); }, answering(none)));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj where lb = 160")).toInt(), 2);
    }

    void aFailedEditOrDeletionChangesNothingAndKeepsTheTypedText()
    {
        TempDatabase db(diary);
        db.exec(QStringLiteral("CREATE TRIGGER noedit BEFORE UPDATE ON rj BEGIN SELECT RAISE(ABORT, '磁盘已满'); END;"
                               "CREATE TRIGGER nodelete BEFORE DELETE ON rj WHEN old.rowid = 1 "
                               "BEGIN SELECT RAISE(ABORT, '磁盘已满'); END;"));
        const QStringList before = db.rows(everything);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        QTest::mouseDClick(listing(w)->viewport(), Qt::LeftButton, {}, lineOf(w, 0, 0));
        type(w, QStringLiteral("改过的"), QStringLiteral("149"));
        Windows::click(w.button("Image15"));
        QCOMPARE(w.reporter.messages.size(), 1);
        QVERIFY2(w.reporter.messages.first().contains(QStringLiteral("磁盘已满")),
                 qPrintable(w.reporter.messages.first()));
        QCOMPARE(listing(w)->toPlainText(), QStringLiteral("改过的"));
        QCOMPARE(weightBox(w)->text(), QStringLiteral("149"));
        QVERIFY(!listing(w)->isReadOnly());
        QCOMPARE(db.rows(everything), before);
        // Deleting rows 3, 2 and 1 fails at the last: none is removed.
        Windows::click(w.button("Image8"));
        clickEntry(w, 0);
        clickEntry(w, 2, Qt::ShiftModifier);
        Answer yes{QStringLiteral("删除"), {}, {}};
        QVERIFY(whileModal([&] { key(w, Qt::Key_Delete); }, answering(yes)));
        QCOMPARE(w.reporter.messages.size(), 2);
        QCOMPARE(db.rows(everything), before);
        QCOMPARE(chosen(w), (QList<int>{0, 1, 2}));
        // Nothing was done, so there is nothing to undo.
        key(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(label(w), QStringLiteral("没有可以撤销的改动。"));
    }

    // Another program gives the rows new keys while the window lists them: an import of an older entry stores the
    // diary again in time order, a restore brings the backup's keys. Key 2 named 乙 when it was listed; afterwards it
    // names 甲 (import: 旧 1, 甲 2, 乙 3, 丙 4) or 丙 (restore: 旧 1, 丙 2, 甲 3, 乙 4). Deleting or editing 乙 must
    // still change 乙 alone.
    void anotherProgramsNewKeysNeverMakeTheWindowChangeAnotherEntry_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<bool>("remove");
        QTest::newRow("import, then delete") << false << true;
        QTest::newRow("import during an edit") << false << false;
        QTest::newRow("restore, then delete") << true << true;
        QTest::newRow("restore during an edit") << true << false;
    }

    void anotherProgramsNewKeysNeverMakeTheWindowChangeAnotherEntry()
    {
        QFETCH(bool, restore);
        QFETCH(bool, remove);
        TempDatabase db(TempDatabase::standardSchema() +
                        QStringLiteral("INSERT INTO rj VALUES('2026-12-02 08:00:00.000','甲',150),"
                                       "('2026-12-04 08:00:00.000','乙',149),('2026-12-06 08:00:00.000','丙',148);"));
        TempDatabase backup(TempDatabase::standardSchema() +
                            QStringLiteral("INSERT INTO rj VALUES('2026-12-01 08:00:00.000','旧',151),"
                                           "('2026-12-06 08:00:00.000','丙',148),('2026-12-02 08:00:00.000','甲',150),"
                                           "('2026-12-04 08:00:00.000','乙',149);"));
        const auto elsewhere = [&] {
            if (restore)
                datafile::restore(db.path(), backup.path(), QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
            else
                datafile::importCsv(db.path(), "时间,体重(斤),日记\n2026-12-01 08:00,151,旧\n",
                                    QStringLiteral("d.csv"));
            QCOMPARE(db.scalar(QStringLiteral("select demo from rj where rowid = 2")).toString(),
                     restore ? QStringLiteral("丙") : QStringLiteral("甲"));
        };
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        clickEntry(w, 1); // 乙, listed second
        if (remove) {
            elsewhere();
            Answer yes{QStringLiteral("删除"), {}, {}};
            QVERIFY(whileModal([&] { key(w, Qt::Key_Delete); }, answering(yes)));
            QVERIFY2(yes.question.contains(QStringLiteral("2026/12/4")), qPrintable(yes.question));
        } else {
            key(w, Qt::Key_Return);
            type(w, QStringLiteral("乙改过"), QStringLiteral("149"));
            elsewhere();
            Windows::click(w.button("Image15"));
        }
        QVERIFY2(w.reporter.messages.isEmpty(), qPrintable(w.reporter.messages.join(u'\n')));
        QCOMPARE(db.rows(QStringLiteral("select demo from rj order by time")),
                 remove ? (QStringList{"旧", "甲", "丙"}) : (QStringList{"旧", "甲", "乙改过", "丙"}));
    }

    // When the chosen entry itself went away, nothing is deleted and the listing shows the diary as it is now.
    void anEntryThatAnotherProgramRemovedIsNotReplacedByAnother()
    {
        TempDatabase db(diary);
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        clickEntry(w, 0); // 晚饭少吃, key 3
        db.exec(QStringLiteral("DELETE FROM rj; INSERT INTO rj VALUES('2026-12-01 08:00:00.000','a',1),"
                               "('2026-12-02 08:00:00.000','b',2),('2026-12-03 08:00:00.000','c',3);"));
        const QStringList before = db.rows(everything);
        key(w, Qt::Key_Delete);
        QCOMPARE(w.reporter.messages.size(), 1);
        QVERIFY2(w.reporter.messages.first().contains(QStringLiteral("请再选一次")),
                 qPrintable(w.reporter.messages.first()));
        QCOMPARE(db.rows(everything), before);
        QVERIFY(listing(w)->toPlainText().startsWith(QStringLiteral("2026/12/3")));
    }
};

QTEST_MAIN(TestDiaryEdits)
#include "tst_diary_edits.moc"
