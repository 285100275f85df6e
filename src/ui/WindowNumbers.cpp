#include "ui/WindowNumbers.h"

#include <QHash>

namespace {

const QHash<QString, int> &numbers()
{
    static const QHash<QString, int> table = {
        {QStringLiteral("frmUserList"), 1},         {QStringLiteral("frmDoorList"), 2},
        {QStringLiteral("frmDoorAreaList"), 3},     {QStringLiteral("frmEventList"), 4},
        {QStringLiteral("frmReadoutList"), 5},      {QStringLiteral("frmOperatorList"), 6},
        {QStringLiteral("frmCardList"), 7},         {QStringLiteral("frmOpTemplateList"), 8},
        {QStringLiteral("frmDeviceList"), 9},       {QStringLiteral("frmCameraList"), 10},
        {QStringLiteral("frmSubCameras"), 11},      {QStringLiteral("frmOccupiedRoomsList"), 12},
        {QStringLiteral("frmVacantRoomsList"), 13}, {QStringLiteral("frmUserData"), 14},
        {QStringLiteral("frmDoorData"), 15},        {QStringLiteral("frmDoorAreaData"), 16},
        {QStringLiteral("frmOperatorData"), 17},    {QStringLiteral("frmOpTemplateData"), 18},
        {QStringLiteral("frmEmployeeCard"), 19},    {QStringLiteral("frmBlockingCard"), 20},
        {QStringLiteral("frmSupervisorCard"), 21},  {QStringLiteral("frmCancelCard"), 22},
        {QStringLiteral("frmClearanceCard"), 23},   {QStringLiteral("frmEmergencyCard"), 24},
        {QStringLiteral("frmFunctionCard"), 25},    {QStringLiteral("frmPrivacyCard"), 26},
        {QStringLiteral("frmStandOpenCard"), 27},   {QStringLiteral("frmSystemIDCard"), 28},
        {QStringLiteral("frmLockingCard"), 29},     {QStringLiteral("frmServiceCard"), 30},
        {QStringLiteral("frmCommonAreaCard"), 31},  {QStringLiteral("frmMaintenanceCard"), 32},
        {QStringLiteral("frmGuestCard"), 33},       {QStringLiteral("frmFutureArrivalCard"), 34},
        {QStringLiteral("frmSuiteCard"), 35},       {QStringLiteral("frmPowerDownCard"), 36},
        {QStringLiteral("frmOneTimeCard"), 37},     {QStringLiteral("frmOperatorCard"), 38},
        {QStringLiteral("frmDeviceData"), 39},      {QStringLiteral("frmCameraData"), 40},
        {QStringLiteral("frmGetEvents"), 41},       {QStringLiteral("frmDeviceStatus"), 42},
        {QStringLiteral("frmWingList"), 43},        {QStringLiteral("frmWingData"), 44},
        {QStringLiteral("frmXrefOpTemplate"), 45},  {QStringLiteral("frmOptions"), 46},
        {QStringLiteral("frmOverride"), 47},        {QStringLiteral("frmCameraEvent"), 48},
    };
    return table;
}

} // namespace

int WindowNumber::of(const QString &kind)
{
    return numbers().value(kind, -1);
}
