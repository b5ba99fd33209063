// The 身体围度 window as a user works it: Alt+0 and 我的目标 open it, bad input is named and stores nothing, a second
// row of a date replaces the first after a question, Enter edits, Delete deletes, Ctrl+Z undoes; the facts against
// figures worked by hand.
#include "data/connection.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QDate today(2026, 12, 7);

// A man of 165 cm.
const QString man = QStringLiteral("INSERT INTO profile VALUES (165, '男', 1980, 120, 1, NULL);");

QStringList rows(QTreeWidget* list)
{
    QStringList texts;
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << list->topLevelItem(r)->text(c);
        texts << cells.join(u'|');
    }
    return texts;
}

struct Opened {
    explicit Opened(const QString& sql = man) : db(TempDatabase::standardSchema() + sql), connection(db.folder())
    {
        connection.openDatabase();
        window.setToday(today);
        window.setAsk([this](const QString& question, const QString&) {
            questions << question;
            return answer;
        });
        window.show();
    }
    QLineEdit* edit(const char* name) const { return window.findChild<QLineEdit*>(QLatin1String(name)); }
    void enter(const QString& waist, const QString& hip, const QString& fat)
    {
        edit("waist")->setText(waist);
        edit("hip")->setText(hip);
        edit("fat")->setText(fat);
        window.findChild<QPushButton*>(QStringLiteral("save"))->click();
    }
    TempDatabase db;
    Connection connection;
    Ttevu_measure window{connection};
    RecordingReporter reporter;
    ScopedReporter installed{&reporter};
    QStringList questions;
    bool answer = true;
};

} // namespace

class TestMeasureWindow : public QObject {
    Q_OBJECT

private slots:
    void altZeroAndTheGoalWindowOpenIt()
    {
        TempDatabase db;
        Windows w(db.folder());
        QVERIFY(whileModal([&] { QTest::keyClick(w.main.get(), Qt::Key_0, Qt::AltModifier); },
                           [](QWidget* modal) { QCOMPARE(modal->windowTitle(), QStringLiteral("身体围度")); }));
        QVERIFY(whileModal([&] { w.goal->exec(); },
                           [&](QWidget* goal) {
                               auto* button = goal->findChild<QPushButton*>(QStringLiteral("measureButton"));
                               QVERIFY(button && button->isVisible());
                               QVERIFY(whileModal(
                                   [&] { button->click(); },
                                   [](QWidget* modal) { QCOMPARE(modal->windowTitle(), QStringLiteral("身体围度")); }));
                           }));
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void badInputIsNamedAndStoresNothing_data()
    {
        QTest::addColumn<QString>("waist");
        QTest::addColumn<QString>("hip");
        QTest::addColumn<QString>("fat");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("waist not a number") << "八十"
                                            << ""
                                            << ""
                                            << "腰围(厘米)要填 40 到 200 之间的数（“八十”不行）"
                                            << "waist";
        QTest::newRow("waist 39.9") << "39.9"
                                    << ""
                                    << ""
                                    << "腰围(厘米)要填 40 到 200 之间的数（“39.9”不行）"
                                    << "waist";
        QTest::newRow("hip 200.5") << "86"
                                   << "200.5"
                                   << ""
                                   << "臀围(厘米)要填 40 到 200 之间的数（“200.5”不行）"
                                   << "hip";
        QTest::newRow("fat 2.9") << "86"
                                 << ""
                                 << "2.9"
                                 << "体脂率(%)要填 3 到 70 之间的数（“2.9”不行）"
                                 << "fat";
        QTest::newRow("fat 70.1") << ""
                                  << ""
                                  << "70.1"
                                  << "体脂率(%)要填 3 到 70 之间的数（“70.1”不行）"
                                  << "fat";
        QTest::newRow("nothing") << " "
                                 << ""
                                 << ""
                                 << "腰围、臀围、体脂率至少要填一项"
                                 << "waist";
    }
    void badInputIsNamedAndStoresNothing()
    {
        QFETCH(QString, waist);
        QFETCH(QString, hip);
        QFETCH(QString, fat);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Opened o;
        QVERIFY(QTest::qWaitForWindowActive(&o.window));
        o.enter(waist, hip, fat);
        QCOMPARE(o.reporter.messages, QStringList{message});
        QCOMPARE(QApplication::focusWidget(), o.edit(qPrintable(focus)));
        QCOMPARE(o.edit("waist")->text(), waist);
        QCOMPARE(o.window.list()->topLevelItemCount(), 0);
        QCOMPARE(o.db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'measurements'")).toInt(),
                 0);
    }

    void savedRowsShowTheirFactsAndAreListedNewestFirst()
    {
        Opened o;
        o.window.findChild<QDateEdit*>(QStringLiteral("date"))->setDate(today.addDays(-28));
        o.enter(QStringLiteral("90"), QStringLiteral("100"), QStringLiteral("33"));
        // Full-width digits, as an input method types them.
        o.enter(QStringLiteral("８６"), QStringLiteral("98"), QStringLiteral("31.5"));
        QVERIFY(o.reporter.messages.isEmpty());
        QCOMPARE(rows(o.window.list()),
                 (QStringList{QStringLiteral("2026/12/7|86|98|31.5"), QStringLiteral("2026/11/9|90|100|33")}));
        // 86 cm for a man: 85 to under 90; 86 ÷ 165 = 0.521: 0.52; 86 ÷ 98 = 0.878: 0.88; 86 − 90 = −4 since the first,
        // and the first is exactly four weeks back, so −4 in four weeks too; body fat 31.5 − 33 = −1.5.
        QCOMPARE(o.window.factsLabel()->text(),
                 QStringLiteral("腰围 86 厘米：中心型肥胖前期（男性 85 厘米起）\n腰高比 0.52，超过 0.5\n腰臀比 0.88\n"
                                "体脂率 31.5%\n腰围：比第一次 −4 厘米，最近 4 周 −4 厘米\n"
                                "体脂率：比第一次 −1.5%，最近 4 周 −1.5%"));
        QCOMPARE(o.window.statusLabel()->text(), QStringLiteral("已保存。"));
    }

    void aSecondRowOfTheDayReplacesTheFirstOnlyAfterYes()
    {
        Opened o;
        o.enter(QStringLiteral("86"), QString(), QString());
        o.answer = false;
        o.enter(QStringLiteral("85"), QString(), QStringLiteral("30"));
        QCOMPARE(o.questions.size(), 1);
        QVERIFY(o.questions.first().contains(QStringLiteral("腰围 86 厘米")));
        QCOMPARE(rows(o.window.list()), QStringList{QStringLiteral("2026/12/7|86||")});
        o.answer = true;
        o.window.findChild<QPushButton*>(QStringLiteral("save"))->click();
        QCOMPARE(rows(o.window.list()), QStringList{QStringLiteral("2026/12/7|85||30")});
        QCOMPARE(o.db.scalar(QStringLiteral("SELECT count(*) FROM measurements")).toInt(), 1);
    }

    void enterEditsDeleteDeletesAndCtrlZUndoes()
    {
        Opened o(man + QStringLiteral("CREATE TABLE measurements (date TEXT, waist REAL, hip REAL, fat REAL);"
                                      "INSERT INTO measurements VALUES ('2026-12-01', 88, NULL, NULL);"
                                      "INSERT INTO measurements VALUES ('2026-12-05', 87, 99, NULL);"));
        QVERIFY(QTest::qWaitForWindowActive(&o.window));
        QTreeWidget* list = o.window.list();
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(o.edit("waist")->text(), QStringLiteral("88"));
        QVERIFY(!o.window.findChild<QDateEdit*>(QStringLiteral("date"))->isEnabled());
        o.enter(QStringLiteral("87.5"), QString(), QString());
        // The edited row keeps its date; no question, since it was chosen.
        QVERIFY(o.questions.isEmpty());
        QCOMPARE(rows(list), (QStringList{QStringLiteral("2026/12/5|87|99|"), QStringLiteral("2026/12/1|87.5||")}));

        list->setFocus();
        list->setCurrentItem(list->topLevelItem(0));
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(o.questions.size(), 1);
        QCOMPARE(rows(list), QStringList{QStringLiteral("2026/12/1|87.5||")});
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(o.window.statusLabel()->text(), QStringLiteral("已撤销：删除 2026/12/5 的记录"));
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(rows(list), (QStringList{QStringLiteral("2026/12/5|87|99|"), QStringLiteral("2026/12/1|88||")}));
        // Back exactly as another program wrote them, under their keys.
        QCOMPARE(o.db.rows(QStringLiteral("SELECT rowid, * FROM measurements ORDER BY rowid")),
                 (QStringList{QStringLiteral("1|2026-12-01|88.0|<null>|<null>"),
                              QStringLiteral("2|2026-12-05|87.0|99.0|<null>")}));
        QVERIFY(o.reporter.messages.isEmpty());
    }

    void withoutSexOrHeightTheFactsSayWhatIsMissing()
    {
        Opened o{QString()};
        o.enter(QStringLiteral("86"), QString(), QString());
        QCOMPARE(o.window.factsLabel()->text(),
                 QStringLiteral("腰围 86 厘米（在“我的目标”里填上性别，这里就会说出腰围属于哪一类）\n"
                                "腰高比：在“我的目标”里填上身高后显示"));
    }
};

QTEST_MAIN(TestMeasureWindow)
#include "tst_measure_window.moc"
