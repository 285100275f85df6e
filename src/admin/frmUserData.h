#pragma once

#include "session/NotifyInterfaces.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class RecordTable;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The user dialog: creates a user (UserID 0) or edits one. A new user whose identifier belongs to
// a removed user may bring that user back instead. With a CallingForm, a new user is handed to
// that dialog (its UserID is set) and the user dialog closes.
class frmUserData : public QWidget, public clsIUsers
{
    Q_OBJECT
    Q_PROPERTY(qint32 UserID READ UserID WRITE setUserID)
    Q_PROPERTY(QObject *CallingForm READ CallingForm WRITE setCallingForm)

public:
    frmUserData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmUserData() override;

    qint32 UserID() const { return m_userID; }
    void setUserID(qint32 userID);
    QObject *CallingForm() const { return m_callingForm.data(); }
    void setCallingForm(QObject *form) { m_callingForm = form; }

    Q_INVOKABLE bool IsDialogAvailable();
    Q_INVOKABLE void Activate();
    Q_INVOKABLE void EvaluateAuthority();

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
    void setFields(RecordTable &users) const;
    void focusInput(Input input);
    void showSaveError(int32_t code, const RecordTable &table);

    void cmdSave_Click();
    void cmdUpdate_Click();
    void insertUser(RecordTable &users);
    void reuseUser(RecordTable &users, qint32 userID);

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    std::array<QLabel *, InputCount> m_labels{};
    std::array<QLineEdit *, InputCount> m_inputs{};
    QPushButton *m_cmdSave;
    QPushButton *m_cmdUpdate;
    QPushButton *m_cmdClose;
    QPointer<QObject> m_callingForm;
    qint32 m_userID = 0;
    QString m_storedAlphaID;
};
