#pragma once

#include "admin/OpTemplateStore.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The operator-template dialog: creates a template (OperatorTemplateID 0) or changes one — its
// name, description, rights on the tables, the card kinds with their longest validity, the special
// functions and the door areas barred to it. Nobody changes his own template, and operators of the
// lowest rank leave the templates above it alone. After a change the rights of the operators
// logged on here are read again and the frame's menus follow them.
class frmOpTemplateData : public QWidget, public OpTemplateDataWindow, public clsIDoorGroups
{
    Q_OBJECT

public:
    frmOpTemplateData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmOpTemplateData() override;

    qint32 OperatorTemplateID() const { return m_templateID; }
    // OpTemplateDataWindow
    void setOperatorTemplateID(qint32 operatorTemplateID) override;
    void NewRecord() override { setOperatorTemplateID(0); }
    void setChoiceRequest(const ChoiceRequest &request) override;
    bool IsDialogAvailable() override;
    void Activate() override;
    void EvaluateAuthority() override;
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override;

    // clsIDoorGroups: the door-area list follows the door areas, keeping the marks made.
    void Add(int32_t doorGroupID, int16_t flag) override;
    void Update(int32_t doorGroupID) override;
    void Remove(int32_t doorGroupID) override;
    void Refresh() override { reloadDoorAreas(); }
    // The templates' notifications (clsIOperatorTemplates, through an inner receiver since its
    // operations share their signatures with the door areas'): the template shown changed or went.
    void UpdateOperatorTemplate(int32_t operatorTemplateID);
    void RemoveOperatorTemplate(int32_t operatorTemplateID);

    // The validity dialog for the selected card kind; tests answer it themselves.
    using ValidityPrompt = std::function<bool(qint32 current, qint32 &chosen)>;
    void setValidityPrompt(ValidityPrompt prompt) { m_validityPrompt = std::move(prompt); }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    class TemplateEvents : public clsIOperatorTemplates
    {
    public:
        explicit TemplateEvents(frmOpTemplateData &dialog) : m_dialog(dialog) {}
        void Add(int32_t) override {}
        void Update(int32_t id) override { m_dialog.UpdateOperatorTemplate(id); }
        void Remove(int32_t id) override { m_dialog.RemoveOperatorTemplate(id); }
        void Refresh() override {}

    private:
        frmOpTemplateData &m_dialog;
    };

    void buildControls();
    QWidget *buildTablesPage();
    QWidget *buildCardsPage();
    QWidget *buildFunctionsPage();
    QWidget *buildDoorAreasPage();
    void showMode();
    bool load(qint32 templateID);
    void showRights();
    void showValidity(int index);
    void reloadDoorAreas();
    void showDoorAreas();
    OpTemplateRecord record() const;
    void showStoreError(const OpTemplateResult &failure);
    void setBusy(bool busy);

    void cmdNew_Click();
    void cmdSave_Click();
    void cmdUpdate_Click();
    void cmdEdit_Click();
    void cmdPrint_Click();
    void tableItemChanged(QTreeWidgetItem *item, int column);
    void doorAreaItemChanged(QTreeWidgetItem *item, int column);
    void afterUpdate();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    OpTemplateStore m_store;
    TemplateEvents m_templateEvents{*this};
    QLineEdit *m_txtName;
    QLineEdit *m_txtDescription;
    QTabWidget *m_tabs;
    QTreeWidget *m_lvwDB;
    QTreeWidget *m_lvwCards;
    std::array<QCheckBox *, Authority::FunctionCount> m_chkMisc{};
    QTreeWidget *m_lvwDoorAreas;
    QPushButton *m_cmdNew;
    QPushButton *m_cmdSave;
    QPushButton *m_cmdUpdate;
    QPushButton *m_cmdEdit;
    QPushButton *m_cmdPrint;
    QPushButton *m_cmdClose;
    QPointer<QWidget> m_caller;
    std::function<void(qint32)> m_handBack;
    ValidityPrompt m_validityPrompt;
    qint32 m_templateID = 0;
    OpTemplateRecord m_stored;
    OpTemplateRights m_rights;
    QList<DoorAreaMark> m_doorAreas;
    qint32 m_shownAreasOf = 0; // the template whose door-area marks the list holds
    bool m_showing = false;    // the lists are being filled, not edited
};
