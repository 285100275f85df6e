#include "ostrelle-db/BulkInsert.h"

#include "components/recordtable/Dialect.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/TableDefs.h"

#include <QSqlDriver>
#include <QSqlError>

#ifdef OSTRELLE_HAVE_LIBPQ
#include <libpq-fe.h>
#endif

namespace {
// Both engines accept far more markers than this; larger statements gain nothing measurable.
constexpr int kValuesPerStatement = 4000;
} // namespace

BulkInsert::BulkInsert(QSqlDatabase db, const QString &table, const QStringList &columns)
    : m_db(std::move(db)), m_table(table), m_columns(columns),
      m_rowsPerStatement(std::max<int>(1, kValuesPerStatement / static_cast<int>(columns.size())))
{
}

BulkInsert::~BulkInsert() = default;

void BulkInsert::add(std::initializer_list<QVariant> row)
{
    Q_ASSERT(static_cast<qsizetype>(row.size()) == m_columns.size());
    for (const QVariant &v : row)
        m_pending.append(v);
}

bool BulkInsert::prepare(std::unique_ptr<QSqlQuery> &query, int rows)
{
    QStringList cols;
    for (const QString &c : m_columns)
        cols << Dialect::quote(c);
    const QString tuple =
        QLatin1Char('(') + QStringList(m_columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
    const QString sql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
            .arg(Dialect::quote(m_table), cols.join(QLatin1Char(',')), QStringList(rows, tuple).join(QLatin1Char(',')));
    query = std::make_unique<QSqlQuery>(m_db);
    if (!query->prepare(sql)) {
        m_error = QStringLiteral("%1: %2").arg(m_table, query->lastError().text());
        return false;
    }
    return true;
}

bool BulkInsert::run(QSqlQuery &query, qsizetype firstValue, int rows)
{
    const qsizetype count = static_cast<qsizetype>(rows) * m_columns.size();
    for (qsizetype i = 0; i < count; ++i)
        query.bindValue(static_cast<int>(i), m_pending.at(firstValue + i));
    if (!query.exec()) {
        m_error = QStringLiteral("%1: %2").arg(m_table, query.lastError().text());
        return false;
    }
    m_written += rows;
    return true;
}

#ifdef OSTRELLE_HAVE_LIBPQ
namespace {

// A value in COPY's text format.
void appendCopyValue(QByteArray &out, const QVariant &value)
{
    if (value.isNull()) {
        out += "\\N";
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
        out += QByteArray::number(value.toDouble(), 'g', 17);
        return;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::LongLong:
        out += QByteArray::number(value.toLongLong());
        return;
    case QMetaType::QByteArray:
        // bytea in hex form; COPY itself takes the backslash escaped.
        out += "\\\\x" + value.toByteArray().toHex();
        return;
    default:
        break;
    }
    for (char c : value.toString().toUtf8()) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

} // namespace

bool BulkInsert::copy()
{
    const QVariant handle = m_db.driver()->handle();
    auto *conn = handle.isValid() && qstrcmp(handle.typeName(), "PGconn*") == 0
                     ? *static_cast<PGconn *const *>(handle.data())
                     : nullptr;
    if (!conn)
        return false;
    QStringList cols;
    for (const QString &c : m_columns)
        cols << Dialect::quote(c);
    const QByteArray sql =
        QStringLiteral("COPY %1 (%2) FROM STDIN").arg(Dialect::quote(m_table), cols.join(QLatin1Char(','))).toUtf8();
    PGresult *result = PQexec(conn, sql.constData());
    const bool started = PQresultStatus(result) == PGRES_COPY_IN;
    PQclear(result);
    if (!started) {
        m_error = QStringLiteral("%1: %2").arg(m_table, QString::fromUtf8(PQerrorMessage(conn)));
        return true;
    }
    QByteArray data;
    data.reserve(m_pending.size() * 12);
    const qsizetype width = m_columns.size();
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        appendCopyValue(data, m_pending.at(i));
        data += (i + 1) % width == 0 ? '\n' : '\t';
    }
    bool ok =
        PQputCopyData(conn, data.constData(), static_cast<int>(data.size())) == 1 && PQputCopyEnd(conn, nullptr) == 1;
    while ((result = PQgetResult(conn)) != nullptr) {
        ok = ok && PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
    }
    if (!ok)
        m_error = QStringLiteral("%1: %2").arg(m_table, QString::fromUtf8(PQerrorMessage(conn)));
    else
        m_written += m_pending.size() / width;
    m_pending.clear();
    return true;
}
#else
bool BulkInsert::copy()
{
    return false;
}
#endif

bool BulkInsert::flush()
{
    // copy() returns false when it cannot be used here; its outcome is then in m_error.
    if (!m_pending.isEmpty() && m_db.driverName() == QLatin1String("QPSQL") && copy())
        return m_error.isEmpty();
    const qsizetype rows = pendingRows();
    const qsizetype width = m_columns.size();
    qsizetype row = 0;
    if (rows >= m_rowsPerStatement && !m_full && !prepare(m_full, m_rowsPerStatement))
        return false;
    for (; row + m_rowsPerStatement <= rows; row += m_rowsPerStatement) {
        if (!run(*m_full, row * width, m_rowsPerStatement))
            return false;
    }
    const int rest = static_cast<int>(rows - row);
    if (rest > 0) {
        if (rest != m_restRows) {
            m_rest.reset();
            m_restRows = 0;
            if (!prepare(m_rest, rest))
                return false;
            m_restRows = rest;
        }
        if (!run(*m_rest, row * width, rest))
            return false;
    }
    m_pending.clear();
    return true;
}

BulkTransaction::BulkTransaction(RecordDatabase &db, const QList<qint32> &tableIds) : m_db(db), m_tableIds(tableIds) {}

BulkTransaction::~BulkTransaction()
{
    if (m_active)
        m_db.sqlDatabase().rollback();
}

bool BulkTransaction::exec(const QString &sql)
{
    QSqlQuery q(m_db.sqlDatabase());
    if (q.exec(sql))
        return true;
    m_error = q.lastError().text() + QStringLiteral(" [") + sql + QLatin1Char(']');
    return false;
}

bool BulkTransaction::begin()
{
    if (!m_db.sqlDatabase().transaction()) {
        m_error = m_db.sqlDatabase().lastError().text();
        return false;
    }
    m_active = true;
    if (m_db.dialect().isPostgreSQL())
        return true;
    for (qint32 id : m_tableIds) {
        for (const QString &sql : m_db.dialect().dropChangeTriggers(*tableDef(id))) {
            if (!exec(sql))
                return false;
        }
    }
    return true;
}

bool BulkTransaction::commit()
{
    if (!m_active)
        return false;
    if (!m_db.dialect().isPostgreSQL()) {
        for (qint32 id : m_tableIds) {
            const TableDef &table = *tableDef(id);
            for (const QString &sql : m_db.dialect().changeTriggers(table)) {
                if (!exec(sql))
                    return false;
            }
            // A change that changes nothing, so the rebuilt trigger stamps the table once.
            const QString name = Dialect::quote(table.name);
            const QString column = Dialect::quote(table.columns.constFirst().name);
            if (!exec(QStringLiteral("UPDATE %1 SET %2 = %2 WHERE rowid = (SELECT MAX(rowid) FROM %1)")
                          .arg(name, column)))
                return false;
        }
    }
    m_active = false;
    if (!m_db.sqlDatabase().commit()) {
        m_error = m_db.sqlDatabase().lastError().text();
        m_db.sqlDatabase().rollback();
        return false;
    }
    return true;
}
