// make-data --upgrade on real files made from two content versions written here: the diary and the days of the plan
// the user changed are kept, everything else shipped comes new, and a file that cannot be upgraded is left as it was.
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

QByteArray week(const QByteArray& tag)
{
    QByteArray text;
    for (const char* day : {"一", "二", "三", "四", "五", "六", "日"})
        text += QByteArray("# 周") + day + "\n" + tag + "：周" + day + "\n\n";
    return text;
}

// Content version 1 (no version file, as before versions were counted) or 2 (a food and a tip more, the foods'
// portions, a new plan).
void writeContent(const QString& dir, int version)
{
    write(dir + "/schema.sql", bytes(QStringLiteral(TEVU_SOURCE_DIR "/resources/content/schema.sql")));
    write(dir + "/categories.txt", "谷类（每100克）\n");
    QByteArray foods = "Name\tTitle\tsz\n谷类（每100克）\t稻米\t346\n谷类（每100克）\t小米\t361\n";
    if (version == 2)
        foods = "Name\tTitle\tsz\tsource\tportions\n谷类（每100克）\t稻米\t346\t第6版 012001x\t一两=50克\n"
                "谷类（每100克）\t小米\t361\t第6版 015101\t\n谷类（每100克）\t燕麦\t338\t第6版 019012\t一瓷勺=10克\n";
    write(dir + "/foods.tsv", foods);
    write(dir + "/sp.txt", "# 清蒸鱼\n蒸八分钟\n");
    write(dir + "/yd.txt", "# 快走\n每天四十分钟\n");
    write(dir + "/xd.txt", version == 2 ? "# 慢慢吃\n每口嚼二十下\n# 早睡\n十一点前\n" : "# 慢慢吃\n每口嚼二十下\n");
    write(dir + "/plan.txt", week(version == 2 ? "新计划" : "旧计划"));
    if (version == 2) {
        write(dir + "/version.txt", "2\n");
        write(dir + "/earlier-plans/v1.txt", week("旧计划"));
    }
}

void execOn(const QString& path, const QString& sql, bool create = false)
{
    const sqlite::Database db = sqlite::open(path, create ? sqlite::OpenMode::Create : sqlite::OpenMode::ReadWrite);
    sqlite::execScript(db.get(), sql, path);
}

// Each row's values as "a|b" texts.
QStringList rowsOn(const QString& path, const QString& sql)
{
    const sqlite::Database db = sqlite::open(path, sqlite::OpenMode::ReadOnly);
    sqlite::Statement statement(db.get(), sql, path);
    QStringList out;
    while (statement.step()) {
        QStringList cells;
        for (int c = 0; c < statement.columnCount(); ++c)
            cells << statement.value(c).toString();
        out << cells.join(u'|');
    }
    return out;
}

struct Run {
    int status;
    QString message;
};

Run makeData(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(MAKE_DATA_EXE), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
}

} // namespace

class TestUpgrade : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString content(int version) const { return m_dir.filePath(QStringLiteral("content-v%1").arg(version)); }

    // A file made by make-data from version 1, then used: a diary entry, Tuesday rewritten, a food gone; and without
    // the portions and food search tables, as every file made before they were shipped.
    QString usedFile(const QString& name) const
    {
        const QString path = m_dir.filePath(name + QStringLiteral("/data.Mdb"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        const Run made = makeData({content(1), path});
        if (made.status != 0)
            qFatal("make-data failed: %s", qPrintable(made.message));
        execOn(path, QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 08:00:00.000', '我的日记', 120.5);"
                                    "UPDATE plan SET foodsport = '我自己的周二' WHERE rowid = 2;"
                                    "DELETE FROM \"01\" WHERE Title = '小米';"
                                    "DROP TABLE portions; DROP TABLE food_search;"));
        return path;
    }

private slots:
    void initTestCase()
    {
        writeContent(content(1), 1);
        writeContent(content(2), 2);
    }

    void olderFileTakesNewContentAndKeepsWhatTheUserWrote_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("made by today's build (version 1)") << 1;
        QTest::newRow("made before versions were written (0)") << 0;
    }

    void olderFileTakesNewContentAndKeepsWhatTheUserWrote()
    {
        QFETCH(int, version);
        const QString path = usedFile(QStringLiteral("older-%1").arg(version));
        execOn(path, QStringLiteral("PRAGMA user_version = %1").arg(version));
        // A file from before 我的目标 has no profile table; one from after keeps the user's profile, and gains the
        // column for the answer to 是否怀孕或在哺乳期？, not yet given.
        const QStringList profile = version == 0 ? QStringList{} : QStringList{QStringLiteral("165|女|1990|120|2||")};
        execOn(path, version == 0 ? QStringLiteral("DROP TABLE profile")
                                  : QStringLiteral("INSERT INTO profile VALUES (165, '女', 1990, 120, 2, NULL)"));

        const Run run = makeData({QStringLiteral("--upgrade"), content(2), path});
        QVERIFY2(run.status == 0, qPrintable(run.message));
        const auto rows = [&path](const char* sql) { return rowsOn(path, QString::fromUtf8(sql)); };
        QCOMPARE(rows("SELECT time, lb, demo FROM rj"), QStringList{"2026-12-07 08:00:00.000|120.5|我的日记"});
        QStringList plan = {"新计划：周一", "我自己的周二", "新计划：周三", "新计划：周四",
                            "新计划：周五", "新计划：周六", "新计划：周日"};
        QCOMPARE(rows("SELECT foodsport FROM plan ORDER BY rowid"), plan);
        QCOMPARE(rows("SELECT Title FROM \"01\" ORDER BY rowid"), (QStringList{"稻米", "小米", "燕麦"}));
        QCOMPARE(rows("SELECT Name FROM xd ORDER BY rowid"), (QStringList{"慢慢吃", "早睡"}));
        // The file made before portions were shipped gets their table with the new content.
        QCOMPARE(rows("SELECT Title, Unit, g, Measure FROM portions ORDER BY rowid"),
                 (QStringList{"稻米|一两|50|克", "燕麦|一瓷勺|10|克"}));
        QCOMPARE(rows("SELECT Title, Pinyin FROM food_search ORDER BY rowid"),
                 (QStringList{"稻米|dao mi", "小米|xiao mi", "燕麦|yan mai"}));
        QCOMPARE(rows("PRAGMA user_version"), QStringList{"2"});
        QCOMPARE(rows("SELECT * FROM profile"), profile);

        // The copy from before the upgrade stands outside the rotation of the automatic backups.
        QVERIFY(datafile::automaticBackups(datafile::backupFolder(path)).isEmpty());
        const QDir folder(datafile::backupFolder(path));
        const QStringList backups = folder.entryList({QStringLiteral("before-upgrade-*.Mdb")}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        const datafile::Summary before = datafile::check(folder.filePath(backups.front()));
        QCOMPARE(before.contentVersion, version);
        QCOMPARE(before.rows(QStringLiteral("01")), 1);
    }

    void fileThatCannotBeUpgradedIsLeftAsItWas_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("equal version") << "equal" << 0 << "没有改动";
        QTest::newRow("read-only") << "read-only" << 1 << "只读";
        QTest::newRow("damaged") << "damaged" << 1 << "不是有效的数据库文件";
        QTest::newRow("not a Tevu file") << "foreign" << 1 << "没有表";
    }

    void fileThatCannotBeUpgradedIsLeftAsItWas()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(QString, inMessage);
        const QString path = usedFile(QStringLiteral("left-") + kind);
        if (kind == u"equal") {
            QCOMPARE(makeData({QStringLiteral("--upgrade"), content(2), path}).status, 0);
            QDir(datafile::backupFolder(path)).removeRecursively();
        } else if (kind == u"read-only") {
            QFile::setPermissions(path, QFileDevice::ReadOwner);
            if (QFileInfo(path).isWritable())
                QSKIP("running as root: a read-only file stays writable");
        } else if (kind == u"damaged") {
            QByteArray image = bytes(path);
            image.replace(0, 16, "not a database!!");
            write(path, image);
        } else {
            QFile::remove(path);
            execOn(path, QStringLiteral("CREATE TABLE notes(text)"), true);
        }
        const QByteArray before = bytes(path);

        const Run run = makeData({QStringLiteral("--upgrade"), content(2), path});
        QVERIFY2(run.message.contains(inMessage), qPrintable(run.message));
        QCOMPARE(run.status, status);
        QCOMPARE(bytes(path), before);
        QVERIFY(!QFileInfo::exists(datafile::backupFolder(path)));
    }
};

QTEST_GUILESS_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
