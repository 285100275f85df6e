#pragma once

#include "ui/WindowContracts.h"

#include <QWidget>

class QPushButton;
class QSplitter;
class QTreeWidget;
class RecordGrid;
class Registry;
struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The stored read-outs, newest first; the events of the chosen one below them.
class frmReadoutList : public QWidget, public FrameChild
{
    Q_OBJECT

public:
    frmReadoutList(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmReadoutList() override;

    void Activate() override;
    void EvaluateAuthority() override;
    bool IsDialogAvailable() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;
    void RefreshTableList();

    RecordGrid &readouts() const { return *m_tlvReadouts; }
    RecordGrid &events() const { return *m_tlvEvents; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void readoutChosen();
    void unload();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    QSplitter *m_split;
    RecordGrid *m_tlvReadouts;
    RecordGrid *m_tlvEvents;
    QPushButton *m_cmdClose;
    bool m_shown = false;
};

// Reads the handheld unit: its read-outs of locks, one row per lock, and the events of the chosen
// one, as the unit brought them (the card server also stores them when the installation says so).
class frmGetEvents : public QWidget, public FrameChild
{
    Q_OBJECT

public:
    frmGetEvents(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                 QWidget *parent = nullptr);
    ~frmGetEvents() override;

    void Activate() override;
    void EvaluateAuthority() override;
    bool IsDialogAvailable() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;
    void RefreshTableList();
    // Reads the workstation's handheld unit and lists its lock read-outs; false when nothing was read.
    bool cmdRead_Click();
    // How long to wait between two status polls; tests poll without waiting.
    void setPollInterval(int ms) { m_pollInterval = ms; }

    QTreeWidget &sources() const { return *m_lvwSources; }
    RecordGrid &events() const { return *m_tlvEvents; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void sourceChosen();
    void unload();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    CardServers &m_cardServers;
    Session &m_session;
    QSplitter *m_split;
    QTreeWidget *m_lvwSources;
    RecordGrid *m_tlvEvents;
    QPushButton *m_cmdRead;
    QPushButton *m_cmdClose;
    int m_pollInterval = 100;
    bool m_shown = false;
};

// The split between a window's two lists, kept per workstation under the value name.
void RestoreSplit(Registry &registry, QSplitter *split, const QString &valueName);
void SaveSplit(Registry &registry, const QSplitter *split, const QString &valueName);
