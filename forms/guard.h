// The handler guard: no exception leaves an event handler; its message goes to the reporter.
#pragma once

#include "data/errors.h"

#include <QString>
#include <exception>
#include <utility>

// Shows (or, in tests, records) the message of an error that stopped a handler.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void report(const QString& message) = 0;
};

// The reporter in use; without one installed, messages go to the log.
void setReporter(Reporter* reporter);
Reporter* reporter();
void reportError(const QString& message);

// Installs a reporter for as long as it lives.
class ScopedReporter {
public:
    explicit ScopedReporter(Reporter* reporter) { setReporter(reporter); }
    ~ScopedReporter() { setReporter(nullptr); }
    ScopedReporter(const ScopedReporter&) = delete;
    ScopedReporter& operator=(const ScopedReporter&) = delete;
};

// The message as the user reads it: a Chinese one ending in a character or digit gets 。, an English one a '.' when
// its last character's code is above '.'; one ending in punctuation or a space is left as it is.
QString withFullStop(const QString& message);

// Runs a handler; an error that leaves it is reported and goes no further.
template <class Handler> void guarded(Handler&& handler)
{
    QString message;
    try {
        std::forward<Handler>(handler)();
        return;
    } catch (const std::exception& e) {
        message = describeException(e);
    } catch (...) {
        message = QStringLiteral("发生未知错误");
    }
    reportError(message);
}
