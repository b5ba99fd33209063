// The data layer's error type.
#include "data/errors.h"

#include <new>

DataError::DataError(const QString& message, int code, int extendedCode)
    : std::runtime_error(message.toStdString()), m_message(message), m_code(code), m_extendedCode(extendedCode)
{}

QString describeException(const std::exception& e)
{
    if (const auto* data = dynamic_cast<const DataError*>(&e))
        return data->message();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("内存不足，操作没有完成");
    return QString::fromUtf8(e.what());
}
