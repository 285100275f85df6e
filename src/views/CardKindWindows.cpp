#include "views/CardKindWindows.h"

CardKindWindow cardKindWindow(qint32 cardNameID)
{
    struct Entry
    {
        qint32 kind;
        const char *window;
        int function;
    };
    static constexpr Entry kEntries[] = {
        {256, "frmGuestCard", -1},         {257, "frmGuestCard", -1},     {258, "frmSuiteCard", -1},
        {259, "frmFutureArrivalCard", -1}, {260, "frmEmployeeCard", -1},  {261, "frmSupervisorCard", -1},
        {262, "frmClearanceCard", -1},     {263, "frmStandOpenCard", -1}, {264, "frmPrivacyCard", -1},
        {265, "frmBlockingCard", -1},      {266, "frmOneTimeCard", -1},   {267, "frmPowerDownCard", -1},
        {268, "frmEmergencyCard", -1},     {269, "frmCancelCard", -1},    {270, "frmOperatorCard", -1},
        {271, "frmFunctionCard", 0},       {272, "frmLockingCard", -1},   {273, "frmServiceCard", -1},
        {274, "frmCommonAreaCard", -1},    {275, "frmSystemIDCard", -1},  {276, "frmMaintenanceCard", -1},
        {277, "frmFunctionCard", 1},       {278, "frmFunctionCard", 2},   {279, "frmFunctionCard", 3},
    };
    for (const Entry &e : kEntries)
        if (e.kind == cardNameID)
            return {QLatin1String(e.window), e.function};
    return {};
}
