#include "admin/DeviceStatus.h"

#include "admin/DeviceRules.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/cardserver/VirtualDeviceFolder.h"

DeviceState QueryDeviceState(CardsIntf *cards, qint32 deviceID, qint32 deviceType, const QString &portName)
{
    using State = DeviceState::State;
    DeviceState result;
    result.place = portName;
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
