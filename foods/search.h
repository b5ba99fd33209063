// Which foods a typed query finds: by the Chinese name, by the pinyin or by its initials, best match first.
#pragma once

#include <QList>
#include <QString>

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
    void addReading(qsizetype food, const QString& tokens);

    qsizetype size() const { return m_foods.size(); }
    const QString& title(qsizetype food) const { return m_foods.at(food).title; }

    // Nothing for a query with nothing to look for (empty, only spaces).
    QList<Match> find(const QString& query) const;

    // What a query and a name are compared as: half-width, lower case, without spaces and apostrophes (xi'an).
    static QString fold(const QString& text);

private:
    // A character of the name that can be typed, and how.
    struct Unit {
        uint character;
        QString syllable;
    };
    struct Reading {
        QString pinyin;
        QString initials;
        QList<Unit> units;
    };
    struct Food {
        QString title;
        QString folded;
        QList<Reading> readings;
    };
    static bool mixedMatchAt(const QList<Unit>& units, qsizetype unit, const QList<uint>& query, qsizetype at);

    QList<Food> m_foods;
};

} // namespace search
