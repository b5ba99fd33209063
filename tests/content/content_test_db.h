// Read-only SQLite access for the content tests, so built databases are checked with plain queries.
#pragma once

#include "data/errors.h"
#include "data/sqlite.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

class ContentTestDatabase {
public:
    explicit ContentTestDatabase(const QString& path) : m_path(path)
    {
        try {
            m_db = sqlite::open(path, sqlite::OpenMode::ReadOnly);
        } catch (const DataError& e) {
            m_error = e.message();
        }
    }

    bool isOpen() const { return static_cast<bool>(m_db); }
    QString error() const { return m_error; }

    // Every row of the result, each column as a number (double), a QString or a null QVariant.
    QList<QVariantList> rows(const QString& sql)
    {
        QList<QVariantList> result;
        try {
            sqlite::Statement statement(m_db.get(), sql, m_path);
            while (statement.step()) {
                QVariantList row;
                for (int i = 0; i < statement.columnCount(); ++i)
                    row.append(statement.value(i));
                result.append(row);
            }
        } catch (const DataError& e) {
            m_error = e.message();
        }
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
    QString m_path;
    sqlite::Database m_db;
    QString m_error;
};
