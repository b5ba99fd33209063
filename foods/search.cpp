// The food search: matching by name, pinyin and initials, and the ranking.
#include "foods/search.h"

#include <QStringList>
#include <algorithm>
#include <optional>

namespace search {

namespace {

bool isChinese(uint c)
{
    return QChar::script(c) == QChar::Script_Han;
}

bool isAsciiLetter(uint c)
{
    return (c >= 'a' && c <= 'z');
}

} // namespace

QString SearchIndex::fold(const QString& text)
{
    QString folded = text.normalized(QString::NormalizationForm_KC).toLower();
    folded.removeIf([](QChar c) { return c.isSpace() || c == u'\'' || c == u'’'; });
    return folded;
}

qsizetype SearchIndex::addFood(const QString& title)
{
    m_foods.append(Food{title, fold(title), {}});
    return m_foods.size() - 1;
}

void SearchIndex::addReading(qsizetype food, const QString& tokens)
{
    Food& target = m_foods[food];
    const QList<uint> characters = target.title.toUcs4();
    const QStringList syllables = tokens.split(u' ', Qt::SkipEmptyParts);
    if (syllables.size() != characters.size())
        return;
    Reading reading;
    for (qsizetype i = 0; i < syllables.size(); ++i) {
        const QString& syllable = syllables.at(i);
        if (syllable == u"-")
            continue;
        if (!std::all_of(syllable.cbegin(), syllable.cend(),
                         [](QChar c) { return isAsciiLetter(c.unicode()) || (c >= u'0' && c <= u'9'); }))
            return;
        const QList<uint> folded =
            fold(QString::fromUcs4(reinterpret_cast<const char32_t*>(&characters.at(i)), 1)).toUcs4();
        reading.pinyin += syllable;
        reading.initials += syllable.front();
        reading.units.append(Unit{folded.size() == 1 ? folded.front() : 0, syllable});
    }
    target.readings.append(reading);
}

// From the unit at `unit`, each character of the query at `at` on is the character itself, a whole syllable, or a
// syllable's initial; the query may end inside a syllable ("米fa" for 米饭).
bool SearchIndex::mixedMatchAt(const QList<Unit>& units, qsizetype unit, const QList<uint>& query, qsizetype at)
{
    if (at == query.size())
        return true;
    if (unit == units.size())
        return false;
    const Unit& u = units.at(unit);
    const uint c = query.at(at);
    if (c == u.character && mixedMatchAt(units, unit + 1, query, at + 1))
        return true;
    if (!isAsciiLetter(c) || u.syllable.front().unicode() != c)
        return false;
    qsizetype length = 1;
    while (length < u.syllable.size() && at + length < query.size() &&
           query.at(at + length) == u.syllable.at(length).unicode())
        ++length;
    if (at + length == query.size())
        return true; // the query ends inside (or at the end of) this syllable
    if (length == u.syllable.size() && mixedMatchAt(units, unit + 1, query, at + length))
        return true;
    // Only the initial (a one-letter syllable was tried whole above).
    return u.syllable.size() > 1 && mixedMatchAt(units, unit + 1, query, at + 1);
}

QList<Match> SearchIndex::find(const QString& query) const
{
    const QString q = fold(query);
    QList<Match> matches;
    if (q.isEmpty())
        return matches;
    const QList<uint> characters = q.toUcs4();
    // A query of both Chinese characters and letters (米f) can only match character by character; one of letters
    // alone matches the whole pinyin or the initials, as the user types them.
    const bool mixed = std::any_of(characters.cbegin(), characters.cend(), isChinese) &&
                       std::any_of(characters.cbegin(), characters.cend(), isAsciiLetter);
    for (qsizetype f = 0; f < m_foods.size(); ++f) {
        const Food& food = m_foods.at(f);
        std::optional<Rank> best;
        const auto consider = [&best](Rank rank) {
            if (!best || rank < *best)
                best = rank;
        };
        if (food.folded.startsWith(q))
            consider(food.folded.size() == q.size() ? Rank::ExactName : Rank::NamePrefix);
        else if (food.folded.contains(q))
            consider(Rank::Substring);
        for (const Reading& reading : food.readings) {
            if (best && *best <= Rank::InitialsPrefix)
                break;
            if (mixed) {
                for (qsizetype u = 0; u < reading.units.size(); ++u)
                    if (mixedMatchAt(reading.units, u, characters, 0)) {
                        consider(u == 0 ? Rank::PinyinPrefix : Rank::Substring);
                        break;
                    }
                continue;
            }
            if (reading.initials.startsWith(q))
                consider(Rank::InitialsPrefix);
            else if (reading.pinyin.startsWith(q))
                consider(Rank::PinyinPrefix);
            else if (reading.pinyin.contains(q))
                consider(Rank::Substring);
        }
        if (best)
            matches.append(Match{f, *best});
    }
    std::stable_sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) { return a.rank < b.rank; });
    return matches;
}

} // namespace search
