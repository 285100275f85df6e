#pragma once

#include "cards/RoomOverrides.h"
#include "ui/WindowContracts.h"

#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QPushButton;
class QTreeWidget;
class frmLog;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// Imports the override numbers of the previous system's room file and writes them, moved on by
// the chosen offset, to the doors with the same door and room numbers. One import is saved at
// most once per opening; rows that reach no door are listed in the log window.
class frmOverride : public QWidget, public FrameChild
{
    Q_OBJECT

public:
    using FileChooser = std::function<QString(QWidget *parent)>;

    frmOverride(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmOverride() override;

    // Fills the rows from a room file; a file that cannot be read or holds no whole record
    // leaves them as they are (false).
    bool LoadRoomfile(const QString &fileName);
    // Tests choose the file themselves.
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    frmLog *logWindow() const { return m_log.get(); }

    bool IsDialogAvailable() override { return true; }
    void Activate() override;
    void EvaluateAuthority() override {}
    ChildRole role() const override { return ChildRole::Details; }
    int HelpContextID() const override { return 1202; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void cmdOpen_Click();
    void cmdSave_Click();
    bool operatorMaySave();

    ProgramServices &m_program;
    DatabaseServices &m_db;
    Session &m_session;
    QTreeWidget *m_lvwOverride;
    QComboBox *m_cboOffset;
    QPushButton *m_cmdOpen;
    QPushButton *m_cmdSave;
    QPushButton *m_cmdClose;
    std::unique_ptr<frmLog> m_log;
    FileChooser m_chooseFile;
    QList<RoomOverride> m_rows;
};
