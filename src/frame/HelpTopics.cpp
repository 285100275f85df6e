#include "frame/HelpTopics.h"

#include <iterator>

namespace {

const char *const kAccessAnchors[] = {"GuestCard",       "JoinerCard",    "SuiteCard",      "FutureArrivalCard",
                                      "OneTimeCard",     "EmployeeCard",  "SupervisorCard", "ServiceCard",
                                      "MaintenanceCard", "PowerDownCard", "EmergencyCard"};
const char *const kFunctionAnchors[] = {"CancelCard",          "ClearanceCard", "StandOpenCard",     "PrivacyCard",
                                        "BlockingCard",        "LockingCard",   "CommunicationCard", "BatteryAlarmCard",
                                        "ClearCancelListCard", "OperatorCard"};
const char *const kListPages[] = {
    "9420Win_lists_card.htm",       "9420Win_lists_user.htm",     "9420Win_lists_door.htm",
    "9420Win_lists_door_area.htm",  "9420Win_lists_access.htm",   "9420Win_lists_readout.htm",
    "9420Win_lists_operator.htm",   "9420Win_lists_template.htm", "9420Win_lists_camera.htm",
    "9420Win_lists_subscribed.htm", "9420Win_lists_devices.htm",  "9420Win_reports_occupied.htm",
    "9420Win_reports_vacant.htm"};

template <size_t N> const char *entry(const char *const (&table)[N], int first, int context)
{
    const int index = context - first;
    return index >= 0 && index < int(N) ? table[index] : nullptr;
}

} // namespace

QString HelpPageFor(int contextNumber)
{
    if (const char *anchor = entry(kAccessAnchors, 1001, contextNumber))
        return QStringLiteral("9420Win_cards_access.htm#") + QLatin1String(anchor);
    if (const char *anchor = entry(kFunctionAnchors, 1101, contextNumber))
        return QStringLiteral("9420Win_cards_function.htm#") + QLatin1String(anchor);
    if (const char *page = entry(kListPages, 1201, contextNumber))
        return QLatin1String(page);
    return QString();
}
