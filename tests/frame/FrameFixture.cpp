#include "FrameFixture.h"

#include "FindChild.h"
#include "components/recordtable/RecordTable.h"
#include "session/Logon.h"
#include "settings/clsSystemParams.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void FrameTest::SetUp()
{
    SessionTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    // The frame remembers its toolbar and navigation window; a first start shows both.
    ws->program.LocalParams.ReadLocalParameters();
    frame = std::make_unique<frmMain>(ws->program, ws->db, ws->cardServers, ws->session, ws->facts, ws->frameWindows);
    frame->setPollInterval(0);
}

void FrameTest::TearDown()
{
    if (frame) {
        // Closing would ask; the tests that close the frame do it themselves.
        frame->hide();
        frame.reset();
    }
    SessionTest::TearDown();
}

qint32 FrameTest::addOperatorNamed(const QString &alphaID, qint32 templateId)
{
    const qint32 id = addOperator(alphaID, templateId, QStringLiteral("pw"));
    operatorIds.insert(alphaID, id);
    return id;
}

void FrameTest::logOn(const QStringList &alphaIDs)
{
    for (auto it = operatorIds.cbegin(); it != operatorIds.cend(); ++it)
        ws->db.logonTable->Logon(it.key(), QString());
    ws->session.logon = LogonState{};
    // Rights rows added since the last load count as changed.
    ws->session.authority.setRightsTimeStamp(25569.0);
    for (const QString &alphaID : alphaIDs)
        ASSERT_EQ(RunLogonCommand(ws->program, ws->db, ws->cardServers, ws->session, 0, alphaID, QStringLiteral("pw")),
                  LogonOutcome::LoggedOn)
            << alphaID.toStdString();
    if (alphaIDs.isEmpty()) {
        ws->session.authority.LoadOperatorRights(false);
        ws->session.authority.LoadReferenceRights();
        frame->SetupMenus();
        frame->SetupToolbar();
    }
}

void FrameTest::logOff(const QString &alphaID)
{
    LogOffOperators(ws->db, ws->session, {{alphaID, operatorIds.value(alphaID)}});
}

void FrameTest::setFlag(clsSystemParams::Key key, bool on)
{
    setParameter(clsSystemParams::keyName(key), on ? QStringLiteral("1") : QStringLiteral("0"));
}

QAction *FrameTest::menuItem(const QString &name)
{
    const QList<QAction *> found = frame->findChildren<QAction *>(name);
    for (QAction *action : found) {
        if (!action->menu())
            return action;
    }
    ADD_FAILURE() << "no menu item " << name.toStdString();
    return nullptr;
}

QAction *FrameTest::topMenu(const QString &name)
{
    const QList<QAction *> bar = frame->menuBar()->actions();
    for (QAction *action : bar) {
        if (action->menu() && action->menu()->objectName() == name)
            return action;
    }
    ADD_FAILURE() << "no menu " << name.toStdString();
    return nullptr;
}
