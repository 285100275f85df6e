#pragma once

#include "session/NotifyInterfaces.h"
#include "ui/PopupMenu.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

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
// opens the user dialog for new and existing users, and, with a CallingForm, hands the chosen user
// back to the dialog that asked for one (that dialog's UserID is set and it comes forward).
class frmUserList : public QWidget, public clsIUsers
{
    Q_OBJECT
    Q_PROPERTY(QObject *CallingForm READ CallingForm WRITE setCallingForm)
    Q_PROPERTY(bool AutoClose READ AutoClose WRITE setAutoClose)

public:
    frmUserList(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                FrameWindows &frameWindows, QWidget *parent = nullptr);
    ~frmUserList() override;

    QObject *CallingForm() const { return m_callingForm.data(); }
    void setCallingForm(QObject *form);
    // Close the list once it has handed a user back.
    bool AutoClose() const { return m_autoClose; }
    void setAutoClose(bool on) { m_autoClose = on; }

    Q_INVOKABLE bool IsDialogAvailable();
    Q_INVOKABLE void Activate();
    Q_INVOKABLE void EvaluateAuthority();
    Q_INVOKABLE void RefreshTableList();
    Q_INVOKABLE void UpdateColumnNames();
    Q_INVOKABLE void UpdateComboboxItems();

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
    QPointer<QObject> m_callingForm;
    bool m_autoClose = false;
    bool m_querying = false;
    qint32 m_rows = 0;
};
