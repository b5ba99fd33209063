// Changes of several rows by key in one transaction, and their exact reversal, against real files.
#include "data/connection.h"
#include "data/errors.h"
#include "data/rowchanges.h"
#include "support/tempdb.h"

#include <QtTest>
#include <functional>

namespace {

// Two entries share their time to the millisecond, as the import or another program can leave them.
const QString twins =
    TempDatabase::standardSchema() + QStringLiteral("INSERT INTO rj VALUES('2026-12-07 08:30:15.123','甲',153.5),"
                                                    "('2026-12-07 08:30:15.123','甲',153.5),"
                                                    "('2026-12-08 07:00:00.001','乙',NULL),"
                                                    "('2026-12-09 06:59:59.999','丙',152);");

// Every row with its key and the type the file holds each value in.
const QString everything =
    QStringLiteral("select rowid, time, typeof(time), demo, lb, typeof(lb) from rj order by rowid");

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const DataError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

class TestRowChanges : public QObject {
    Q_OBJECT

private slots:
    void aDeletionOfSeveralRowsIsUndoneAndRedoneExactly()
    {
        TempDatabase db(twins);
        const QStringList before = db.rows(everything);
        Connection c(db.folder());
        c.openDatabase();
        // What the window showed of the rows matches, a weight the file holds as an integer too.
        const rowchanges::Change change =
            rowchanges::remove(c, QStringLiteral("rj"),
                               {{2, {{QStringLiteral("Demo"), QStringLiteral("甲")}, {QStringLiteral("lb"), 153.5}}},
                                {3,
                                 {{QStringLiteral("time"), QStringLiteral("2026-12-08 07:00:00.001")},
                                  {QStringLiteral("lb"), QVariant()}}}});
        QCOMPARE(db.rows(QStringLiteral("select rowid, demo from rj")),
                 (QStringList{QStringLiteral("1|甲"), QStringLiteral("4|丙")}));
        rowchanges::undo(c, change);
        QCOMPARE(db.rows(everything), before);
        rowchanges::redo(c, change);
        QCOMPARE(db.rows(QStringLiteral("select rowid from rj")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("4")}));
    }

    void anUpdateChangesTheRowOfItsKeyAloneAndIsUndoneExactly()
    {
        TempDatabase db(twins);
        const QStringList before = db.rows(everything);
        Connection c(db.folder());
        c.openDatabase();
        const rowchanges::Change change =
            rowchanges::update(c, QStringLiteral("rj"), {2, {{QStringLiteral("lb"), 153.5}}},
                               {QStringLiteral("demo"), QStringLiteral("lb")}, {QStringLiteral("改过"), 135.0});
        QStringList expected = before;
        expected[1] = QStringLiteral("2|2026-12-07 08:30:15.123|text|改过|135.0|real");
        QCOMPARE(db.rows(everything), expected);
        rowchanges::undo(c, change);
        QCOMPARE(db.rows(everything), before);
        rowchanges::redo(c, change);
        QCOMPARE(db.rows(everything), expected);
    }

    void anAddedRowIsTakenBackAndPutBackUnderItsKey()
    {
        TempDatabase db(twins);
        db.exec(QStringLiteral("INSERT INTO rj VALUES('2026-12-10 09:00:00.500','新',150.25)"));
        const QStringList with = db.rows(everything);
        Connection c(db.folder());
        c.openDatabase();
        const rowchanges::Change change = rowchanges::added(c, QStringLiteral("rj"), 5);
        rowchanges::undo(c, change);
        QCOMPARE(db.rows(everything), with.mid(0, 4));
        rowchanges::redo(c, change);
        QCOMPARE(db.rows(everything), with);
    }

    void aFailureOnOneRowChangesNoRow_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::newRow("a row already gone")
            << QStringLiteral("DELETE FROM rj WHERE rowid = 3")
            << QStringLiteral("要删除的记录已经不在数据文件里了，或已被别的程序改动（例如导入或恢复），什么也没有删除");
        QTest::newRow("the engine refuses the second row")
            << QStringLiteral("CREATE TRIGGER stop BEFORE DELETE ON rj WHEN old.rowid = 3 BEGIN SELECT RAISE(ABORT, "
                              "'停'); END")
            << QStringLiteral("停");
    }

    void aFailureOnOneRowChangesNoRow()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        TempDatabase db(twins);
        db.exec(setup);
        const QStringList before = db.rows(everything);
        Connection c(db.folder());
        c.openDatabase();
        QVERIFY(errorOf([&] { rowchanges::remove(c, QStringLiteral("rj"), {{1, {}}, {3, {}}}); }).contains(message));
        QCOMPARE(db.rows(everything), before);
    }

    void anUndoLeavesARowThatAnotherProgramChangedSince_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("changed") << QStringLiteral("UPDATE rj SET lb = 140 WHERE rowid = 2");
        QTest::newRow("removed") << QStringLiteral("DELETE FROM rj WHERE rowid = 2");
    }

    void anUndoLeavesARowThatAnotherProgramChangedSince()
    {
        QFETCH(QString, meanwhile);
        TempDatabase db(twins);
        Connection c(db.folder());
        c.openDatabase();
        const rowchanges::Change change =
            rowchanges::update(c, QStringLiteral("rj"), {2, {}}, {QStringLiteral("demo")}, {QStringLiteral("改过")});
        db.exec(meanwhile);
        const QStringList after = db.rows(everything);
        QCOMPARE(errorOf([&] { rowchanges::undo(c, change); }),
                 QStringLiteral("这条记录在这期间已被别的程序改动或删除，不能恢复，数据文件里什么也没有改"));
        QCOMPARE(db.rows(everything), after);
    }

    void anUpdateOfARowThatIsGoneWritesNothing()
    {
        TempDatabase db(twins);
        const QStringList before = db.rows(everything);
        Connection c(db.folder());
        c.openDatabase();
        QCOMPARE(
            errorOf([&] {
                rowchanges::update(c, QStringLiteral("rj"), {9, {}}, {QStringLiteral("demo")}, {QStringLiteral("x")});
            }),
            QStringLiteral("要修改的记录已经不在数据文件里了，或已被别的程序改动（例如导入或恢复），什么也没有保存"));
        QCOMPARE(db.rows(everything), before);
    }

    // Another program wrote the diary anew (an import in time order, a restore): key 2 now names 乙, not the 甲 that
    // the window showed under it. Neither a deletion nor an edit by that key touches any row.
    void aKeyThatNowNamesAnotherRowChangesNothing_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::newRow("remove") << true;
        QTest::newRow("update") << false;
    }

    void aKeyThatNowNamesAnotherRowChangesNothing()
    {
        QFETCH(bool, remove);
        TempDatabase db(twins);
        db.exec(QStringLiteral("CREATE TEMP TABLE t AS SELECT * FROM rj ORDER BY rowid DESC; DELETE FROM rj; "
                               "INSERT INTO rj SELECT * FROM t;"));
        const QStringList before = db.rows(everything);
        Connection c(db.folder());
        c.openDatabase();
        const rowchanges::SeenRow shown{2,
                                        {{QStringLiteral("time"), QStringLiteral("2026-12-07 08:30:15.123")},
                                         {QStringLiteral("demo"), QStringLiteral("甲")},
                                         {QStringLiteral("lb"), 153.5}}};
        const QString message = errorOf([&] {
            if (remove)
                rowchanges::remove(c, QStringLiteral("rj"), {shown});
            else
                rowchanges::update(c, QStringLiteral("rj"), shown, {QStringLiteral("demo")}, {QStringLiteral("x")});
        });
        QVERIFY2(message.contains(QStringLiteral("已被别的程序改动")), qPrintable(message));
        QCOMPARE(db.rows(everything), before);
    }
};

QTEST_GUILESS_MAIN(TestRowChanges)
#include "tst_rowchanges.moc"
