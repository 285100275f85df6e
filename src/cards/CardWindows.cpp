#include "cards/CardWindows.h"

#include "cards/frmFutureArrivalCard.h"
#include "cards/frmGroupCheckIn.h"
#include "cards/frmGuestCard.h"
#include "cards/frmOneTimeCard.h"
#include "cards/frmSuiteCard.h"
#include "session/Workstation.h"

void RegisterCardWindows(Workstation &ws)
{
    ws.frameWindows.windows.add(WindowKinds::card(QStringLiteral("frmGuestCard")), [&ws](QWidget *parent) {
        return new frmGuestCard(ws.program, ws.db, ws.cardServers, ws.session, parent);
    });
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
