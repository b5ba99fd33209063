// The CSV reader.
#include "datafile/csvreader.h"

#include "data/conversions.h"
#include "data/errors.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QTime>
#include <charconv>
#include <cstring>
#include <iconv.h>
#include <list>

namespace datafile {

namespace {

constexpr char bom[] = "\xEF\xBB\xBF";

// The file as UTF-8 without the mark.
QByteArray toUtf8(const QByteArray& file, const QString& fileName)
{
    const QByteArrayView mark(bom, 3);
    if (file.startsWith(mark)) {
        QByteArray body = file.sliced(3);
        if (!QByteArrayView(body).isValidUtf8())
            throw DataError(QStringLiteral("文件“%1”标明是 UTF-8 编码，但其中有无效的字节").arg(fileName));
        return body;
    }
    if (QByteArrayView(file).isValidUtf8())
        return file;
    // Qt 6.4 converts no GB encoding by itself; the C library's iconv does.
    iconv_t gb = iconv_open("UTF-8", "GB18030");
    if (gb == reinterpret_cast<iconv_t>(-1))
        throw DataError(QStringLiteral("无法读取 GB18030 编码的文件“%1”").arg(fileName));
    QByteArray utf8(file.size() * 2 + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(file.constData());
    size_t inLeft = static_cast<size_t>(file.size());
    char* out = utf8.data();
    size_t outLeft = static_cast<size_t>(utf8.size());
    const size_t done = iconv(gb, &in, &inLeft, &out, &outLeft);
    iconv_close(gb);
    if (done == static_cast<size_t>(-1) || inLeft != 0)
        throw DataError(QStringLiteral("文件“%1”既不是 UTF-8 也不是 GB18030 编码的文本").arg(fileName));
    utf8.truncate(utf8.size() - static_cast<qsizetype>(outLeft));
    return utf8;
}

// RFC 4180 over UTF-8 bytes, with LF or CRLF line ends and lenient about a quote inside an unquoted field. Unquoted
// fields are views into the text; quoted ones are unescaped into `owned`.
class Reader {
public:
    Reader(const QByteArray& text, QString fileName) : m_text(text), m_fileName(std::move(fileName)) {}

    // The next record that is not a blank line; false at the end.
    bool next(QList<QByteArrayView>& fields, qsizetype& line)
    {
        const qsizetype size = m_text.size();
        const char* data = m_text.constData();
        while (m_at < size) {
            fields.clear();
            m_owned.clear();
            line = m_line;
            for (;;) {
                if (m_at < size && data[m_at] == '"') {
                    const qsizetype openedOn = m_line;
                    QByteArray field;
                    ++m_at;
                    for (;;) {
                        if (m_at >= size)
                            throw DataError(QStringLiteral("文件“%1”第 %2 行：引号开始的字段没有结束的引号")
                                                .arg(m_fileName)
                                                .arg(openedOn));
                        const char c = data[m_at];
                        if (c == '"') {
                            if (m_at + 1 < size && data[m_at + 1] == '"') {
                                field += '"';
                                m_at += 2;
                                continue;
                            }
                            ++m_at;
                            break;
                        }
                        if (c == '\n')
                            ++m_line;
                        field += c;
                        ++m_at;
                    }
                    // Anything between the closing quote and the next comma is kept as it stands.
                    const qsizetype start = m_at;
                    m_at = endOfField(start);
                    field.append(data + start, m_at - start);
                    m_owned.push_back(std::move(field));
                    fields.push_back(m_owned.back());
                } else {
                    const qsizetype start = m_at;
                    m_at = endOfField(start);
                    fields.push_back(QByteArrayView(data + start, m_at - start));
                }
                if (m_at < size && data[m_at] == ',') {
                    ++m_at;
                    continue;
                }
                break;
            }
            if (m_at < size && data[m_at] == '\r')
                ++m_at;
            if (m_at < size && data[m_at] == '\n')
                ++m_at;
            ++m_line;
            if (fields.size() > 1 || !fields.front().trimmed().isEmpty())
                return true;
        }
        return false;
    }

    // How far through the text, for progress.
    qsizetype position() const { return m_at; }

private:
    qsizetype endOfField(qsizetype at) const
    {
        const char* data = m_text.constData();
        while (at < m_text.size() && data[at] != ',' && data[at] != '\n' && data[at] != '\r')
            ++at;
        return at;
    }

    const QByteArray& m_text;
    QString m_fileName;
    qsizetype m_at = 0;
    qsizetype m_line = 1;
    // Stable addresses for the views handed out: a list of implicitly shared arrays whose data never moves.
    std::list<QByteArray> m_owned;
};

// Reads up to `most` ASCII digits (at least `least`); -1 when there are fewer.
template <class Text> int digits(const Text& text, qsizetype& at, int least, int most)
{
    int value = 0;
    int count = 0;
    while (at < text.size() && count < most && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++count;
    }
    return count >= least ? value : -1;
}

void putDigits(char* out, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// The stored form "yyyy-MM-dd HH:mm:ss.zzz" of a time a spreadsheet writes, and how much of it was given; false when
// it does not read.
bool storedTime(QByteArrayView text, char (&out)[24], TimePrecision& precision)
{
    text = text.trimmed();
    qsizetype at = 0;
    const int year = digits(text, at, 4, 4);
    if (year < 0 || at >= text.size() || (text[at] != '-' && text[at] != '/'))
        return false;
    const char separator = text[at++];
    const int month = digits(text, at, 1, 2);
    if (month < 0 || at >= text.size() || text[at++] != separator)
        return false;
    const int day = digits(text, at, 1, 2);
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (day < 0)
        return false;
    precision = TimePrecision::Day;
    if (at < text.size()) {
        if (text[at] != ' ' && text[at] != 'T')
            return false;
        while (at < text.size() && (text[at] == ' ' || text[at] == 'T'))
            ++at;
        hour = digits(text, at, 1, 2);
        if (hour < 0 || at >= text.size() || text[at++] != ':')
            return false;
        minute = digits(text, at, 2, 2);
        if (minute < 0)
            return false;
        precision = TimePrecision::Minute;
        if (at < text.size() && text[at] == ':') {
            ++at;
            second = digits(text, at, 2, 2);
            if (second < 0)
                return false;
            precision = TimePrecision::Second;
            if (at < text.size() && text[at] == '.') {
                ++at;
                precision = TimePrecision::Millisecond;
                const qsizetype start = at;
                const int fraction = digits(text, at, 1, 3);
                if (fraction < 0)
                    return false;
                ms = fraction * (at - start == 1 ? 100 : at - start == 2 ? 10 : 1);
                // Digits past the milliseconds are dropped: the program keeps none.
                while (at < text.size() && text[at] >= '0' && text[at] <= '9')
                    ++at;
            }
        }
    }
    if (at != text.size() || !QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second, ms))
        return false;
    std::memcpy(out, "0000-00-00 00:00:00.000", 24);
    putDigits(out, year, 4);
    putDigits(out + 5, month, 2);
    putDigits(out + 8, day, 2);
    putDigits(out + 11, hour, 2);
    putDigits(out + 14, minute, 2);
    putDigits(out + 17, second, 2);
    putDigits(out + 20, ms, 3);
    return true;
}

// The program's weight rules; plain ASCII decimals are read here directly, everything else by the rules' own function.
double weightOf(QByteArrayView text)
{
    const QByteArrayView plain = text.trimmed();
    double value = 0;
    bool simple = !plain.isEmpty() && plain.size() < 24;
    for (const char c : plain)
        simple = simple && ((c >= '0' && c <= '9') || c == '.');
    if (simple) {
        const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
        if (error == std::errc() && end == plain.data() + plain.size() && value <= conversions::maximumWeight)
            return value;
    }
    return conversions::textToWeight(QString::fromUtf8(text), QLocale::c());
}

// A field's text for a message: at most about 40 characters, control characters shown as their visible symbols.
QString shown(QByteArrayView field)
{
    QString text = QString::fromUtf8(field);
    constexpr qsizetype most = 40;
    if (text.size() > most)
        text = text.left(most) + u'…';
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7f)
            c = QChar(0x2421);
    return text;
}

bool isFormulaStart(char c)
{
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

} // namespace

bool needsFormulaGuard(QByteArrayView text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at] == '\'')
        ++at;
    return at < text.size() && isFormulaStart(text[at]);
}

std::vector<CsvEntry> readCsv(const QByteArray& file, const QString& fileName)
{
    const QByteArray text = toUtf8(file, fileName);
    Reader reader(text, fileName);
    const QString columns[3] = {QString::fromUtf16(timeColumn), QString::fromUtf16(weightColumn),
                                QString::fromUtf16(textColumn)};
    QList<QByteArrayView> fields;
    qsizetype line = 0;
    if (!reader.next(fields, line))
        throw DataError(QStringLiteral("文件“%1”是空的，没有标题行").arg(fileName));
    const qsizetype headerFields = fields.size();
    qsizetype index[3];
    for (int c = 0; c < 3; ++c) {
        index[c] = -1;
        const QByteArray name = columns[c].toUtf8();
        for (qsizetype i = 0; i < fields.size() && index[c] < 0; ++i)
            if (fields[i].trimmed() == name)
                index[c] = i;
        if (index[c] < 0)
            throw DataError(QStringLiteral("文件“%1”第 %2 行：标题行中没有“%3”列（应有 时间,体重(斤),日记 三列）")
                                .arg(fileName)
                                .arg(line)
                                .arg(columns[c]));
    }

    std::vector<CsvEntry> entries;
    entries.reserve(static_cast<size_t>(text.count('\n')));
    while (reader.next(fields, line)) {
        const auto where = [&](int c) {
            return QStringLiteral("文件“%1”第 %2 行，“%3”列").arg(fileName).arg(line).arg(columns[c]);
        };
        if (fields.size() > headerFields)
            throw DataError(QStringLiteral("文件“%1”第 %2 行有 %3 个字段，比标题行的 %4 列多")
                                .arg(fileName)
                                .arg(line)
                                .arg(fields.size())
                                .arg(headerFields));
        for (int c = 0; c < 3; ++c)
            if (index[c] >= fields.size())
                throw DataError(where(c) + QStringLiteral("：这一行缺少这一列"));
        CsvEntry& entry = entries.emplace_back();
        if (!storedTime(fields[index[0]], entry.time, entry.precision))
            throw DataError(where(0) +
                            QStringLiteral("：“%1”不是能识别的时间（例如 2026-12-07 08:05:00 或 2026/12/7 8:05）")
                                .arg(shown(fields[index[0]])));
        if (!fields[index[1]].trimmed().isEmpty()) {
            try {
                entry.weight = weightOf(fields[index[1]]);
            } catch (const DataError&) {
                throw DataError(where(1) + QStringLiteral("：“%1”不是有效的体重（应是 0 到 %2 之间的数）")
                                               .arg(shown(fields[index[1]]))
                                               .arg(conversions::maximumWeight));
            }
        }
        const QByteArrayView diary = fields[index[2]];
        entry.text = diary.startsWith('\'') && needsFormulaGuard(diary.sliced(1)) ? diary.sliced(1).toByteArray()
                                                                                  : diary.toByteArray();
    }
    return entries;
}

} // namespace datafile
