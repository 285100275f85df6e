#include "views/ViewWindows.h"

#include "session/Workstation.h"
#include "views/frmCardList.h"
#include "views/frmCardSearchFilters.h"

void RegisterViewWindows(Workstation &ws)
{
    ws.frameWindows.windows.add(QStringLiteral("frmCardList"), [&ws](QWidget *parent) {
        return new frmCardList(ws.program, ws.db, ws.cardServers, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(QStringLiteral("frmCardSearchFilters"), [&ws](QWidget *parent) {
        return new frmCardSearchFilters(ws.program, ws.db, ws.session, parent);
    });
}
