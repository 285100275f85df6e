#pragma once

#include "admin/MasterDataDialog.h"
#include "admin/OperatorStore.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
struct DatabaseServices;
struct FrameWindows;

// The operator dialog: a user of the register made an operator, with a template, an expiry and a
// password typed twice. The password boxes never show a stored password; left empty they keep it.
class frmOperatorData : public MasterDataDialog, public OperatorDataWindow, public clsIOperators, public clsIUsers
{
    Q_OBJECT

public:
    frmOperatorData(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                    QWidget *parent = nullptr);
    ~frmOperatorData() override;

    qint32 UserID() const { return m_op.userID; }
    // OperatorDataWindow
    void setOperatorUserID(qint32 userID) override;
    void NewRecord() override { setOperatorUserID(0); }
    void setChoiceRequest(const ChoiceRequest &) override {}
    bool IsDialogAvailable() override { return available(); }
    void Activate() override;
    void EvaluateAuthority() override;
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override { return 1202; }

    // clsIOperators and clsIUsers: changed elsewhere the operator is read again, removed it closes.
    void Add(int32_t) override {}
    void Add(int32_t, int16_t) override {}
    void Update(int32_t userID) override;
    void Remove(int32_t userID) override;
    void Refresh() override {}

protected:
    void focusField(SaveOutcome::Focus focus) override;
    void saveRecord() override;
    void updateRecord() override;

private:
    void chooseUser();
    void userChosen(qint32 userID);
    void fillTemplates();
    void showPasswordRight();
    void save(bool stored);

    DatabaseServices &m_db;
    FrameWindows &m_frameWindows;
    OperatorStore m_store;
    QLineEdit *m_txtUser;
    QPushButton *m_cmdChoose;
    QComboBox *m_cboOpTemplate;
    QLineEdit *m_txtPassword;
    QLineEdit *m_txtRepeatPassword;
    QDateEdit *m_dtpExpires;
    QCheckBox *m_chkNoExpiry;
    OperatorStore::Operator m_op;
    OperatorSave::Field m_failedField = OperatorSave::Field::None;
    bool m_stored = false;
    bool m_loading = false;
};
