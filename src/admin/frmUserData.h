#pragma once

#include "admin/UserDataStore.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class RecordTable;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The user dialog: creates a user (UserID 0) or edits one. A new user whose identifier belongs to
// a removed user may bring that user back instead. Opened for a window that asked for a user, a
// new user is handed back to that window and the user dialog closes.
class frmUserData : public QWidget, public UserDataWindow, public clsIUsers
{
    Q_OBJECT

public:
    frmUserData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmUserData() override;

    qint32 UserID() const { return m_userID; }
    // UserDataWindow
    void setUserID(qint32 userID) override;
    void NewRecord() override { setUserID(0); }
    void setChoiceRequest(const ChoiceRequest &request) override;
    bool IsDialogAvailable() override;
    void Activate() override;
    void EvaluateAuthority() override;
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override;
    // The window a new user goes back to, or null.
    QWidget *caller() const { return m_caller.data(); }

    // clsIUsers
    void Add(int32_t userID, int16_t flag) override;
    void Update(int32_t userID) override;
    void Remove(int32_t userID) override;
    void Refresh() override;

    // Re-reads the free fields' captions from the system parameters.
    void UpdateFieldNames();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum Input { AlphaID, Surname, Firstname, Address1, Address2, Zipcode, City, InputCount };

    void buildControls();
    void showMode();
    bool load(qint32 userID);
    bool checkRequired();
    QString value(Input input) const;
    UserValues values() const;
    void focusInput(Input input);
    // The user gone (-31227) or the database's error with the code.
    void showStoreError(int32_t code, const UserStoreResult &failure);

    void cmdSave_Click();
    void cmdUpdate_Click();
    void insertUser();
    void reuseUser(qint32 userID);

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    UserDataStore m_store;
    std::array<QLabel *, InputCount> m_labels{};
    std::array<QLineEdit *, InputCount> m_inputs{};
    QPushButton *m_cmdSave;
    QPushButton *m_cmdUpdate;
    QPushButton *m_cmdClose;
    QPointer<QWidget> m_caller;
    std::function<void(qint32)> m_handBack;
    qint32 m_userID = 0;
    QString m_storedAlphaID;
};
