#include "admin/AdminWindows.h"

#include "admin/frmCamera.h"
#include "admin/frmCameraData.h"
#include "admin/frmCameraList.h"
#include "admin/frmDeviceData.h"
#include "admin/frmDeviceList.h"
#include "admin/frmDeviceStatus.h"
#include "admin/frmDoorAreaData.h"
#include "admin/frmDoorAreaList.h"
#include "admin/frmDoorData.h"
#include "admin/frmDoorList.h"
#include "admin/frmOpTemplateData.h"
#include "admin/frmOpTemplateList.h"
#include "admin/frmOperatorData.h"
#include "admin/frmOperatorList.h"
#include "admin/frmOptions.h"
#include "admin/frmOverride.h"
#include "admin/frmUserData.h"
#include "admin/frmUserList.h"
#include "admin/frmWingData.h"
#include "admin/frmWingList.h"
#include "admin/frmXrefOpTemplate.h"
#include "session/Workstation.h"

void RegisterAdminWindows(Workstation &ws)
{
    ws.frameWindows.windows.add(WindowKinds::UserList, [&ws](QWidget *parent) {
        return new frmUserList(ws.program, ws.db, ws.cardServers, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::UserData, [&ws](QWidget *parent) {
        return new frmUserData(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::WingList, [&ws](QWidget *parent) {
        return new frmWingList(ws.program, ws.db, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::WingData, [&ws](QWidget *parent) {
        return new frmWingData(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::DoorAreaList, [&ws](QWidget *parent) {
        return new frmDoorAreaList(ws.program, ws.db, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::DoorAreaData, [&ws](QWidget *parent) {
        return new frmDoorAreaData(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::DoorList, [&ws](QWidget *parent) {
        return new frmDoorList(ws.program, ws.db, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::DoorData, [&ws](QWidget *parent) {
        return new frmDoorData(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::OperatorList, [&ws](QWidget *parent) {
        return new frmOperatorList(ws.program, ws.db, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::OperatorData, [&ws](QWidget *parent) {
        return new frmOperatorData(ws.program, ws.db, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::Override, [&ws](QWidget *parent) {
        return new frmOverride(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::OpTemplateData, [&ws](QWidget *parent) {
        return new frmOpTemplateData(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKind<FrameChild>{QStringLiteral("frmOpTemplateList")}, [&ws](QWidget *parent) {
        return new frmOpTemplateList(ws.program, ws.db, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKind<FrameChild>{QStringLiteral("frmXrefOpTemplate")}, [&ws](QWidget *parent) {
        return new frmXrefOpTemplate(ws.program, ws.db, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKind<FrameChild>{QStringLiteral("frmCameraList")}, [&ws](QWidget *parent) {
        return new frmCameraList(ws.program, ws.db, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::CameraData, [&ws](QWidget *parent) {
        return new frmCameraData(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKind<FrameChild>{QStringLiteral("frmSubCameras")}, [&ws](QWidget *parent) {
        return new frmSubCameras(ws.program, ws.db, ws.session, ws.frameWindows, ws.facts.ClientID, parent);
    });
    ws.frameWindows.windows.add(WindowKind<CameraWindow>{QStringLiteral("frmCamera")}, [&ws](QWidget *parent) {
        return new frmCamera(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKind<FrameChild>{QStringLiteral("frmDeviceList")}, [&ws](QWidget *parent) {
        return new frmDeviceList(ws.program, ws.db, ws.cardServers, ws.session, ws.frameWindows, parent);
    });
    ws.frameWindows.windows.add(WindowKinds::DeviceData, [&ws](QWidget *parent) {
        return new frmDeviceData(ws.program, ws.db, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKind<FrameChild>{QStringLiteral("frmDeviceStatus")}, [&ws](QWidget *parent) {
        return new frmDeviceStatus(ws.program, ws.db, ws.cardServers, ws.session, parent);
    });
    ws.frameWindows.windows.add(WindowKind<FrameChild>{QStringLiteral("frmOptions")}, [&ws](QWidget *parent) {
        return new frmOptions(ws.program, ws.db, ws.session, parent);
    });
}
