// The row store: every row of a result in memory, each value read as text or number by its field's kind, and the
// one row that is being changed.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a field holds, from its declared column type: DATETIME, a number type (REAL, FLOAT, DOUBLE, INTEGER,
// NUMERIC) or anything else as text. Part of Dataset's face (Dataset::fieldKind).
enum class FieldKind { Text, Number, DateTime };

namespace sqlite {
class Statement;
}

namespace rowstore {

// A whole row: its key (0 for rows without one: read-only results) and its values.
struct Row {
    qint64 rowid = 0;
    std::vector<QVariant> values;
};

class Rows {
public:
    // Stands for the row being changed wherever the index of a stored row goes.
    static constexpr size_t pending = SIZE_MAX;

    // Reads every row of a statement that has not stepped yet; with `keyed`, its first column is the row's key.
    void read(sqlite::Statement& statement, bool keyed);
    void clear();

    const QStringList& names() const { return m_names; }
    FieldKind kind(int column) const { return m_kinds[static_cast<size_t>(column)]; }
    // The column of a field, its name compared without regard to case; -1 when there is none.
    int find(const QString& field) const;

    size_t count() const { return m_rowids.size(); }
    Row row(size_t index) const;
    qint64 rowid(size_t index) const { return m_rowids[index]; }
    // Replaces a stored row, or adds one at the end when `index` is count().
    void store(size_t index, const Row& values);

    // One value of a stored row or of the pending one.
    QVariant value(size_t row, int column) const;
    bool isNull(size_t row, int column) const;
    // A date-time in the locale's form, a number in its shortest form; a null value as the empty text.
    QString text(size_t row, int column) const;
    // A date-time as an OLE Automation date; a null value as 0. Nothing when the value reads as neither.
    std::optional<double> number(size_t row, int column) const;

    // The pending row starts as a copy of a stored row, or as a row of nulls.
    void beginEdit(size_t index);
    void beginAppend();
    // A pending field set from a text by its kind: a number strictly (throwing DataError), a date-time in the storage
    // form, either of them null for the empty text. False, and nothing set, for a text that names no date-time.
    bool setText(int column, const QString& text);
    // A number into a date-time field is an OLE Automation date; a date-time into a number field becomes one.
    void setNumber(int column, double value);
    void setDateTime(int column, const QDateTime& value);
    const Row& pendingRow() const { return m_pending; }
    // The columns set since the pending row began, in order.
    std::vector<int> changedColumns() const;
    // Stores the pending row at `index` (as store does) under the key given, and ends it.
    void keepPending(size_t index, qint64 rowid);
    void dropPending();

private:
    // One value read from the file. A text stays UTF-8 in m_text until it is read: most values of a large result
    // are never read (the food tree reads one field of each row), and one buffer costs far less, in time and
    // memory, than a string per value.
    struct Cell {
        enum class Type : quint8 { Null, Number, Text, Variant };
        Type type = Type::Null;
        quint32 size = 0; // the bytes of a text
        union {
            double number = 0;
            quint64 offset; // into m_text for a text, into m_variants for a variant
        };
    };

    const Cell& cell(size_t row, int column) const { return m_cells[row * m_columns + static_cast<size_t>(column)]; }
    QByteArrayView bytes(const Cell& cell) const;
    QVariant cellValue(const Cell& cell) const;
    void set(int column, const QVariant& value);

    QStringList m_names;
    std::vector<FieldKind> m_kinds;
    // Names already looked up, as the caller spelled them: handlers read the same few fields on every row.
    mutable std::vector<std::pair<QString, int>> m_lookups;
    size_t m_columns = 0;
    std::vector<qint64> m_rowids;     // one per row
    std::vector<Cell> m_cells;        // the rows' values, row after row
    std::string m_text;               // the bytes of the texts read
    std::vector<QVariant> m_variants; // values posted or read back by updateBatch, kept exactly as they were

    Row m_pending;
    std::vector<bool> m_changed;
};

} // namespace rowstore
