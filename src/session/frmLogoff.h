#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// Lists the operators logged on at this workstation; the chosen ones are logged off.
class frmLogoff : public QDialog
{
    Q_OBJECT
public:
    frmLogoff(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);

private:
    void cmdLogOff_Click();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    QListWidget *m_lstOperators;
    QPushButton *m_cmdLogOff;
    QPushButton *m_cmdCancel;
};

// The logoff dialog, modal.
void RunLogoffDialog(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
