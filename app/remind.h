// tevu --remind: a desktop notification to weigh in, unless today's weight is already in the diary.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace remind {

// True when the diary holds an entry with a weight on `day` (local time, as the diary stores it).
bool weighedOn(const QString& dataPath, QDate day);

// Sends the notification when today has no weighing and waits until it is answered or closed; its action 记录 starts
// Tevu. Exit status: 0 weighed or reminded, 1 no notification service (said on standard error).
int now(const QString& dataPath);

// For the autostart entry, which starts with the session: reminds at `time` every day until the session ends; a
// session that starts up to twelve hours after the time reminds at once.
int daily(const QString& dataPath, QTime time);

} // namespace remind
