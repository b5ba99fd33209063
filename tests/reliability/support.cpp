// Entries, plan texts and independent checks for the reliability tests.
#include "support.h"

#include "data/conversions.h"
#include "data/errors.h"
#include "data/sqlite.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstring>
#include <optional>
#include <random>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>

namespace reliability {

namespace {

// A connection of the tests' own, through whatever file system is the default.
sqlite::Database openOwn(const QString& path)
{
    sqlite::Database db = sqlite::open(path, sqlite::OpenMode::ReadWrite);
    sqlite3_busy_timeout(db.get(), 10000);
    return db;
}

// Pieces that would break any program gluing user text into SQL.
const char16_t* const pieces[] = {
    u"今天吃了一碗小米粥",
    u"晚饭只吃了青菜豆腐",
    u"跑步五公里，出了一身汗",
    u"O'Brien's salad",
    u"'); DROP TABLE rj; --",
    u"\"双引号\"",
    u"a;b;c;",
    u"-- 这不是注释",
    u"/* 也不是 */",
    u"100% 坚持",
    u"_下划线_",
    u"反斜杠\\",
    u"😀🍎",
    u"\t",
    u"\n",
    u"‘中文单引号’",
    u"“中文双引号”",
    u"？！",
    u"x'00'",
    u"?1 ?2 :a @b $c",
    u"NULL",
    u"0x7FFFFFFF",
    u"');",
    u"\";--",
};

std::mt19937_64 generatorFor(std::uint64_t seed, int seq, std::uint64_t salt)
{
    std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                           static_cast<std::uint32_t>(seq), static_cast<std::uint32_t>(salt)};
    return std::mt19937_64(sequence);
}

QString randomText(std::mt19937_64& random, int minimum, int maximum)
{
    constexpr int pieceCount = static_cast<int>(sizeof pieces / sizeof pieces[0]);
    const int target = std::uniform_int_distribution<int>(minimum, maximum)(random);
    QString text;
    while (text.size() < target)
        text += QString::fromUtf16(pieces[std::uniform_int_distribution<int>(0, pieceCount - 1)(random)]);
    return text;
}

} // namespace

void useProgramLocale()
{
    conversions::setLocale(QLocale(QLocale::Chinese, QLocale::China));
}

Entry diaryEntry(std::uint64_t seed, int seq)
{
    auto random = generatorFor(seed, seq, 1);
    Entry entry;
    entry.seq = seq;
    // Mostly a few lines; now and then a long one that spills over several pages of the file.
    const bool longOne = std::uniform_int_distribution<int>(0, 7)(random) == 0;
    entry.text =
        QStringLiteral("#%1#").arg(seq) + (longOne ? randomText(random, 2000, 20000) : randomText(random, 1, 200));
    const int whole = std::uniform_int_distribution<int>(80, 250)(random);
    const int tenth = std::uniform_int_distribution<int>(0, 9)(random);
    switch (std::uniform_int_distribution<int>(0, 4)(random)) {
    case 0:
        entry.weightText = QString::number(whole);
        break;
    case 1:
        entry.weightText = QStringLiteral("%1.%2").arg(whole).arg(tenth);
        break;
    case 2:
        entry.weightText = QStringLiteral(" %1.%2 ").arg(whole).arg(tenth);
        break;
    case 3:
        entry.weightText = QStringLiteral("%1.%2e0").arg(whole).arg(tenth);
        break;
    default:
        entry.weightText = QStringLiteral("+%1.%25").arg(whole).arg(tenth);
        break;
    }
    const auto weight = conversions::textToNumber(entry.weightText, QLocale(QLocale::Chinese, QLocale::China));
    if (!weight)
        throw std::logic_error("reliability: a generated weight does not convert");
    entry.weight = *weight;
    return entry;
}

QStringList planTexts(std::uint64_t seed, int version)
{
    QStringList texts;
    for (int day = 0; day < 7; ++day) {
        auto random = generatorFor(seed, version * 7 + day, 2);
        texts << QStringLiteral("版本%1 第%2天：").arg(version).arg(day + 1) + randomText(random, 0, 300);
    }
    return texts;
}

void seedDiary(const QString& path, std::uint64_t seed, int first, int count)
{
    const sqlite::Database db = openOwn(path);
    sqlite::exec(db.get(), QStringLiteral("BEGIN"), path);
    sqlite::Statement insert(db.get(), QStringLiteral("INSERT INTO rj(time, demo, lb) VALUES(?, ?, ?)"), path);
    const QDateTime start(QDate(2020, 1, 1), QTime(7, 30));
    for (int seq = first; seq < first + count; ++seq) {
        const Entry entry = diaryEntry(seed, seq);
        insert.reset();
        insert.bind(1, conversions::toStorageText(start.addSecs(3600LL * 24 * seq)));
        insert.bind(2, entry.text);
        insert.bind(3, entry.weight);
        insert.step();
    }
    sqlite::exec(db.get(), QStringLiteral("COMMIT"), path);
}

void seedPlan(const QString& path, const QStringList& texts)
{
    const sqlite::Database db = openOwn(path);
    sqlite::execScript(db.get(), QStringLiteral("BEGIN; DELETE FROM plan"), path);
    sqlite::Statement insert(db.get(), QStringLiteral("INSERT INTO plan(foodsport) VALUES(?)"), path);
    for (const QString& text : texts) {
        insert.reset();
        insert.bind(1, text);
        insert.step();
    }
    sqlite::exec(db.get(), QStringLiteral("COMMIT"), path);
}

QString integrity(const QString& path)
{
    try {
        const sqlite::Database db = openOwn(path);
        sqlite::Statement check(db.get(), QStringLiteral("PRAGMA integrity_check"), path);
        QStringList lines;
        while (check.step())
            lines << check.value(0).toString();
        return lines.join(u'\n');
    } catch (const DataError& e) {
        return e.message();
    }
}

DiaryOutcome checkDiary(const QString& path, std::uint64_t seed, const QSet<int>& acknowledged,
                        const QSet<int>& inFlight)
{
    DiaryOutcome outcome;
    QStringList failures;
    sqlite::Database db;
    std::optional<sqlite::Statement> statement;
    try {
        db = openOwn(path);
        statement.emplace(db.get(), QStringLiteral("SELECT rowid, time, demo, lb FROM rj ORDER BY rowid"), path);
    } catch (const DataError& e) {
        outcome.failure = e.message();
        return outcome;
    }
    // Read with the engine's own calls, not the program's reading of a column: this is the independent check.
    sqlite3_stmt* const rows = statement->handle();
    static const QRegularExpression number(QStringLiteral("^#(\\d+)#"));
    const auto step = [&] {
        try {
            return statement->step();
        } catch (const DataError& e) {
            failures << QStringLiteral("reading rj failed: ") + e.message();
            return false;
        }
    };
    while (step()) {
        ++outcome.rows;
        const qint64 rowid = sqlite3_column_int64(rows, 0);
        const QByteArray demo(static_cast<const char*>(sqlite3_column_blob(rows, 2)), sqlite3_column_bytes(rows, 2));
        const auto m = number.match(QString::fromUtf8(demo.left(32)));
        if (!m.hasMatch()) {
            failures << QStringLiteral("row %1 holds a text that no entry starts with: %2")
                            .arg(rowid)
                            .arg(QString::fromUtf8(demo.left(60)));
            continue;
        }
        const int seq = m.captured(1).toInt();
        const Entry entry = diaryEntry(seed, seq);
        if (outcome.present.contains(seq))
            failures << QStringLiteral("entry %1 is stored twice (row %2)").arg(seq).arg(rowid);
        outcome.present.insert(seq);
        if (!acknowledged.contains(seq) && !inFlight.contains(seq))
            failures << QStringLiteral("entry %1 was never being saved but is there (row %2)").arg(seq).arg(rowid);
        if (sqlite3_column_type(rows, 2) != SQLITE_TEXT || demo != entry.text.toUtf8())
            failures << QStringLiteral("entry %1 has a different text: %2 bytes instead of %3")
                            .arg(seq)
                            .arg(demo.size())
                            .arg(entry.text.toUtf8().size());
        const double lb = sqlite3_column_double(rows, 3);
        if (sqlite3_column_type(rows, 3) != SQLITE_FLOAT || std::memcmp(&lb, &entry.weight, sizeof lb) != 0)
            failures << QStringLiteral("entry %1 has weight %2 instead of %3")
                            .arg(seq)
                            .arg(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 3))))
                            .arg(entry.weight);
        const QString time = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, 1)));
        if (sqlite3_column_type(rows, 1) != SQLITE_TEXT || time.size() != 23 || !conversions::fromStorageText(time))
            failures << QStringLiteral("entry %1 has time '%2'").arg(seq).arg(time);
    }
    QList<int> lost;
    for (int seq : acknowledged)
        if (!outcome.present.contains(seq))
            lost << seq;
    std::sort(lost.begin(), lost.end());
    for (int seq : lost)
        failures << QStringLiteral("acknowledged entry %1 is lost").arg(seq);
    outcome.failure = failures.join(u'\n');
    return outcome;
}

health::Measurement measurementOf(int seq)
{
    // Within the ranges the window takes: waist 40 to 199.9 cm, body fat 3 to 69.9 %.
    return {QDate(2000, 1, 1).addDays(seq), 40 + (seq * 7 % 1600) / 10.0, std::nullopt, 3 + (seq * 13 % 670) / 10.0};
}

QStringList planRows(const QString& path, QString* failure)
{
    QStringList texts;
    try {
        const sqlite::Database db = openOwn(path);
        sqlite::Statement rows(db.get(), QStringLiteral("SELECT foodsport FROM plan ORDER BY rowid"), path);
        while (rows.step())
            texts << rows.value(0).toString();
    } catch (const DataError& e) {
        if (failure)
            *failure = e.message();
    }
    return texts;
}

Snapshot snapshot(const QString& path)
{
    Snapshot shot;
    const QFileInfo info(path);
    shot.folder =
        info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    struct stat st {};
    if (::lstat(path.toUtf8().constData(), &st) != 0)
        return shot;
    shot.exists = true;
    shot.isDir = S_ISDIR(st.st_mode);
    shot.mode = st.st_mode & 07777;
    shot.mtimeNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    if (!shot.isDir) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            shot.bytes = file.readAll();
    }
    return shot;
}

QString difference(const Snapshot& before, const Snapshot& after)
{
    QStringList parts;
    if (before.exists != after.exists)
        parts << QStringLiteral("exists %1 -> %2").arg(before.exists).arg(after.exists);
    if (before.isDir != after.isDir)
        parts << QStringLiteral("folder %1 -> %2").arg(before.isDir).arg(after.isDir);
    if (before.bytes != after.bytes)
        parts << QStringLiteral("content changed (%1 -> %2 bytes)").arg(before.bytes.size()).arg(after.bytes.size());
    if (before.mtimeNs != after.mtimeNs)
        parts << QStringLiteral("modification time changed");
    if (before.mode != after.mode)
        parts << QStringLiteral("mode %1 -> %2").arg(before.mode, 0, 8).arg(after.mode, 0, 8);
    if (before.folder != after.folder)
        parts << QStringLiteral("folder held [%1], now [%2]")
                     .arg(before.folder.join(QStringLiteral(", ")), after.folder.join(QStringLiteral(", ")));
    return parts.join(QStringLiteral("; "));
}

std::uint64_t runSeed(const char* testName)
{
    bool ok = false;
    std::uint64_t seed = qEnvironmentVariable("TEVU_SEED").toULongLong(&ok);
    if (!ok)
        seed = static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) * 2654435761ULL;
    qInfo("%s: seed %llu (set TEVU_SEED=%llu to replay)", testName, static_cast<unsigned long long>(seed),
          static_cast<unsigned long long>(seed));
    return seed;
}

bool soak()
{
    return qEnvironmentVariableIntValue("TEVU_SOAK") == 1;
}

int runs(int shortForm, int longForm)
{
    return soak() ? longForm : shortForm;
}

} // namespace reliability
