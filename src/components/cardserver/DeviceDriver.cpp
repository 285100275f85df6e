#include "components/cardserver/DeviceDriver.h"

#include "components/cardserver/VirtualEncoder.h"
#include "components/cardserver/VirtualHandheld.h"

std::unique_ptr<DeviceDriver> createVirtualDriver(const DeviceInfo &info)
{
    switch (info.deviceType) {
    case DeviceInfo::kEncoder:
        return std::make_unique<VirtualEncoder>(info);
    case DeviceInfo::kHandheld:
        return std::make_unique<VirtualHandheld>(info);
    default:
        return nullptr;
    }
}
