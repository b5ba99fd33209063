// Row changes by key, in one transaction each, and their exact reversal.
#include "data/rowchanges.h"

#include "data/connection.h"
#include "data/errors.h"
#include "data/sqlite.h"

namespace rowchanges {
namespace {

QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

// Quoted, ready for SQL text.
QStringList columnNames(Connection& connection, const QString& table)
{
    sqlite::Statement statement(connection.handle(), QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quoted(table)),
                                connection.filePath());
    QStringList names;
    for (int c = 0; c < statement.columnCount(); ++c)
        names << quoted(statement.columnName(c));
    return names;
}

std::optional<Values> read(Connection& connection, const QString& table, qint64 key)
{
    // Kept prepared: every diary save reads its row back.
    const sqlite::CachedStatement statement =
        sqlite::cached(connection.handle(), QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(table)),
                       connection.filePath());
    statement->bind(1, QVariant(static_cast<qlonglong>(key)));
    if (!statement->step())
        return std::nullopt;
    Values values;
    for (int c = 0; c < statement->columnCount(); ++c)
        values.push_back(statement->value(c));
    return values;
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    const auto number = [](const QVariant& v) {
        const int type = v.typeId();
        return type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong;
    };
    if (number(a) || number(b))
        return number(a) && number(b) && a.toDouble() == b.toDouble();
    return a.toString() == b.toString();
}

// The row with that key as it is now, when it still holds what was seen of it.
std::optional<Values> readSeen(Connection& connection, const QString& table, const SeenRow& row)
{
    auto values = read(connection, table, row.key);
    if (!values || row.seen.empty())
        return values;
    const sqlite::CachedStatement statement =
        sqlite::cached(connection.handle(), QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(table)),
                       connection.filePath());
    for (const auto& [column, value] : row.seen) {
        int at = 0;
        while (at < statement->columnCount() &&
               QString::compare(statement->columnName(at), column, Qt::CaseInsensitive) != 0)
            ++at;
        if (at == statement->columnCount() || !sameValue((*values)[static_cast<size_t>(at)], value))
            return std::nullopt;
    }
    return values;
}

void run(Connection& connection, const QString& sql, const Values& values, std::optional<qint64> key)
{
    sqlite::Statement statement(connection.handle(), sql, connection.filePath());
    int index = 1;
    for (const QVariant& value : values)
        statement.bind(index++, value);
    if (key)
        statement.bind(index, QVariant(static_cast<qlonglong>(*key)));
    statement.step();
}

// Sets the row with that key to `target` (none: removed), from `expected` as the file must hold it now.
void put(Connection& connection, const QString& table, const QStringList& columns, qint64 key,
         const std::optional<Values>& expected, const std::optional<Values>& target)
{
    if (read(connection, table, key) != expected)
        throw DataError(QStringLiteral("这条记录在这期间已被别的程序改动或删除，不能恢复，数据文件里什么也没有改"));
    if (!target) {
        run(connection, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(table)), {}, key);
    } else if (!expected) {
        // The same key again: the rows of a table are listed in the order of their keys.
        Values keyed{QVariant(static_cast<qlonglong>(key))};
        keyed.insert(keyed.end(), target->begin(), target->end());
        const QStringList marks(columns.size() + 1, QStringLiteral("?"));
        run(connection,
            QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (%3)")
                .arg(quoted(table), columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
            keyed, std::nullopt);
    } else {
        QStringList sets;
        for (const QString& column : columns)
            sets << column + QStringLiteral(" = ?");
        run(connection,
            QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quoted(table), sets.join(QStringLiteral(", "))),
            *target, key);
    }
}

void apply(Connection& connection, const Change& change, bool forward)
{
    Transaction transaction(connection);
    const QStringList columns = columnNames(connection, change.table);
    if (forward) {
        for (const Row& row : change.rows)
            put(connection, change.table, columns, row.key, row.before, row.after);
    } else {
        for (auto row = change.rows.rbegin(); row != change.rows.rend(); ++row)
            put(connection, change.table, columns, row->key, row->after, row->before);
    }
    transaction.commit();
}

} // namespace

Change remove(Connection& connection, const QString& table, const std::vector<SeenRow>& rows)
{
    Transaction transaction(connection);
    Change change{table, {}};
    for (const SeenRow& row : rows) {
        auto values = readSeen(connection, table, row);
        if (!values)
            throw DataError(QStringLiteral("要删除的记录已经不在数据文件里了，或已被别的程序改动（例如导入或恢复），"
                                           "什么也没有删除"));
        run(connection, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(table)), {}, row.key);
        change.rows.push_back({row.key, std::move(values), std::nullopt});
    }
    transaction.commit();
    return change;
}

Change update(Connection& connection, const QString& table, const SeenRow& row, const QStringList& columns,
              const Values& values)
{
    Transaction transaction(connection);
    const qint64 key = row.key;
    auto before = readSeen(connection, table, row);
    if (!before)
        throw DataError(QStringLiteral("要修改的记录已经不在数据文件里了，或已被别的程序改动（例如导入或恢复），"
                                       "什么也没有保存"));
    QStringList sets;
    for (const QString& column : columns)
        sets << quoted(column) + QStringLiteral(" = ?");
    run(connection,
        QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quoted(table), sets.join(QStringLiteral(", "))), values,
        key);
    auto after = read(connection, table, key);
    transaction.commit();
    return {table, {{key, std::move(before), std::move(after)}}};
}

Change added(Connection& connection, const QString& table, qint64 key)
{
    if (!connection.connected())
        connection.connect();
    return {table, {{key, std::nullopt, read(connection, table, key)}}};
}

void undo(Connection& connection, const Change& change)
{
    apply(connection, change, false);
}

void redo(Connection& connection, const Change& change)
{
    apply(connection, change, true);
}

} // namespace rowchanges
