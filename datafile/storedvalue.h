// Reading a number the file stores for a user's field, whatever another program may have written there.
#pragma once

#include <QVariant>

#include <optional>

namespace datafile {

// A stored real within [low, high]; anything else (text, an integer written by hand, a value out of range, NULL)
// reads as not given.
inline std::optional<double> numberIn(const QVariant& value, double low, double high)
{
    if (value.typeId() != QMetaType::Double)
        return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= low && number <= high))
        return std::nullopt;
    return number;
}

} // namespace datafile
