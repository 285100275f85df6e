#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What the interface service and the device dialog share about device rows, free of widgets.

// Devices.deviceType. Encoders and handheld units are virtual devices whose port is their folder;
// an interface to a property-management system (PMS) has "host:port" as its port.
namespace DeviceType {
inline constexpr qint32 Encoder = 0;
inline constexpr qint32 Handheld = 2;
inline constexpr qint32 PmsInterface = 3;
} // namespace DeviceType

// Devices.componentType of a PMS interface: who opens the connection.
namespace PmsConnection {
inline constexpr qint32 Listen = 0;  // the interface service listens on host:port
inline constexpr qint32 Connect = 1; // it connects to the PMS at host:port
} // namespace PmsConnection

struct HostPort
{
    QString host;
    int port = 0;
};
// "host:port" with a host name, an IPv4 address or a bracketed IPv6 address and a port 1 to 65535.
std::optional<HostPort> ParseHostPort(const QString &text);

// Whether a PMS device row whose computerName is computerName is served by the interface service
// running as thisComputer. "$LOCAL" is served by any service (an installation runs one);
// "$SERVER" by the service on the computer of the database server (databaseIsLocal).
bool ServesPmsDevice(const QString &computerName, const QString &thisComputer, bool databaseIsLocal);
