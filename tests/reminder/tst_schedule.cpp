// Turning the daily reminder on and off in a temporary XDG_CONFIG_HOME, with systemctl replaced by a recorder: the
// timer where the user manager takes it, the autostart entry where it does not, and nothing left behind when off.
#include "data/errors.h"
#include "reminder/schedule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestSchedule : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    QList<QStringList> m_calls;
    int m_status = 0;

    QString unit(const QString& name) const { return m_config.filePath("systemd/user/" + name); }
    QString entry() const { return m_config.filePath("autostart/tevu-remind.desktop"); }
    QStringList left() const
    {
        QStringList files;
        for (const QString& folder : {QStringLiteral("systemd/user"), QStringLiteral("autostart")})
            for (const QString& file : QDir(m_config.filePath(folder)).entryList(QDir::Files | QDir::Hidden))
                files << folder + u'/' + file;
        return files;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), m_config.path());
        reminder::setSystemctl([this](const QStringList& arguments) {
            m_calls << arguments;
            return m_status;
        });
    }

    void init()
    {
        m_calls.clear();
        reminder::setProgram(QStringLiteral("/opt/my apps/tevu"));
    }

    void cleanup() { QDir(m_config.path()).removeRecursively(), QDir().mkpath(m_config.path()); }

    void timerWhereTheUserManagerRuns()
    {
        m_status = 0;
        QCOMPARE(reminder::enable(QTime(7, 30, 45)), reminder::Way::SystemdTimer);
        QVERIFY2(read(unit("tevu-remind.timer")).contains("\nOnCalendar=*-*-* 07:30:00\n"),
                 qPrintable(read(unit("tevu-remind.timer"))));
        QVERIFY(read(unit("tevu-remind.timer")).contains("\nWantedBy=timers.target"));
        QVERIFY2(read(unit("tevu-remind.service")).contains("\nExecStart=\"/opt/my apps/tevu\" --remind\n"),
                 qPrintable(read(unit("tevu-remind.service"))));
        QCOMPARE(m_calls, (QList<QStringList>{
                              {"daemon-reload"}, {"enable", "tevu-remind.timer"}, {"restart", "tevu-remind.timer"}}));
        QCOMPARE(reminder::installedTime(), std::optional<QTime>(QTime(7, 30)));

        m_calls.clear();
        reminder::disable();
        QCOMPARE(m_calls, (QList<QStringList>{{"disable", "--now", "tevu-remind.timer"}, {"daemon-reload"}}));
        QCOMPARE(left(), QStringList());
        QCOMPARE(reminder::installedTime(), std::nullopt);
    }

    void autostartWithoutUserSystemd_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("systemctl missing") << -1;
        QTest::newRow("no user manager") << 1;
    }

    void autostartWithoutUserSystemd()
    {
        QFETCH(int, status);
        m_status = 0;
        reminder::enable(QTime(6, 0));
        m_status = status;
        QCOMPARE(reminder::enable(QTime(21, 5)), reminder::Way::Autostart);
        QCOMPARE(left(), QStringList{"autostart/tevu-remind.desktop"});
        QVERIFY2(read(entry()).contains("\nExec=\"/opt/my apps/tevu\" --remind-at 21:05\n"), qPrintable(read(entry())));
        QCOMPARE(reminder::installedTime(), std::optional<QTime>(QTime(21, 5)));

        m_status = 0;
        QCOMPARE(reminder::enable(QTime(7, 30)), reminder::Way::SystemdTimer);
        QCOMPARE(left(), (QStringList{"systemd/user/tevu-remind.service", "systemd/user/tevu-remind.timer"}));
        reminder::disable();
        QCOMPARE(left(), QStringList());
    }

    void programPathQuoted_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("execStart");
        QTest::addColumn<QString>("exec");
        QTest::newRow("percent and dollar") << "/home/li/100%$x/tevu"
                                            << "\"/home/li/100%%$$x/tevu\" --remind"
                                            << "\"/home/li/100%%\\\\$x/tevu\" --remind-at 07:30";
        QTest::newRow("quote and backslash") << "/home/li/a\"b\\c/tevu"
                                             << "\"/home/li/a\\\"b\\\\c/tevu\" --remind"
                                             << "\"/home/li/a\\\\\"b\\\\\\\\c/tevu\" --remind-at 07:30";
    }

    void programPathQuoted()
    {
        QFETCH(QString, program);
        QFETCH(QString, execStart);
        QFETCH(QString, exec);
        reminder::setProgram(program);
        m_status = 0;
        reminder::enable(QTime(7, 30));
        QVERIFY2(read(unit("tevu-remind.service")).contains("\nExecStart=" + execStart + "\n"),
                 qPrintable(read(unit("tevu-remind.service"))));
        m_status = 1;
        reminder::enable(QTime(7, 30));
        QVERIFY2(read(entry()).contains("\nExec=" + exec + "\n"), qPrintable(read(entry())));
    }

    void aPathWithANewlineIsRefused()
    {
        reminder::setProgram(QStringLiteral("/tmp/a\nExecStartPre=/bin/rm/tevu"));
        QVERIFY_THROWS_EXCEPTION(DataError, reminder::enable(QTime(7, 30)));
        QCOMPARE(left(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSchedule)
#include "tst_schedule.moc"
