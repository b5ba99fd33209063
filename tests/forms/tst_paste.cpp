// Pasting with nothing on the clipboard, in every kind of editable box, on a real X server (run under Xvfb): there
// the toolkit hands its text boxes no clipboard data at all.
#include "forms/plan/ttevu_plan.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QtTest>

class TestPaste : public QObject {
    Q_OBJECT

    // Ctrl+V, Shift+Insert and the context menu's paste into `box`, which holds "ab" before and after.
    template <class Box> void pasteNothingInto(Box* box)
    {
        QGuiApplication::clipboard()->clear();
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("ab"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
        std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String("edit-paste"))
                action->trigger();
        }
        if constexpr (std::is_same_v<Box, QLineEdit>)
            QCOMPARE(box->text(), QStringLiteral("ab"));
        else
            QCOMPARE(box->toPlainText(), QStringLiteral("ab"));
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QFAIL("this test needs the X clipboard: run it under Xvfb with QT_QPA_PLATFORM=xcb");
    }

    void theDiaryEntryAndItsWeightTakeNothing()
    {
        TempDatabase db;
        Windows w(db.folder());
        Windows::click(w.button("Image8"));
        Windows::click(w.button("Image13"));
        pasteNothingInto(w.find<QPlainTextEdit>("Memo1"));
        auto* weight = w.find<QLineEdit>("Edit1");
        weight->clear();
        pasteNothingInto(weight);
    }

    void everyPlanDayTakesNothing()
    {
        TempDatabase db;
        Windows w(db.folder());
        w.plan->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.plan.get()));
        for (int day = 0; day < 7; ++day) {
            w.plan->dayBox(day)->clear();
            pasteNothingInto(w.plan->dayBox(day));
        }
        w.plan->hide();
    }
};

QTEST_MAIN(TestPaste)
#include "tst_paste.moc"
