// The pinyin of food names through ICU's Han-Latin and Latin-ASCII transliterators.
#include "foods/pinyin.h"

#include "data/errors.h"

#include <QRegularExpression>
#include <memory>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace pinyin {

namespace {

std::unique_ptr<icu::Transliterator> transliterator(const char* id)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> made(
        icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8(id), UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !made)
        throw DataError(QStringLiteral("无法创建 ICU 的转写规则“%1”（%2），算不出食物名称的拼音")
                            .arg(QString::fromLatin1(id), QString::fromLatin1(u_errorName(status))));
    return made;
}

QString transliterated(icu::Transliterator& rule, const QString& text)
{
    icu::UnicodeString buffer(reinterpret_cast<const UChar*>(text.utf16()), static_cast<int32_t>(text.size()));
    rule.transliterate(buffer);
    return QString(reinterpret_cast<const QChar*>(buffer.getBuffer()), buffer.length());
}

// A syllable as typed: no tone, and ü either as u (what the transliterator writes) or as v.
struct Syllable {
    QString plain;
    QString withV;
};

// The readings of a run of Chinese characters, one per character. The whole run is handed over at once, since the
// transliterator reads some characters by their neighbours (重庆 chong qing, where 重 alone is zhong).
QList<Syllable> syllablesOf(const QList<uint>& run)
{
    static const std::unique_ptr<icu::Transliterator> toLatin = transliterator("Han-Latin");
    static const std::unique_ptr<icu::Transliterator> toAscii = transliterator("Latin-ASCII");
    static const QRegularExpression umlaut(QStringLiteral("[üǖǘǚǜ]"));
    const QString text = QString::fromUcs4(reinterpret_cast<const char32_t*>(run.constData()), run.size());
    QStringList toned = transliterated(*toLatin, text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (toned.size() != run.size()) {
        toned.clear();
        for (const uint c : run)
            toned << transliterated(*toLatin, QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1))
                         .remove(QLatin1Char(' '));
    }
    QList<Syllable> syllables;
    for (const QString& s : std::as_const(toned))
        syllables << Syllable{transliterated(*toAscii, s).toLower(),
                              transliterated(*toAscii, QString(s).replace(umlaut, QStringLiteral("v"))).toLower()};
    return syllables;
}

// A character that is not Chinese is typed as itself when it is a letter or a digit, in any width or case.
QString tokenOf(uint c)
{
    const QString folded =
        QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1).normalized(QString::NormalizationForm_KC).toLower();
    if (folded.size() == 1 && folded.front().unicode() < 0x80 && folded.front().isLetterOrNumber())
        return folded;
    return QStringLiteral("-");
}

} // namespace

QStringList readingsOf(const QString& title, const QList<Word>& polyphones)
{
    const QList<uint> characters = title.toUcs4();
    QList<Syllable> tokens;
    QList<uint> run;
    const auto flush = [&] {
        if (!run.isEmpty())
            tokens << syllablesOf(run);
        run.clear();
    };
    for (const uint c : characters) {
        if (QChar::script(c) == QChar::Script_Han) {
            run << c;
        } else {
            flush();
            const QString token = tokenOf(c);
            tokens << Syllable{token, token};
        }
    }
    flush();

    QList<Syllable> corrected = tokens;
    for (const Word& polyphone : polyphones) {
        const QList<uint> word = polyphone.word.toUcs4();
        for (qsizetype at = 0; at + word.size() <= characters.size(); ++at) {
            if (!std::equal(word.cbegin(), word.cend(), characters.cbegin() + at))
                continue;
            for (qsizetype i = 0; i < word.size(); ++i)
                corrected[at + i] = Syllable{polyphone.syllables.at(i), polyphone.syllables.at(i)};
        }
    }

    QStringList readings;
    for (const QList<Syllable>* reading : {&tokens, &corrected}) {
        QStringList plain;
        QStringList withV;
        for (const Syllable& s : *reading) {
            plain << s.plain;
            withV << s.withV;
        }
        for (const QString& text : {plain.join(QLatin1Char(' ')), withV.join(QLatin1Char(' '))})
            if (!readings.contains(text))
                readings << text;
    }
    return readings;
}

} // namespace pinyin
