#pragma once

#include <QMainWindow>

class QMdiArea;
class Workstation;

// The workstation's one top-level window: a multiple-document frame.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(Workstation &workstation, QWidget *parent = nullptr);

    QMdiArea *mdiArea() const { return m_mdi; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    Workstation &m_ws;
    QMdiArea *m_mdi = nullptr;
    bool m_placed = false;
};
