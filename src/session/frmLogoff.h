#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;
class Workstation;

// Lists the operators logged on at this workstation; the chosen ones are logged off.
class frmLogoff : public QDialog
{
    Q_OBJECT
public:
    explicit frmLogoff(Workstation &workstation, QWidget *parent = nullptr);

private:
    void cmdLogOff_Click();

    Workstation &m_ws;
    QListWidget *m_lstOperators;
    QPushButton *m_cmdLogOff;
    QPushButton *m_cmdCancel;
};

// The logoff dialog, modal.
void RunLogoffDialog(Workstation &ws, QWidget *parent = nullptr);
