// Logon per computer name, inactivity and the rights of the logged-on operators.
#include "DatabaseFixture.h"

#include <QMap>

class LogonTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        putParameter(QStringLiteral("MAXINACTIVETIME"), QStringLiteral("30"));
        front = addOperator(QStringLiteral("FRONTDESK"), 300, QStringLiteral("front"));
        super = addOperator(QStringLiteral("SUPERVISOR"), 700, QStringLiteral("super"), now + 10);
        expired = addOperator(QStringLiteral("OLD"), 300, QStringLiteral("old"), now - 1);
    }

    qint32 front = 0, super = 0, expired = 0;
    const double minute = 1.0 / 1440;
};

TEST_P(LogonTest, StatusesOfALogon)
{
    struct Case
    {
        const char *user;
        const char *password;
        qint32 status;
    };
    const Case cases[] = {
        {"FRONTDESK", "wrong", RecordStatus::LogonRefused}, {"NOBODY", "front", RecordStatus::LogonRefused},
        {"OLD", "old", RecordStatus::LogonExpired},         {"OLD", "wrong", RecordStatus::LogonRefused},
        {"frontdesk", "front", RecordStatus::Ok},
    };
    RecordTable &t = *rt;
    for (const Case &c : cases) {
        t.Logon(QString::fromLatin1(c.user), QString::fromLatin1(c.password));
        EXPECT_STATUS(t, c.status) << c.user << "/" << c.password;
    }
    EXPECT_EQ(t.CurrentOperatorID(), front);
    EXPECT_FALSE(t.LoggedOff());
    // Logon returns the operator's expiry.
    EXPECT_DOUBLE_EQ(t.Logon(QStringLiteral("SUPERVISOR"), QStringLiteral("super")), now + 10);
}

TEST_P(LogonTest, GroupLogonIsPerComputerName)
{
    RecordTable ws1(db);
    ws1.Logon(QStringLiteral("FRONTDESK"), QStringLiteral("front"));
    EXPECT_STATUS(ws1, RecordStatus::Ok);
    // Logging on again alone is no group.
    ws1.Logon(QStringLiteral("FRONTDESK"), QStringLiteral("front"));
    EXPECT_STATUS(ws1, RecordStatus::Ok);
    ws1.Logon(QStringLiteral("SUPERVISOR"), QStringLiteral("super"));
    EXPECT_STATUS(ws1, RecordStatus::LoggedOnBeside);
    EXPECT_EQ(ws1.CurrentOperatorID(), super);

    // Another workstation on the same database: its own, empty group.
    auto second = openSecond();
    RecordTable ws2(*second);
    ws2.Logon(QStringLiteral("SUPERVISOR"), QStringLiteral("super"));
    EXPECT_STATUS(ws2, RecordStatus::Ok);
    RecordTable sameName(*second);
    sameName.SetComputerName(QStringLiteral("WS1"));
    EXPECT_EQ(sameName.CurrentOperatorID(), super) << "logons live in the database, per computer name";

    // An empty password ends that operator's logon only.
    ws1.Logon(QStringLiteral("SUPERVISOR"), QString());
    EXPECT_STATUS(ws1, RecordStatus::Ok);
    EXPECT_EQ(ws1.CurrentOperatorID(), front);
    EXPECT_EQ(ws2.CurrentOperatorID(), super);
    ws1.Logon(QStringLiteral("FRONTDESK"), QString());
    EXPECT_TRUE(ws1.LoggedOff());
    EXPECT_EQ(ws1.CurrentOperatorID(), 0);
}

TEST_P(LogonTest, InactivityEndsTheLogon)
{
    RecordTable t(db);
    t.Logon(QStringLiteral("FRONTDESK"), QStringLiteral("front"));
    ASSERT_STATUS(t, RecordStatus::Ok);
    now += 20 * minute;
    RecordTable other(db);
    other.SelectTable(TableId::Users); // any call from this workstation counts
    now += 25 * minute;
    EXPECT_FALSE(t.LoggedOff()) << "25 minutes since the last call";
    now += 31 * minute;
    EXPECT_TRUE(t.LoggedOff());
    other.SelectTable(TableId::Doors);
    EXPECT_TRUE(t.LoggedOff()) << "a late call does not revive an ended logon";
    EXPECT_EQ(t.CurrentOperatorID(), 0);

    t.Logon(QStringLiteral("SUPERVISOR"), QStringLiteral("super"));
    EXPECT_STATUS(t, RecordStatus::Ok) << "the ended operator no longer counts as logged on here";
}

TEST_P(LogonTest, PasswordConfirmationPicksTheOperatorOfTheGroup)
{
    RecordTable &t = *rt;
    t.LogonPassword(QStringLiteral("front"));
    EXPECT_STATUS(t, RecordStatus::NotLoggedOn);
    t.Logon(QStringLiteral("FRONTDESK"), QStringLiteral("front"));
    t.Logon(QStringLiteral("SUPERVISOR"), QStringLiteral("super"));
    ASSERT_EQ(t.CurrentOperatorID(), super);
    t.LogonPassword(QStringLiteral("wrong"));
    EXPECT_STATUS(t, RecordStatus::LogonRefused);
    EXPECT_EQ(t.CurrentOperatorID(), super);
    now += minute;
    t.LogonPassword(QStringLiteral("front"));
    EXPECT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.CurrentOperatorID(), front);
    RecordTable params(db);
    params.SelectTable(TableId::Parameters);
    params.SetField(QStringLiteral("parameterID"), QStringLiteral("MAXINACTIVETIME"));
    params.FindRecord();
    params.SetField(QStringLiteral("parameter"), QStringLiteral("0")); // no inactivity limit
    params.UpdateRecord();
    ASSERT_STATUS(params, RecordStatus::Ok);
    now += 11;
    t.LogonPassword(QStringLiteral("super"));
    EXPECT_STATUS(t, RecordStatus::LogonExpired);
}

class RightsTest : public LogonTest
{
protected:
    void SetUp() override
    {
        LogonTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addRight(300, 0x800000 + 16, 1 | 2);
        addRight(300, 0x600000 + 256, 0, 60);
        addRight(300, 0x600000 + 260, 0, 0);
        addRight(300, 0x700000 + 6, 0);
        addRight(300, 0x200000 + 4, 0); // barred door area: no right
        addRight(700, 0x800000 + 16, 4);
        addRight(700, 0x800000 + 0, 1);
        addRight(700, 0x600000 + 256, 0, 1440);
        addRight(700, 0x700000 + 3, 0);
    }

    struct Set
    {
        QMap<qint32, qint32> tables, validity;
        QList<qint32> functions;
        bool operator==(const Set &o) const
        {
            return tables == o.tables && validity == o.validity && functions == o.functions;
        }
    };

    Set read(RecordTable &t)
    {
        Set s;
        qint32 a = 0, b = 0;
        for (t.NextRight(a, b); t.Status() == RecordStatus::Ok; t.NextRight(a, b))
            s.tables.insert(a, b);
        EXPECT_STATUS(t, RecordStatus::NoRecord);
        for (t.NextMaxValidity(a, b); t.Status() == RecordStatus::Ok; t.NextMaxValidity(a, b))
            s.validity.insert(a, b);
        for (t.NextFunction(a); t.Status() == RecordStatus::Ok; t.NextFunction(a))
            s.functions << a;
        return s;
    }
};

TEST_P(RightsTest, RightsOfTheGroupAreUnited)
{
    RecordTable rights(db);
    EXPECT_EQ(read(rights), Set{}) << "nobody logged on";

    RecordTable logon(db);
    logon.Logon(QStringLiteral("FRONTDESK"), QStringLiteral("front"));
    rights.RefreshRights();
    EXPECT_EQ(read(rights), (Set{{{16, 3}}, {{256, 60}}, {6}}));

    logon.Logon(QStringLiteral("SUPERVISOR"), QStringLiteral("super"));
    ASSERT_STATUS(logon, RecordStatus::LoggedOnBeside);
    EXPECT_EQ(read(rights), (Set{{{0, 1}, {16, 7}}, {{256, 1440}}, {3, 6}})) << "read again without refresh";

    // The server's own checks answer for the current operator (the supervisor).
    struct Case
    {
        qint32 table, bits, status;
    };
    for (const Case &c : {Case{16, 4, RecordStatus::Ok}, Case{16, 2, RecordStatus::NotAllowed},
                          Case{0, 1, RecordStatus::Ok}, Case{48, 1, RecordStatus::NotAllowed}}) {
        rights.CheckRights(c.table, c.bits);
        EXPECT_STATUS(rights, c.status) << c.table << "/" << c.bits;
    }
    rights.CheckFunction(6);
    EXPECT_STATUS(rights, RecordStatus::NotAllowed);
    now += 1.0 / 1440;
    logon.LogonPassword(QStringLiteral("front"));
    rights.CheckFunction(6);
    EXPECT_STATUS(rights, RecordStatus::Ok) << "after the front desk confirmed";

    logon.Logon(QStringLiteral("SUPERVISOR"), QString());
    logon.Logon(QStringLiteral("FRONTDESK"), QString());
    rights.CheckRights(16, 1);
    EXPECT_STATUS(rights, RecordStatus::NotLoggedOn);
}

TEST_P(RightsTest, RefreshedRightsFollowTemplateChanges)
{
    RecordTable logon(db), rights(db);
    logon.Logon(QStringLiteral("FRONTDESK"), QStringLiteral("front"));
    qint32 table = 0, bits = 0;
    rights.NextRight(table, bits);
    ASSERT_STATUS(rights, RecordStatus::Ok);
    EXPECT_EQ(bits, 3);
    addRight(300, 0x800000 + 48, 1);
    rights.NextRight(table, bits);
    EXPECT_STATUS(rights, RecordStatus::NoRecord) << "an iteration keeps its set";
    rights.RefreshRights();
    EXPECT_EQ(read(rights).tables, (QMap<qint32, qint32>{{16, 3}, {48, 1}}));
}

INSTANTIATE_TEST_SUITE_P(Engines, LogonTest, ::testing::Values("sqlite", "postgresql"));
INSTANTIATE_TEST_SUITE_P(Engines, RightsTest, ::testing::Values("sqlite", "postgresql"));
