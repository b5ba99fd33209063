// Databases for the benchmarks: copies of the shipped data.Mdb with generated diaries or foods, and bare reads.
#pragma once

#include <QString>

struct sqlite3;

namespace bench {

// Copies the shipped file to <folder>/data.Mdb (creating the folder); returns the new path.
QString copyShipped(const QString& shipped, const QString& folder);
// Replaces the diary with `entries` rows, oldest first, a few hours apart, the text on one line.
void fillDiary(const QString& path, int entries);
// Replaces the categories and foods: `foods` rows spread evenly over `categories` categories.
void fillFoods(const QString& path, int categories, int foods);
// count(*) or any other single number of a query.
qint64 scalar(const QString& path, const QString& sql);
// The first column of a query's first row as text, on an open connection.
QByteArray pragma(sqlite3* db, const char* sql);

// A plain SQLite connection that reads whole results the cheapest way: the floors of the read scenarios.
class BareReader {
public:
    explicit BareReader(const QString& path);
    ~BareReader();
    BareReader(const BareReader&) = delete;
    BareReader& operator=(const BareReader&) = delete;
    // Prepares, steps every row touching each column's value, finalizes; returns the rows read.
    qint64 readAll(const char* sql);

private:
    sqlite3* m_db = nullptr;
};

// A plain SQLite connection with the program's durability settings: the floor of a diary save.
class BareWriter {
public:
    // journalMode and synchronous as PRAGMA values ("delete", 2 for FULL, 3 for EXTRA).
    BareWriter(const QString& path, const QByteArray& journalMode, int synchronous);
    ~BareWriter();
    BareWriter(const BareWriter&) = delete;
    BareWriter& operator=(const BareWriter&) = delete;
    // One diary row, prepared, bound, stepped and finalized.
    void insertEntry(const QByteArray& time, const QByteArray& text, double weight);

private:
    sqlite3* m_db = nullptr;
};

} // namespace bench
