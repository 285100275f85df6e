#pragma once

#include "admin/DoorStore.h"
#include "admin/MasterDataDialog.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
struct DatabaseServices;

// The door dialog: a stored door, or new doors, one or an interval at once. It shows only the
// fields the chosen category uses; guest rooms and apartments are named after their number.
class frmDoorData : public MasterDataDialog, public DoorDataWindow, public clsIDoors, public clsIDoorGroups
{
    Q_OBJECT

public:
    frmDoorData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmDoorData() override;

    qint32 DoorID() const { return m_doorID; }
    // DoorDataWindow
    void setDoorID(qint32 doorID) override;
    void NewRecord() override { setDoorID(0); }
    void setChoiceRequest(const ChoiceRequest &request) override { m_request = request; }
    bool IsDialogAvailable() override { return available(); }
    void Activate() override;
    void EvaluateAuthority() override { checkAuthority(); }
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override { return 1202; }

    // clsIDoors: the door removed elsewhere closes the dialog; changed elsewhere, it is read again.
    void Add(int32_t) override {}
    void AddRange(int32_t, int32_t) override {}
    void Update(int32_t doorID, int32_t second) override;
    void Remove(int32_t firstDoorID, int32_t lastDoorID) override;
    void Refresh() override {}
    // clsIDoorGroups: the area list follows.
    void Add(int32_t, int16_t) override { fillAreas(); }
    void Update(int32_t) override { fillAreas(); }
    void Remove(int32_t) override { fillAreas(); }

protected:
    void focusField(SaveOutcome::Focus focus) override;
    void saveRecord() override;
    void updateRecord() override;

private:
    DoorEntry typed() const;
    void fillAreas();
    void showCategory();
    bool showSave(const DoorSave &save);
    QLabel *label(const char *name, int16_t text);

    DoorStore m_store;
    QLineEdit *m_txtDoorID;
    QCheckBox *m_chkInterval;
    QLineEdit *m_txtLastDoorID;
    QComboBox *m_cboCategory;
    QLineEdit *m_txtDoorName;
    QComboBox *m_cboDoorArea;
    QSpinBox *m_txtCommonRoom;
    QSpinBox *m_txtPrivateRoom;
    QLineEdit *m_txtRoomFrom;
    QLineEdit *m_txtRoomTo;
    QSpinBox *m_txtOverrideIncrement;
    QLineEdit *m_txtLastOverride;
    QList<QWidget *> m_nameRow, m_commonRow, m_privateRow, m_roomsRow, m_overrideRow;
    DoorCheck::Field m_failedField = DoorCheck::Field::None;
    ChoiceRequest m_request;
    qint32 m_doorID = 0;
    qint32 m_noteID = 0;
    bool m_loading = false;
};
