#pragma once

#include <QSqlDatabase>
#include <QString>

class Dialect;

// Creation and upgrade of the schema described by the table registry. Tables, columns and indexes
// carry the schema version that added them; step v creates what version v added. Views and change
// triggers are derived objects: they are dropped before and rebuilt after every create or upgrade.
namespace Schema {

inline constexpr int CurrentVersion = 6;

QString databaseVersionText(int version);

// -1 without a schema, else the stored version.
int version(QSqlDatabase &db, const Dialect &dialect);

// Both run in one transaction; on failure nothing changes and error holds the engine's message.
bool create(QSqlDatabase &db, const Dialect &dialect, int version, QString &error);
bool upgrade(QSqlDatabase &db, const Dialect &dialect, QString &error);

} // namespace Schema
