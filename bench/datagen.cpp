// Databases for the benchmarks: copies of the shipped data.Mdb with generated diaries or foods, and bare reads.
#include "bench/datagen.h"

#include "data/conversions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace bench {

namespace {

sqlite3* openFile(const QString& path, int flags)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
        const std::string text = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        throw std::runtime_error("cannot open " + path.toStdString() + ": " + text);
    }
    sqlite3_busy_timeout(db, 5000);
    return db;
}

void check(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db));
}

void exec(sqlite3* db, const char* sql)
{
    check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

// Owns one connection for the length of a generation step.
struct Handle {
    explicit Handle(const QString& path) : db(openFile(path, SQLITE_OPEN_READWRITE)) {}
    ~Handle() { sqlite3_close_v2(db); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    sqlite3* db;
};

class Insert {
public:
    Insert(sqlite3* db, const char* sql) : m_db(db) { check(db, sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr)); }
    ~Insert() { sqlite3_finalize(m_stmt); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;
    void text(int index, const QByteArray& value)
    {
        check(m_db,
              sqlite3_bind_text(m_stmt, index, value.constData(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
    }
    void number(int index, double value) { check(m_db, sqlite3_bind_double(m_stmt, index, value)); }
    void null(int index) { check(m_db, sqlite3_bind_null(m_stmt, index)); }
    void run()
    {
        check(m_db, sqlite3_step(m_stmt));
        sqlite3_reset(m_stmt);
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace

QString copyShipped(const QString& shipped, const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw std::runtime_error("cannot create " + folder.toStdString());
    const QString path = folder + QStringLiteral("/data.Mdb");
    QFile::remove(path);
    if (!QFile::copy(shipped, path))
        throw std::runtime_error("cannot copy " + shipped.toStdString() + " to " + path.toStdString());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void fillDiary(const QString& path, int entries)
{
    Handle h(path);
    exec(h.db, "BEGIN");
    exec(h.db, "DELETE FROM rj");
    Insert insert(h.db, "INSERT INTO rj(time, demo, lb) VALUES(?, ?, ?)");
    const QDateTime start(QDate(2000, 1, 1), QTime(7, 30));
    const QStringList texts{
        QStringLiteral("早餐一杯豆浆，午饭米饭青菜，晚上快走四十分钟。"), QStringLiteral("今天有点嘴馋"),
        QStringLiteral("称重前没吃早饭，跑步五公里，感觉不错，要坚持下去！"), QStringLiteral("加班，晚饭吃了面条")};
    for (int i = 0; i < entries; ++i) {
        const QDateTime when = start.addSecs(static_cast<qint64>(i) * 3 * 3600 + (i % 7) * 61).addMSecs(i % 1000);
        insert.text(1, conversions::toStorageText(when).toUtf8());
        insert.text(2, (texts[i % texts.size()] + QString::number(i)).toUtf8());
        // Now and then a day without a weight, as the diary allows.
        if (i % 50 == 49)
            insert.null(3);
        else
            insert.number(3, 130.0 - (i % 400) * 0.05);
        insert.run();
    }
    exec(h.db, "COMMIT");
}

void fillFoods(const QString& path, int categories, int foods)
{
    Handle h(path);
    exec(h.db, "BEGIN");
    exec(h.db, "DELETE FROM \"02\"");
    exec(h.db, "DELETE FROM \"01\"");
    Insert category(h.db, "INSERT INTO \"02\"(Name) VALUES(?)");
    for (int c = 0; c < categories; ++c) {
        category.text(1, QStringLiteral("类别%1").arg(c).toUtf8());
        category.run();
    }
    Insert food(h.db, "INSERT INTO \"01\"(Name, Title, sz) VALUES(?, ?, ?)");
    for (int f = 0; f < foods; ++f) {
        food.text(1, QStringLiteral("类别%1").arg(f % categories).toUtf8());
        food.text(2, QStringLiteral("食物%1号").arg(f).toUtf8());
        food.text(3, QByteArray::number(20 + f % 600));
        food.run();
    }
    // The pinyin of each name as make-data writes it, one token per character: 食物12号 is "shi wu 1 2 hao".
    exec(h.db, "DELETE FROM food_search");
    Insert reading(h.db, "INSERT INTO food_search(Title, Pinyin) VALUES(?, ?)");
    for (int f = 0; f < foods; ++f) {
        reading.text(1, QStringLiteral("食物%1号").arg(f).toUtf8());
        QByteArray digits = QByteArray::number(f);
        QByteArray spaced;
        for (const char d : digits)
            spaced += d + QByteArray(" ");
        reading.text(2, "shi wu " + spaced + "hao");
        reading.run();
    }
    exec(h.db, "COMMIT");
}

qint64 scalar(const QString& path, const QString& sql)
{
    Handle h(path);
    sqlite3_stmt* stmt = nullptr;
    check(h.db, sqlite3_prepare_v2(h.db, sql.toUtf8().constData(), -1, &stmt, nullptr));
    const int rc = sqlite3_step(stmt);
    const qint64 value = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    check(h.db, rc);
    return value;
}

QByteArray pragma(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    check(db, sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr));
    QByteArray value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return value;
}

BareReader::BareReader(const QString& path) : m_db(openFile(path, SQLITE_OPEN_READONLY)) {}

BareReader::~BareReader()
{
    sqlite3_close_v2(m_db);
}

qint64 BareReader::readAll(const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    check(m_db, sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr));
    const int columns = sqlite3_column_count(stmt);
    qint64 rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_FLOAT)
                (void)sqlite3_column_double(stmt, c);
            else
                (void)sqlite3_column_text(stmt, c);
        }
    }
    sqlite3_finalize(stmt);
    check(m_db, rc);
    return rows;
}

BareWriter::BareWriter(const QString& path, const QByteArray& journalMode, int synchronous)
    : m_db(openFile(path, SQLITE_OPEN_READWRITE))
{
    exec(m_db, ("PRAGMA journal_mode=" + journalMode).constData());
    exec(m_db, ("PRAGMA synchronous=" + QByteArray::number(synchronous)).constData());
}

BareWriter::~BareWriter()
{
    sqlite3_close_v2(m_db);
}

void BareWriter::insertEntry(const QByteArray& time, const QByteArray& text, double weight)
{
    Insert insert(m_db, "INSERT INTO rj(time, demo, lb) VALUES(?, ?, ?)");
    insert.text(1, time);
    insert.text(2, text);
    insert.number(3, weight);
    insert.run();
}

} // namespace bench
