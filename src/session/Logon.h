#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <functional>

class QWidget;
class RecordDatabase;
struct CardServers;
struct DatabaseServices;
struct LogonState;
struct ProgramServices;
struct Session;

// Logon and logoff without the windows: the logged-on list, the operator-class flags, the logon
// command of frmLogon, the daily warnings and the one-time rewrite of stored secrets. Messages go
// through the workstation's Messages; parent only places them.

// The class bit of an operator template: 1 for 1-299, 2 for 300-699, 4 for 700-999, else 0.
uint16_t OperatorClassBit(int32_t operatorTemplateID);

// The operator's "operatorTemplateID", or 0 when there is no such operator.
int32_t OperatorTemplateOf(DatabaseServices &db, int32_t userID);

// Appends a known operator who is not listed yet.
void AddLoggedOnOperator(DatabaseServices &db, Session &session, int32_t userID);
// Removes the operator and rebuilds OperatorClassFlags from those left.
void RemoveLoggedOnOperator(DatabaseServices &db, Session &session, int32_t userID);
bool IsOperatorLoggedOn(const LogonState &logon, int32_t userID);
void RebuildOperatorClassFlags(DatabaseServices &db, Session &session);

// What the logon dialog does after its OK command.
enum class LogonOutcome {
    LoggedOn,      // hide the dialog with Success set
    FocusUserID,   // stay open, focus on the user ID
    FocusPassword, // stay open, focus on the password
    Stay           // stay open (the attempt ended with a message, or no encoder was chosen)
};

// How the logon waits for a busy database: a clock in milliseconds and a pause that keeps the
// interface working. Empty: a steady clock and WaitProcessingEvents.
struct BusyWait
{
    std::function<qint64()> clockMs;
    std::function<void(int milliseconds)> pause;
};

// The logon command: mode 0 logs on with user ID and password (operator card, group logon,
// rights, menus, daily warnings), mode 1 confirms the password of the operator known to the
// database component.
// hideDialog is called where the logon hides its dialog, before the rights are reloaded and the
// daily warnings shown.
LogonOutcome RunLogonCommand(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                             int mode, const QString &userID, const QString &password, QWidget *parent = nullptr,
                             const std::function<void()> &hideDialog = {}, const BusyWait &busyWait = {});

// Cancel of the logon dialog: the first cancelled logon loads the rights of nobody once.
void CancelLogon(Session &session);

// The warnings of an operator's first logon of the day (server date): operator expiry,
// housekeeping, backup. expireDate is what Logon returned. Marks the day in the operator's
// "timeOfLastWarning".
void ShowDailyWarnings(ProgramServices &program, DatabaseServices &db, Session &session, double expireDate,
                       QWidget *parent = nullptr);

// The logoff list text of an operator: "Veltrix" for the service operator 15, else its alphaID.
QString LoggedOnOperatorText(DatabaseServices &db, int32_t userID);
// Ends the logons of the given operators (name as listed, userID), reloads the rights, rebuilds
// the flags, follows the component's current operator and lets the frame recompute its menus.
struct LogoffEntry
{
    QString text;
    int32_t userID;
};
void LogOffOperators(DatabaseServices &db, Session &session, const QList<LogoffEntry> &entries);

// The start-up database checks: when "SYSTEM_GURU_UPDATED" is non-zero, stored passwords and PIN
// codes that carry the marker are deleted and inserted again, then the parameter is set to "0".
// Returns 0 or the status of the first failed call.
int32_t RunStartupDatabaseChecks(RecordDatabase &db);
// The 13 letters whose presence in "cardImageData" marks a secret still to rewrite.
QByteArray StoredSecretMarker();
