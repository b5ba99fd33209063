// The command line through the real executable, with no display: messages, exit statuses, files left alone.
#include "support/tempdb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString err;
    QByteArray out;
};

Run tevu(QStringList arguments, const QString& folder)
{
    arguments.replaceInStrings(QStringLiteral("{dir}"), folder);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TEVU_BINARY_DIR "/tevu"), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError()), process.readAllStandardOutput()};
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void statusAndMessage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "不认识的选项：--bogus";
        QTest::newRow("report without a file")
            << QStringList{"--report"} << 2 << "--report 后面要写报告文件名，例如 --report 报告.pdf";
        QTest::newRow("report file forgotten before an option")
            << QStringList{"--report", "--with-notes"} << 2 << "--report 后面要写报告文件名";
        QTest::newRow("report not a pdf")
            << QStringList{"--data", "{dir}/data.Mdb", "--report", "{dir}/报告.txt"} << 2 << "报告文件名要以 .pdf 结尾";
        QTest::newRow("two commands") << QStringList{"--check", "--export-csv", "-"} << 2 << "一次只能执行一条命令";
        QTest::newRow("no command") << QStringList{"--force"} << 2 << "没有给出命令";
        QTest::newRow("--data twice, no command")
            << QStringList{"--data", "{dir}/data.Mdb", "--data", "{dir}/data.Mdb"} << 2 << "没有给出命令";
        QTest::newRow("missing file name") << QStringList{"--backup"} << 2 << "缺少文件名";
        QTest::newRow("force without a writing command") << QStringList{"--check", "--force"} << 2 << "--force";
        QTest::newRow("check") << QStringList{"--data", "{dir}/data.Mdb", "--check"} << 0 << "\n  日记（rj）：2 行\n";
        // The shipped schema has the seven tables and three more: portions, the search's pinyin and the profile.
        QTest::newRow("check counts the tables")
            << QStringList{"--data", "{dir}/data.Mdb", "--check"} << 0 << "共 11 个表，Tevu 必需的 7 个表";
        QTest::newRow("check names the categories")
            << QStringList{"--data", "{dir}/data.Mdb", "--check"} << 0 << "\n  食物类别（02）：0 行\n";
        QTest::newRow("check names the profile")
            << QStringList{"--data", "{dir}/data.Mdb", "--check"} << 0 << "\n  目标（profile）：0 行\n";
        QTest::newRow("check names the file and why")
            << QStringList{"--data", "{dir}/data.Mdb", "--check"} << 0 << "data.Mdb（用 --data 指定）";
        QTest::newRow("reminder at no time") << QStringList{"--remind-at", "25:00"} << 2 << "时间“25:00”无效";
        QTest::newRow("check of a missing file")
            << QStringList{"--data", "{dir}/none.Mdb", "--check"} << 1 << "检查未通过：找不到数据库文件";
        QTest::newRow("backup over a file")
            << QStringList{"--data", "{dir}/data.Mdb", "--backup", "{dir}/kept"} << 1 << "--force";
        QTest::newRow("backup with force")
            << QStringList{"--data", "{dir}/data.Mdb", "--backup", "{dir}/kept", "--force"} << 0 << "日记 2 条";
        QTest::newRow("a word, not an option") << QStringList{"check"} << 2 << "不认识的参数：check";
        QTest::newRow("food log with another command")
            << QStringList{"--check", "--export-food-log", "{dir}/log.csv"} << 2 << "只能单独使用，或者和 --export-csv";
        QTest::newRow("food log to standard output")
            << QStringList{"--export-food-log", "-"} << 2 << "不能写到标准输出";
        QTest::newRow("food log of a file without one")
            << QStringList{"--data", "{dir}/data.Mdb", "--export-food-log", "{dir}/log.csv"} << 0 << "饮食记录的 0 项";
        QTest::newRow("measurements with another command")
            << QStringList{"--summary", "--export-measurements", "{dir}/m.csv"} << 2
            << "--export-measurements 只能单独使用，或者和 --export-csv";
        QTest::newRow("measurements of a file without them")
            << QStringList{"--data", "{dir}/data.Mdb", "--export-measurements", "{dir}/m.csv"} << 0
            << "已把 0 条身体围度记录导出";
        QTest::newRow("one dash") << QStringList{"-x"} << 2 << "不认识的选项：-x";
        QTest::newRow("write with a command") << QStringList{"--write", "--check"} << 2 << "不认识的选项：--write";
        QTest::newRow("file name forgotten")
            << QStringList{"--data", "{dir}/data.Mdb", "--export-csv", "--force"} << 2 << "缺少文件名";
        QTest::newRow("empty data file name") << QStringList{"--data", "", "--check"} << 2 << "--data";
        QTest::newRow("backup onto the data file")
            << QStringList{"--data", "{dir}/data.Mdb", "--backup", "{dir}/./data.Mdb", "--force"} << 1
            << "就是数据文件本身";
        QTest::newRow("export onto the journal")
            << QStringList{"--data", "{dir}/data.Mdb", "--export-csv", "{dir}/data.Mdb-journal"} << 1
            << "就是数据文件本身";
        QTest::newRow("export through a link")
            << QStringList{"--data", "{dir}/data.Mdb", "--export-csv", "{dir}/link", "--force"} << 1 << "符号链接";
        QTest::newRow("backup onto a folder")
            << QStringList{"--data", "{dir}/data.Mdb", "--backup", "{dir}"} << 1 << "是一个文件夹";
        QTest::newRow("backup onto a folder with force")
            << QStringList{"--data", "{dir}/data.Mdb", "--backup", "{dir}", "--force"} << 1 << "是一个文件夹";
        QTest::newRow("summary of a missing file")
            << QStringList{"--data", "{dir}/none.Mdb", "--summary"} << 1 << "失败：找不到数据库文件";
        QTest::newRow("copy of a day that is no date")
            << QStringList{"--data", "{dir}/data.Mdb", "--copy-meal", "2026-13-01"} << 2 << "YYYY-MM-DD";
        QTest::newRow("copy of a meal that is none")
            << QStringList{"--data", "{dir}/data.Mdb", "--copy-meal", "2026-12-01", "宵夜"} << 2 << "餐次“宵夜”不对";
        QTest::newRow("copy of a day without a log")
            << QStringList{"--data", "{dir}/data.Mdb", "--copy-meal", "2026-12-01"} << 1 << "没有可以复制的";
        QTest::newRow("import of a bad file")
            << QStringList{"--data", "{dir}/data.Mdb", "--import-csv", "{dir}/kept"} << 1 << "第 1 行";
    }

    void statusAndMessage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, inMessage);
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'a', 120);"
                               "INSERT INTO rj VALUES ('2026-12-08 08:00:00.000', 'b', 119.5);"));
        QFile kept(QDir(db.folder()).filePath(QStringLiteral("kept")));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("not a csv, not a database");
        kept.close();
        QVERIFY(QFile::link(kept.fileName(), QDir(db.folder()).filePath(QStringLiteral("link"))));
        const QByteArray before = db.rows(QStringLiteral("SELECT * FROM rj")).join(u'\n').toUtf8();

        const Run run = tevu(arguments, db.folder());
        QVERIFY2(run.err.contains(inMessage), qPrintable(run.err));
        QCOMPARE(run.status, status);
        QCOMPARE(db.rows(QStringLiteral("SELECT * FROM rj")).join(u'\n').toUtf8(), before);
        if (status != 0 || !arguments.contains(QStringLiteral("--backup")))
            QCOMPARE(kept.size(), qint64(25));
    }

    // Asked for, the help and the version are read on standard output, whole: the help is longer than the 2,000
    // characters at which a message is cut.
    void helpAndVersionGoToStandardOutputWhole_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("help") << "--help"
                              << "用法：tevu [--data 文件] 命令\n"
                              << "退出状态：0 成功，1 失败，2 命令行有误。\n";
        QTest::newRow("version") << "-v"
                                 << "Tevu 1."
                                 << "\n";
    }

    void helpAndVersionGoToStandardOutputWhole()
    {
        QFETCH(QString, option);
        QFETCH(QString, first);
        QFETCH(QString, last);
        const Run run = tevu({option}, QDir::tempPath());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QString());
        const QString out = QString::fromUtf8(run.out);
        QVERIFY2(out.startsWith(first) && out.endsWith(last), qPrintable(out));
        QVERIFY2(!out.contains(u'…'), qPrintable(out));
    }

    // "--data FILE" alone opens the windows on that file, whatever its name: the automatic backup that follows the
    // main window's first showing appears beside it.
    void dataAloneOpensTheWindowsOnThatFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("--data FILE") << QStringList{"--data", "{dir}/旧电脑.Mdb"};
        QTest::newRow("--data=FILE, ready to write") << QStringList{"--write", "--data={dir}/旧电脑.Mdb"};
    }

    void dataAloneOpensTheWindowsOnThatFile()
    {
        QFETCH(QStringList, arguments);
        TempDatabase db;
        const QString named = QDir(db.folder()).filePath(QStringLiteral("旧电脑.Mdb"));
        QVERIFY(QFile::rename(db.path(), named));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TEVU_BINARY_DIR "/tevu"), arguments.replaceInStrings("{dir}", db.folder()));
        const QDir backups(QDir(db.folder()).filePath(QStringLiteral("backups")));
        QTRY_VERIFY_WITH_TIMEOUT(!backups.entryList({QStringLiteral("data-*.Mdb")}, QDir::Files).isEmpty() ||
                                     process.state() == QProcess::NotRunning,
                                 30000);
        const bool running = process.state() == QProcess::Running;
        process.kill();
        process.waitForFinished();
        QVERIFY2(running, qPrintable(QString::fromUtf8(process.readAllStandardError())));
        QVERIFY(!QFileInfo::exists(db.path()));
    }

    void leftoversOfAnInterruptedRunAreRemoved()
    {
        TempDatabase db;
        const QDir folder(db.folder());
        QVERIFY(folder.mkdir(QStringLiteral("backups")));
        const QDateTime earlier = QDateTime::currentDateTime().addSecs(-600);
        const QDateTime later = QDateTime::currentDateTime().addSecs(600);
        const QStringList stale{".data.Mdb.a1B2c3", "backups/.data-20261207-080000.Mdb.Zz9yX8", "data.Mdb-mj0A1B2C3D",
                                ".export.csv.q1w2e3"};
        // Another program's, or too new to be from an earlier run, or not of the program's naming.
        const QStringList kept{".data.Mdb.new123", ".notes.txt.a1B2c3", "backups/.hidden", ".data.Mdb.a1B2c"};
        for (const QString& name : stale + kept) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(name == u".data.Mdb.new123" ? later : earlier, QFileDevice::FileModificationTime));
        }
        QCOMPARE(tevu({"--data", "{dir}/data.Mdb", "--check"}, db.folder()).status, 0);
        for (const QString& name : stale)
            QVERIFY2(!folder.exists(name), qPrintable(name));
        for (const QString& name : kept)
            QVERIFY2(folder.exists(name), qPrintable(name));
    }

    void interruptedWriteIsRolledBackBeforeACommand()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'kept', 120)"));
        QTemporaryDir killed;
        db.copyWithInterruptedWrite(killed.filePath(QStringLiteral("data.Mdb")));
        const Run run = tevu({"--data", "{dir}/data.Mdb", "--check"}, killed.path());
        QVERIFY2(run.err.contains(QStringLiteral("日记（rj）：1 行")), qPrintable(run.err));
        QCOMPARE(run.status, 0);
        QVERIFY(!QFileInfo::exists(killed.filePath(QStringLiteral("data.Mdb-journal"))));
    }

    void aBadValueIsQuotedShortAndVisible()
    {
        TempDatabase db;
        QFile csv(QDir(db.folder()).filePath(QStringLiteral("bad.csv")));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(QByteArray("时间,体重(斤),日记\n2026-12-07") + '\0' + QByteArray(1 << 20, 'x') + ",120,a\n");
        csv.close();
        const Run run = tevu({"--data", "{dir}/data.Mdb", "--import-csv", "{dir}/bad.csv"}, db.folder());
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("“2026-12-07␀xxx")), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("…”")), qPrintable(run.err));
        QVERIFY2(run.err.size() < 400, qPrintable(QString::number(run.err.size())));
    }

    void exportToStandardOutput()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'a', 120)"));
        const Run run = tevu({"--data", "{dir}/data.Mdb", "--export-csv", "-"}, db.folder());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("\xEF\xBB\xBF时间,体重(斤),日记\r\n\"2026-12-07 08:00:00.000\",120,\"a\"\r\n"));
    }

    void foodLogBesideTheDiary()
    {
        TempDatabase db;
        db.exec(QStringLiteral(
            "INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'a', 120);"
            "CREATE TABLE food_log (time DATETIME, meal TEXT, food TEXT, amount REAL, unit TEXT, "
            "g REAL, kcal REAL);"
            "INSERT INTO food_log VALUES ('2026-12-07 12:00:00.000', '午餐', '米饭', 1, '一碗', 150, 174);"
            "INSERT INTO food_log VALUES ('2026-12-07 07:30:00.000', '早餐', '=1+1', 2.5, '一个', 125, "
            "173.75);"
            "INSERT INTO nutrients VALUES ('米饭', 2.6, 0.2, 26, NULL, 2);"));
        const Run run =
            tevu({"--data", "{dir}/data.Mdb", "--export-csv", "{dir}/diary.csv", "--export-food-log", "{dir}/log.csv"},
                 db.folder());
        QCOMPARE(run.status, 0);
        QVERIFY2(run.err.contains(QStringLiteral("饮食记录的 2 项")), qPrintable(run.err));
        QFile diary(db.folder() + QStringLiteral("/diary.csv"));
        QVERIFY(diary.open(QIODevice::ReadOnly));
        QVERIFY(diary.readAll().contains("\"a\""));
        QFile log(db.folder() + QStringLiteral("/log.csv"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        // By time, texts quoted, a formula made inert.
        QCOMPARE(
            log.readAll(),
            QByteArray("\xEF\xBB\xBF") +
                QStringLiteral("时间,餐次,食物,数量,单位,克,大卡,蛋白质(克),脂肪(克),碳水(克),膳食纤维(克),钠(毫克)\r\n"
                               "\"2026-12-07 07:30:00.000\",\"早餐\",\"'=1+1\",2.5,\"一个\",125,173.75,,,,,\r\n"
                               // 150 g of rice: 2.6 × 1.5 = 3.9, 0.3, 39, no fibre known, 3 mg.
                               "\"2026-12-07 12:00:00.000\",\"午餐\",\"米饭\",1,\"一碗\",150,174,3.9,0.3,39,,3\r\n")
                    .toUtf8());
    }

    void copyMealToToday()
    {
        TempDatabase db;
        const QDate yesterday = QDate::currentDate().addDays(-1);
        // 2 eggs at 139, a cup of milk at 54 per 100 g, 250 g, and 油条, gone from the table, as logged: 146.
        db.exec(
            QStringLiteral("INSERT INTO \"01\" VALUES ('蛋类', '鸡蛋', '139'), ('乳类', '牛奶', '54');"
                           "INSERT INTO portions VALUES ('鸡蛋', '一个', '50', '克'), ('牛奶', '一杯', '250', '毫升');"
                           "CREATE TABLE food_log (time DATETIME, meal TEXT, food TEXT, amount REAL, unit TEXT, "
                           "g REAL, kcal REAL);"
                           "CREATE TABLE exercise_log (time DATETIME, name TEXT, minutes REAL, kcal REAL);"
                           "INSERT INTO food_log VALUES ('%1 07:00:00.000', '早餐', '鸡蛋', 2, '一个', 100, 1);"
                           "INSERT INTO food_log VALUES ('%1 07:01:00.000', '早餐', '牛奶', 1, '一杯', 250, 1);"
                           "INSERT INTO food_log VALUES ('%1 07:02:00.000', '早餐', '油条', 1, '一根', 50, 146);"
                           "INSERT INTO food_log VALUES ('%1 12:00:00.000', '午餐', '鸡蛋', 1, '一个', 50, 70);")
                .arg(yesterday.toString(Qt::ISODate)));
        const Run run =
            tevu({"--data", "{dir}/data.Mdb", "--copy-meal", yesterday.toString(Qt::ISODate), "早餐"}, db.folder());
        QCOMPARE(run.err, QStringLiteral("已把 %1月%2日 的早餐 3 样（420 大卡）加到今天\n")
                              .arg(yesterday.month())
                              .arg(yesterday.day()));
        QCOMPARE(run.status, 0);
        QCOMPARE(db.rows(QStringLiteral("SELECT meal, food, kcal FROM food_log WHERE time >= '%1' ORDER BY rowid")
                             .arg(QDate::currentDate().toString(Qt::ISODate))),
                 (QStringList{QStringLiteral("早餐|鸡蛋|139.0"), QStringLiteral("早餐|牛奶|135.0"),
                              QStringLiteral("早餐|油条|146.0")}));
    }

    void measurementsInAndOut()
    {
        TempDatabase db;
        QFile file(db.folder() + QStringLiteral("/in.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("日期,腰围(厘米),体脂率(%)\n2026-12-01,88,\n2026-12-07,86,31.5\n").toUtf8());
        file.close();
        const Run in = tevu({"--data", "{dir}/data.Mdb", "--import-csv", "{dir}/in.csv"}, db.folder());
        QCOMPARE(in.status, 0);
        QVERIFY2(in.err.contains(QStringLiteral("已导入 2 条身体围度记录，跳过 0 个已有记录的日期")),
                 qPrintable(in.err));
        const Run out =
            tevu({"--data", "{dir}/data.Mdb", "--export-csv", "{dir}/d.csv", "--export-measurements", "{dir}/m.csv"},
                 db.folder());
        QCOMPARE(out.status, 0);
        QFile written(db.folder() + QStringLiteral("/m.csv"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(),
                 QByteArray("\xEF\xBB\xBF") + QStringLiteral("日期,腰围(厘米),臀围(厘米),体脂率(%)\r\n"
                                                             "\"2026-12-01\",88,,\r\n"
                                                             "\"2026-12-07\",86,,31.5\r\n")
                                                  .toUtf8());
        // A man of 165 cm: 86 is 85 to under 90; 86 ÷ 165 = 0.521.
        db.exec(QStringLiteral("INSERT INTO profile VALUES (165, '男', NULL, NULL, NULL, NULL);"));
        const Run summary = tevu({"--data", "{dir}/data.Mdb", "--summary"}, db.folder());
        QCOMPARE(summary.status, 0);
        QVERIFY2(summary.out.endsWith(QStringLiteral("\n腰围：86厘米（中心型肥胖前期），腰高比 0.52\n").toUtf8()),
                 summary.out.constData());
    }

    void summaryToStandardOutput()
    {
        TempDatabase db;
        // Trend 120, then 120 + 0.1 × (130 − 120) = 121: 1 jin in a day, +7.0 a week, away from the goal.
        // BMI 60.5 kg ÷ 1.6² = 23.6. No birth year: no budget.
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'a', 120);"
                               "INSERT INTO rj VALUES ('2026-12-08 08:00:00.000', 'b', 130);"
                               "INSERT INTO profile VALUES (160, '女', NULL, 110, 1, NULL);"));
        // Today 300.4 + 150 kcal; yesterday's 900 is not today's, and the one complete log of the 14 that the real use
        // needs.
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
        db.exec(QStringLiteral("CREATE TABLE food_log (time DATETIME, meal TEXT, food TEXT, amount REAL, unit TEXT, "
                               "g REAL, kcal REAL);"
                               "CREATE TABLE exercise_log (time DATETIME, name TEXT, minutes REAL, kcal REAL);"
                               "INSERT INTO food_log VALUES ('%1 07:00:00.000', '早餐', '鸡蛋', 2, '一个', 100, 300.4);"
                               "INSERT INTO food_log VALUES ('%1 23:59:59.999', '加餐', '苹果', 1, '克', 283, 150);"
                               "INSERT INTO food_log VALUES ('%2 12:00:00.000', '午餐', '米饭', 1, '克', 776, 900);"
                               "INSERT INTO nutrients VALUES ('鸡蛋', 13.1, 8.6, 2.4, NULL, 131.5);")
                    .arg(today, yesterday));
        const Run run = tevu({"--data", "{dir}/data.Mdb", "--summary"}, db.folder());
        QCOMPARE(run.status, 0);
        QCOMPARE(QString::fromUtf8(run.out),
                 QStringLiteral("最新体重：130斤（2026年12月8日）\n"
                                "趋势：121.0斤\n"
                                "每周变化：+7.0斤\n"
                                "BMI：23.6（正常）\n"
                                "目标：110斤，还要减 11.0斤；按现在的趋势还达不到目标。\n"
                                "能量预算：未设置出生年份\n"
                                "实际消耗：还需要 13 天的饮食记录\n"
                                "今天已吃 450 大卡，预算未定（在“我的目标”里填好身高、性别、"
                                "出生年份和活动量）\n"
                                // 100 g of egg: 13.1 g of protein, 131.5 mg of sodium × 2.54 = 0.33 g of salt; the
                                // apple's are unknown.
                                "今天蛋白质 至少 13 克，盐 至少 0.3 克\n"));
    }

    void summaryOfAChildSaysSoInOneLine()
    {
        TempDatabase db;
        // A girl of 14, 160 cm, 100 jin: BMI 100 ÷ 5.12 = 19.5, no adult class, no goal, no budget. She logged 1,000
        // kcal on each of the four days before today: a mean under 1,200, said gently.
        const QDate today = QDate::currentDate();
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'a', 100);"
                               "INSERT INTO profile VALUES (160, '女', %1, 90, 2, NULL);"
                               "CREATE TABLE food_log (time DATETIME, meal TEXT, food TEXT, amount REAL, unit TEXT, "
                               "g REAL, kcal REAL);"
                               "CREATE TABLE exercise_log (time DATETIME, name TEXT, minutes REAL, kcal REAL);")
                    .arg(today.year() - 14));
        for (int d = 1; d <= 4; ++d)
            db.exec(
                QStringLiteral("INSERT INTO food_log VALUES ('%1 12:00:00.000', '午餐', '米饭', 1, '克', 862, 1000);")
                    .arg(today.addDays(-d).toString(Qt::ISODate)));
        const Run run = tevu({"--data", "{dir}/data.Mdb", "--summary"}, db.folder());
        QCOMPARE(run.status, 0);
        const QStringList lines = QString::fromUtf8(run.out).split(u'\n');
        QCOMPARE(lines.mid(3),
                 (QStringList{"BMI：19.5（未满 18 岁，不按成人标准分类）", "目标：未满 18 岁不设目标体重",
                              "能量预算：未满 18 岁不给出预算",
                              "未满 18 岁还在生长发育，体重是否合适要按年龄和性别来判断，不能用成人的 BMI "
                              "标准，也不要自己节食减重；请咨询医生或学校的保健老师。",
                              "今天已吃 0 大卡，未满 18 岁不设预算",
                              "最近 7 天里记下的日子，平均每天只吃了约 1,000 大卡，低于 1,200 大卡。"
                              "吃得太少容易流失肌肉、营养不够，也难以坚持，不妨多吃一点。",
                              ""}));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
