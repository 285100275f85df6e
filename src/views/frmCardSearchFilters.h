#pragma once

#include <QDialog>
#include <QPointer>

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
// mode and searches estimated above 50000 cards, and writes the filters into the list in `List`.
class frmCardSearchFilters : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(int PresetMode READ PresetMode WRITE setPresetMode)
    Q_PROPERTY(bool Cancel READ Cancel)
    Q_PROPERTY(QObject *List READ List WRITE setList)

public:
    enum Tab { GeneralTab, DatesTab, KindsTab, DoorsTab };

    frmCardSearchFilters(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmCardSearchFilters() override;

    int PresetMode() const { return m_presetMode; }
    void setPresetMode(int mode) { m_presetMode = mode; }
    bool Cancel() const { return m_cancel; }
    QObject *List() const { return m_list.data(); }
    void setList(QObject *list) { m_list = list; }

    Q_INVOKABLE void ClearCardNameFilters();
    Q_INVOKABLE void SetCardNameFilters();
    Q_INVOKABLE void SetCardNameFilter(int kind);
    // The 18 values in the order of the list's SetSearchFilters.
    Q_INVOKABLE void SetOldFilters(const QVariantList &filters);

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
    void loadDoorGroups();
    void groupExpanded(QTreeWidgetItem *item);
    void doorChosen(QTreeWidgetItem *item);
    void setTicked(QTreeWidgetItem *item, bool ticked);
    void setAllTicked(bool ticked);
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
    QPointer<QObject> m_list;
    int m_presetMode = 0;
    bool m_cancel = true;
    bool m_presetApplied = false;
    qint32 m_doorID = 0;
    qint32 m_intervalStart = 0;
    qint32 m_intervalStop = 0;
};
