#include "admin/AdminWindows.h"

#include "admin/frmUserData.h"
#include "admin/frmUserList.h"
#include "session/Workstation.h"

void RegisterAdminWindows(Workstation &ws)
{
    ws.windows.add(WindowKinds::UserList, [&ws](QWidget *parent) { return new frmUserList(ws, parent); });
    ws.windows.add(WindowKinds::UserData, [&ws](QWidget *parent) { return new frmUserData(ws, parent); });
}
