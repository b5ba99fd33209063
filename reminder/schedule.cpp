// Writes and removes the reminder's unit files or autostart entry from the templates in packaging/.
#include "reminder/schedule.h"

#include "data/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

// Outside any namespace, as the resource's initialiser is declared there.
static void loadTemplates()
{
    Q_INIT_RESOURCE(reminder);
}

namespace reminder {

namespace {

const QString service = QStringLiteral("tevu-remind.service");
const QString timer = QStringLiteral("tevu-remind.timer");
const QString autostart = QStringLiteral("tevu-remind.desktop");

Systemctl& systemctlHook()
{
    static Systemctl hook;
    return hook;
}

QString& programHook()
{
    static QString path;
    return path;
}

int systemctl(const QStringList& arguments)
{
    if (systemctlHook())
        return systemctlHook()(arguments);
    QProcess process;
    process.start(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

QString program()
{
    const QString path = programHook().isEmpty() ? QCoreApplication::applicationFilePath() : programHook();
    if (path.contains(u'\n') || path.contains(u'\r'))
        throw DataError(QStringLiteral("程序的路径“%1”含有换行，无法写进提醒的设置").arg(path));
    return path;
}

QString configFolder(const QString& below)
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(below);
}

QString unitFolder()
{
    return configFolder(QStringLiteral("systemd/user"));
}

QString autostartFolder()
{
    return configFolder(QStringLiteral("autostart"));
}

QString fromTemplate(const QString& name, QTime time, const QString& quotedProgram)
{
    loadTemplates();
    QFile file(QStringLiteral(":/reminder/%1.in").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("程序缺少提醒的模板“%1”").arg(name));
    return QString::fromUtf8(file.readAll())
        .replace(QStringLiteral("@TIME@"), time.toString(QStringLiteral("HH:mm")))
        .replace(QStringLiteral("@PROGRAM@"), quotedProgram);
}

// systemd's quoting: in double quotes, backslash and quote escaped; % and $ doubled, as systemd expands them.
QString forSystemd(QString path)
{
    path.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    path.replace(u'%', QStringLiteral("%%")).replace(u'$', QStringLiteral("$$"));
    return u'"' + path + u'"';
}

// The desktop entry's Exec quoting, then its string escape, which doubles every backslash once more.
QString forDesktopEntry(const QString& path)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c == u'%' ? QStringLiteral("%%") : QString(c);
    }
    quoted += u'"';
    return quoted.replace(u'\\', QStringLiteral("\\\\"));
}

void write(const QString& folder, const QString& name, const QString& text)
{
    if (!QDir().mkpath(folder))
        throw DataError(QStringLiteral("无法创建文件夹“%1”").arg(folder));
    QSaveFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw DataError(QStringLiteral("无法写入文件“%1”").arg(file.fileName()));
}

void remove(const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo(path).isSymLink() || QFileInfo::exists(path))
        if (!QFile::remove(path))
            throw DataError(QStringLiteral("无法删除文件“%1”").arg(path));
}

bool timerInstalled()
{
    return QFileInfo::exists(QDir(unitFolder()).filePath(timer)) ||
           QFileInfo::exists(QDir(unitFolder()).filePath(service));
}

void removeTimer()
{
    if (!timerInstalled())
        return;
    // Stopped before its files go; a manager that is not running has nothing to stop.
    systemctl({QStringLiteral("disable"), QStringLiteral("--now"), timer});
    remove(unitFolder(), timer);
    remove(unitFolder(), service);
    systemctl({QStringLiteral("daemon-reload")});
}

std::optional<QTime> timeIn(const QString& path, const QRegularExpression& pattern)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(file.readAll()));
    if (!match.hasMatch())
        return std::nullopt;
    const QTime time = QTime::fromString(match.captured(1), QStringLiteral("HH:mm"));
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

} // namespace

Way enable(QTime time)
{
    if (!time.isValid())
        throw DataError(QStringLiteral("提醒的时间无效"));
    time = QTime(time.hour(), time.minute());
    const QString path = program();
    write(unitFolder(), service, fromTemplate(service, time, forSystemd(path)));
    write(unitFolder(), timer, fromTemplate(timer, time, forSystemd(path)));
    const bool started = systemctl({QStringLiteral("daemon-reload")}) == 0 &&
                         systemctl({QStringLiteral("enable"), timer}) == 0 &&
                         systemctl({QStringLiteral("restart"), timer}) == 0;
    if (started) {
        remove(autostartFolder(), autostart);
        return Way::SystemdTimer;
    }
    removeTimer();
    write(autostartFolder(), autostart, fromTemplate(autostart, time, forDesktopEntry(path)));
    return Way::Autostart;
}

void disable()
{
    removeTimer();
    remove(autostartFolder(), autostart);
}

std::optional<QTime> installedTime()
{
    static const QRegularExpression calendar(QStringLiteral("^OnCalendar=\\*-\\*-\\* (\\d\\d:\\d\\d):00$"),
                                             QRegularExpression::MultilineOption);
    static const QRegularExpression waiting(QStringLiteral("^Exec=.* --remind-at (\\d\\d:\\d\\d)$"),
                                            QRegularExpression::MultilineOption);
    if (const std::optional<QTime> time = timeIn(QDir(unitFolder()).filePath(timer), calendar))
        return time;
    return timeIn(QDir(autostartFolder()).filePath(autostart), waiting);
}

void setSystemctl(Systemctl replacement)
{
    systemctlHook() = std::move(replacement);
}

void setProgram(const QString& path)
{
    programHook() = path;
}

} // namespace reminder
