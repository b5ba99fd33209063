// Tests of the content compiler: what it writes, what it refuses, and that it never harms an existing file.
#include "content/content_test_db.h"
#include "content_compiler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using tevu::content::compileContent;
using tevu::content::CompileResult;
using tevu::content::Outcome;

using Files = QHash<QString, QByteArray>;

namespace {

const QByteArray kCategories = QByteArrayLiteral("谷类（每100克）\n\n蔬菜类（每100克）\n");

const QByteArray kFoods =
    QByteArrayLiteral("Name\tTitle\tsz\tsource\tportions\n"
                      "谷类（每100克）\t稻米\t346\t第6版 012001x\t一两=50克\n"
                      "蔬菜类（每100克）\t黄瓜\t16\t第6版 043208\t\n"
                      "谷类（每100克）\t米饭（蒸）\t116\t第6版 012401x\t一小碗=100克；一大碗=200克\n"
                      "蔬菜类（每100克）\t番茄\t23.5\t估算：按配料估算\t一杯（榨汁）=250毫升\n");

// CRLF endings, blank lines around and inside a body, trailing spaces: all as people really edit.
const QByteArray kRecipes = QByteArrayLiteral("\n"
                                              "# 清蒸鱼\n"
                                              "\n"
                                              "鲈鱼一条\n"
                                              "\n"
                                              "蒸八分钟  \n"
                                              "\n"
                                              "#杂粮粥\r\n"
                                              "小米、燕麦\r\n");

QByteArray week()
{
    QByteArray text;
    const char* const days[] = {"一", "二", "三", "四", "五", "六", "日"};
    for (const char* day : days)
        text += QByteArray("# 周") + day + "\n早：燕麦粥；午：糙米饭\n运动：快走" + day + "\n\n";
    return text;
}

QByteArray realSchema()
{
    QFile file(QStringLiteral(TEVU_SOURCE_DIR "/resources/content/schema.sql"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A complete, valid content folder; `overrides` replaces a file's text, or removes it when the text is null.
bool writeContent(const QString& dirPath, const Files& overrides = {})
{
    Files files{
        {QStringLiteral("schema.sql"), realSchema()},
        {QStringLiteral("categories.txt"), kCategories},
        {QStringLiteral("foods.tsv"), kFoods},
        {QStringLiteral("sp.txt"), kRecipes},
        {QStringLiteral("yd.txt"), QByteArrayLiteral("# 快走\n每天四十分钟\n# 跳绳\n分组进行\n")},
        {QStringLiteral("xd.txt"), QByteArrayLiteral("# 慢慢吃\n每口嚼二十下\n")},
        {QStringLiteral("plan.txt"), week()},
        {QStringLiteral("polyphones.txt"), QByteArrayLiteral("# 番茄的另一读音\n番茄 fan qie\n")},
    };
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it)
        files.insert(it.key(), it.value());
    QDir().mkpath(dirPath);
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (it.value().isNull())
            continue;
        QFile file(QDir(dirPath).filePath(it.key()));
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            return false;
    }
    return true;
}

// Names in `dir` that the compiler may have left behind: the output itself or a temporary beside it.
QStringList leftovers(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("data.Mdb*")}, QDir::Files | QDir::Hidden | QDir::System);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t permissionBits(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 07777;
    return info.st_mode & 07777;
}

} // namespace

class ContentCompilerTest : public QObject {
    Q_OBJECT

private slots:
    void writesSourcesInOrder_data();
    void writesSourcesInOrder();
    void fileIsOwnerOnlyWhateverTheUmask();
    void sourceFaults_data();
    void sourceFaults();
    void existingOutputIsLeftAlone_data();
    void existingOutputIsLeftAlone();
    void liquidsAreWeighedByTheirDensity_data();
    void liquidsAreWeighedByTheirDensity();
    void readings_data();
    void readings();
    void executable_data();
    void executable();

private:
    QTemporaryDir m_built;
};

void ContentCompilerTest::writesSourcesInOrder_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");

    QTest::newRow("categories in order, blank lines skipped")
        << "SELECT group_concat(Name, '|') FROM (SELECT Name FROM \"02\" ORDER BY rowid)"
        << "谷类（每100克）|蔬菜类（每100克）";
    QTest::newRow("foods in order")
        << "SELECT group_concat(Name || '/' || Title || '/' || sz, '|') FROM (SELECT * FROM \"01\" ORDER BY rowid)"
        << "谷类（每100克）/稻米/346|蔬菜类（每100克）/黄瓜/16|谷类（每100克）/米饭（蒸）/116|蔬菜类（每100克）/番茄/"
           "23.5";
    QTest::newRow("portions in the order of their foods, none for a food without")
        << "SELECT group_concat(Title || '/' || Unit || '/' || g || Measure, '|') FROM (SELECT * FROM portions ORDER "
           "BY "
           "rowid)"
        << "稻米/一两/50克|米饭（蒸）/一小碗/100克|米饭（蒸）/一大碗/200克|番茄/一杯（榨汁）/250毫升";
    QTest::newRow("energy stored as the text written")
        << "SELECT group_concat(typeof(sz) || ':' || sz, '|') FROM (SELECT sz FROM \"01\" ORDER BY rowid)"
        << "text:346|text:16|text:116|text:23.5";
    QTest::newRow("body keeps inner blank lines and trailing spaces, drops outer blank lines")
        << "SELECT Name || '=' || demo FROM sp ORDER BY rowid LIMIT 1"
        << "清蒸鱼=鲈鱼一条\n\n蒸八分钟  ";
    QTest::newRow("CRLF source and title without a space after #")
        << "SELECT Name || '=' || demo FROM sp ORDER BY rowid LIMIT 1 OFFSET 1"
        << "杂粮粥=小米、燕麦";
    QTest::newRow("exercises") << "SELECT group_concat(Name || '=' || demo, '|') FROM (SELECT * FROM yd ORDER BY rowid)"
                               << "快走=每天四十分钟|跳绳=分组进行";
    QTest::newRow("tips") << "SELECT group_concat(Name || '=' || demo, '|') FROM xd"
                          << "慢慢吃=每口嚼二十下";
    QTest::newRow("plan is the seven bodies, Monday first")
        << "SELECT count(*) || ':' || (SELECT foodsport FROM plan ORDER BY rowid LIMIT 1) || ':' || "
           "(SELECT foodsport FROM plan ORDER BY rowid DESC LIMIT 1) FROM plan"
        << "7:早：燕麦粥；午：糙米饭\n运动：快走一:早：燕麦粥；午：糙米饭\n运动：快走日";
    QTest::newRow("the pinyin of each food, in the order of the foods")
        << "SELECT group_concat(Title || '=' || Pinyin, '|') FROM (SELECT * FROM food_search ORDER BY rowid)"
        << "稻米=dao mi|黄瓜=huang gua|米饭（蒸）=mi fan - zheng -|番茄=fan jia|番茄=fan qie";
    QTest::newRow("diary shipped empty") << "SELECT count(*) FROM rj"
                                         << "0";
    QTest::newRow("rollback journal, not WAL") << "PRAGMA journal_mode"
                                               << "delete";
    QTest::newRow("schema version") << "PRAGMA user_version"
                                    << "1";
}

void ContentCompilerTest::writesSourcesInOrder()
{
    QFETCH(QString, query);
    QFETCH(QString, expected);

    const QString output = m_built.filePath(QStringLiteral("data.Mdb"));
    if (!QFileInfo::exists(output)) {
        QVERIFY(m_built.isValid());
        const QString sources = m_built.filePath(QStringLiteral("content"));
        QVERIFY(writeContent(sources));
        const CompileResult result = compileContent(sources, output);
        QVERIFY2(result.outcome == Outcome::Built, qPrintable(result.error.toString()));
    }
    ContentTestDatabase db(output);
    QVERIFY2(db.isOpen(), qPrintable(db.error()));
    QCOMPARE(db.scalar(query).toString(), expected);
    QVERIFY2(db.error().isEmpty(), qPrintable(db.error()));
}

void ContentCompilerTest::fileIsOwnerOnlyWhateverTheUmask()
{
    QTemporaryDir dir;
    QVERIFY(writeContent(dir.filePath(QStringLiteral("content"))));
    const QString output = dir.filePath(QStringLiteral("data.Mdb"));

    // With no umask to lean on, only an explicit mode keeps a diary of body weights private.
    const mode_t previous = ::umask(0);
    const CompileResult result = compileContent(dir.filePath(QStringLiteral("content")), output);
    ::umask(previous);

    QVERIFY2(result.outcome == Outcome::Built, qPrintable(result.error.toString()));
    QCOMPARE(permissionBits(output), mode_t(0600));
    QCOMPARE(leftovers(dir.path()), QStringList{QStringLiteral("data.Mdb")});
}

void ContentCompilerTest::sourceFaults_data()
{
    QTest::addColumn<Files>("files"); // replaced sources; a null text removes the file
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("says");

    const QString foods = QStringLiteral("foods.tsv");
    const QByteArray header = "Name\tTitle\tsz\n";
    const QByteArray rice = "谷类（每100克）\t稻米\t346\n";

    QTest::newRow("food row missing a field")
        << Files{{foods, header + rice + "谷类（每100克）\t馒头\n"}} << foods << 3 << "3 个以制表符分隔的字段";
    QTest::newRow("food row with a field too many")
        << Files{{foods, header + rice + "谷类（每100克）\t馒头\t223\t克\n"}} << foods << 3 << "这一行有 4 个";
    QTest::newRow("empty food title") << Files{{foods, header + "谷类（每100克）\t \t223\n"}} << foods << 2
                                      << "食物名称";
    QTest::newRow("non-numeric energy") << Files{{foods, header + rice + "谷类（每100克）\t馒头\t两百\n"}} << foods << 3
                                        << "“两百”不是非负的数字";
    QTest::newRow("negative energy") << Files{{foods, header + "谷类（每100克）\t馒头\t-5\n"}} << foods << 2 << "-5";
    QTest::newRow("energy with a unit") << Files{{foods, header + "谷类（每100克）\t馒头\t223kcal\n"}} << foods << 2
                                        << "223kcal";
    QTest::newRow("energy in kJ") << Files{{foods, header + rice + "谷类（每100克）\t馒头\t933\n"}} << foods << 3
                                  << "900";
    QTest::newRow("unknown category") << Files{{foods, header + rice + "水产类（每100克）\t带鱼\t127\n"}} << foods << 3
                                      << "“水产类（每100克）”不在 categories.txt 中";
    QTest::newRow("duplicate food title")
        << Files{{foods, header + rice + "\n蔬菜类（每100克）\t黄瓜\t16\n谷类（每100克）\t稻米\t346\n"}} << foods << 5
        << "第 2 行";
    QTest::newRow("header missing") << Files{{foods, rice}} << foods << 1 << "表头";
    const QString polyphones = QStringLiteral("polyphones.txt");
    QTest::newRow("polyphone: a syllable missing")
        << Files{{polyphones, "# 注释\n薄荷 bo he\n长豆角 chang dou\n"}} << polyphones << 3 << "应写 3 个音节";
    QTest::newRow("polyphone: a tone mark") << Files{{polyphones, "薄荷 bó he\n"}} << polyphones << 1 << "“bó”";
    QTest::newRow("polyphone: not a Chinese word")
        << Files{{polyphones, "AD钙奶 a d gai nai\n"}} << polyphones << 1 << "由汉字组成";
    QTest::newRow("polyphone: twice") << Files{{polyphones, "薄荷 bo he\n\n薄荷 bao he\n"}} << polyphones << 3
                                      << "第 1 行";
    const QByteArray full = "Name\tTitle\tsz\tsource\tportions\n";
    const QByteArray bread = "谷类（每100克）\t馒头\t223\t第6版 011404x\t";
    QTest::newRow("five-column row missing a field")
        << Files{{foods, full + "谷类（每100克）\t馒头\t223\t第6版 011404x\n"}} << foods << 2 << "应有 5 个";
    QTest::newRow("empty source") << Files{{foods, full + "谷类（每100克）\t馒头\t223\t \t一个=100克\n"}} << foods << 2
                                  << "第 4 个字段（来源）是空的";
    QTest::newRow("source neither a food code nor an estimate")
        << Files{{foods, full + "谷类（每100克）\t馒头\t223\t中国食物成分表\t一个=100克\n"}} << foods << 2
        << "来源“中国食物成分表”";
    QTest::newRow("portion without its grams")
        << Files{{foods, full + bread + "一个\n"}} << foods << 2 << "份量“一个”应写成";
    QTest::newRow("portion in kilograms")
        << Files{{foods, full + bread + "一袋=5000克\n"}} << foods << 2 << "不超过 2000";
    QTest::newRow("unit longer than the caption allows")
        << Files{{foods, full + bread + "一个（刚出锅的大个儿馒头）=100克\n"}} << foods << 2 << "超过 12 个字";
    QTest::newRow("portion of no weight") << Files{{foods, full + bread + "一个=0克\n"}} << foods << 2 << "大于 0";
    QTest::newRow("more than three portions")
        << Files{{foods, full + bread + "一个=100克；半个=50克；两个=200克；一两=50克\n"}} << foods << 2
        << "最多写 3 个";
    QTest::newRow("a unit written twice")
        << Files{{foods, full + bread + "一个=100克；一个=90克\n"}} << foods << 2 << "“一个”写了两次";
    const QString densities = QStringLiteral("densities.tsv");
    QTest::newRow("density of a food not in foods.tsv")
        << Files{{densities, "# 注释\n豆浆\t1.01\t依据\n"}} << densities << 2 << "“豆浆”不在 foods.tsv 中";
    QTest::newRow("density heavier than any drink")
        << Files{{densities, "番茄\t1.9\t依据\n"}} << densities << 1 << "0.7～1.5";
    QTest::newRow("density written with a unit")
        << Files{{densities, "番茄\t1.02g/mL\t依据\n"}} << densities << 1 << "0.7～1.5";
    QTest::newRow("density without its basis") << Files{{densities, "番茄\t1.02\n"}} << densities << 1 << "3 个";
    QTest::newRow("density written twice")
        << Files{{densities, "番茄\t1.02\t甲\n番茄\t1.03\t乙\n"}} << densities << 2 << "第 1 行已有";
    // 番茄 of the valid foods has a unit of 250 mL.
    QTest::newRow("a unit in millilitres without the food's density")
        << Files{{densities, "# 没有番茄\n"}} << densities << 0 << "“番茄”（foods.tsv 第 5 行）";
    QTest::newRow("a unit too long once it names its volume")
        << Files{{foods, full + "蔬菜类（每100克）\t番茄\t15\t估算：甲\t一大杯（鲜榨不加水）=500毫升\n"},
                 {densities, "番茄\t1.02\t依据\n"}}
        << foods << 2 << "连同毫升数超过 12 个字";
    QTest::newRow("schema lacking the portions")
        << Files{{QStringLiteral("schema.sql"), realSchema().replace("CREATE TABLE portions", "CREATE TABLE units")}}
        << "schema.sql" << 0 << "portions";
    QTest::newRow("duplicate category") << Files{{QStringLiteral("categories.txt"),
                                                  "谷类（每100克）\n蔬菜类（每100克）\n谷类（每100克）\n"}}
                                        << "categories.txt" << 3 << "重复";
    QTest::newRow("article without a body")
        << Files{{QStringLiteral("sp.txt"), "# 甲\n正文\n# 乙\n\n# 丙\n正文\n"}} << "sp.txt" << 3 << "“乙”没有正文";
    QTest::newRow("last article without a body")
        << Files{{QStringLiteral("sp.txt"), "# 甲\n正文\n# 乙\n  \n\n"}} << "sp.txt" << 3 << "“乙”没有正文";
    QTest::newRow("text before the first title")
        << Files{{QStringLiteral("yd.txt"), "\n说明\n# 甲\n正文\n"}} << "yd.txt" << 2 << "第一个标题之前";
    QTest::newRow("empty title") << Files{{QStringLiteral("xd.txt"), "# 甲\n正文\n#   \n正文\n"}} << "xd.txt" << 3
                                 << "标题为空";
    QTest::newRow("no article at all") << Files{{QStringLiteral("xd.txt"), "\n\n"}} << "xd.txt" << 0 << "没有任何文章";
    QTest::newRow("not UTF-8") << Files{{QStringLiteral("sp.txt"), "# 甲\n\xd5\xfd\xce\xc4\n"}} << "sp.txt" << 2
                               << "UTF-8";
    QTest::newRow("plan day out of order")
        << Files{{QStringLiteral("plan.txt"), "# 周一\n快走\n# 周三\n快走\n"}} << "plan.txt" << 3 << "应为“# 周二”";
    QTest::newRow("plan short of a week")
        << Files{{QStringLiteral("plan.txt"), week().left(week().indexOf("# 周日"))}} << "plan.txt" << 0 << "只有 6 天";
    QTest::newRow("plan longer than a week")
        << Files{{QStringLiteral("plan.txt"), week() + "# 周一\n休息\n"}} << "plan.txt" << 29 << "多出了一天";
    QTest::newRow("missing source file") << Files{{QStringLiteral("yd.txt"), QByteArray()}} << "yd.txt" << 0
                                         << "找不到";
    QTest::newRow("mistake in the schema")
        << Files{{QStringLiteral("schema.sql"), realSchema() + "\n-- 索引\nCREATE INDEKS foods ON \"01\"(Title);\n"}}
        << "schema.sql" << static_cast<int>(realSchema().count('\n')) + 3 << "SQL";
    QTest::newRow("schema lacking the diary")
        << Files{{QStringLiteral("schema.sql"), realSchema().replace("CREATE TABLE rj", "CREATE TABLE diary")}}
        << "schema.sql" << 0 << "rj";
    // A rule the database enforces is still reported at the source line that broke it.
    QTest::newRow("row refused by the database")
        << Files{{foods, header + rice + "谷类（每100克）\t米饭（蒸）\t116\n"},
                 {QStringLiteral("schema.sql"), realSchema() + "\nCREATE TRIGGER no_rice BEFORE INSERT ON \"01\" "
                                                               "WHEN NEW.Title = '米饭（蒸）' BEGIN "
                                                               "SELECT RAISE(ABORT, 'refused'); END;\n"}}
        << foods << 3 << "无法写入数据库";
}

void ContentCompilerTest::sourceFaults()
{
    QFETCH(Files, files);
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(QString, says);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sources = dir.filePath(QStringLiteral("content"));
    QVERIFY(writeContent(sources, files));

    const CompileResult result = compileContent(sources, dir.filePath(QStringLiteral("data.Mdb")));

    QVERIFY(result.outcome == Outcome::Failed);
    const QString where = line > 0 ? QStringLiteral("%1:%2: ").arg(file).arg(line) : file + QStringLiteral(": ");
    const QString shown = result.error.toString();
    QVERIFY2(shown.startsWith(QDir(sources).filePath(where)), qPrintable(shown));
    QVERIFY2(result.error.message.contains(says), qPrintable(shown));
    QCOMPARE(leftovers(dir.path()), QStringList());
}

void ContentCompilerTest::existingOutputIsLeftAlone_data()
{
    QTest::addColumn<bool>("validSources");
    QTest::addColumn<bool>("danglingLink");

    QTest::newRow("valid sources") << true << false;
    QTest::newRow("faulty sources") << false << false;
    QTest::newRow("dangling link at the output") << true << true;
}

void ContentCompilerTest::existingOutputIsLeftAlone()
{
    QFETCH(bool, validSources);
    QFETCH(bool, danglingLink);

    QTemporaryDir dir;
    const QString sources = dir.filePath(QStringLiteral("content"));
    Files overrides;
    if (!validSources)
        overrides.insert(QStringLiteral("foods.tsv"), QByteArrayLiteral("garbage"));
    QVERIFY(writeContent(sources, overrides));

    const QString output = dir.filePath(QStringLiteral("data.Mdb"));
    const QString linkTarget = dir.filePath(QStringLiteral("elsewhere.Mdb"));
    QByteArray diary;
    if (danglingLink) {
        QVERIFY(QFile::link(linkTarget, output));
    } else {
        // Not a database at all, so any attempt to open and "repair" it would show.
        diary = QByteArrayLiteral("2024-03-01 晚饭后散步 61.5\n") + QByteArray(4096, '\x7f');
        QFile file(output);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(diary);
        file.close();
        QVERIFY(QFile::setPermissions(output, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }

    const CompileResult result = compileContent(sources, output);

    QVERIFY(result.outcome == Outcome::LeftUntouched);
    if (danglingLink) {
        QCOMPARE(QFileInfo(output).symLinkTarget(), linkTarget);
        QVERIFY(!QFileInfo::exists(linkTarget));
    } else {
        QCOMPARE(readAll(output), diary);
        QCOMPARE(permissionBits(output), mode_t(0640));
    }
    QCOMPARE(leftovers(dir.path()), QStringList{QStringLiteral("data.Mdb")});
}

void ContentCompilerTest::liquidsAreWeighedByTheirDensity_data()
{
    QTest::addColumn<QByteArray>("densities"); // null: no densities.tsv
    QTest::addColumn<QString>("portions");

    // 250 mL × 1.02 g/mL = 255 g; 15 mL × 0.92 = 13.8 g keeps its tenth; 50 mL × 0.92 = 46 g.
    QTest::newRow("weighed, the volume kept in the unit's name")
        << QByteArray("# 密度\n番茄\t1.02\t番茄汁\n白酒\t0.92\t52度\n")
        << "番茄/一杯（榨汁，250毫升）/255/克|白酒/一两（50毫升）/46/克|白酒/一小杯（15毫升）/13.8/克";
    QTest::newRow("without densities the millilitres count as grams")
        << QByteArray() << "番茄/一杯（榨汁）/250/毫升|白酒/一两/50/毫升|白酒/一小杯/15/毫升";
}

void ContentCompilerTest::liquidsAreWeighedByTheirDensity()
{
    QFETCH(QByteArray, densities);
    QFETCH(QString, portions);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sources = dir.filePath(QStringLiteral("content"));
    const QByteArray foods = kFoods + "谷类（每100克）\t白酒\t312\t估算：按酒精\t一两=50毫升；一小杯=15毫升\n";
    QVERIFY(
        writeContent(sources, {{QStringLiteral("foods.tsv"), foods}, {QStringLiteral("densities.tsv"), densities}}));
    const QString output = dir.filePath(QStringLiteral("data.Mdb"));
    const CompileResult result = compileContent(sources, output);
    QVERIFY2(result.outcome == Outcome::Built, qPrintable(result.error.toString()));
    ContentTestDatabase db(output);
    QCOMPARE(db.scalar(QStringLiteral("SELECT group_concat(Title || '/' || Unit || '/' || g || '/' || Measure, '|') "
                                      "FROM (SELECT * FROM portions WHERE Title IN ('番茄', '白酒') ORDER BY rowid)"))
                 .toString(),
             portions);
}

void ContentCompilerTest::readings_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("readings"); // with the shipped polyphones.txt

    QTest::newRow("one token per character, brackets and digits too")
        << "鸡翅（可食部69%）" << QStringList{"ji chi - ke shi bu 6 9 - -"};
    QTest::newRow("a character read by its neighbour") << "重庆小面" << QStringList{"chong qing xiao mian"};
    QTest::newRow("letters of any width, lower case") << "ＡD钙奶" << QStringList{"a d gai nai"};
    QTest::newRow("ü as u and as v") << "绿豆" << QStringList{"lu dou", "lv dou"};
    QTest::newRow("polyphone the transliterator misreads")
        << "长豆角" << QStringList{"zhang dou jiao", "chang dou jiao"};
    QTest::newRow("polyphone inside a longer name")
        << "樱桃番茄" << QStringList{"ying tao fan jia", "ying tao fan qie"};
    QTest::newRow("polyphone") << "薄荷" << QStringList{"bao he", "bo he"};
    QTest::newRow("polyphone read right already: one reading") << "鸡蛋白" << QStringList{"ji dan bai"};
    QTest::newRow("polyphone read right already") << "红薯" << QStringList{"hong shu"};
    QTest::newRow("two polyphones in one name")
        << "番茄炒茄子" << QStringList{"fan jia chao jia zi", "fan qie chao qie zi"};
}

void ContentCompilerTest::readings()
{
    QFETCH(QString, title);
    QFETCH(QStringList, readings);
    static tevu::content::Content shipped;
    if (shipped.foods.isEmpty()) {
        tevu::content::SourceError error;
        QVERIFY2(tevu::content::loadContent(QStringLiteral(TEVU_SOURCE_DIR "/resources/content"), shipped, error),
                 qPrintable(error.toString()));
    }
    QCOMPARE(tevu::content::readingsOf(title, shipped.polyphones), readings);
}

void ContentCompilerTest::executable_data()
{
    QTest::addColumn<QByteArray>("foods");
    QTest::addColumn<bool>("outputExists");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutSays");
    QTest::addColumn<QString>("stderrSays");

    QTest::newRow("faulty row") << QByteArray("Name\tTitle\tsz\n谷类（每100克）\t稻米\t三四六\n") << false << 1
                                << QString() << "foods.tsv:2: ";
    QTest::newRow("valid") << kFoods << false << 0 << "已生成" << QString();
    QTest::newRow("output exists") << kFoods << true << 0 << "已存在" << QString();
}

void ContentCompilerTest::executable()
{
    QFETCH(QByteArray, foods);
    QFETCH(bool, outputExists);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutSays);
    QFETCH(QString, stderrSays);

    QTemporaryDir dir;
    const QString sources = dir.filePath(QStringLiteral("content"));
    QVERIFY(writeContent(sources, {{QStringLiteral("foods.tsv"), foods}}));
    const QString output = dir.filePath(QStringLiteral("data.Mdb"));
    const QByteArray existing = "不是数据库";
    if (outputExists) {
        QFile file(output);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(existing);
    }

    QProcess process;
    process.start(QStringLiteral(MAKE_DATA_EXE), {sources, output});
    QVERIFY(process.waitForFinished(30000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());

    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    if (!stdoutSays.isEmpty())
        QVERIFY2(out.contains(stdoutSays), qPrintable(out));
    if (stderrSays.isEmpty()) {
        QCOMPARE(err, QString());
    } else {
        QVERIFY2(err.startsWith(QDir(sources).filePath(stderrSays)), qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
    }
    if (outputExists)
        QCOMPARE(readAll(output), existing);
    else if (exitCode == 0)
        QCOMPARE(permissionBits(output), mode_t(0600));
    else
        QCOMPARE(leftovers(dir.path()), QStringList());
}

QTEST_GUILESS_MAIN(ContentCompilerTest)
#include "tst_content_compiler.moc"
