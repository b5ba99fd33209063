// The command-text front: which command texts read a whole table, and the SQL that reads and writes its rows.
#pragma once

#include "data/sqlite.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

class Connection;

namespace commandtext {

// The table that "select * from <table>" names (any case and spacing, a semicolon allowed); empty for any other
// text. SQLite will not take a table name that starts with a digit unquoted, so such a text never runs as written.
QString wholeTable(const QString& commandText);

// The statement that reads a command text's rows, connecting first when needed: for a whole table (`table` as
// wholeTable gives it) every row with its key first, in the order in which the rows were stored; any other text
// as it is. Nothing when that text would write.
std::optional<sqlite::Statement> select(Connection& connection, const QString& commandText, const QString& table);

// One row of a table, written at once: a new row of the columns given (the others default), whose key is
// returned, or the columns given of the row with that key.
qint64 insertRow(Connection& connection, const QString& table, const QStringList& columns,
                 const std::vector<QVariant>& values);
void updateRow(Connection& connection, const QString& table, qint64 rowid, const QStringList& columns,
               const std::vector<QVariant>& values);
// The columns of the row with that key as the file holds them now; nothing when it is gone.
std::optional<std::vector<QVariant>> reread(Connection& connection, const QString& table, qint64 rowid);

} // namespace commandtext
