// A client-side cursor over the rows of one command text, written back one row at a time.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Connection;

enum class FieldKind { Text, Number, DateTime };

class Dataset {
public:
    enum class State { Closed, Browsing, Editing, Adding };
    enum class Position { First, Last };

    Dataset(QString name, Connection& connection);
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    const QString& name() const { return m_name; }
    State state() const { return m_state; }
    bool active() const { return m_state != State::Closed; }
    Connection& connection() const { return m_connection; }

    void close();
    void setCommandText(const QString& text);
    const QString& commandText() const { return m_commandText; }
    void open();

    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    // Rows of the result; a row being added and not yet posted is not counted.
    int recordCount() const;
    // Index of the current row, -1 on an empty result.
    int recNo() const;
    // Moves to a row by index, with the same pending-change rule as the other moves.
    void moveTo(int row);

    bool hasField(const QString& field) const;
    QStringList fieldNames() const { return m_fieldNames; }
    FieldKind fieldKind(const QString& field) const;
    QString asText(const QString& field) const;
    double asNumber(const QString& field) const;
    bool isNull(const QString& field) const;

    void edit();
    void append();
    void setText(const QString& field, const QString& value);
    void setNumber(const QString& field, double value);
    void setDateTime(const QString& field, const QDateTime& value);
    void post();
    // Drops the pending change, if any, and goes back to browsing.
    void cancel();
    void updateBatch();

    // Called after every Open and before every Close (so a bound chart can refill or empty itself).
    using Listener = std::function<void(Dataset&, bool opened)>;
    int addListener(Listener listener);
    void removeListener(int id);

private:
    struct Row {
        qint64 rowid = 0; // 0 for rows without a key (read-only results)
        std::vector<QVariant> values;
    };

    // One value of a row read from the file. A text stays UTF-8 in m_text until it is read: most values of a large
    // result are never read (the food tree reads one field of each row), and one buffer costs far less, in time and
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

    [[noreturn]] void fail(const QString& text) const;
    void requireActive() const;
    int fieldIndex(const QString& field) const;
    // The index of a field, failing when there is none.
    int requireField(const QString& field) const;
    // A field of the current row (of the pending row while editing); a null QVariant when there is no row.
    QVariant valueAt(int index) const;
    // A field of the current row while browsing, as stored; nullptr while editing or without a row.
    const Cell* browsingCell(int index) const;
    QVariant cellValue(const Cell& cell) const;
    QByteArrayView cellBytes(const Cell& cell) const;
    size_t rowCount() const { return m_rowids.size(); }
    Row rowAt(size_t row) const;
    void storeRow(size_t row, const Row& values);
    void setValue(const QString& field, const QVariant& value);
    void settlePending();
    void clearRows();
    void writeRow(const Row& row, bool insert);
    void notify(bool opened);

    QString m_name;
    Connection& m_connection;
    QString m_commandText;
    QString m_table; // set when the command text is a whole-table select
    State m_state = State::Closed;

    QStringList m_fieldNames;
    std::vector<FieldKind> m_kinds;
    // Names already looked up, as the caller spelled them: handlers read the same few fields on every row.
    mutable std::vector<std::pair<QString, int>> m_lookups;
    size_t m_columns = 0;
    std::vector<qint64> m_rowids;     // one per row; 0 for rows without a key (read-only results)
    std::vector<Cell> m_cells;        // the rows' values, row after row
    std::string m_text;               // the bytes of the texts read
    std::vector<QVariant> m_variants; // values posted or read back by updateBatch, kept exactly as they were
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;

    Row m_pending;
    std::vector<bool> m_changed;
    bool m_anyChanged = false;

    std::vector<std::pair<int, Listener>> m_listeners;
    int m_nextListenerId = 1;
};

// Close, set the command text, open, then move to the first or last row.
void load(Dataset& dataset, const QString& commandText, Dataset::Position position = Dataset::Position::First);
