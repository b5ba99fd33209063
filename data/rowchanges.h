// Several rows of one table changed as one, each row's values before and after kept by its key, so that the change
// can be taken back and made again exactly.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

class Connection;

namespace rowchanges {

// Every column of a row as the file holds it, in the table's order.
using Values = std::vector<QVariant>;

struct Row {
    qint64 key = 0;
    std::optional<Values> before; // none: the change added the row
    std::optional<Values> after;  // none: the change removed it
};

struct Change {
    QString table;
    std::vector<Row> rows;
};

// What a window showed of a row: some of its columns (named without regard to case) with their values. A change by
// key first checks that the row under the key still holds them, since another program's import or restore gives the
// rows new keys and the old key may then name another row.
using Seen = std::vector<std::pair<QString, QVariant>>;
struct SeenRow {
    qint64 key = 0;
    Seen seen;
};

// Removes the rows with these keys in one transaction; when one of them is gone already or no longer holds what was
// seen of it, removes none and throws.
Change remove(Connection& connection, const QString& table, const std::vector<SeenRow>& rows);
// Sets columns of the row with that key in one transaction; throws, changing nothing, when the row is gone or no
// longer holds what was seen of it.
Change update(Connection& connection, const QString& table, const SeenRow& row, const QStringList& columns,
              const Values& values);
// The change that added the row with that key, as the file holds it now.
Change added(Connection& connection, const QString& table, qint64 key);

// Puts every row of the change back as it was before it (undo), or as it was after it (redo), in one transaction.
// A row that another program changed since is not overwritten: nothing is changed and DataError is thrown.
void undo(Connection& connection, const Change& change);
void redo(Connection& connection, const Change& change);

} // namespace rowchanges
