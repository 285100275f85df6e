#pragma once

#include "ostrelle-db/BulkFill.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

class RecordDatabase;
class TextResources;

// ostrelle-db: creates, upgrades and seeds installation databases.
//
//   ostrelle-db create  <connection> [--admin ID]
//   ostrelle-db upgrade <connection>
//   ostrelle-db demo    <connection> [--cards N] [--events M]
//   ostrelle-db fill    <connection> --cards N --events M [--years Y] [--seed S]
//
// <connection> is what the workstation uses: "sqlite:<path>", a "postgresql://" URI or an ODBC DSN.
namespace DbTool {

enum ExitCode : int {
    Success = 0,
    Failed = 1,       // the database refused or a command could not finish
    UsageError = 2,   // the command line is wrong
    NotConnected = 3, // the database cannot be opened
};

// Runs one command line (without the program name). Reports go to out, failures to err, each
// failure with the component's status and text.
// in: where create --admin reads the first operator's password (the first line).
int run(const QStringList &arguments, const TextResources &texts, QTextStream &out, QTextStream &err,
        QTextStream *in = nullptr);

QString usage();

// A database with a schema is refused: create never touches an existing installation.
bool createDatabase(RecordDatabase &db, const TextResources &texts, QString &error);
// Brings an older schema to the current version; from and to receive the versions.
bool upgradeDatabase(RecordDatabase &db, int &from, int &to, QString &error);
// create, the demo hotel, and a history of history.cards cards and history.events events.
bool createDemo(RecordDatabase &db, const TextResources &texts, const FillOptions &history, QString &error);

// The history the demo command adds unless told otherwise: the last 90 days of the demo hotel.
FillOptions demoHistory();

} // namespace DbTool
