// Field conversions: date-times, numbers and their texts.
#include "data/conversions.h"

#include "data/errors.h"

#include <QRegularExpression>
#include <cmath>

namespace conversions {

namespace {

QLocale& currentLocale()
{
    static QLocale locale = QLocale::system();
    return locale;
}

const QDate oleEpoch(1899, 12, 30);
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

} // namespace

QLocale locale()
{
    return currentLocale();
}

void setLocale(const QLocale& locale)
{
    currentLocale() = locale;
}

QString dateTimeToText(const QDateTime& value, const QLocale& locale)
{
    if (!value.isValid())
        return QString();
    const QString date = locale.toString(value.date(), QLocale::ShortFormat);
    const QTime time = value.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + u' ' + locale.toString(time, timeFormat(locale));
}

QString numberToText(double value, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    // 'g' with 15 digits gives the shortest form that round-trips at that precision.
    return plain.toString(value, 'g', 15);
}

std::optional<double> textToNumber(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    const QString separator = locale.decimalPoint();
    const QString pattern = QStringLiteral("^[+-]?(?:[0-9]+(?:%1[0-9]*)?|%1[0-9]+)(?:[eE][+-]?[0-9]+)?$")
                                .arg(QRegularExpression::escape(separator));
    const QRegularExpression number(pattern);
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
    throw DataError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

double toOleDate(const QDateTime& value)
{
    const qint64 days = oleEpoch.daysTo(value.date());
    const double fraction = static_cast<double>(value.time().msecsSinceStartOfDay()) / msPerDay;
    // Before the epoch the whole days are negative but the time of day still counts forwards.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

QDateTime fromOleDate(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return QDateTime();
    const double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * msPerDay);
    qint64 days = static_cast<qint64>(whole);
    if (ms >= msPerDay) {
        ms -= msPerDay;
        days += value >= 0 ? 1 : -1;
    }
    return QDateTime(oleEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

QString toStorageText(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

std::optional<QDateTime> fromStorageText(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{4})-(\\d{2})-(\\d{2})(?:[ T](\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3})\\d*)?)?)?\\s*$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    QString msText = m.captured(7);
    while (!msText.isEmpty() && msText.size() < 3)
        msText += u'0';
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), msText.toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

} // namespace conversions
