// data.Mdb or its folder read-only for the user: the diary reads, saves are refused in words, the file unchanged.
#include "support.h"
#include "support/tempdb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace reliability;

namespace {

constexpr std::uint64_t series = 777;
constexpr int seeded = 5;

struct Account {
    uid_t uid = 0;
    gid_t gid = 0;
    bool found = false;
};

Account nobody()
{
    Account account;
    const passwd* user = ::getpwnam("nobody");
    const group* team = ::getgrnam("nogroup");
    if (user && team) {
        account.uid = user->pw_uid;
        account.gid = team->gr_gid;
        account.found = true;
    }
    return account;
}

struct Output {
    QStringList messages[5]; // by step: start, list, diary, plan, end
    long uid = -1;
    int rows = -2;
    int listed = -1;
    bool kept = false;
    bool saved = true;
    bool ended = false;
};

Output parse(const QByteArray& bytes)
{
    static const QStringList steps{QStringLiteral("start"), QStringLiteral("list"), QStringLiteral("diary"),
                                   QStringLiteral("plan"), QStringLiteral("end")};
    Output out;
    int step = 0;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(QLatin1String("step "))) {
            step = static_cast<int>(steps.indexOf(line.mid(5)));
            out.ended = step == 4;
        } else if (line.startsWith(QLatin1String("message ")) && step >= 0) {
            out.messages[step] << line.mid(8);
        } else if (line.startsWith(QLatin1String("uid "))) {
            out.uid = line.mid(4).toLong();
        } else if (line.startsWith(QLatin1String("rows "))) {
            out.rows = line.mid(5).toInt();
        } else if (line.startsWith(QLatin1String("listed "))) {
            out.listed = line.mid(7).toInt();
        } else if (line.startsWith(QLatin1String("kept "))) {
            out.kept = line.mid(5) == QLatin1String("1");
        } else if (line.startsWith(QLatin1String("saved "))) {
            out.saved = line.mid(6) == QLatin1String("1");
        }
    }
    return out;
}

} // namespace

// The program runs as an unprivileged user in a child process: for root, permissions stop nothing.
class TestReadOnly : public QObject {
    Q_OBJECT

    QString m_setpriv;
    Account m_nobody;

private slots:
    void initTestCase()
    {
        m_setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        m_nobody = nobody();
        if (m_setpriv.isEmpty())
            QSKIP("setpriv (util-linux) is not installed: cannot run the program as an unprivileged user");
        if (!m_nobody.found)
            QSKIP("there is no user nobody or group nogroup to run the program as");
    }

    void aReadOnlyFileOrFolderReadsButRefusesToSave_data()
    {
        QTest::addColumn<bool>("fileWritable");
        QTest::addColumn<bool>("folderWritable");
        QTest::newRow("file read-only") << false << true;
        QTest::newRow("folder read-only") << true << false;
        QTest::newRow("both read-only") << false << false;
    }

    void aReadOnlyFileOrFolderReadsButRefusesToSave()
    {
        QFETCH(bool, fileWritable);
        QFETCH(bool, folderWritable);
        TempDatabase db;
        seedDiary(db.path(), series, 1, seeded);
        seedPlan(db.path(), planTexts(series, 0));
        const QByteArray folder = db.folder().toUtf8();
        const QByteArray file = db.path().toUtf8();
        // Owned by the unprivileged user where it may write, by root (and only readable) where it may not.
        QCOMPARE(::chown(folder.constData(), folderWritable ? m_nobody.uid : 0, folderWritable ? m_nobody.gid : 0), 0);
        QCOMPARE(::chmod(folder.constData(), folderWritable ? 0700 : 0555), 0);
        QCOMPARE(::chown(file.constData(), fileWritable ? m_nobody.uid : 0, fileWritable ? m_nobody.gid : 0), 0);
        QCOMPARE(::chmod(file.constData(), fileWritable ? 0600 : 0444), 0);

        // Qt wants a runtime folder of the user's own.
        QTemporaryDir home;
        const QByteArray homePath = home.path().toUtf8();
        QCOMPARE(::chown(homePath.constData(), m_nobody.uid, m_nobody.gid), 0);
        QCOMPARE(::chmod(homePath.constData(), 0700), 0);

        // The helper must be reachable by that user; where the build folder is private, a copy is.
        QString writer = QStringLiteral(DIARY_WRITER);
        QTemporaryDir binaries;
        QProcess probe;
        probe.start(m_setpriv,
                    {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                     QStringLiteral("--clear-groups"), QStringLiteral("test"), QStringLiteral("-x"), writer});
        QVERIFY(probe.waitForFinished(30000));
        if (probe.exitCode() != 0) {
            const QString copy = binaries.filePath(QStringLiteral("diary_writer"));
            QVERIFY(QFile::copy(writer, copy));
            QCOMPARE(::chmod(binaries.path().toUtf8().constData(), 0755), 0);
            QCOMPARE(::chmod(copy.toUtf8().constData(), 0755), 0);
            writer = copy;
        }

        const Snapshot before = snapshot(db.path());
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.start(m_setpriv, {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                QStringLiteral("--clear-groups"), writer, QStringLiteral("readonly"), db.folder()});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray errors = child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, errors.constData());
        const Output out = parse(child.readAllStandardOutput());
        QVERIFY2(out.ended, errors.constData());
        QCOMPARE(out.uid, static_cast<long>(m_nobody.uid));

        // Reading works as ever.
        QVERIFY2(out.messages[0].isEmpty() && out.messages[1].isEmpty(),
                 qPrintable((out.messages[0] + out.messages[1]).join(u'\n')));
        QCOMPARE(out.rows, seeded);
        QVERIFY(out.listed >= 2 * seeded);
        // Each save is refused once, in words that say why; the entry stays on screen to be saved elsewhere.
        const QString refused = QStringLiteral("数据库文件“%1”或其所在文件夹是只读的，无法保存").arg(db.path());
        QCOMPARE(out.messages[2], QStringList{refused});
        QVERIFY(!out.saved);
        QVERIFY(out.kept);
        QCOMPARE(out.messages[3], QStringList{refused});
        QVERIFY(out.messages[4].isEmpty());

        // The file is as it was and nothing was left beside it.
        const Snapshot after = snapshot(db.path());
        QVERIFY2(before == after, qPrintable(difference(before, after)));
        // Give the folder back so that it can be cleaned up.
        QCOMPARE(::chmod(folder.constData(), 0700), 0);
    }
};

QTEST_MAIN(TestReadOnly)
#include "tst_readonly.moc"
