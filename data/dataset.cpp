// The dataset: a cursor over a result held in memory, its moves and field access, and writing one row per Post.
#include "data/dataset.h"

#include "data/commandtext.h"
#include "data/connection.h"
#include "data/errors.h"

Dataset::Dataset(QString name, Connection& connection) : m_name(std::move(name)), m_connection(connection) {}

void Dataset::fail(const QString& text) const
{
    throw DataError(m_name + QStringLiteral(": ") + text);
}

void Dataset::requireActive() const
{
    if (m_state == State::Closed)
        fail(QStringLiteral("数据集已关闭，不能进行这个操作"));
}

void Dataset::requireChanging() const
{
    if (!changing())
        fail(QStringLiteral("数据集不在编辑或新增状态"));
}

void Dataset::close()
{
    if (m_state == State::Closed)
        return;
    notify(false);
    ++m_generation;
    m_state = State::Closed;
    m_rows.clear();
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
    m_table = commandtext::wholeTable(m_commandText);
    auto statement = commandtext::select(m_connection, m_commandText, m_table);
    if (!statement)
        fail(QStringLiteral("只能打开查询语句"));
    m_rows.read(*statement, !m_table.isEmpty());
    ++m_generation;
    m_state = State::Browsing;
    m_current = m_rows.count() == 0 ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.count() == 0;
    notify(true);
}

bool Dataset::beginMove()
{
    requireActive();
    settlePending();
    return m_rows.count() > 0;
}

void Dataset::first()
{
    if (!beginMove())
        return;
    m_current = 0;
    m_bof = true;
    m_eof = false;
}

void Dataset::last()
{
    if (!beginMove())
        return;
    m_current = static_cast<int>(m_rows.count()) - 1;
    m_eof = true;
    m_bof = false;
}

void Dataset::next()
{
    if (!beginMove())
        return;
    if (m_current + 1 < static_cast<int>(m_rows.count())) {
        ++m_current;
        m_bof = m_eof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior()
{
    if (!beginMove())
        return;
    if (m_current > 0) {
        --m_current;
        m_bof = m_eof = false;
    } else {
        m_bof = true;
    }
}

void Dataset::moveTo(int row)
{
    if (!beginMove())
        return;
    m_current = std::clamp(row, 0, static_cast<int>(m_rows.count()) - 1);
    m_bof = m_eof = false;
}

int Dataset::recordCount() const
{
    requireActive();
    return static_cast<int>(m_rows.count());
}

int Dataset::recNo() const
{
    return m_current;
}

int Dataset::requireField(const QString& field) const
{
    const int index = m_rows.find(field);
    if (index < 0)
        fail(QStringLiteral("找不到字段“%1”").arg(field));
    return index;
}

bool Dataset::hasField(const QString& field) const
{
    return m_rows.find(field) >= 0;
}

FieldKind Dataset::fieldKind(const QString& field) const
{
    return m_rows.kind(requireField(field));
}

std::optional<size_t> Dataset::readRow() const
{
    if (changing())
        return rowstore::Rows::pending;
    if (m_current < 0)
        return std::nullopt;
    return static_cast<size_t>(m_current);
}

bool Dataset::isNull(const QString& field) const
{
    return isNull(requireField(field));
}

bool Dataset::isNull(int column) const
{
    const auto row = readRow();
    return !row || m_rows.isNull(*row, column);
}

QVariant Dataset::storedValue(const QString& field) const
{
    const int column = requireField(field);
    const auto row = readRow();
    return row ? m_rows.value(*row, column) : QVariant();
}

QString Dataset::asText(const QString& field) const
{
    const int column = requireField(field);
    const auto row = readRow();
    return row ? m_rows.text(*row, column) : QString();
}

double Dataset::asNumber(const QString& field) const
{
    return numberAt(requireField(field), &field);
}

double Dataset::asNumber(int column) const
{
    return numberAt(column, nullptr);
}

double Dataset::numberAt(int column, const QString* field) const
{
    const auto row = readRow();
    if (!row)
        return 0;
    if (const auto number = m_rows.number(*row, column))
        return *number;
    const QString name = field ? *field : m_rows.names().value(column);
    const QString text = m_rows.value(*row, column).toString().left(40);
    if (m_rows.kind(column) == FieldKind::DateTime)
        fail(QStringLiteral("字段“%1”的值“%2”不是有效的日期时间").arg(name, text));
    fail(QStringLiteral("字段“%1”的值“%2”不是有效的数字").arg(name, text));
}

void Dataset::edit()
{
    requireActive();
    if (changing())
        return;
    if (m_rows.count() == 0) {
        append();
        return;
    }
    m_rows.beginEdit(static_cast<size_t>(m_current));
    m_state = State::Editing;
}

void Dataset::append()
{
    requireActive();
    settlePending();
    m_rows.beginAppend();
    m_state = State::Adding;
}

void Dataset::setText(const QString& field, const QString& value)
{
    requireChanging();
    if (!m_rows.setText(requireField(field), value))
        fail(QStringLiteral("“%1”不是有效的日期时间").arg(value));
}

void Dataset::setNumber(const QString& field, double value)
{
    requireChanging();
    m_rows.setNumber(requireField(field), value);
}

void Dataset::setDateTime(const QString& field, const QDateTime& value)
{
    requireChanging();
    m_rows.setDateTime(requireField(field), value);
}

void Dataset::post()
{
    requireChanging();
    if (m_table.isEmpty())
        fail(QStringLiteral("这个查询结果是只读的，不能保存"));
    const rowstore::Row& row = m_rows.pendingRow();
    QStringList columns;
    std::vector<QVariant> values;
    for (const int c : m_rows.changedColumns()) {
        columns << m_rows.names()[c];
        values.push_back(row.values[static_cast<size_t>(c)]);
    }
    // A failure leaves the row pending, so the user can try again.
    if (m_state == State::Adding) {
        m_rows.keepPending(m_rows.count(), commandtext::insertRow(m_connection, m_table, columns, values));
        m_current = static_cast<int>(m_rows.count()) - 1;
    } else {
        commandtext::updateRow(m_connection, m_table, row.rowid, columns, values);
        m_rows.keepPending(static_cast<size_t>(m_current), row.rowid);
    }
    ++m_generation;
    m_state = State::Browsing;
    m_bof = m_eof = false;
}

qint64 Dataset::rowKey(int row) const
{
    requireActive();
    if (row < 0 || row >= recordCount())
        fail(QStringLiteral("没有第 %1 行").arg(row + 1));
    return m_rows.rowid(static_cast<size_t>(row));
}

void Dataset::cancel()
{
    if (!changing())
        return;
    m_rows.dropPending();
    m_state = State::Browsing;
}

void Dataset::settlePending()
{
    if (!changing())
        return;
    if (m_rows.changedColumns().empty())
        cancel();
    else
        post();
}

void Dataset::updateBatch()
{
    requireActive();
    settlePending();
    if (m_table.isEmpty() || m_current < 0)
        return;
    rowstore::Row row = m_rows.row(static_cast<size_t>(m_current));
    auto values = commandtext::reread(m_connection, m_table, row.rowid);
    if (values && values->size() == row.values.size()) {
        row.values = std::move(*values);
        m_rows.store(static_cast<size_t>(m_current), row);
        ++m_generation;
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
