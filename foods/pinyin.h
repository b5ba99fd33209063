// The ways a food's name is typed: the pinyin of its characters through ICU's transliterator, one token per
// character, for make-data's shipped foods and for the foods a user adds.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace pinyin {

// A word that the transliterator reads otherwise than people type it ("薄荷 bo he"): one syllable per character.
struct Word {
    QString word;
    QStringList syllables;
};

// The readings of a food's name, each a token per character separated by spaces: a syllable (lower case, no tone)
// for a Chinese character, the character itself for an ASCII letter or digit (folded from full width and upper case),
// "-" for anything else. A word of `polyphones` in the name adds a reading with its syllables; a syllable with ü adds
// one written with v, as pinyin keyboards take it. Throws DataError when ICU cannot make its transliterator.
QStringList readingsOf(const QString& title, const QList<Word>& polyphones = {});

} // namespace pinyin
