#pragma once

#include "admin/CameraStore.h"
#include "admin/MasterDataDialog.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

class QComboBox;
class QLabel;
class QLineEdit;
struct DatabaseServices;

// The camera dialog: a new camera (CameraID 0) or a stored one. A stored password is never shown;
// the password field stays empty unless the operator types a new one.
class frmCameraData : public MasterDataDialog, public CameraDataWindow, public clsICameras, public clsIDoors
{
    Q_OBJECT

public:
    frmCameraData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmCameraData() override;

    qint32 CameraID() const { return m_cameraID; }
    // CameraDataWindow
    void setCameraID(qint32 cameraID) override;
    void NewRecord() override { setCameraID(0); }
    void setChoiceRequest(const ChoiceRequest &) override {}
    bool IsDialogAvailable() override { return available(); }
    void Activate() override;
    void EvaluateAuthority() override { checkAuthority(); }
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override { return 1209; }

    // clsICameras: the camera removed elsewhere closes the dialog; changed elsewhere it is shown
    // again unless the operator is editing it here.
    void Update(int32_t cameraID) override;
    void Remove(int32_t cameraID) override;
    // clsIDoors: the door list follows. Add(id) and Refresh() are both interfaces' operations; a
    // camera added elsewhere refills the door list too, which changes nothing.
    void Add(int32_t) override { fillDoors(); }
    void Refresh() override { fillDoors(); }
    void AddRange(int32_t, int32_t) override { fillDoors(); }
    void Update(int32_t, int32_t) override { fillDoors(); }
    void Remove(int32_t, int32_t) override { fillDoors(); }

protected:
    void focusField(SaveOutcome::Focus focus) override;
    void saveRecord() override;
    void updateRecord() override;

private:
    CameraStore::Camera typed() const;
    void fillDoors();
    void selectDoor(qint32 doorID);

    CameraStore m_store;
    QLineEdit *m_txtName;
    QLineEdit *m_txtAddress;
    QLabel *m_lblSnapshotUrl;
    QLineEdit *m_txtUser;
    QLineEdit *m_txtPassword;
    QComboBox *m_cboDoor;
    qint32 m_cameraID = 0;
    qint32 m_noteID = 0;
    bool m_passwordTyped = false;
};
