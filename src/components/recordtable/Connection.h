#pragma once

#include <QString>

// What decides how the workstation reaches its database, shared by start-up and the connection.

// The workstation uses the database server of this computer: Server is empty or blank, or names
// the loopback address or this computer (letter case ignored).
bool IsLocalServer(const QString &server, const QString &computerName);
