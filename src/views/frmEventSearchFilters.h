#pragma once

#include "ui/WindowContracts.h"
#include "views/EventListQuery.h"

#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The event search: edits the event list's filters; refuses bad dates and searches that would read
// too many events (no door, not exactly one card kind, more than 5 event days). Left with OK it
// holds the filters chosen.
class frmEventSearchFilters : public QDialog, public HelpContext
{
    Q_OBJECT

public:
    enum Tab { GeneralTab, DatesTab, KindsTab, DoorsTab };

    frmEventSearchFilters(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmEventSearchFilters() override;

    // Shows the list's current filters (before the dialog shows); without them the dialog's own
    // defaults: every kind ticked, the other fields empty.
    void SetOldFilters(const EventSearchFilters &filters);
    const std::optional<EventSearchFilters> &chosen() const { return m_chosen; }
    int HelpContextID() const override;
    QList<qint32> tickedKinds() const;
    qint32 doorID() const { return m_doorID; }

    void cmdOK_Click();

private:
    void buildControls();
    void loadKinds();
    void groupExpanded(QTreeWidgetItem *item);
    void doorChosen(QTreeWidgetItem *item);
    void cmdClearAll_Click();
    void cmdClearDoorName_Click();
    void refuse(int16_t text, int tab, QWidget *field);

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    QTabWidget *m_tabs;
    QLineEdit *m_txtAlphaID;
    QLineEdit *m_txtSurname;
    QLineEdit *m_txtFirstname;
    QLineEdit *m_txtRegFrom;
    QLineEdit *m_txtRegTo;
    QLineEdit *m_txtEventFrom;
    QLineEdit *m_txtEventTo;
    QLineEdit *m_txtReadoutFrom;
    QLineEdit *m_txtReadoutTo;
    QTreeWidget *m_lvwCards;
    QPushButton *m_cmdCheckAllCards;
    QPushButton *m_cmdUncheckAllCards;
    QTreeWidget *m_tvwDoors;
    QLineEdit *m_txtDoorName;
    QPushButton *m_cmdClearDoorName;
    QPushButton *m_cmdClearAll;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    std::optional<EventSearchFilters> m_chosen;
    qint32 m_doorID = EventSearchFilters::kNoDoor;
};
