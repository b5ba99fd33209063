// The command-text front: recognising a whole-table select, and the SQL of a row read or written, names quoted.
#include "data/commandtext.h"

#include "data/connection.h"
#include "data/errors.h"

#include <QRegularExpression>

namespace commandtext {

namespace {

bool isAsciiSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool isAsciiWord(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// wholeTable for a text of ASCII characters only, read by hand: every dataset opens through it, and the pattern's
// engine (with its compiler) is then not needed at start-up. Nothing for other texts, which the pattern reads.
std::optional<QString> asciiWholeTable(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x7f)
            return std::nullopt;
    qsizetype at = 0;
    const auto spaces = [&text, &at] {
        const qsizetype start = at;
        while (at < text.size() && isAsciiSpace(text[at].unicode()))
            ++at;
        return at - start;
    };
    const auto word = [&text, &at](QLatin1StringView expected) {
        if (text.mid(at).startsWith(expected, Qt::CaseInsensitive)) {
            at += expected.size();
            return true;
        }
        return false;
    };
    spaces();
    if (!word(QLatin1StringView("select")) || spaces() == 0 || !word(QLatin1StringView("*")) || spaces() == 0 ||
        !word(QLatin1StringView("from")) || spaces() == 0)
        return QString();
    const qsizetype nameStart = at;
    while (at < text.size() && isAsciiWord(text[at].unicode()))
        ++at;
    const qsizetype nameEnd = at;
    spaces();
    if (at < text.size() && text[at] == u';')
        ++at;
    spaces();
    if (nameEnd == nameStart || at != text.size())
        return QString();
    return text.mid(nameStart, nameEnd - nameStart).toString();
}

QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

QStringList quoted(const QStringList& identifiers)
{
    QStringList names;
    for (const QString& identifier : identifiers)
        names << quoted(identifier);
    return names;
}

// Runs one writing statement with the values bound in order, then the row's key when there is one. Refused on a
// file whose settings would not keep the row across a crash or power cut.
void write(Connection& connection, const QString& sql, const std::vector<QVariant>& values, std::optional<qint64> rowid)
{
    if (!connection.connected())
        connection.connect();
    if (!connection.durable())
        throw DataError(
            QStringLiteral("数据库文件“%1”的设置无法保证数据安全写入，已拒绝保存").arg(connection.filePath()));
    // Kept prepared: a save of the same columns is the same statement.
    const sqlite::CachedStatement statement = sqlite::cached(connection.handle(), sql, connection.filePath());
    int index = 1;
    for (const QVariant& value : values)
        statement->bind(index++, value);
    if (rowid)
        statement->bind(index, QVariant(static_cast<qlonglong>(*rowid)));
    statement->step();
}

} // namespace

// The table name is kept to word characters, so it can be quoted safely.
QString wholeTable(const QString& commandText)
{
    if (auto table = asciiWholeTable(commandText))
        return std::move(*table);
    static const QRegularExpression form(QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(\\w+)\\s*;?\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::UseUnicodePropertiesOption);
    const auto m = form.match(commandText);
    return m.hasMatch() ? m.captured(1) : QString();
}

std::optional<sqlite::Statement> select(Connection& connection, const QString& commandText, const QString& table)
{
    if (!connection.connected())
        connection.connect();
    const QString sql =
        table.isEmpty() ? commandText : QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(quoted(table));
    sqlite::Statement statement(connection.handle(), sql, connection.filePath());
    if (!statement.readOnly())
        return std::nullopt;
    return statement;
}

qint64 insertRow(Connection& connection, const QString& table, const QStringList& columns,
                 const std::vector<QVariant>& values)
{
    QString sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table));
    if (!columns.isEmpty()) {
        const QStringList marks(columns.size(), QStringLiteral("?"));
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quoted(table), quoted(columns).join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }
    write(connection, sql, values, std::nullopt);
    return sqlite::lastInsertRowid(connection.handle());
}

void updateRow(Connection& connection, const QString& table, qint64 rowid, const QStringList& columns,
               const std::vector<QVariant>& values)
{
    if (columns.isEmpty())
        return;
    QStringList sets;
    for (const QString& column : quoted(columns))
        sets << column + QStringLiteral(" = ?");
    write(connection,
          QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quoted(table), sets.join(QStringLiteral(", "))),
          values, rowid);
}

std::optional<std::vector<QVariant>> reread(Connection& connection, const QString& table, qint64 rowid)
{
    sqlite::Statement statement(connection.handle(),
                                QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(table)),
                                connection.filePath());
    statement.bind(1, QVariant(static_cast<qlonglong>(rowid)));
    if (!statement.step())
        return std::nullopt;
    std::vector<QVariant> values;
    for (int c = 0; c < statement.columnCount(); ++c)
        values.push_back(statement.value(c));
    return values;
}

} // namespace commandtext
