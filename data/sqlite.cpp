// Statements and engine error texts.
#include "data/sqlite.h"

#include "data/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace sqlite {

namespace {

QString trimmedEnd(QString text)
{
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'.'))
        text.chop(1);
    return text;
}

} // namespace

QString describe(int code, const QString& engineText, const QString& path)
{
    static const QRegularExpression noTable(QStringLiteral("^no such table: (?:main\\.)?(.+)$"));
    static const QRegularExpression noColumn(
        QStringLiteral("^(?:no such column|table \\S+ has no column named): ?(.+)$"));
    QString text;
    switch (code & 0xff) {
    case SQLITE_CANTOPEN:
        text = QStringLiteral("无法打开数据库文件“%1”").arg(path);
        break;
    case SQLITE_NOTADB:
        text = QStringLiteral("文件“%1”不是有效的数据库文件").arg(path);
        break;
    case SQLITE_CORRUPT:
        text = QStringLiteral("数据库文件“%1”已损坏").arg(path);
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        text = QStringLiteral("数据库文件“%1”正被其他程序使用，请稍后再试").arg(path);
        break;
    case SQLITE_READONLY:
        text = QStringLiteral("数据库文件“%1”或其所在文件夹是只读的，无法保存").arg(path);
        break;
    case SQLITE_FULL:
        text = QStringLiteral("磁盘已满，无法写入数据库文件“%1”").arg(path);
        break;
    case SQLITE_IOERR:
        text = QStringLiteral("读写数据库文件“%1”时出错").arg(path);
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        text = QStringLiteral("没有权限访问数据库文件“%1”").arg(path);
        break;
    case SQLITE_NOMEM:
        text = QStringLiteral("内存不足，无法访问数据库文件“%1”").arg(path);
        break;
    case SQLITE_TOOBIG:
        text = QStringLiteral("内容太长，无法存入数据库文件“%1”").arg(path);
        break;
    default: {
        const auto table = noTable.match(engineText);
        if (table.hasMatch()) {
            text = QStringLiteral("数据库文件“%1”中没有表“%2”").arg(path, table.captured(1));
            break;
        }
        const auto column = noColumn.match(engineText);
        if (column.hasMatch()) {
            text = QStringLiteral("数据库文件“%1”中没有字段“%2”").arg(path, column.captured(1));
            break;
        }
        text = QStringLiteral("数据库操作失败（%1），文件“%2”")
                   .arg(engineText.isEmpty() ? QStringLiteral("错误代码 %1").arg(code) : engineText, path);
    }
    }
    return trimmedEnd(text);
}

void fail(sqlite3* db, int rc, const QString& path)
{
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    const QString engineText = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw DataError(describe(rc, engineText, path), rc & 0xff, extended);
}

namespace {

// The cached statements of every open connection. A connection is used by one thread at a time, but the automatic
// backup opens its own on another thread, so the map itself is shared.
struct StatementCache {
    // By the connection's address and the SQL.
    using Key = std::pair<std::uintptr_t, QString>;
    std::mutex lock;
    std::map<Key, std::unique_ptr<Statement>> statements;
};

// Beyond this many statements on one connection, SQL that varies (an UPDATE of other columns) is prepared each time.
constexpr size_t cachedPerConnection = 64;

StatementCache& statementCache()
{
    static StatementCache cache;
    return cache;
}

void dropCached(sqlite3* db)
{
    StatementCache& cache = statementCache();
    std::vector<std::unique_ptr<Statement>> closing;
    const auto id = reinterpret_cast<std::uintptr_t>(db);
    {
        const std::lock_guard guard(cache.lock);
        auto it = cache.statements.lower_bound({id, QString()});
        while (it != cache.statements.end() && it->first.first == id) {
            closing.push_back(std::move(it->second));
            it = cache.statements.erase(it);
        }
    }
    // Finalized here, before the connection closes: a handle that a later connection gets again finds none of them.
}

} // namespace

void CloseDatabase::operator()(sqlite3* db) const
{
    dropCached(db);
    // close_v2, so that a statement still alive somewhere ends the connection when it is finalized.
    sqlite3_close_v2(db);
}

CachedStatement cached(sqlite3* db, const QString& sql, const QString& path)
{
    StatementCache& cache = statementCache();
    const auto id = reinterpret_cast<std::uintptr_t>(db);
    {
        const std::lock_guard guard(cache.lock);
        const auto found = cache.statements.find({id, sql});
        if (found != cache.statements.end())
            return CachedStatement(*found->second);
        const auto first = cache.statements.lower_bound({id, QString()});
        if (static_cast<size_t>(std::distance(first, cache.statements.lower_bound({id + 1, QString()}))) >=
            cachedPerConnection)
            return CachedStatement(std::make_unique<Statement>(db, sql, path));
    }
    // Prepared outside the lock; a failure throws as any statement's does, and nothing is kept.
    auto made = std::make_unique<Statement>(db, sql, path);
    const std::lock_guard guard(cache.lock);
    return CachedStatement(*cache.statements.emplace(StatementCache::Key{id, sql}, std::move(made)).first->second);
}

void FinalizeStatement::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

Database open(const QString& path, OpenMode mode)
{
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case OpenMode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case OpenMode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case OpenMode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, flags, nullptr);
    Database db(raw, path);
    if (rc != SQLITE_OK)
        throw DataError(describe(rc, raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QString(), path), rc & 0xff, rc);
    return db;
}

namespace {

Database openWithSettings(const QString& path, Access access)
{
    Database db = open(path, access == Access::Write ? OpenMode::ReadWrite : OpenMode::ReadOnly);
    sqlite3_busy_timeout(db.get(), busyTimeoutMs);
    sqlite3_extended_result_codes(db.get(), 1);
    exec(db.get(), QStringLiteral("PRAGMA trusted_schema=OFF"), path);
    exec(db.get(), QStringLiteral("PRAGMA cell_size_check=ON"), path);
    // Reading the schema is what tells a database from any other file, and what rolls back an interrupted write.
    exec(db.get(), QStringLiteral("SELECT count(*) FROM sqlite_master"), path);
    return db;
}

bool writable(const QString& path)
{
    // The journal is deleted from the folder, so rolling it back needs both.
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 &&
           ::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK) == 0;
}

} // namespace

Database openDataFile(const QString& path, Access access)
{
    const QFileInfo info(path);
    // Checked first so that the user reads what is wrong rather than the engine's generic "cannot open".
    if (!info.exists()) {
        if (!QFileInfo(info.absolutePath()).isDir() || QFileInfo(info.absolutePath()).isExecutable())
            throw DataError(QStringLiteral("找不到数据库文件“%1”").arg(path), SQLITE_CANTOPEN, SQLITE_CANTOPEN);
        throw DataError(QStringLiteral("没有权限进入文件夹“%1”，无法打开数据库文件").arg(info.absolutePath()),
                        SQLITE_PERM, SQLITE_PERM);
    }
    if (info.isDir())
        throw DataError(QStringLiteral("“%1”是一个文件夹，不是数据库文件").arg(path), SQLITE_CANTOPEN, SQLITE_CANTOPEN);
    const auto attempt = [&] {
        Database db = openWithSettings(path, access);
        if (access == Access::Write) {
            exec(db.get(), QStringLiteral("PRAGMA journal_mode=DELETE"), path);
            // EXTRA, not FULL: FULL leaves the deletion of the journal unsynced, and a journal that comes back after
            // a power cut rolls back the entry that was just reported saved.
            exec(db.get(), QStringLiteral("PRAGMA synchronous=EXTRA"), path);
        }
        return db;
    };
    try {
        return attempt();
    } catch (const DataError& e) {
        if (e.extendedCode() != SQLITE_READONLY_ROLLBACK)
            throw;
    }
    // A read-only connection cannot roll back what an interrupted write left; a writing one does so on its first read.
    if (!writable(path))
        throw DataError(QStringLiteral("上次对数据库文件“%1”的保存被中断，而这个文件（或它所在的文件夹）是只读的，"
                                       "无法恢复到中断前的状态；请让它可写后再试")
                            .arg(path),
                        SQLITE_READONLY, SQLITE_READONLY_ROLLBACK);
    openWithSettings(path, Access::Write);
    return attempt();
}

Transaction::Transaction(const Database& db) : Transaction(db.get(), db.path()) {}

Transaction::Transaction(sqlite3* db, const QString& path) : m_db(db), m_path(path)
{
    // Both kept prepared: every save begins and commits one.
    cached(m_db, QStringLiteral("BEGIN IMMEDIATE"), m_path)->step();
    m_open = true;
}

Transaction::~Transaction()
{
    if (m_open && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    cached(m_db, QStringLiteral("COMMIT"), m_path)->step();
    m_open = false;
}

namespace {

using Prepared = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// Prepares the first statement of `sql`; `used` gets how many of its bytes that statement took. Null when there is
// nothing but blanks and comments.
Prepared prepare(sqlite3* db, QByteArrayView sql, const QString& path, qsizetype* used = nullptr)
{
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail);
    Prepared statement(raw);
    if (rc != SQLITE_OK)
        fail(db, rc, path);
    if (used)
        *used = tail ? tail - sql.data() : sql.size();
    return statement;
}

} // namespace

Statement::Statement(sqlite3* db, const QString& sql, const QString& path)
    : Statement(db, prepare(db, sql.toUtf8(), path), path)
{}

Statement::Statement(sqlite3* db, std::unique_ptr<sqlite3_stmt, FinalizeStatement> prepared, const QString& path)
    : m_db(db), m_stmt(std::move(prepared)), m_path(path)
{
    if (!m_stmt)
        throw DataError(QStringLiteral("命令为空，文件“%1”").arg(path));
}

void Statement::bind(int index, const QVariant& value)
{
    sqlite3_stmt* const stmt = m_stmt.get();
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        }
    }
    if (rc != SQLITE_OK)
        fail(m_db, rc, m_path);
}

void Statement::bindUtf8(int index, QByteArrayView text)
{
    const int rc = sqlite3_bind_text64(m_stmt.get(), index, text.data() ? text.data() : "",
                                       static_cast<sqlite3_uint64>(text.size()), SQLITE_STATIC, SQLITE_UTF8);
    if (rc != SQLITE_OK)
        fail(m_db, rc, m_path);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt.get());
    fail(m_db, rc, m_path);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt.get());
    sqlite3_clear_bindings(m_stmt.get());
}

bool Statement::readOnly() const
{
    return sqlite3_stmt_readonly(m_stmt.get()) != 0;
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt.get());
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt.get(), column));
}

QString Statement::declaredType(int column) const
{
    const char* type = sqlite3_column_decltype(m_stmt.get(), column);
    return type ? QString::fromUtf8(type) : QString();
}

Column Statement::read(int column) const
{
    sqlite3_stmt* const stmt = m_stmt.get();
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return {Column::Kind::Number, static_cast<double>(sqlite3_column_int64(stmt, column)), {}};
    case SQLITE_FLOAT:
        return {Column::Kind::Number, sqlite3_column_double(stmt, column), {}};
    case SQLITE_NULL:
        return {};
    default: {
        // Blobs read as their bytes taken as text: nothing in the program writes one.
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        const int size = sqlite3_column_bytes(stmt, column);
        return {Column::Kind::Text, 0, QByteArrayView(data, size)};
    }
    }
}

QVariant Statement::value(int column) const
{
    const Column c = read(column);
    switch (c.kind) {
    case Column::Kind::Number:
        return QVariant(c.number);
    case Column::Kind::Text:
        return QVariant(QString::fromUtf8(c.utf8));
    case Column::Kind::Null:
        break;
    }
    return QVariant();
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt.get(), column);
}

qint64 lastInsertRowid(sqlite3* db)
{
    return sqlite3_last_insert_rowid(db);
}

bool hasTable(sqlite3* db, const QString& table, const QString& path)
{
    // Kept prepared: windows ask it on every showing of a table that older files lack.
    const CachedStatement found =
        cached(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"), path);
    found->bind(1, table);
    return found->step();
}

void exec(sqlite3* db, const QString& sql, const QString& path)
{
    Statement statement(db, sql, path);
    while (statement.step()) {
    }
}

void execScript(sqlite3* db, const QString& sql, const QString& path, int* failedLine)
{
    const QByteArray utf8 = sql.toUtf8();
    const QByteArrayView all(utf8);
    qsizetype at = 0;
    int line = 1;
    const auto advance = [&](qsizetype to) {
        line += static_cast<int>(all.sliced(at, to - at).count('\n'));
        at = to;
    };
    while (at < all.size()) {
        // Blanks and "--" comments are skipped here, not by the engine, so that the line is that of the statement.
        qsizetype start = at;
        while (start < all.size()) {
            const char c = all[start];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                ++start;
            } else if (all.sliced(start).startsWith("--")) {
                while (start < all.size() && all[start] != '\n')
                    ++start;
            } else {
                break;
            }
        }
        advance(start);
        if (at == all.size())
            break;
        try {
            qsizetype used = 0;
            Prepared prepared = prepare(db, all.sliced(at), path, &used);
            if (!prepared)
                break;
            Statement statement(db, std::move(prepared), path);
            while (statement.step()) {
            }
            advance(at + std::max<qsizetype>(used, 1));
        } catch (const DataError&) {
            if (failedLine)
                *failedLine = line;
            throw;
        }
    }
}

} // namespace sqlite
