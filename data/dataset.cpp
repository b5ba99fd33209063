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

// "select * from <table>" in any case and spacing; the table name is kept to word characters, so it
// can be quoted safely.
QString wholeTable(const QString& commandText)
{
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

Dataset::Dataset(QString name, Connection& connection) : m_name(std::move(name)), m_connection(connection)
{
}

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
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_fieldNames.clear();
    m_kinds.clear();
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
    std::vector<Row> rows;
    while (statement.step()) {
        Row row;
        row.rowid = keyed ? sqlite3_column_int64(statement.handle(), 0) : 0;
        row.values.reserve(static_cast<size_t>(columns - first));
        for (int c = first; c < columns; ++c)
            row.values.push_back(statement.value(c));
        rows.push_back(std::move(row));
    }

    m_fieldNames = names;
    m_kinds = std::move(kinds);
    m_rows = std::move(rows);
    m_state = State::Browsing;
    m_current = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    notify(true);
}

void Dataset::first()
{
    requireActive();
    settlePending();
    if (m_rows.empty())
        return;
    m_current = 0;
    m_bof = true;
    m_eof = false;
}

void Dataset::last()
{
    requireActive();
    settlePending();
    if (m_rows.empty())
        return;
    m_current = static_cast<int>(m_rows.size()) - 1;
    m_eof = true;
    m_bof = false;
}

void Dataset::next()
{
    requireActive();
    settlePending();
    if (m_rows.empty())
        return;
    if (m_current + 1 < static_cast<int>(m_rows.size())) {
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
    if (m_rows.empty())
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
    if (m_rows.empty())
        return;
    m_current = std::clamp(row, 0, static_cast<int>(m_rows.size()) - 1);
    m_bof = m_eof = false;
}

int Dataset::recordCount() const
{
    requireActive();
    return static_cast<int>(m_rows.size());
}

int Dataset::recNo() const
{
    return m_current;
}

int Dataset::fieldIndex(const QString& field) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (QString::compare(m_fieldNames[i], field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Dataset::hasField(const QString& field) const
{
    return fieldIndex(field) >= 0;
}

FieldKind Dataset::fieldKind(const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        fail(QStringLiteral("Field '%1' not found").arg(field));
    return m_kinds[static_cast<size_t>(index)];
}

const QVariant* Dataset::currentValue(const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        fail(QStringLiteral("Field '%1' not found").arg(field));
    const Row* row = nullptr;
    if (m_state == State::Editing || m_state == State::Adding)
        row = &m_pending;
    else if (m_current >= 0)
        row = &m_rows[static_cast<size_t>(m_current)];
    if (!row)
        return nullptr;
    return &row->values[static_cast<size_t>(index)];
}

bool Dataset::isNull(const QString& field) const
{
    const QVariant* value = currentValue(field);
    return !value || value->isNull();
}

QString Dataset::asText(const QString& field) const
{
    const QVariant* value = currentValue(field);
    if (!value || value->isNull())
        return QString();
    switch (m_kinds[static_cast<size_t>(fieldIndex(field))]) {
    case FieldKind::DateTime:
        if (value->typeId() == QMetaType::Double)
            return conversions::dateTimeToText(conversions::fromOleDate(value->toDouble()));
        if (const auto dateTime = conversions::fromStorageText(value->toString()))
            return conversions::dateTimeToText(*dateTime);
        return value->toString();
    case FieldKind::Number:
    case FieldKind::Text:
        if (value->typeId() == QMetaType::Double)
            return conversions::numberToText(value->toDouble());
        return value->toString();
    }
    return value->toString();
}

double Dataset::asNumber(const QString& field) const
{
    const QVariant* value = currentValue(field);
    if (!value || value->isNull())
        return 0;
    if (value->typeId() == QMetaType::Double)
        return value->toDouble();
    const QString text = value->toString();
    if (m_kinds[static_cast<size_t>(fieldIndex(field))] == FieldKind::DateTime) {
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
    if (m_rows.empty()) {
        append();
        return;
    }
    m_pending = m_rows[static_cast<size_t>(m_current)];
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
        throw DataError(QStringLiteral("数据库文件“%1”的设置无法保证数据安全写入，已拒绝保存").arg(m_connection.filePath()));
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
        m_rows.push_back(std::move(m_pending));
        m_current = static_cast<int>(m_rows.size()) - 1;
    } else {
        m_rows[static_cast<size_t>(m_current)] = std::move(m_pending);
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
    Row& row = m_rows[static_cast<size_t>(m_current)];
    sqlite::Statement statement(m_connection.handle(),
                                QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(m_table)),
                                m_connection.filePath());
    statement.bind(1, QVariant(static_cast<qlonglong>(row.rowid)));
    if (statement.step() && statement.columnCount() == static_cast<int>(row.values.size()))
        for (int c = 0; c < statement.columnCount(); ++c)
            row.values[static_cast<size_t>(c)] = statement.value(c);
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
