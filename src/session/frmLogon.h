#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The logon dialog. Mode 0 asks for user ID and password; mode 1 only for the password of the
// operator the database component knows (password confirmation). Enter logs on, Esc cancels.
class frmLogon : public QDialog
{
    Q_OBJECT
public:
    frmLogon(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
             QWidget *parent = nullptr);

    int LogonMode() const { return m_mode; }
    void setLogonMode(int mode);
    void setPassword(const QString &password);
    bool Success() const { return m_success; }

    void accept() override; // the logon command
    void reject() override; // Cancel

protected:
    void showEvent(QShowEvent *event) override;

private:
    ProgramServices &m_program;
    DatabaseServices &m_db;
    CardServers &m_cardServers;
    Session &m_session;
    int m_mode = 0;
    bool m_success = false;
    int m_fullHeight = 0;
    QGroupBox *m_fraLogon;
    QLabel *m_lblID;
    QLabel *m_lblPassword;
    QLineEdit *m_txtUserID;
    QLineEdit *m_txtPassword;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};

// The logon dialog as start-up, the frame and the rights open it: modal, unloaded afterwards.
// passwordPreset is the /P password of the start-up logon.
bool RunLogonDialog(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    int mode, QWidget *parent = nullptr, const QString &passwordPreset = QString());
