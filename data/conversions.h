// Field conversions between stored values and the texts that the user reads and types.
#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace conversions {

// The locale captured when the program started (or set by a test).
QLocale locale();
void setLocale(const QLocale& locale);

// Short date, a space, the long time without milliseconds or zone; the time left out at midnight.
QString dateTimeToText(const QDateTime& value, const QLocale& locale = conversions::locale());
// Shortest general form with up to 15 significant digits and the locale's decimal separator.
QString numberToText(double value, const QLocale& locale = conversions::locale());
// Strict: trimmed, optional sign, digits with the locale's decimal separator, optional exponent.
std::optional<double> textToNumber(const QString& text, const QLocale& locale = conversions::locale());
// Like textToNumber but throws DataError "“<text>”不是数字" (the text as given).
double textToNumberOrThrow(const QString& text, const QLocale& locale = conversions::locale());
// The heaviest body weight, in jin, that the program takes.
inline constexpr double maximumWeight = 2000;
// A body weight in jin as typed: full-width characters (an input method's full-width mode: １２５．５, －, ＋) read as
// their ASCII forms, then textToNumber's rules. Throws DataError with textToNumberOrThrow's message for a text that is
// not a number, and a Chinese one quoting the text as typed for a number below 0 or above maximumWeight.
double textToWeight(const QString& text, const QLocale& locale = conversions::locale());

// OLE Automation date: days since 1899-12-30, the time of day as the fraction.
double toOleDate(const QDateTime& value);
QDateTime fromOleDate(double value);
// The date of fromOleDate(value), without making the date-time: for many points at a time. Invalid where it is.
QDate oleDay(double value);

// Storage form of a date-time: local ISO 8601 with milliseconds ("2026-12-07 08:30:15.123").
QString toStorageText(const QDateTime& value);
std::optional<QDateTime> fromStorageText(const QString& text);
// dateTimeToText and toOleDate of what fromStorageText reads from the UTF-8 bytes of a stored text; nothing when it
// reads nothing. For reading every row: no string is made of the bytes, and no QDateTime where the local zone plainly
// has that wall-clock time.
std::optional<QString> storageUtf8ToText(QByteArrayView utf8, const QLocale& locale = conversions::locale());
std::optional<double> storageUtf8ToOleDate(QByteArrayView utf8);

} // namespace conversions
