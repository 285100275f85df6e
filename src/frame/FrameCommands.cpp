#include "frame/FrameCommands.h"

#include <iterator>

namespace FrameCommands {

namespace {

// In menu order; the context menu takes the rows marked for it in the same order.
constexpr Command kCommands[] = {
    {"mnuFileLogOn", Menu::File, 18004, "", false, Rule::Always, 0, Parameter::None, Action::LogOn, "", "",
     Argument::None, 0, false},
    {"mnuFileLogOff", Menu::File, 18005, "", false, Rule::Always, 0, Parameter::None, Action::LogOff, "", "",
     Argument::None, 0, false},
    {"mnuFileEncoderSelect", Menu::File, 18001, "", false, Rule::Always, 0, Parameter::None, Action::EncoderSetup, "",
     "", Argument::None, 0, true},
    {"mnuFileSetupHCU", Menu::File, 18006, "", false, Rule::Function, 9, Parameter::None, Action::SetupHCU, "", "",
     Argument::None, 0, false},
    {"mnuFileOverride", Menu::File, 18003, "", false, Rule::Override, 0, Parameter::None, Action::Open, "frmOverride",
     "", Argument::None, 0, true},
    {"mnuFileExit", Menu::File, 18002, "", false, Rule::Always, 0, Parameter::None, Action::Exit, "", "",
     Argument::None, 0, true},
    {"mnuViewToolbar", Menu::View, 18201, "", false, Rule::Always, 0, Parameter::None, Action::ToggleToolbar, "", "",
     Argument::None, 0, false},
    {"mnuViewStatusBar", Menu::View, 18202, "", false, Rule::Always, 0, Parameter::None, Action::ToggleStatusBar, "",
     "", Argument::None, 0, false},
    {"mnuViewNavWindow", Menu::View, 18216, "V9", false, Rule::Always, 0, Parameter::None, Action::NavWindow, "", "",
     Argument::None, 0, false},
    {"mnuViewCardList", Menu::View, 18205, "V1", true, Rule::Read, 48, Parameter::None, Action::OpenList, "frmCardList",
     "frmCardSearchFilters", Argument::None, 0, true},
    {"mnuViewUserList", Menu::View, 18206, "V2", true, Rule::Read, 16, Parameter::None, Action::Open, "frmUserList", "",
     Argument::None, 0, false},
    {"mnuViewDoorList", Menu::View, 18207, "V3", true, Rule::Read, 0, Parameter::None, Action::Open, "frmDoorList", "",
     Argument::None, 0, false},
    {"mnuViewDoorAreaList", Menu::View, 18217, "V10", true, Rule::Read, 384, Parameter::None, Action::Open,
     "frmDoorAreaList", "", Argument::None, 0, false},
    {"mnuViewEventList", Menu::View, 18208, "V4", true, Rule::Read, 64, Parameter::None, Action::OpenList,
     "frmEventList", "frmEventSearchFilters", Argument::None, 0, false},
    {"mnuViewReadoutList", Menu::View, 18209, "V5", true, Rule::Read, 64, Parameter::None, Action::Open,
     "frmReadoutList", "", Argument::None, 0, false},
    {"mnuViewOperatorList", Menu::View, 18211, "V6", true, Rule::Read, 32, Parameter::None, Action::Open,
     "frmOperatorList", "", Argument::None, 0, false},
    {"mnuViewOpTemplateList", Menu::View, 18213, "V8", true, Rule::Read, 704, Parameter::None, Action::Open,
     "frmOpTemplateList", "", Argument::None, 0, false},
    {"mnuViewCameraList", Menu::View, 18218, "V16", true, Rule::Read, 720, Parameter::None, Action::Open,
     "frmCameraList", "", Argument::None, 0, false},
    {"mnuViewSubCameras", Menu::View, 18219, "V17", true, Rule::Read, 720, Parameter::None, Action::Open,
     "frmSubCameras", "", Argument::None, 0, false},
    {"mnuViewDeviceList", Menu::View, 18212, "V7", true, Rule::Read, 80, Parameter::None, Action::Open, "frmDeviceList",
     "", Argument::None, 0, false},
    {"mnuViewWingCodeList", Menu::View, 18220, "V18", true, Rule::Read, 992, Parameter::WingCodes, Action::Open,
     "frmWingList", "", Argument::None, 0, false},
    {"mnuViewSysSettings", Menu::View, 18203, "V11", true, Rule::Read, 208, Parameter::None, Action::OpenModal,
     "frmPreview", "", Argument::None, 0, true},
    {"mnuViewDoorAccess", Menu::View, 18204, "V12", true, Rule::Read, 48, Parameter::None, Action::DoorAccess,
     "frmCardList", "", Argument::None, 0, false},
    {"mnuViewExpiringCards", Menu::View, 18210, "V13", true, Rule::Read, 48, Parameter::None, Action::ExpiringCards,
     "frmCardList", "", Argument::None, 0, false},
    {"mnuViewOccupiedRooms", Menu::View, 18214, "V14", true, Rule::Read, 48, Parameter::None, Action::Open,
     "frmOccupiedRoomsList", "", Argument::None, 0, true},
    {"mnuViewVacantRooms", Menu::View, 18215, "V15", true, Rule::Read, 48, Parameter::None, Action::Open,
     "frmVacantRoomsList", "", Argument::None, 0, false},
    {"mnuAddNewUser", Menu::Add, 18801, "A1", true, Rule::Write, 16, Parameter::None, Action::Open, "frmUserData", "",
     Argument::NewRecord, 0, false},
    {"mnuAddNewDoor", Menu::Add, 18803, "A3", true, Rule::Write, 0, Parameter::None, Action::Open, "frmDoorData", "",
     Argument::NewRecord, 0, false},
    {"mnuAddNewDoorArea", Menu::Add, 18804, "A4", true, Rule::Write, 384, Parameter::None, Action::Open,
     "frmDoorAreaData", "", Argument::NewRecord, 0, false},
    {"mnuAddNewOperator", Menu::Add, 18807, "A7", true, Rule::Write, 32, Parameter::None, Action::Open,
     "frmOperatorData", "", Argument::NewRecord, 0, false},
    {"mnuAddNewOperatorTemplate", Menu::Add, 18809, "A9", true, Rule::Write, 704, Parameter::None, Action::Open,
     "frmOpTemplateData", "", Argument::NewRecord, 0, false},
    {"mnuAddNewCamera", Menu::Add, 18802, "A2", true, Rule::Write, 720, Parameter::None, Action::Open, "frmCameraData",
     "", Argument::NewRecord, 0, false},
    {"mnuAddNewDevice", Menu::Add, 18808, "A8", true, Rule::Write, 80, Parameter::None, Action::Open, "frmDeviceData",
     "", Argument::NewRecord, 0, false},
    {"mnuAddNewWingCode", Menu::Add, 18805, "A5", true, Rule::Write, 992, Parameter::WingCodes, Action::Open,
     "frmWingData", "", Argument::NewRecord, 0, false},
    {"mnuACardsGuest", Menu::Access, 18301, "AC1", true, Rule::CardKind, 256, Parameter::None, Action::Open,
     "frmGuestCard", "", Argument::Joiner, 0, false},
    {"mnuACardsJoiner", Menu::Access, 18302, "AC2", true, Rule::CardKind, 257, Parameter::None, Action::Open,
     "frmGuestCard", "", Argument::Joiner, 1, false},
    {"mnuACardsSuite", Menu::Access, 18304, "AC4", true, Rule::CardKind, 258, Parameter::None, Action::Open,
     "frmSuiteCard", "", Argument::None, 0, false},
    {"mnuACardsFutureArrival", Menu::Access, 18303, "AC3", true, Rule::CardKind, 259, Parameter::None, Action::Open,
     "frmFutureArrivalCard", "", Argument::None, 0, false},
    {"mnuACardsOneTime", Menu::Access, 18309, "AC9", true, Rule::CardKind, 266, Parameter::None, Action::Open,
     "frmOneTimeCard", "", Argument::None, 0, false},
    {"mnuACardsEmployee", Menu::Access, 18305, "AC5", true, Rule::CardKind, 260, Parameter::None, Action::Open,
     "frmEmployeeCard", "", Argument::None, 0, true},
    {"mnuACardsSupervisor", Menu::Access, 18306, "AC6", true, Rule::CardKind, 261, Parameter::None, Action::Open,
     "frmSupervisorCard", "", Argument::None, 0, false},
    {"mnuACardsService", Menu::Access, 18310, "AC10", true, Rule::CardKind, 273, Parameter::None, Action::Open,
     "frmServiceCard", "", Argument::None, 0, false},
    {"mnuACardsMaintenance", Menu::Access, 18311, "AC11", true, Rule::CardKind, 276, Parameter::None, Action::Open,
     "frmMaintenanceCard", "", Argument::None, 0, false},
    {"mnuACardsCommonArea", Menu::Access, 18312, "AC12", false, Rule::Untouched, 274, Parameter::None, Action::Open,
     "frmCommonAreaCard", "", Argument::None, 0, false},
    {"mnuACardsPowerDown", Menu::Access, 18308, "AC8", true, Rule::CardKind, 267, Parameter::None, Action::Open,
     "frmPowerDownCard", "", Argument::None, 0, true},
    {"mnuACardsEmergency", Menu::Access, 18307, "AC7", true, Rule::CardKind, 268, Parameter::None, Action::Open,
     "frmEmergencyCard", "", Argument::None, 0, false},
    {"mnuFCardsCancel", Menu::Function, 18605, "FC5", true, Rule::CardKind, 269, Parameter::None, Action::Open,
     "frmCancelCard", "", Argument::None, 0, false},
    {"mnuFCardsClearance", Menu::Function, 18604, "FC4", true, Rule::CardKind, 262, Parameter::None, Action::Open,
     "frmClearanceCard", "", Argument::None, 0, false},
    {"mnuFCardsStandOpen", Menu::Function, 18601, "FC1", true, Rule::CardKind, 263, Parameter::None, Action::Open,
     "frmStandOpenCard", "", Argument::None, 0, false},
    {"mnuFCardsPrivacy", Menu::Function, 18602, "FC2", true, Rule::CardKind, 264, Parameter::None, Action::Open,
     "frmPrivacyCard", "", Argument::None, 0, false},
    {"mnuFCardsBlocking", Menu::Function, 18603, "FC3", true, Rule::CardKind, 265, Parameter::None, Action::Open,
     "frmBlockingCard", "", Argument::None, 0, false},
    {"mnuFCardsLocking", Menu::Function, 18607, "FC7", true, Rule::CardKind, 272, Parameter::None, Action::Open,
     "frmLockingCard", "", Argument::None, 0, false},
    {"mnuFCardsCommunication", Menu::Function, 18608, "FC8", true, Rule::CardKind, 271, Parameter::None, Action::Open,
     "frmFunctionCard", "", Argument::Function, 0, true},
    {"mnuFCardsBatteryAlarm", Menu::Function, 18609, "FC9", true, Rule::CardKind, 277, Parameter::None, Action::Open,
     "frmFunctionCard", "", Argument::Function, 1, false},
    {"mnuFCardsClearCancelList", Menu::Function, 18611, "FC11", true, Rule::CardKind, 278, Parameter::None,
     Action::Open, "frmFunctionCard", "", Argument::Function, 2, false},
    {"mnuFCardsClearReadoutList", Menu::Function, 18612, "FC12", true, Rule::CardKind, 279, Parameter::None,
     Action::Open, "frmFunctionCard", "", Argument::Function, 3, false},
    {"mnuFCardsOperator", Menu::Function, 18606, "FC6", true, Rule::CardKind, 270, Parameter::NeedOpCardAtLogon,
     Action::Open, "frmOperatorCard", "", Argument::None, 0, true},
    {"mnuFCardsSystemID", Menu::Function, 18610, "FC10", true, Rule::CardKind, 275, Parameter::None, Action::Open,
     "frmSystemIDCard", "", Argument::None, 0, false},
    {"mnuToolsVerifyMagCard", Menu::Tools, 18101, "T1", true, Rule::Function, 10, Parameter::AllowVerifyMagCard,
     Action::VerifyCard, "", "", Argument::None, 0, false},
    {"mnuToolsReadoutsFromHCU", Menu::Tools, 18102, "T2", true, Rule::Function, 6, Parameter::AllowReadFromHCU,
     Action::Open, "frmGetEvents", "", Argument::None, 0, false},
    {"mnuToolsIncreaseOverride", Menu::Tools, 18107, "T7", true, Rule::Function, 19, Parameter::None,
     Action::IncreaseOverride, "", "", Argument::None, 0, true},
    {"mnuToolsPMSHCU", Menu::Tools, 18108, "T8", true, Rule::Read, 80, Parameter::None, Action::Open, "frmDeviceStatus",
     "", Argument::None, 0, false},
    {"mnuToolsXRef", Menu::Tools, 18103, "T3", true, Rule::Read, 704, Parameter::None, Action::Open,
     "frmXrefOpTemplate", "", Argument::None, 0, true},
    {"mnuToolsOptions", Menu::Tools, 18105, "T4", true, Rule::Function, 3, Parameter::None, Action::Open, "frmOptions",
     "", Argument::None, 0, true},
    {"mnuWindowCascade", Menu::Window, 18401, "", false, Rule::Always, 0, Parameter::None, Action::Cascade, "", "",
     Argument::None, 0, false},
    {"mnuWindowTileHorizontal", Menu::Window, 18402, "", false, Rule::Always, 0, Parameter::None,
     Action::TileHorizontal, "", "", Argument::None, 0, false},
    {"mnuWindowTileVertical", Menu::Window, 18403, "", false, Rule::Always, 0, Parameter::None, Action::TileVertical,
     "", "", Argument::None, 0, false},
    {"mnuHelpContents", Menu::Help, 18501, "", false, Rule::Help, 0, Parameter::None, Action::HelpContents, "", "",
     Argument::None, 0, false},
    {"mnuHelpSearch", Menu::Help, 18502, "", false, Rule::Help, 0, Parameter::None, Action::HelpSearch, "", "",
     Argument::None, 0, false},
    {"mnuHelpAbout", Menu::Help, 18503, "", false, Rule::Always, 0, Parameter::None, Action::About, "frmAbout", "",
     Argument::None, 0, true},
};

constexpr MenuDef kMenus[] = {
    {Menu::File, "mnuFile", 18000},     {Menu::View, "mnuView", 18200},       {Menu::Add, "mnuAdd", 18800},
    {Menu::Access, "mnuACards", 18300}, {Menu::Function, "mnuFCards", 18600}, {Menu::Tools, "mnuTools", 18100},
    {Menu::Window, "mnuWindow", 18400}, {Menu::Help, "mnuHelp", 18500},
};

} // namespace

std::span<const Command> all()
{
    return kCommands;
}

const Command *byName(const QString &name)
{
    for (const Command &command : kCommands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

const Command *byKey(const QString &key)
{
    if (key.isEmpty())
        return nullptr;
    for (const Command &command : kCommands) {
        if (key == QLatin1String(command.key))
            return &command;
    }
    return nullptr;
}

std::span<const MenuDef> menus()
{
    return kMenus;
}

QString contextGroupKey(Menu menu)
{
    switch (menu) {
    case Menu::View:
        return QStringLiteral("VIEW");
    case Menu::Add:
        return QStringLiteral("ADD");
    case Menu::Access:
        return QStringLiteral("ACCESS");
    case Menu::Function:
        return QStringLiteral("FUNCTION");
    default:
        return QString();
    }
}

const Command *commandForCardKind(int32_t cardNameID)
{
    for (const Command &command : kCommands) {
        if ((command.menu == Menu::Access || command.menu == Menu::Function) && command.code == cardNameID)
            return &command;
    }
    return nullptr;
}

} // namespace FrameCommands
