// Where the data file lives: the rule, the first start in the user's folder and the upgrade from a newer template, in
// temporary folders laid out as an installed program (lib/tevu, share/tevu) with XDG_DATA_HOME set.
#include "app/datalocation.h"
#include "data/sqlite.h"
#include "support/tempdb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList shippedDays{"周一旧", "周二旧", "周三旧", "周四旧", "周五旧", "周六旧", "周日旧"};

// A data file of the given content version, its plan the given days.
void makeDataFile(const QString& path, int version, const QStringList& days, const QString& extraSql = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const sqlite::Database db = sqlite::open(path, sqlite::OpenMode::Create);
    sqlite::execScript(db.get(), TempDatabase::standardSchema(), path);
    for (const QString& day : days)
        sqlite::exec(db.get(), QStringLiteral("INSERT INTO plan VALUES ('%1')").arg(day), path);
    sqlite::exec(db.get(), QStringLiteral("INSERT INTO sp VALUES ('食谱', '第 %1 版')").arg(version), path);
    sqlite::exec(db.get(), QStringLiteral("PRAGMA user_version = %1").arg(version), path);
    if (!extraSql.isEmpty())
        sqlite::execScript(db.get(), extraSql, path);
}

QStringList query(const QString& path, const QString& sql)
{
    const sqlite::Database db = sqlite::open(path, sqlite::OpenMode::ReadOnly);
    sqlite::Statement statement(db.get(), sql, path);
    QStringList rows;
    while (statement.step())
        rows << statement.value(0).toString();
    return rows;
}

int mode(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDataLocation : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    datalocation::Places m_places;

    QString userFile() const { return m_places.userFolder + QStringLiteral("/data.Mdb"); }

    // False when this user may write in any folder (root): such cases run again without privileges.
    bool closeProgramFolder()
    {
        QFile::setPermissions(m_places.programFolder, QFile::ReadOwner | QFile::ExeOwner);
        return ::access(QFile::encodeName(m_places.programFolder).constData(), W_OK) != 0;
    }

private slots:
    void init()
    {
        m_root.~QTemporaryDir();
        new (&m_root) QTemporaryDir();
        QVERIFY(m_root.isValid());
        m_places = {.programFolder = m_root.filePath("usr/lib/tevu"),
                    .userFolder = m_root.filePath("home/.local/share/tevu"),
                    .templateFile = m_root.filePath("usr/share/tevu/data.Mdb"),
                    .earlierPlans = m_root.filePath("usr/share/tevu/earlier-plans")};
        QVERIFY(QDir().mkpath(m_places.programFolder));
    }

    void cleanup()
    {
        QFile::setPermissions(m_places.programFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void userFolderFollowsXdgDataHome_data()
    {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("folder"); // under the temporary home
        QTest::newRow("absolute") << "/{home}/data"
                                  << "data/tevu";
        QTest::newRow("relative: ignored") << "data"
                                           << ".local/share/tevu";
        QTest::newRow("empty") << ""
                               << ".local/share/tevu";
    }

    void userFolderFollowsXdgDataHome()
    {
        QFETCH(QString, xdg);
        QFETCH(QString, folder);
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_DATA_HOME", QString(xdg).replace(QStringLiteral("/{home}"), home.path()).toUtf8());
        const QString chosen = datalocation::ofThisProgram().userFolder;
        qputenv("HOME", oldHome);
        QCOMPARE(chosen, home.filePath(folder));
    }

    void rule_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("fileBeside");
        QTest::addColumn<bool>("templateInstalled");
        QTest::addColumn<bool>("besideProgram");
        QTest::newRow("build folder") << true << true << false << true;
        QTest::newRow("copy without its file") << true << false << false << true;
        QTest::newRow("installed into a folder the user owns, data file there") << true << true << true << true;
        QTest::newRow("package run by a user who may write there") << true << false << true << false;
        QTest::newRow("read-only folder") << false << true << false << false;
        QTest::newRow("package") << false << false << true << false;
    }

    void rule()
    {
        QFETCH(bool, writable);
        QFETCH(bool, fileBeside);
        QFETCH(bool, templateInstalled);
        QFETCH(bool, besideProgram);
        if (fileBeside)
            makeDataFile(m_places.programFolder + "/data.Mdb", 1, shippedDays);
        if (templateInstalled)
            makeDataFile(m_places.templateFile, 1, shippedDays);
        if (!writable && !closeProgramFolder())
            QSKIP("this user may write in any folder");
        const datalocation::Location location = datalocation::choose(m_places);
        QCOMPARE(location.file, besideProgram ? m_places.programFolder + "/data.Mdb" : userFile());
        QCOMPARE(location.reason,
                 besideProgram ? datalocation::Reason::BesideProgram : datalocation::Reason::UserFolder);
        QVERIFY2(datalocation::describe(location).contains(location.file),
                 qPrintable(datalocation::describe(location)));
    }

    void firstStartMakesAnOwnerOnlyCopyOnce()
    {
        makeDataFile(m_places.templateFile, 2, shippedDays);
        const datalocation::Prepared first = datalocation::prepare(m_places, QDateTime::currentDateTime());
        QCOMPARE(first.location.file, userFile());
        QVERIFY2(first.note.contains("创建"), qPrintable(first.note));
        QCOMPARE(mode(userFile()), 0600);
        QCOMPARE(mode(m_places.userFolder), 0700);
        QCOMPARE(query(userFile(), "SELECT foodsport FROM plan"), shippedDays);
        QCOMPARE(query(userFile(), "PRAGMA user_version"), QStringList{"2"});
        QCOMPARE(QDir(m_places.userFolder).entryList(QDir::Files | QDir::Hidden), QStringList{"data.Mdb"});

        {
            const sqlite::Database db = sqlite::open(userFile(), sqlite::OpenMode::ReadWrite);
            sqlite::exec(db.get(), "INSERT INTO rj VALUES ('2026-12-07 07:30:00.000', '我的', 120)", userFile());
        }
        const datalocation::Prepared second = datalocation::prepare(m_places, QDateTime::currentDateTime());
        QCOMPARE(second.note, QString());
        QCOMPARE(query(userFile(), "SELECT demo FROM rj"), QStringList{"我的"});
    }

    void newerTemplateUpgradesKeepingTheDiary()
    {
        QStringList mine = shippedDays;
        mine[1] = QStringLiteral("我自己的周二");
        makeDataFile(userFile(), 1, mine, "INSERT INTO rj VALUES ('2026-12-07 07:30:00.000', '旧日记', 121);");
        QStringList newDays;
        for (const QString& day : shippedDays)
            newDays << QString(day).replace("旧", "新");
        makeDataFile(m_places.templateFile, 2, newDays);
        QDir().mkpath(m_places.earlierPlans);
        QFile earlier(m_places.earlierPlans + "/v1.txt");
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        const QStringList titles{"周一", "周二", "周三", "周四", "周五", "周六", "周日"};
        for (int day = 0; day < 7; ++day)
            earlier.write(QStringLiteral("# %1\n%2\n\n").arg(titles[day], shippedDays[day]).toUtf8());
        earlier.close();

        const datalocation::Prepared prepared = datalocation::prepare(m_places, QDateTime::currentDateTime());
        QVERIFY2(prepared.note.contains("升级到 2"), qPrintable(prepared.note));
        QStringList expected = newDays;
        expected[1] = mine[1];
        QCOMPARE(query(userFile(), "SELECT foodsport FROM plan ORDER BY rowid"), expected);
        QCOMPARE(query(userFile(), "SELECT demo FROM rj"), QStringList{"旧日记"});
        QCOMPARE(query(userFile(), "SELECT demo FROM sp"), QStringList{"第 2 版"});
        const QStringList backups = QDir(m_places.userFolder + "/backups").entryList({"before-upgrade-*.Mdb"});
        QCOMPARE(backups.size(), 1);
        QCOMPARE(query(m_places.userFolder + "/backups/" + backups[0], "SELECT foodsport FROM plan ORDER BY rowid"),
                 mine);

        QCOMPARE(datalocation::prepare(m_places, QDateTime::currentDateTime()).note, QString());
    }

    void whatCannotBeDoneIsToldAndChangesNothing_data()
    {
        QTest::addColumn<QString>("userContent");
        QTest::addColumn<bool>("templateInstalled");
        QTest::addColumn<QString>("inNote");
        QTest::newRow("no template") << QString() << false << "找不到";
        QTest::newRow("damaged file, newer template") << "这不是数据库" << true << "文件保持原样";
    }

    void whatCannotBeDoneIsToldAndChangesNothing()
    {
        QFETCH(QString, userContent);
        QFETCH(bool, templateInstalled);
        QFETCH(QString, inNote);
        if (templateInstalled)
            makeDataFile(m_places.templateFile, 2, shippedDays);
        else
            makeDataFile(m_places.templateFile + ".elsewhere", 2, shippedDays);
        if (!userContent.isEmpty()) {
            QDir().mkpath(m_places.userFolder);
            QFile file(userFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(userContent.toUtf8());
        }
        // Not writable, so that the rule chooses the user's folder even without the template.
        if (!templateInstalled && !closeProgramFolder())
            QSKIP("this user may write in any folder");
        const datalocation::Prepared prepared = datalocation::prepare(m_places, QDateTime::currentDateTime());
        QCOMPARE(prepared.location.file, userFile());
        QVERIFY2(prepared.note.contains(inNote), qPrintable(prepared.note));
        QCOMPARE(QString::fromUtf8(bytes(userFile())), userContent);
    }
};

QTEST_GUILESS_MAIN(TestDataLocation)
#include "tst_datalocation.moc"
