#pragma once

#include "pms/PmsDevices.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// What a device record may hold and when it may go, free of widgets and the database.

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
