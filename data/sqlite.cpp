// Statements and engine error texts.
#include "data/sqlite.h"

#include "data/errors.h"

#include <QRegularExpression>
#include <sqlite3.h>

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

Statement::Statement(sqlite3* db, const QString& sql, const QString& path) : m_db(db), m_path(path)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(db, rc, path);
    if (!m_stmt)
        throw DataError(QStringLiteral("命令为空，文件“%1”").arg(path));
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        }
    }
    if (rc != SQLITE_OK)
        fail(m_db, rc, m_path);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    fail(m_db, rc, m_path);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool Statement::readOnly() const
{
    return sqlite3_stmt_readonly(m_stmt) != 0;
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::declaredType(int column) const
{
    const char* type = sqlite3_column_decltype(m_stmt, column);
    return type ? QString::fromUtf8(type) : QString();
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<double>(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return QVariant();
    default: {
        // Blobs read as their bytes taken as text: nothing in the program writes one.
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
        const int size = sqlite3_column_bytes(m_stmt, column);
        return QVariant(QString::fromUtf8(data, size));
    }
    }
}

void exec(sqlite3* db, const QString& sql, const QString& path)
{
    Statement statement(db, sql, path);
    while (statement.step()) {
    }
}

} // namespace sqlite
