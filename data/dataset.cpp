// The client-side dataset: reads a whole result into memory and writes one row per Post.
#include "data/dataset.h"

#include "data/connection.h"
#include "data/conversions.h"
#include "data/errors.h"
#include "data/sqlite.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace {

FieldKind kindOf(const QString& declaredType)
{
    const QString type = declaredType.trimmed().toUpper();
    if (type.startsWith(QStringLiteral("DATETIME")))
        return FieldKind::DateTime;
    static const QStringList numeric{QStringLiteral("REAL"), QStringLiteral("FLOAT"), QStringLiteral("DOUBLE"),
                                     QStringLiteral("INTEGER"), QStringLiteral("NUMERIC")};
    for (const QString& n : numeric)
        if (type.startsWith(n))
            return FieldKind::Number;
    return FieldKind::Text;
}

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

// "select * from <table>" in any case and spacing; the table name is kept to word characters, so it
// can be quoted safely.
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

QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

} // namespace

Dataset::Dataset(QString name, Connection& connection) : m_name(std::move(name)), m_connection(connection) {}

void Dataset::fail(const QString& text) const
{
    throw DataError(m_name + QStringLiteral(": ") + text);
}

void Dataset::requireActive() const
{
    if (m_state == State::Closed)
        fail(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Dataset::close()
{
    if (m_state == State::Closed)
        return;
    notify(false);
    m_state = State::Closed;
    clearRows();
    m_fieldNames.clear();
    m_kinds.clear();
    m_lookups.clear();
    m_pending = Row();
    m_changed.clear();
    m_anyChanged = false;
    m_current = -1;
    m_eof = m_bof = true;
}

void Dataset::setCommandText(const QString& text)
{
    close();
    m_commandText = text;
}

void Dataset::open()
{
    if (m_state != State::Closed)
        return;
    if (!m_connection.connected())
        m_connection.connect();
    const QString path = m_connection.filePath();
    m_table = wholeTable(m_commandText);
    const bool keyed = !m_table.isEmpty();
    const QString sql =
        keyed ? QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(quoted(m_table)) : m_commandText;

    sqlite::Statement statement(m_connection.handle(), sql, path);
    if (!statement.readOnly())
        fail(QStringLiteral("只能打开查询语句"));
    const int first = keyed ? 1 : 0;
    const int columns = statement.columnCount();
    QStringList names;
    std::vector<FieldKind> kinds;
    for (int c = first; c < columns; ++c) {
        names << statement.columnName(c);
        kinds.push_back(kindOf(statement.declaredType(c)));
    }
    std::vector<qint64> rowids;
    std::vector<Cell> cells;
    std::string text;
    sqlite3_stmt* handle = statement.handle();
    while (statement.step()) {
        rowids.push_back(keyed ? sqlite3_column_int64(handle, 0) : 0);
        // Read as Statement::value reads a column: integers as numbers, blobs as their bytes taken as text.
        for (int c = first; c < columns; ++c) {
            Cell cell;
            switch (sqlite3_column_type(handle, c)) {
            case SQLITE_INTEGER:
                cell.type = Cell::Type::Number;
                cell.number = static_cast<double>(sqlite3_column_int64(handle, c));
                break;
            case SQLITE_FLOAT:
                cell.type = Cell::Type::Number;
                cell.number = sqlite3_column_double(handle, c);
                break;
            case SQLITE_NULL:
                break;
            default: {
                const auto* data = static_cast<const char*>(sqlite3_column_blob(handle, c));
                const int size = sqlite3_column_bytes(handle, c);
                cell.type = Cell::Type::Text;
                cell.offset = text.size();
                cell.size = static_cast<quint32>(size);
                if (size > 0)
                    text.append(data, static_cast<size_t>(size));
            }
            }
            cells.push_back(cell);
        }
    }

    m_fieldNames = names;
    m_kinds = std::move(kinds);
    m_lookups.clear();
    m_columns = static_cast<size_t>(columns - first);
    m_rowids = std::move(rowids);
    m_cells = std::move(cells);
    m_text = std::move(text);
    m_variants.clear();
    m_state = State::Browsing;
    m_current = m_rowids.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rowids.empty();
    notify(true);
}

void Dataset::first()
{
    requireActive();
    settlePending();
    if (m_rowids.empty())
        return;
    m_current = 0;
    m_bof = true;
    m_eof = false;
}

void Dataset::last()
{
    requireActive();
    settlePending();
    if (m_rowids.empty())
        return;
    m_current = static_cast<int>(rowCount()) - 1;
    m_eof = true;
    m_bof = false;
}

void Dataset::next()
{
    requireActive();
    settlePending();
    if (m_rowids.empty())
        return;
    if (m_current + 1 < static_cast<int>(rowCount())) {
        ++m_current;
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior()
{
    requireActive();
    settlePending();
    if (m_rowids.empty())
        return;
    if (m_current > 0) {
        --m_current;
        m_bof = false;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void Dataset::moveTo(int row)
{
    requireActive();
    settlePending();
    if (m_rowids.empty())
        return;
    m_current = std::clamp(row, 0, static_cast<int>(rowCount()) - 1);
    m_bof = m_eof = false;
}

int Dataset::recordCount() const
{
    requireActive();
    return static_cast<int>(rowCount());
}

int Dataset::recNo() const
{
    return m_current;
}

int Dataset::fieldIndex(const QString& field) const
{
    for (const auto& [name, index] : m_lookups)
        if (name == field)
            return index;
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        if (QString::compare(m_fieldNames[i], field, Qt::CaseInsensitive) == 0) {
            if (m_lookups.size() < 32)
                m_lookups.emplace_back(field, i);
            return i;
        }
    }
    return -1;
}

int Dataset::requireField(const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        fail(QStringLiteral("Field '%1' not found").arg(field));
    return index;
}

bool Dataset::hasField(const QString& field) const
{
    return fieldIndex(field) >= 0;
}

FieldKind Dataset::fieldKind(const QString& field) const
{
    return m_kinds[static_cast<size_t>(requireField(field))];
}

void Dataset::clearRows()
{
    m_columns = 0;
    m_rowids = {};
    m_cells = {};
    m_text = {};
    m_variants = {};
}

QByteArrayView Dataset::cellBytes(const Cell& cell) const
{
    return QByteArrayView(m_text.data() + cell.offset, static_cast<qsizetype>(cell.size));
}

QVariant Dataset::cellValue(const Cell& cell) const
{
    switch (cell.type) {
    case Cell::Type::Null:
        return QVariant();
    case Cell::Type::Number:
        return QVariant(cell.number);
    case Cell::Type::Text:
        // An empty text reads as a null string, as the engine gives no bytes for it.
        return QVariant(cell.size ? QString::fromUtf8(cellBytes(cell)) : QString());
    case Cell::Type::Variant:
        return m_variants[static_cast<size_t>(cell.offset)];
    }
    return QVariant();
}

const Dataset::Cell* Dataset::browsingCell(int index) const
{
    if (m_state == State::Editing || m_state == State::Adding || m_current < 0)
        return nullptr;
    return &m_cells[static_cast<size_t>(m_current) * m_columns + static_cast<size_t>(index)];
}

QVariant Dataset::valueAt(int index) const
{
    if (m_state == State::Editing || m_state == State::Adding)
        return m_pending.values[static_cast<size_t>(index)];
    if (const Cell* cell = browsingCell(index))
        return cellValue(*cell);
    return QVariant();
}

Dataset::Row Dataset::rowAt(size_t row) const
{
    Row values;
    values.rowid = m_rowids[row];
    values.values.reserve(m_columns);
    for (size_t c = 0; c < m_columns; ++c)
        values.values.push_back(cellValue(m_cells[row * m_columns + c]));
    return values;
}

void Dataset::storeRow(size_t row, const Row& values)
{
    if (row == m_rowids.size()) {
        m_rowids.emplace_back();
        m_cells.resize(m_cells.size() + m_columns);
    }
    m_rowids[row] = values.rowid;
    for (size_t c = 0; c < m_columns; ++c) {
        Cell& cell = m_cells[row * m_columns + c];
        cell = Cell();
        cell.type = Cell::Type::Variant;
        cell.offset = m_variants.size();
        m_variants.push_back(values.values[c]);
    }
}

bool Dataset::isNull(const QString& field) const
{
    const int index = requireField(field);
    if (const Cell* cell = browsingCell(index); cell && cell->type != Cell::Type::Variant)
        return cell->type == Cell::Type::Null;
    return valueAt(index).isNull();
}

QString Dataset::asText(const QString& field) const
{
    const int index = requireField(field);
    const FieldKind kind = m_kinds[static_cast<size_t>(index)];
    const Cell* cell = browsingCell(index);
    // A stored text is read straight from its bytes, a date-time without making a string of it first.
    if (cell && cell->type == Cell::Type::Text) {
        if (kind == FieldKind::DateTime) {
            if (auto text = conversions::storageUtf8ToText(cellBytes(*cell)))
                return std::move(*text);
        }
        return cell->size ? QString::fromUtf8(cellBytes(*cell)) : QString();
    }
    const QVariant value = cell ? cellValue(*cell) : valueAt(index);
    if (value.isNull())
        return QString();
    switch (kind) {
    case FieldKind::DateTime:
        if (value.typeId() == QMetaType::Double)
            return conversions::dateTimeToText(conversions::fromOleDate(value.toDouble()));
        if (const auto dateTime = conversions::fromStorageText(value.toString()))
            return conversions::dateTimeToText(*dateTime);
        return value.toString();
    case FieldKind::Number:
    case FieldKind::Text:
        if (value.typeId() == QMetaType::Double)
            return conversions::numberToText(value.toDouble());
        return value.toString();
    }
    return value.toString();
}

double Dataset::asNumber(const QString& field) const
{
    const int index = requireField(field);
    const Cell* cell = browsingCell(index);
    if (cell && cell->type == Cell::Type::Number)
        return cell->number;
    if (cell && cell->type == Cell::Type::Text && m_kinds[static_cast<size_t>(index)] == FieldKind::DateTime) {
        if (const auto date = conversions::storageUtf8ToOleDate(cellBytes(*cell)))
            return *date;
    }
    const QVariant value = cell ? cellValue(*cell) : valueAt(index);
    if (value.isNull())
        return 0;
    if (value.typeId() == QMetaType::Double)
        return value.toDouble();
    const QString text = value.toString();
    if (m_kinds[static_cast<size_t>(index)] == FieldKind::DateTime) {
        if (const auto dateTime = conversions::fromStorageText(text))
            return conversions::toOleDate(*dateTime);
        fail(QStringLiteral("字段“%1”的值“%2”不是有效的日期时间").arg(field, text.left(40)));
    }
    if (const auto number = conversions::textToNumber(text, QLocale::c()))
        return *number;
    if (const auto number = conversions::textToNumber(text))
        return *number;
    fail(QStringLiteral("字段“%1”的值“%2”不是有效的数字").arg(field, text.left(40)));
}

void Dataset::edit()
{
    requireActive();
    if (m_state == State::Editing || m_state == State::Adding)
        return;
    if (m_rowids.empty()) {
        append();
        return;
    }
    m_pending = rowAt(static_cast<size_t>(m_current));
    m_changed.assign(m_pending.values.size(), false);
    m_anyChanged = false;
    m_state = State::Editing;
}

void Dataset::append()
{
    requireActive();
    settlePending();
    m_pending = Row();
    m_pending.values.assign(static_cast<size_t>(m_fieldNames.size()), QVariant());
    m_changed.assign(m_pending.values.size(), false);
    m_anyChanged = false;
    m_state = State::Adding;
}

void Dataset::setValue(const QString& field, const QVariant& value)
{
    if (m_state != State::Editing && m_state != State::Adding)
        fail(QStringLiteral("Dataset not in edit or insert mode"));
    const int index = fieldIndex(field);
    if (index < 0)
        fail(QStringLiteral("Field '%1' not found").arg(field));
    m_pending.values[static_cast<size_t>(index)] = value;
    m_changed[static_cast<size_t>(index)] = true;
    m_anyChanged = true;
}

void Dataset::setText(const QString& field, const QString& value)
{
    if (m_state != State::Editing && m_state != State::Adding)
        fail(QStringLiteral("Dataset not in edit or insert mode"));
    switch (fieldKind(field)) {
    case FieldKind::Number:
        setValue(field, value.isEmpty() ? QVariant() : QVariant(conversions::textToNumberOrThrow(value)));
        return;
    case FieldKind::DateTime:
        if (value.isEmpty()) {
            setValue(field, QVariant());
        } else if (const auto dateTime = conversions::fromStorageText(value)) {
            setValue(field, conversions::toStorageText(*dateTime));
        } else {
            fail(QStringLiteral("“%1”不是有效的日期时间").arg(value));
        }
        return;
    case FieldKind::Text:
        setValue(field, value);
        return;
    }
}

void Dataset::setNumber(const QString& field, double value)
{
    if (fieldKind(field) == FieldKind::DateTime)
        setValue(field, conversions::toStorageText(conversions::fromOleDate(value)));
    else
        setValue(field, value);
}

void Dataset::setDateTime(const QString& field, const QDateTime& value)
{
    if (fieldKind(field) == FieldKind::Number)
        setValue(field, conversions::toOleDate(value));
    else
        setValue(field, conversions::toStorageText(value));
}

void Dataset::writeRow(const Row& row, bool insert)
{
    if (m_table.isEmpty())
        fail(QStringLiteral("这个查询结果是只读的，不能保存"));
    if (!m_connection.connected())
        m_connection.connect();
    if (!m_connection.durable())
        throw DataError(
            QStringLiteral("数据库文件“%1”的设置无法保证数据安全写入，已拒绝保存").arg(m_connection.filePath()));
    QStringList columns;
    std::vector<QVariant> values;
    for (size_t i = 0; i < row.values.size(); ++i) {
        if (!m_changed[i])
            continue;
        columns << quoted(m_fieldNames[static_cast<int>(i)]);
        values.push_back(row.values[i]);
    }
    QString sql;
    if (insert) {
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table));
        } else {
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(m_table), columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
    } else {
        if (columns.isEmpty())
            return;
        QStringList sets;
        for (const QString& column : columns)
            sets << column + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quoted(m_table), sets.join(QStringLiteral(", ")));
    }
    sqlite::Statement statement(m_connection.handle(), sql, m_connection.filePath());
    int index = 1;
    for (const QVariant& value : values)
        statement.bind(index++, value);
    if (!insert)
        statement.bind(index, QVariant(static_cast<qlonglong>(row.rowid)));
    statement.step();
}

void Dataset::post()
{
    if (m_state != State::Editing && m_state != State::Adding)
        fail(QStringLiteral("Dataset not in edit or insert mode"));
    const bool insert = m_state == State::Adding;
    // A failure leaves the row pending, so the user can try again.
    writeRow(m_pending, insert);
    if (insert) {
        m_pending.rowid = sqlite3_last_insert_rowid(m_connection.handle());
        storeRow(rowCount(), m_pending);
        m_current = static_cast<int>(rowCount()) - 1;
    } else {
        storeRow(static_cast<size_t>(m_current), m_pending);
    }
    m_pending = Row();
    m_changed.clear();
    m_anyChanged = false;
    m_state = State::Browsing;
    m_bof = m_eof = false;
}

void Dataset::cancel()
{
    if (m_state != State::Editing && m_state != State::Adding)
        return;
    m_pending = Row();
    m_changed.clear();
    m_anyChanged = false;
    m_state = State::Browsing;
}

void Dataset::settlePending()
{
    if (m_state != State::Editing && m_state != State::Adding)
        return;
    if (m_anyChanged)
        post();
    else
        cancel();
}

void Dataset::updateBatch()
{
    requireActive();
    settlePending();
    if (m_table.isEmpty() || m_current < 0)
        return;
    Row row = rowAt(static_cast<size_t>(m_current));
    sqlite::Statement statement(m_connection.handle(),
                                QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(m_table)),
                                m_connection.filePath());
    statement.bind(1, QVariant(static_cast<qlonglong>(row.rowid)));
    if (statement.step() && statement.columnCount() == static_cast<int>(row.values.size())) {
        for (int c = 0; c < statement.columnCount(); ++c)
            row.values[static_cast<size_t>(c)] = statement.value(c);
        storeRow(static_cast<size_t>(m_current), row);
    }
}

int Dataset::addListener(Listener listener)
{
    const int id = m_nextListenerId++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void Dataset::removeListener(int id)
{
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void Dataset::notify(bool opened)
{
    const auto listeners = m_listeners;
    for (const auto& entry : listeners)
        entry.second(*this, opened);
}

void load(Dataset& dataset, const QString& commandText, Dataset::Position position)
{
    dataset.close();
    dataset.setCommandText(commandText);
    dataset.open();
    if (position == Dataset::Position::First)
        dataset.first();
    else
        dataset.last();
}
