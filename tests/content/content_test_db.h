// Read-only SQLite access for the content tests, so built databases are checked with plain queries.
#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <sqlite3.h>

class ContentTestDatabase {
public:
    explicit ContentTestDatabase(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
    }
    ~ContentTestDatabase() { sqlite3_close(m_db); }
    ContentTestDatabase(const ContentTestDatabase&) = delete;
    ContentTestDatabase& operator=(const ContentTestDatabase&) = delete;

    bool isOpen() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    // Every row of the result, each column as qint64, double, QString or a null QVariant.
    QList<QVariantList> rows(const QString& sql)
    {
        QList<QVariantList> result;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_finalize(stmt);
            return result;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QVariantList row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_INTEGER:
                    row.append(static_cast<qint64>(sqlite3_column_int64(stmt, i)));
                    break;
                case SQLITE_FLOAT:
                    row.append(sqlite3_column_double(stmt, i));
                    break;
                case SQLITE_NULL:
                    row.append(QVariant());
                    break;
                default:
                    row.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                                 sqlite3_column_bytes(stmt, i)));
                    break;
                }
            }
            result.append(row);
        }
        sqlite3_finalize(stmt);
        return result;
    }

    QVariant scalar(const QString& sql)
    {
        const QList<QVariantList> result = rows(sql);
        return result.isEmpty() || result.first().isEmpty() ? QVariant() : result.first().first();
    }

    // The first column of every row, as text.
    QStringList column(const QString& sql)
    {
        QStringList values;
        for (const QVariantList& row : rows(sql))
            values.append(row.value(0).toString());
        return values;
    }

private:
    sqlite3* m_db = nullptr;
    QString m_error;
};
