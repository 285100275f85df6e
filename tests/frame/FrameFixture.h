#pragma once

#include "SessionFixture.h"
#include "frame/frmMain.h"
#include "settings/clsSystemParams.h"

#include <QStringList>

#include <memory>

class QAction;

// The real main frame on a test installation: the session fixture's workstation and database,
// operators logged on through the logon command, polls without waiting.
class FrameTest : public SessionTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Ends every logon here, then logs the given operators on (password "pw" each) as the logon
    // dialog does, which reloads the rights and has the frame recompute its menus.
    void logOn(const QStringList &alphaIDs);
    void logOff(const QString &alphaID);
    qint32 addOperatorNamed(const QString &alphaID, qint32 templateId);
    void setFlag(clsSystemParams::Key key, bool on);

    QAction *menuItem(const QString &name);
    QAction *topMenu(const QString &name);

    std::unique_ptr<frmMain> frame;
    QHash<QString, qint32> operatorIds;
};
