#include "session/Notify.h"

#include <QObject>
#include <QVariant>

// The keys are taken first: a handler that closes a window (and so unsubscribes it) must not
// leave the walk pointing at a removed entry, and a window opened by a handler joins the next
// broadcast, not this one.
template <typename Interface>
template <typename Call>
void Notify::SubscriberList<Interface>::broadcast(Call call) const
{
    QList<QString> keys;
    keys.reserve(static_cast<qsizetype>(m_entries.size()));
    for (const Entry &entry : m_entries)
        keys.append(entry.key);
    for (const QString &key : std::as_const(keys)) {
        for (const Entry &entry : m_entries) {
            if (entry.key == key) {
                call(*entry.subscriber);
                break;
            }
        }
    }
}

void Notify::NotifyUserAdded(int32_t userID, int16_t flag)
{
    m_users.broadcast([&](clsIUsers &s) { s.Add(userID, flag); });
}

void Notify::NotifyUserUpdated(int32_t userID)
{
    m_users.broadcast([&](clsIUsers &s) { s.Update(userID); });
}

void Notify::NotifyUserRemoved(int32_t userID)
{
    m_users.broadcast([&](clsIUsers &s) { s.Remove(userID); });
}

void Notify::NotifyUsersRefresh()
{
    m_users.broadcast([](clsIUsers &s) { s.Refresh(); });
}

void Notify::NotifyDoorAdded(int32_t doorID)
{
    m_doors.broadcast([&](clsIDoors &s) { s.Add(doorID); });
}

void Notify::NotifyDoorRangeAdded(int32_t firstDoorID, int32_t lastDoorID)
{
    m_doors.broadcast([&](clsIDoors &s) { s.AddRange(firstDoorID, lastDoorID); });
}

void Notify::NotifyDoorUpdated(int32_t doorID, int32_t second)
{
    m_doors.broadcast([&](clsIDoors &s) { s.Update(doorID, second); });
}

void Notify::NotifyDoorRemoved(int32_t firstDoorID, int32_t lastDoorID)
{
    m_doors.broadcast([&](clsIDoors &s) { s.Remove(firstDoorID, lastDoorID); });
}

void Notify::NotifyDoorsRefresh()
{
    m_doors.broadcast([](clsIDoors &s) { s.Refresh(); });
}

void Notify::NotifyDoorGroupAdded(int32_t doorGroupID, int16_t flag)
{
    m_doorGroups.broadcast([&](clsIDoorGroups &s) { s.Add(doorGroupID, flag); });
}

void Notify::NotifyDoorGroupUpdated(int32_t doorGroupID)
{
    m_doorGroups.broadcast([&](clsIDoorGroups &s) { s.Update(doorGroupID); });
}

void Notify::NotifyDoorGroupRemoved(int32_t doorGroupID)
{
    m_doorGroups.broadcast([&](clsIDoorGroups &s) { s.Remove(doorGroupID); });
}

void Notify::NotifyDeviceAdded(int32_t deviceID)
{
    m_devices.broadcast([&](clsIDevices &s) { s.Add(deviceID); });
}

void Notify::NotifyDeviceUpdated(int32_t deviceID)
{
    m_devices.broadcast([&](clsIDevices &s) { s.Update(deviceID); });
}

void Notify::NotifyDeviceRemoved(int32_t deviceID)
{
    m_devices.broadcast([&](clsIDevices &s) { s.Remove(deviceID); });
}

void Notify::NotifyCameraAdded(int32_t cameraID)
{
    m_cameras.broadcast([&](clsICameras &s) { s.Add(cameraID); });
}

void Notify::NotifyCameraUpdated(int32_t cameraID, const QString &cameraName, const QString &cameraAddress)
{
    m_cameras.broadcast([&](clsICameras &s) { s.Update(cameraID); });
    if (!m_openWindows)
        return;
    // A camera has one live window at most; the first match is it.
    const QList<QObject *> windows = m_openWindows();
    for (QObject *window : windows) {
        auto *camera = dynamic_cast<clsICameraWindow *>(window);
        if (camera && camera->CameraID() == cameraID) {
            camera->CameraUpdated(cameraName, cameraAddress);
            return;
        }
    }
}

void Notify::NotifyCameraRemoved(int32_t cameraID)
{
    m_cameras.broadcast([&](clsICameras &s) { s.Remove(cameraID); });
}

void Notify::NotifyOperatorAdded(int32_t userID)
{
    m_operators.broadcast([&](clsIOperators &s) { s.Add(userID); });
}

void Notify::NotifyOperatorUpdated(int32_t userID)
{
    m_operators.broadcast([&](clsIOperators &s) { s.Update(userID); });
}

void Notify::NotifyOperatorRemoved(int32_t userID)
{
    m_operators.broadcast([&](clsIOperators &s) { s.Remove(userID); });
}

void Notify::NotifyOperatorTemplateAdded(int32_t operatorTemplateID)
{
    m_operatorTemplates.broadcast([&](clsIOperatorTemplates &s) { s.Add(operatorTemplateID); });
}

void Notify::NotifyOperatorTemplateUpdated(int32_t operatorTemplateID)
{
    m_operatorTemplates.broadcast([&](clsIOperatorTemplates &s) { s.Update(operatorTemplateID); });
}

void Notify::NotifyOperatorTemplateRemoved(int32_t operatorTemplateID)
{
    m_operatorTemplates.broadcast([&](clsIOperatorTemplates &s) { s.Remove(operatorTemplateID); });
}

void Notify::NotifyOperatorTemplatesRefresh()
{
    m_operatorTemplates.broadcast([](clsIOperatorTemplates &s) { s.Refresh(); });
}
