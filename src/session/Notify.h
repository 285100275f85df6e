#pragma once

#include "session/NotifyInterfaces.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

class QObject;

// The change-notification hub of one workstation: windows that show records of a kind subscribe
// while they are loaded, and a window that adds, changes or removes such a record broadcasts it
// here. A broadcast calls every subscriber of the kind synchronously, in subscription order, the
// sender too when it is subscribed. An exception thrown by a handler ends the broadcast there and
// reaches the broadcaster; later subscribers are not called.
//
// Each list is keyed by the subscribing window's handle written as decimal text, so a window is
// listed at most once: a second Subscribe with the same handle is refused and changes nothing.
class Notify
{
public:
    using WindowHandle = quintptr;
    // The handle a window subscribes under.
    static WindowHandle handleOf(const void *window) { return reinterpret_cast<WindowHandle>(window); }

    // The open windows, in the order they were opened; the camera Update searches them. The main
    // frame hands in its child windows; without it the search finds nothing.
    using OpenWindows = std::function<QList<QObject *>()>;
    void setOpenWindows(OpenWindows openWindows) { m_openWindows = std::move(openWindows); }
    QList<QObject *> openWindows() const { return m_openWindows ? m_openWindows() : QList<QObject *>(); }

    // Subscribe returns false when the handle is listed already; Unsubscribe false when it is not.
    bool SubscribeUsers(clsIUsers *dialog, WindowHandle handle) { return m_users.add(dialog, handle); }
    bool UnsubscribeUsers(WindowHandle handle) { return m_users.remove(handle); }
    bool SubscribeDoors(clsIDoors *dialog, WindowHandle handle) { return m_doors.add(dialog, handle); }
    bool UnsubscribeDoors(WindowHandle handle) { return m_doors.remove(handle); }
    bool SubscribeDoorGroups(clsIDoorGroups *dialog, WindowHandle handle) { return m_doorGroups.add(dialog, handle); }
    bool UnsubscribeDoorGroups(WindowHandle handle) { return m_doorGroups.remove(handle); }
    bool SubscribeDevices(clsIDevices *dialog, WindowHandle handle) { return m_devices.add(dialog, handle); }
    bool UnsubscribeDevices(WindowHandle handle) { return m_devices.remove(handle); }
    bool SubscribeCameras(clsICameras *dialog, WindowHandle handle) { return m_cameras.add(dialog, handle); }
    bool UnsubscribeCameras(WindowHandle handle) { return m_cameras.remove(handle); }
    bool SubscribeOperators(clsIOperators *dialog, WindowHandle handle) { return m_operators.add(dialog, handle); }
    bool UnsubscribeOperators(WindowHandle handle) { return m_operators.remove(handle); }
    bool SubscribeOperatorTemplates(clsIOperatorTemplates *dialog, WindowHandle handle)
    {
        return m_operatorTemplates.add(dialog, handle);
    }
    bool UnsubscribeOperatorTemplates(WindowHandle handle) { return m_operatorTemplates.remove(handle); }

    // Users
    void NotifyUserAdded(int32_t userID, int16_t flag);
    void NotifyUserUpdated(int32_t userID);
    void NotifyUserRemoved(int32_t userID);
    void NotifyUsersRefresh();
    // Doors
    void NotifyDoorAdded(int32_t doorID);
    void NotifyDoorRangeAdded(int32_t firstDoorID, int32_t lastDoorID);
    void NotifyDoorUpdated(int32_t doorID, int32_t second);
    void NotifyDoorRemoved(int32_t firstDoorID, int32_t lastDoorID);
    void NotifyDoorsRefresh();
    // Door areas
    void NotifyDoorGroupAdded(int32_t doorGroupID, int16_t flag);
    void NotifyDoorGroupUpdated(int32_t doorGroupID);
    void NotifyDoorGroupRemoved(int32_t doorGroupID);
    // Devices
    void NotifyDeviceAdded(int32_t deviceID);
    void NotifyDeviceUpdated(int32_t deviceID);
    void NotifyDeviceRemoved(int32_t deviceID);
    // Cameras. After the subscribers, the first open window tagged "CAMERA" that shows this camera
    // (properties "Tag" and "CameraID") gets the new "CameraName" and "CameraAddress".
    void NotifyCameraAdded(int32_t cameraID);
    void NotifyCameraUpdated(int32_t cameraID, const QString &cameraName, const QString &cameraAddress);
    void NotifyCameraRemoved(int32_t cameraID);
    // Operators
    void NotifyOperatorAdded(int32_t userID);
    void NotifyOperatorUpdated(int32_t userID);
    void NotifyOperatorRemoved(int32_t userID);
    // Operator templates
    void NotifyOperatorTemplateAdded(int32_t operatorTemplateID);
    void NotifyOperatorTemplateUpdated(int32_t operatorTemplateID);
    void NotifyOperatorTemplateRemoved(int32_t operatorTemplateID);
    void NotifyOperatorTemplatesRefresh();

private:
    template <typename Interface> class SubscriberList
    {
    public:
        bool add(Interface *subscriber, WindowHandle handle);
        bool remove(WindowHandle handle);
        // Calls call(subscriber) for each entry listed when the broadcast started and still listed.
        template <typename Call> void broadcast(Call call) const;

    private:
        struct Entry
        {
            QString key;
            Interface *subscriber;
        };
        std::vector<Entry> m_entries;
    };

    SubscriberList<clsIUsers> m_users;
    SubscriberList<clsIDoors> m_doors;
    SubscriberList<clsIDoorGroups> m_doorGroups;
    SubscriberList<clsIDevices> m_devices;
    SubscriberList<clsICameras> m_cameras;
    SubscriberList<clsIOperators> m_operators;
    SubscriberList<clsIOperatorTemplates> m_operatorTemplates;
    OpenWindows m_openWindows;
};

template <typename Interface> bool Notify::SubscriberList<Interface>::add(Interface *subscriber, WindowHandle handle)
{
    const QString key = QString::number(handle);
    for (const Entry &entry : m_entries) {
        if (entry.key == key)
            return false;
    }
    m_entries.push_back(Entry{key, subscriber});
    return true;
}

template <typename Interface> bool Notify::SubscriberList<Interface>::remove(WindowHandle handle)
{
    const QString key = QString::number(handle);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->key == key) {
            m_entries.erase(it);
            return true;
        }
    }
    return false;
}
