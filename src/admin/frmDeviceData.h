#pragma once

#include "admin/DeviceStore.h"
#include "admin/MasterDataDialog.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

class QComboBox;
class QLabel;
class QLineEdit;
struct DatabaseServices;

// The device dialog: a new device (DeviceID 0) or a stored one. The port is a folder for an
// encoder or handheld unit and "host:port" for a property-management interface, whose connection
// direction is chosen beside it. The address fixes the key, so a stored device keeps it.
class frmDeviceData : public MasterDataDialog, public DeviceDataWindow, public clsIDevices
{
    Q_OBJECT

public:
    frmDeviceData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmDeviceData() override;

    qint32 DeviceID() const { return m_deviceID; }
    // DeviceDataWindow
    void setDeviceID(qint32 deviceID) override;
    void NewRecord() override { setDeviceID(0); }
    void setChoiceRequest(const ChoiceRequest &) override {}
    bool IsDialogAvailable() override { return available(); }
    void Activate() override;
    void EvaluateAuthority() override { checkAuthority(); }
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override { return 1211; }

    // clsIDevices: the device shown changed or went elsewhere.
    void Add(int32_t) override {}
    void Update(int32_t deviceID) override;
    void Remove(int32_t deviceID) override;
    void Refresh() override {}

protected:
    void closeEvent(QCloseEvent *event) override;
    void focusField(SaveOutcome::Focus focus) override;
    void saveRecord() override;
    void updateRecord() override;

private:
    DeviceEntry typed() const;
    void showType();

    DeviceStore m_store;
    QLineEdit *m_txtName;
    QComboBox *m_cboType;
    QComboBox *m_cboComputer;
    QLabel *m_lblPort;
    QLineEdit *m_txtPort;
    QComboBox *m_cboConnection;
    QLineEdit *m_txtAddress;
    qint32 m_deviceID = 0;
    qint32 m_noteID = 0;
};
