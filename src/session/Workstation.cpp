#include "session/Workstation.h"

#include "session/frmLogon.h"
#include "settings/frmEncoderSetup.h"
#include "ui/WindowContracts.h"

Workstation::Workstation(Setup setup)
    : program(std::move(setup.programPath), setup.registry, std::move(setup.messages)), session(program, db)
{
    session.frame.busy = &m_busyCursor;
    session.authority.setLogonPrompt(
        [this](int mode) { return RunLogonDialog(program, db, cardServers, session, mode); });
    cardServers.chooseEncoder = [this](QWidget *parent) {
        if (db.database)
            RunEncoderSetup(*db.database, program.LocalParams, parent);
    };
    session.frame.refreshUserLists = [this]() {
        const QList<QObject *> windows = session.notify.openWindows();
        for (QObject *window : windows) {
            if (auto *list = dynamic_cast<UserListWindow *>(window))
                list->RefreshTableList();
        }
    };
}

Workstation::~Workstation()
{
    // The frame hands the busy signal back as it closes; nothing may call it after this.
    session.frame.busy = nullptr;
}
