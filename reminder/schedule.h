// The daily reminder to weigh in, as the user turns it on and off: a per-user systemd timer, or where the session has
// no user systemd, an XDG autostart entry that waits for the time.
#pragma once

#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>

namespace reminder {

// What the goal window offers before the user picks a time.
inline QTime defaultTime()
{
    return QTime(7, 30);
}

enum class Way {
    SystemdTimer, // ~/.config/systemd/user/tevu-remind.{service,timer}, enabled with systemctl --user
    Autostart,    // ~/.config/autostart/tevu-remind.desktop: started with the session, waits for the time
};

// Installs the daily reminder at `time` (minutes count, seconds do not), replacing one installed before, and says
// which way it took. The timer when `systemctl --user` accepts it, else the autostart entry. Throws DataError with the
// reason when neither can be written.
Way enable(QTime time);
// Removes whatever enable() installed; nothing to remove is no error. Throws DataError when a file stays.
void disable();
// The time of the installed reminder, if one is installed.
std::optional<QTime> installedTime();

// Runs `systemctl --user` with these arguments and gives its exit status, or -1 when it could not be run. Tests
// replace it so as never to touch the real user manager; an empty function restores the real one.
using Systemctl = std::function<int(const QStringList& arguments)>;
void setSystemctl(Systemctl systemctl);
// The program that the reminder runs: this executable unless a test names another.
void setProgram(const QString& path);

} // namespace reminder
