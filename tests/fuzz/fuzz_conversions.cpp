// Fuzz target: the conversions between stored date-times, OLE dates, numbers and the texts the user reads.
#include "data/conversions.h"
#include "fuzz_support.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

const QLocale& localeFor(std::uint8_t selector)
{
    static const QLocale locales[] = {QLocale(QLocale::Chinese, QLocale::China), QLocale::c(),
                                      QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany)};
    return locales[selector % 4];
}

// An OLE date as days on one line: its whole days, then the time of day, which is the fraction's size whatever
// the sign (-1.25 is 06:00 on the day before the epoch, and -0.25 is 06:00 on the epoch itself).
double moment(double ole)
{
    const double whole = std::trunc(ole);
    return whole + std::fabs(ole - whole);
}

double doubleFrom(const std::uint8_t* data, std::size_t size)
{
    double value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    return value;
}

void checkDateTime(const QDateTime& value, const QLocale& locale, const QString& input)
{
    if (!value.isValid())
        fuzz::finding("an accepted date-time is not valid:", input);
    const QString shownAnyway = conversions::dateTimeToText(value, locale);
    // The stored form has four-digit years: outside them only "no crash" is asked.
    if (value.date().year() < 1 || value.date().year() > 9999)
        return;
    // The stored form reads back as the same moment, to the millisecond.
    const QString stored = conversions::toStorageText(value);
    const std::optional<QDateTime> back = conversions::fromStorageText(stored);
    if (!back || *back != value)
        fuzz::finding("the stored form does not read back:", input + QStringLiteral(" -> ") + stored);
    // As an OLE date and back: the same moment.
    const double ole = conversions::toOleDate(value);
    if (!std::isfinite(ole) || conversions::fromOleDate(ole) != value)
        fuzz::finding("the OLE date does not read back:",
                      input + QStringLiteral(" -> ") + QString::number(ole, 'g', 17));
    const QString& shown = shownAnyway;
    const QString date = locale.toString(value.date(), QLocale::ShortFormat);
    if (!shown.startsWith(date))
        fuzz::finding("the listed text does not start with the locale's date:", input + QStringLiteral(" -> ") + shown);
    const bool midnight = value.time().hour() == 0 && value.time().minute() == 0 && value.time().second() == 0;
    if (midnight != (shown == date))
        fuzz::finding("the time is shown at midnight or left out at another time:",
                      input + QStringLiteral(" -> ") + shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const QLocale& locale = localeFor(data[1]);
    const std::uint8_t* rest = data + 2;
    const std::size_t restSize = size - 2;
    switch (data[0] % 3) {
    case 0: {
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(rest), static_cast<qsizetype>(restSize));
        if (const std::optional<QDateTime> value = conversions::fromStorageText(text))
            checkDateTime(*value, locale, text);
        break;
    }
    case 1: {
        const double ole = doubleFrom(rest, restSize);
        const QDateTime value = conversions::fromOleDate(ole);
        if (value.isValid()) {
            // The same moment, within the millisecond that the conversion rounds to.
            if (std::fabs(moment(conversions::toOleDate(value)) - moment(ole)) > 1.0 / 86400000)
                fuzz::finding("an OLE date comes back as another moment:", QString::number(ole, 'g', 17));
            checkDateTime(value, locale, QString::number(ole, 'g', 17));
        } else if (std::isfinite(ole) && std::fabs(ole) < 2.9e6) {
            fuzz::finding("an OLE date within the calendar gave no moment:", QString::number(ole, 'g', 17));
        }
        break;
    }
    default: {
        const double number = doubleFrom(rest, restSize);
        const QString shown = conversions::numberToText(number, locale);
        const std::optional<double> again = conversions::textToNumber(shown, locale);
        // At the very top of the range, rounding to the 15 digits shown can step past the largest double.
        if (std::fabs(number) <= 1e300 && (!again || std::fabs(*again - number) > 1e-14 * std::fabs(number)))
            fuzz::finding("a shown number does not read back:", shown);
        if (!std::isfinite(number) && again)
            fuzz::finding("a number that is not finite reads back from", shown);
        break;
    }
    }
    return 0;
}
