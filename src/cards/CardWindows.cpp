#include "cards/CardWindows.h"

#include "cards/frmGroupCheckIn.h"
#include "cards/frmGuestCard.h"
#include "session/Workstation.h"

void RegisterCardWindows(Workstation &ws)
{
    ws.frameWindows.windows.add(WindowKinds::card(QStringLiteral("frmGuestCard")), [&ws](QWidget *parent) {
        return new frmGuestCard(ws.program, ws.db, ws.cardServers, ws.session, parent);
    });
    ws.frameWindows.windows.addDialog(QStringLiteral("frmGroupCheckIn"), [&ws](QWidget *parent) {
        return new frmGroupCheckIn(ws.program, ws.db, ws.session, parent);
    });
}
