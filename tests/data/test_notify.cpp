#include "RecordingWindow.h"
#include "session/Notify.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Implements every interface and writes each call it receives into a shared log.
class Recorder : public clsIUsers,
                 public clsIDoors,
                 public clsIDoorGroups,
                 public clsIDevices,
                 public clsICameras,
                 public clsIOperators,
                 public clsIOperatorTemplates
{
public:
    Recorder(QString name, QStringList &log) : m_name(std::move(name)), m_log(log) {}

    std::function<void()> onCall; // runs inside every handler, after the call is logged

    void Add(int32_t id, int16_t flag) override { record(QStringLiteral("Add(%1,%2)").arg(id).arg(flag)); }
    void Add(int32_t id) override { record(QStringLiteral("Add(%1)").arg(id)); }
    void AddRange(int32_t first, int32_t last) override
    {
        record(QStringLiteral("AddRange(%1,%2)").arg(first).arg(last));
    }
    void Update(int32_t id, int32_t second) override { record(QStringLiteral("Update(%1,%2)").arg(id).arg(second)); }
    void Update(int32_t id) override { record(QStringLiteral("Update(%1)").arg(id)); }
    void Remove(int32_t first, int32_t last) override { record(QStringLiteral("Remove(%1,%2)").arg(first).arg(last)); }
    void Remove(int32_t id) override { record(QStringLiteral("Remove(%1)").arg(id)); }
    void Refresh() override { record(QStringLiteral("Refresh()")); }

private:
    void record(const QString &call)
    {
        m_log << m_name + QLatin1Char('.') + call;
        if (onCall)
            onCall();
    }

    QString m_name;
    QStringList &m_log;
};

enum Kind { Users, Doors, DoorGroups, Devices, Cameras, Operators, OperatorTemplates };

bool subscribe(Notify &n, Kind kind, Recorder &r, Notify::WindowHandle h)
{
    switch (kind) {
    case Users:
        return n.SubscribeUsers(&r, h);
    case Doors:
        return n.SubscribeDoors(&r, h);
    case DoorGroups:
        return n.SubscribeDoorGroups(&r, h);
    case Devices:
        return n.SubscribeDevices(&r, h);
    case Cameras:
        return n.SubscribeCameras(&r, h);
    case Operators:
        return n.SubscribeOperators(&r, h);
    case OperatorTemplates:
        return n.SubscribeOperatorTemplates(&r, h);
    }
    return false;
}

void subscribeAll(Notify &n, Recorder &r, Notify::WindowHandle h)
{
    for (Kind kind : {Users, Doors, DoorGroups, Devices, Cameras, Operators, OperatorTemplates})
        ASSERT_TRUE(subscribe(n, kind, r, h));
}

struct Broadcast
{
    const char *name;
    std::function<void(Notify &)> send;
    Kind kind;
    const char *call;
};

const Broadcast kBroadcasts[] = {
    {"user added", [](Notify &n) { n.NotifyUserAdded(5, 2); }, Users, "Add(5,2)"},
    {"user updated", [](Notify &n) { n.NotifyUserUpdated(5); }, Users, "Update(5)"},
    {"user removed", [](Notify &n) { n.NotifyUserRemoved(5); }, Users, "Remove(5)"},
    {"users refresh", [](Notify &n) { n.NotifyUsersRefresh(); }, Users, "Refresh()"},
    {"door added", [](Notify &n) { n.NotifyDoorAdded(101); }, Doors, "Add(101)"},
    {"door range added", [](Notify &n) { n.NotifyDoorRangeAdded(101, 120); }, Doors, "AddRange(101,120)"},
    {"door updated", [](Notify &n) { n.NotifyDoorUpdated(101, 7); }, Doors, "Update(101,7)"},
    {"door removed", [](Notify &n) { n.NotifyDoorRemoved(101, 103); }, Doors, "Remove(101,103)"},
    {"doors refresh", [](Notify &n) { n.NotifyDoorsRefresh(); }, Doors, "Refresh()"},
    {"door area added", [](Notify &n) { n.NotifyDoorGroupAdded(3, 1); }, DoorGroups, "Add(3,1)"},
    {"door area updated", [](Notify &n) { n.NotifyDoorGroupUpdated(3); }, DoorGroups, "Update(3)"},
    {"door area removed", [](Notify &n) { n.NotifyDoorGroupRemoved(3); }, DoorGroups, "Remove(3)"},
    {"device added", [](Notify &n) { n.NotifyDeviceAdded(4); }, Devices, "Add(4)"},
    {"device updated", [](Notify &n) { n.NotifyDeviceUpdated(4); }, Devices, "Update(4)"},
    {"device removed", [](Notify &n) { n.NotifyDeviceRemoved(4); }, Devices, "Remove(4)"},
    {"camera added", [](Notify &n) { n.NotifyCameraAdded(8); }, Cameras, "Add(8)"},
    {"camera updated", [](Notify &n) { n.NotifyCameraUpdated(8, QStringLiteral("Lobby"), QString()); }, Cameras,
     "Update(8)"},
    {"camera removed", [](Notify &n) { n.NotifyCameraRemoved(8); }, Cameras, "Remove(8)"},
    {"operator added", [](Notify &n) { n.NotifyOperatorAdded(9); }, Operators, "Add(9)"},
    {"operator updated", [](Notify &n) { n.NotifyOperatorUpdated(9); }, Operators, "Update(9)"},
    {"operator removed", [](Notify &n) { n.NotifyOperatorRemoved(9); }, Operators, "Remove(9)"},
    {"template added", [](Notify &n) { n.NotifyOperatorTemplateAdded(300); }, OperatorTemplates, "Add(300)"},
    {"template updated", [](Notify &n) { n.NotifyOperatorTemplateUpdated(300); }, OperatorTemplates, "Update(300)"},
    {"template removed", [](Notify &n) { n.NotifyOperatorTemplateRemoved(300); }, OperatorTemplates, "Remove(300)"},
    {"templates refresh", [](Notify &n) { n.NotifyOperatorTemplatesRefresh(); }, OperatorTemplates, "Refresh()"},
};

// Every broadcast reaches exactly the subscribers of its own kind, with its arguments, in order.
TEST(Notify, EachBroadcastCallsItsOperationOnItsOwnSubscribersInSubscriptionOrder)
{
    for (const Broadcast &b : kBroadcasts) {
        SCOPED_TRACE(b.name);
        QStringList log;
        Notify notify;
        Recorder first(QStringLiteral("first"), log), second(QStringLiteral("second"), log),
            other(QStringLiteral("other"), log);
        // Handles deliberately out of numeric and text order: the order is the order of subscription.
        ASSERT_TRUE(subscribe(notify, b.kind, first, 900));
        ASSERT_TRUE(subscribe(notify, b.kind, second, 10));
        for (Kind kind : {Users, Doors, DoorGroups, Devices, Cameras, Operators, OperatorTemplates}) {
            if (kind != b.kind) {
                ASSERT_TRUE(subscribe(notify, kind, other, 55));
            }
        }
        b.send(notify);
        const QString call = QString::fromLatin1(b.call);
        EXPECT_EQ(log, QStringList({QStringLiteral("first.") + call, QStringLiteral("second.") + call}));
    }
}

TEST(Notify, WithoutSubscribersOrAfterUnsubscribingNothingIsCalled)
{
    QStringList log;
    Notify notify;
    for (const Broadcast &b : kBroadcasts)
        b.send(notify);
    Recorder r(QStringLiteral("r"), log);
    subscribeAll(notify, r, 42);
    EXPECT_TRUE(notify.UnsubscribeUsers(42));
    EXPECT_TRUE(notify.UnsubscribeDoors(42));
    EXPECT_TRUE(notify.UnsubscribeDoorGroups(42));
    EXPECT_TRUE(notify.UnsubscribeDevices(42));
    EXPECT_TRUE(notify.UnsubscribeCameras(42));
    EXPECT_TRUE(notify.UnsubscribeOperators(42));
    EXPECT_TRUE(notify.UnsubscribeOperatorTemplates(42));
    for (const Broadcast &b : kBroadcasts)
        b.send(notify);
    EXPECT_TRUE(log.isEmpty()) << log.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(notify.UnsubscribeUsers(42));
}

TEST(Notify, ASecondSubscriptionUnderTheSameHandleIsRefused)
{
    QStringList log;
    Notify notify;
    Recorder window(QStringLiteral("window"), log), impostor(QStringLiteral("impostor"), log);
    EXPECT_TRUE(notify.SubscribeUsers(&window, 7));
    EXPECT_FALSE(notify.SubscribeUsers(&window, 7));
    EXPECT_FALSE(notify.SubscribeUsers(&impostor, 7));
    // The same handle is free in the other lists.
    EXPECT_TRUE(notify.SubscribeDoors(&window, 7));
    notify.NotifyUserUpdated(1);
    EXPECT_EQ(log, QStringList{QStringLiteral("window.Update(1)")});

    // Unloaded and loaded again, the window is listed again, now last.
    Recorder later(QStringLiteral("later"), log);
    EXPECT_TRUE(notify.SubscribeUsers(&later, 8));
    EXPECT_TRUE(notify.UnsubscribeUsers(7));
    EXPECT_TRUE(notify.SubscribeUsers(&window, 7));
    log.clear();
    notify.NotifyUsersRefresh();
    EXPECT_EQ(log, QStringList({QStringLiteral("later.Refresh()"), QStringLiteral("window.Refresh()")}));
}

TEST(Notify, AnErrorInAHandlerEndsTheBroadcastAndReachesTheSender)
{
    QStringList log;
    Notify notify;
    Recorder a(QStringLiteral("a"), log), b(QStringLiteral("b"), log), c(QStringLiteral("c"), log);
    b.onCall = [] { throw std::runtime_error("grid reload failed"); };
    notify.SubscribeDoors(&a, 1);
    notify.SubscribeDoors(&b, 2);
    notify.SubscribeDoors(&c, 3);
    EXPECT_THROW(notify.NotifyDoorAdded(12), std::runtime_error);
    EXPECT_EQ(log, QStringList({QStringLiteral("a.Add(12)"), QStringLiteral("b.Add(12)")}));
}

TEST(Notify, AWindowClosedByAnEarlierHandlerIsNotCalled)
{
    QStringList log;
    Notify notify;
    Recorder a(QStringLiteral("a"), log), b(QStringLiteral("b"), log), c(QStringLiteral("c"), log),
        opened(QStringLiteral("opened"), log);
    a.onCall = [&] {
        notify.UnsubscribeUsers(2);
        notify.SubscribeUsers(&opened, 4);
    };
    notify.SubscribeUsers(&a, 1);
    notify.SubscribeUsers(&b, 2);
    notify.SubscribeUsers(&c, 3);
    notify.NotifyUserRemoved(6);
    EXPECT_EQ(log, QStringList({QStringLiteral("a.Remove(6)"), QStringLiteral("c.Remove(6)")}));
}

TEST(Notify, CameraUpdateRenamesTheFirstOpenLiveWindowOfThatCameraAfterTheSubscribers)
{
    QObject plain; // a window of no camera
    RecordingWindow otherCamera, live, second;
    otherCamera.cameraID = 9;
    live.cameraID = second.cameraID = 8;

    QStringList log;
    Notify notify;
    notify.setOpenWindows([&] { return QList<QObject *>{&plain, &otherCamera, &live, &second}; });
    Recorder subscriber(QStringLiteral("s"), log);
    QStringList seenBySubscriber{QStringLiteral("not called")};
    subscriber.onCall = [&] { seenBySubscriber = live.calls; };
    notify.SubscribeCameras(&subscriber, 1);

    notify.NotifyCameraUpdated(8, QStringLiteral("Front desk"), QStringLiteral("10.0.0.8"));

    EXPECT_EQ(log, QStringList{QStringLiteral("s.Update(8)")});
    EXPECT_TRUE(seenBySubscriber.isEmpty());
    EXPECT_EQ(live.calls, QStringList{QStringLiteral("CameraUpdated Front desk 10.0.0.8")});
    EXPECT_TRUE(second.calls.isEmpty());
    EXPECT_TRUE(otherCamera.calls.isEmpty());
}

} // namespace
