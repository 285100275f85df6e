#include "views/ViewWindows.h"

#include "session/Workstation.h"
#include "views/frmCardList.h"
#include "views/frmCardSearchFilters.h"

void RegisterViewWindows(Workstation &ws)
{
    ws.windows.add(QStringLiteral("frmCardList"), [&ws](QWidget *parent) { return new frmCardList(ws, parent); });
    ws.windows.add(QStringLiteral("frmCardSearchFilters"),
                   [&ws](QWidget *parent) { return new frmCardSearchFilters(ws, parent); });
}
