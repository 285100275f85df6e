#pragma once

#include <QString>
#include <QtGlobal>

class CardsIntf;

// What a device reports now, as the device-status window shows it, free of widgets.
struct DeviceState
{
    enum class State { Answers, NotReady, Stopped, FolderMissing, UnknownDevice, NoStateReported };
    enum class Slot { NotShown, Empty, Blank, Card };
    State state = State::NoStateReported;
    Slot slot = Slot::NotShown;
    QString place; // the folder, or "host:port" of an interface
};

// Asks the card server about a virtual device (QueryDevice) and tells a stop and a missing folder
// apart from a device that does not answer; an encoder's slot is looked at in its folder. A
// property-management interface reports nothing yet: its service is not part of this program.
DeviceState QueryDeviceState(CardsIntf *cards, qint32 deviceID, qint32 deviceType, const QString &portName);
