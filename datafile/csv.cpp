// CSV export and import of the diary.
#include "datafile/csv.h"

#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/datafile.h"

#include <QIODevice>
#include <QSet>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <sqlite3.h>
#include <string_view>
#include <unordered_set>

namespace datafile {

namespace {

constexpr char bom[] = "\xEF\xBB\xBF";

// Shortest text that reads back as the same double, with a point.
void appendNumber(QByteArray& out, double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end - buffer);
}

QByteArrayView columnBytes(sqlite3_stmt* row, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(row, column)) : QByteArrayView();
}

// Always quoted, so that a spreadsheet takes it as text.
void appendQuoted(QByteArray& out, QByteArrayView text)
{
    out.append('"');
    if (needsFormulaGuard(text))
        out.append('\'');
    for (const char c : text) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

// A number as the export writes it (a weight as duplicates are compared too): empty for none.
void appendWeight(QByteArray& out, sqlite3_stmt* row, int column)
{
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
        return;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        appendNumber(out, sqlite3_column_double(row, column));
        return;
    default:
        out.append(columnBytes(row, column));
    }
}

// Hands the buffer on once it nears a megabyte: a large export is written in pieces, never held whole.
void flushWhenFull(QByteArray& buffer, const std::function<void(const QByteArray&)>& write)
{
    if (buffer.size() > (1 << 20) - 4096) {
        write(buffer);
        buffer.clear();
    }
}

qint64 writeCsv(const QString& dataPath, const std::function<void(const QByteArray&)>& write)
{
    const sqlite::Database db = sqlite::openDataFile(dataPath, sqlite::Access::Read);
    sqlite::Statement rows(db.get(), QStringLiteral("SELECT time, lb, demo FROM rj ORDER BY rowid"), dataPath);
    QByteArray buffer;
    buffer.reserve(1 << 20);
    buffer.append(bom);
    buffer.append(QStringLiteral("%1,%2,%3\r\n")
                      .arg(QStringView(timeColumn), QStringView(weightColumn), QStringView(textColumn))
                      .toUtf8());
    qint64 count = 0;
    while (rows.step()) {
        sqlite3_stmt* row = rows.handle();
        appendQuoted(buffer, columnBytes(row, 0));
        buffer.append(',');
        appendWeight(buffer, row, 1);
        buffer.append(',');
        appendQuoted(buffer, columnBytes(row, 2));
        buffer.append("\r\n");
        ++count;
        flushWhenFull(buffer, write);
    }
    write(buffer);
    return count;
}

qint64 writeFoodLogCsv(const QString& dataPath, const std::function<void(const QByteArray&)>& write)
{
    const sqlite::Database db = sqlite::openDataFile(dataPath, sqlite::Access::Read);
    QByteArray buffer;
    buffer.append(bom);
    buffer.append(QStringLiteral("时间,餐次,食物,数量,单位,克,大卡\r\n").toUtf8());
    qint64 count = 0;
    if (sqlite::hasTable(db.get(), QStringLiteral("food_log"), dataPath)) {
        sqlite::Statement rows(db.get(),
                               QStringLiteral("SELECT time, meal, food, amount, unit, g, kcal FROM food_log "
                                              "ORDER BY time, rowid"),
                               dataPath);
        while (rows.step()) {
            sqlite3_stmt* row = rows.handle();
            for (int column = 0; column < 7; ++column) {
                if (column > 0)
                    buffer.append(',');
                const bool text = column <= 2 || column == 4;
                if (text)
                    appendQuoted(buffer, columnBytes(row, column));
                else
                    appendWeight(buffer, row, column);
            }
            buffer.append("\r\n");
            ++count;
            flushWhenFull(buffer, write);
        }
    }
    write(buffer);
    return count;
}

// What makes two entries the same at a precision: the time's first `precision` characters, weight and text, its line
// ends made alike (a spreadsheet saves a carriage return as a line feed).
QByteArray key(QByteArrayView time, TimePrecision precision, QByteArrayView weight, QByteArrayView text)
{
    const QByteArrayView given = time.first(std::min<qsizetype>(time.size(), static_cast<qsizetype>(precision)));
    QByteArray k;
    k.reserve(given.size() + weight.size() + text.size() + 2);
    k.append(given).append('\0').append(weight).append('\0');
    if (!text.contains('\r'))
        return k.append(text);
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] != '\r')
            k.append(text[at]);
        else if (at + 1 >= text.size() || text[at + 1] != '\n')
            k.append('\n');
    }
    return k;
}

constexpr TimePrecision precisions[] = {TimePrecision::Day, TimePrecision::Minute, TimePrecision::Second,
                                        TimePrecision::Millisecond};

int slot(TimePrecision precision)
{
    return static_cast<int>(std::find(std::begin(precisions), std::end(precisions), precision) -
                            std::begin(precisions));
}

// Weight and text, what makes entries of one time the same. Two weights are equal when their bits are, as when their
// shortest texts are.
quint64 weightBits(const CsvEntry* e)
{
    return e->weight ? std::bit_cast<quint64>(*e->weight) : 0;
}
struct HashOfEntry {
    size_t operator()(const CsvEntry* e) const
    {
        return std::hash<std::string_view>()(std::string_view(e->text.constData(), size_t(e->text.size()))) ^
               (weightBits(e) * 0x9E3779B97F4A7C15ULL) ^ size_t(e->weight.has_value());
    }
};
struct SameEntry {
    bool operator()(const CsvEntry* a, const CsvEntry* b) const
    {
        return a->weight.has_value() == b->weight.has_value() && weightBits(a) == weightBits(b) && a->text == b->text;
    }
};
using AddedAtOneTime = std::unordered_set<const CsvEntry*, HashOfEntry, SameEntry>;

} // namespace

qint64 exportCsv(const QString& dataPath, QIODevice& out)
{
    return writeCsv(dataPath, [&](const QByteArray& bytes) {
        if (out.write(bytes) != bytes.size())
            throw DataError(QStringLiteral("写入 CSV 内容时出错，没有写完"));
    });
}

ExportResult exportCsvFile(const QString& dataPath, const QString& target)
{
    checkTarget(target, dataPath);
    PartialFile partial(target);
    ExportResult result;
    result.entries =
        writeCsv(dataPath, [&](const QByteArray& bytes) { partial.write(bytes.constData(), bytes.size()); });
    result.durability = partial.commit();
    return result;
}

ExportResult exportFoodLogFile(const QString& dataPath, const QString& target)
{
    checkTarget(target, dataPath);
    PartialFile partial(target);
    ExportResult result;
    result.entries =
        writeFoodLogCsv(dataPath, [&](const QByteArray& bytes) { partial.write(bytes.constData(), bytes.size()); });
    result.durability = partial.commit();
    return result;
}

ImportResult importCsv(const QString& dataPath, const QByteArray& file, const QString& fileName,
                       const Progress& progress)
{
    CsvFile read = readCsv(file, fileName);
    std::vector<CsvEntry>& entries = read.entries;
    const qint64 total = static_cast<qint64>(entries.size());
    // Sorted here so that the new rows go in already in order; equal times keep the file's order. An export is mostly
    // in order already.
    const auto earlier = [](const CsvEntry& a, const CsvEntry& b) { return std::memcmp(a.time, b.time, 23) < 0; };
    if (!std::is_sorted(entries.begin(), entries.end(), earlier))
        std::stable_sort(entries.begin(), entries.end(), earlier);

    const sqlite::Database db = sqlite::openDataFile(dataPath, sqlite::Access::Write);
    checkShape(db.get(), dataPath);
    sqlite::Transaction transaction(db);

    // The stored entries at each precision that a file's time may have: hashed, so that many rows of one time cost no
    // more than as many of different times.
    QSet<QByteArray> stored[std::size(precisions)];
    QByteArray weight;
    QByteArray latest; // the newest time stored before the import
    qint64 before = 0;
    {
        sqlite::Statement rows(db.get(), QStringLiteral("SELECT time, lb, demo FROM rj"), dataPath);
        while (rows.step()) {
            ++before;
            weight.clear();
            appendWeight(weight, rows.handle(), 1);
            const QByteArrayView time = columnBytes(rows.handle(), 0);
            if (time > QByteArrayView(latest))
                latest = time.toByteArray();
            const QByteArrayView text = columnBytes(rows.handle(), 2);
            for (const TimePrecision precision : precisions)
                stored[slot(precision)].insert(key(time, precision, weight, text));
        }
    }

    ImportResult result;
    result.format = read.format;
    result.notWeighings = read.skipped;
    // Nothing stored can match when the diary was empty: no keys are made for it then.
    const bool diaryWasEmpty = before == 0;
    // An entry of the file repeats one added before it when time to the millisecond, weight and text are equal. Equal
    // times stand side by side after the sort, so only the added entries of the current time are kept, and only while
    // the next entry has that time too.
    const auto sameTime = [](const CsvEntry& a, const CsvEntry& b) { return std::memcmp(a.time, b.time, 23) == 0; };
    AddedAtOneTime added;
    sqlite::Statement insert(db.get(), QStringLiteral("INSERT INTO rj(time, demo, lb) VALUES (?, ?, ?)"), dataPath);
    qint64 done = 0;
    QByteArray earliestAdded;
    for (size_t i = 0; i < entries.size(); ++i) {
        const CsvEntry& entry = entries[i];
        const QByteArrayView time(entry.time, 23);
        const bool timeRepeats = i > 0 && sameTime(entries[i - 1], entry);
        if (!timeRepeats && !added.empty())
            added = AddedAtOneTime();
        bool duplicate = timeRepeats && added.contains(&entry);
        if (!duplicate && !diaryWasEmpty) {
            weight.clear();
            if (entry.weight)
                appendNumber(weight, *entry.weight);
            duplicate = stored[slot(entry.precision)].contains(key(time, entry.precision, weight, entry.text));
        }
        if (duplicate) {
            ++result.skipped;
        } else {
            insert.bindUtf8(1, time);
            insert.bindUtf8(2, entry.text);
            insert.bind(3, entry.weight ? QVariant(*entry.weight) : QVariant());
            insert.step();
            insert.reset();
            if (i + 1 < entries.size() && sameTime(entries[i + 1], entry))
                added.insert(&entry);
            if (result.added++ == 0)
                earliestAdded = time.toByteArray();
        }
        if (progress && ++done % 1000 == 0)
            progress(done, total);
    }

    // The new rows went in sorted; only rows older than what was there put the diary out of order.
    if (result.added > 0 && earliestAdded < latest) {
        // Rewritten in time order, every column kept; equal times keep their stored order.
        sqlite::exec(db.get(), QStringLiteral("CREATE TEMP TABLE tevu_sorted AS SELECT * FROM rj ORDER BY time, rowid"),
                     dataPath);
        sqlite::exec(db.get(), QStringLiteral("DELETE FROM rj"), dataPath);
        sqlite::exec(db.get(), QStringLiteral("INSERT INTO rj SELECT * FROM temp.tevu_sorted ORDER BY rowid"),
                     dataPath);
        sqlite::exec(db.get(), QStringLiteral("DROP TABLE temp.tevu_sorted"), dataPath);
    }
    if (result.added > 0)
        result.durability = commitChecked(transaction, db, [&](sqlite3* fresh) {
            sqlite::Statement count(fresh, QStringLiteral("SELECT count(*) FROM rj"), dataPath);
            return count.step() && count.integer(0) == before + result.added;
        });
    if (progress)
        progress(total, total);
    return result;
}

} // namespace datafile
