#pragma once

#include "frame/FrameCommands.h"
#include "frame/MenuRules.h"

#include <QDockWidget>

#include <functional>

class QListWidget;
class QListWidgetItem;
class QTabBar;
struct ProgramServices;
struct Session;

// The navigation window beside the frame's client area: three tabs (cards, lists, reports) whose
// entries open the same dialogs as the corresponding menu commands, under the same rights rule.
class frmNavWindow : public QDockWidget
{
    Q_OBJECT
public:
    enum Tab { CardsTab, ListsTab, ReportsTab };

    using AvailabilityFn = std::function<Availability(const FrameCommands::Command &)>;
    using RunFn = std::function<void(const FrameCommands::Command &)>;

    frmNavWindow(ProgramServices &program, Session &session, AvailabilityFn availability, RunFn run,
                 QWidget *parent = nullptr);

    // Rebuilds the list of the current tab from the current rights.
    void Rebuild();
    void setCurrentTab(Tab tab);
    Tab currentTab() const;

    // Placement under "dlgNavWin".
    void RestorePlacement();
    void SavePlacement();

    // The command behind an entry key ("N256", "N1", "N16140"), or nullptr.
    static const FrameCommands::Command *commandOf(Tab tab, const QString &key);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void itemChosen(QListWidgetItem *item);

    ProgramServices &m_program;
    Session &m_session;
    AvailabilityFn m_availability;
    RunFn m_run;
    QTabBar *m_tabNav;
    QListWidget *m_lvwNav;
};
