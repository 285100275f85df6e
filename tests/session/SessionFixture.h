#pragma once

#include "ScriptedMessages.h"
#include "components/recordtable/DatabaseFixture.h"
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
    // Changes or adds a parameter row.
    void putParameter(const QString &key, const QString &value);
    // An operator whose userID is given (the service operator is 15).
    void addOperatorWithId(qint32 userID, const QString &alphaID, qint32 templateId, const QString &password);
    // The operators logged on at WS1 as the database component keeps them, by userID.
    QList<qint32> componentLogons();

    std::unique_ptr<Workstation> ws;
    ScriptedMessages *messages = nullptr;
    int menuSetups = 0; // calls of the frame's SetupMenus

private:
    QTemporaryDir m_hives;
};
