#pragma once

#include "pms/PmsLinkJournal.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class CardsIntf;

// What a device reports now, as the device-status window shows it, free of widgets.
struct DeviceState
{
    enum class State {
        Answers,
        NotReady,
        Stopped,
        FolderMissing,
        UnknownDevice,
        NoStateReported,
        // A PMS link, as its service last wrote it.
        Listening,
        Connecting,
        Linked,
        Broken
    };
    enum class Slot { NotShown, Empty, Blank, Card };
    State state = State::NoStateReported;
    Slot slot = Slot::NotShown;
    QString place;    // the folder, or "host:port" of an interface
    double since = 0; // a PMS link: when it came into its state (OLE date); 0 unknown
    QString peer;     // a PMS link: the PMS's address while linked, the last one when broken
    QStringList lastRecords;
};

// Asks the card server about a virtual device (QueryDevice) and tells a stop and a missing folder
// apart from a device that does not answer; an encoder's slot is looked at in its folder. A
// property-management interface shows what its service wrote to PmsLinks (link); without a row
// its service never ran: "No state reported".
DeviceState QueryDeviceState(CardsIntf *cards, qint32 deviceID, qint32 deviceType, const QString &portName,
                             const std::optional<PmsLinkRow> &link = std::nullopt);
