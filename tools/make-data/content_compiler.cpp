// Parses and checks the content sources, then writes them into a fresh database file in one transaction.
#include "content_compiler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/datafile.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tevu::content {

QString SourceError::toString() const
{
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message);
    return QStringLiteral("%1: %2").arg(file, message);
}

namespace {

// Thrown inside this file only; the public functions turn it into a SourceError.
struct Failure {
    SourceError error;
};

[[noreturn]] void fail(const QString& file, int line, const QString& message)
{
    throw Failure{SourceError{file, line, message}};
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

struct SourceLine {
    int number = 0;
    QString text;
};

// Splits a source file into lines, accepting a UTF-8 byte order mark and CRLF endings since the files are
// meant to be edited by hand on any system; anything that is not UTF-8 is refused with its line.
QList<SourceLine> readLines(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        fail(path, 0, QStringLiteral("找不到该文件"));
    if (!file.open(QIODevice::ReadOnly))
        fail(path, 0, QStringLiteral("无法读取该文件"));
    QByteArray data = file.readAll();
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);

    QList<QByteArray> raw = data.split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast();

    QList<SourceLine> lines;
    lines.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QByteArray bytes = raw.at(i);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        const int number = static_cast<int>(i + 1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (decoder.hasError())
            fail(path, number, QStringLiteral("这一行不是有效的 UTF-8 文字，请以 UTF-8 编码保存文件"));
        if (text.contains(QChar(0)))
            fail(path, number, QStringLiteral("这一行含有空字符（NUL）"));
        lines.append(SourceLine{number, text});
    }
    return lines;
}

bool isBlank(const QString& text)
{
    return text.trimmed().isEmpty();
}

// Articles: "# title" starts one, every following line up to the next title is its body, verbatim.
QList<Article> parseArticles(const QString& path)
{
    const QList<SourceLine> lines = readLines(path);
    QList<Article> articles;
    QList<QString> body;

    auto finish = [&]() {
        if (articles.isEmpty())
            return;
        qsizetype first = 0;
        qsizetype last = body.size();
        while (first < last && isBlank(body.at(first)))
            ++first;
        while (last > first && isBlank(body.at(last - 1)))
            --last;
        Article& article = articles.last();
        if (first == last)
            fail(path, article.line, QStringLiteral("“%1”没有正文：标题下面至少要有一行文字").arg(article.title));
        article.body = body.mid(first, last - first).join(QLatin1Char('\n'));
        body.clear();
    };

    for (const SourceLine& line : lines) {
        if (line.text.startsWith(QLatin1Char('#'))) {
            finish();
            const QString title = line.text.mid(1).trimmed();
            if (title.isEmpty())
                fail(path, line.number, QStringLiteral("标题为空：“#”后面要写上标题"));
            articles.append(Article{title, QString(), line.number});
        } else if (articles.isEmpty()) {
            if (!isBlank(line.text))
                fail(path, line.number, QStringLiteral("第一个标题之前不能有文字：每篇文章都要以“# 标题”一行开头"));
        } else {
            body.append(line.text);
        }
    }
    finish();

    if (articles.isEmpty())
        fail(path, 0, QStringLiteral("文件里没有任何文章：每篇文章以“# 标题”一行开头"));
    return articles;
}

QStringList parseCategories(const QString& path)
{
    QStringList categories;
    QHash<QString, int> seenAt;
    for (const SourceLine& line : readLines(path)) {
        const QString name = line.text.trimmed();
        if (name.isEmpty())
            continue;
        if (name.contains(QLatin1Char('\t')))
            fail(path, line.number, QStringLiteral("类别名称里不能有制表符"));
        if (const auto it = seenAt.constFind(name); it != seenAt.cend())
            fail(path, line.number, QStringLiteral("类别“%1”重复，第 %2 行已有").arg(name).arg(it.value()));
        seenAt.insert(name, line.number);
        categories.append(name);
    }
    if (categories.isEmpty())
        fail(path, 0, QStringLiteral("没有任何食物类别"));
    return categories;
}

// Energy is written the way the food composition tables print it: digits with an optional decimal part.
const QRegularExpression& plainNumber()
{
    static const QRegularExpression re(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    return re;
}

// Pure fat is about 900 kcal per 100 g, so anything above is a typing slip (often kJ written for kcal).
constexpr double kMaxEnergy = 900.0;

// "第6版 045217" names a food of the China Food Composition Tables, standard edition 6, by its code; "估算：…" says
// how a value not in that table was estimated.
const QRegularExpression& sourceForm()
{
    static const QRegularExpression re(QStringLiteral("^(第6版 [0-9]{6}x?|估算：\\S.*)$"));
    return re;
}

// "一小碗=100克": a household unit and the grams (or millilitres) of edible part it holds.
const QRegularExpression& portionForm()
{
    static const QRegularExpression re(QStringLiteral("^([^=]+)=([0-9]+(?:\\.[0-9]+)?)(克|毫升)$"));
    return re;
}

// A food is eaten by one to three units; a unit bigger than this is a slip (kg for g).
constexpr qsizetype kMaxPortions = 3;
constexpr double kMaxPortionGrams = 2000.0;
constexpr qsizetype kMaxUnitChars = 12;

QList<Portion> parsePortions(const QString& text, const QString& path, int line)
{
    QList<Portion> portions;
    if (text.isEmpty())
        return portions;
    const QStringList items = text.split(QStringLiteral("；"));
    if (items.size() > kMaxPortions)
        fail(path, line, QStringLiteral("份量最多写 3 个，这一行有 %1 个").arg(items.size()));
    for (const QString& item : items) {
        const QRegularExpressionMatch m = portionForm().match(item.trimmed());
        if (!m.hasMatch())
            fail(path, line,
                 QStringLiteral("份量“%1”应写成“单位=克数克”或“单位=毫升数毫升”，如“一小碗=100克”，多个之间用“；”分隔")
                     .arg(item));
        const Portion portion{m.captured(1).trimmed(), m.captured(2), m.captured(3)};
        const double amount = portion.amount.toDouble();
        if (amount <= 0.0 || amount > kMaxPortionGrams)
            fail(path, line, QStringLiteral("份量“%1”的克数应大于 0、不超过 2000").arg(item));
        if (portion.unit.toUcs4().size() > kMaxUnitChars)
            fail(path, line, QStringLiteral("份量单位“%1”超过 12 个字").arg(portion.unit));
        for (const Portion& earlier : std::as_const(portions))
            if (earlier.unit == portion.unit)
                fail(path, line, QStringLiteral("份量单位“%1”写了两次").arg(portion.unit));
        portions.append(portion);
    }
    return portions;
}

QList<Food> parseFoods(const QString& path, const QStringList& categories)
{
    const QList<SourceLine> lines = readLines(path);
    // Three columns as the program's table has them, or two more: the source of each value and its portions.
    const QString header = QStringLiteral("Name\tTitle\tsz");
    const QString fullHeader = QStringLiteral("Name\tTitle\tsz\tsource\tportions");
    if (lines.isEmpty())
        fail(path, 0, QStringLiteral("文件是空的：第一行应为表头 Name<Tab>Title<Tab>sz"));
    const QString firstLine = lines.first().text.trimmed();
    if (firstLine != header && firstLine != fullHeader)
        fail(path, 1,
             QStringLiteral("第一行应为表头 Name<Tab>Title<Tab>sz 或 Name<Tab>Title<Tab>sz<Tab>source<Tab>portions"
                            "（以制表符分隔）"));
    const bool full = firstLine == fullHeader;
    const qsizetype fieldCount = full ? 5 : 3;

    const QSet<QString> knownCategories(categories.cbegin(), categories.cend());
    const QString fieldNames[] = {QStringLiteral("类别"), QStringLiteral("食物名称"), QStringLiteral("热量"),
                                  QStringLiteral("来源")};
    QHash<QString, int> titleSeenAt;
    QList<Food> foods;

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const SourceLine& line = lines.at(i);
        if (isBlank(line.text))
            continue;
        const QStringList fields = line.text.split(QLatin1Char('\t'));
        if (fields.size() != fieldCount)
            fail(path, line.number,
                 full
                     ? QStringLiteral("应有 5 个以制表符分隔的字段（类别、食物名称、热量、来源、份量），这一行有 %1 个")
                           .arg(fields.size())
                     : QStringLiteral("应有 3 个以制表符分隔的字段（类别、食物名称、热量），这一行有 %1 个")
                           .arg(fields.size()));
        Food food{fields.at(0).trimmed(),
                  fields.at(1).trimmed(),
                  fields.at(2).trimmed(),
                  full ? fields.at(3).trimmed() : QString(),
                  {},
                  line.number};
        const QString values[] = {food.category, food.title, food.energy, food.source};
        for (int f = 0; f < (full ? 4 : 3); ++f) {
            if (values[f].isEmpty())
                fail(path, line.number, QStringLiteral("第 %1 个字段（%2）是空的").arg(f + 1).arg(fieldNames[f]));
        }
        if (!knownCategories.contains(food.category))
            fail(path, line.number, QStringLiteral("类别“%1”不在 categories.txt 中").arg(food.category));
        if (!plainNumber().match(food.energy).hasMatch())
            fail(path, line.number,
                 QStringLiteral("热量“%1”不是非负的数字（应写成 116 或 23.5 这样）").arg(food.energy));
        if (food.energy.toDouble() > kMaxEnergy)
            fail(
                path, line.number,
                QStringLiteral("热量 %1 大卡超过了 900：每100克食物不会高于纯油脂，是否误填了千焦？").arg(food.energy));
        if (full && !sourceForm().match(food.source).hasMatch())
            fail(path, line.number,
                 QStringLiteral("来源“%1”应写成“第6版 食物编码”（如“第6版 045217”）或“估算：估算的依据”")
                     .arg(food.source));
        if (full)
            food.portions = parsePortions(fields.at(4).trimmed(), path, line.number);
        if (const auto it = titleSeenAt.constFind(food.title); it != titleSeenAt.cend())
            fail(path, line.number,
                 QStringLiteral("食物名称“%1”重复，第 %2 行已有同名食物").arg(food.title).arg(it.value()));
        titleSeenAt.insert(food.title, line.number);
        foods.append(food);
    }
    return foods;
}

QList<Article> parsePlan(const QString& path)
{
    static const QString days[] = {QStringLiteral("周一"), QStringLiteral("周二"), QStringLiteral("周三"),
                                   QStringLiteral("周四"), QStringLiteral("周五"), QStringLiteral("周六"),
                                   QStringLiteral("周日")};
    constexpr qsizetype dayCount = 7;
    const QList<Article> plan = parseArticles(path);
    for (qsizetype i = 0; i < plan.size(); ++i) {
        if (i >= dayCount)
            fail(path, plan.at(i).line, QStringLiteral("多出了一天“%1”：计划只有周一到周日七天").arg(plan.at(i).title));
        if (plan.at(i).title != days[i])
            fail(path, plan.at(i).line,
                 QStringLiteral("第 %1 天的标题应为“# %2”，这里是“%3”").arg(i + 1).arg(days[i], plan.at(i).title));
    }
    if (plan.size() < dayCount)
        fail(path, 0, QStringLiteral("只有 %1 天，计划应写满周一到周日七天").arg(plan.size()));
    return plan;
}

int parseVersion(const QString& path)
{
    // Content from before versions were counted is version 1, as every file made from it says.
    if (!QFileInfo::exists(path))
        return 1;
    QStringList text;
    for (const SourceLine& line : readLines(path))
        if (!isBlank(line.text))
            text << line.text.trimmed();
    bool ok = false;
    const int version = text.size() == 1 ? text.front().toInt(&ok) : 0;
    if (!ok || version < 1)
        fail(path, 0, QStringLiteral("应只有一个正整数：内置内容的版本号"));
    return version;
}

// "薄荷 bo he": a word of Chinese characters, then one syllable per character, lower-case letters without tones.
QList<Polyphone> parsePolyphones(const QString& path)
{
    QList<Polyphone> polyphones;
    if (!QFileInfo::exists(path))
        return polyphones;
    static const QRegularExpression syllable(QStringLiteral("^[a-z]+$"));
    QHash<QString, int> seenAt;
    for (const SourceLine& line : readLines(path)) {
        const QString text = line.text.trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
            continue;
        QStringList fields = text.split(QRegularExpression(QStringLiteral("\\s+")));
        Polyphone polyphone{fields.takeFirst(), fields, line.number};
        const QList<uint> characters = polyphone.word.toUcs4();
        for (const uint c : characters)
            if (QChar::script(c) != QChar::Script_Han)
                fail(
                    path, line.number,
                    QStringLiteral("“%1”应是一个由汉字组成的词，后面跟着它的读音，如“薄荷 bo he”").arg(polyphone.word));
        if (polyphone.syllables.size() != characters.size())
            fail(path, line.number,
                 QStringLiteral("“%1”有 %2 个字，应写 %2 个音节（以空格分隔），这里写了 %3 个")
                     .arg(polyphone.word)
                     .arg(characters.size())
                     .arg(polyphone.syllables.size()));
        for (const QString& s : std::as_const(polyphone.syllables))
            if (!syllable.match(s).hasMatch())
                fail(path, line.number, QStringLiteral("读音“%1”应只用小写字母 a～z，不标声调（ü 写成 v）").arg(s));
        if (const auto it = seenAt.constFind(polyphone.word); it != seenAt.cend())
            fail(path, line.number, QStringLiteral("“%1”重复，第 %2 行已有").arg(polyphone.word).arg(it.value()));
        seenAt.insert(polyphone.word, line.number);
        polyphones.append(polyphone);
    }
    return polyphones;
}

// "白酒（52度）<Tab>0.92<Tab>依据": how many grams a millilitre of a liquid food weighs, and why. The energy is per 100
// g, so a unit written in millilitres is counted by its weight.
std::map<QString, double> parseDensities(const QString& path, const QList<Food>& foods)
{
    std::map<QString, double> densities;
    if (!QFileInfo::exists(path))
        return densities;
    QSet<QString> titles;
    for (const Food& food : foods)
        titles.insert(food.title);
    static const QRegularExpression number(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    QHash<QString, int> seenAt;
    const QList<SourceLine> lines = readLines(path);
    for (const SourceLine& line : lines) {
        if (isBlank(line.text) || line.text.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.text.split(QLatin1Char('\t'));
        if (fields.size() != 3 || fields.at(2).trimmed().isEmpty())
            fail(path, line.number,
                 QStringLiteral("应有 3 个以制表符分隔的字段（食物名称、每毫升的克数、依据），这一行有 %1 个")
                     .arg(fields.size()));
        const QString title = fields.at(0).trimmed();
        const QString value = fields.at(1).trimmed();
        if (!titles.contains(title))
            fail(path, line.number, QStringLiteral("食物“%1”不在 foods.tsv 中").arg(title));
        // Liquids people drink lie between strong spirits (about 0.9) and syrups (about 1.3).
        if (!number.match(value).hasMatch() || value.toDouble() < 0.7 || value.toDouble() > 1.5)
            fail(path, line.number, QStringLiteral("密度“%1”应是 0.7～1.5 之间的数（每毫升的克数）").arg(value));
        if (const auto it = seenAt.constFind(title); it != seenAt.cend())
            fail(path, line.number, QStringLiteral("食物“%1”重复，第 %2 行已有").arg(title).arg(it.value()));
        seenAt.insert(title, line.number);
        densities[title] = value.toDouble();
    }
    return densities;
}

// A unit written in millilitres becomes one counted in grams that still names its volume: "一两=50毫升" of a liquid of
// 0.92 g/mL is "一两（50毫升）" of 46 g. Without a densities file the millilitres count as grams, as they always did.
void weighLiquids(QList<Food>& foods, const std::map<QString, double>& densities, const QString& foodsPath,
                  const QString& densitiesPath, bool haveDensities)
{
    if (!haveDensities)
        return;
    const QString millilitre = QStringLiteral("毫升");
    for (Food& food : foods)
        for (Portion& portion : food.portions) {
            if (portion.measure != millilitre)
                continue;
            const auto density = densities.find(food.title);
            if (density == densities.end())
                fail(densitiesPath, 0,
                     QStringLiteral("食物“%1”（foods.tsv 第 %2 行）的份量按毫升写，这里要写出它每毫升的克数")
                         .arg(food.title)
                         .arg(food.line));
            const QString volume = portion.amount + millilitre;
            portion.unit = portion.unit.endsWith(QChar(0xFF09))
                               ? portion.unit.chopped(1) + QStringLiteral("，") + volume + QStringLiteral("）")
                               : portion.unit + QStringLiteral("（") + volume + QStringLiteral("）");
            if (portion.unit.toUcs4().size() > kMaxUnitChars)
                fail(foodsPath, food.line, QStringLiteral("份量单位“%1”连同毫升数超过 12 个字").arg(portion.unit));
            // Whole grams, as the units are written; a tenth only where that is a large share (a 15 mL cup of spirits).
            const double exact = portion.amount.toDouble() * density->second;
            const double grams = exact >= 20.0 ? std::round(exact) : std::round(exact * 10.0) / 10.0;
            portion.amount = QString::number(grams, 'g', 6);
            portion.measure = QStringLiteral("克");
        }
}

QString readSchema(const QString& path)
{
    QStringList text;
    for (const SourceLine& line : readLines(path))
        text.append(line.text);
    return text.join(QLatin1Char('\n'));
}

// ---- SQLite --------------------------------------------------------------------------------------------

// Runs schema.sql one statement at a time so a mistake in it is reported with its line.
void runSchema(sqlite3* db, const QString& sql, const QString& schemaPath, const QString& outputPath)
{
    int line = 0;
    try {
        sqlite::execScript(db, sql, outputPath, &line);
    } catch (const DataError& e) {
        fail(schemaPath, line, QStringLiteral("SQL 语句有误：%1").arg(e.message()));
    }
}

void requireColumns(sqlite::Statement& statement, const QString& table, const QStringList& fields,
                    const QString& schemaPath)
{
    statement.reset();
    statement.bind(1, table);
    QStringList columns;
    while (statement.step())
        columns.append(statement.value(0).toString());
    if (columns != fields)
        fail(schemaPath, 0,
             QStringLiteral("表 \"%1\" 应有列 %2，实际是 %3")
                 .arg(table, fields.join(QStringLiteral(", ")),
                      columns.isEmpty() ? QStringLiteral("（没有这张表）") : columns.join(QStringLiteral(", "))));
}

// The program reads every table with "SELECT rowid,*", so the columns must be exactly these, in this order.
void checkSchema(sqlite3* db, const QString& schemaPath, const QString& outputPath)
{
    sqlite::Statement statement(db, QStringLiteral("SELECT name FROM pragma_table_info(?1) ORDER BY cid"), outputPath);
    for (const datafile::TableShape& table : datafile::tables())
        requireColumns(statement, table.table, table.fields, schemaPath);
    // The portions are not among the tables every data file has (files made before them open without them), but a
    // file made now carries them.
    requireColumns(statement, QString::fromLatin1(portionsTable), portionsFields(), schemaPath);
    requireColumns(statement, QString::fromLatin1(foodSearchTable), foodSearchFields(), schemaPath);
}

struct Row {
    QStringList values;
    int line = 0; // where the row came from, for a constraint that schema.sql may add
};

void insertRows(sqlite3* db, const QString& sql, const QList<Row>& rows, const QString& sourcePath,
                const QString& outputPath)
{
    sqlite::Statement statement(db, sql, outputPath);
    for (const Row& row : rows) {
        statement.reset();
        for (qsizetype i = 0; i < row.values.size(); ++i)
            statement.bind(static_cast<int>(i + 1), row.values.at(i));
        try {
            statement.step();
        } catch (const DataError& e) {
            fail(sourcePath, row.line, QStringLiteral("这一行无法写入数据库：%1").arg(e.message()));
        }
    }
}

QList<Row> articleRows(const QList<Article>& articles)
{
    QList<Row> rows;
    for (const Article& article : articles)
        rows.append(Row{{article.title, article.body}, article.line});
    return rows;
}

// The half-built database: created owner-only before anything is written, removed unless handed over.
class TemporaryDatabaseFile {
public:
    explicit TemporaryDatabaseFile(const QString& outputPath) : m_path(QFile::encodeName(outputPath) + ".tmp-XXXXXX")
    {
        const int fd = ::mkstemp(m_path.data());
        if (fd < 0) {
            const int code = errno;
            m_path.clear();
            fail(outputPath, 0, QStringLiteral("无法在输出目录中创建临时文件（%1）").arg(systemError(code)));
        }
        // mkstemp already asks for 0600, but the umask could leave it narrower than the program needs.
        const bool ok = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
        const int code = errno;
        ::close(fd);
        if (!ok) {
            // The destructor does not run for a constructor that throws.
            ::unlink(m_path.constData());
            m_path.clear();
            fail(outputPath, 0, QStringLiteral("无法设置临时文件的权限（%1）").arg(systemError(code)));
        }
    }
    ~TemporaryDatabaseFile()
    {
        if (m_path.isEmpty())
            return;
        ::unlink(m_path.constData());
        ::unlink((m_path + "-journal").constData());
    }
    TemporaryDatabaseFile(const TemporaryDatabaseFile&) = delete;
    TemporaryDatabaseFile& operator=(const TemporaryDatabaseFile&) = delete;

    const QByteArray& path() const { return m_path; }
    void release() { m_path.clear(); }

private:
    QByteArray m_path;
};

// Faults of the database itself are reported against outputPath: the temporary name means nothing to the user.
void writeDatabase(const QByteArray& path, const QString& outputPath, const Content& content, const QString& contentDir)
{
    const QDir dir(contentDir);
    const QString schemaPath = dir.filePath(QStringLiteral("schema.sql"));

    const sqlite::Database db = sqlite::open(QFile::decodeName(path), sqlite::OpenMode::ReadWrite);

    // The program opens the file with plain rollback journaling; a WAL file beside it would be left behind.
    sqlite::exec(db.get(), QStringLiteral("PRAGMA journal_mode=DELETE"), outputPath);
    sqlite::exec(db.get(), QStringLiteral("BEGIN IMMEDIATE"), outputPath);
    runSchema(db.get(), content.schemaSql, schemaPath, outputPath);
    checkSchema(db.get(), schemaPath, outputPath);

    QList<Row> categoryRows;
    for (const QString& name : content.categories)
        categoryRows.append(Row{{name}, 0});
    insertRows(db.get(), QStringLiteral("INSERT INTO \"02\"(Name) VALUES(?1)"), categoryRows,
               dir.filePath(QStringLiteral("categories.txt")), outputPath);

    QList<Row> foodRows;
    for (const Food& food : content.foods)
        foodRows.append(Row{{food.category, food.title, food.energy}, food.line});
    insertRows(db.get(), QStringLiteral("INSERT INTO \"01\"(Name, Title, sz) VALUES(?1, ?2, ?3)"), foodRows,
               dir.filePath(QStringLiteral("foods.tsv")), outputPath);

    QList<Row> portionRows;
    for (const Food& food : content.foods)
        for (const Portion& portion : food.portions)
            portionRows.append(Row{{food.title, portion.unit, portion.amount, portion.measure}, food.line});
    insertRows(db.get(), QStringLiteral("INSERT INTO portions(Title, Unit, g, Measure) VALUES(?1, ?2, ?3, ?4)"),
               portionRows, dir.filePath(QStringLiteral("foods.tsv")), outputPath);

    QList<Row> searchRows;
    for (const Food& food : content.foods)
        for (const QString& reading : readingsOf(food.title, content.polyphones))
            searchRows.append(Row{{food.title, reading}, food.line});
    insertRows(db.get(), QStringLiteral("INSERT INTO food_search(Title, Pinyin) VALUES(?1, ?2)"), searchRows,
               dir.filePath(QStringLiteral("foods.tsv")), outputPath);

    insertRows(db.get(), QStringLiteral("INSERT INTO sp(Name, demo) VALUES(?1, ?2)"), articleRows(content.recipes),
               dir.filePath(QStringLiteral("sp.txt")), outputPath);
    insertRows(db.get(), QStringLiteral("INSERT INTO yd(Name, demo) VALUES(?1, ?2)"), articleRows(content.exercises),
               dir.filePath(QStringLiteral("yd.txt")), outputPath);
    insertRows(db.get(), QStringLiteral("INSERT INTO xd(Name, demo) VALUES(?1, ?2)"), articleRows(content.tips),
               dir.filePath(QStringLiteral("xd.txt")), outputPath);

    QList<Row> planRows;
    for (const Article& day : content.plan)
        planRows.append(Row{{day.body}, day.line});
    insertRows(db.get(), QStringLiteral("INSERT INTO plan(foodsport) VALUES(?1)"), planRows,
               dir.filePath(QStringLiteral("plan.txt")), outputPath);

    sqlite::exec(db.get(), QStringLiteral("PRAGMA user_version=%1").arg(content.version), outputPath);
    sqlite::exec(db.get(), QStringLiteral("COMMIT"), outputPath);
}

bool pathExists(const QString& path)
{
    struct stat info {};
    // lstat, so that even a dangling link at the output path counts as something not to replace.
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

enum class Placed { Renamed, Linked, SomethingThere };

// Moves the finished file into place without ever replacing what may have appeared there meanwhile.
Placed placeWithoutReplacing(const QByteArray& from, const QString& outputPath)
{
    const QByteArray to = QFile::encodeName(outputPath);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return Placed::Renamed;
    if (errno == EEXIST)
        return Placed::SomethingThere;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        fail(outputPath, 0, QStringLiteral("无法把临时文件改名为输出文件（%1）").arg(systemError(errno)));
    // Filesystems without RENAME_NOREPLACE: a hard link fails just as safely if the name is taken.
    if (::link(from.constData(), to.constData()) == 0)
        return Placed::Linked;
    if (errno == EEXIST)
        return Placed::SomethingThere;
    fail(outputPath, 0, QStringLiteral("无法把临时文件改名为输出文件（%1）").arg(systemError(errno)));
}

// ---- Pinyin ---------------------------------------------------------------------------------------------

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

QStringList readingsOf(const QString& title, const QList<Polyphone>& polyphones)
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
    for (const Polyphone& polyphone : polyphones) {
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

bool loadContent(const QString& contentDir, Content& content, SourceError& error)
{
    const QDir dir(contentDir);
    try {
        Content loaded;
        loaded.schemaSql = readSchema(dir.filePath(QStringLiteral("schema.sql")));
        loaded.categories = parseCategories(dir.filePath(QStringLiteral("categories.txt")));
        loaded.foods = parseFoods(dir.filePath(QStringLiteral("foods.tsv")), loaded.categories);
        loaded.recipes = parseArticles(dir.filePath(QStringLiteral("sp.txt")));
        loaded.exercises = parseArticles(dir.filePath(QStringLiteral("yd.txt")));
        loaded.tips = parseArticles(dir.filePath(QStringLiteral("xd.txt")));
        loaded.plan = parsePlan(dir.filePath(QStringLiteral("plan.txt")));
        loaded.polyphones = parsePolyphones(dir.filePath(QString::fromLatin1(polyphonesFile)));
        const QString densitiesPath = dir.filePath(QString::fromLatin1(densitiesFile));
        weighLiquids(loaded.foods, parseDensities(densitiesPath, loaded.foods),
                     dir.filePath(QStringLiteral("foods.tsv")), densitiesPath, QFileInfo::exists(densitiesPath));
        loaded.version = parseVersion(dir.filePath(QString::fromLatin1(versionFile)));
        // Every plan shipped before, so that an upgrade can tell a day the user left as shipped from one they changed.
        for (int earlier = 1; earlier < loaded.version; ++earlier) {
            QStringList days;
            for (const Article& day : parsePlan(dir.filePath(QStringLiteral("earlier-plans/v%1.txt").arg(earlier))))
                days << day.body;
            loaded.earlierPlans << days;
        }
        content = std::move(loaded);
        return true;
    } catch (const Failure& failure) {
        error = failure.error;
        return false;
    }
}

bool loadEarlierPlans(const QString& folder, QList<QStringList>& plans, SourceError& error)
{
    static const QRegularExpression name(QStringLiteral("^v([1-9][0-9]{0,8})\\.txt$"));
    std::map<int, QString> files;
    for (const QString& file : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = name.match(file);
        if (match.hasMatch())
            files.emplace(match.captured(1).toInt(), QDir(folder).filePath(file));
    }
    try {
        QList<QStringList> loaded;
        for (const auto& [version, path] : files) {
            QStringList days;
            for (const Article& day : parsePlan(path))
                days << day.body;
            loaded << days;
        }
        plans = std::move(loaded);
        return true;
    } catch (const Failure& failure) {
        error = failure.error;
        return false;
    }
}

CompileResult compileContent(const QString& contentDir, const QString& outputPath)
{
    CompileResult result;
    if (pathExists(outputPath)) {
        result.outcome = Outcome::LeftUntouched;
        return result;
    }
    if (!loadContent(contentDir, result.content, result.error)) {
        result.outcome = Outcome::Failed;
        return result;
    }
    try {
        TemporaryDatabaseFile temporary(outputPath);
        writeDatabase(temporary.path(), outputPath, result.content, contentDir);
        switch (placeWithoutReplacing(temporary.path(), outputPath)) {
        case Placed::Renamed:
            temporary.release();
            result.outcome = Outcome::Built;
            break;
        case Placed::Linked:
            // The temporary name still points at the file and goes away with `temporary`.
            result.outcome = Outcome::Built;
            break;
        case Placed::SomethingThere:
            result.outcome = Outcome::LeftUntouched;
            break;
        }
    } catch (const Failure& failure) {
        result.outcome = Outcome::Failed;
        result.error = failure.error;
        result.content = Content();
    } catch (const DataError& e) {
        result.outcome = Outcome::Failed;
        result.error = SourceError{outputPath, 0, QStringLiteral("写入数据库失败：%1").arg(e.message())};
        result.content = Content();
    }
    return result;
}

} // namespace tevu::content
