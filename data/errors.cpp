// The data layer's error type.
#include "data/errors.h"

DataError::DataError(const QString& message, int code, int extendedCode)
    : std::runtime_error(message.toStdString()), m_message(message), m_code(code), m_extendedCode(extendedCode)
{}
