#pragma once

#include "admin/OpTemplateStore.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

#include <QWidget>

class QTableWidget;
struct DatabaseServices;
struct FrameWindows;
struct ProgramServices;
struct Session;

// Operator templates against door areas: one row per template, one column per door area, "N"
// where the template bars the area and "Y" where it allows it. It follows changes of templates
// and door areas; a row opens its template in the template dialog.
class frmXrefOpTemplate : public QWidget, public FrameChild, public clsIDoorGroups
{
    Q_OBJECT

public:
    frmXrefOpTemplate(ProgramServices &program, DatabaseServices &db, Session &session, FrameWindows &frameWindows,
                      QWidget *parent = nullptr);
    ~frmXrefOpTemplate() override;

    bool IsDialogAvailable() override;
    void Activate() override;
    void EvaluateAuthority() override;
    ChildRole role() const override { return ChildRole::List; }
    int HelpContextID() const override;
    // Reads templates, door areas and the barred pairs again.
    void Reload();

    // clsIDoorGroups
    void Add(int32_t, int16_t) override { Reload(); }
    void Update(int32_t) override { Reload(); }
    void Remove(int32_t) override { Reload(); }
    void Refresh() override { Reload(); }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    class TemplateEvents : public clsIOperatorTemplates
    {
    public:
        explicit TemplateEvents(frmXrefOpTemplate &window) : m_window(window) {}
        void Add(int32_t) override { m_window.Reload(); }
        void Update(int32_t) override { m_window.Reload(); }
        void Remove(int32_t) override { m_window.Reload(); }
        void Refresh() override { m_window.Reload(); }

    private:
        frmXrefOpTemplate &m_window;
    };

    void openTemplate(int row);

    ProgramServices &m_program;
    Session &m_session;
    FrameWindows &m_frameWindows;
    OpTemplateStore m_store;
    TemplateEvents m_templateEvents{*this};
    QTableWidget *m_grdXref;
    TemplateCrossReference m_xref;
};
