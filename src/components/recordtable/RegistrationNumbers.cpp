#include "components/recordtable/RegistrationNumbers.h"

#include "components/recordtable/Dialect.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

// Parameters are text; like the settings, the leading number counts ("100 cards" reads 100).
bool leadingNumber(const QString &text, qint64 &value)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?\\d{1,12})"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return false;
    value = m.captured(1).toLongLong();
    return true;
}

} // namespace

RegistrationNumbers::RegistrationNumbers(RecordDatabase &db) : m_db(db) {}

RegistrationNumbers::~RegistrationNumbers()
{
    rollback();
}

RegistrationNumbers::Result RegistrationNumbers::fail(Result result, const QString &text)
{
    m_error = text;
    rollback();
    return result;
}

bool RegistrationNumbers::queryValue(const QString &sql, const QVariantList &binds, QVariant &value)
{
    QSqlQuery q(m_db.sqlDatabase());
    if (!q.prepare(sql)) {
        m_error = q.lastError().text();
        return false;
    }
    for (const QVariant &b : binds)
        q.addBindValue(b);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return false;
    }
    value = q.next() ? q.value(0) : QVariant();
    q.finish();
    return true;
}

bool RegistrationNumbers::beginLocked()
{
    m_error.clear();
    rollback();
    if (m_db.ensureConnected() != 0) {
        m_error = m_db.errorText();
        return false;
    }
    QSqlQuery q(m_db.sqlDatabase());
    // SQLite: take the write lock now, not at the first insert, so two allocations never read the
    // same counter. PostgreSQL locks the counter row in allocate() instead.
    const bool ok =
        m_db.dialect().isPostgreSQL() ? q.exec(QStringLiteral("BEGIN")) : q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!ok) {
        m_error = q.lastError().text();
        m_db.checkConnectionLost();
        return false;
    }
    m_open = true;
    return true;
}

bool RegistrationNumbers::begin()
{
    return beginLocked();
}

bool RegistrationNumbers::commit()
{
    if (!m_open)
        return false;
    m_open = false;
    QSqlQuery q(m_db.sqlDatabase());
    if (q.exec(QStringLiteral("COMMIT")))
        return true;
    m_error = q.lastError().text();
    // A failed COMMIT ends the transaction on PostgreSQL; SQLite keeps it open (a deferred key).
    if (!m_db.dialect().isPostgreSQL())
        QSqlQuery(m_db.sqlDatabase()).exec(QStringLiteral("ROLLBACK"));
    m_db.checkConnectionLost();
    return false;
}

void RegistrationNumbers::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    // A connection found lost meanwhile has taken the transaction with it.
    if (m_db.isOpen())
        QSqlQuery(m_db.sqlDatabase()).exec(QStringLiteral("ROLLBACK"));
}

bool RegistrationNumbers::readRange()
{
    const QString sql = QStringLiteral(
        "SELECT \"parameterID\", \"parameter\" FROM \"Parameters\" WHERE \"parameterID\" IN ('REGNUM_FIRST', "
        "'REGNUM_LAST')");
    QSqlQuery q(m_db.sqlDatabase());
    if (!q.exec(sql)) {
        m_error = q.lastError().text();
        return false;
    }
    bool haveFirst = false, haveLast = false;
    qint64 first = 0, last = 0;
    while (q.next()) {
        const QString key = q.value(0).toString();
        qint64 v = 0;
        if (!leadingNumber(q.value(1).toString(), v))
            continue;
        if (key == QLatin1String("REGNUM_FIRST")) {
            first = v;
            haveFirst = true;
        } else {
            last = v;
            haveLast = true;
        }
    }
    if (!haveFirst || !haveLast) {
        m_error = QStringLiteral("REGNUM_FIRST and REGNUM_LAST must both hold a number.");
        m_first = m_last = 0;
        return true;
    }
    // Number 0 would make stored values that read as "no card"; the top is what 32 bits hold.
    m_first = qint32(std::clamp<qint64>(first, 1, kHighestNumber + 1LL));
    m_last = qint32(std::clamp<qint64>(last, 0, kHighestNumber));
    return true;
}

RegistrationNumbers::Result RegistrationNumbers::allocate(qint32 &number)
{
    number = 0;
    if (!beginLocked())
        return Result::DatabaseError;
    m_first = m_last = 0;
    if (!readRange())
        return fail(Result::DatabaseError, m_error);
    if (m_first == 0)
        return fail(Result::NoRange, m_error);
    if (m_first > m_last) {
        return fail(Result::NoRange,
                    QStringLiteral("The registration number range %1 to %2 is empty.").arg(m_first).arg(m_last));
    }
    // The counter row is the lock on PostgreSQL: a second allocation waits here until this one ends.
    QString sql = QStringLiteral("SELECT \"lastNumber\" FROM \"RegistrationCounter\"");
    if (m_db.dialect().isPostgreSQL())
        sql += QStringLiteral(" FOR UPDATE");
    QVariant counter;
    if (!queryValue(sql, {}, counter))
        return fail(Result::DatabaseError, m_error);
    // Cards stored past the counter (an import) still push it on.
    QVariant highest;
    if (!queryValue(QStringLiteral("SELECT MAX(\"registrationNumber\") / 256 FROM \"Cards\""), {}, highest))
        return fail(Result::DatabaseError, m_error);
    const qint64 next = std::max<qint64>({counter.toLongLong(), highest.toLongLong(), m_first - 1LL}) + 1;
    if (next > m_last) {
        return fail(Result::Exhausted,
                    QStringLiteral("Every registration number from %1 to %2 has been used.").arg(m_first).arg(m_last));
    }
    const QString store = counter.isNull()
                              ? QStringLiteral("INSERT INTO \"RegistrationCounter\" (\"lastNumber\") VALUES (?)")
                              : QStringLiteral("UPDATE \"RegistrationCounter\" SET \"lastNumber\" = ?");
    QVariant unused;
    if (!queryValue(store, {qint32(next)}, unused))
        return fail(Result::DatabaseError, m_error);
    number = qint32(next);
    return Result::Ok;
}
