// The connection and the dataset against real SQLite files.
#include "data/connection.h"
#include "data/conversions.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "support/tempdb.h"

#include <QFile>
#include <QtTest>
#include <functional>
#include <sqlite3.h>

namespace {

// Runs f and returns the DataError's message, or "<no error>".
QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const DataError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

const QString articles =
    TempDatabase::standardSchema() + QStringLiteral("INSERT INTO sp VALUES('一','甲'),('二','乙'),('三','丙');");

} // namespace

class TestDataset : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { conversions::setLocale(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void connectionTextNamesTheFileInTheFolder()
    {
        Connection c(QStringLiteral("/home/li/tevu"));
        QCOMPARE(c.defaultConnectionString(), QStringLiteral("Data Source=/home/li/tevu/data.Mdb"));
        QCOMPARE(c.filePath(), QStringLiteral("/home/li/tevu/data.Mdb"));
    }

    // A statement kept prepared starts over with no bindings at each use, and a use left part-way holds no lock:
    // another program writes at once, and a reconnection gets statements of its own.
    void aKeptStatementStartsOverAndHoldsNoLock()
    {
        TempDatabase db(articles);
        Connection c(db.folder());
        c.openDatabase();
        static const char* const titles = "SELECT Name FROM sp WHERE Name >= ? ORDER BY rowid";
        const auto firstTitle = [&](const char* from) {
            const sqlite::CachedStatement s = sqlite::cached(c.handle(), titles, db.path());
            if (from)
                s->bind(1, QString::fromUtf8(from));
            return s->step() ? s->value(0).toString() : QStringLiteral("<none>");
        };
        QCOMPARE(firstTitle("二"), QStringLiteral("二"));
        QCOMPARE(firstTitle(nullptr), QStringLiteral("<none>")); // the last binding is gone
        QCOMPARE(firstTitle("一"), QStringLiteral("一"));

        const sqlite::Database other = sqlite::openDataFile(db.path(), sqlite::Access::Write);
        sqlite3_busy_timeout(other.get(), 0);
        sqlite::exec(other.get(), QStringLiteral("INSERT INTO sp VALUES('四','丁')"), db.path());

        c.openDatabase();
        QCOMPARE(firstTitle("四"), QStringLiteral("四"));
    }

    void openDatabaseSetsDurableSettings()
    {
        TempDatabase db;
        Connection c(db.folder());
        c.openDatabase();
        QVERIFY(c.connected());
        QVERIFY(c.durable());
        c.openDatabase(); // a second open reconnects cleanly
        QVERIFY(c.connected());
    }

    void missingFileFailsEveryOpenUntilItIsThere()
    {
        QTemporaryDir dir;
        Connection c(dir.path());
        const QString path = dir.filePath(QStringLiteral("data.Mdb"));
        QCOMPARE(errorOf([&] { c.openDatabase(); }), QStringLiteral("找不到数据库文件“%1”").arg(path));
        QVERIFY2(!QFile::exists(path), "connecting must never create the file");

        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        ds.setCommandText(QStringLiteral("select * from sp"));
        QCOMPARE(errorOf([&] { ds.open(); }), QStringLiteral("找不到数据库文件“%1”").arg(path));
        QCOMPARE(errorOf([&] { ds.open(); }), QStringLiteral("找不到数据库文件“%1”").arg(path));
        QVERIFY(!ds.active());

        TempDatabase other(articles);
        QVERIFY(QFile::copy(other.path(), path));
        ds.open();
        QCOMPARE(ds.recordCount(), 3);
    }

    void damagedFilesGiveAClearMessage_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QByteArray random(8192, '\0');
        for (int i = 0; i < random.size(); ++i)
            random[i] = static_cast<char>((i * 7919 + 13) % 251);
        QTest::newRow("random bytes") << random << QStringLiteral("文件“%1”不是有效的数据库文件");
        QTest::newRow("text file") << QByteArray("this is a note\n") << QStringLiteral("文件“%1”不是有效的数据库文件");
    }

    void damagedFilesGiveAClearMessage()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.Mdb"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        Connection c(dir.path());
        try {
            c.openDatabase();
            QFAIL("opening a damaged file must fail");
        } catch (const DataError& e) {
            QCOMPARE(e.message(), expected.arg(path));
            QCOMPARE(e.code(), SQLITE_NOTADB);
        }
        QFile back(path);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), content);
    }

    void transactionKeepsNothingUnlessCommitted_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("rows");
        QTest::newRow("committed") << "commit" << 2;
        QTest::newRow("left at the end of the scope") << "scope" << 0;
        QTest::newRow("an exception on the way") << "throw" << 0;
    }

    void transactionKeepsNothingUnlessCommitted()
    {
        QFETCH(QString, end);
        QFETCH(int, rows);
        TempDatabase db;
        const sqlite::Database file = sqlite::openDataFile(db.path(), sqlite::Access::Write);
        try {
            sqlite::Transaction transaction(file);
            sqlite::exec(file.get(), QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'a', 1)"),
                         db.path());
            sqlite::exec(file.get(), QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 09:00:00.000', 'b', 1)"),
                         db.path());
            if (end == u"throw")
                sqlite::exec(file.get(), QStringLiteral("INSERT INTO nowhere VALUES (1)"), db.path());
            if (end == u"commit")
                transaction.commit();
        } catch (const DataError&) {
        }
        // The connection is free for the next transaction: nothing was left open.
        QCOMPARE(sqlite3_get_autocommit(file.get()), 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM rj")).toInt(), rows);
    }

    void aFolderNamedLikeTheFileIsRefused()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("data.Mdb")));
        Connection c(dir.path());
        QCOMPARE(errorOf([&] { c.openDatabase(); }),
                 QStringLiteral("“%1”是一个文件夹，不是数据库文件").arg(dir.filePath(QStringLiteral("data.Mdb"))));
    }

    void missingTableNamesTheTable()
    {
        TempDatabase db(QStringLiteral("CREATE TABLE sp(Name TEXT, demo TEXT);"));
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet"), c);
        QCOMPARE(errorOf([&] { load(ds, QStringLiteral("select * from 01")); }),
                 QStringLiteral("数据库文件“%1”中没有表“01”").arg(db.path()));
    }

    void commandTextsReturnRowsInStoredOrder_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringLiteral("select * from 01");
        QTest::newRow("upper case") << QStringLiteral("SELECT * FROM 01");
        QTest::newRow("spacing") << QStringLiteral("  Select   *\tfrom\n01 ");
        QTest::newRow("semicolon") << QStringLiteral("select * from 01;");
    }

    void commandTextsReturnRowsInStoredOrder()
    {
        QFETCH(QString, text);
        TempDatabase db(TempDatabase::standardSchema() +
                        QStringLiteral("INSERT INTO \"01\" VALUES('b','z','1'),('a','y','2'),('c','x','3');"));
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet"), c);
        load(ds, text);
        QStringList titles;
        for (int i = 0; i < ds.recordCount(); ++i, ds.next())
            titles << ds.asText(QStringLiteral("Title"));
        QCOMPARE(titles, (QStringList{"z", "y", "x"}));
    }

    void otherCommandTextsRunAsTheyAreAndReadOnly()
    {
        TempDatabase db(articles);
        Connection c(db.folder());
        Dataset ds(QStringLiteral("q"), c);
        load(ds, QStringLiteral("select Name from sp where demo <> '乙' order by Name desc"));
        QCOMPARE(ds.recordCount(), 2);
        ds.edit();
        ds.setText(QStringLiteral("Name"), QStringLiteral("x"));
        QVERIFY(errorOf([&] { ds.post(); }).startsWith(QStringLiteral("q: ")));
        ds.close();

        ds.setCommandText(QStringLiteral("delete from sp"));
        QVERIFY(errorOf([&] { ds.open(); }) != QStringLiteral("<no error>"));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from sp")).toInt(), 3);
    }

    void movesStayAtTheEnds()
    {
        TempDatabase db(articles);
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from sp"));
        QCOMPARE(ds.asText(QStringLiteral("Name")), QStringLiteral("一"));
        ds.prior();
        QCOMPARE(ds.asText(QStringLiteral("Name")), QStringLiteral("一"));
        QVERIFY(ds.bof());
        ds.last();
        ds.next();
        QCOMPARE(ds.asText(QStringLiteral("Name")), QStringLiteral("三"));
        QVERIFY(ds.eof());
        ds.prior();
        QCOMPARE(ds.asText(QStringLiteral("Name")), QStringLiteral("二"));
        load(ds, QStringLiteral("select * from sp"), Dataset::Position::Last);
        QCOMPARE(ds.asText(QStringLiteral("demo")), QStringLiteral("丙"));
    }

    void emptyResultReadsEmptyAndZero()
    {
        TempDatabase db;
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from rj"));
        QCOMPARE(ds.recordCount(), 0);
        ds.next();
        ds.prior();
        ds.last();
        QCOMPARE(ds.asText(QStringLiteral("demo")), QString());
        QCOMPARE(ds.asText(QStringLiteral("time")), QString());
        QCOMPARE(ds.asNumber(QStringLiteral("lb")), 0.0);
        QCOMPARE(ds.asNumber(QStringLiteral("time")), 0.0);
        QVERIFY(ds.eof() && ds.bof());
    }

    void fieldNamesIgnoreCase()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES('2026-03-04 07:08:09.250','早','120.5')"));
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from rj"));
        QCOMPARE(ds.asText(QStringLiteral("Time")), ds.asText(QStringLiteral("time")));
        QCOMPARE(ds.asText(QStringLiteral("TIME")), QStringLiteral("3/4/26 7:08:09 AM"));
        QCOMPARE(ds.asText(QStringLiteral("LB")), QStringLiteral("120.5"));
        // 2026-03-04 is day 46085 after 1899-12-30; 07:08:09.250 is that part of a day.
        QCOMPARE(ds.asNumber(QStringLiteral("time")), 46085 + (7 * 3600 + 8 * 60 + 9.25) / 86400);
    }

    void errorsCarryTheDatasetName_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("expected");
        const QString closed = QStringLiteral("ADODataSet_tevu: 数据集已关闭，不能进行这个操作");
        const QString notEditing = QStringLiteral("ADODataSet_tevu: 数据集不在编辑或新增状态");
        QTest::newRow("next closed") << "next" << closed;
        QTest::newRow("prior closed") << "prior" << closed;
        QTest::newRow("first closed") << "first" << closed;
        QTest::newRow("last closed") << "last" << closed;
        QTest::newRow("edit closed") << "edit" << closed;
        QTest::newRow("append closed") << "append" << closed;
        QTest::newRow("count closed") << "count" << closed;
        QTest::newRow("post browsing") << "post" << notEditing;
        QTest::newRow("assign browsing") << "assign" << notEditing;
        QTest::newRow("missing field") << "field" << QStringLiteral("ADODataSet_tevu: 找不到字段“Name”");
    }

    void errorsCarryTheDatasetName()
    {
        QFETCH(QString, operation);
        QFETCH(QString, expected);
        TempDatabase db;
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        const bool needsOpen = operation == "post" || operation == "assign" || operation == "field";
        if (needsOpen)
            load(ds, QStringLiteral("select * from rj"));
        const std::map<QString, std::function<void()>> ops{
            {"next", [&] { ds.next(); }},
            {"prior", [&] { ds.prior(); }},
            {"first", [&] { ds.first(); }},
            {"last", [&] { ds.last(); }},
            {"edit", [&] { ds.edit(); }},
            {"append", [&] { ds.append(); }},
            {"count", [&] { ds.recordCount(); }},
            {"post", [&] { ds.post(); }},
            {"assign", [&] { ds.setText(QStringLiteral("demo"), QStringLiteral("x")); }},
            {"field", [&] { ds.asText(QStringLiteral("Name")); }},
        };
        QCOMPARE(errorOf(ops.at(operation)), expected);
    }

    void postWritesAtOnceWithEveryCharacterVerbatim()
    {
        TempDatabase db;
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from rj"), Dataset::Position::Last);
        const QString text = QStringLiteral("it's \"fine\"; DROP TABLE rj; -- 好\n第二行");
        const QDateTime when(QDate(2026, 12, 7), QTime(8, 30, 15, 123));
        ds.append();
        ds.setDateTime(QStringLiteral("Time"), when);
        ds.setText(QStringLiteral("demo"), text);
        ds.setNumber(QStringLiteral("lb"), 120.5);
        ds.post();
        QCOMPARE(db.rows(QStringLiteral("select time, demo, lb from rj")),
                 QStringList{QStringLiteral("2026-12-07 08:30:15.123|%1|120.5").arg(text)});
        QCOMPARE(ds.recordCount(), 1);
        QCOMPARE(ds.asText(QStringLiteral("demo")), text);
    }

    void closeWhileAddingLeavesNothing()
    {
        TempDatabase db;
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from rj"));
        ds.append();
        ds.setText(QStringLiteral("demo"), QStringLiteral("x"));
        QCOMPARE(ds.recordCount(), 0);
        ds.close();
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), 0);
    }

    void editOnAnEmptyResultAdds()
    {
        TempDatabase db(QStringLiteral("CREATE TABLE plan(foodsport TEXT);"));
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSetPlan"), c);
        load(ds, QStringLiteral("select * from plan"));
        ds.edit();
        QCOMPARE(ds.state(), Dataset::State::Adding);
        ds.setText(QStringLiteral("foodsport"), QStringLiteral("周日"));
        ds.updateBatch();
        QCOMPARE(db.rows(QStringLiteral("select foodsport from plan")), QStringList{QStringLiteral("周日")});
    }

    void movingSavesASetFieldAndDropsAnUntouchedRow()
    {
        TempDatabase db(articles);
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from sp"));
        ds.edit();
        ds.edit(); // a second Edit while editing changes nothing
        ds.setText(QStringLiteral("demo"), QStringLiteral("改"));
        ds.next();
        QCOMPARE(db.rows(QStringLiteral("select demo from sp")), (QStringList{"改", "乙", "丙"}));
        QCOMPARE(ds.asText(QStringLiteral("Name")), QStringLiteral("二"));

        ds.append();
        ds.first();
        QCOMPARE(ds.state(), Dataset::State::Browsing);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from sp")).toInt(), 3);

        ds.edit();
        ds.setText(QStringLiteral("Name"), QStringLiteral("壹"));
        ds.append(); // saves the edit first
        ds.close();  // drops the untouched new row
        QCOMPARE(db.rows(QStringLiteral("select Name from sp")), (QStringList{"壹", "二", "三"}));
    }

    void aFailedPostKeepsTheRowPendingForARetry()
    {
        TempDatabase db;
        db.exec(
            QStringLiteral("CREATE TRIGGER no_insert BEFORE INSERT ON rj BEGIN SELECT RAISE(ABORT, 'blocked'); END;"));
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from rj"));
        ds.append();
        ds.setText(QStringLiteral("demo"), QStringLiteral("保留"));
        const QString message = errorOf([&] { ds.post(); });
        QVERIFY2(!message.startsWith(QStringLiteral("ADODataSet_tevu")), qPrintable(message));
        QVERIFY2(message.contains(db.path()), qPrintable(message));
        QCOMPARE(ds.state(), Dataset::State::Adding);
        QCOMPARE(ds.asText(QStringLiteral("demo")), QStringLiteral("保留"));

        db.exec(QStringLiteral("DROP TRIGGER no_insert"));
        ds.post();
        QCOMPARE(db.rows(QStringLiteral("select demo from rj")), QStringList{QStringLiteral("保留")});
    }

    void aSecondConnectionSeesAPostedRowAtOnce()
    {
        TempDatabase db;
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from rj"));
        Connection other(db.folder());
        Dataset reader(QStringLiteral("ADODataSetcurve"), other);
        ds.append();
        ds.setNumber(QStringLiteral("lb"), 99);
        ds.post();
        load(reader, QStringLiteral("select * from rj"));
        QCOMPARE(reader.recordCount(), 1);
        QCOMPARE(reader.asText(QStringLiteral("lb")), QStringLiteral("99"));
    }

    void textForANumberFieldIsConvertedStrictly()
    {
        TempDatabase db;
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from rj"));
        ds.append();
        QCOMPARE(errorOf([&] { ds.setText(QStringLiteral("lb"), QStringLiteral("1,200")); }),
                 QStringLiteral("“1,200”不是数字"));
        ds.setText(QStringLiteral("lb"), QStringLiteral(" 120 "));
        QCOMPARE(ds.asNumber(QStringLiteral("lb")), 120.0);
    }

    void storedGarbageIsReportedNotCrashed()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES('不是日期', 'x', 'abc')"));
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSetcurve"), c);
        load(ds, QStringLiteral("select * from rj"));
        QCOMPARE(ds.asText(QStringLiteral("lb")), QStringLiteral("abc"));
        QCOMPARE(errorOf([&] { ds.asNumber(QStringLiteral("lb")); }),
                 QStringLiteral("ADODataSetcurve: 字段“lb”的值“abc”不是有效的数字"));
        QCOMPARE(errorOf([&] { ds.asNumber(QStringLiteral("time")); }),
                 QStringLiteral("ADODataSetcurve: 字段“time”的值“不是日期”不是有效的日期时间"));
        // Read by place, a failure names the field as the result does.
        QCOMPARE(errorOf([&] { ds.asNumber(ds.fieldIndex(QStringLiteral("LB"))); }),
                 QStringLiteral("ADODataSetcurve: 字段“lb”的值“abc”不是有效的数字"));
        QCOMPARE(errorOf([&] { ds.fieldIndex(QStringLiteral("weight")); }),
                 QStringLiteral("ADODataSetcurve: 找不到字段“weight”"));
    }

    void listenersHearOpenAndClose()
    {
        TempDatabase db(articles);
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSetcurve"), c);
        QStringList heard;
        const int id = ds.addListener([&](Dataset& d, bool opened) {
            heard << QStringLiteral("%1:%2").arg(opened ? "open" : "close").arg(d.active() ? d.recordCount() : -1);
        });
        load(ds, QStringLiteral("select * from sp"));
        load(ds, QStringLiteral("select * from sp"));
        ds.removeListener(id);
        ds.close();
        QCOMPARE(heard, (QStringList{"open:3", "close:3", "open:3"}));
    }

    void aFailedOpenLeavesTheDatasetClosed()
    {
        TempDatabase db(articles);
        Connection c(db.folder());
        Dataset ds(QStringLiteral("ADODataSet_tevu"), c);
        load(ds, QStringLiteral("select * from sp"));
        QVERIFY(errorOf([&] { load(ds, QStringLiteral("select * from nosuch")); }) != QStringLiteral("<no error>"));
        QVERIFY(!ds.active());
        QCOMPARE(errorOf([&] { ds.next(); }), QStringLiteral("ADODataSet_tevu: 数据集已关闭，不能进行这个操作"));
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
