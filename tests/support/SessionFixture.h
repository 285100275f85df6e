#pragma once

#include "DatabaseFixture.h"
#include "ScriptedMessages.h"
#include "session/Workstation.h"

#include <QTemporaryDir>

#include <memory>

// A test installation: registry hives in a temporary folder, a created database (SQLite, or
// PostgreSQL with OSTRELLE_TEST_PG) with the parameter rows of a new installation, the texts from
// the text table, scripted messages and the server clock pinned to `now`. The workstation is
// called "WS1" and holds the logon, operators and parameters objects and the loaded parameters,
// as start-up leaves them.
class SessionTest : public DatabaseTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Changes a parameter row and reloads the parameters.
    void setParameter(const QString &key, const QString &value);
    static constexpr qint32 kDeskTemplate = 300;
    // Logs "desk" (template kDeskTemplate, password "pw") on through the logon command with these rights
    // and forgets the messages that showed.
    struct Right
    {
        qint32 operationCode;
        qint32 rwed = 0;
        qint32 maxValidity = 0;
    };
    void logOnDesk(const QList<Right> &rights);
    // The operators logged on at WS1 as the database component keeps them, by userID.
    QList<qint32> componentLogons();

    std::unique_ptr<Workstation> ws;
    ScriptedMessages *messages = nullptr;
    int menuSetups = 0; // calls of the frame's SetupMenus
    qint32 deskID = 0;  // set by logOnDesk

private:
    QTemporaryDir m_hives;
};
