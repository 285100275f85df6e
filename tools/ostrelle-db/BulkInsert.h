#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class RecordDatabase;

// Buffers generated rows of one table and writes them as multi-row INSERT statements, prepared
// once and bound positionally, or on PostgreSQL (when built with libpq) as one COPY per flush.
// Rows are written only by flush(), so the caller decides the order in which tables reach the
// database (referenced rows first).
class BulkInsert
{
public:
    BulkInsert(QSqlDatabase db, const QString &table, const QStringList &columns);
    ~BulkInsert();
    BulkInsert(const BulkInsert &) = delete;
    BulkInsert &operator=(const BulkInsert &) = delete;

    void add(std::initializer_list<QVariant> row);
    qsizetype pendingRows() const { return m_pending.size() / m_columns.size(); }
    qint64 writtenRows() const { return m_written; }

    bool flush();
    QString error() const { return m_error; }

private:
    bool prepare(std::unique_ptr<QSqlQuery> &query, int rows);
    bool run(QSqlQuery &query, qsizetype firstValue, int rows);
    bool copy();

    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    int m_rowsPerStatement;
    QVariantList m_pending;
    std::unique_ptr<QSqlQuery> m_full; // prepared for m_rowsPerStatement rows
    std::unique_ptr<QSqlQuery> m_rest; // prepared for m_restRows rows
    int m_restRows = 0;
    qint64 m_written = 0;
    QString m_error;
};

// A transaction for bulk writing. On SQLite the row-level change triggers of the tables written
// are dropped inside it and rebuilt before the commit, which then stamps each table's change time
// once instead of once per row; PostgreSQL's triggers fire per statement and stay.
class BulkTransaction
{
public:
    BulkTransaction(RecordDatabase &db, const QList<qint32> &tableIds);
    ~BulkTransaction();
    BulkTransaction(const BulkTransaction &) = delete;
    BulkTransaction &operator=(const BulkTransaction &) = delete;

    bool begin();
    bool commit();
    QString error() const { return m_error; }

private:
    bool exec(const QString &sql);

    RecordDatabase &m_db;
    QList<qint32> m_tableIds;
    bool m_active = false;
    QString m_error;
};
