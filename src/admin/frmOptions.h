#pragma once

#include "settings/SystemSettings.h"
#include "ui/WindowContracts.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QPushButton;
class QTabWidget;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The system settings: every parameter an administrator edits, on pages. The window reads the
// parameters again when it opens; OK checks the typed values in parameter order and saves only
// for an operator with the settings function (confirmed when several operators are logged on).
// Without that function the window shows the settings read only and says why.
class frmOptions : public QWidget, public FrameChild
{
    Q_OBJECT

public:
    frmOptions(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmOptions() override;

    // Reads the parameters and shows them; false (message -31151) when they could not be read.
    bool LoadSettings();
    bool readOnly() const { return m_readOnly; }

    bool IsDialogAvailable() override;
    void Activate() override;
    void EvaluateAuthority() override;
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override { return 0; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void cmdOK_Click();
    QWidget *makeControl(const SystemSettings::Entry &entry, QWidget *page);
    QString typedText(const SystemSettings::Entry &entry) const;
    QVariant typedValue(const SystemSettings::Entry &entry) const;
    void showValue(const SystemSettings::Entry &entry, const QVariant &value);
    void setReadOnly(bool readOnly);
    void tellOpenWindows();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    QTabWidget *m_tabs;
    QLabel *m_lblReadOnly;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    QPushButton *m_cmdStandard;
    QHash<int, QWidget *> m_controls; // by clsSystemParams::Key
    QHash<clsSystemParams::Key, QString> m_storedTemplates;
    bool m_readOnly = true;
};
