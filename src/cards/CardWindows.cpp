#include "cards/CardWindows.h"

#include "cards/frmGuestCard.h"
#include "session/Workstation.h"

void RegisterCardWindows(Workstation &ws)
{
    ws.windows.add(QStringLiteral("frmGuestCard"), [&ws](QWidget *parent) { return new frmGuestCard(ws, parent); });
}
