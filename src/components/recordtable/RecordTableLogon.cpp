// Operator logon per computer name, inactivity, and the rights of the logged-on operators.
//
// Logons live in the table Logons (one row per operator and computer name), so several
// workstations see their own group of operators and a restarted client finds nobody logged on
// only when the logons ended. The current operator of a computer is the one who acted last
// (logged on or confirmed a password). All logons of a computer end together after
// MAXINACTIVETIME minutes without a call from that computer.
#include "components/recordtable/Passwords.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/RecordTableRights.h"

#include <QSqlError>

#include <algorithm>

namespace {

// Operation-code ranges of TemplateRights.
constexpr qint32 kTableRights = 0x800000;
constexpr qint32 kFunctions = 0x700000;
constexpr qint32 kCardKinds = 0x600000;
// The maker's service operator has a fixed name in the logoff list.
constexpr qint32 kServiceOperator = 15;

} // namespace

// The operator who acts now becomes current: the stamp stays ahead of every other logon here,
// even when the clock has not moved since (a pinned clock, two logons in one tick).
double RecordTable::activityStamp(const QList<LogonRow> &logons, double now)
{
    double stamp = now;
    for (const LogonRow &l : logons)
        stamp = std::max(stamp, l.lastActivity + 1e-9);
    return stamp;
}

bool RecordTable::findOperator(const QString &user, OperatorRecord &op)
{
    op = OperatorRecord{};
    const QString sql = QStringLiteral(
        "SELECT u.\"userID\", o.\"operatorTemplateID\", o.\"expireTime\", p.\"password\" FROM \"Users\" u "
        "JOIN \"Operators\" o ON o.\"userID\" = u.\"userID\" LEFT JOIN \"Passwords\" p ON p.\"userID\" = u.\"userID\" "
        "WHERE u.\"deleted\" = 0 AND %1");
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q, sql.arg(QStringLiteral("LOWER(u.\"alphaID\") = LOWER(?)")), {user}))
        return false;
    if (!q.next() && user.compare(QStringLiteral("Veltrix"), Qt::CaseInsensitive) == 0) {
        q = QSqlQuery(m_db.sqlDatabase());
        if (!execute(q, sql.arg(QStringLiteral("u.\"userID\" = ?")), {kServiceOperator}))
            return false;
        q.next();
    }
    if (!q.isValid())
        return true;
    op.found = true;
    op.userId = q.value(0).toInt();
    op.templateId = q.value(1).toInt();
    op.expireTime = q.value(2).isNull() ? NoExpiry : q.value(2).toDouble();
    op.passwordHash = q.value(3).toString();
    return true;
}

bool RecordTable::readMaxInactive()
{
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q,
                 QStringLiteral("SELECT \"parameter\" FROM \"Parameters\" WHERE \"parameterID\" = 'MAXINACTIVETIME'"),
                 {}))
        return false;
    m_db.setMaxInactiveMinutes(q.next() ? q.value(0).toString().trimmed().toInt() : 0);
    return true;
}

// The logons of this computer, current operator first; ends them all when the computer was idle.
bool RecordTable::activeLogons(QList<LogonRow> &logons)
{
    logons.clear();
    if (!readMaxInactive())
        return false;
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q,
                 QStringLiteral("SELECT l.\"userID\", l.\"lastActivity\", o.\"operatorTemplateID\" FROM \"Logons\" l "
                                "LEFT JOIN \"Operators\" o ON o.\"userID\" = l.\"userID\" WHERE l.\"computerName\" = ? "
                                "ORDER BY l.\"lastActivity\" DESC, l.\"logonTime\" DESC"),
                 {m_computerName}))
        return false;
    double last = m_db.lastActivity(m_computerName);
    while (q.next()) {
        logons.append(LogonRow{q.value(0).toInt(), q.value(1).toDouble(), q.value(2).toInt()});
        last = std::max(last, q.value(1).toDouble());
    }
    const int maxMinutes = m_db.maxInactiveMinutes();
    if (logons.isEmpty() || maxMinutes <= 0 || m_db.cheapNow() - last <= maxMinutes / 1440.0)
        return true;
    logons.clear();
    m_db.forgetActivity(m_computerName);
    QSqlQuery end(m_db.sqlDatabase());
    return execute(end, QStringLiteral("DELETE FROM \"Logons\" WHERE \"computerName\" = ?"), {m_computerName});
}

double RecordTable::Logon(const QString &user, const QString &password)
{
    if (!begin(false))
        return 0;
    OperatorRecord op;
    if (!findOperator(user.trimmed(), op))
        return 0;
    if (password.isEmpty()) {
        // An empty password ends that operator's logon here.
        if (!op.found) {
            fail(RecordStatus::LogonRefused, QStringLiteral("No operator is called %1.").arg(user));
            return 0;
        }
        QSqlQuery q(m_db.sqlDatabase());
        execute(q, QStringLiteral("DELETE FROM \"Logons\" WHERE \"userID\" = ? AND \"computerName\" = ?"),
                {op.userId, m_computerName});
        return 0;
    }
    if (!op.found || !Passwords::verify(op.passwordHash, password)) {
        fail(RecordStatus::LogonRefused);
        return 0;
    }
    const double now = m_db.cheapNow();
    if (op.expireTime <= now) {
        fail(RecordStatus::LogonExpired, QStringLiteral("Expired on %1.").arg(op.expireTime, 0, 'f', 5));
        return op.expireTime;
    }
    QList<LogonRow> logons;
    if (!activeLogons(logons))
        return 0;
    const bool others =
        std::any_of(logons.cbegin(), logons.cend(), [&](const LogonRow &l) { return l.userId != op.userId; });
    const double stamp = activityStamp(logons, now);
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(
            q,
            QStringLiteral("INSERT INTO \"Logons\" (\"userID\", \"computerName\", \"logonTime\", \"lastActivity\") "
                           "VALUES (?, ?, ?, ?) ON CONFLICT (\"userID\", \"computerName\") DO UPDATE SET "
                           "\"logonTime\" = excluded.\"logonTime\", \"lastActivity\" = excluded.\"lastActivity\""),
            {op.userId, m_computerName, now, stamp}))
        return 0;
    m_db.resetActivity(m_computerName, stamp);
    if (others)
        m_status = RecordStatus::LoggedOnBeside;
    return op.expireTime;
}

void RecordTable::LogonPassword(const QString &password)
{
    if (!begin(false))
        return;
    QList<LogonRow> logons;
    if (!activeLogons(logons))
        return;
    if (logons.isEmpty()) {
        fail(RecordStatus::NotLoggedOn);
        return;
    }
    // The password names the operator of the group who confirms; the current one is tried first.
    QSqlQuery q(m_db.sqlDatabase());
    for (const LogonRow &l : std::as_const(logons)) {
        if (!execute(q,
                     QStringLiteral("SELECT p.\"password\", o.\"expireTime\" FROM \"Operators\" o LEFT JOIN "
                                    "\"Passwords\" p ON p.\"userID\" = o.\"userID\" WHERE o.\"userID\" = ?"),
                     {l.userId}))
            return;
        if (!q.next() || !Passwords::verify(q.value(0).toString(), password))
            continue;
        const double now = m_db.cheapNow();
        const double expire = q.value(1).isNull() ? NoExpiry : q.value(1).toDouble();
        if (expire <= now) {
            fail(RecordStatus::LogonExpired);
            return;
        }
        const double stamp = activityStamp(logons, now);
        QSqlQuery touch(m_db.sqlDatabase());
        if (!execute(touch,
                     QStringLiteral("UPDATE \"Logons\" SET \"lastActivity\" = ? WHERE \"userID\" = ? AND "
                                    "\"computerName\" = ?"),
                     {stamp, l.userId, m_computerName}))
            return;
        m_db.resetActivity(m_computerName, stamp);
        return;
    }
    fail(RecordStatus::LogonRefused);
}

qint32 RecordTable::CurrentOperatorID()
{
    if (!begin(false))
        return 0;
    QList<LogonRow> logons;
    if (!activeLogons(logons))
        return 0;
    return logons.isEmpty() ? 0 : logons.first().userId;
}

bool RecordTable::LoggedOff()
{
    if (!begin(false))
        return true;
    QList<LogonRow> logons;
    if (!activeLogons(logons))
        return true;
    if (logons.isEmpty())
        return true;
    // Activity is kept in memory; the table learns it now and then, so other views of Logons stay close.
    const double seen = m_db.lastActivity(m_computerName);
    if (seen > logons.first().lastActivity + 1.0 / 1440.0) {
        QSqlQuery q(m_db.sqlDatabase());
        execute(
            q,
            QStringLiteral("UPDATE \"Logons\" SET \"lastActivity\" = ? WHERE \"userID\" = ? AND \"computerName\" = ?"),
            {seen, logons.first().userId, m_computerName});
        m_status = RecordStatus::Ok;
    }
    return false;
}

void RecordTable::SetComputerName(const QString &name)
{
    m_computerName = name.isEmpty() ? m_db.computerName() : name;
    m_rights.reset();
    begin(false);
}

void RecordTable::SetEncoderID(qint32 deviceId)
{
    m_encoderId = deviceId;
    begin(false);
}

// --- rights ---

bool RecordTable::computeRights()
{
    if (!m_rights)
        m_rights = std::make_unique<Rights>();
    Rights &r = *m_rights;
    r.tables.clear();
    r.validity.clear();
    r.functions.clear();
    QList<LogonRow> logons;
    if (!activeLogons(logons))
        return false;
    QList<qint32> templates;
    for (const LogonRow &l : std::as_const(logons)) {
        if (!templates.contains(l.templateId))
            templates << l.templateId;
    }
    if (templates.isEmpty())
        return true;
    QStringList marks;
    QVariantList binds;
    for (qint32 t : std::as_const(templates)) {
        marks << QStringLiteral("?");
        binds << t;
    }
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q,
                 QStringLiteral("SELECT \"operationCode\", \"rwed\", \"maxValidity\" FROM \"TemplateRights\" WHERE "
                                "\"operatorTemplateID\" IN (%1) ORDER BY \"operationCode\"")
                     .arg(marks.join(QStringLiteral(", "))),
                 binds))
        return false;
    // Several operators at one workstation act together: their rights are united.
    QMap<qint32, qint32> tables, validity;
    while (q.next()) {
        const qint32 code = q.value(0).toInt();
        if (code >= kTableRights) {
            tables[code - kTableRights] |= q.value(1).toInt();
        } else if (code >= kFunctions) {
            if (!r.functions.contains(code - kFunctions))
                r.functions << code - kFunctions;
        } else if (code >= kCardKinds) {
            qint32 &v = validity[code - kCardKinds];
            v = std::max(v, q.value(2).toInt());
        }
    }
    for (auto it = tables.cbegin(); it != tables.cend(); ++it) {
        if (it.value() != 0)
            r.tables.append({it.key(), it.value()});
    }
    for (auto it = validity.cbegin(); it != validity.cend(); ++it) {
        if (it.value() != 0)
            r.validity.append({it.key(), it.value()});
    }
    return true;
}

void RecordTable::RefreshRights()
{
    if (!begin() || !computeRights())
        return;
    m_rights->tablePos = m_rights->validityPos = m_rights->functionPos = -1;
    m_rights->tablesFresh = m_rights->validityFresh = m_rights->functionsFresh = true;
}

// Starts an iteration: a fresh set from RefreshRights is used once, else the rights are read again.
bool RecordTable::startRights(int Rights::*pos, bool Rights::*fresh)
{
    if (m_rights && m_rights.get()->*pos >= 0)
        return true;
    if (!m_rights || !(m_rights.get()->*fresh)) {
        const bool keep[3] = {m_rights && m_rights->tablesFresh, m_rights && m_rights->validityFresh,
                              m_rights && m_rights->functionsFresh};
        if (!computeRights())
            return false;
        m_rights->tablesFresh = keep[0];
        m_rights->validityFresh = keep[1];
        m_rights->functionsFresh = keep[2];
    }
    m_rights.get()->*fresh = false;
    m_rights.get()->*pos = 0;
    return true;
}

// The index of the next entry of one rights list; -1 with status "no more" at its end.
int RecordTable::nextRightsIndex(int Rights::*pos, bool Rights::*fresh, qsizetype (*size)(const Rights &))
{
    if (!begin(false) || !startRights(pos, fresh))
        return -1;
    int &at = m_rights.get()->*pos;
    if (at >= size(*m_rights)) {
        at = -1;
        fail(RecordStatus::NoRecord);
        return -1;
    }
    return at++;
}

void RecordTable::NextRight(qint32 &tableId, qint32 &bits)
{
    tableId = bits = 0;
    const int i =
        nextRightsIndex(&Rights::tablePos, &Rights::tablesFresh, [](const Rights &r) { return r.tables.size(); });
    if (i >= 0) {
        tableId = m_rights->tables.at(i).first;
        bits = m_rights->tables.at(i).second;
    }
}

void RecordTable::NextMaxValidity(qint32 &cardNameId, qint32 &minutes)
{
    cardNameId = minutes = 0;
    const int i = nextRightsIndex(&Rights::validityPos, &Rights::validityFresh,
                                  [](const Rights &r) { return r.validity.size(); });
    if (i >= 0) {
        cardNameId = m_rights->validity.at(i).first;
        minutes = m_rights->validity.at(i).second;
    }
}

void RecordTable::NextFunction(qint32 &function)
{
    function = 0;
    const int i = nextRightsIndex(&Rights::functionPos, &Rights::functionsFresh,
                                  [](const Rights &r) { return r.functions.size(); });
    if (i >= 0)
        function = m_rights->functions.at(i);
}

// The server's own answer for the current operator: after a password confirmation that is the
// operator who confirmed, whatever the others of a group may do.
void RecordTable::checkOperationCode(qint32 code, qint32 bits)
{
    if (!begin())
        return;
    QList<LogonRow> logons;
    if (!activeLogons(logons))
        return;
    if (logons.isEmpty()) {
        fail(RecordStatus::NotLoggedOn);
        return;
    }
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q,
                 QStringLiteral("SELECT \"rwed\" FROM \"TemplateRights\" WHERE \"operatorTemplateID\" = ? AND "
                                "\"operationCode\" = ?"),
                 {logons.first().templateId, code}))
        return;
    const bool allowed = q.next() && (bits == 0 || (q.value(0).toInt() & bits) != 0);
    if (!allowed)
        fail(RecordStatus::NotAllowed);
}

void RecordTable::CheckRights(qint32 tableId, qint32 bits)
{
    if (bits == 0) {
        begin(false);
        fail(RecordStatus::NotAllowed, QStringLiteral("No right was asked for."));
        return;
    }
    checkOperationCode(kTableRights + tableId, bits);
}

void RecordTable::CheckFunction(qint32 function)
{
    checkOperationCode(kFunctions + function, 0);
}
