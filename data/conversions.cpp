// Field conversions: date-times, numbers and their texts.
#include "data/conversions.h"

#include "data/errors.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace conversions {

namespace {

QLocale& currentLocale()
{
    static QLocale locale = QLocale::system();
    return locale;
}

const QDate oleEpoch(1899, 12, 30);
const qint64 unixEpochJulianDay = QDate(1970, 1, 1).toJulianDay();
constexpr qint64 msPerDay = 86400000;

// The locale's long time format without time zone or milliseconds.
QString timeFormat(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && (c == u't' || c == u'z'))
            continue;
        out += c;
    }
    out.replace(QStringLiteral(".:"), QStringLiteral(":"));
    static const QRegularExpression spaces(QStringLiteral("\\s{2,}"));
    out.replace(spaces, QStringLiteral(" "));
    out = out.trimmed();
    while (out.endsWith(u'.') || out.endsWith(u','))
        out.chop(1);
    return out.isEmpty() ? QStringLiteral("HH:mm:ss") : out;
}

// A date or time format that holds only numeric fields and literal text, formatted without QLocale: a diary
// listing formats every row, and QLocale's formatting (a system-locale query per call) dominated it.
class NumericPattern {
public:
    // Nothing when the format holds names, AM/PM, quotes or anything else that is left to QLocale.
    static std::optional<NumericPattern> compile(const QString& format)
    {
        NumericPattern pattern;
        for (qsizetype i = 0; i < format.size();) {
            const char16_t c = format[i].unicode();
            qsizetype run = 1;
            while (i + run < format.size() && format[i + run].unicode() == c)
                ++run;
            Kind kind = Kind::Text;
            switch (c) {
            case u'y':
                if (run != 2 && run != 4)
                    return std::nullopt;
                kind = run == 4 ? Kind::Year4 : Kind::Year2;
                break;
            case u'M':
                kind = Kind::Month;
                break;
            case u'd':
                kind = Kind::Day;
                break;
            case u'H':
                kind = Kind::Hour;
                break;
            case u'm':
                kind = Kind::Minute;
                break;
            case u's':
                kind = Kind::Second;
                break;
            default:
                if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'\'')
                    return std::nullopt;
                pattern.m_parts.push_back({Kind::Text, 0, format.mid(i, run)});
                i += run;
                continue;
            }
            if (kind != Kind::Year4 && kind != Kind::Year2 && run > 2)
                return std::nullopt;
            pattern.m_parts.push_back({kind, static_cast<int>(run), QString()});
            i += run;
        }
        return pattern;
    }

    // The text of a date and time, made in one piece; nothing for a year outside 1..9999 or a text longer than the
    // buffer.
    std::optional<QString> text(QDate date, QTime time) const
    {
        int year = 0;
        int month = 0;
        int day = 0;
        date.getDate(&year, &month, &day);
        if (year < 1 || year > 9999)
            return std::nullopt;
        std::array<char16_t, 64> buffer{};
        size_t used = 0;
        for (const Part& part : m_parts) {
            if (part.kind == Kind::Text) {
                if (used + static_cast<size_t>(part.text.size()) > buffer.size())
                    return std::nullopt;
                for (const QChar c : part.text)
                    buffer[used++] = c.unicode();
                continue;
            }
            if (used + 4 > buffer.size())
                return std::nullopt;
            int value = 0;
            int width = part.width;
            switch (part.kind) {
            case Kind::Text:
                break;
            case Kind::Year4:
                value = year;
                width = 4;
                break;
            case Kind::Year2:
                value = year % 100;
                width = 2;
                break;
            case Kind::Month:
                value = month;
                break;
            case Kind::Day:
                value = day;
                break;
            case Kind::Hour:
                value = time.hour();
                break;
            case Kind::Minute:
                value = time.minute();
                break;
            case Kind::Second:
                value = time.second();
                break;
            }
            used += writeNumber(buffer.data() + used, value, width);
        }
        return QString(reinterpret_cast<const QChar*>(buffer.data()), static_cast<qsizetype>(used));
    }

private:
    enum class Kind { Text, Year4, Year2, Month, Day, Hour, Minute, Second };
    struct Part {
        Kind kind;
        int width;
        QString text;
    };

    // Writes 0..9999 with leading zeros up to `width`; returns the characters written (at most 4).
    static size_t writeNumber(char16_t* at, int value, int width)
    {
        const int digits = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
        const int length = std::max(digits, width);
        for (int i = length - 1; i >= 0; --i) {
            at[i] = static_cast<char16_t>(u'0' + value % 10);
            value /= 10;
        }
        return static_cast<size_t>(length);
    }

    std::vector<Part> m_parts;
};

// What dateTimeToText needs of one locale, worked out once rather than per row.
struct DateTimeFormats {
    QLocale locale;
    QString time; // timeFormat(locale)
    // Each set only where it gives exactly the locale's own text: the date alone, and the date, a space and the time.
    std::optional<NumericPattern> fastDate;
    std::optional<NumericPattern> fastDateTime;
};

QString localeDateText(const QLocale& locale, QDate date)
{
    return locale.toString(date, QLocale::ShortFormat);
}

DateTimeFormats makeFormats(const QLocale& locale)
{
    const QString time = timeFormat(locale);
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    DateTimeFormats formats{locale, time, NumericPattern::compile(date), NumericPattern::compile(date + u' ' + time)};
    // Checked against the locale itself, so that native digits or a system locale that formats differently from
    // its own patterns keep QLocale's text.
    const std::array<QDateTime, 3> samples{QDateTime(QDate(2026, 12, 31), QTime(21, 5, 9)),
                                           QDateTime(QDate(2001, 2, 3), QTime(4, 0, 7)),
                                           QDateTime(QDate(1999, 10, 11), QTime(12, 34, 56))};
    for (const QDateTime& sample : samples) {
        const QString localeDate = localeDateText(locale, sample.date());
        if (formats.fastDate && formats.fastDate->text(sample.date(), sample.time()) != localeDate)
            formats.fastDate.reset();
        if (formats.fastDateTime && formats.fastDateTime->text(sample.date(), sample.time()) !=
                                        localeDate + u' ' + locale.toString(sample.time(), time))
            formats.fastDateTime.reset();
    }
    return formats;
}

const DateTimeFormats& dateTimeFormats(const QLocale& locale)
{
    thread_local std::optional<DateTimeFormats> cache;
    if (!cache || cache->locale != locale)
        cache = makeFormats(locale);
    return *cache;
}

// The texts of recent numbers in one locale: a diary's weights repeat, and QLocale's formatting is costly.
struct NumberTexts {
    QLocale locale;
    QLocale plain; // the locale without group separators
    struct Entry {
        quint64 bits = 0;
        QString text; // null while unused
    };
    std::array<Entry, 1024> recent;
};

NumberTexts& numberTexts(const QLocale& locale)
{
    thread_local std::unique_ptr<NumberTexts> cache;
    if (!cache || cache->locale != locale) {
        cache = std::make_unique<NumberTexts>();
        cache->locale = locale;
        cache->plain = locale;
        cache->plain.setNumberOptions(QLocale::OmitGroupSeparator);
    }
    return *cache;
}

// One code unit as a number; any byte of a multi-byte UTF-8 sequence is above ASCII, as its character would be.
char16_t unit(QStringView text, qsizetype at)
{
    return text[at].unicode();
}

char16_t unit(QByteArrayView text, qsizetype at)
{
    return static_cast<unsigned char>(text[at]);
}

bool isStorageSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The proleptic Gregorian calendar, as QDate counts it, for years from 1 on.
int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

qint64 julianDay(int year, int month, int day)
{
    const int a = (14 - month) / 12;
    const qint64 y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

// Reads `count` ASCII digits at `at`, moving past them.
template <class Text> bool readDigits(const Text& text, qsizetype& at, qsizetype count, int& value)
{
    if (at + count > text.size())
        return false;
    value = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t c = unit(text, at + i);
        if (!isAsciiDigit(c))
            return false;
        value = value * 10 + (c - u'0');
    }
    at += count;
    return true;
}

} // namespace

QLocale locale()
{
    return currentLocale();
}

void setLocale(const QLocale& locale)
{
    currentLocale() = locale;
}

namespace {

QString dateTimeText(QDate date, QTime time, const QLocale& locale)
{
    const DateTimeFormats& formats = dateTimeFormats(locale);
    const bool withTime = time.hour() != 0 || time.minute() != 0 || time.second() != 0;
    if (withTime && formats.fastDateTime) {
        if (auto text = formats.fastDateTime->text(date, time))
            return std::move(*text);
    }
    // The date alone, or a time with no pattern of its own: the date by its pattern where it has one.
    std::optional<QString> fastDate = formats.fastDate ? formats.fastDate->text(date, time) : std::nullopt;
    QString text = fastDate ? std::move(*fastDate) : localeDateText(locale, date);
    if (withTime)
        text += u' ' + locale.toString(time, formats.time);
    return text;
}

double oleDate(QDate date, QTime time)
{
    const qint64 days = oleEpoch.daysTo(date);
    const double fraction = static_cast<double>(time.msecsSinceStartOfDay()) / msPerDay;
    // Before the epoch the whole days are negative but the time of day still counts forwards.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

} // namespace

QString dateTimeToText(const QDateTime& value, const QLocale& locale)
{
    if (!value.isValid())
        return QString();
    return dateTimeText(value.date(), value.time(), locale);
}

QString numberToText(double value, const QLocale& locale)
{
    NumberTexts& texts = numberTexts(locale);
    quint64 bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    const quint64 slot = (bits ^ (bits >> 29) ^ (bits >> 41)) % texts.recent.size();
    NumberTexts::Entry& entry = texts.recent[static_cast<size_t>(slot)];
    if (entry.text.isNull() || entry.bits != bits) {
        // 'g' with 15 digits gives the shortest form that round-trips at that precision.
        entry.text = texts.plain.toString(value, 'g', 15);
        entry.bits = bits;
    }
    return entry.text;
}

std::optional<double> textToNumber(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    const QString separator = locale.decimalPoint();
    // Compiled once per decimal separator rather than on every call.
    thread_local QString compiledFor;
    thread_local QRegularExpression number;
    if (number.pattern().isEmpty() || compiledFor != separator) {
        number.setPattern(QStringLiteral("^[+-]?(?:[0-9]+(?:%1[0-9]*)?|%1[0-9]+)(?:[eE][+-]?[0-9]+)?$")
                              .arg(QRegularExpression::escape(separator)));
        compiledFor = separator;
    }
    if (!number.match(trimmed).hasMatch())
        return std::nullopt;
    QString plain = trimmed;
    plain.replace(separator, QStringLiteral("."));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double textToNumberOrThrow(const QString& text, const QLocale& locale)
{
    if (const auto value = textToNumber(text, locale))
        return *value;
    throw DataError(QStringLiteral("“%1”不是数字").arg(text));
}

double textToWeight(const QString& text, const QLocale& locale)
{
    QString ascii = text;
    for (QChar& c : ascii) {
        if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
            c = QChar(c.unicode() - 0xFEE0);
        else if (c.unicode() == 0x3000)
            c = u' ';
    }
    const auto value = textToNumber(ascii, locale);
    if (!value)
        throw DataError(QStringLiteral("体重“%1”不是数字").arg(text));
    if (!(*value >= 0.0 && *value <= maximumWeight))
        throw DataError(QStringLiteral("体重“%1”不在 0 到 %2斤之间").arg(text).arg(maximumWeight));
    // -0 is stored and listed as 0.
    return *value + 0.0;
}

double toOleDate(const QDateTime& value)
{
    return oleDate(value.date(), value.time());
}

QDate oleDay(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return QDate();
    const double whole = std::trunc(value);
    auto days = static_cast<qint64>(whole);
    // As fromOleDate: a time of day that rounds up to a whole day is the next day.
    if (std::llround(std::fabs(value - whole) * msPerDay) >= msPerDay)
        ++days;
    return oleEpoch.addDays(days);
}

QDateTime fromOleDate(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return QDateTime();
    const double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * msPerDay);
    qint64 days = static_cast<qint64>(whole);
    if (ms >= msPerDay) {
        // The time of day counts forwards from its day even before the epoch: a rounded-up day is the next one.
        ms -= msPerDay;
        ++days;
    }
    return QDateTime(oleEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

QString toStorageText(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

namespace {

// A stored date-time's fields as written.
struct Fields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int ms = 0;
};

// A stored date-time as written, before the local zone has had its say.
struct WallClock {
    QDate date;
    QTime time;
    // The fields as read, so that the check below need not take the date and time apart again.
    Fields written;
};

// The form that this program writes, yyyy-MM-dd HH:mm:ss.zzz, read straight from its places: nearly every stored
// date-time has it, and a long diary reads one per row.
template <class Text> bool readWrittenForm(const Text& view, Fields& fields)
{
    if (view.size() != 23 || unit(view, 4) != u'-' || unit(view, 7) != u'-' || unit(view, 10) != u' ' ||
        unit(view, 13) != u':' || unit(view, 16) != u':' || unit(view, 19) != u'.')
        return false;
    // Straight-line: any unit that is no digit wraps round to a value above 9 and is caught once at the end.
    unsigned notDigit = 0;
    const auto digit = [&view, &notDigit](qsizetype at) {
        const unsigned value = static_cast<unsigned>(unit(view, at)) - u'0';
        notDigit |= value > 9 ? 1u : 0u;
        return static_cast<int>(value);
    };
    const auto two = [&digit](qsizetype at) { return digit(at) * 10 + digit(at + 1); };
    fields.year = two(0) * 100 + two(2);
    fields.month = two(5);
    fields.day = two(8);
    fields.hour = two(11);
    fields.minute = two(14);
    fields.second = two(17);
    fields.ms = two(20) * 10 + digit(22);
    if (notDigit != 0) {
        fields = Fields();
        return false;
    }
    return true;
}

// Every other form, read by hand rather than by a regular expression: optional spaces, yyyy-MM-dd, then optionally
// " HH:mm" (or "THH:mm"), ":ss" and ".fraction" (milliseconds from its first three digits), optional spaces. Digits
// and spaces are ASCII only.
template <class Text> bool readAnyForm(const Text& view, Fields& fields)
{
    qsizetype at = 0;
    while (at < view.size() && isStorageSpace(unit(view, at)))
        ++at;
    if (!readDigits(view, at, 4, fields.year) || at >= view.size() || unit(view, at) != u'-' ||
        !readDigits(view, ++at, 2, fields.month) || at >= view.size() || unit(view, at) != u'-' ||
        !readDigits(view, ++at, 2, fields.day))
        return false;
    // Each optional part is taken only when it is complete; what is left must be spaces.
    qsizetype next = at;
    int h = 0;
    int m = 0;
    if (next < view.size() && (unit(view, next) == u' ' || unit(view, next) == u'T') &&
        readDigits(view, ++next, 2, h) && next < view.size() && unit(view, next) == u':' &&
        readDigits(view, ++next, 2, m)) {
        fields.hour = h;
        fields.minute = m;
        at = next;
        int s = 0;
        if (next < view.size() && unit(view, next) == u':' && readDigits(view, ++next, 2, s)) {
            fields.second = s;
            at = next;
            if (next + 1 < view.size() && unit(view, next) == u'.' && isAsciiDigit(unit(view, next + 1))) {
                ++next;
                int digits = 0;
                for (; next < view.size() && isAsciiDigit(unit(view, next)); ++next) {
                    if (digits < 3) {
                        fields.ms = fields.ms * 10 + (unit(view, next) - u'0');
                        ++digits;
                    }
                }
                for (; digits < 3; ++digits)
                    fields.ms *= 10;
                at = next;
            }
        }
    }
    while (at < view.size() && isStorageSpace(unit(view, at)))
        ++at;
    return at == view.size();
}

template <class Text> std::optional<WallClock> parseStorageText(const Text& view)
{
    Fields f;
    if (!readWrittenForm(view, f) && !readAnyForm(view, f))
        return std::nullopt;
    // Checked and counted by hand as QDate and QTime would for a four-digit year (there is no year 0): making them
    // from their fields took a third of the whole read.
    if (f.year < 1 || f.month < 1 || f.month > 12 || f.day < 1 || f.day > daysInMonth(f.year, f.month) || f.hour > 23 ||
        f.minute > 59 || f.second > 59)
        return std::nullopt;
    const QDate date = QDate::fromJulianDay(julianDay(f.year, f.month, f.day));
    const QTime time = QTime::fromMSecsSinceStartOfDay(((f.hour * 60 + f.minute) * 60 + f.second) * 1000 + f.ms);
    return WallClock{date, time, f};
}

// True when some instant shows this wall-clock time in the local zone; QDateTime then keeps the date and time as
// given, and only a time that the clocks skipped is moved. Asked of localtime_r because making the QDateTime asks
// mktime, which looks the zone file up again on every call: per row of a long diary, that was most of the time.
bool wallClockExists(const WallClock& value)
{
    // The zone's offset at the previous row: rows in order mostly share it, so one look-up usually settles it.
    thread_local long offset = 0;
    thread_local bool haveOffset = false;
    const qint64 wall =
        (value.date.toJulianDay() - unixEpochJulianDay) * 86400 + value.time.msecsSinceStartOfDay() / 1000;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!haveOffset) {
            const time_t asUtc = static_cast<time_t>(wall);
            tm probe{};
            if (!localtime_r(&asUtc, &probe))
                return false;
            offset = probe.tm_gmtoff;
            haveOffset = true;
        }
        const time_t instant = static_cast<time_t>(wall - offset);
        tm local{};
        if (!localtime_r(&instant, &local))
            return false;
        offset = local.tm_gmtoff;
        const Fields& w = value.written;
        if (local.tm_year + 1900 == w.year && local.tm_mon + 1 == w.month && local.tm_mday == w.day &&
            local.tm_hour == w.hour && local.tm_min == w.minute && local.tm_sec == w.second)
            return true;
    }
    return false;
}

} // namespace

std::optional<QDateTime> fromStorageText(const QString& text)
{
    if (const auto value = parseStorageText(QStringView(text)))
        return QDateTime(value->date, value->time);
    return std::nullopt;
}

std::optional<QString> storageUtf8ToText(QByteArrayView utf8, const QLocale& locale)
{
    const auto value = parseStorageText(utf8);
    if (!value)
        return std::nullopt;
    if (wallClockExists(*value))
        return dateTimeText(value->date, value->time, locale);
    return dateTimeToText(QDateTime(value->date, value->time), locale);
}

std::optional<double> storageUtf8ToOleDate(QByteArrayView utf8)
{
    const auto value = parseStorageText(utf8);
    if (!value)
        return std::nullopt;
    if (wallClockExists(*value))
        return oleDate(value->date, value->time);
    return toOleDate(QDateTime(value->date, value->time));
}

} // namespace conversions
