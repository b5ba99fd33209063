// Which foods a typed query finds: by the Chinese name, by the pinyin or by its initials, best match first.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <vector>

namespace search {

// How well a food matches, best first; foods of one rank keep the order of the food table.
enum class Rank { ExactName, NamePrefix, InitialsPrefix, PinyinPrefix, Substring };

struct Match {
    qsizetype food; // position in the order the foods were added
    Rank rank;
};

class SearchIndex {
public:
    // Foods in the order of the food table; returns the food's position.
    qsizetype addFood(const QString& title);
    // One way the food's name is typed, as make-data stores it: a token per character of the title (a syllable, a
    // letter or digit, or "-"). A reading that does not line up with the title is left out: the food is still found
    // by its name.
    void addReading(qsizetype food, QByteArrayView utf8Tokens);
    void addReading(qsizetype food, const QString& tokens) { addReading(food, QByteArrayView(tokens.toUtf8())); }

    // Foods eaten often, most often first: within a rank they come before the others, in this order. Replaces what
    // was given before.
    void setPreferred(const std::vector<qsizetype>& foods);

    qsizetype size() const { return static_cast<qsizetype>(m_foods.size()); }
    const QString& title(qsizetype food) const { return m_foods.at(static_cast<std::size_t>(food)).title; }

    // Nothing for a query with nothing to look for (empty, only spaces). A query that goes on from the last one
    // (one more letter typed) looks only at what the last one found.
    QList<Match> find(const QString& query) const;

    // What a query and a name are compared as: half-width, lower case, without spaces and apostrophes (xi'an).
    static QString fold(const QString& text);

private:
    // A character of the name that can be typed, and how: its syllable is `length` letters of m_letters from
    // `syllable`.
    struct Unit {
        char32_t character;
        quint32 syllable;
        quint32 length;
    };
    // The pinyin and the initials are runs of m_letters, the units a run of m_units; readings of one food are
    // chained by `next`.
    struct Reading {
        quint32 pinyin;
        quint32 pinyinLength;
        quint32 initials;
        quint32 units;
        quint32 unitCount;
        qint32 next;
    };
    struct Food {
        QString title;
        quint32 name; // the folded title, in m_names
        quint32 nameLength;
        qint32 firstReading = -1;
    };
    // What the last search looked for and found (positions in table order), to narrow the next one.
    struct Last {
        QString query;
        bool mixed = false;
        std::vector<quint32> found;
    };

    bool mixedMatchAt(const Unit* units, quint32 count, quint32 unit, const std::u32string& query,
                      std::size_t at) const;

    std::vector<Food> m_foods;
    std::u16string m_names;
    std::string m_letters;
    std::vector<Unit> m_units;
    std::vector<Reading> m_readings;
    mutable std::optional<Last> m_last;
    // Each food's place among the preferred, from 1; 0 for the others.
    std::vector<quint32> m_preference;
};

} // namespace search
