#include "admin/DeviceStatus.h"

#include "admin/DeviceRules.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/cardserver/VirtualDeviceFolder.h"

namespace {

DeviceState::State linkState(PmsLinkState state)
{
    using State = DeviceState::State;
    switch (state) {
    case PmsLinkState::Listening:
        return State::Listening;
    case PmsLinkState::Connecting:
        return State::Connecting;
    case PmsLinkState::Linked:
        return State::Linked;
    case PmsLinkState::Broken:
        return State::Broken;
    case PmsLinkState::Stopped:
        break;
    }
    return State::Stopped;
}

} // namespace

DeviceState QueryDeviceState(CardsIntf *cards, qint32 deviceID, qint32 deviceType, const QString &portName,
                             const std::optional<PmsLinkRow> &link)
{
    using State = DeviceState::State;
    DeviceState result;
    result.place = portName;
    if (deviceType == DeviceType::PmsInterface && link) {
        result.state = linkState(link->linkState);
        result.since = link->stateTime;
        result.peer = link->peer;
        result.lastRecords = link->lastRecords;
        return result;
    }
    if (!IsVirtualDevice(deviceType))
        return result;
    if (!cards) {
        result.state = State::NotReady;
        return result;
    }
    const VirtualDeviceFolder folder(VirtualDeviceFolder::resolvePort(cards->deviceDirectory(), portName, deviceID));
    result.place = folder.path();
    switch (cards->QueryDevice(deviceID)) {
    case CardServerStatus::Ok:
        result.state = State::Answers;
        break;
    case CardServerStatus::DeviceNotReady:
        result.state = !folder.exists()             ? State::FolderMissing
                       : folder.isStopped(deviceID) ? State::Stopped
                                                    : State::NotReady;
        break;
    case CardServerStatus::NoEncoder:
        result.state = State::UnknownDevice;
        break;
    default:
        result.state = State::NotReady;
        break;
    }
    if (deviceType == DeviceType::Encoder && folder.exists()) {
        const std::optional<QByteArray> card = folder.card();
        result.slot = !card             ? DeviceState::Slot::Empty
                      : card->isEmpty() ? DeviceState::Slot::Blank
                                        : DeviceState::Slot::Card;
    }
    return result;
}
