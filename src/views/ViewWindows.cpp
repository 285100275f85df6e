#include "views/ViewWindows.h"

#include "session/Workstation.h"
#include "views/EventReadoutWindows.h"
#include "views/RoomOccupancyLists.h"
#include "views/frmCardList.h"
#include "views/frmCardSearchFilters.h"
#include "views/frmEventList.h"
#include "views/frmPreview.h"

void RegisterViewWindows(Workstation &ws)
{
    ws.frameWindows.windows.add(WindowKinds::CardList, [&ws](QWidget *parent) {
        return new frmCardList(ws.program, ws.db, ws.cardServers, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::EventList, [&ws](QWidget *parent) {
        return new frmEventList(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::ReadoutList, [&ws](QWidget *parent) {
        return new frmReadoutList(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::GetEvents, [&ws](QWidget *parent) {
        return new frmGetEvents(ws.program, ws.db, ws.cardServers, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::VacantRooms, [&ws](QWidget *parent) {
        return new frmVacantRoomsList(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::OccupiedRooms, [&ws](QWidget *parent) {
        return new frmOccupiedRoomsList(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.setCardSearch([&ws](const CardSearchRequest &request, QWidget *parent) {
        return frmCardSearchFilters::Run(ws.program, ws.db, ws.session, request, parent);
    });
    ws.frameWindows.windows.addDialog(QStringLiteral("frmPreview"), [&ws](QWidget *parent) {
        return new frmPreview(ws.program, ws.db, ws.session, parent);
    });
}
