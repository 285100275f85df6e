#pragma once

#include "admin/MasterDataDialog.h"
#include "admin/WingStore.h"
#include "ui/WindowContracts.h"

class QLineEdit;
struct DatabaseServices;
struct FrameWindows;

// The wing dialog: a new wing (no code) or a stored one. Saving a new wing names the guest doors
// of its range after it; a wing that holds rooms keeps its code and number.
class frmWingData : public MasterDataDialog, public WingDataWindow
{
    Q_OBJECT

public:
    frmWingData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);

    QString WingCode() const { return m_code; }
    // WingDataWindow
    void setWingCode(const QString &wingCode) override;
    void NotifyRemove(const QString &wingCode) override;
    void NewRecord() override { setWingCode(QString()); }
    void setChoiceRequest(const ChoiceRequest &) override {}
    bool IsDialogAvailable() override { return available(); }
    void Activate() override;
    void EvaluateAuthority() override { checkAuthority(); }
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override { return 1202; }

protected:
    void focusField(SaveOutcome::Focus focus) override;
    void saveRecord() override;
    void updateRecord() override;

private:
    WingStore::Wing typed() const;
    void refreshLists();

    DatabaseServices &m_db;
    WingStore m_store;
    QLineEdit *m_txtWingCode;
    QLineEdit *m_txtNumber;
    QLineEdit *m_txtInterval;
    QString m_code; // the stored wing's code; empty for a new wing
    qint32 m_noteID = 0;
};
