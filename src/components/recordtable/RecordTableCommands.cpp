// Server services: the clock, change times and the few commands ExecuteCommand accepts.
#include "components/recordtable/Dialect.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/Values.h"

#include <QRegularExpression>
#include <QSqlError>

namespace {

// Room cards issued to guests (guest, joiner, suite, future arrival, one-time); housekeeping keeps
// them for PURGELIMITGUESTCARDS days after they ended, every other card for PURGELIMIT days.
const QList<qint32> kGuestCardKinds{256, 257, 258, 259, 266};

} // namespace

double RecordTable::ServerNow()
{
    if (!begin())
        return m_db.cheapNow();
    const double now = m_db.now();
    if (!m_db.isOpen())
        fail(RecordStatus::ConnectionLost, QStringLiteral("The server clock could not be read."));
    return now;
}

double RecordTable::TableChangeTime(qint32 tableId)
{
    if (!begin())
        return 0;
    const TableDef *def = tableDef(tableId);
    if (!def) {
        fail(RecordStatus::InvalidTable, QStringLiteral("No table has the id %1.").arg(tableId));
        return 0;
    }
    // A view changes whenever one of the tables behind it changes.
    const QList<qint32> ids = def->view ? def->dependsOn : QList<qint32>{tableId};
    QStringList marks;
    QVariantList binds;
    for (qint32 id : ids) {
        marks << QStringLiteral("?");
        binds << id;
    }
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q,
                 QStringLiteral("SELECT MAX(\"changeTime\") FROM \"TableChanges\" WHERE \"tableId\" IN (%1)")
                     .arg(marks.join(QStringLiteral(", "))),
                 binds))
        return 0;
    return q.next() ? q.value(0).toDouble() : 0.0;
}

void RecordTable::ExecuteCommand(const QString &text)
{
    if (!begin())
        return;
    const QString command = text.trimmed();
    static const QRegularExpression overrideIncrement(
        QStringLiteral("^update\\s+Doors\\s+set\\s+overrideIncrement\\s*=\\s*(\\d{1,9})$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = overrideIncrement.match(command);
    if (m.hasMatch()) {
        const int value = m.captured(1).toInt();
        if (value > 15) {
            fail(RecordStatus::CommandRefused, QStringLiteral("The override increment must be below 16."));
            return;
        }
        QSqlQuery q(m_db.sqlDatabase());
        execute(q, QStringLiteral("UPDATE \"Doors\" SET \"overrideIncrement\" = ?"), {value});
        return;
    }
    if (command.compare(QStringLiteral("CMD: COMPACT_DB_IMMEDIATE"), Qt::CaseInsensitive) == 0) {
        compactDatabase();
        return;
    }
    if (command.compare(QStringLiteral("CMD: LoadTexts"), Qt::CaseInsensitive) == 0) {
        if (!m_db.loadStatusTexts())
            fail(RecordStatus::SqlError, QStringLiteral("The status texts could not be read."));
        return;
    }
    fail(RecordStatus::CommandRefused, QStringLiteral("'%1' is not an allowed command.").arg(command.left(60)));
}

bool RecordTable::parameter(const QString &key, QString &value)
{
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q, QStringLiteral("SELECT \"parameter\" FROM \"Parameters\" WHERE \"parameterID\" = ?"), {key}))
        return false;
    if (!q.next())
        return false;
    value = q.value(0).toString();
    return true;
}

bool RecordTable::setParameter(const QString &key, const QString &value)
{
    // Only rows that exist are written: the server side never adds parameters.
    QSqlQuery q(m_db.sqlDatabase());
    return execute(q, QStringLiteral("UPDATE \"Parameters\" SET \"parameter\" = ? WHERE \"parameterID\" = ?"),
                   {value, key});
}

// Housekeeping: drop cards and events older than the purge limits, refresh the statistics
// parameters, stamp LASTCATHTIME, then let the engine reclaim space and refresh its statistics.
void RecordTable::compactDatabase()
{
    const double now = m_db.now();
    auto days = [&](const char *key) {
        QString v;
        return parameter(QString::fromLatin1(key), v) ? v.trimmed().toInt() : 0;
    };
    const int guestDays = days("PURGELIMITGUESTCARDS");
    const int cardDays = days("PURGELIMIT");
    const int eventDays = days("PURGELIMITEVENTS");
    if (m_status != RecordStatus::Ok)
        return;

    QStringList kinds;
    for (qint32 k : kGuestCardKinds)
        kinds << QString::number(k);
    const QString guest = QStringLiteral("\"cardNameID\" IN (%1)").arg(kinds.join(QLatin1Char(',')));
    const QString ended = QStringLiteral("(\"expireTime\" < ? OR \"cancelTime\" < ?)");

    RecordDatabase::Transaction transaction(m_db);
    qint64 deletedCards = 0;
    struct Purge
    {
        int days;
        QString condition;
    };
    for (const Purge &p : {Purge{guestDays, guest}, Purge{cardDays, QStringLiteral("NOT ") + guest}}) {
        if (p.days <= 0)
            continue;
        const double cutoff = now - p.days;
        QSqlQuery q(m_db.sqlDatabase());
        if (!execute(q, QStringLiteral("DELETE FROM \"Cards\" WHERE %1 AND %2").arg(p.condition, ended),
                     {cutoff, cutoff}))
            return;
        deletedCards += q.numRowsAffected();
    }
    if (eventDays > 0) {
        const double cutoff = now - eventDays;
        QSqlQuery q(m_db.sqlDatabase());
        if (!execute(q, QStringLiteral("DELETE FROM \"Events\" WHERE \"eventTime\" < ?"), {cutoff}) ||
            !execute(q,
                     QStringLiteral("DELETE FROM \"Readouts\" WHERE \"readoutTime\" < ? AND NOT EXISTS (SELECT 1 FROM "
                                    "\"Events\" e WHERE e.\"readoutID\" = \"Readouts\".\"readoutID\")"),
                     {cutoff}))
            return;
    }

    struct Statistic
    {
        const char *key;
        const char *sql;
    };
    const Statistic statistics[] = {
        {"TEMP_NUMCARDS", R"(SELECT COUNT(*) FROM "Cards")"},
        {"TEMP_NUMUSERS", R"(SELECT COUNT(*) FROM "Users" WHERE "deleted" = 0)"},
        {"TEMP_NUMEVENTS", R"(SELECT COUNT(*) FROM "Events")"},
        {"TEMP_MAXREGNUM", R"(SELECT COALESCE(MAX("registrationNumber"), 0) / 256 FROM "Cards")"},
        {"TEMP_MINREGNUM", R"(SELECT COALESCE(MIN("registrationNumber"), 0) / 256 FROM "Cards")"},
    };
    for (const Statistic &s : statistics) {
        QSqlQuery q(m_db.sqlDatabase());
        if (!execute(q, QString::fromLatin1(s.sql), {}) || !q.next())
            return;
        if (!setParameter(QString::fromLatin1(s.key), q.value(0).toString()))
            return;
    }
    if (!setParameter(QStringLiteral("TEMP_NUMDELETEDCARDS"), QString::number(deletedCards)))
        return;
    QString first, last;
    if (parameter(QStringLiteral("REGNUM_FIRST"), first) && parameter(QStringLiteral("REGNUM_LAST"), last)) {
        const qint64 lo = first.trimmed().toLongLong();
        const qint64 hi = last.trimmed().toLongLong();
        // Numbers are never issued twice: what is left is the part of the range above the last one
        // handed out (or stored), whether or not housekeeping removed cards below it.
        QSqlQuery q(m_db.sqlDatabase());
        if (!execute(q,
                     QStringLiteral("SELECT MAX(n) FROM (SELECT \"lastNumber\" AS n FROM \"RegistrationCounter\" "
                                    "UNION ALL SELECT MAX(\"registrationNumber\") / 256 FROM \"Cards\") x"),
                     {}) ||
            !q.next())
            return;
        const qint64 issued = std::max<qint64>(q.value(0).toLongLong(), lo - 1);
        if (!setParameter(QStringLiteral("TEMP_NUMFREEREGNUMS"), QString::number(std::max<qint64>(0, hi - issued))))
            return;
    }
    if (m_status != RecordStatus::Ok || !setParameter(QStringLiteral("LASTCATHTIME"), Values::numberText(now)))
        return;
    if (!transaction.commit()) {
        failSql(m_db.sqlDatabase().lastError());
        return;
    }
    for (const QString &sql : m_db.dialect().compact()) {
        QSqlQuery q(m_db.sqlDatabase());
        if (!execute(q, sql, {}))
            return;
    }
}
