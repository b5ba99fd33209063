// A client-side cursor over the rows of one command text, written back one row at a time.
#pragma once

#include "data/rowstore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

class Connection;

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
    // Moves on whenever the rows held change (opened, closed, a row posted or read again), so that what is worked
    // out from them can be kept until then.
    quint64 generation() const { return m_generation; }
    // Index of the current row, -1 on an empty result.
    int recNo() const;
    // Moves to a row by index, with the same pending-change rule as the other moves.
    void moveTo(int row);
    // The key by which the file knows a stored row (0 for a read-only result): two rows may hold the same values.
    qint64 rowKey(int row) const;

    bool hasField(const QString& field) const;
    QStringList fieldNames() const { return m_rows.names(); }
    FieldKind fieldKind(const QString& field) const;
    QString asText(const QString& field) const;
    double asNumber(const QString& field) const;
    bool isNull(const QString& field) const;
    // The value of a field of the current row as the file held it when it was read (a text, a number or null).
    QVariant storedValue(const QString& field) const;
    // The same reads by a field's place, for a loop over many rows; fieldIndex fails as the reads by name do.
    int fieldIndex(const QString& field) const { return requireField(field); }
    double asNumber(int column) const;
    bool isNull(int column) const;

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
    [[noreturn]] void fail(const QString& text) const;
    void requireActive() const;
    // True while a row is being changed (editing or adding).
    bool changing() const { return m_state == State::Editing || m_state == State::Adding; }
    void requireChanging() const;
    // The index of a field, failing when there is none.
    int requireField(const QString& field) const;
    // The number in a field; a failure names the field as asked for (`field`), or as the result names it.
    double numberAt(int column, const QString* field) const;
    // The row that field reads see: the pending one while changing, else the current one; nothing on an empty result.
    std::optional<size_t> readRow() const;
    // The common start of every move: true when there are rows to move over.
    bool beginMove();
    void settlePending();
    void notify(bool opened);

    QString m_name;
    Connection& m_connection;
    QString m_commandText;
    QString m_table; // set when the command text is a whole-table select
    State m_state = State::Closed;
    rowstore::Rows m_rows;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    quint64 m_generation = 0;

    std::vector<std::pair<int, Listener>> m_listeners;
    int m_nextListenerId = 1;
};

// Close, set the command text, open, then move to the first or last row.
void load(Dataset& dataset, const QString& commandText, Dataset::Position position = Dataset::Position::First);
