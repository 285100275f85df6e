#pragma once

#include "admin/OpTemplateStore.h"
#include "session/NotifyInterfaces.h"
#include "ui/PopupMenu.h"
#include "ui/WindowContracts.h"

#include <QWidget>

#include <memory>

class ListPrintMenu;
class QPushButton;
class RecordGrid;
struct DatabaseServices;
struct FrameWindows;
struct ProgramServices;
struct Session;

// The operator-template list: every template with its description. It opens the template dialog
// for new and listed templates and removes templates no operator is assigned to.
class frmOpTemplateList : public QWidget, public FrameChild, public clsIOperatorTemplates
{
    Q_OBJECT

public:
    frmOpTemplateList(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                      QWidget *parent = nullptr);
    ~frmOpTemplateList() override;

    bool IsDialogAvailable() override;
    void Activate() override;
    void EvaluateAuthority() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;
    void RefreshTableList();

    // clsIOperatorTemplates
    void Add(int32_t operatorTemplateID) override;
    void Update(int32_t operatorTemplateID) override;
    void Remove(int32_t operatorTemplateID) override;
    void Refresh() override;

    // The list's context menu at a screen position; the print entries alone for the Print button.
    void ShowListMenu(const QPoint &globalPos, bool printOnly = false);
    PopupMenu &popupMenu() { return m_popup; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateButtons();
    qint32 selectedTemplateID() const;
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdProperties_Click();
    void runMenuKey(const QString &key);

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    FrameWindows &m_frameWindows;
    OpTemplateStore m_store;
    RecordGrid *m_tlvTemplates;
    QPushButton *m_cmdAdd;
    QPushButton *m_cmdRemove;
    QPushButton *m_cmdProperties;
    QPushButton *m_cmdPrint;
    QPushButton *m_cmdClose;
    std::unique_ptr<ListPrintMenu> m_printMenu;
    PopupMenu m_popup;
    qint32 m_rows = 0;
};
