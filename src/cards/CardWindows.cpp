#include "cards/CardWindows.h"

#include "cards/frmCancelCard.h"
#include "cards/frmFunctionCards.h"
#include "cards/frmFutureArrivalCard.h"
#include "cards/frmGroupCheckIn.h"
#include "cards/frmGuestCard.h"
#include "cards/frmLockModeCards.h"
#include "cards/frmOneTimeCard.h"
#include "cards/frmOperatorCard.h"
#include "cards/frmPowerDownCard.h"
#include "cards/frmPrivacyCard.h"
#include "cards/frmStaffCards.h"
#include "cards/frmSuiteCard.h"
#include "session/Workstation.h"

namespace {

template <typename Dialog> void addStaffWindow(Workstation &ws)
{
    ws.frameWindows.windows.add(WindowKinds::card(QLatin1String(Dialog::kKind.objectName)), [&ws](QWidget *parent) {
        return new Dialog(ws.program, ws.db, ws.cardServers, ws.session, ws.frameWindows, parent);
    });
}

} // namespace

void RegisterCardWindows(Workstation &ws)
{
    ws.frameWindows.windows.add(WindowKinds::card(QStringLiteral("frmGuestCard")), [&ws](QWidget *parent) {
        return new frmGuestCard(ws.program, ws.db, ws.cardServers, ws.session, parent);
    });
    addStaffWindow<frmEmployeeCard>(ws);
    addStaffWindow<frmSupervisorCard>(ws);
    addStaffWindow<frmCommonAreaCard>(ws);
    addStaffWindow<frmMaintenanceCard>(ws);
    addStaffWindow<frmServiceCard>(ws);
    addStaffWindow<frmOperatorCard>(ws);
    addStaffWindow<frmCancelCard>(ws);
    addStaffWindow<frmFunctionCard>(ws);
    addStaffWindow<frmSystemIDCard>(ws);
    addStaffWindow<frmEmergencyCard>(ws);
    addStaffWindow<frmClearanceCard>(ws);
    addStaffWindow<frmStandOpenCard>(ws);
    addStaffWindow<frmBlockingCard>(ws);
    addStaffWindow<frmLockingCard>(ws);
    addStaffWindow<frmPrivacyCard>(ws);
    addStaffWindow<frmPowerDownCard>(ws);
    ws.frameWindows.windows.add(WindowKinds::card(QStringLiteral("frmSuiteCard")), [&ws](QWidget *parent) {
        return new frmSuiteCard(ws.program, ws.db, ws.cardServers, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::card(QStringLiteral("frmFutureArrivalCard")), [&ws](QWidget *parent) {
        return new frmFutureArrivalCard(ws.program, ws.db, ws.cardServers, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::card(QStringLiteral("frmOneTimeCard")), [&ws](QWidget *parent) {
        return new frmOneTimeCard(ws.program, ws.db, ws.cardServers, ws.session, parent);
    });
    ws.frameWindows.windows.addDialog(QStringLiteral("frmGroupCheckIn"), [&ws](QWidget *parent) {
        return new frmGroupCheckIn(ws.program, ws.db, ws.session, parent);
    });
}
