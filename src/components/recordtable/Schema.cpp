#include "components/recordtable/Schema.h"

#include "components/recordtable/Dialect.h"
#include "components/recordtable/TableDefs.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Schema {
namespace {

struct Runner
{
    QSqlDatabase &db;
    QString &error;

    bool exec(const QString &sql, const QVariantList &binds = {})
    {
        QSqlQuery q(db);
        // Statements without values run unprepared: PostgreSQL cannot prepare DDL.
        const bool ok = binds.isEmpty() ? q.exec(sql) : [&] {
            if (!q.prepare(sql))
                return false;
            for (const QVariant &v : binds)
                q.addBindValue(v);
            return q.exec();
        }();
        if (!ok) {
            error = q.lastError().text() + QStringLiteral(" [") + sql + QLatin1Char(']');
            return false;
        }
        return true;
    }

    bool execAll(const QStringList &statements)
    {
        for (const QString &s : statements) {
            if (!exec(s))
                return false;
        }
        return true;
    }
};

QString columnSql(const Dialect &d, const TableDef &t, const ColumnDef &c)
{
    if (t.keyRule == KeyRule::Assigned && c.name == t.keyField())
        return d.assignedKeyColumn(c.name);
    QString sql = Dialect::quote(c.name) + QLatin1Char(' ') + d.columnType(c.type);
    if (!c.defaultValue.isEmpty())
        sql += QStringLiteral(" DEFAULT ") + c.defaultValue;
    return sql;
}

QString indexSql(const TableDef &t, const IndexDef &i)
{
    QStringList cols;
    for (const QString &c : i.columns)
        cols << Dialect::quote(c);
    const QString name =
        QStringLiteral("ix_%1_%2%3")
            .arg(t.name, i.columns.join(QLatin1Char('_')), i.unique ? QStringLiteral("_u") : QString());
    QString sql = QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                      .arg(i.unique ? QStringLiteral("UNIQUE ") : QString(), Dialect::quote(name),
                           Dialect::quote(t.name), cols.join(QStringLiteral(", ")));
    if (!i.where.isEmpty())
        sql += QStringLiteral(" WHERE ") + i.where;
    return sql;
}

QStringList createTable(const Dialect &d, const TableDef &t, int version)
{
    QStringList parts;
    for (const ColumnDef &c : t.columns) {
        if (c.since <= version)
            parts << columnSql(d, t, c);
    }
    if (t.keyRule != KeyRule::Assigned && !t.primaryKey.isEmpty()) {
        QStringList key;
        for (const QString &k : t.primaryKey)
            key << Dialect::quote(k);
        parts << QStringLiteral("PRIMARY KEY (%1)").arg(key.join(QStringLiteral(", ")));
    }
    parts << t.constraints;
    QStringList out{
        QStringLiteral("CREATE TABLE %1 (%2)").arg(Dialect::quote(t.name), parts.join(QStringLiteral(", ")))};
    for (const IndexDef &i : t.indexes) {
        if (i.since <= version)
            out << indexSql(t, i);
    }
    return out;
}

// What version v adds to a database of version v - 1.
QStringList step(const Dialect &d, int v)
{
    QStringList out;
    for (const TableDef &t : tableDefs()) {
        if (t.view)
            continue;
        if (t.since == v) {
            out << createTable(d, t, v);
            continue;
        }
        if (t.since > v)
            continue;
        for (const ColumnDef &c : t.columns) {
            if (c.since == v) {
                out << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(Dialect::quote(t.name), columnSql(d, t, c));
            }
        }
        for (const IndexDef &i : t.indexes) {
            if (i.since == v)
                out << indexSql(t, i);
        }
    }
    if (v == 4) {
        // The last card number handed out. Numbers only grow from here, so a number whose cards
        // housekeeping removed is never issued again; an existing database starts above its cards.
        out << QStringLiteral("CREATE TABLE \"RegistrationCounter\" (\"lastNumber\" %1 NOT NULL)")
                   .arg(d.columnType(ColumnType::Int32))
            << QStringLiteral("INSERT INTO \"RegistrationCounter\" (\"lastNumber\") SELECT "
                              "COALESCE(MAX(\"registrationNumber\") / 256, 0) FROM \"Cards\"");
    }
    if (v == 5) {
        // What the database server keeps for its workstations: the settings a client asks for
        // (the client version it requires, where its installation lies) and the files of the
        // client published there for the update.
        const QString text = d.columnType(ColumnType::Text);
        out << QStringLiteral("CREATE TABLE \"ServerSettings\" (\"keyPath\" %1 NOT NULL, \"valueName\" %1 NOT NULL, "
                              "\"value\" %1, PRIMARY KEY (\"keyPath\", \"valueName\"))")
                   .arg(text)
            << QStringLiteral("CREATE TABLE \"ServerFiles\" (\"filePath\" %1 PRIMARY KEY, \"fileVersion\" %1, "
                              "\"checksum\" %1 NOT NULL, \"fileMode\" %3 NOT NULL, \"fileData\" %2 NOT NULL)")
                   .arg(text, d.columnType(ColumnType::Blob), d.columnType(ColumnType::Int32));
    }
    if (v == 6) {
        // What the property-management interface service keeps: the state of each link, seen by
        // every workstation's device status, and every key request with its answer, so a request
        // the PMS sends again is answered again instead of issuing a second set of cards.
        const QString text = d.columnType(ColumnType::Text);
        const QString int32 = d.columnType(ColumnType::Int32);
        const QString date = d.columnType(ColumnType::Date);
        out << QStringLiteral("CREATE TABLE \"PmsLinks\" (\"deviceID\" %1 PRIMARY KEY, \"linkState\" %1 NOT NULL, "
                              "\"stateTime\" %3, \"peer\" %2, \"serviceComputer\" %2, \"lastRecords\" %2)")
                   .arg(int32, text, date)
            << QStringLiteral("CREATE TABLE \"PmsRequests\" (\"requestKey\" %2 PRIMARY KEY, \"deviceID\" %1 NOT NULL, "
                              "\"recordType\" %2 NOT NULL, \"receivedTime\" %3 NOT NULL, \"state\" %1 NOT NULL, "
                              "\"answer\" %2, \"registrationNumbers\" %2)")
                   .arg(int32, text, date);
    }
    return out;
}

bool dropDerived(Runner &run, const Dialect &d)
{
    const QList<TableDef> &defs = tableDefs();
    for (auto it = defs.crbegin(); it != defs.crend(); ++it) {
        if (it->view) {
            if (!run.exec(d.dropView(it->name)))
                return false;
        }
    }
    return true;
}

bool buildDerived(Runner &run, const Dialect &d, int version)
{
    if (!run.execAll(d.triggerSupport()))
        return false;
    for (const TableDef &t : tableDefs()) {
        if (t.since > version)
            continue;
        if (t.view) {
            if (!run.exec(QStringLiteral("CREATE VIEW %1 AS %2").arg(Dialect::quote(t.name), t.viewSql(version))))
                return false;
        } else if (t.id != TableId::TableChanges) {
            if (!run.execAll(d.dropChangeTriggers(t)) || !run.execAll(d.changeTriggers(t)))
                return false;
        }
    }
    return true;
}

bool tableExists(QSqlDatabase &db, const Dialect &d, const QString &name)
{
    QSqlQuery q(db);
    q.prepare(d.tableExistsSql());
    q.addBindValue(name);
    return q.exec() && q.next();
}

bool storeVersion(Runner &run, int version)
{
    return run.exec(QStringLiteral("UPDATE \"SchemaInfo\" SET \"version\" = ?"), {version}) &&
           run.exec(QStringLiteral("DELETE FROM \"Parameters\" WHERE \"parameterID\" = 'DATABASEVERSION'")) &&
           run.exec(QStringLiteral("INSERT INTO \"Parameters\" (\"parameterID\", \"parameter\") VALUES (?, ?)"),
                    {QStringLiteral("DATABASEVERSION"), databaseVersionText(version)});
}

bool finish(QSqlDatabase &db, bool ok, QString &error)
{
    if (!ok) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

} // namespace

QString databaseVersionText(int version)
{
    // Version 1 is the data model of 1.14.0; every later schema step raises the patch level. Four
    // parts: the client's version comparison reads a build number only when a "." follows it.
    return QStringLiteral("1.14.%1.0").arg(version - 1);
}

int version(QSqlDatabase &db, const Dialect &dialect)
{
    if (!tableExists(db, dialect, QStringLiteral("SchemaInfo")))
        return -1;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT \"version\" FROM \"SchemaInfo\"")) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool create(QSqlDatabase &db, const Dialect &dialect, int target, QString &error)
{
    if (target < 1 || target > CurrentVersion) {
        error = QStringLiteral("No schema version %1").arg(target);
        return false;
    }
    if (version(db, dialect) >= 0) {
        error = QStringLiteral("The database already holds a schema");
        return false;
    }
    Runner run{db, error};
    if (!db.transaction()) {
        error = db.lastError().text();
        return false;
    }
    bool ok = run.exec(QStringLiteral("CREATE TABLE \"SchemaInfo\" (\"version\" integer NOT NULL)")) &&
              run.exec(QStringLiteral("INSERT INTO \"SchemaInfo\" (\"version\") VALUES (0)"));
    for (int v = 1; ok && v <= target; ++v)
        ok = run.execAll(step(dialect, v));
    ok = ok && buildDerived(run, dialect, target) && storeVersion(run, target);
    return finish(db, ok, error);
}

bool upgrade(QSqlDatabase &db, const Dialect &dialect, QString &error)
{
    const int from = version(db, dialect);
    if (from < 0) {
        error = QStringLiteral("The database holds no schema to upgrade");
        return false;
    }
    if (from > CurrentVersion) {
        error =
            QStringLiteral("The database schema %1 is newer than this program's (%2)").arg(from).arg(CurrentVersion);
        return false;
    }
    if (from == CurrentVersion)
        return true;
    Runner run{db, error};
    if (!db.transaction()) {
        error = db.lastError().text();
        return false;
    }
    bool ok = dropDerived(run, dialect);
    for (int v = from + 1; ok && v <= CurrentVersion; ++v)
        ok = run.execAll(step(dialect, v));
    ok = ok && buildDerived(run, dialect, CurrentVersion) && storeVersion(run, CurrentVersion);
    return finish(db, ok, error);
}

} // namespace Schema
