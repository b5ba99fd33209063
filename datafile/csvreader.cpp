// The CSV reader.
#include "datafile/csvreader.h"

#include "data/conversions.h"
#include "data/errors.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <cmath>
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
        // Not copied: the text is read while `file` lives.
        QByteArray body = QByteArray::fromRawData(file.constData() + 3, file.size() - 3);
        if (!QByteArrayView(body).isValidUtf8()) {
            qsizetype line = 1;
            for (const QByteArray& text : body.split('\n')) {
                if (!QByteArrayView(text).isValidUtf8())
                    break;
                ++line;
            }
            throw DataError(
                QStringLiteral("文件“%1”标明是 UTF-8 编码，但第 %2 行不是有效的 UTF-8 文本").arg(fileName).arg(line));
        }
        return body;
    }
    if (QByteArrayView(file).isValidUtf8())
        return file;
    // A file that is UTF-8 but for some lines (a row pasted from a file of another encoding) is not read as GB18030,
    // which would make every other line unreadable: the UTF-8 header says so, or else most lines with characters
    // beyond ASCII do.
    qsizetype firstBad = 0;
    {
        qsizetype utf8Lines = 0, badLines = 0, line = 0;
        bool header = true;
        for (qsizetype at = 0; at < file.size(); ++line) {
            qsizetype end = file.indexOf('\n', at);
            if (end < 0)
                end = file.size();
            const QByteArrayView text = QByteArrayView(file).sliced(at, end - at);
            at = end + 1;
            const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
            if (ascii) {
                header = header && text.trimmed().isEmpty();
                continue;
            }
            if (text.isValidUtf8()) {
                utf8Lines += header ? file.size() : 1;
            } else {
                badLines += header ? file.size() : 1;
                if (firstBad == 0)
                    firstBad = line + 1;
            }
            header = false;
        }
        if (utf8Lines > badLines)
            throw DataError(
                QStringLiteral("文件“%1”第 %2 行不是有效的 UTF-8 文本，而文件的其余部分是 UTF-8 编码的"
                               "（也许这一行是从 GB18030 等别的编码的文件里复制来的）；请把整个文件存为同一种编码")
                    .arg(fileName)
                    .arg(firstBad));
    }
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
        throw DataError(QStringLiteral("文件“%1”第 %2 行既不是 UTF-8 也不是 GB18030 编码的文本")
                            .arg(fileName)
                            .arg(QByteArrayView(file).first(in - file.constData()).count('\n') + 1));
    utf8.truncate(utf8.size() - static_cast<qsizetype>(outLeft));
    return utf8;
}

bool isBlankLine(QByteArrayView line)
{
    return line.trimmed().isEmpty();
}

// RFC 4180 over UTF-8 bytes, with LF or CRLF line ends and lenient about a quote inside an unquoted field. Unquoted
// fields are views into the text; quoted ones are unescaped into `owned`.
class Reader {
public:
    Reader(const QByteArray& text, QString fileName) : m_text(text), m_fileName(std::move(fileName)) {}

    // Fields end at `separator` rather than at a comma.
    void setSeparator(char separator) { m_separator = separator; }
    // Skips whole lines that begin with `mark` ('#': a preamble of comments) and blank lines, from the current place.
    void skipLinesStartingWith(char mark)
    {
        for (;;) {
            qsizetype end = m_text.indexOf('\n', m_at);
            if (end < 0)
                end = m_text.size();
            if (m_at >= m_text.size() ||
                (m_text[m_at] != mark && !isBlankLine(QByteArrayView(m_text).sliced(m_at, end - m_at))))
                return;
            m_at = std::min(end + 1, m_text.size());
            ++m_line;
        }
    }

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
                    // A field without doubled quotes or text after its closing quote is a view like an unquoted one;
                    // only the others are copied, a stretch at a time.
                    QByteArray field;
                    bool copied = false;
                    qsizetype piece = ++m_at;
                    qsizetype closing = 0;
                    for (;;) {
                        while (m_at < size && data[m_at] != '"') {
                            if (data[m_at] == '\n')
                                ++m_line;
                            ++m_at;
                        }
                        if (m_at >= size)
                            throw DataError(QStringLiteral("文件“%1”第 %2 行：引号开始的字段没有结束的引号")
                                                .arg(m_fileName)
                                                .arg(openedOn));
                        if (m_at + 1 < size && data[m_at + 1] == '"') {
                            field.append(data + piece, m_at + 1 - piece);
                            copied = true;
                            m_at += 2;
                            piece = m_at;
                            continue;
                        }
                        closing = m_at++;
                        break;
                    }
                    // Anything between the closing quote and the next comma is kept as it stands.
                    const qsizetype start = m_at;
                    m_at = endOfField(start);
                    if (!copied && m_at == start) {
                        fields.push_back(QByteArrayView(data + piece, closing - piece));
                    } else {
                        field.append(data + piece, closing - piece);
                        field.append(data + start, m_at - start);
                        m_owned.push_back(std::move(field));
                        fields.push_back(m_owned.back());
                    }
                } else {
                    const qsizetype start = m_at;
                    m_at = endOfField(start);
                    fields.push_back(QByteArrayView(data + start, m_at - start));
                }
                if (m_at < size && data[m_at] == m_separator) {
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
        while (at < m_text.size() && data[at] != m_separator && data[at] != '\n' && data[at] != '\r')
            ++at;
        return at;
    }

    const QByteArray& m_text;
    QString m_fileName;
    qsizetype m_at = 0;
    qsizetype m_line = 1;
    char m_separator = ',';
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

// Digits with at most one point between digits, which every reader of numbers takes alike.
std::optional<double> plainDecimal(QByteArrayView text)
{
    if (text.isEmpty() || text.size() >= 24 || text.front() == '.' || text.back() == '.')
        return std::nullopt;
    int points = 0;
    for (const char c : text) {
        if (c == '.')
            ++points;
        else if (c < '0' || c > '9')
            return std::nullopt;
    }
    double value = 0;
    if (points > 1 || std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        return std::nullopt;
    return value;
}

qsizetype lineCount(const QByteArray& text)
{
    qsizetype lines = 0;
    for (qsizetype at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1))
        ++lines;
    return lines;
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

// A line end too: a spreadsheet turns a carriage return into a line feed, and the apostrophe before it must still come
// off.
bool isFormulaStart(char c)
{
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool needsFormulaGuard(QByteArrayView text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at] == '\'')
        ++at;
    return at < text.size() && isFormulaStart(text[at]);
}

namespace {

// A moment as another program writes it: "2026-12-07 08:05[:06[.123]]", with 'T' or '/' too, a 'Z' or an offset for
// UTC; "07.12.2026 08:05"; a date alone; and a separate time of day when the file has a column for it.
struct Moment {
    QDate date;
    QTime time;
    TimePrecision precision = TimePrecision::Day;
    std::optional<int> offsetSeconds; // from UTC, when the text gives one
};

std::optional<Moment> momentOf(QByteArrayView text)
{
    text = text.trimmed();
    Moment m;
    qsizetype at = 0;
    int year = 0, month = 0, day = 0;
    const int first = digits(text, at, 1, 4);
    if (first < 0 || at >= text.size())
        return std::nullopt;
    if (text[at] == '.' && at <= 2) {
        ++at;
        day = first;
        month = digits(text, at, 1, 2);
        if (month < 0 || at >= text.size() || text[at++] != '.')
            return std::nullopt;
        year = digits(text, at, 4, 4);
    } else if ((text[at] == '-' || text[at] == '/') && at == 4) {
        const char separator = text[at++];
        year = first;
        month = digits(text, at, 1, 2);
        if (month < 0 || at >= text.size() || text[at++] != separator)
            return std::nullopt;
        day = digits(text, at, 1, 2);
    } else {
        return std::nullopt;
    }
    if (year < 0 || day < 0)
        return std::nullopt;
    m.date = QDate(year, month, day);
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (at < text.size() && (text[at] == ' ' || text[at] == 'T')) {
        while (at < text.size() && (text[at] == ' ' || text[at] == 'T'))
            ++at;
        hour = digits(text, at, 1, 2);
        if (hour < 0 || at >= text.size() || text[at++] != ':')
            return std::nullopt;
        minute = digits(text, at, 2, 2);
        if (minute < 0)
            return std::nullopt;
        m.precision = TimePrecision::Minute;
        if (at < text.size() && text[at] == ':') {
            ++at;
            second = digits(text, at, 2, 2);
            if (second < 0)
                return std::nullopt;
            m.precision = TimePrecision::Second;
            if (at < text.size() && text[at] == '.') {
                ++at;
                const qsizetype start = at;
                const int fraction = digits(text, at, 1, 3);
                if (fraction < 0)
                    return std::nullopt;
                ms = fraction * (at - start == 1 ? 100 : at - start == 2 ? 10 : 1);
                while (at < text.size() && text[at] >= '0' && text[at] <= '9')
                    ++at;
                m.precision = TimePrecision::Millisecond;
            }
        }
        if (at < text.size() && text[at] == 'Z') {
            ++at;
            m.offsetSeconds = 0;
        } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            const int sign = text[at++] == '-' ? -1 : 1;
            const int hours = digits(text, at, 2, 2);
            if (at < text.size() && text[at] == ':')
                ++at;
            const int minutes = digits(text, at, 2, 2);
            if (hours < 0 || minutes < 0)
                return std::nullopt;
            m.offsetSeconds = sign * (hours * 3600 + minutes * 60);
        }
    }
    m.time = QTime(hour, minute, second, ms);
    if (at != text.size() || !m.date.isValid() || !m.time.isValid())
        return std::nullopt;
    return m;
}

// The stored form of a date and a time of day; false for a year that it cannot hold.
bool putStored(QDate date, QTime time, char (&out)[24])
{
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (year < 1 || year > 9999)
        return false;
    std::memcpy(out, "0000-00-00 00:00:00.000", 24);
    putDigits(out, year, 4);
    putDigits(out + 5, month, 2);
    putDigits(out + 8, day, 2);
    putDigits(out + 11, time.hour(), 2);
    putDigits(out + 14, time.minute(), 2);
    putDigits(out + 17, time.second(), 2);
    putDigits(out + 20, time.msec(), 3);
    return true;
}

// The program's stored form of a moment, in local time; false when that falls outside the years 1 to 9999. A time
// without an offset stands as the file gives it, as in the program's own files, even in an hour that the clock skips.
bool storeMoment(const Moment& m, bool utc, char (&out)[24])
{
    if (!m.offsetSeconds && !utc)
        return putStored(m.date, m.time, out);
    const QDateTime when = QDateTime(m.date, m.time, Qt::OffsetFromUTC, m.offsetSeconds.value_or(0)).toLocalTime();
    return putStored(when.date(), when.time(), out);
}

enum class Unit { Unknown, Jin, Kilogram, Pound };

// 斤 per unit: a kilogram is two 斤, a pound 0.45359237 kg.
double jinPer(Unit unit)
{
    switch (unit) {
    case Unit::Kilogram:
        return 2;
    case Unit::Pound:
        return 0.90718474;
    case Unit::Jin:
    case Unit::Unknown:
        break;
    }
    return 1;
}

Unit unitOf(QString text)
{
    text = text.toLower();
    // The longer words first: 公斤 holds 斤.
    static constexpr std::pair<QStringView, Unit> words[] = {{u"公斤", Unit::Kilogram}, {u"千克", Unit::Kilogram},
                                                             {u"kg", Unit::Kilogram},   {u"lb", Unit::Pound},
                                                             {u"磅", Unit::Pound},      {u"斤", Unit::Jin}};
    for (const auto& [word, unit] : words)
        if (text.contains(word))
            return unit;
    return Unit::Unknown;
}

// A column name without its unit and brackets: "Weight (kg)" -> "weight", "体重(斤)" -> "体重".
QString bareName(QByteArrayView field)
{
    QString name = QString::fromUtf8(field).trimmed().toLower();
    if (name.startsWith(u'#'))
        name.remove(0, 1);
    for (const QChar open : {QChar(u'('), QChar(u'（'), QChar(u'[')})
        if (const qsizetype at = name.indexOf(open); at >= 0)
            name.truncate(at);
    return name.trimmed();
}

// The columns of another program's export, found by their header names.
struct Layout {
    CsvFormat format = CsvFormat::Tevu;
    qsizetype date = -1;
    qsizetype time = -1;
    qsizetype weight = -1;
    qsizetype comment = -1;
    qsizetype interpolated = -1;
    Unit unit = Unit::Unknown;
    bool utc = false;
};

std::optional<Layout> foreignLayout(const QList<QByteArrayView>& header, bool libra, Unit libraUnit)
{
    Layout layout;
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString name = bareName(header[i]);
        if (layout.date < 0 && (name == u"date" || name == u"datetime" || name == u"日期" || name == u"时间"))
            layout.date = i;
        else if (layout.time < 0 && name == u"time")
            layout.time = i;
        else if (layout.weight < 0 && (name == u"weight" || name == u"actual weight" || name == u"体重")) {
            layout.weight = i;
            layout.unit = unitOf(QString::fromUtf8(header[i]));
        } else if (layout.comment < 0 && (name == u"comment" || name == u"comments" || name == u"note" ||
                                          name == u"notes" || name == u"log" || name == u"备注"))
            layout.comment = i;
        else if (name.contains(QStringLiteral("interpolated")))
            layout.interpolated = i;
    }
    if (layout.date < 0 || layout.weight < 0)
        return std::nullopt;
    const QString dateName = bareName(header[layout.date]);
    const QString weightName = bareName(header[layout.weight]);
    if (libra) {
        layout.format = CsvFormat::Libra;
        layout.unit = libraUnit;
        layout.utc = true;
    } else if (weightName == u"actual weight") {
        layout.format = CsvFormat::TrendWeight;
    } else if (layout.time >= 0 || dateName == u"datetime") {
        layout.format = CsvFormat::OpenScale;
        if (layout.unit == Unit::Unknown)
            layout.unit = Unit::Kilogram;
    } else if (header.size() == 2 && layout.unit == Unit::Unknown && dateName == u"date" && weightName == u"weight") {
        layout.format = CsvFormat::Wger;
        layout.unit = Unit::Kilogram;
    } else {
        layout.format = CsvFormat::Plain;
    }
    return layout;
}

// The separator of the header line, the first that is not blank: ';' or a tab where the line has no comma.
char separatorOf(QByteArrayView text)
{
    qsizetype end = text.indexOf('\n');
    while (end >= 0 && isBlankLine(text.first(end))) {
        text = text.sliced(end + 1);
        end = text.indexOf('\n');
    }
    const QByteArrayView line = end < 0 ? text : text.first(end);
    if (line.contains(','))
        return ',';
    if (line.contains(';'))
        return ';';
    return line.contains('\t') ? '\t' : ',';
}

} // namespace

QString formatName(CsvFormat format)
{
    switch (format) {
    case CsvFormat::Tevu:
        return QStringLiteral("Tevu 自己的日记");
    case CsvFormat::OpenScale:
        return QStringLiteral("openScale 的导出文件");
    case CsvFormat::Libra:
        return QStringLiteral("Libra 的导出文件");
    case CsvFormat::TrendWeight:
        return QStringLiteral("TrendWeight 的导出文件");
    case CsvFormat::Wger:
        return QStringLiteral("wger 的导出文件");
    case CsvFormat::Plain:
        return QStringLiteral("日期和体重两列");
    }
    return {};
}

CsvFile readCsv(const QByteArray& file, const QString& fileName)
{
    const QByteArray text = toUtf8(file, fileName);
    Reader reader(text, fileName);
    const QString columns[3] = {QString::fromUtf16(timeColumn), QString::fromUtf16(weightColumn),
                                QString::fromUtf16(textColumn)};
    QList<QByteArrayView> fields;
    qsizetype line = 0;

    // Libra's export opens with "#Version:", "#Units:" and its header, each behind a '#'.
    bool libra = false;
    Unit libraUnit = Unit::Unknown;
    QList<QByteArray> libraHeader;
    qsizetype libraLine = 0;
    {
        qsizetype at = 0;
        for (qsizetype number = 1; at < text.size(); ++number) {
            qsizetype end = text.indexOf('\n', at);
            if (end < 0)
                end = text.size();
            // Libra writes an empty line between its preamble and its header.
            if (isBlankLine(QByteArrayView(text).sliced(at, end - at))) {
                at = end + 1;
                continue;
            }
            if (text[at] != '#')
                break;
            const QByteArrayView comment = QByteArrayView(text).sliced(at + 1, end - at - 1).trimmed();
            if (comment.startsWith("Version:"))
                libra = true;
            else if (comment.startsWith("Units:"))
                libraUnit = unitOf(QString::fromUtf8(comment.sliced(6)));
            else if (comment.contains(';')) {
                libraHeader = comment.toByteArray().split(';');
                libraLine = number;
            }
            at = end + 1;
        }
        libra = libra && !libraHeader.isEmpty();
    }
    if (libra) {
        reader.skipLinesStartingWith('#');
        reader.setSeparator(';');
        fields.clear();
        for (const QByteArray& name : libraHeader)
            fields.push_back(name);
        line = libraLine;
    } else {
        reader.setSeparator(separatorOf(text));
        if (!reader.next(fields, line))
            throw DataError(QStringLiteral("文件“%1”是空的，没有标题行").arg(fileName));
    }
    const qsizetype headerFields = fields.size();

    CsvFile result;
    qsizetype index[3] = {-1, -1, -1};
    for (int c = 0; c < 3; ++c) {
        const QByteArray name = columns[c].toUtf8();
        for (qsizetype i = 0; i < fields.size() && index[c] < 0; ++i)
            if (fields[i].trimmed() == name)
                index[c] = i;
    }
    Layout layout;
    if (libra || index[0] < 0 || index[1] < 0 || index[2] < 0) {
        const std::optional<Layout> foreign = foreignLayout(fields, libra, libraUnit);
        if (!foreign) {
            for (int c = 0; c < 3; ++c)
                if (index[c] < 0)
                    throw DataError(
                        QStringLiteral("文件“%1”第 %2 行：标题行中没有“%3”列（应有 时间,体重(斤),日记 三列；"
                                       "也认得 openScale、Libra、TrendWeight、wger 的导出文件和日期、体重两列的文件）")
                            .arg(fileName)
                            .arg(line)
                            .arg(columns[c]));
        }
        layout = *foreign;
        if (layout.unit == Unit::Unknown)
            throw DataError(QStringLiteral("文件“%1”第 %2 行：标题行没有说明体重的单位（例如 体重(kg)、weight (lb) "
                                           "或 体重(斤)），无法知道这些数是公斤、磅还是斤")
                                .arg(fileName)
                                .arg(line));
        index[0] = layout.date;
        index[1] = layout.weight;
        index[2] = layout.comment;
    }
    result.format = layout.format;
    const bool tevu = layout.format == CsvFormat::Tevu;
    const QString names[3] = {tevu ? columns[0] : QString::fromUtf8(fields[index[0]]).trimmed(),
                              tevu ? columns[1] : QString::fromUtf8(fields[index[1]]).trimmed(),
                              tevu || index[2] < 0 ? columns[2] : QString::fromUtf8(fields[index[2]]).trimmed()};
    const char separator = libra ? ';' : separatorOf(text);

    std::vector<CsvEntry>& entries = result.entries;
    entries.reserve(static_cast<size_t>(lineCount(text)));
    while (reader.next(fields, line)) {
        const auto where = [&](int c) {
            return QStringLiteral("文件“%1”第 %2 行，“%3”列").arg(fileName).arg(line).arg(names[c]);
        };
        if (tevu && fields.size() > headerFields)
            throw DataError(QStringLiteral("文件“%1”第 %2 行有 %3 个字段，比标题行的 %4 列多")
                                .arg(fileName)
                                .arg(line)
                                .arg(fields.size())
                                .arg(headerFields));
        // Another program may leave out empty fields at a row's end (Libra's comment).
        for (int c = 0; c < 3; ++c)
            if (index[c] >= fields.size() && (tevu || c < 2))
                throw DataError(where(c) + QStringLiteral("：这一行缺少这一列"));
        if (!tevu) {
            const QByteArrayView weightText = fields[index[1]].trimmed();
            bool interpolated = false;
            if (layout.interpolated >= 0 && layout.interpolated < fields.size()) {
                const QByteArray flag = fields[layout.interpolated].trimmed().toByteArray().toLower();
                interpolated = flag == "true" || flag == "1" || flag == "yes";
            }
            // A day that a trend program filled in itself is no weighing.
            if (interpolated || (layout.format == CsvFormat::TrendWeight && weightText.isEmpty())) {
                ++result.skipped;
                continue;
            }
        }
        CsvEntry& entry = entries.emplace_back();
        bool timeRead = false;
        if (tevu) {
            timeRead = storedTime(fields[index[0]], entry.time, entry.precision);
        } else {
            QByteArray joined;
            QByteArrayView whole = fields[index[0]].trimmed();
            if (layout.time >= 0 && layout.time < fields.size()) {
                joined = whole.toByteArray() + ' ' + fields[layout.time].trimmed().toByteArray();
                whole = joined;
            }
            if (const std::optional<Moment> moment = momentOf(whole);
                moment && storeMoment(*moment, layout.utc, entry.time)) {
                entry.precision = moment->precision;
                timeRead = true;
            }
        }
        if (!timeRead)
            throw DataError(where(0) +
                            QStringLiteral("：“%1”不是能识别的时间（例如 2026-12-07 08:05:00 或 2026/12/7 8:05）")
                                .arg(shown(fields[index[0]])));
        if (!fields[index[1]].trimmed().isEmpty()) {
            try {
                if (tevu) {
                    entry.weight = weightOf(fields[index[1]]);
                } else {
                    const QByteArrayView given = fields[index[1]].trimmed();
                    bool ok = false;
                    double value = 0;
                    if (const std::optional<double> plain = plainDecimal(given)) {
                        value = *plain;
                        ok = true;
                    } else {
                        QByteArray number = given.toByteArray();
                        // A file split by semicolons comes from a locale that writes a decimal comma.
                        if (separator != ',')
                            number.replace(',', '.');
                        value = number.toDouble(&ok);
                    }
                    const double jin = std::round(value * jinPer(layout.unit) * 100) / 100;
                    if (!ok || !std::isfinite(value) || jin <= 0 || jin > conversions::maximumWeight)
                        throw DataError(QString());
                    entry.weight = jin;
                }
            } catch (const DataError&) {
                throw DataError(where(1) + QStringLiteral("：“%1”不是有效的体重（应是 0 到 %2 斤之间的数）")
                                               .arg(shown(fields[index[1]]))
                                               .arg(conversions::maximumWeight));
            }
        }
        if (index[2] >= 0 && index[2] < fields.size()) {
            const QByteArrayView diary = fields[index[2]];
            entry.text = tevu && diary.startsWith('\'') && needsFormulaGuard(diary.sliced(1))
                             ? diary.sliced(1).toByteArray()
                             : (tevu ? diary.toByteArray() : diary.trimmed().toByteArray());
        }
    }
    return result;
}

} // namespace datafile
