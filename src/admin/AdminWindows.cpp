#include "admin/AdminWindows.h"

#include "admin/frmUserData.h"
#include "admin/frmUserList.h"
#include "session/Workstation.h"

void RegisterAdminWindows(Workstation &ws)
{
    ws.frameWindows.windows.add(WindowKinds::UserList, [&ws](QWidget *parent) {
        return new frmUserList(ws.program, ws.db, ws.cardServers, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::UserData, [&ws](QWidget *parent) {
        return new frmUserData(ws.program, ws.db, ws.session, parent);
    });
}
