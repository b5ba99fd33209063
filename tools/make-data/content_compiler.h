// Compiles the editable sources in resources/content/ into the SQLite database the program ships with.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tevu::content {

// Where a source is wrong, in the form compilers use so editors can jump to it.
struct SourceError {
    QString file; // the path as it was handed to us, so the user sees the file they named
    int line = 0; // 1-based; 0 when the fault concerns the file as a whole
    QString message;

    QString toString() const;
};

struct Article {
    QString title;
    QString body;
    int line = 0;
};

// A household unit of a food ("一小碗"), with the grams of edible part it holds; liquids are written in millilitres,
// weighed by their density when the content has densities and counted as grams otherwise.
struct Portion {
    QString unit;
    QString amount;  // as written in the source, e.g. "100"
    QString measure; // "克" or "毫升"
};

struct Food {
    QString category;
    QString title;
    QString energy; // kcal per 100 g edible portion, kept as the text written in the source
    QString source; // where the energy comes from: "第6版 <food code>" or "估算：<basis>"; empty in three-column files
    QList<Portion> portions;
    int line = 0;
};

// A word of food names that the transliterator reads otherwise than people type it ("薄荷 bo he"): one syllable per
// character, without tones.
struct Polyphone {
    QString word;
    QStringList syllables;
    int line = 0;
};

struct Content {
    QString schemaSql;
    QStringList categories;
    QList<Food> foods;
    QList<Article> recipes;
    QList<Article> exercises;
    QList<Article> tips;
    QList<Article> plan;         // Monday first
    QList<Polyphone> polyphones; // polyphones.txt; none when the folder has no such file
    int version = 0;             // version.txt: raised with every change of the shipped content
    // The seven day texts of the plan that each earlier content version shipped (earlier-plans/v<N>.txt), oldest first.
    QList<QStringList> earlierPlans;
};

enum class Outcome {
    Built,
    LeftUntouched, // the output already existed; it may hold a user's diary, so it was not opened
    Failed,
};

struct CompileResult {
    Outcome outcome = Outcome::Failed;
    SourceError error; // set when outcome is Failed
    Content content;   // set when outcome is Built
};

// Reads and checks every source file in contentDir; on the first fault returns false and fills error.
bool loadContent(const QString& contentDir, Content& content, SourceError& error);

// The household units of the foods: one row per unit, in the order of the foods and of their units.
inline constexpr char portionsTable[] = "portions";
inline QStringList portionsFields()
{
    return {QStringLiteral("Title"), QStringLiteral("Unit"), QStringLiteral("g"), QStringLiteral("Measure")};
}

// The seven day texts of every plan in `folder` named v<N>.txt (earlier-plans/ as the package installs it), in the
// order of N; a folder that is missing or empty gives none. On the first faulty file returns false and fills error.
bool loadEarlierPlans(const QString& folder, QList<QStringList>& plans, SourceError& error);

// How each food's name is typed, one row per reading; Pinyin has one token per character of Title.
inline constexpr char foodSearchTable[] = "food_search";
inline QStringList foodSearchFields()
{
    return {QStringLiteral("Title"), QStringLiteral("Pinyin")};
}
inline constexpr char polyphonesFile[] = "polyphones.txt";
// How many grams a millilitre of each liquid food weighs: with this file, a unit written in millilitres is stored in
// grams and names its volume ("一两（50毫升）" of 46 g); every food with such a unit must be listed.
inline constexpr char densitiesFile[] = "densities.tsv";

// Every reading a food's name may be typed with, the transliterator's first: space-separated tokens, one per character
// of the name, a syllable without tone for a Chinese character, a letter or digit as itself (lower case, half-width),
// "-" for anything else. A word of `polyphones` in the name adds a reading with its syllables; a syllable with ü adds
// one written with v, as pinyin keyboards take it.
QStringList readingsOf(const QString& title, const QList<Polyphone>& polyphones);

// The content version written in <contentDir>/version.txt.
inline constexpr char versionFile[] = "version.txt";

// Builds outputPath from contentDir unless outputPath already exists. Nothing is ever left at outputPath
// on failure, and an existing file there is never opened.
CompileResult compileContent(const QString& contentDir, const QString& outputPath);

} // namespace tevu::content
