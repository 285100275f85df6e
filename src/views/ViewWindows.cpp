#include "views/ViewWindows.h"

#include "session/Workstation.h"
#include "views/frmCardList.h"
#include "views/frmCardSearchFilters.h"

void RegisterViewWindows(Workstation &ws)
{
    ws.frameWindows.windows.add(WindowKinds::CardList, [&ws](QWidget *parent) {
        return new frmCardList(ws.program, ws.db, ws.cardServers, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.setCardSearch([&ws](const CardSearchRequest &request, QWidget *parent) {
        return frmCardSearchFilters::Run(ws.program, ws.db, ws.session, request, parent);
    });
}
