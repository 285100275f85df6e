#include "SessionFixture.h"

#include "components/recordtable/RecordTable.h"
#include "session/Logon.h"
#include "settings/clsSystemParams.h"

#include <sodium.h>

void SessionTest::SetUp()
{
    DatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_TRUE(m_hives.isValid());

    Workstation::Setup setup;
    setup.programPath = m_hives.path();
    setup.registry = {m_hives.filePath(QStringLiteral("hkcu.reg")), m_hives.filePath(QStringLiteral("hklm.reg"))};
    auto scripted = std::make_unique<ScriptedMessages>();
    messages = scripted.get();
    setup.messages = std::move(scripted);
    ws = std::make_unique<Workstation>(std::move(setup));
    ws->ComputerName = QStringLiteral("WS1");
    ws->texts.setTextFileName(qEnvironmentVariable("OSTRELLE_SOURCE_DIR") + QStringLiteral("/texts/ostrelle.rc"));
    ws->texts.setTextFileMode(true);
    ASSERT_TRUE(ws->texts.LoadTextFile());
    ws->setupMenus = [this] { ++menuSetups; };
    // No dialog may open on its own in a test; tests that expect one set their own prompt.
    ws->authority.setLogonPrompt([](int mode) {
        ADD_FAILURE() << "unexpected logon prompt, mode " << mode;
        return false;
    });

    ws->database = std::make_unique<RecordDatabase>();
    ws->database->setComputerName(ws->ComputerName);
    ws->database->setClock([this] { return now; });
    ws->database->setPasswordHashLimits(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
    ASSERT_TRUE(ws->database->open(connectionString())) << ws->database->errorText().toStdString();
    for (const SystemParameterRow &row : DefaultSystemParameterRows(ws->texts, now))
        putParameter(row.key, row.value);
    ws->logonTable = std::make_unique<RecordTable>(*ws->database);
    ws->operatorsTable = std::make_unique<RecordTable>(*ws->database);
    ws->operatorsTable->SelectTable(TableId::Operators);
    ws->parametersTable = std::make_unique<RecordTable>(*ws->database);
    ws->parametersTable->SelectTable(TableId::Parameters);
    ws->SystemParams = std::make_unique<clsSystemParams>(*ws->database, ws->texts);
    ASSERT_TRUE(ws->SystemParams->ReadSystemParameters());
    // As start-up leaves it, so that the first rights check reads template 1.
    ws->authority.setRightsTimeStamp(25569.0);
}

void SessionTest::TearDown()
{
    if (messages) {
        EXPECT_TRUE(messages->allAnswered()) << "a scripted message was not shown";
    }
    ws.reset();
    DatabaseTest::TearDown();
}

void SessionTest::setParameter(const QString &key, const QString &value)
{
    putParameter(key, value);
    EXPECT_TRUE(ws->SystemParams->ReadSystemParameters());
}

void SessionTest::logOnDesk(const QList<Right> &rights)
{
    deskID = addOperator(QStringLiteral("desk"), kDeskTemplate, QStringLiteral("pw"));
    for (const Right &right : rights)
        addRight(kDeskTemplate, right.operationCode, right.rwed, right.maxValidity);
    // Rights rows added since the last load count as changed.
    ws->authority.setRightsTimeStamp(25569.0);
    ASSERT_EQ(RunLogonCommand(*ws, 0, QStringLiteral("desk"), QStringLiteral("pw")), LogonOutcome::LoggedOn);
    messages->clear();
}

QList<qint32> SessionTest::componentLogons()
{
    RecordTable t(db);
    t.SelectTable(TableId::Logons);
    t.OpenQuery(QStringLiteral("computerName = ?"), QStringLiteral("userID"));
    t.AddParameter(QStringLiteral("WS1"));
    QList<qint32> ids;
    for (; t.Status() == RecordStatus::Ok; t.MoveNext())
        ids << t.GetField(QStringLiteral("userID")).toInt();
    return ids;
}
