#pragma once

#include "session/NotifyInterfaces.h"
#include "ui/PopupMenu.h"
#include "ui/WindowContracts.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class ListPrintMenu;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordGrid;
struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;
struct FrameWindows;

// The user list: searches the register by one field, lists the users found and removes them; it
// opens the user dialog for new and existing users, and, opened as a chooser, hands the chosen
// user back to the window that asked for one (which comes forward).
class frmUserList : public QWidget, public UserListWindow, public clsIUsers
{
    Q_OBJECT

public:
    frmUserList(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                FrameWindows &frameWindows, QWidget *parent = nullptr);
    ~frmUserList() override;

    // UserListWindow
    void setChoiceRequest(const ChoiceRequest &request) override;
    bool IsDialogAvailable() override;
    void Activate() override;
    void EvaluateAuthority() override;
    void RefreshTableList() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;
    // The window a chosen user goes back to, or null.
    QWidget *caller() const { return m_caller.data(); }

    void UpdateColumnNames();
    void UpdateComboboxItems();

    // clsIUsers
    void Add(int32_t userID, int16_t flag) override;
    void Update(int32_t userID) override;
    void Remove(int32_t userID) override;
    void Refresh() override;

    // The pause between the last keystroke and the search; tests use 0.
    void setSearchDelay(int milliseconds) { m_searchTimer.setInterval(milliseconds); }
    bool searchPending() const { return m_searchTimer.isActive(); }
    // The list's context menu at a screen position; the print entries alone for the Print button.
    void ShowListMenu(const QPoint &globalPos, bool printOnly = false);
    PopupMenu &popupMenu() { return m_popup; }
    ListPrintMenu &printMenu() { return *m_printMenu; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void setUpGrid();
    QString captions() const;
    void restartSearch();
    void runSearch();
    void updateButtons();
    qint32 selectedUserID() const;

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdProperties_Click();
    void cmdSelect_Click();
    void searchCards();
    void openStaffCard();
    void runMenuKey(const QString &key);

    ProgramServices &m_program;
    DatabaseServices &m_db;
    CardServers &m_cardServers;
    Session &m_session;
    FrameWindows &m_frameWindows;
    RecordGrid *m_tlvUsers;
    QLabel *m_lblSearchField;
    QComboBox *m_cboSearchField;
    QLabel *m_lblSearch;
    QLineEdit *m_txtSearch;
    QPushButton *m_cmdAdd;
    QPushButton *m_cmdRemove;
    QPushButton *m_cmdProperties;
    QPushButton *m_cmdPrint;
    QPushButton *m_cmdSelect;
    QPushButton *m_cmdClose;
    std::unique_ptr<ListPrintMenu> m_printMenu;
    PopupMenu m_popup;
    QTimer m_searchTimer;
    ChoiceRequest m_request; // its caller as m_caller, which notices the caller closing
    QPointer<QWidget> m_caller;
    bool m_querying = false;
    qint32 m_rows = 0;
};
