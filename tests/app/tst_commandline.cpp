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
        QTest::newRow("help") << QStringList{"--help"} << 0 << "例：tevu --import-csv";
        QTest::newRow("version") << QStringList{"-v"} << 0 << "Tevu 1.";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << "不认识的选项：frobnicate";
        QTest::newRow("two commands") << QStringList{"--check", "--export-csv", "-"} << 2 << "一次只能执行一条命令";
        QTest::newRow("no command") << QStringList{"--data", "{dir}/data.Mdb"} << 2 << "没有给出命令";
        QTest::newRow("missing file name") << QStringList{"--backup"} << 2 << "缺少文件名";
        QTest::newRow("force without a writing command") << QStringList{"--check", "--force"} << 2 << "--force";
        QTest::newRow("check") << QStringList{"--data", "{dir}/data.Mdb", "--check"} << 0 << "表 rj  ：2 行";
        QTest::newRow("check of a missing file")
            << QStringList{"--data", "{dir}/none.Mdb", "--check"} << 1 << "检查未通过：找不到数据库文件";
        QTest::newRow("backup over a file")
            << QStringList{"--data", "{dir}/data.Mdb", "--backup", "{dir}/kept"} << 1 << "--force";
        QTest::newRow("backup with force")
            << QStringList{"--data", "{dir}/data.Mdb", "--backup", "{dir}/kept", "--force"} << 0 << "日记 2 条";
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
        const QByteArray before = db.rows(QStringLiteral("SELECT * FROM rj")).join(u'\n').toUtf8();

        const Run run = tevu(arguments, db.folder());
        QVERIFY2(run.err.contains(inMessage), qPrintable(run.err));
        QCOMPARE(run.status, status);
        QCOMPARE(db.rows(QStringLiteral("SELECT * FROM rj")).join(u'\n').toUtf8(), before);
        if (status != 0 || !arguments.contains(QStringLiteral("--backup")))
            QCOMPARE(kept.size(), qint64(25));
    }

    void exportToStandardOutput()
    {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', 'a', 120)"));
        const Run run = tevu({"--data", "{dir}/data.Mdb", "--export-csv", "-"}, db.folder());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("\xEF\xBB\xBF时间,体重(斤),日记\r\n\"2026-12-07 08:00:00.000\",120,\"a\"\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
