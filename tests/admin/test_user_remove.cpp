#include "UserAdminFixture.h"
#include "admin/UserRegister.h"
#include "components/recordtable/RecordTable.h"

namespace {

class UserRemoveTest : public UserAdminTest
{
protected:
    // An operator with a note, as the operator dialog leaves one.
    qint32 addNotedOperator(const QString &alphaID, qint32 &noteID)
    {
        const qint32 userID = addOperator(alphaID, 500, QStringLiteral("pw"));
        RecordTable t(db);
        t.SelectTable(TableId::Notes);
        t.SetField(QStringLiteral("noteText"), QStringLiteral("night shift"));
        t.InsertRecord();
        EXPECT_STATUS(t, RecordStatus::Ok);
        noteID = t.GetField(QStringLiteral("noteID")).toInt();
        t.SelectTable(TableId::Operators);
        t.SetField(QStringLiteral("userID"), userID);
        t.FindRecord();
        EXPECT_STATUS(t, RecordStatus::Ok);
        t.SetField(QStringLiteral("noteID"), noteID);
        t.UpdateRecord();
        EXPECT_STATUS(t, RecordStatus::Ok);
        return userID;
    }
};

TEST_P(UserRemoveTest, RemovalMarksTheUserAndDropsAnOperatorsRows)
{
    const struct
    {
        const char *what;
        bool isOperator;
        qint32 operatorRights;
        int16_t buttons;
        std::vector<int16_t> shown;
        int answer;
        RemoveOutcome outcome;
        bool removed;
    } rows[] = {
        {"user, yes", false, 0, RemoveOneUser, {-32509}, 0, RemoveOutcome::Removed, true},
        {"user, no", false, 0, RemoveOneUser, {-32509}, 1, RemoveOutcome::Cancelled, false},
        {"one of several, yes to all", false, 0, RemoveOneOfSeveral, {-32509}, 1, RemoveOutcome::RemovedAll, true},
        {"one of several, no", false, 0, RemoveOneOfSeveral, {-32509}, 2, RemoveOutcome::Skipped, false},
        {"one of several, cancel", false, 0, RemoveOneOfSeveral, {-32509}, 3, RemoveOutcome::Cancelled, false},
        {"after yes to all nothing is asked", false, 0, 0, {}, 0, RemoveOutcome::Removed, true},
        {"operator with delete right", true, 8, RemoveOneUser, {-32509}, 0, RemoveOutcome::Removed, true},
        {"operator without delete right", true, 7, RemoveOneUser, {-31142}, 0, RemoveOutcome::Refused, false},
    };
    logOn(15, 0);
    NotificationLog log(ws->session.notify);
    int n = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NO_FATAL_FAILURE(changeRight(300, Authority::TableRightsBase + TableId::Operators, row.operatorRights));
        ws->session.authority.LoadOperatorRights(true);

        const QString alphaID = QStringLiteral("U%1").arg(++n);
        qint32 noteID = 0;
        const qint32 userID =
            row.isOperator ? addNotedOperator(alphaID, noteID) : addUser({alphaID, QStringLiteral("Doe"), {}});
        messages->clear();
        log.entries.clear();
        for (int16_t number : row.shown)
            messages->expect(number, row.answer);

        EXPECT_EQ(RemoveUser(ws->program, ws->db, ws->session, userID, alphaID, row.buttons), row.outcome);
        EXPECT_EQ(messages->shownNumbers(), row.shown);
        if (!row.shown.empty() && row.shown.front() == -32509) {
            EXPECT_EQ(messages->shown().front().request.arguments, QVariantList{alphaID});
            EXPECT_EQ(messages->shown().front().request.buttonNumbers, std::vector<int16_t>{row.buttons});
        }
        EXPECT_EQ(userField(userID, QStringLiteral("deleted")).toInt(), row.removed ? 1 : 0);
        EXPECT_EQ(hasRow(TableId::UserView, QStringLiteral("userID"), userID), !row.removed);
        QStringList expectedLog;
        if (row.removed)
            expectedLog << QStringLiteral("remove %1").arg(userID);
        if (row.removed && row.isOperator)
            expectedLog << QStringLiteral("operator remove %1").arg(userID);
        EXPECT_EQ(log.entries, expectedLog);
        if (row.isOperator) {
            const bool kept = !row.removed;
            EXPECT_EQ(hasRow(TableId::Operators, QStringLiteral("userID"), userID), kept);
            EXPECT_EQ(hasRow(TableId::Passwords, QStringLiteral("userID"), userID), kept);
            EXPECT_EQ(hasRow(TableId::Notes, QStringLiteral("noteID"), noteID), kept);
        }
        EXPECT_TRUE(hasRow(TableId::Users, QStringLiteral("userID"), userID)) << "users are never deleted";
    }
}

TEST_P(UserRemoveTest, AUserThatIsGoneIsReported)
{
    logOn(15);
    NotificationLog log(ws->session.notify);
    messages->expect(-32509, 0).expect(-31227);
    EXPECT_EQ(RemoveUser(ws->program, ws->db, ws->session, 4711, QStringLiteral("X"), RemoveOneUser),
              RemoveOutcome::Failed);
    EXPECT_TRUE(log.entries.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Engines, UserRemoveTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
