#pragma once

#include "session/NotifyInterfaces.h"
#include "ui/PopupMenu.h"
#include "ui/WindowContracts.h"
#include "views/CardListQuery.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class ListPrintMenu;
class QPushButton;
class RecordGrid;
struct CardServers;
struct DatabaseServices;
struct ProgramServices;
struct Session;
struct FrameWindows;

// The card list: the issued cards that match the search filters. From a row the operator opens the
// card in the window of its kind, or, when another window opened the list as a chooser, hands the
// card's registration number back to it.
class frmCardList : public QWidget, public CardListWindow, public clsIUsers, public clsIDoors
{
    Q_OBJECT

public:
    frmCardList(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                FrameWindows &frameWindows, QWidget *parent = nullptr);
    ~frmCardList() override;

    // CardListWindow
    void setChoiceRequest(const ChoiceRequest &request) override;
    void Activate() override;
    void EvaluateAuthority() override;
    bool IsDialogAvailable() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;
    void ClearCardNameFilters() override;
    void SetCardNameFilter(qint32 kind) override;
    void SetSearchFilters(const CardSearchFilters &filters) override;
    void StartSearch() override;
    void RefreshTableList() override;
    void SetCardNameFilters();
    // The window a chosen card goes back to, or null.
    QWidget *caller() const { return m_caller.data(); }

    // clsIUsers
    void Add(int32_t userID, int16_t flag) override;
    void Update(int32_t userID) override;
    void Remove(int32_t userID) override;
    void Refresh() override;
    // clsIDoors
    void Add(int32_t doorID) override;
    void AddRange(int32_t firstDoorID, int32_t lastDoorID) override;
    void Update(int32_t doorID, int32_t second) override;
    void Remove(int32_t firstDoorID, int32_t lastDoorID) override;

    const CardSearchFilters &filters() const { return m_filters; }
    RecordGrid &grid() const { return *m_tlvCards; }
    PopupMenu &popupMenu() { return m_popup; }
    ListPrintMenu &printMenu() { return *m_printMenu; }
    // Runs the modal search dialog; tests answer it themselves. True when it was left with OK.
    using SearchDialogRunner = std::function<bool(QDialog &dialog)>;
    void setSearchDialogRunner(SearchDialogRunner runner) { m_runSearchDialog = std::move(runner); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void setUpGrid();
    void updateSelect();
    void cmdSearch_Click();
    void cmdSelect_Click();
    void handBack();
    void openCard();
    void showKindWithoutWindow(qint32 cardNameID);
    void unload();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    CardServers &m_cardServers;
    Session &m_session;
    FrameWindows &m_frameWindows;
    RecordGrid *m_tlvCards;
    QPushButton *m_cmdSearch;
    QPushButton *m_cmdSelect;
    QPushButton *m_cmdPrint;
    QPushButton *m_cmdClose;
    std::unique_ptr<ListPrintMenu> m_printMenu;
    PopupMenu m_popup;
    SearchDialogRunner m_runSearchDialog;
    QPointer<QWidget> m_caller;
    std::function<void(qint32)> m_handBack;
    CardSearchFilters m_filters;
    bool m_autoClose = false;
    bool m_shown = false; // a list the search dialog cancelled never showed: its placement stays
    qint32 m_rows = 0;
};
