#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// A hidden user made from a typed name, for a card issued to someone not in the register. The
// identifier is the server time as "YYMMddhhnnss" + "ID"; a taken one is tried again a second
// later, at most three identifiers in all, and the last one is inserted whatever its state.
// Returns the new userID, or 1 when the insert failed (after message 4528).
qint32 CreateUserFromName(ProgramServices &program, DatabaseServices &db, Session &session, const QString &surname,
                          const QString &firstname, QWidget *parent);

// The wait between two tries, in milliseconds; the program's keeps the interface working.
using UserCreationWait = std::function<void(int milliseconds)>;
qint32 CreateUserFromName(ProgramServices &program, DatabaseServices &db, Session &session, const QString &surname,
                          const QString &firstname, QWidget *parent, const UserCreationWait &wait);

// The identifier built from a server time (OLE date).
QString UserIdentifierFromTime(double serverTime);
// Waits the given time while the event loop keeps running.
void WaitProcessingEvents(int milliseconds);
