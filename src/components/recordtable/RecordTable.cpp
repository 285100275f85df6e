#include "components/recordtable/RecordTable.h"

#include "components/recordtable/Dialect.h"
#include "components/recordtable/Passwords.h"
#include "components/recordtable/RecordTableRights.h"
#include "components/recordtable/Values.h"

#include <QSqlError>
#include <QSqlRecord>

RecordTable::RecordTable(RecordDatabase &db) : m_db(db), m_computerName(db.computerName())
{
    m_status = m_db.ensureConnected();
    if (m_status != RecordStatus::Ok) {
        m_detail = m_db.errorText();
    } else if (m_db.knownSchemaVersion() != RecordDatabase::currentSchemaVersion()) {
        // The start-up's first object reports a database that needs "ostrelle-db upgrade".
        fail(RecordStatus::SchemaMismatch, QStringLiteral("The database has schema version %1, this program needs %2.")
                                               .arg(m_db.knownSchemaVersion())
                                               .arg(RecordDatabase::currentSchemaVersion()));
    }
}

RecordTable::~RecordTable() = default;

// --- bookkeeping ---

bool RecordTable::begin(bool touchActivity)
{
    m_status = RecordStatus::Ok;
    m_detail.clear();
    const qint32 s = m_db.ensureConnected();
    if (s != RecordStatus::Ok)
        return fail(s, m_db.errorText());
    if (touchActivity)
        m_db.touch(m_computerName);
    return true;
}

bool RecordTable::fail(qint32 status, const QString &detail)
{
    m_status = status;
    m_detail = detail;
    return false;
}

bool RecordTable::failSql(const QSqlError &error)
{
    const QString message = error.text().trimmed();
    if (m_db.checkConnectionLost()) {
        clearQuery();
        return fail(RecordStatus::ConnectionLost, message);
    }
    const QString code = error.nativeErrorCode();
    // 23505: PostgreSQL unique violation; 1555/2067: SQLite primary key / unique constraint.
    if (code == QStringLiteral("23505") || code == QStringLiteral("1555") || code == QStringLiteral("2067") ||
        message.contains(QStringLiteral("UNIQUE constraint failed")) ||
        message.contains(QStringLiteral("duplicate key value")))
        return fail(RecordStatus::DuplicateKey, message);
    // 5 / 6: SQLite busy or locked, 55P03: PostgreSQL lock wait over; the caller may try again.
    if (code == QStringLiteral("5") || code == QStringLiteral("6") || code == QStringLiteral("55P03"))
        return fail(RecordStatus::Busy, message);
    // 22P02 / 22003: text that is no number, number out of range (values bound by the engine itself).
    if (code == QStringLiteral("22P02") || code == QStringLiteral("22003"))
        return fail(RecordStatus::InvalidValue, message);
    return fail(RecordStatus::SqlError, message);
}

bool RecordTable::needTable()
{
    if (!m_table)
        return fail(RecordStatus::InvalidTable, QStringLiteral("No table is selected."));
    return true;
}

const ColumnDef *RecordTable::column(const QString &field) const
{
    return m_table ? m_table->column(field.trimmed()) : nullptr;
}

void RecordTable::clearRow()
{
    m_row.clear();
    m_rowRead.clear();
    m_hasRow = false;
}

void RecordTable::setRow(QVariantList row)
{
    m_row = std::move(row);
    m_rowRead.assign(m_row.size(), true);
    m_hasRow = true;
}

// A list reads a few of many columns per row, and the drivers convert each value they hand out:
// a row of the open query is taken from the driver column by column, when first asked for.
const QVariant &RecordTable::rowValue(int i)
{
    if (!m_rowRead[i]) {
        // A lost connection took the query's row with it: the value stays null.
        if (m_query && m_queryGeneration == m_db.generation())
            m_row[i] = m_query->value(i);
        m_rowRead[i] = true;
    }
    return m_row.at(i);
}

void RecordTable::clearQuery()
{
    m_query.reset();
    m_ahead.clear();
    m_readAhead = false;
    m_querySql.clear();
    m_countSql.clear();
    m_filter = Filter();
    m_orderSql.clear();
    m_params.clear();
    m_queryPending = false;
    m_rowCount = -1;
    m_pendingFound = false;
    clearRow();
}

bool RecordTable::execute(QSqlQuery &q, const QString &sql, const QVariantList &binds)
{
    // Statements without values run unprepared: PostgreSQL cannot prepare VACUUM and the like.
    if (binds.isEmpty())
        return q.exec(sql) || failSql(q.lastError());
    if (!q.prepare(sql))
        return failSql(q.lastError());
    for (const QVariant &v : binds)
        q.addBindValue(v);
    if (!q.exec())
        return failSql(q.lastError());
    return true;
}

static QString selectList(const TableDef &t)
{
    QStringList cols;
    for (const ColumnDef &c : t.columns)
        cols << Dialect::quote(c.name);
    return cols.join(QStringLiteral(", "));
}

bool RecordTable::runSelect(const QString &sql, const QVariantList &binds)
{
    m_query = std::make_unique<QSqlQuery>(m_db.sqlDatabase());
    // PostgreSQL streams a forward-only result over the connection, which then serves no other
    // query until it is read to the end; the open queries of many objects must coexist.
    m_query->setForwardOnly(m_db.engine() == RecordDatabase::Engine::SQLite);
    m_queryGeneration = m_db.generation();
    if (!execute(*m_query, sql, binds)) {
        m_query.reset();
        return false;
    }
    if (m_query->size() >= 0)
        m_rowCount = m_query->size();
    return fetchRow();
}

bool RecordTable::fetchRow()
{
    if (!m_query)
        return fail(RecordStatus::NoQuery);
    if (m_readAhead) {
        if (m_ahead.empty()) {
            clearRow();
            return fail(RecordStatus::NoRecord);
        }
        setRow(std::move(m_ahead.front()));
        m_ahead.pop_front();
        return true;
    }
    if (m_queryGeneration != m_db.generation()) {
        clearQuery();
        return fail(RecordStatus::ConnectionLost, QStringLiteral("The query ended with the lost connection."));
    }
    if (!m_query->next()) {
        clearRow();
        if (m_query->lastError().isValid())
            return failSql(m_query->lastError());
        return fail(RecordStatus::NoRecord);
    }
    const int n = m_table->columns.size();
    m_row.fill(QVariant(), n);
    m_rowRead.assign(n, false);
    m_hasRow = true;
    return true;
}

// The fields a find or delete matches: the chosen key field, else the key columns set.
QStringList RecordTable::matchFields(const QList<Pending> &pending) const
{
    QStringList fields;
    const QStringList candidates = m_keyField.isEmpty() ? m_table->primaryKey : QStringList{m_keyField};
    for (const QString &c : candidates) {
        for (const Pending &p : pending) {
            if (p.field == c) {
                fields << c;
                break;
            }
        }
    }
    return fields;
}

// --- tables ---

void RecordTable::SelectTable(qint32 tableId)
{
    m_table = nullptr;
    m_keyField.clear();
    m_pending.clear();
    m_useGivenKey = false;
    clearQuery();
    m_rights.reset();
    if (!begin())
        return;
    m_table = tableDef(tableId);
    if (!m_table)
        fail(RecordStatus::InvalidTable, QStringLiteral("No table has the id %1.").arg(tableId));
}

void RecordTable::SetKeyField(const QString &field)
{
    if (!begin() || !needTable())
        return;
    const ColumnDef *c = column(field);
    if (!c) {
        fail(RecordStatus::InvalidField, QStringLiteral("%1 has no field %2.").arg(m_table->name, field));
        return;
    }
    m_keyField = c->name;
}

void RecordTable::SetField(const QString &field, const QVariant &value)
{
    if (!begin(false) || !needTable())
        return;
    const ColumnDef *c = column(field);
    if (!c) {
        fail(RecordStatus::InvalidField, QStringLiteral("%1 has no field %2.").arg(m_table->name, field));
        return;
    }
    QVariant converted;
    QString why;
    if (!Values::toColumn(c->type, value, converted, why)) {
        fail(RecordStatus::InvalidValue, QStringLiteral("%1: %2").arg(c->name, why));
        return;
    }
    m_pendingFound = false;
    for (Pending &p : m_pending) {
        if (p.field == c->name) {
            p.value = converted;
            return;
        }
    }
    m_pending.append(Pending{c->name, converted});
}

void RecordTable::UseGivenKey()
{
    if (!begin(false) || !needTable())
        return;
    m_useGivenKey = true;
}

static QString matchCondition(const QStringList &fields, const QList<QVariant> &values, QVariantList &binds)
{
    QStringList parts;
    for (int i = 0; i < fields.size(); ++i) {
        if (values.at(i).isNull()) {
            parts << Dialect::quote(fields.at(i)) + QStringLiteral(" IS NULL");
        } else {
            parts << Dialect::quote(fields.at(i)) + QStringLiteral(" = ?");
            binds << values.at(i);
        }
    }
    return parts.join(QStringLiteral(" AND "));
}

void RecordTable::FindRecord()
{
    clearQuery();
    if (!begin() || !needTable())
        return;
    const QStringList fields = matchFields(m_pending);
    if (fields.isEmpty()) {
        fail(RecordStatus::MissingKey, QStringLiteral("Set %1 before finding a record.")
                                           .arg(m_keyField.isEmpty() ? m_table->keyField() : m_keyField));
        return;
    }
    QList<QVariant> values;
    for (const QString &f : fields) {
        for (const Pending &p : m_pending) {
            if (p.field == f)
                values << p.value;
        }
    }
    QVariantList binds;
    const QString where = matchCondition(fields, values, binds);
    m_querySql =
        QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(selectList(*m_table), Dialect::quote(m_table->name), where);
    m_countSql = QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(Dialect::quote(m_table->name), where);
    m_params = binds;
    if (runSelect(m_querySql, m_params) && m_db.engine() == RecordDatabase::Engine::SQLite)
        readAhead();
    // The values stay for an insert after a failed find, but a delete now means the found row.
    m_pendingFound = m_hasRow;
}

// A find matches a handful of rows; reading them all ends the statement, so a find left open
// does not keep this connection from seeing what other workstations commit.
void RecordTable::readAhead()
{
    const int n = m_table->columns.size();
    for (int i = 0; m_hasRow && i < n; ++i)
        rowValue(i);
    while (m_query->next()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << m_query->value(i);
        m_ahead.push_back(std::move(row));
    }
    m_query->finish();
    m_readAhead = true;
}

bool RecordTable::hashPasswords(QList<Pending> &values)
{
    if (m_table->id != TableId::Passwords)
        return true;
    for (Pending &p : values) {
        if (p.field != QStringLiteral("password") || p.value.isNull())
            continue;
        const QString value = p.value.toString();
        // A value read back from the table is already a hash: it is stored as it is.
        if (value.isEmpty() || Passwords::isHash(value))
            continue;
        const QString hashed = Passwords::hash(value, m_db.passwordOpsLimit(), m_db.passwordMemLimit());
        if (hashed.isEmpty())
            return fail(RecordStatus::SqlError, QStringLiteral("The password could not be hashed."));
        p.value = hashed;
    }
    return true;
}

void RecordTable::InsertRecord()
{
    clearQuery();
    const bool useGiven = m_useGivenKey;
    m_useGivenKey = false;
    if (!begin() || !needTable())
        return;
    if (!m_table->writable) {
        m_pending.clear();
        fail(RecordStatus::ReadOnlyTable, QStringLiteral("%1 cannot be changed.").arg(m_table->name));
        return;
    }
    QList<Pending> values = m_pending;
    m_pending.clear();
    const QString key = m_table->keyField();
    const bool assigned = m_table->keyRule == KeyRule::Assigned;
    if (assigned && !useGiven)
        values.removeIf([&](const Pending &p) { return p.field == key; });
    if (!assigned || useGiven) {
        for (const QString &k : m_table->primaryKey) {
            const bool set = std::any_of(values.cbegin(), values.cend(),
                                         [&](const Pending &p) { return p.field == k && !p.value.isNull(); });
            if (!set) {
                fail(RecordStatus::MissingKey,
                     QStringLiteral("Set %1 before inserting into %2.").arg(k, m_table->name));
                return;
            }
        }
    }
    if (!hashPasswords(values))
        return;

    QStringList cols, marks;
    QVariantList binds;
    for (const Pending &p : values) {
        cols << Dialect::quote(p.field);
        marks << QStringLiteral("?");
        binds << p.value;
    }
    const QString target = Dialect::quote(m_table->name);
    const QString sql =
        cols.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2").arg(target, selectList(*m_table))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                  .arg(target, cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")), selectList(*m_table));
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q, sql, binds))
        return;
    if (!q.next()) {
        if (q.lastError().isValid())
            failSql(q.lastError());
        else
            fail(RecordStatus::SqlError, QStringLiteral("The new record was not returned."));
        return;
    }
    const int n = m_table->columns.size();
    QVariantList row(n);
    for (int i = 0; i < n; ++i)
        row[i] = q.value(i);
    setRow(std::move(row));
    q.finish();
    if (assigned && useGiven) {
        for (const QString &sqlText : m_db.dialect().afterGivenKeyInsert(*m_table)) {
            QSqlQuery fix(m_db.sqlDatabase());
            if (!execute(fix, sqlText, {}))
                return;
        }
    }
}

void RecordTable::UpdateRecord()
{
    if (!begin() || !needTable())
        return;
    if (!m_table->writable) {
        m_pending.clear();
        fail(RecordStatus::ReadOnlyTable, QStringLiteral("%1 cannot be changed.").arg(m_table->name));
        return;
    }
    if (!m_hasRow) {
        m_pending.clear();
        fail(RecordStatus::NoRecord, QStringLiteral("No current record to update."));
        return;
    }
    QList<Pending> values = m_pending;
    m_pending.clear();
    if (!hashPasswords(values))
        return;
    if (values.isEmpty())
        return;
    QStringList sets;
    QVariantList binds;
    for (const Pending &p : values) {
        sets << Dialect::quote(p.field) + QStringLiteral(" = ?");
        binds << p.value;
    }
    QList<QVariant> keyValues;
    for (const QString &k : m_table->primaryKey)
        keyValues << rowValue(m_table->columnIndex(k));
    const QString where = matchCondition(m_table->primaryKey, keyValues, binds);
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q,
                 QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                     .arg(Dialect::quote(m_table->name), sets.join(QStringLiteral(", ")), where),
                 binds))
        return;
    if (q.numRowsAffected() == 0) {
        fail(RecordStatus::NoRecord, QStringLiteral("The record no longer exists."));
        return;
    }
    for (const Pending &p : values) {
        const int i = m_table->columnIndex(p.field);
        m_row[i] = p.value;
        m_rowRead[i] = true;
    }
}

void RecordTable::DeleteRecord()
{
    if (!begin() || !needTable())
        return;
    const QList<Pending> values = m_pendingFound ? QList<Pending>() : m_pending;
    m_pending.clear();
    if (!m_table->writable) {
        fail(RecordStatus::ReadOnlyTable, QStringLiteral("%1 cannot be changed.").arg(m_table->name));
        return;
    }
    QStringList fields = matchFields(values);
    QList<QVariant> match;
    if (!fields.isEmpty()) {
        // Without a found row: every row whose key field holds the value set.
        for (const QString &f : fields) {
            for (const Pending &p : values) {
                if (p.field == f)
                    match << p.value;
            }
        }
    } else if (m_hasRow) {
        fields = m_table->primaryKey;
        for (const QString &k : fields)
            match << rowValue(m_table->columnIndex(k));
    } else {
        fail(RecordStatus::MissingKey, QStringLiteral("Set %1 or find a record before deleting.")
                                           .arg(m_keyField.isEmpty() ? m_table->keyField() : m_keyField));
        return;
    }
    QVariantList binds;
    const QString where = matchCondition(fields, match, binds);
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q, QStringLiteral("DELETE FROM %1 WHERE %2").arg(Dialect::quote(m_table->name), where), binds))
        return;
    clearQuery();
    if (q.numRowsAffected() == 0)
        fail(RecordStatus::NoRecord);
}

// --- queries ---

void RecordTable::OpenQuery(const QString &where, const QString &orderBy)
{
    clearQuery();
    if (!begin() || !needTable())
        return;
    QString detail;
    qint32 status = translateFilter(where, m_filter, detail);
    if (status == RecordStatus::Ok)
        status = translateOrder(orderBy, m_orderSql, detail);
    if (status != RecordStatus::Ok) {
        clearQuery();
        fail(status, detail);
        return;
    }
    buildQuerySql(); // until the parameters are in, the statement as written marks the open query
    if (m_filter.markers.isEmpty())
        runSelect(m_querySql, m_params);
    else
        m_queryPending = true;
}

void RecordTable::buildQuerySql()
{
    const QString from = Dialect::quote(m_table->name);
    const QString cond = whereClause(m_filter, m_params);
    m_querySql = QStringLiteral("SELECT %1 FROM %2%3%4").arg(selectList(*m_table), from, cond, m_orderSql);
    m_countSql = QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(from, cond);
}

void RecordTable::AddParameter(const QVariant &value)
{
    if (!begin(false))
        return;
    if (!m_queryPending) {
        fail(RecordStatus::ParameterMismatch, QStringLiteral("The query has no further \"?\"."));
        return;
    }
    const ColumnDef *col = m_filter.markers.at(m_params.size());
    QVariant bound = Values::toParameter(value);
    if (col) {
        QString why;
        if (!Values::toColumn(col->type, value, bound, why)) {
            fail(RecordStatus::InvalidValue, QStringLiteral("%1: %2").arg(col->name, why));
            return;
        }
    }
    m_params << bound;
    if (m_params.size() == m_filter.markers.size()) {
        m_queryPending = false;
        buildQuerySql();
        runSelect(m_querySql, m_params);
    }
}

QVariant RecordTable::GetField(const QString &field)
{
    m_status = RecordStatus::Ok;
    m_detail.clear();
    if (!needTable())
        return QVariant();
    int i = m_table->columnIndex(field);
    if (i < 0)
        i = m_table->columnIndex(field.trimmed());
    if (i < 0) {
        fail(RecordStatus::InvalidField, QStringLiteral("%1 has no field %2.").arg(m_table->name, field));
        return QVariant();
    }
    if (m_queryPending) {
        fail(RecordStatus::ParameterMismatch,
             QStringLiteral("%1 of %2 query parameters given.").arg(m_params.size()).arg(m_filter.markers.size()));
        return QVariant();
    }
    if (!m_hasRow) {
        fail(RecordStatus::NoRecord);
        return QVariant();
    }
    if (!m_rowRead[i] && m_queryGeneration != m_db.generation()) {
        clearQuery();
        fail(RecordStatus::ConnectionLost, QStringLiteral("The query ended with the lost connection."));
        return QVariant();
    }
    return Values::fromDriver(m_table->columns.at(i).type, rowValue(i));
}

void RecordTable::MoveNext()
{
    if (!begin(false))
        return;
    if (m_queryPending) {
        fail(RecordStatus::ParameterMismatch, QStringLiteral("The query still waits for parameters."));
        return;
    }
    if (!m_query) {
        clearRow();
        fail(m_querySql.isEmpty() ? RecordStatus::NoQuery : RecordStatus::NoRecord);
        return;
    }
    fetchRow();
}

void RecordTable::CloseQuery()
{
    clearQuery();
    m_status = RecordStatus::Ok;
    m_detail.clear();
}

qint32 RecordTable::RowCount()
{
    if (!begin(false))
        return 0;
    if (m_querySql.isEmpty()) {
        fail(RecordStatus::NoQuery);
        return 0;
    }
    if (m_queryPending) {
        fail(RecordStatus::ParameterMismatch, QStringLiteral("The query still waits for parameters."));
        return 0;
    }
    if (m_rowCount >= 0)
        return m_rowCount;
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q, m_countSql, m_params))
        return 0;
    if (!q.next())
        return 0;
    m_rowCount = q.value(0).toInt();
    return m_rowCount;
}

QString RecordTable::ErrorText(qint32 status) const
{
    QString text = m_db.statusText(status);
    if (status == m_status && status != RecordStatus::Ok && !m_detail.isEmpty())
        text += QStringLiteral(" (") + m_detail + QLatin1Char(')');
    return text;
}

QString RecordTable::querySql(const QString &where, const QString &orderBy, const QVariantList &parameters) const
{
    if (!m_table)
        return QString();
    Filter filter;
    QString orderSql, detail;
    if (translateFilter(where, filter, detail) != RecordStatus::Ok ||
        translateOrder(orderBy, orderSql, detail) != RecordStatus::Ok)
        return QString();
    // Converted as AddParameter converts them, so the estimates see what the query binds.
    QVariantList bound;
    for (int i = 0; i < parameters.size() && i < filter.markers.size(); ++i) {
        QVariant value = Values::toParameter(parameters.at(i));
        QString why;
        if (const ColumnDef *col = filter.markers.at(i);
            col && !Values::toColumn(col->type, parameters.at(i), value, why))
            return QString();
        bound << value;
    }
    if (parameters.size() != filter.markers.size())
        bound.clear();
    return QStringLiteral("SELECT %1 FROM %2%3%4")
        .arg(selectList(*m_table), Dialect::quote(m_table->name), whereClause(filter, bound), orderSql);
}
