#include "cards/CardWindows.h"

#include "cards/frmGroupCheckIn.h"
#include "cards/frmGuestCard.h"
#include "session/Workstation.h"

void RegisterCardWindows(Workstation &ws)
{
    ws.windows.add(WindowKinds::card(QStringLiteral("frmGuestCard")),
                   [&ws](QWidget *parent) { return new frmGuestCard(ws, parent); });
    ws.windows.addDialog(QStringLiteral("frmGroupCheckIn"),
                         [&ws](QWidget *parent) { return new frmGroupCheckIn(ws, parent); });
}
