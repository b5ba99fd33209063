// Fuzz target: the strict conversion of a typed weight into a number.
#include "data/conversions.h"
#include "data/errors.h"
#include "fuzz_support.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

const QLocale& localeFor(std::uint8_t selector)
{
    // The program's own, the plain C one, and two that write a decimal comma.
    static const QLocale locales[] = {QLocale(QLocale::Chinese, QLocale::China), QLocale::c(),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::French, QLocale::France)};
    return locales[selector % 4];
}

bool onlyNumberCharacters(const QString& text, const QLocale& locale)
{
    const QString separator = locale.decimalPoint();
    const QString trimmed = text.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'e' || c == u'E' ||
            trimmed.mid(i, separator.size()) == separator)
            continue;
        return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QLocale& locale = localeFor(data[0]);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const std::optional<double> value = conversions::textToNumber(text, locale);

    bool threw = false;
    double thrown = 0;
    try {
        thrown = conversions::textToNumberOrThrow(text, locale);
    } catch (const DataError& e) {
        threw = true;
        if (e.message() != QStringLiteral("“%1”不是数字").arg(text))
            fuzz::finding("the refusal has another text:", e.message());
    }
    if (threw == value.has_value())
        fuzz::finding("the two conversions disagree on", text);
    if (!value)
        return 0;
    if (!std::isfinite(*value))
        fuzz::finding("accepted a value that is not finite:", text);
    if (thrown != *value)
        fuzz::finding("the two conversions give different values for", text);
    if (!onlyNumberCharacters(text, locale))
        fuzz::finding("accepted a text with more than a number in it:", text);
    // The number as the program shows it reads back as the same number, to the 15 digits it shows (at the very
    // top of the range, rounding to 15 digits can step past the largest double).
    if (std::fabs(*value) > 1e300)
        return 0;
    const QString shown = conversions::numberToText(*value, locale);
    const std::optional<double> again = conversions::textToNumber(shown, locale);
    if (!again || std::fabs(*again - *value) > 1e-14 * std::fabs(*value))
        fuzz::finding("the shown number does not read back:", text + QStringLiteral(" -> ") + shown);
    return 0;
}
