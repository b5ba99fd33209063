// Every picture without a mouse: the main window's shortcuts and assistive technology's press action.
#include "support/tempdb.h"
#include "support/windows.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>
#include <optional>

namespace {

const QString contentSql = TempDatabase::standardSchema() +
                           QStringLiteral("INSERT INTO sp VALUES('红豆薏米粥','早餐'),('番茄炒蛋','午餐');"
                                          "INSERT INTO yd VALUES('快走','每天');INSERT INTO xd VALUES('多喝水','八杯');"
                                          "INSERT INTO rj VALUES('2026-12-01 08:00:00.000','早饭少吃',130);");

enum class Way { mouse, key, press };

// What the user sees and what the file holds after the steps of `setup` (clicks, "type" into the content box,
// "@name" to focus) and one way of clicking `name` (none: the state before), with the window that the click opens
// and the picture's places at its press and release.
QStringList outcome(const QString& name, const QString& setup, const QKeySequence& keys, std::optional<Way> way)
{
    TempDatabase db(contentSql);
    Windows w(db.folder());
    w.main->activateWindow();
    if (!QTest::qWaitForWindowActive(w.main.get()))
        return {"the main window is not active"};
    for (const QString& step : setup.split(' ', Qt::SkipEmptyParts)) {
        if (step == "type")
            QTest::keyClicks(w.find("Memo1"), QStringLiteral("walked 10000 steps"));
        else if (step.startsWith('@'))
            w.find(step.mid(1))->setFocus();
        else
            Windows::click(w.button(step));
    }
    QWidget* picture = w.find(name);
    QStringList events;
    auto place = [&](const char* what) {
        events << QStringLiteral("%1 at %2,%3").arg(what).arg(picture->x()).arg(picture->y());
    };
    if (auto* b = qobject_cast<ImageButton*>(picture)) {
        QObject::connect(b, &ImageButton::pressed, b, [&] { place("pressed"); });
        QObject::connect(b, &ImageButton::released, b, [&] { place("released"); });
    }
    whileModal(
        [&] {
            if (way == Way::mouse) {
                Windows::click(picture);
            } else if (way == Way::key) {
                QWidget* focus = QApplication::focusWidget();
                QTest::keyClick(focus ? focus : w.main.get(), keys[0].key(), keys[0].keyboardModifiers());
            } else if (way == Way::press) {
                QAccessible::queryAccessibleInterface(picture)->actionInterface()->doAction(
                    QAccessibleActionInterface::pressAction());
                QCoreApplication::processEvents();
            }
        },
        [&](QWidget* modal) { events << modal->metaObject()->className(); });
    auto* memo = w.find<QPlainTextEdit>("Memo1");
    // An entry saved by one way and by another a second later differs only in the time it was saved at.
    static const QRegularExpression timeOfDay(QStringLiteral("\\d{1,2}:\\d{2}:\\d{2}"));
    QStringList s{w.find<QLabel>("Label1")->text(),
                  memo->toPlainText().replace(timeOfDay, QStringLiteral("hh:mm:ss")),
                  memo->isReadOnly() ? "read-only" : "editable",
                  w.find<QLineEdit>("Edit1")->text(),
                  w.main->isMinimized() ? "minimised" : "normal",
                  db.scalar("SELECT group_concat(demo || lb) FROM rj").toString()};
    for (const char* control : {"Memo1", "TreeView1", "Edit1", "Image2", "Image12", "Image13", "Image15"}) {
        const QWidget* widget = w.find(control);
        s << QStringLiteral("%1 %2").arg(control, !widget ? "not made" : widget->isHidden() ? "hidden" : "shown");
    }
    for (const ImageButton* b : w.main->findChildren<ImageButton*>())
        s << QStringLiteral("%1 at %2,%3").arg(b->objectName()).arg(b->x()).arg(b->y());
    return s + w.reporter.messages + events;
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void everyPictureWorksWithoutAMouse_data()
    {
        QTest::addColumn<QStringList>("row"); // name, accessible name, shortcut, keys typed, setup, "hidden"
        const char* rows[] = {"Image3|最小化|||",
                              "Image4|退出 Tevu|||",
                              "Image5|瘦身食谱|Alt+1|Alt+1|",
                              "Image6|瘦身运动|Alt+2|Alt+2|",
                              "Image7|瘦身秘笈|Alt+3|Alt+3|",
                              "Image8|瘦身日记|Alt+4|Alt+4|",
                              "Image9|热量计算|Alt+5|Alt+5|Image5",
                              "Image10|瘦身计划|Alt+6|Alt+6|",
                              "Image11|瘦身曲线|Alt+7|Alt+7|",
                              "Image2|上一条|Alt+Left|Alt+Left|Image5 Image12",
                              "Image12|下一条|Alt+Right|Alt+Right|Image5",
                              "Image13|新日记|Ctrl+N|Ctrl+N|Image8",
                              "Image13|新日记|Ctrl+N|Ctrl+N|Image8 Image13 type @Memo1",
                              "Image13|新日记|Ctrl+N|Ctrl+N|Image8 Image13 type @Edit1",
                              "Image15|确定|Ctrl+Enter|Ctrl+Enter|Image8 Image13 type @Memo1",
                              "Image15|确定|Ctrl+Enter|Ctrl+Return|Image8 Image13 type @Edit1",
                              "Shape1|关于|F1|F1|",
                              "about|关于 Tevu|||",
                              "Image2|上一条|Alt+Left|Alt+Left|Image9|hidden",
                              "Image12|下一条|Alt+Right|Alt+Right||hidden",
                              "Image13|新日记|Ctrl+N|Ctrl+N|Image5|hidden",
                              "Image15|确定|Ctrl+Enter|Ctrl+Enter||hidden",
                              "Image15|确定|Ctrl+Enter|Ctrl+Enter|Image9 @Memo1|hidden"};
        for (const char* row : rows)
            QTest::newRow(row) << QString::fromUtf8(row).split('|');
    }

    void everyPictureWorksWithoutAMouse()
    {
        QFETCH(QStringList, row);
        const QString name = row[0];
        const QKeySequence keys(row[3]);
        TempDatabase db(contentSql);
        Windows w(db.folder());
        QWidget* picture = name == "about" ? w.about->findChild<QWidget*>("Image1") : w.find(name);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(picture);
        QCOMPARE(iface->role(), QAccessible::Button);
        QCOMPARE(iface->text(QAccessible::Name), row[1]);
        QCOMPARE(iface->text(QAccessible::Accelerator), row[2]);
        QCOMPARE(iface->actionInterface()->actionNames().value(0), QAccessibleActionInterface::pressAction());
        QCOMPARE(picture->focusPolicy(), Qt::NoFocus); // the tab order stays Memo1, TreeView1, Edit1
        if (name == "about") {
            bool closed = false;
            whileModal([&] { w.about->exec(); },
                       [&](QWidget* modal) {
                           iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
                           QCoreApplication::processEvents();
                           closed = !modal->isVisible();
                       });
            QVERIFY(closed);
        } else if (row.value(5) == "hidden") {
            QCOMPARE(outcome(name, row[4], keys, Way::key), outcome(name, row[4], keys, std::nullopt));
        } else if (name != "Image4") { // the close button ends the event loop: its click is tested in tst_shell
            const QStringList clicked = outcome(name, row[4], keys, Way::mouse);
            QVERIFY(clicked != outcome(name, row[4], keys, std::nullopt));
            if (!keys.isEmpty())
                QCOMPARE(outcome(name, row[4], keys, Way::key), clicked);
            QCOMPARE(outcome(name, row[4], keys, Way::press), clicked);
        }
    }

    // To a screen reader the main window is a window (a frame), not a filler.
    void theMainWindowIsAWindow()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        QCOMPARE(QAccessible::queryAccessibleInterface(w.main.get())->role(), QAccessible::Window);
    }

    // While a modal window is open, the pictures of the main window behind it do nothing, whatever asks.
    void nothingBehindAModalWindowActs()
    {
        TempDatabase db(contentSql);
        Windows w(db.folder());
        bool stillOpen = false;
        whileModal([&] { w.plan->exec(); },
                   [&](QWidget* modal) {
                       for (const char* name : {"Image4", "Image8", "Image5", "Shape1"}) {
                           QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w.find(name));
                           QVERIFY(!face->actionInterface()->actionNames().contains(
                               QAccessibleActionInterface::pressAction()));
                           face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
                       }
                       QCoreApplication::processEvents();
                       QCoreApplication::processEvents();
                       stillOpen = modal->isVisible();
                   });
        QVERIFY(stillOpen);
        QCOMPARE(w.find<QLabel>("Label1")->text(), QString());
        QCOMPARE(w.find<QPlainTextEdit>("Memo1")->toPlainText(), QString());
        QVERIFY(!w.about.made());
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
