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
    ws->program.ComputerName = QStringLiteral("WS1");
    ws->program.texts.setTextFileName(qEnvironmentVariable("OSTRELLE_SOURCE_DIR") +
                                      QStringLiteral("/texts/ostrelle.rc"));
    ws->program.texts.setTextFileMode(true);
    ASSERT_TRUE(ws->program.texts.LoadTextFile());
    ws->session.frame.setupMenus = [this] { ++menuSetups; };
    // No dialog may open on its own in a test; tests that expect one set their own prompt.
    ws->session.authority.setLogonPrompt([](int mode) {
        ADD_FAILURE() << "unexpected logon prompt, mode " << mode;
        return false;
    });

    ws->db.database = std::make_unique<RecordDatabase>();
    ws->db.database->setComputerName(ws->program.ComputerName);
    ws->db.database->setClock([this] { return now; });
    ws->db.database->setPasswordHashLimits(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
    ASSERT_TRUE(ws->db.database->open(connectionString())) << ws->db.database->errorText().toStdString();
    for (const SystemParameterRow &row : DefaultSystemParameterRows(ws->program.texts, now))
        putParameter(row.key, row.value);
    ws->db.logonTable = std::make_unique<RecordTable>(*ws->db.database);
    ws->db.operatorsTable = std::make_unique<RecordTable>(*ws->db.database);
    ws->db.operatorsTable->SelectTable(TableId::Operators);
    ws->db.parametersTable = std::make_unique<RecordTable>(*ws->db.database);
    ws->db.parametersTable->SelectTable(TableId::Parameters);
    ws->db.SystemParams = std::make_unique<clsSystemParams>(*ws->db.database, ws->program.texts);
    ASSERT_TRUE(ws->db.SystemParams->ReadSystemParameters());
    // As start-up leaves it, so that the first rights check reads template 1.
    ws->session.authority.setRightsTimeStamp(25569.0);
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
    EXPECT_TRUE(ws->db.SystemParams->ReadSystemParameters());
}

void SessionTest::logOnDesk(const QList<Right> &rights)
{
    deskID = addOperator(QStringLiteral("desk"), kDeskTemplate, QStringLiteral("pw"));
    for (const Right &right : rights)
        addRight(kDeskTemplate, right.operationCode, right.rwed, right.maxValidity);
    // Rights rows added since the last load count as changed.
    ws->session.authority.setRightsTimeStamp(25569.0);
    ASSERT_EQ(RunLogonCommand(ws->program, ws->db, ws->cardServers, ws->session, 0, QStringLiteral("desk"),
                              QStringLiteral("pw")),
              LogonOutcome::LoggedOn);
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
