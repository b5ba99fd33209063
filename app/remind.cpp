// The reminder's decision and its notification through org.freedesktop.Notifications.
#include "app/remind.h"

#include "data/errors.h"
#include "data/sqlite.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QVariantMap>

#include <cstdio>

namespace remind {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString recordAction = QStringLiteral("record");
// A notification left unanswered that long is not waited for any more.
constexpr int longestWaitMs = 12 * 60 * 60 * 1000;

void say(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

// Receives the server's signals about the one notification sent.
class Answer : public QObject {
    Q_OBJECT
public:
    explicit Answer(uint id) : m_id(id) {}
    QEventLoop loop;
    bool record = false;

public slots:
    void invoked(uint id, const QString& action)
    {
        if (id != m_id || action != recordAction)
            return;
        record = true;
        loop.quit();
    }
    void closed(uint id, uint)
    {
        if (id == m_id)
            loop.quit();
    }

private:
    uint m_id;
};

} // namespace

bool weighedOn(const QString& dataPath, QDate day)
{
    const sqlite::Database db = sqlite::openDataFile(dataPath, sqlite::Access::Read);
    // The times are stored as local ISO text, so one day is a range of texts.
    sqlite::Statement weighed(
        db.get(), QStringLiteral("SELECT 1 FROM rj WHERE time >= ? AND time < ? AND lb > 0 LIMIT 1"), dataPath);
    weighed.bind(1, day.toString(Qt::ISODate));
    weighed.bind(2, day.addDays(1).toString(Qt::ISODate));
    return weighed.step();
}

int now(const QString& dataPath)
{
    if (weighedOn(dataPath, QDate::currentDate()))
        return 0;
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage notify = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("tevu")},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    notify << QStringLiteral("Tevu") << 0u << QStringLiteral("tevu") << QStringLiteral("该称体重了")
           << QStringLiteral("今天还没有记录体重。") << QStringList{recordAction, QStringLiteral("记录")} << hints
           << -1;
    const QDBusMessage reply = bus.isConnected() ? bus.call(notify, QDBus::Block, 25000) : QDBusMessage();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        say(QStringLiteral("没有桌面通知服务，无法发出提醒：今天还没有记录体重。"));
        return 1;
    }
    Answer answer(reply.arguments().constFirst().toUInt());
    // QtDBus connects to a bus signal only by the slot's signature.
    bus.connect(service, path, service, QStringLiteral("ActionInvoked"), &answer, SLOT(invoked(uint, QString)));
    bus.connect(service, path, service, QStringLiteral("NotificationClosed"), &answer, SLOT(closed(uint, uint)));
    QTimer::singleShot(longestWaitMs, &answer.loop, &QEventLoop::quit);
    answer.loop.exec();
    if (answer.record && !QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("--write")}))
        say(QStringLiteral("无法启动 Tevu：%1").arg(QCoreApplication::applicationFilePath()));
    return 0;
}

int daily(const QString& dataPath, QTime time)
{
    // The wall clock is looked at every minute: a timer alone would not count the time the computer slept.
    QDateTime next(QDate::currentDate(), time);
    if (next.secsTo(QDateTime::currentDateTime()) > 12 * 60 * 60)
        next = next.addDays(1);
    QEventLoop loop;
    QTimer minute;
    minute.setInterval(60 * 1000);
    const auto check = [&] {
        if (QDateTime::currentDateTime() < next)
            return;
        minute.stop();
        // A file that cannot be read today (locked, being restored) may be readable tomorrow: said, and waited on.
        try {
            now(dataPath);
        } catch (const std::exception& e) {
            say(QStringLiteral("没有发出提醒：%1").arg(describeException(e)));
        }
        next = QDateTime(QDate::currentDate().addDays(1), time);
        minute.start();
    };
    QObject::connect(&minute, &QTimer::timeout, &loop, check);
    minute.start();
    check();
    return loop.exec();
}

} // namespace remind

#include "remind.moc"
