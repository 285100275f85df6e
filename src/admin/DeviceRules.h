#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What a device record may hold and when it may go, free of widgets and the database.

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

bool IsVirtualDevice(qint32 deviceType);

// A device record as the device dialog edits it.
struct DeviceEntry
{
    qint32 deviceID = 0; // 0 until stored
    QString name;
    qint32 deviceType = DeviceType::Encoder;
    QString computerName = QStringLiteral("$LOCAL");
    QString portName;
    QString address; // empty, or a whole number that fixes the deviceID
    qint32 componentType = 0;
    qint32 noteID = 0;
    QString note;
};

struct HostPort
{
    QString host;
    int port = 0;
};
// "host:port" with a host name, an IPv4 address or a bracketed IPv6 address and a port 1 to 65535.
std::optional<HostPort> ParseHostPort(const QString &text);

// A virtual device's folder: empty (the server names it after the device), an absolute path, or a
// path below the device directory that does not climb out of it.
bool IsValidDeviceFolder(const QString &folder);

// The deviceID an address gives: address + 1000. 0 for no address (the database assigns the key),
// nullopt for an address that is no whole number or whose deviceID would not fit 32 bits.
std::optional<qint32> DeviceIDFromAddress(const QString &address);

enum class DeviceProblem {
    None,
    NameMissing,
    TypeUnknown,
    ComputerMissing,
    FolderInvalid,
    HostPortInvalid,
    ConnectionUnknown,
    AddressInvalid
};
// The first thing wrong with an entry, in the order of the dialog's fields.
DeviceProblem CheckDevice(const DeviceEntry &entry);

// What is known about a device before it is removed.
struct DeviceUse
{
    int doors = 0;                  // DoorDevices rows naming it
    bool busy = false;              // a card operation runs on it at this workstation
    bool workstationDevice = false; // this workstation's encoder or handheld unit
};
enum class DeviceRemoval { RefuseDoors, RefuseBusy, AskWorkstationDevice, Ask };
DeviceRemoval DeviceRemovalRule(const DeviceUse &use);
