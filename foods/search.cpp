// The food search: matching by name, pinyin and initials, and the ranking.
#include "foods/search.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

namespace search {

namespace {

bool isChinese(char32_t c)
{
    return QChar::script(c) == QChar::Script_Han;
}

bool isAsciiLetter(char32_t c)
{
    return (c >= 'a' && c <= 'z');
}

// The fold of a character that normalisation, case and the removed characters leave as it is or map to one ASCII
// letter: ASCII, and the unified ideographs that almost every food name is made of. Nothing (-1) for any other, which
// takes the whole normalisation.
int quickFold(char16_t c)
{
    if (c < 0x80) {
        if (c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\'')
            return 0;
        return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
    }
    return c >= 0x4E00 && c <= 0x9FFF ? c : -1;
}

// The folded text, without making a string when the quick fold covers all of it.
void appendFolded(QStringView text, std::u16string& to)
{
    const std::size_t start = to.size();
    for (const QChar c : text) {
        const int folded = quickFold(c.unicode());
        if (folded < 0) {
            to.resize(start);
            const QString slow = SearchIndex::fold(text.toString());
            to.append(reinterpret_cast<const char16_t*>(slow.utf16()), static_cast<std::size_t>(slow.size()));
            return;
        }
        if (folded > 0)
            to.push_back(static_cast<char16_t>(folded));
    }
}

// The folded character as one code point; 0 when it folds to nothing or to more than one.
char32_t foldedCharacter(char32_t c)
{
    if (c < 0x10000) {
        const int quick = quickFold(static_cast<char16_t>(c));
        if (quick >= 0)
            return static_cast<char32_t>(quick);
    }
    const QList<uint> folded = SearchIndex::fold(QString::fromUcs4(&c, 1)).toUcs4();
    return folded.size() == 1 ? folded.front() : 0;
}

// The code point at `at`, which moves past it; a lone surrogate reads as U+FFFD, as QString::toUcs4 has it.
char32_t nextCharacter(QStringView text, qsizetype& at)
{
    const QChar c = text[at++];
    if (c.isHighSurrogate() && at < text.size() && text[at].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[at++]);
    return c.isSurrogate() ? char32_t(QChar::ReplacementCharacter) : char32_t(c.unicode());
}

bool isSyllableCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
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
    m_last.reset();
    const auto name = static_cast<quint32>(m_names.size());
    appendFolded(title, m_names);
    m_foods.push_back(Food{title, name, static_cast<quint32>(m_names.size()) - name});
    return size() - 1;
}

void SearchIndex::setPreferred(const std::vector<qsizetype>& foods)
{
    m_preference.assign(m_foods.size(), 0);
    quint32 place = 0;
    for (const qsizetype food : foods)
        if (food >= 0 && food < size() && m_preference[static_cast<std::size_t>(food)] == 0)
            m_preference[static_cast<std::size_t>(food)] = ++place;
}

void SearchIndex::addReading(qsizetype food, QByteArrayView utf8Tokens)
{
    m_last.reset();
    Food& target = m_foods.at(static_cast<std::size_t>(food));
    Reading reading{static_cast<quint32>(m_letters.size()), 0, 0, static_cast<quint32>(m_units.size()), 0, -1};
    // What this reading added is taken back when it turns out not to line up.
    const auto leaveOut = [this, &reading] {
        m_letters.resize(reading.pinyin);
        m_units.resize(reading.units);
    };
    // Bytes, not characters: a syllable is ASCII, and a byte of any other character fails it as that character
    // would.
    const QStringView title = target.title;
    qsizetype at = 0;
    const char* token = utf8Tokens.data();
    const char* const end = token + utf8Tokens.size();
    for (;;) {
        while (token != end && *token == ' ')
            ++token;
        if (token == end)
            break;
        const char* tokenEnd = token;
        while (tokenEnd != end && *tokenEnd != ' ')
            ++tokenEnd;
        const std::string_view syllable(token, static_cast<std::size_t>(tokenEnd - token));
        token = tokenEnd;
        if (at == title.size())
            return leaveOut();
        const char32_t character = nextCharacter(title, at);
        if (syllable == "-")
            continue;
        if (!std::all_of(syllable.cbegin(), syllable.cend(), isSyllableCharacter))
            return leaveOut();
        m_units.push_back(Unit{foldedCharacter(character), static_cast<quint32>(m_letters.size()),
                               static_cast<quint32>(syllable.size())});
        m_letters.append(syllable);
    }
    if (at != title.size())
        return leaveOut();
    reading.pinyinLength = static_cast<quint32>(m_letters.size()) - reading.pinyin;
    reading.initials = static_cast<quint32>(m_letters.size());
    reading.unitCount = static_cast<quint32>(m_units.size()) - reading.units;
    for (quint32 u = reading.units; u < reading.units + reading.unitCount; ++u)
        m_letters.push_back(m_letters[m_units[u].syllable]);
    reading.next = target.firstReading;
    target.firstReading = static_cast<qint32>(m_readings.size());
    m_readings.push_back(reading);
}

// From the unit at `unit`, each character of the query at `at` on is the character itself, a whole syllable, or a
// syllable's initial; the query may end inside a syllable ("米fa" for 米饭).
bool SearchIndex::mixedMatchAt(const Unit* units, quint32 count, quint32 unit, const std::u32string& query,
                               std::size_t at) const
{
    if (at == query.size())
        return true;
    if (unit == count)
        return false;
    const Unit& u = units[unit];
    const std::string_view syllable(m_letters.data() + u.syllable, u.length);
    const char32_t c = query[at];
    if (c == u.character && mixedMatchAt(units, count, unit + 1, query, at + 1))
        return true;
    if (!isAsciiLetter(c) || static_cast<unsigned char>(syllable.front()) != c)
        return false;
    std::size_t length = 1;
    while (length < syllable.size() && at + length < query.size() &&
           query[at + length] == static_cast<unsigned char>(syllable[length]))
        ++length;
    if (at + length == query.size())
        return true; // the query ends inside (or at the end of) this syllable
    if (length == syllable.size() && mixedMatchAt(units, count, unit + 1, query, at + length))
        return true;
    // Only the initial (a one-letter syllable was tried whole above).
    return syllable.size() > 1 && mixedMatchAt(units, count, unit + 1, query, at + 1);
}

QList<Match> SearchIndex::find(const QString& query) const
{
    const QString q = fold(query);
    if (q.isEmpty()) {
        m_last.reset();
        return {};
    }
    const QList<uint> ucs4 = q.toUcs4();
    const std::u32string characters(ucs4.cbegin(), ucs4.cend());
    // A query of both Chinese characters and letters (米f) can only match character by character; one of letters
    // alone matches the whole pinyin or the initials, as the user types them.
    const bool mixed = std::any_of(characters.cbegin(), characters.cend(), isChinese) &&
                       std::any_of(characters.cbegin(), characters.cend(), isAsciiLetter);
    // The pinyin is ASCII: a query with any other character finds it only character by character.
    const bool ascii = std::all_of(q.cbegin(), q.cend(), [](QChar c) { return c.unicode() < 0x80; });
    std::string letters;
    if (ascii)
        for (const QChar c : q)
            letters.push_back(static_cast<char>(c.unicode()));
    const std::u16string_view folded(reinterpret_cast<const char16_t*>(q.utf16()), static_cast<std::size_t>(q.size()));

    // A food that a longer query finds was found by its beginning, by the same rules: a name, a pinyin or initials
    // that hold the longer query hold its beginning, and so does a run of units. A query that turns mixed (xh, then
    // xh柿) is matched by other rules, and looks at every food again.
    const bool narrowing = m_last && m_last->mixed == mixed && q.startsWith(m_last->query);
    std::vector<quint32> found;
    found.reserve(narrowing ? m_last->found.size() : m_foods.size());
    std::array<std::vector<quint32>, 5> byRank;
    const auto match = [&](quint32 f) {
        const Food& food = m_foods[f];
        const std::u16string_view name(m_names.data() + food.name, food.nameLength);
        int best = 5;
        const auto consider = [&best](Rank rank) { best = std::min(best, static_cast<int>(rank)); };
        if (name.starts_with(folded))
            consider(name.size() == folded.size() ? Rank::ExactName : Rank::NamePrefix);
        else if (name.find(folded) != std::u16string_view::npos)
            consider(Rank::Substring);
        for (qint32 r = food.firstReading; r >= 0 && best > static_cast<int>(Rank::InitialsPrefix);
             r = m_readings[static_cast<std::size_t>(r)].next) {
            const Reading& reading = m_readings[static_cast<std::size_t>(r)];
            if (mixed) {
                const Unit* units = m_units.data() + reading.units;
                for (quint32 u = 0; u < reading.unitCount; ++u)
                    if (mixedMatchAt(units, reading.unitCount, u, characters, 0)) {
                        consider(u == 0 ? Rank::PinyinPrefix : Rank::Substring);
                        break;
                    }
                continue;
            }
            if (!ascii)
                break;
            const std::string_view pinyin(m_letters.data() + reading.pinyin, reading.pinyinLength);
            const std::string_view initials(m_letters.data() + reading.initials, reading.unitCount);
            if (initials.starts_with(letters))
                consider(Rank::InitialsPrefix);
            else if (pinyin.starts_with(letters))
                consider(Rank::PinyinPrefix);
            else if (pinyin.find(letters) != std::string_view::npos)
                consider(Rank::Substring);
        }
        if (best < 5) {
            found.push_back(f);
            byRank[static_cast<std::size_t>(best)].push_back(f);
        }
    };
    if (narrowing) {
        for (const quint32 f : m_last->found)
            match(f);
    } else {
        for (quint32 f = 0; f < m_foods.size(); ++f)
            match(f);
    }
    QList<Match> matches;
    matches.reserve(static_cast<qsizetype>(found.size()));
    // The foods eaten often lead their rank; the others keep the table's order behind them.
    const auto preference = [this](quint32 f) {
        const quint32 place = f < m_preference.size() ? m_preference[f] : 0;
        return place == 0 ? std::numeric_limits<quint32>::max() : place;
    };
    for (std::size_t rank = 0; rank < byRank.size(); ++rank) {
        if (!m_preference.empty())
            std::stable_sort(byRank[rank].begin(), byRank[rank].end(),
                             [&preference](quint32 a, quint32 b) { return preference(a) < preference(b); });
        for (const quint32 f : byRank[rank])
            matches.append(Match{f, static_cast<Rank>(rank)});
    }
    m_last = Last{q, mixed, std::move(found)};
    return matches;
}

} // namespace search
