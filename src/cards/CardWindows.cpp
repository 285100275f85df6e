#include "cards/CardWindows.h"

#include "cards/frmGroupCheckIn.h"
#include "cards/frmGuestCard.h"
#include "cards/frmOperatorCard.h"
#include "cards/frmStaffCards.h"
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
    ws.frameWindows.windows.addDialog(QStringLiteral("frmGroupCheckIn"), [&ws](QWidget *parent) {
        return new frmGroupCheckIn(ws.program, ws.db, ws.session, parent);
    });
}
