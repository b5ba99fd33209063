// The one error type of the data layer: a user-facing message plus the engine's result code.
#pragma once

#include <QString>
#include <stdexcept>

class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message, int code = 0, int extendedCode = 0);

    const QString& message() const { return m_message; }
    // SQLite result codes; 0 for errors that the data layer raises itself.
    int code() const { return m_code; }
    int extendedCode() const { return m_extendedCode; }

private:
    QString m_message;
    int m_code;
    int m_extendedCode;
};

// The message of any error as the user reads it: a DataError's own, a Chinese one for memory running out, or the
// exception's text.
QString describeException(const std::exception& e);
