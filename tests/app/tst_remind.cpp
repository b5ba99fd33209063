// tevu --remind against a real session bus (dbus-daemon) with this test as the notification server: the call and its
// texts when today has no weighing, nothing when it has, and the message when no server answers.
#include "support/tempdb.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDate>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

// What a notification server receives; answers each call with an id, then closes that notification.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit NotificationServer(QDBusConnection bus) : m_bus(bus) {}
    QList<QVariantList> calls;

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int timeout)
    {
        calls << QVariantList{app, replaces, icon, summary, body, actions, timeout};
        const uint id = 40 + static_cast<uint>(calls.size());
        QTimer::singleShot(50, this, [this, id] {
            QDBusMessage closed = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                             QStringLiteral("org.freedesktop.Notifications"),
                                                             QStringLiteral("NotificationClosed"));
            closed << id << 2u;
            m_bus.send(closed);
        });
        return id;
    }

private:
    QDBusConnection m_bus;
};

class TestRemind : public QObject {
    Q_OBJECT

    QProcess m_daemon;
    QString m_address;

    struct Run {
        int status = -1;
        QString err;
    };

    // Runs tevu --remind while this process goes on serving the bus.
    Run remind(const QString& dataPath, const QString& address)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TEVU_BINARY_DIR "/tevu"), {"--data", dataPath, "--remind"});
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
            process.kill(), process.waitForFinished();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_daemon.start(daemon, {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        QVERIFY(m_daemon.waitForReadyRead(20000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
    }

    void cleanupTestCase()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    void remindsUnlessWeighedToday_data()
    {
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
        const QString tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate);
        QTest::addColumn<QString>("diary");
        QTest::addColumn<bool>("reminded");
        QTest::newRow("empty diary") << QString() << true;
        QTest::newRow("weighed today") << QStringLiteral("('%1 06:59:01.000', '', 121.5)").arg(today) << false;
        QTest::newRow("weighed late today") << QStringLiteral("('%1 23:59:59.999', '晚上', 121)").arg(today) << false;
        QTest::newRow("today's entry without a weight")
            << QStringLiteral("('%1 07:00:00.000', '只写了字', NULL)").arg(today) << true;
        QTest::newRow("weighed yesterday and tomorrow")
            << QStringLiteral("('%1 23:59:59.999', '', 120), ('%2 00:00:00.000', '', 120)").arg(yesterday, tomorrow)
            << true;
    }

    void remindsUnlessWeighedToday()
    {
        QFETCH(QString, diary);
        QFETCH(bool, reminded);
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("server"));
        QVERIFY(bus.isConnected());
        NotificationServer server(bus);
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
        TempDatabase data;
        if (!diary.isEmpty())
            data.exec(QStringLiteral("INSERT INTO rj VALUES %1").arg(diary));

        const Run run = remind(data.path(), m_address);
        bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
        QDBusConnection::disconnectFromBus(QStringLiteral("server"));
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        if (!reminded) {
            QCOMPARE(server.calls.size(), 0);
            return;
        }
        QCOMPARE(server.calls.size(), 1);
        const QVariantList& call = server.calls.first();
        QCOMPARE(call[0].toString(), QStringLiteral("Tevu"));
        QCOMPARE(call[2].toString(), QStringLiteral("tevu"));
        QCOMPARE(call[3].toString(), QStringLiteral("该称体重了"));
        QCOMPARE(call[4].toString(), QStringLiteral("今天还没有记录体重。"));
        // Pairs of key and label: the one action 记录.
        QCOMPARE(call[5].toStringList().size(), 2);
        QCOMPARE(call[5].toStringList().at(1), QStringLiteral("记录"));
    }

    void withoutAServiceSaysSo_data()
    {
        QTest::addColumn<bool>("bus");
        QTest::newRow("a bus without a notification server") << true;
        QTest::newRow("no bus at all") << false;
    }

    void withoutAServiceSaysSo()
    {
        QFETCH(bool, bus);
        TempDatabase data;
        const Run run = remind(data.path(), bus ? m_address : QStringLiteral("unix:path=/nonexistent/tevu-bus"));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("没有桌面通知服务")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestRemind)
#include "tst_remind.moc"
