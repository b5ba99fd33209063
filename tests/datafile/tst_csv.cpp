// The diary's CSV export and import against real files.
#include "data/errors.h"
#include "datafile/csv.h"
#include "support/tempdb.h"

#include <QBuffer>
#include <QTest>

class TestCsv : public QObject {
    Q_OBJECT

private:
    static QByteArray exported(const TempDatabase& db)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        datafile::exportCsv(db.path(), buffer);
        return buffer.data();
    }
    static const char* diary() { return "SELECT time, quote(lb), demo FROM rj ORDER BY rowid"; }

private slots:
    void exportIsWhatASpreadsheetOpens()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 13:27:17.154', '早饭，少吃', 120.5);"
                               "INSERT INTO rj VALUES ('2026-12-08 08:00:00.000', '他说\"加油\"', 125);"
                               "INSERT INTO rj VALUES ('2026-12-09 21:05:09.007', '第一行\r\n第二行\n😀', NULL);"));
        const QByteArray expected = "\xEF\xBB\xBF"
                                    "时间,体重(斤),日记\r\n"
                                    "2026-12-07 13:27:17.154,120.5,早饭，少吃\r\n"
                                    "2026-12-08 08:00:00.000,125,\"他说\"\"加油\"\"\"\r\n"
                                    "2026-12-09 21:05:09.007,,\"第一行\r\n第二行\n😀\"\r\n";
        QCOMPARE(exported(db), expected);
    }

    void roundTripGivesTheSameRowsAndReimportAddsNothing()
    {
        TempDatabase source;
        source.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 13:27:17.154', 'a, b', 120.5);"
                                   "INSERT INTO rj VALUES ('2026-12-07 13:27:17.154', '\"q\"', 0.1);"
                                   "INSERT INTO rj VALUES ('2026-12-08 00:00:00.000', '行\r\n行\n😀', NULL);"
                                   "INSERT INTO rj VALUES ('2026-12-09 07:00:00.001', '', 1999.75);"));
        const QByteArray csv = exported(source);
        TempDatabase target;
        const datafile::ImportResult first = datafile::importCsv(target.path(), csv, QStringLiteral("d.csv"));
        QCOMPARE(first.added, 4);
        QCOMPARE(first.skipped, 0);
        QCOMPARE(target.rows(diary()), source.rows(diary()));
        QCOMPARE(exported(target), csv);

        const datafile::ImportResult again = datafile::importCsv(target.path(), csv, QStringLiteral("d.csv"));
        QCOMPARE(again.added, 0);
        QCOMPARE(again.skipped, 4);
        QCOMPARE(target.rows(diary()), source.rows(diary()));
    }

    void importReadsWhatSpreadsheetsSave_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("rows");
        const QStringList two{QStringLiteral("2026-12-07 08:05:00.000|120.5|早饭，少吃"),
                              QStringLiteral("2026-12-08 19:30:00.000|NULL|午饭")};
        // 时间,体重(斤),日记 / 2026/12/7 8:05,120.5,早饭，少吃 / 2026/12/8 19:30,,午饭 in GB18030 (code page 936)
        QTest::newRow("GB18030, CRLF, slashes, no seconds")
            << QByteArray::fromHex("cab1bce42c"
                                   "cce5d6d828bdef292c"
                                   "c8d5bcc70d0a"
                                   "323032362f31322f3720383a30352c3132302e352c"
                                   "d4e7b7b9a3acc9d9b3d40d0a"
                                   "323032362f31322f382031393a33302c2c"
                                   "cee7b7b90d0a")
            << two;
        QTest::newRow("UTF-8 without the mark, LF, reordered and extra columns, spaces around the weight")
            << QByteArray("日记,备注,体重(斤),时间\n"
                          "\"早饭，少吃\",x, 120.5 ,2026-12-07 08:05\n"
                          "午饭,,,2026-12-08 19:30:00\n\n")
            << two;
        QTest::newRow("full-width digits, one-digit month, milliseconds kept")
            << QByteArray("\xEF\xBB\xBF时间,体重(斤),日记\r\n2026-1-02 07:08:09.5,１２０．５,x\r\n")
            << QStringList{QStringLiteral("2026-01-02 07:08:09.500|120.5|x")};
        QTest::newRow("a row given twice goes in once; same time, other weight or text kept")
            << QByteArray("时间,体重(斤),日记\n2026-12-07 08:05,120,x\n2026-12-07 08:05,121,x\n"
                          "2026-12-07 08:05:00.000,120,x\n2026-12-07 08:05,120,y\n")
            << QStringList{QStringLiteral("2026-12-07 08:05:00.000|120.0|x"),
                           QStringLiteral("2026-12-07 08:05:00.000|121.0|x"),
                           QStringLiteral("2026-12-07 08:05:00.000|120.0|y")};
    }

    void importReadsWhatSpreadsheetsSave()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rows);
        TempDatabase db;
        datafile::importCsv(db.path(), file, QStringLiteral("d.csv"));
        QCOMPARE(db.rows(diary()), rows);
    }

    void badRowStopsWithLineAndColumnAndWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("inMessage");
        const QByteArray head = "时间,体重(斤),日记\r\n2026-12-07 08:05,120,ok\r\n";
        QTest::newRow("time") << head + "2026-13-01 08:00,120,x\r\n"
                              << QStringList{QStringLiteral("第 3 行"), QStringLiteral("“时间”列"),
                                             QStringLiteral("2026-13-01 08:00")};
        QTest::newRow("weight not a number")
            << head + "2026-12-08 08:00,12o,x\r\n"
            << QStringList{QStringLiteral("第 3 行"), QStringLiteral("“体重(斤)”列"), QStringLiteral("“12o”")};
        QTest::newRow("weight above the program's limit")
            << head + "2026-12-08 08:00,2000.5,x\r\n"
            << QStringList{QStringLiteral("第 3 行"), QStringLiteral("“体重(斤)”列"), QStringLiteral("2000")};
        QTest::newRow("negative weight") << head + "2026-12-08 08:00,-1,x\r\n"
                                         << QStringList{QStringLiteral("第 3 行"), QStringLiteral("“体重(斤)”列")};
        QTest::newRow("missing column") << head + "2026-12-08 08:00,120\r\n"
                                        << QStringList{QStringLiteral("第 3 行"), QStringLiteral("“日记”列")};
        QTest::newRow("too many fields") << head + "2026-12-08 08:00,1,\"a\r\nb\"\r\n2026-12-08 08:00,1,x,y\r\n"
                                         << QStringList{QStringLiteral("第 5 行"), QStringLiteral("4 个字段")};
        QTest::newRow("no such header") << QByteArray("时间,体重,日记\r\n2026-12-07 08:05,120,ok\r\n")
                                        << QStringList{QStringLiteral("第 1 行"), QStringLiteral("“体重(斤)”列")};
        QTest::newRow("quote never closed") << head + "2026-12-08 08:00,1,\"x\r\n"
                                            << QStringList{QStringLiteral("第 3 行"), QStringLiteral("引号")};
    }

    void badRowStopsWithLineAndColumnAndWritesNothing()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, inMessage);
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-01 08:00:00.000', 'before', 130)"));
        try {
            datafile::importCsv(db.path(), file, QStringLiteral("d.csv"));
            QFAIL("the import went through");
        } catch (const DataError& e) {
            for (const QString& part : inMessage)
                QVERIFY2(e.message().contains(part), qPrintable(e.message()));
        }
        QCOMPARE(db.rows(diary()), QStringList{QStringLiteral("2026-12-01 08:00:00.000|130.0|before")});
    }

    void diaryStaysInTimeOrderAfterAnImport()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-02 08:00:00.000', 'two', 1);"
                               "INSERT INTO rj VALUES ('2026-12-04 08:00:00.000', 'four', 1);"));
        datafile::importCsv(db.path(),
                            "时间,体重(斤),日记\n2026-12-03 08:00,1,three-a\n2026-12-01 08:00,1,one\n"
                            "2026-12-03 08:00,1,three-b\n2026-12-05 08:00,1,five\n",
                            QStringLiteral("d.csv"));
        QCOMPARE(db.rows(QStringLiteral("SELECT demo FROM rj ORDER BY rowid")),
                 (QStringList{"one", "two", "three-a", "three-b", "four", "five"}));
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
