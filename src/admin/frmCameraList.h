#pragma once

#include "admin/MasterDataList.h"
#include "session/NotifyInterfaces.h"

class FrameHost;

// The cameras of the installation by name, searched by the first letters of the name; a
// camera's live picture opens from here.
class frmCameraList : public MasterDataList, public clsICameras
{
    Q_OBJECT

public:
    frmCameraList(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                  QWidget *parent = nullptr);
    ~frmCameraList() override;

    int HelpContextID() const override { return 1209; }
    // clsICameras
    void Add(int32_t) override { RefreshTableList(); }
    void Update(int32_t) override { RefreshTableList(); }
    void Remove(int32_t) override { RefreshTableList(); }
    void Refresh() override { RefreshTableList(); }

protected:
    Query query(const QString &searchText) const override;
    void addRecord() override;
    void removeRows(const QList<int> &rows) override;
    void openRow(int row) override;
};

// The cameras this workstation subscribes to; Add offers the others, Remove ends a subscription,
// and opening a row shows its live picture.
class frmSubCameras : public MasterDataList, public clsICameras
{
    Q_OBJECT

public:
    frmSubCameras(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                  qint32 clientID, QWidget *parent = nullptr);
    ~frmSubCameras() override;

    int HelpContextID() const override { return 1210; }
    PopupMenu &cameraMenu() { return m_cameraMenu; }
    // clsICameras
    void Add(int32_t) override {}
    void Update(int32_t) override { RefreshTableList(); }
    void Remove(int32_t) override { RefreshTableList(); }
    void Refresh() override { RefreshTableList(); }

protected:
    Query query(const QString &searchText) const override;
    void addRecord() override;
    void removeRows(const QList<int> &rows) override;
    void openRow(int row) override;

private:
    qint32 m_clientID;
    PopupMenu m_cameraMenu;
};

// Opens the camera's live picture, or brings it forward.
void OpenCameraPicture(FrameHost *host, qint32 cameraID);
