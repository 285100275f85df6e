#include "SessionFixture.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"
#include "session/Logon.h"

#include <functional>
#include <vector>

namespace {

constexpr qint32 kTable = Authority::TableRightsBase;
constexpr qint32 kFunction = Authority::FunctionBase;
constexpr qint32 kCard = Authority::CardKindBase;

class AuthorityTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        anna = addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
        bob = addOperator(QStringLiteral("bob"), 800, QStringLiteral("builder"));
        ws->session.authority.setLogonPrompt([this](int mode) {
            prompts.push_back(mode);
            if (promptPassword.isEmpty())
                return false; // the operator cancels
            return RunLogonCommand(ws->program, ws->db, ws->cardServers, ws->session, mode, promptUser,
                                   promptPassword) == LogonOutcome::LoggedOn;
        });
    }

    // Ends every logon here and logs the given operators on through the logon command.
    void loggedOn(const QList<const char *> &users)
    {
        for (const char *user : {"anna", "bob"})
            ws->db.logonTable->Logon(QString::fromLatin1(user), QString());
        ws->session.logon = LogonState{};
        for (const char *user : users) {
            const QString name = QString::fromLatin1(user);
            ASSERT_EQ(RunLogonCommand(ws->program, ws->db, ws->cardServers, ws->session, 0, name, passwordOf(name)),
                      LogonOutcome::LoggedOn);
        }
        ws->session.authority.LoadOperatorRights(false);
    }

    static QString passwordOf(const QString &user)
    {
        return user == QLatin1String("anna") ? QStringLiteral("secret") : QStringLiteral("builder");
    }

    qint32 anna = 0;
    qint32 bob = 0;
    std::vector<int> prompts;
    QString promptUser;
    QString promptPassword;
};

TEST_P(AuthorityTest, TheOperatorSetKeepsItsRangesAndIsEmptyForNobody)
{
    addRight(300, kTable + 16, 3);
    addRight(300, kCard + 256, 0, 1440);
    addRight(300, kCard + 257, 0, 0);
    addRight(300, kFunction + 3, 0);
    // Rows outside the ranges the workstation keeps are ignored.
    addRight(300, kTable + 69 * 16, 15);
    addRight(300, kFunction + 22, 0);
    addRight(300, kCard + 281, 0, 600);
    addRight(300, Authority::BarredDoorGroupBase + 5, 0);

    struct Check
    {
        const char *what;
        std::function<qint64(const Authority &)> ask;
        qint64 anna;
    };
    const Check checks[] = {
        {"users read", [](const Authority &a) { return a.HasRight(16, Authority::Read); }, 1},
        {"users write", [](const Authority &a) { return a.HasRight(16, Authority::Write); }, 1},
        {"users edit", [](const Authority &a) { return a.HasRight(16, Authority::Edit); }, 0},
        {"users delete", [](const Authority &a) { return a.HasRight(16, Authority::Delete); }, 0},
        {"cards read", [](const Authority &a) { return a.HasRight(48, Authority::Read); }, 0},
        {"table beyond the set", [](const Authority &a) { return a.HasRight(69 * 16, 15); }, 0},
        {"guest card", [](const Authority &a) { return a.MayIssueCardKind(256); }, 1},
        {"guest card minutes", [](const Authority &a) { return a.MaxCardValidity(256); }, 1440},
        {"joiner card (0 minutes)", [](const Authority &a) { return a.MayIssueCardKind(257); }, 0},
        {"card kind beyond the set", [](const Authority &a) { return a.MaxCardValidity(281); }, 0},
        {"function 3", [](const Authority &a) { return a.HasFunction(3); }, 1},
        {"function 22", [](const Authority &a) { return a.HasFunction(22); }, 0},
    };
    loggedOn({"anna"});
    for (const Check &c : checks)
        EXPECT_EQ(c.ask(ws->session.authority), c.anna) << "anna: " << c.what;
    loggedOn({});
    for (const Check &c : checks)
        EXPECT_EQ(c.ask(ws->session.authority), 0) << "nobody: " << c.what;
}

TEST_P(AuthorityTest, ACardValidBeyondTheOperatorsMaximumIsRefused)
{
    addRight(300, kCard + 256, 0, 1440);
    loggedOn({"anna"});
    struct Row
    {
        int cardNameID;
        double days;
        bool allowed;
    };
    const Row rows[] = {
        {256, 1.0, true},               // exactly 24 hours
        {256, 1.0 + 1.0 / 1440, false}, // one minute more
        {256, 0.25, true},
        {257, 1.0 / 1440, false}, // a kind the operator may not issue
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.days);
        messages->clear();
        if (!row.allowed)
            messages->expect(-31225);
        EXPECT_EQ(ws->session.authority.CheckCardValidity(row.cardNameID, now, now + row.days), row.allowed);
        EXPECT_EQ(messages->shown().size(), row.allowed ? 0u : 1u);
    }
}

TEST_P(AuthorityTest, TheReferenceSetFollowsTemplateOneThroughTheTimeStamp)
{
    addRight(1, kTable + 48, 1);
    addRight(1, kFunction + 19, 0);
    addRight(1, kCard + 270, 0, 5);
    addRight(300, kTable + 16, 1); // another template's rows stay out
    ws->session.authority.LoadReferenceRights();
    EXPECT_TRUE(ws->session.authority.HasRight(48, 1, Authority::ReferenceSet));
    EXPECT_TRUE(ws->session.authority.HasFunction(19, Authority::ReferenceSet));
    EXPECT_TRUE(ws->session.authority.MayIssueCardKind(270, Authority::ReferenceSet));
    EXPECT_FALSE(ws->session.authority.HasRight(16, 1, Authority::ReferenceSet));
    EXPECT_FALSE(ws->session.authority.HasRight(48, 1)); // nobody logged on
    EXPECT_GT(ws->session.authority.RightsTimeStamp(), 25569.0);

    // A change after the last load is read at the next one.
    addRight(1, kTable + 16, 1);
    ws->session.authority.LoadReferenceRights();
    EXPECT_TRUE(ws->session.authority.HasRight(16, 1, Authority::ReferenceSet));

    // With a stamp after the last change the cached set is kept.
    ws->session.authority.setRightsTimeStamp(99999.0);
    addRight(1, kTable + 0, 1);
    ws->session.authority.LoadReferenceRights();
    EXPECT_FALSE(ws->session.authority.HasRight(0, 1, Authority::ReferenceSet));
    ws->session.authority.setRightsTimeStamp(25569.0);
    ws->session.authority.LoadReferenceRights();
    EXPECT_TRUE(ws->session.authority.HasRight(0, 1, Authority::ReferenceSet));
}

TEST_P(AuthorityTest, IsFunctionAllowedInItsThreeModes)
{
    addRight(300, kFunction + 9, 0);
    addRight(300, kFunction + 3, 0);
    addRight(300, kTable + 208, 1);
    addRight(800, kFunction + 10, 0);
    addRight(800, kFunction + 3, 0);
    struct Row
    {
        const char *name;
        QList<const char *> operators;
        int function;
        int mode;
        const char *promptUser;
        const char *promptPassword; // "" cancels the prompt
        bool allowed;
        std::vector<int> prompts;
        bool refusal; // -31143 shown
    };
    const Row rows[] = {
        {"logged off, logon cancelled", {}, 9, 0, "", "", false, {0}, false},
        {"logged off, logon gives the right", {}, 9, 0, "anna", "secret", true, {0}, false},
        {"logged off, logon lacks it", {}, 10, 2, "anna", "secret", false, {0}, true},
        {"mode 0 allowed", {"anna"}, 9, 0, "", "", true, {}, false},
        {"mode 0 refused", {"anna"}, 10, 0, "", "", false, {}, true},
        {"mode 0 group unites", {"anna", "bob"}, 10, 0, "", "", true, {}, false},
        {"settings need the parameters right", {"bob"}, 3, 0, "", "", false, {}, true},
        {"mode 1 confirmation cancelled", {"anna"}, 9, 1, "", "", false, {1}, false},
        {"mode 1 server allows", {"anna"}, 9, 1, "", "secret", true, {1}, false},
        {"mode 2 alone, no confirmation", {"anna"}, 9, 2, "", "", true, {}, false},
        {"mode 2 group, confirming operator lacks it", {"anna", "bob"}, 9, 2, "", "builder", false, {1}, true},
        {"mode 2 group, confirming operator has it", {"anna", "bob"}, 9, 2, "", "secret", true, {1}, false},
        {"mode 1 settings, server lacks the parameters right", {"anna", "bob"}, 3, 1, "", "builder", false, {1}, true},
        {"mode 1 settings, server allows", {"anna", "bob"}, 3, 1, "", "secret", true, {1}, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        loggedOn(row.operators);
        prompts.clear();
        promptUser = QString::fromLatin1(row.promptUser);
        promptPassword = QString::fromLatin1(row.promptPassword);
        messages->clear();
        if (row.refusal)
            messages->expect(-31143);
        EXPECT_EQ(ws->session.authority.IsFunctionAllowed(row.function, row.mode), row.allowed);
        EXPECT_EQ(prompts, row.prompts);
        EXPECT_TRUE(messages->allAnswered());
    }
}

TEST_P(AuthorityTest, EnsureLogonAsksForWhatIsMissing)
{
    struct Row
    {
        const char *name;
        QList<const char *> operators;
        bool shared;
        bool confirm;
        const char *promptUser;
        const char *promptPassword;
        bool result;
        std::vector<int> prompts;
    };
    const Row rows[] = {
        {"logged off: full logon", {}, false, false, "anna", "secret", true, {0}},
        {"logged off: logon cancelled", {}, true, true, "", "", false, {0}},
        {"logged on, no confirmation wanted", {"anna"}, false, false, "", "", true, {}},
        {"confirmation", {"anna"}, false, true, "", "secret", true, {1}},
        {"confirmation cancelled", {"anna"}, false, true, "", "", false, {1}},
        {"shared, alone: no confirmation", {"anna"}, true, true, "", "", true, {}},
        {"shared, group: confirmation", {"anna", "bob"}, true, true, "", "builder", true, {1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        loggedOn(row.operators);
        prompts.clear();
        promptUser = QString::fromLatin1(row.promptUser);
        promptPassword = QString::fromLatin1(row.promptPassword);
        const bool result = row.shared ? ws->session.authority.EnsureLogonShared(row.confirm)
                                       : ws->session.authority.EnsureLogon(row.confirm);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(prompts, row.prompts);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, AuthorityTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
