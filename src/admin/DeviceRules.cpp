#include "admin/DeviceRules.h"

#include <QDir>
#include <QRegularExpression>

#include <limits>

namespace {

constexpr qint32 kAddressOffset = 1000;

} // namespace

bool IsVirtualDevice(qint32 deviceType)
{
    return deviceType == DeviceType::Encoder || deviceType == DeviceType::Handheld;
}

bool IsValidDeviceFolder(const QString &folder)
{
    if (folder != folder.trimmed())
        return false;
    for (QChar c : folder) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    if (QDir::isAbsolutePath(folder))
        return true;
    const QStringList parts = folder.split(QLatin1Char('/'));
    return !parts.contains(QStringLiteral(".."));
}

std::optional<qint32> DeviceIDFromAddress(const QString &address)
{
    if (address.isEmpty())
        return 0;
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(address).hasMatch())
        return std::nullopt;
    const qint64 value = address.toLongLong();
    if (value > std::numeric_limits<qint32>::max() - kAddressOffset)
        return std::nullopt;
    return qint32(value) + kAddressOffset;
}

DeviceProblem CheckDevice(const DeviceEntry &entry)
{
    if (entry.name.trimmed().isEmpty())
        return DeviceProblem::NameMissing;
    const bool virtualDevice = IsVirtualDevice(entry.deviceType);
    if (!virtualDevice && entry.deviceType != DeviceType::PmsInterface)
        return DeviceProblem::TypeUnknown;
    const QString computer = entry.computerName.trimmed();
    if (computer.isEmpty() || computer.contains(QLatin1Char(' ')))
        return DeviceProblem::ComputerMissing;
    if (virtualDevice && !IsValidDeviceFolder(entry.portName))
        return DeviceProblem::FolderInvalid;
    if (!virtualDevice) {
        if (!ParseHostPort(entry.portName))
            return DeviceProblem::HostPortInvalid;
        if (entry.componentType != PmsConnection::Listen && entry.componentType != PmsConnection::Connect)
            return DeviceProblem::ConnectionUnknown;
    }
    if (!DeviceIDFromAddress(entry.address))
        return DeviceProblem::AddressInvalid;
    return DeviceProblem::None;
}

DeviceRemoval DeviceRemovalRule(const DeviceUse &use)
{
    // Doors name the device in their lock configuration: removing it would leave them pointing at
    // nothing. A device in use is never pulled from under the running card operation.
    if (use.doors > 0)
        return DeviceRemoval::RefuseDoors;
    if (use.busy)
        return DeviceRemoval::RefuseBusy;
    return use.workstationDevice ? DeviceRemoval::AskWorkstationDevice : DeviceRemoval::Ask;
}
