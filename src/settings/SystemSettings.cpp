#include "settings/SystemSettings.h"

#include "texts/Texts.h"

#include <QRegularExpression>

namespace SystemSettings {

namespace {

using P = clsSystemParams;

const QList<Entry> kEntries = {
    {P::OpCardAtLogonKey, Page::State, Control::Check, "NeedOpCardAtLogon", 29310, 0, 0, -1},
    {P::PropertyNameKey, Page::Property, Control::Text, "PropertyName", 29311, 0, 64, -1},
    {P::GrayIfNotAllowedKey, Page::Logon, Control::Check, "GrayIfNotAllowed", 29312, 0, 0, -1},
    {P::PinMinKey, Page::Logon, Control::Spin, "PINMinLength", 29313, 4, 8, -1},
    {P::PinMandatoryKey, Page::Logon, Control::Check, "PINMandatory", 29314, 0, 0, -1},
    {P::PinPrintKey, Page::Logon, Control::Check, "PINPrint", 29315, 0, 0, -1},
    {P::PinRandomizeKey, Page::Logon, Control::Check, "PINRandomize", 29316, 0, 0, -1},
    {P::OpenTimeKey, Page::Cards, Control::Spin, "DefaultOpenTime", 29317, 1, 255, -1},
    {P::OpCardExpireWarningKey, Page::Logon, Control::Spin, "AlertOp", 29318, 0, 365, -1},
    {P::StaffCardExpireWarningKey, Page::Staff, Control::Spin, "AlertStaffCard", 29319, 0, 365, -1},
    {P::CardExpireWarningKey, Page::Cards, Control::Spin, "AlertCards", 29320, 0, 365, -1},
    {P::CatharsisWarningKey, Page::State, Control::Spin, "WarnHousekeeping", 29321, 0, 0, -1},
    {P::PrinterNote1Key, Page::Property, Control::Text, "PrinterNote", 29322, 0, 765, -1},
    {P::User1NameKey, Page::Property, Control::Text, "NotDefined", 29323, 0, 32, 0},
    {P::User2NameKey, Page::Property, Control::Text, "NotDefined", 29323, 0, 32, 1},
    {P::User3NameKey, Page::Property, Control::Text, "NotDefined", 29323, 0, 32, 2},
    {P::User4NameKey, Page::Property, Control::Text, "NotDefined", 29323, 0, 32, 3},
    {P::OpenModeKey, Page::Cards, Control::Spin, "OpenMode", 29324, 0, 255, -1},
    {P::MaxInactiveTimeKey, Page::Logon, Control::Digits, "Timeout", 29325, 0, 4, -1},
    {P::EmergencyOpeningKey, Page::Cards, Control::Spin, "EmergencyMode", 29326, 0, 255, -1},
    {P::PurgeLimitKey, Page::Database, Control::Digits, "PurgeNonGuestCards", 29327, 0, 5, -1},
    {P::PurgeLimitGuestCardsKey, Page::Database, Control::Spin, "PurgeGuestCards", 29328, 0, 99999, -1},
    {P::PurgeLimitEventsKey, Page::Database, Control::Spin, "PurgeEvents", 29329, 0, 99999, -1},
    {P::CathStartTimeKey, Page::Database, Control::Clock, "CathStartTime", 29330, 0, 5, -1},
    {P::LastCathTimeKey, Page::State, Control::Date, "LastCath", 29331, 0, 0, -1},
    {P::HighestCalendarDateKey, Page::State, Control::Date, "HighestCalendarDate", 29332, 0, 0, -1},
    {P::StoreMovingLogKey, Page::Database, Control::Check, "StoreMovingLog", 29333, 0, 0, -1},
    {P::StoreReadoutKey, Page::Database, Control::Check, "StoreReadout", 29334, 0, 0, -1},
    {P::SolidGroupFilenameKey, Page::Interfaces, Control::Text, "SolidFilename", 29335, 0, 255, -1},
    {P::SolidSystemNumberKey, Page::Interfaces, Control::Spin, "SolidNumber", 29336, 0, 2147483647, -1},
    {P::RegNumFirstKey, Page::Cards, Control::Spin, "RegNoFirst", 29337, 1, 1048575, -1},
    {P::RegNumLastKey, Page::Cards, Control::Spin, "RegNoLast", 29338, 1, 1048575, -1},
    {P::UseSerialNumberKey, Page::Cards, Control::Check, "UseSerialNumber", 29339, 0, 0, -1},
    {P::AccessCardAtLogonKey, Page::Logon, Control::Check, "AccessCardAtLogon", 29340, 0, 0, -1},
    {P::FamilyKey, Page::Cards, Control::Check, "Family", 29341, 0, 0, -1},
    {P::EnableWingsKey, Page::Rooms, Control::Check, "WingCodes", 29342, 0, 0, -1},
    {P::NormalCheckOutKey, Page::Cards, Control::Clock, "NormalCheckOut", 29343, 0, 5, -1},
    {P::NormalCheckInKey, Page::Cards, Control::Clock, "NormalCheckIn", 29344, 0, 5, -1},
    {P::DefaultStayKey, Page::Cards, Control::Digits, "DefaultNights", 29345, 0, 3, -1},
    {P::DefaultGuestCardsKey, Page::Cards, Control::Spin, "DefaultGuestCards", 29346, 1, 256, -1},
    {P::DefaultJoinerCardsKey, Page::Cards, Control::Spin, "DefaultJoinerCards", 29347, 1, 256, -1},
    {P::UseIssueToKey, Page::Cards, Control::Check, "IssueTo", 29348, 0, 0, -1},
    {P::LogonBeforeVerifyMagKey, Page::Logon, Control::Check, "AllowVerifyMagCard", 29349, 0, 0, -1},
    {P::LogonBeforeHcuEventsKey, Page::Logon, Control::Check, "AllowReadFromHCU", 29350, 0, 0, -1},
    {P::AllowGuestDoorOnOffKey, Page::Rooms, Control::Check, "AllowGuestDoorOnOff", 29351, 0, 0, -1},
    {P::EnableGroupAuthKey, Page::Logon, Control::Check, "EnableGroupAuth", 29352, 0, 0, -1},
    {P::Track2StringKey, Page::Track2, Control::Track2, "Track2String", 29353, 0, 40, -1},
    {P::Track2StringStaffKey, Page::Track2, Control::Track2, "Track2StringStaff", 29354, 0, 40, -1},
    {P::Track2GlobalCounterKey, Page::Track2, Control::Spin, "Track2GlobalCounter", 29355, 0, 2147483647, -1},
    {P::Track2CounterPKey, Page::Track2, Control::Spin, "Track2CounterP", 29356, 0, 99999999, -1},
    {P::Track2CounterSKey, Page::Track2, Control::Spin, "Track2CounterS", 29357, 0, 99999999, -1},
    {P::Track2CounterVKey, Page::Track2, Control::Spin, "Track2CounterV", 29358, 0, 99999999, -1},
    {P::FiveDigitsKey, Page::Rooms, Control::Check, "FiveDigits", 29359, 0, 0, -1},
    {P::DefaultCommonKey, Page::Rooms, Control::Spin, "DefaultCommon", 29360, 0, 32767, -1},
    {P::SupervisorTimeZoneFromKey, Page::Staff, Control::Spin, "DefaultSupervisorTimeZoneFrom", 29361, 0, 24, -1},
    {P::SupervisorTimeZoneToKey, Page::Staff, Control::Spin, "DefaultSupervisorTimeZoneTo", 29362, 0, 24, -1},
    {P::EmployeeTimeZoneFromKey, Page::Staff, Control::Spin, "DefaultEmployeeTimeZoneFrom", 29363, 0, 24, -1},
    {P::EmployeeTimeZoneToKey, Page::Staff, Control::Spin, "DefaultEmployeeTimeZoneTo", 29364, 0, 24, -1},
    {P::CommonAreaTimeZoneFromKey, Page::Staff, Control::Spin, "DefaultCommonAreaTimeZoneFrom", 29365, 0, 24, -1},
    {P::CommonAreaTimeZoneToKey, Page::Staff, Control::Spin, "DefaultCommonAreaTimeZoneTo", 29366, 0, 24, -1},
    {P::MaintenanceValidityKey, Page::Staff, Control::Spin, "DefaultMaintenanceHours", 29367, 1, 63, -1},
    {P::ServiceValidityKey, Page::Staff, Control::Spin, "DefaultServiceHours", 29368, 1, 63, -1},
    {P::TicketCommonRoomKey, Page::Interfaces, Control::Spin, "TicketCommonRoom", 29369, 0, 32767, -1},
    {P::TicketPrinterPortKey, Page::Interfaces, Control::Text, "TicketPrinterPort", 29370, 0, 64, -1},
    {P::TicketLeftMarginKey, Page::Interfaces, Control::Spin, "TicketLeftMargin", 29371, 0, 9999, -1},
    {P::TicketPageHeightKey, Page::Interfaces, Control::Spin, "TicketPageHeight", 29372, 0, 9999, -1},
    {P::TicketFreeText1Key, Page::Interfaces, Control::Text, "TicketFreeText", 29373, 0, 64, 0},
    {P::TicketFreeText2Key, Page::Interfaces, Control::Text, "TicketFreeText", 29373, 0, 64, 1},
    {P::TicketFreeText3Key, Page::Interfaces, Control::Text, "TicketFreeText", 29373, 0, 64, 2},
    {P::TicketFreeText4Key, Page::Interfaces, Control::Text, "TicketFreeText", 29373, 0, 64, 3},
    {P::TicketFreeText5Key, Page::Interfaces, Control::Text, "TicketFreeText", 29373, 0, 64, 4},
    {P::TicketFreeText6Key, Page::Interfaces, Control::Text, "TicketFreeText", 29373, 0, 64, 5},
    {P::TicketFreeText7Key, Page::Interfaces, Control::Text, "TicketFreeText", 29373, 0, 64, 6},
    {P::RentalEnabledKey, Page::Interfaces, Control::Check, "RentalEnabled", 29374, 0, 0, -1},
    {P::RentalPathKey, Page::Interfaces, Control::Text, "RentalFolder", 29375, 0, 255, -1},
    {P::RentalCommonRoomKey, Page::Interfaces, Control::Spin, "RentalCommonRoom", 29376, 0, 255, -1},
    {P::BackupWarningDaysKey, Page::Database, Control::Spin, "BackupWarningDays", 29377, 0, 365, -1},
    {P::BackupTimeKey, Page::State, Control::Date, "LastBackup", 29378, 0, 0, -1},
    {P::BackupDirectoryKey, Page::Database, Control::Text, "BackupFolder", 29379, 0, 255, -1},
    {P::NumDeletedCardsKey, Page::State, Control::Spin, "NumDeletedCards", 29380, 0, 0, -1},
    {P::NumCardsKey, Page::State, Control::Spin, "NumCardsLeft", 29381, 0, 0, -1},
    {P::NumUsersKey, Page::State, Control::Spin, "NumUsersLeft", 29382, 0, 0, -1},
    {P::NumEventsKey, Page::State, Control::Spin, "NumEventsLeft", 29383, 0, 0, -1},
    {P::NumFreeRegNumsKey, Page::State, Control::Spin, "NumFreeRegNums", 29384, 0, 0, -1},
    {P::MaxRegNumKey, Page::State, Control::Spin, "MaxRegNo", 29385, 0, 0, -1},
    {P::MinRegNumKey, Page::State, Control::Spin, "MinRegNo", 29386, 0, 0, -1},
};

} // namespace

const QList<Entry> &Entries()
{
    return kEntries;
}

int16_t PageCaption(Page page)
{
    return static_cast<int16_t>(29301 + static_cast<int>(page));
}

QString Caption(const Entry &entry)
{
    const QString caption = GetText(entry.caption);
    return entry.index < 0 ? caption : FormatText(caption, {QString::number(entry.index + 1)});
}

QString ControlName(const Entry &entry)
{
    QString name = QLatin1String(entry.control == Control::Check ? "chk" : "txt") + QLatin1String(entry.property);
    if (entry.index >= 0)
        name += QString::number(entry.index);
    return name;
}

QString ClockText(int32_t minutes)
{
    return QStringLiteral("%1:%2")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

std::optional<int32_t> ParseClock(const QString &text)
{
    static const QRegularExpression clock(QStringLiteral("^([0-9]{1,2}):?([0-9]{2})$"));
    const QRegularExpressionMatch match = clock.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    return hours * 60 + minutes;
}

} // namespace SystemSettings
