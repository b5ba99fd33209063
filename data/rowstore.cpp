// The row store: a result's rows as compact cells, their values as the dataset reads them, the row being changed.
#include "data/rowstore.h"

#include "data/conversions.h"
#include "data/sqlite.h"

#include <algorithm>

namespace rowstore {

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

QString textOf(const QVariant& value, FieldKind kind)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        return kind == FieldKind::DateTime ? conversions::dateTimeToText(conversions::fromOleDate(number))
                                           : conversions::numberToText(number);
    }
    const QString text = value.toString();
    if (kind == FieldKind::DateTime) {
        if (const auto dateTime = conversions::fromStorageText(text))
            return conversions::dateTimeToText(*dateTime);
    }
    return text;
}

std::optional<double> numberOf(const QVariant& value, FieldKind kind)
{
    if (value.isNull())
        return 0;
    if (value.typeId() == QMetaType::Double)
        return value.toDouble();
    const QString text = value.toString();
    if (kind == FieldKind::DateTime) {
        if (const auto dateTime = conversions::fromStorageText(text))
            return conversions::toOleDate(*dateTime);
        return std::nullopt;
    }
    // Stored by the program with a point; typed into another program, perhaps with the locale's separator.
    if (const auto number = conversions::textToNumber(text, QLocale::c()))
        return number;
    return conversions::textToNumber(text);
}

} // namespace

void Rows::read(sqlite::Statement& statement, bool keyed)
{
    Rows result;
    const int first = keyed ? 1 : 0;
    const int columns = statement.columnCount();
    for (int c = first; c < columns; ++c) {
        result.m_names << statement.columnName(c);
        result.m_kinds.push_back(kindOf(statement.declaredType(c)));
    }
    result.m_columns = static_cast<size_t>(columns - first);
    while (statement.step()) {
        result.m_rowids.push_back(keyed ? statement.integer(0) : 0);
        for (int c = first; c < columns; ++c) {
            const sqlite::Column column = statement.read(c);
            Cell cell;
            switch (column.kind) {
            case sqlite::Column::Kind::Number:
                cell.type = Cell::Type::Number;
                cell.number = column.number;
                break;
            case sqlite::Column::Kind::Text:
                cell.type = Cell::Type::Text;
                cell.offset = result.m_text.size();
                cell.size = static_cast<quint32>(column.utf8.size());
                if (!column.utf8.isEmpty())
                    result.m_text.append(column.utf8.data(), static_cast<size_t>(column.utf8.size()));
                break;
            case sqlite::Column::Kind::Null:
                break;
            }
            result.m_cells.push_back(cell);
        }
    }
    *this = std::move(result);
}

void Rows::clear()
{
    *this = Rows();
}

int Rows::find(const QString& field) const
{
    for (const auto& [name, index] : m_lookups)
        if (name == field)
            return index;
    for (int i = 0; i < m_names.size(); ++i) {
        if (QString::compare(m_names[i], field, Qt::CaseInsensitive) == 0) {
            if (m_lookups.size() < 32)
                m_lookups.emplace_back(field, i);
            return i;
        }
    }
    return -1;
}

Row Rows::row(size_t index) const
{
    Row values;
    values.rowid = m_rowids[index];
    values.values.reserve(m_columns);
    for (size_t c = 0; c < m_columns; ++c)
        values.values.push_back(cellValue(m_cells[index * m_columns + c]));
    return values;
}

void Rows::store(size_t index, const Row& values)
{
    if (index == m_rowids.size()) {
        m_rowids.emplace_back();
        m_cells.resize(m_cells.size() + m_columns);
    }
    m_rowids[index] = values.rowid;
    for (size_t c = 0; c < m_columns; ++c) {
        Cell& cell = m_cells[index * m_columns + c];
        cell = Cell();
        cell.type = Cell::Type::Variant;
        cell.offset = m_variants.size();
        m_variants.push_back(values.values[c]);
    }
}

QByteArrayView Rows::bytes(const Cell& cell) const
{
    return QByteArrayView(m_text.data() + cell.offset, static_cast<qsizetype>(cell.size));
}

QVariant Rows::cellValue(const Cell& cell) const
{
    switch (cell.type) {
    case Cell::Type::Null:
        return QVariant();
    case Cell::Type::Number:
        return QVariant(cell.number);
    case Cell::Type::Text:
        // An empty text reads as a null string, as the engine gives no bytes for it.
        return QVariant(cell.size ? QString::fromUtf8(bytes(cell)) : QString());
    case Cell::Type::Variant:
        return m_variants[static_cast<size_t>(cell.offset)];
    }
    return QVariant();
}

QVariant Rows::value(size_t row, int column) const
{
    if (row == pending)
        return m_pending.values[static_cast<size_t>(column)];
    return cellValue(cell(row, column));
}

bool Rows::isNull(size_t row, int column) const
{
    if (row != pending && cell(row, column).type != Cell::Type::Variant)
        return cell(row, column).type == Cell::Type::Null;
    return value(row, column).isNull();
}

QString Rows::text(size_t row, int column) const
{
    // A stored text is read straight from its bytes, a date-time without making a string of it first.
    if (row != pending && cell(row, column).type == Cell::Type::Text) {
        const Cell& stored = cell(row, column);
        if (kind(column) == FieldKind::DateTime) {
            if (auto text = conversions::storageUtf8ToText(bytes(stored)))
                return std::move(*text);
        }
        return stored.size ? QString::fromUtf8(bytes(stored)) : QString();
    }
    return textOf(value(row, column), kind(column));
}

std::optional<double> Rows::number(size_t row, int column) const
{
    if (row != pending) {
        const Cell& stored = cell(row, column);
        if (stored.type == Cell::Type::Number)
            return stored.number;
        if (stored.type == Cell::Type::Text && kind(column) == FieldKind::DateTime) {
            if (const auto date = conversions::storageUtf8ToOleDate(bytes(stored)))
                return date;
        }
    }
    return numberOf(value(row, column), kind(column));
}

void Rows::beginEdit(size_t index)
{
    m_pending = row(index);
    m_changed.assign(m_pending.values.size(), false);
}

void Rows::beginAppend()
{
    m_pending = Row();
    m_pending.values.assign(m_columns, QVariant());
    m_changed.assign(m_columns, false);
}

void Rows::set(int column, const QVariant& value)
{
    m_pending.values[static_cast<size_t>(column)] = value;
    m_changed[static_cast<size_t>(column)] = true;
}

bool Rows::setText(int column, const QString& text)
{
    switch (kind(column)) {
    case FieldKind::Number:
        set(column, text.isEmpty() ? QVariant() : QVariant(conversions::textToNumberOrThrow(text)));
        return true;
    case FieldKind::DateTime:
        if (text.isEmpty()) {
            set(column, QVariant());
            return true;
        }
        if (const auto dateTime = conversions::fromStorageText(text)) {
            set(column, conversions::toStorageText(*dateTime));
            return true;
        }
        return false;
    case FieldKind::Text:
        break;
    }
    set(column, text);
    return true;
}

void Rows::setNumber(int column, double value)
{
    if (kind(column) == FieldKind::DateTime)
        set(column, conversions::toStorageText(conversions::fromOleDate(value)));
    else
        set(column, value);
}

void Rows::setDateTime(int column, const QDateTime& value)
{
    if (kind(column) == FieldKind::Number)
        set(column, conversions::toOleDate(value));
    else
        set(column, conversions::toStorageText(value));
}

std::vector<int> Rows::changedColumns() const
{
    std::vector<int> columns;
    for (size_t c = 0; c < m_changed.size(); ++c)
        if (m_changed[c])
            columns.push_back(static_cast<int>(c));
    return columns;
}

void Rows::keepPending(size_t index, qint64 rowid)
{
    m_pending.rowid = rowid;
    store(index, m_pending);
    dropPending();
}

void Rows::dropPending()
{
    m_pending = Row();
    m_changed.clear();
}

} // namespace rowstore
