// The handler guard and the reporter in use.
#include "forms/guard.h"

#include "data/errors.h"

#include <QDebug>

#include <algorithm>

namespace {
Reporter* currentReporter = nullptr;
}

void setReporter(Reporter* reporter)
{
    currentReporter = reporter;
}

Reporter* reporter()
{
    return currentReporter;
}

void reportError(const QString& message)
{
    if (currentReporter)
        currentReporter->report(message);
    else
        qWarning().noquote() << withFullStop(message);
}

namespace {

bool isChinese(QChar c)
{
    return c.script() == QChar::Script_Han;
}

} // namespace

QString withFullStop(const QString& message)
{
    if (message.isEmpty())
        return message;
    const QChar last = message.back();
    // The engine's English messages keep the rule they were written for: a stop after any code above '.'.
    if (std::none_of(message.begin(), message.end(), isChinese))
        return last.unicode() > u'.' ? message + u'.' : message;
    // A Chinese sentence ends in its own full stop, and never gets a second mark after its closing punctuation.
    return last.isLetterOrNumber() ? message + u'。' : message;
}
