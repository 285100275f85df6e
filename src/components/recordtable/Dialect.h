#pragma once

#include "components/recordtable/TableDefs.h"

#include <QString>
#include <QStringList>

#include <memory>

// The SQL that differs between SQLite and PostgreSQL. Everything else the component writes is
// plain SQL with double-quoted identifiers, valid on both.
class Dialect
{
public:
    virtual ~Dialect() = default;

    static std::unique_ptr<Dialect> sqlite();
    static std::unique_ptr<Dialect> postgresql();

    static QString quote(const QString &identifier);

    virtual bool isPostgreSQL() const = 0;
    // Statements run after every (re)connect.
    virtual QStringList sessionSetup() const = 0;
    virtual QString columnType(ColumnType type) const = 0;
    // The full column definition of a key the database numbers itself.
    virtual QString assignedKeyColumn(const QString &name) const = 0;
    // The server's local time as an OLE date, evaluated at the moment of the call.
    virtual QString nowExpression() const = 0;
    // Run once after a given key was inserted into a numbered table (keeps the numbering ahead).
    virtual QStringList afterGivenKeyInsert(const TableDef &table) const = 0;
    // Objects shared by all change triggers (created before them).
    virtual QStringList triggerSupport() const = 0;
    // The triggers that keep TableChanges current for one table, and how to drop them.
    virtual QStringList changeTriggers(const TableDef &table) const = 0;
    virtual QStringList dropChangeTriggers(const TableDef &table) const = 0;
    // "like" for the prefix filters and the sort order of text: case-insensitive on both engines.
    virtual QString likeOperator() const = 0;
    virtual QString textOrder(const QString &quotedColumn) const = 0;
    // An engine that plans ranges without knowing how the values spread (SQLite as Debian builds
    // it has no STAT4) takes the component's estimate of the share of rows a comparison lets
    // through; estimatedTerm hands it over with the comparison without changing its result.
    virtual bool wantsRangeEstimates() const = 0;
    virtual QString estimatedTerm(const QString &comparison, double share) const = 0;
    // Reclaims space and refreshes the planner statistics; each statement runs outside a transaction.
    virtual QStringList compact() const = 0;
    virtual QString tableExistsSql() const = 0; // one parameter: the table name
    virtual QString dropView(const QString &name) const = 0;

protected:
    // The upsert of one TableChanges row, for the trigger bodies. tableIdSql is an SQL expression.
    QString changeUpsert(const QString &tableIdSql, const QString &maxFunction) const;
};
