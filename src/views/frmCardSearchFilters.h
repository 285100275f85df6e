#pragma once

#include "ui/CardSearchFilters.h"
#include "ui/WindowContracts.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The card search: edits the card list's filters, refuses bad dates, a missing door in door-access
// mode and searches estimated above 50000 cards; left with OK it holds the filters chosen.
class frmCardSearchFilters : public QDialog, public HelpContext
{
    Q_OBJECT

public:
    enum Tab { GeneralTab, DatesTab, KindsTab, DoorsTab };

    frmCardSearchFilters(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmCardSearchFilters() override;

    // Runs the dialog modally: the filters chosen, nullopt when it was cancelled.
    static std::optional<CardSearchFilters> Run(ProgramServices &program, DatabaseServices &db, Session &session,
                                                const CardSearchRequest &request, QWidget *parent);

    // Shows the request's filters and takes its preset (before the dialog shows).
    void prepare(const CardSearchRequest &request);
    // The filters chosen with OK; nullopt while the dialog was not left with OK.
    const std::optional<CardSearchFilters> &chosen() const { return m_chosen; }
    int HelpContextID() const override;

    void ClearCardNameFilters();
    void SetCardNameFilters();
    void SetCardNameFilter(qint32 kind);
    // Every value but the kinds.
    void SetOldFilters(const CardSearchFilters &filters);

    // The door chosen: doorID (0 none), interval start and stop.
    qint32 doorID() const { return m_doorID; }
    // Ticked kinds in list order.
    QList<qint32> tickedKinds() const;

    void cmdOK_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void loadKinds();
    void groupExpanded(QTreeWidgetItem *item);
    void doorChosen(QTreeWidgetItem *item);
    void cmdClearAll_Click();
    void cmdClearDoorName_Click();
    void applyDoorAccessDefaults();
    bool refuse(int16_t text, int tab, QWidget *field);
    qint32 defaultRoomTo() const;
    bool mayIssue(qint32 kind) const;

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    QTabWidget *m_tabs;
    QLineEdit *m_txtAlphaID;
    QLineEdit *m_txtSurname;
    QLineEdit *m_txtFirstname;
    QLineEdit *m_txtIssuedBy;
    QComboBox *m_cboStatus;
    QLineEdit *m_txtRegFrom;
    QLineEdit *m_txtRegTo;
    QLineEdit *m_txtRoomFrom;
    QLineEdit *m_txtRoomTo;
    QLineEdit *m_txtIssueFrom;
    QLineEdit *m_txtIssueTo;
    QLineEdit *m_txtStartFrom;
    QLineEdit *m_txtStartTo;
    QLineEdit *m_txtExpiryFrom;
    QLineEdit *m_txtExpiryTo;
    QTreeWidget *m_lvwCards;
    QPushButton *m_cmdCheckAll;
    QPushButton *m_cmdUncheckAll;
    QTreeWidget *m_tvwDoors;
    QLineEdit *m_txtDoorName;
    QPushButton *m_cmdClearDoorName;
    QPushButton *m_cmdClearAll;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    CardSearchPreset m_preset = CardSearchPreset::None;
    std::optional<CardSearchFilters> m_chosen;
    bool m_presetApplied = false;
    qint32 m_doorID = 0;
    qint32 m_intervalStart = 0;
    qint32 m_intervalStop = 0;
};
