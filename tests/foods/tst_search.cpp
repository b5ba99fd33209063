// The food search's matching and ranking rules, on a small table written out by hand.
#include "foods/search.h"

#include <QStringList>
#include <QTest>

namespace {

// Titles in the table's order, each with its readings as make-data stores them.
const QList<std::pair<QString, QStringList>> kFoods{
    {QStringLiteral("米饭（蒸）"), {QStringLiteral("mi fan - zheng -")}},
    {QStringLiteral("糙米饭"), {QStringLiteral("cao mi fan")}},
    {QStringLiteral("红烧肉"), {QStringLiteral("hong shao rou")}},
    {QStringLiteral("空心菜"), {QStringLiteral("kong xin cai")}},
    {QStringLiteral("番茄（西红柿）"),
     {QStringLiteral("fan jia - xi hong shi -"), QStringLiteral("fan qie - xi hong shi -")}},
    {QStringLiteral("长豆角"), {QStringLiteral("zhang dou jiao"), QStringLiteral("chang dou jiao")}},
    {QStringLiteral("绿豆"), {QStringLiteral("lu dou"), QStringLiteral("lv dou")}},
    {QStringLiteral("AD钙奶"), {QStringLiteral("a d gai nai")}},
    {QStringLiteral("小米粥"), {QStringLiteral("xiao mi zhou")}},
    {QStringLiteral("米"), {QStringLiteral("mi")}},
    {QStringLiteral("西米"), {QStringLiteral("xi mi")}},
    {QStringLiteral("豆浆"), {QStringLiteral("dou")}}, // does not line up with its title
};

} // namespace

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void findsAndRanks_data();
    void findsAndRanks();
    void aQueryAfterAnotherFindsWhatItFindsAlone_data();
    void aQueryAfterAnotherFindsWhatItFindsAlone();
    void foodsEatenOftenLeadTheirRank_data();
    void foodsEatenOftenLeadTheirRank();
};

namespace {

search::SearchIndex smallIndex()
{
    search::SearchIndex index;
    for (const auto& [title, readings] : kFoods) {
        const qsizetype food = index.addFood(title);
        for (const QString& reading : readings)
            index.addReading(food, reading);
    }
    return index;
}

QString found(const search::SearchIndex& index, const QString& query)
{
    QStringList titles;
    for (const search::Match& match : index.find(query))
        titles << index.title(match.food);
    return titles.join(u'|');
}

} // namespace

void SearchTest::findsAndRanks_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("found"); // titles, best first, joined by |

    QTest::newRow("exact name, then name prefix, then substrings in table order") << "米"
                                                                                  << "米|米饭（蒸）|糙米饭|小米粥|西米";
    QTest::newRow("initials prefix") << "mf"
                                     << "米饭（蒸）";
    QTest::newRow("initials are a prefix only, not anywhere") << "sr"
                                                              << "";
    QTest::newRow("initials of three") << "hsr"
                                       << "红烧肉";
    QTest::newRow("full pinyin: prefix before substring") << "mifan"
                                                          << "米饭（蒸）|糙米饭";
    QTest::newRow("pinyin substring") << "xincai"
                                      << "空心菜";
    QTest::newRow("pinyin inside brackets") << "xihongshi"
                                            << "番茄（西红柿）";
    QTest::newRow("one letter: initials prefixes, then pinyin substrings") << "m"
                                                                           << "米饭（蒸）|米|糙米饭|小米粥|西米";
    QTest::newRow("pinyin prefix ranks by table order") << "mi"
                                                        << "米饭（蒸）|米|糙米饭|小米粥|西米";
    QTest::newRow("mixed: character then initial") << "米f"
                                                   << "米饭（蒸）|糙米饭";
    QTest::newRow("mixed: character then part of a syllable") << "米fa"
                                                              << "米饭（蒸）|糙米饭";
    QTest::newRow("mixed: initial then character") << "c米"
                                                   << "糙米饭";
    QTest::newRow("mixed: syllable then character") << "xiao米z"
                                                    << "小米粥";
    QTest::newRow("mixed: the character anywhere") << "米z"
                                                   << "小米粥";
    QTest::newRow("mixed that does not fit") << "米x"
                                             << "";
    QTest::newRow("upper case") << "MF"
                                << "米饭（蒸）";
    QTest::newRow("full-width letters") << QStringLiteral("ｍｉｆａｎ") << "米饭（蒸）|糙米饭";
    QTest::newRow("spaces between syllables") << "mi fan"
                                              << "米饭（蒸）|糙米饭";
    QTest::newRow("polyphone: the transliterator's reading") << "fanjia"
                                                             << "番茄（西红柿）";
    QTest::newRow("polyphone: the reading people type") << "fanqie"
                                                        << "番茄（西红柿）";
    QTest::newRow("polyphone initials") << "cdj"
                                        << "长豆角";
    QTest::newRow("polyphone full pinyin") << "changdoujiao"
                                           << "长豆角";
    QTest::newRow("ü as v") << "lvdou"
                            << "绿豆";
    QTest::newRow("ü as u") << "ludou"
                            << "绿豆";
    QTest::newRow("latin letters in a name: name prefix") << "ad"
                                                          << "AD钙奶";
    QTest::newRow("latin letters in a name: initials") << "adgn"
                                                       << "AD钙奶";
    QTest::newRow("a reading that does not line up is left out") << "dj"
                                                                 << "";
    QTest::newRow("still found by its name") << "豆浆"
                                             << "豆浆";
    QTest::newRow("nothing") << "xyz"
                             << "";
    QTest::newRow("only spaces") << "  "
                                 << "";
}

void SearchTest::findsAndRanks()
{
    QFETCH(QString, query);
    QFETCH(QString, found);

    QCOMPARE(::found(smallIndex(), query), found);
}

// The search looks again only at what the last query found when the new one goes on from it.
void SearchTest::aQueryAfterAnotherFindsWhatItFindsAlone_data()
{
    QTest::addColumn<QString>("typed"); // the box's text after each change, joined by |
    QTest::addColumn<QString>("found");

    QTest::newRow("typed on: narrowed, ranked anew") << "m|mi|mif|mifa"
                                                     << "米饭（蒸）|糙米饭";
    QTest::newRow("characters deleted") << "mifan|mif|m"
                                        << "米饭（蒸）|米|糙米饭|小米粥|西米";
    QTest::newRow("another query pasted") << "hsr|xincai"
                                          << "空心菜";
    QTest::newRow("shorter after nothing found") << "xyz|x"
                                                 << "小米粥|西米|空心菜|番茄（西红柿）";
    QTest::newRow("a character after letters that found nothing") << "x|xh|xh柿"
                                                                  << "番茄（西红柿）";
    QTest::newRow("cleared, then typed again") << "hsr||hs"
                                               << "红烧肉";
}

void SearchTest::aQueryAfterAnotherFindsWhatItFindsAlone()
{
    QFETCH(QString, typed);
    QFETCH(QString, found);

    const search::SearchIndex index = smallIndex();
    const QStringList queries = typed.split(u'|');
    for (const QString& query : queries.first(queries.size() - 1))
        index.find(query);
    QCOMPARE(::found(index, queries.last()), found);
}

// Foods eaten often come first among foods that match as well, never before a better match.
void SearchTest::foodsEatenOftenLeadTheirRank_data()
{
    QTest::addColumn<QString>("preferred"); // most often first, joined by |
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("found");

    // "mi": 米饭（蒸） and 米 are pinyin prefixes; 糙米饭, 小米粥, 西米 hold it inside.
    QTest::newRow("none: table order") << ""
                                       << "mi"
                                       << "米饭（蒸）|米|糙米饭|小米粥|西米";
    QTest::newRow("the one eaten often first in its rank") << "米"
                                                           << "mi"
                                                           << "米|米饭（蒸）|糙米饭|小米粥|西米";
    QTest::newRow("in the order of how often, not of the table") << "西米|小米粥"
                                                                 << "mi"
                                                                 << "米饭（蒸）|米|西米|小米粥|糙米饭";
    QTest::newRow("never above a better match") << "西米"
                                                << "米"
                                                << "米|米饭（蒸）|西米|糙米饭|小米粥";
}

void SearchTest::foodsEatenOftenLeadTheirRank()
{
    QFETCH(QString, preferred);
    QFETCH(QString, query);
    QFETCH(QString, found);

    search::SearchIndex index = smallIndex();
    std::vector<qsizetype> foods;
    for (const QString& title : preferred.split(u'|', Qt::SkipEmptyParts))
        for (qsizetype f = 0; f < index.size(); ++f)
            if (index.title(f) == title)
                foods.push_back(f);
    index.setPreferred(foods);
    QCOMPARE(::found(index, query), found);
}

QTEST_APPLESS_MAIN(SearchTest)
#include "tst_search.moc"
