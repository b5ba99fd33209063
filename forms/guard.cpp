// The handler guard and the reporter in use.
#include "forms/guard.h"

#include "data/errors.h"

#include <QDebug>

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

QString withFullStop(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}
