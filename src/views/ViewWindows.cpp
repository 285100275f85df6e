#include "views/ViewWindows.h"

#include "session/Workstation.h"
#include "views/frmCardList.h"
#include "views/frmCardSearchFilters.h"

void RegisterViewWindows(Workstation &ws)
{
    ws.windows.add(WindowKinds::CardList, [&ws](QWidget *parent) { return new frmCardList(ws, parent); });
    ws.windows.setCardSearch([&ws](const CardSearchRequest &request, QWidget *parent) {
        return frmCardSearchFilters::Run(ws, request, parent);
    });
}
