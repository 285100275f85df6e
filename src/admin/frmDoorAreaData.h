#pragma once

#include "admin/DoorAreaStore.h"
#include "admin/MasterDataDialog.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

class QLineEdit;
struct DatabaseServices;

// The door-area dialog: a new area (DoorGroupID 0) or a stored one, whose name no other area has.
class frmDoorAreaData : public MasterDataDialog, public DoorAreaDataWindow, public clsIDoorGroups
{
    Q_OBJECT

public:
    frmDoorAreaData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmDoorAreaData() override;

    qint32 DoorGroupID() const { return m_doorGroupID; }
    // DoorAreaDataWindow
    void setDoorGroupID(qint32 doorGroupID) override;
    void setCloseAfterSave(bool close) override { m_closeAfterSave = close; }
    void NewRecord() override { setDoorGroupID(0); }
    void setChoiceRequest(const ChoiceRequest &) override {}
    bool IsDialogAvailable() override { return available(); }
    void Activate() override;
    void EvaluateAuthority() override { checkAuthority(); }
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override { return 1202; }

    // clsIDoorGroups: the area shown removed elsewhere closes the dialog (RemoveDoorGroup).
    void Add(int32_t, int16_t) override {}
    void Update(int32_t doorGroupID) override;
    void Remove(int32_t doorGroupID) override { RemoveDoorGroup(doorGroupID); }
    void Refresh() override {}
    void RemoveDoorGroup(qint32 doorGroupID);

protected:
    void focusField(SaveOutcome::Focus focus) override;
    void saveRecord() override;
    void updateRecord() override;

private:
    DoorAreaStore::Area typed() const;

    DoorAreaStore m_store;
    QLineEdit *m_txtName;
    qint32 m_doorGroupID = 0;
    qint32 m_noteID = 0;
    bool m_closeAfterSave = false;
};
