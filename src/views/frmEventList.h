#pragma once

#include "ui/PopupMenu.h"
#include "ui/WindowContracts.h"
#include "views/EventListQuery.h"

#include <QWidget>

#include <functional>
#include <memory>

class ListPrintMenu;
class QDialog;
class QPushButton;
class RecordGrid;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The formats every event grid shares: dates, card numbers and " (*)" after a repeated event.
void ApplyEventColumnFormats(RecordGrid &grid);

// The event list: the lock events that match the search filters, one row per event.
class frmEventList : public QWidget, public SearchFirstWindow
{
    Q_OBJECT

public:
    frmEventList(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmEventList() override;

    // SearchFirstWindow
    void Activate() override;
    void EvaluateAuthority() override;
    bool IsDialogAvailable() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;
    bool AskSearchFilters() override;
    void StartSearch() override;

    void ClearCardNameFilters();
    void SetCardNameFilter(qint32 kind);
    // Every kind flag on, filter active.
    void SetCardNameFilters();
    // Every filter value but the kinds.
    void SetSearchFilters(const EventSearchFilters &filters);
    void RefreshTableList();

    const EventSearchFilters &filters() const { return m_filters; }
    RecordGrid &grid() const { return *m_tlvEvents; }
    ListPrintMenu &printMenu() { return *m_printMenu; }
    // Runs the modal search dialog; tests answer it themselves.
    using SearchDialogRunner = std::function<void(QDialog &dialog)>;
    void setSearchDialogRunner(SearchDialogRunner runner) { m_runSearchDialog = std::move(runner); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setUpGrid();
    void cmdSearch_Click();
    void unload();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    RecordGrid *m_tlvEvents;
    QPushButton *m_cmdSearch;
    QPushButton *m_cmdPrint;
    QPushButton *m_cmdClose;
    std::unique_ptr<ListPrintMenu> m_printMenu;
    PopupMenu m_popup;
    SearchDialogRunner m_runSearchDialog;
    EventSearchFilters m_filters;
    bool m_shown = false;
};
