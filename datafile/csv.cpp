// CSV export and import of the diary.
#include "datafile/csv.h"

#include "data/connection.h"
#include "data/conversions.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/datafile.h"

#include <QHash>
#include <QIODevice>
#include <QList>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <iconv.h>
#include <sqlite3.h>

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

void appendField(QByteArray& out, const char* data, qsizetype size)
{
    const QByteArrayView text(data, size);
    bool quote = false;
    for (const char c : text)
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    if (!quote) {
        out.append(data, size);
        return;
    }
    out.append('"');
    for (const char c : text) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

void appendText(QByteArray& out, sqlite3_stmt* row, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    appendField(out, text ? text : "", sqlite3_column_bytes(row, column));
}

// The weight as the export writes it and as duplicates are compared: empty for none.
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
        appendText(out, row, column);
    }
}

QString decode(const QByteArray& file, const QString& fileName)
{
    QByteArrayView bytes(file);
    const bool marked = bytes.startsWith(QByteArrayView(bom, 3));
    if (marked)
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    if (marked)
        throw DataError(QStringLiteral("文件“%1”标明是 UTF-8 编码，但其中有无效的字节").arg(fileName));
    // Qt 6.4 converts no GB encoding by itself; the C library's iconv does.
    iconv_t gb = iconv_open("UTF-16LE", "GB18030");
    if (gb == reinterpret_cast<iconv_t>(-1))
        throw DataError(QStringLiteral("无法读取 GB18030 编码的文件“%1”").arg(fileName));
    QByteArray wide(bytes.size() * 4 + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* out = wide.data();
    size_t outLeft = static_cast<size_t>(wide.size());
    const size_t done = iconv(gb, &in, &inLeft, &out, &outLeft);
    iconv_close(gb);
    if (done == static_cast<size_t>(-1) || inLeft != 0)
        throw DataError(QStringLiteral("文件“%1”既不是 UTF-8 也不是 GB18030 编码的文本").arg(fileName));
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(wide.constData()),
                              (wide.size() - static_cast<qsizetype>(outLeft)) / 2);
}

struct Record {
    qsizetype line = 0; // the file's line on which the record starts
    QStringList fields;
};

// RFC 4180, with LF or CRLF line ends and lenient about a quote inside an unquoted field.
QList<Record> parse(const QString& text, const QString& fileName)
{
    QList<Record> records;
    const qsizetype size = text.size();
    qsizetype at = 0;
    qsizetype line = 1;
    while (at < size) {
        Record record;
        record.line = line;
        for (;;) {
            QString field;
            if (at < size && text[at] == u'"') {
                const qsizetype openedOn = line;
                ++at;
                for (;;) {
                    if (at >= size)
                        throw DataError(QStringLiteral("文件“%1”第 %2 行：引号开始的字段没有结束的引号")
                                            .arg(fileName)
                                            .arg(openedOn));
                    const QChar c = text[at];
                    if (c == u'"') {
                        if (at + 1 < size && text[at + 1] == u'"') {
                            field += u'"';
                            at += 2;
                            continue;
                        }
                        ++at;
                        break;
                    }
                    if (c == u'\n')
                        ++line;
                    field += c;
                    ++at;
                }
                // Anything between the closing quote and the next comma is kept as it stands.
                const qsizetype start = at;
                while (at < size && text[at] != u',' && text[at] != u'\n' && text[at] != u'\r')
                    ++at;
                field += QStringView(text).sliced(start, at - start);
            } else {
                const qsizetype start = at;
                while (at < size && text[at] != u',' && text[at] != u'\n' && text[at] != u'\r')
                    ++at;
                field = text.sliced(start, at - start);
            }
            record.fields.push_back(std::move(field));
            if (at < size && text[at] == u',') {
                ++at;
                continue;
            }
            break;
        }
        if (at < size && text[at] == u'\r')
            ++at;
        if (at < size && text[at] == u'\n')
            ++at;
        ++line;
        const bool blank = record.fields.size() == 1 && record.fields.front().trimmed().isEmpty();
        if (!blank)
            records.push_back(std::move(record));
    }
    return records;
}

// Reads up to `most` ASCII digits (at least one); -1 when there is none.
int digits(QStringView text, qsizetype& at, int least, int most)
{
    int value = 0;
    int count = 0;
    while (at < text.size() && count < most && text[at] >= u'0' && text[at] <= u'9') {
        value = value * 10 + (text[at].unicode() - u'0');
        ++at;
        ++count;
    }
    return count >= least ? value : -1;
}

QByteArray key(QByteArrayView time, QByteArrayView weight, QByteArrayView text)
{
    QByteArray k;
    k.reserve(time.size() + weight.size() + text.size() + 2);
    k.append(time).append('\0').append(weight).append('\0').append(text);
    return k;
}

QByteArrayView columnBytes(sqlite3_stmt* row, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(row, column)) : QByteArrayView();
}

bool outOfOrder(sqlite3* db, const QString& path)
{
    sqlite::Statement disorder(
        db,
        QStringLiteral(
            "SELECT count(*) FROM (SELECT time < lag(time) OVER (ORDER BY rowid) AS back FROM rj) WHERE back"),
        path);
    disorder.step();
    return disorder.value(0).toDouble() > 0;
}

struct NewEntry {
    QString time;
    std::optional<double> weight;
    QString text;
};

} // namespace

qint64 exportCsv(const QString& dataPath, QIODevice& out)
{
    const Handle db = open(dataPath, false);
    sqlite::Statement rows(db.get(), QStringLiteral("SELECT time, lb, demo FROM rj ORDER BY rowid"), dataPath);
    QByteArray buffer;
    buffer.reserve(1 << 20);
    buffer.append(bom);
    buffer.append(QStringLiteral("%1,%2,%3\r\n")
                      .arg(QStringView(timeColumn), QStringView(weightColumn), QStringView(textColumn))
                      .toUtf8());
    qint64 count = 0;
    const auto flush = [&] {
        if (out.write(buffer) != buffer.size())
            throw DataError(QStringLiteral("写入 CSV 文件时出错：%1").arg(out.errorString()));
        buffer.clear();
    };
    while (rows.step()) {
        sqlite3_stmt* row = rows.handle();
        appendText(buffer, row, 0);
        buffer.append(',');
        appendWeight(buffer, row, 1);
        buffer.append(',');
        appendText(buffer, row, 2);
        buffer.append("\r\n");
        ++count;
        if (buffer.size() > (1 << 20) - 4096)
            flush();
    }
    flush();
    return count;
}

std::optional<QString> csvTimeToStored(QStringView text)
{
    text = text.trimmed();
    qsizetype at = 0;
    const int year = digits(text, at, 4, 4);
    if (year < 0 || at >= text.size() || (text[at] != u'-' && text[at] != u'/'))
        return std::nullopt;
    const QChar separator = text[at++];
    const int month = digits(text, at, 1, 2);
    if (month < 0 || at >= text.size() || text[at++] != separator)
        return std::nullopt;
    const int day = digits(text, at, 1, 2);
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (day < 0)
        return std::nullopt;
    if (at < text.size()) {
        if (text[at] != u' ' && text[at] != u'T')
            return std::nullopt;
        while (at < text.size() && (text[at] == u' ' || text[at] == u'T'))
            ++at;
        hour = digits(text, at, 1, 2);
        if (hour < 0 || at >= text.size() || text[at++] != u':')
            return std::nullopt;
        minute = digits(text, at, 2, 2);
        if (minute < 0)
            return std::nullopt;
        if (at < text.size() && text[at] == u':') {
            ++at;
            second = digits(text, at, 2, 2);
            if (second < 0)
                return std::nullopt;
            if (at < text.size() && text[at] == u'.') {
                ++at;
                const qsizetype start = at;
                const int fraction = digits(text, at, 1, 3);
                if (fraction < 0)
                    return std::nullopt;
                ms = fraction * (at - start == 1 ? 100 : at - start == 2 ? 10 : 1);
                // Digits past the milliseconds are not kept, as the program keeps none.
                while (at < text.size() && text[at] >= u'0' && text[at] <= u'9')
                    ++at;
            }
        }
    }
    if (at != text.size() || !QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second, ms))
        return std::nullopt;
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%03d", year, month, day, hour, minute, second, ms);
}

ImportResult importCsv(const QString& dataPath, const QByteArray& file, const QString& fileName,
                       const Progress& progress)
{
    const QList<Record> records = parse(decode(file, fileName), fileName);
    const QString columns[3] = {QString::fromUtf16(timeColumn), QString::fromUtf16(weightColumn),
                                QString::fromUtf16(textColumn)};
    if (records.isEmpty())
        throw DataError(QStringLiteral("文件“%1”是空的，没有标题行").arg(fileName));
    const Record& header = records.front();
    qsizetype index[3];
    for (int c = 0; c < 3; ++c) {
        index[c] = -1;
        for (qsizetype i = 0; i < header.fields.size() && index[c] < 0; ++i)
            if (header.fields[i].trimmed() == columns[c])
                index[c] = i;
        if (index[c] < 0)
            throw DataError(QStringLiteral("文件“%1”第 %2 行：标题行中没有“%3”列（应有 时间,体重(斤),日记 三列）")
                                .arg(fileName)
                                .arg(header.line)
                                .arg(columns[c]));
    }

    const qint64 total = records.size() - 1;
    QList<NewEntry> entries;
    entries.reserve(total);
    for (qsizetype r = 1; r < records.size(); ++r) {
        const Record& record = records[r];
        const auto where = [&](int c) {
            return QStringLiteral("文件“%1”第 %2 行，“%3”列").arg(fileName).arg(record.line).arg(columns[c]);
        };
        if (record.fields.size() > header.fields.size())
            throw DataError(QStringLiteral("文件“%1”第 %2 行有 %3 个字段，比标题行的 %4 列多")
                                .arg(fileName)
                                .arg(record.line)
                                .arg(record.fields.size())
                                .arg(header.fields.size()));
        for (int c = 0; c < 3; ++c)
            if (index[c] >= record.fields.size())
                throw DataError(where(c) + QStringLiteral("：这一行缺少这一列"));
        NewEntry entry;
        const QString& time = record.fields[index[0]];
        const auto stored = csvTimeToStored(time);
        if (!stored)
            throw DataError(
                where(0) +
                QStringLiteral("：“%1”不是能识别的时间（例如 2026-12-07 08:05:00 或 2026/12/7 8:05）").arg(time));
        entry.time = *stored;
        const QString weight = record.fields[index[1]].trimmed();
        if (!weight.isEmpty()) {
            try {
                entry.weight = conversions::textToWeight(weight, QLocale::c());
            } catch (const DataError& e) {
                throw DataError(where(1) + QStringLiteral("：") + e.message());
            }
        }
        entry.text = record.fields[index[2]];
        entries.push_back(std::move(entry));
    }
    // Sorted here so that the new rows go in already in order; equal times keep the file's order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const NewEntry& a, const NewEntry& b) { return a.time < b.time; });

    Connection connection(QString{});
    connection.setConnectionString(QStringLiteral("Data Source=") + dataPath);
    connection.connect();
    sqlite3* db = connection.handle();
    datafile::inspect(db, dataPath);
    Transaction transaction(connection);

    QSet<QByteArray> present;
    {
        sqlite::Statement rows(db, QStringLiteral("SELECT time, lb, demo FROM rj"), dataPath);
        QByteArray weight;
        while (rows.step()) {
            weight.clear();
            appendWeight(weight, rows.handle(), 1);
            present.insert(key(columnBytes(rows.handle(), 0), weight, columnBytes(rows.handle(), 2)));
        }
    }

    ImportResult result;
    sqlite::Statement insert(db, QStringLiteral("INSERT INTO rj(time, demo, lb) VALUES (?, ?, ?)"), dataPath);
    QByteArray weight;
    qint64 done = 0;
    for (const NewEntry& entry : std::as_const(entries)) {
        const QByteArray time = entry.time.toUtf8();
        const QByteArray text = entry.text.toUtf8();
        weight.clear();
        if (entry.weight)
            appendNumber(weight, *entry.weight);
        if (!present.contains(key(time, weight, text))) {
            present.insert(key(time, weight, text));
            sqlite3_stmt* statement = insert.handle();
            sqlite3_bind_text64(statement, 1, time.constData(), static_cast<sqlite3_uint64>(time.size()), SQLITE_STATIC,
                                SQLITE_UTF8);
            sqlite3_bind_text64(statement, 2, text.constData(), static_cast<sqlite3_uint64>(text.size()), SQLITE_STATIC,
                                SQLITE_UTF8);
            if (entry.weight)
                sqlite3_bind_double(statement, 3, *entry.weight);
            else
                sqlite3_bind_null(statement, 3);
            insert.step();
            insert.reset();
            ++result.added;
        } else {
            ++result.skipped;
        }
        if (progress && ++done % 1000 == 0)
            progress(done, total);
    }

    if (result.added > 0 && outOfOrder(db, dataPath)) {
        // Rewritten in time order, every column kept; equal times keep their stored order.
        sqlite::exec(db, QStringLiteral("CREATE TEMP TABLE tevu_sorted AS SELECT * FROM rj ORDER BY time, rowid"),
                     dataPath);
        sqlite::exec(db, QStringLiteral("DELETE FROM rj"), dataPath);
        sqlite::exec(db, QStringLiteral("INSERT INTO rj SELECT * FROM temp.tevu_sorted ORDER BY rowid"), dataPath);
        sqlite::exec(db, QStringLiteral("DROP TABLE temp.tevu_sorted"), dataPath);
    }
    transaction.commit();
    if (progress)
        progress(total, total);
    return result;
}

} // namespace datafile
