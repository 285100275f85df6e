#include "FindChild.h"
#include "UserAdminFixture.h"
#include "admin/UserDataStore.h"
#include "admin/frmUserData.h"
#include "session/Logon.h"
#include "ui/WindowNumbers.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

namespace {

const char *const kInputs[] = {"txtAlphaID",  "txtSurname", "txtFirstname", "txtAddress1",
                               "txtAddress2", "txtZipcode", "txtCity"};

class UserDataTest : public UserAdminTest
{
protected:
    std::unique_ptr<frmUserData> openDialog(qint32 userID)
    {
        auto dialog = std::make_unique<frmUserData>(ws->program, ws->db, ws->session);
        dialog->setUserID(userID);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        return dialog;
    }

    QLineEdit *input(QWidget *dialog, int index) { return child<QLineEdit>(dialog, QLatin1String(kInputs[index])); }

    void fill(QWidget *dialog, const QStringList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            input(dialog, i)->setText(values.at(i));
    }

    void click(QWidget *dialog, const char *name)
    {
        QTest::mouseClick(child<QPushButton>(dialog, QLatin1String(name)), Qt::LeftButton);
    }

    // The users whose identifier is alphaID, as stored.
    int usersWith(const QString &alphaID) { return rowCount(TableId::Users, QStringLiteral("alphaID = ?"), {alphaID}); }
};

TEST_P(UserDataTest, SavingANewUserStoresTheSevenFieldsAndAnnouncesIt)
{
    logOn(15);
    NotificationLog log(ws->session.notify);
    auto dialog = openDialog(0);
    EXPECT_FALSE(child<QPushButton>(dialog.get(), QStringLiteral("cmdSave"))->isHidden());
    EXPECT_TRUE(child<QPushButton>(dialog.get(), QStringLiteral("cmdUpdate"))->isHidden());
    fill(dialog.get(), {QStringLiteral("G200"), QStringLiteral("Lind"), QStringLiteral("Maja"),
                        QStringLiteral("Main St 1"), QString(), QStringLiteral("12345"), QStringLiteral("Lund")});
    click(dialog.get(), "cmdSave");

    const qint32 userID = dialog->UserID();
    ASSERT_GT(userID, 0);
    EXPECT_EQ(log.entries, QStringList{QStringLiteral("add %1").arg(userID)});
    EXPECT_EQ(userField(userID, QStringLiteral("surname")).toString(), QStringLiteral("Lind"));
    EXPECT_EQ(userField(userID, QStringLiteral("address1")).toString(), QStringLiteral("Main St 1"));
    EXPECT_TRUE(userField(userID, QStringLiteral("address2")).isNull());
    EXPECT_EQ(userField(userID, QStringLiteral("city")).toString(), QStringLiteral("Lund"));
    EXPECT_EQ(userField(userID, QStringLiteral("doNotShow")).toInt(), 0);
    EXPECT_FALSE(child<QPushButton>(dialog.get(), QStringLiteral("cmdUpdate"))->isHidden()) << "now it edits the user";
    EXPECT_TRUE(messages->shown().empty());
}

TEST_P(UserDataTest, SavingRefusesMissingFieldsInOrderAndAnIdentifierInUse)
{
    logOn(15);
    addUser({QStringLiteral("G300"), QStringLiteral("Holm"), QStringLiteral("Ida")});
    const struct
    {
        const char *what;
        QStringList values;
        int focus;
        int16_t message;
    } rows[] = {
        {"no identifier", {QString(), QStringLiteral("Lind"), QStringLiteral("Maja")}, 0, -31221},
        {"blank identifier", {QStringLiteral("  "), QString(), QStringLiteral("Maja")}, 0, -31221},
        {"no surname", {QStringLiteral("G1"), QString(), QString()}, 1, -31221},
        {"no first name", {QStringLiteral("G1"), QStringLiteral("Lind"), QString()}, 2, -31221},
        {"identifier in use", {QStringLiteral("G300"), QStringLiteral("Berg"), QStringLiteral("Jon")}, 0, -31180},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        auto dialog = openDialog(0);
        fill(dialog.get(), row.values);
        messages->clear();
        messages->expect(row.message);
        click(dialog.get(), "cmdSave");
        EXPECT_TRUE(messages->allAnswered());
        EXPECT_EQ(QApplication::focusWidget(), input(dialog.get(), row.focus));
        EXPECT_EQ(dialog->UserID(), 0);
    }
    EXPECT_EQ(usersWith(QStringLiteral("G1")), 0);
    EXPECT_EQ(usersWith(QStringLiteral("G300")), 1);
}

TEST_P(UserDataTest, ARemovedUsersIdentifierOffersThatUserBack)
{
    const struct
    {
        const char *what;
        int answer;
        bool reused;
    } rows[] = {
        {"yes brings the removed user back", 0, true},
        {"no keeps the dialog on the identifier", 1, false},
    };
    logOn(15);
    int n = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const QString alphaID = QStringLiteral("R%1").arg(++n);
        const qint32 removed =
            addUser({alphaID, QStringLiteral("Old"), QStringLiteral("Name"), QStringLiteral("Oslo"), 1});
        NotificationLog log(ws->session.notify);
        auto dialog = openDialog(0);
        fill(dialog.get(), {alphaID, QStringLiteral("New"), QStringLiteral("Typed")});
        messages->clear();
        messages->expect(17003, row.answer);
        click(dialog.get(), "cmdSave");

        ASSERT_EQ(messages->shown().size(), 1u);
        EXPECT_EQ(messages->shown()[0].request.arguments,
                  (QVariantList{alphaID, QStringLiteral("Old"), QStringLiteral("Name")}));
        EXPECT_EQ(usersWith(alphaID), 1) << "never a second user";
        EXPECT_EQ(userField(removed, QStringLiteral("deleted")).toInt(), row.reused ? 0 : 1);
        EXPECT_EQ(dialog->UserID(), row.reused ? removed : 0);
        if (row.reused) {
            EXPECT_EQ(input(dialog.get(), 1)->text(), QStringLiteral("Old")) << "the stored values are shown";
            EXPECT_EQ(input(dialog.get(), 6)->text(), QStringLiteral("Oslo"));
            EXPECT_EQ(log.entries, QStringList{QStringLiteral("add %1").arg(removed)});
        } else {
            EXPECT_EQ(QApplication::focusWidget(), input(dialog.get(), 0));
            EXPECT_TRUE(log.entries.isEmpty());
        }
    }
}

TEST_P(UserDataTest, UpdateChecksAChangedIdentifierUnlessOnlyItsCaseChanged)
{
    logOn(15);
    const qint32 user = addUser({QStringLiteral("abc"), QStringLiteral("Lind"), QStringLiteral("Maja")});
    addUser({QStringLiteral("TAKEN"), QStringLiteral("Holm"), QStringLiteral("Ida")});
    addUser({QStringLiteral("GONE"), QStringLiteral("Ek"), QStringLiteral("Per"), {}, 1});
    // A removed user holding the new spelling exactly: only a real change would meet it.
    addUser({QStringLiteral("ABC"), QStringLiteral("Ask"), QStringLiteral("Ulf"), {}, 1});

    const struct
    {
        const char *what;
        const char *alphaID;
        std::vector<int16_t> shown;
        QVariantList arguments;
        const char *stored;
    } rows[] = {
        {"only the case changes", "ABC", {}, {}, "ABC"},
        {"identifier of a user in use", "TAKEN", {-31180}, {}, "ABC"},
        {"identifier of a removed user", "GONE", {-31165}, {"GONE", "Ek", "Per"}, "ABC"},
        {"a free identifier", "XYZ", {}, {}, "XYZ"},
    };
    auto dialog = openDialog(user);
    EXPECT_FALSE(child<QPushButton>(dialog.get(), QStringLiteral("cmdUpdate"))->isHidden());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        NotificationLog log(ws->session.notify);
        messages->clear();
        for (int16_t number : row.shown)
            messages->expect(number);
        input(dialog.get(), 0)->setText(QLatin1String(row.alphaID));
        input(dialog.get(), 4)->setText(QStringLiteral("Floor 2"));
        click(dialog.get(), "cmdUpdate");
        EXPECT_EQ(messages->shownNumbers(), row.shown);
        if (!row.arguments.isEmpty()) {
            EXPECT_EQ(messages->shown()[0].request.arguments, row.arguments);
        }
        EXPECT_EQ(userField(user, QStringLiteral("alphaID")).toString(), QLatin1String(row.stored));
        EXPECT_EQ(log.entries.isEmpty(), !row.shown.empty());
        if (!row.shown.empty()) {
            EXPECT_EQ(QApplication::focusWidget(), input(dialog.get(), 0));
        }
    }
    EXPECT_EQ(userField(user, QStringLiteral("address2")).toString(), QStringLiteral("Floor 2"));
}

TEST_P(UserDataTest, ANewUserForACallerGoesBackToIt)
{
    logOn(15);
    QWidget caller;
    qint32 chosen = 0;
    auto dialog = openDialog(0);
    dialog->setChoiceRequest({&caller, [&chosen](qint32 userID) { chosen = userID; }, false});
    fill(dialog.get(), {QStringLiteral("G400"), QStringLiteral("Sand"), QStringLiteral("Liv")});
    click(dialog.get(), "cmdSave");
    EXPECT_GT(chosen, 0);
    EXPECT_EQ(chosen, dialog->UserID());
    EXPECT_FALSE(dialog->isVisible());
}

TEST_P(UserDataTest, WithSeveralOperatorsLoggedOnSavingAsksForThePassword)
{
    logOn(15);
    addOperator(QStringLiteral("bob"), 300, QStringLiteral("pw2"));
    setParameter(QStringLiteral("SYSTEM_ENABLEGROUPAUTH"), QStringLiteral("0"));
    ASSERT_EQ(RunLogonCommand(ws->program, ws->db, ws->cardServers, ws->session, 0, QStringLiteral("bob"),
                              QStringLiteral("pw2")),
              LogonOutcome::LoggedOn);
    ASSERT_EQ(ws->session.logon.operators.size(), 2);
    messages->clear();
    const struct
    {
        const char *what;
        bool confirmed;
    } rows[] = {
        {"password refused: nothing is saved", false},
        {"password confirmed", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        QList<int> prompts;
        ws->session.authority.setLogonPrompt([&](int mode) {
            prompts << mode;
            return row.confirmed;
        });
        auto dialog = openDialog(0);
        fill(dialog.get(), {QStringLiteral("P1"), QStringLiteral("Lind"), QStringLiteral("Maja")});
        click(dialog.get(), "cmdSave");
        EXPECT_EQ(prompts, QList<int>{1});
        EXPECT_EQ(usersWith(QStringLiteral("P1")), row.confirmed ? 1 : 0);
        EXPECT_EQ(dialog->UserID() != 0, row.confirmed);
    }
    EXPECT_TRUE(messages->shown().empty());
}

TEST_P(UserDataTest, RightsDecideWhatTheDialogOffers)
{
    const struct
    {
        const char *what;
        qint32 rights;
        bool existing;
        bool stays;
        bool commandEnabled;
    } rows[] = {
        {"new user with write right", 3, false, true, true},
        {"new user without write right", 5, false, false, false},
        {"existing user without edit right", 3, true, true, false},
        {"existing user with edit right", 5, true, true, true},
        {"no read right", 6, true, false, false},
    };
    logOn(0);
    const qint32 user = addUser({QStringLiteral("E1"), QStringLiteral("Lind"), QStringLiteral("Maja")});
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NO_FATAL_FAILURE(changeRight(300, Authority::TableRightsBase + TableId::Users, row.rights));
        ws->session.authority.LoadOperatorRights(true);

        auto dialog = openDialog(row.existing ? user : 0);
        dialog->Activate();
        EXPECT_EQ(dialog->isVisible(), row.stays);
        EXPECT_TRUE(ws->session.openDialogs.test(size_t(WindowNumber::of(QStringLiteral("frmUserData")))));
        const char *command = row.existing ? "cmdUpdate" : "cmdSave";
        if (row.stays) {
            EXPECT_EQ(child<QPushButton>(dialog.get(), QLatin1String(command))->isEnabled(), row.commandEnabled);
        }
    }
}

TEST_P(UserDataTest, TheDialogFollowsNotificationsAboutItsUser)
{
    logOn(15);
    const qint32 user = addUser({QStringLiteral("N1"), QStringLiteral("Lind"), QStringLiteral("Maja")});
    auto dialog = openDialog(user);
    ASSERT_TRUE(UserDataStore(db).update(user, {QStringLiteral("N1"), QStringLiteral("Lindqvist")}).ok());
    ws->session.notify.NotifyUserUpdated(user + 1);
    EXPECT_EQ(input(dialog.get(), 1)->text(), QStringLiteral("Lind")) << "another user";
    ws->session.notify.NotifyUserUpdated(user);
    EXPECT_EQ(input(dialog.get(), 1)->text(), QStringLiteral("Lindqvist"));
    ws->session.notify.NotifyUserRemoved(user);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_P(UserDataTest, TheStoreAnswersAGoneUserAndARefusedStatementWithStatusAndText)
{
    UserDataStore store(db);
    const UserValues values = {QStringLiteral("G1"), QStringLiteral("Lind"), QStringLiteral("Maja")};
    UserValues loaded;
    for (const UserStoreResult &gone :
         {store.load(4711, loaded), store.update(4711, values), store.setRemoved(4711, true)})
        EXPECT_EQ(gone.status, RecordStatus::NoRecord);
    IdentifierOwner owner;
    EXPECT_TRUE(store.findIdentifierOwner(QStringLiteral("nobody"), 0, owner).ok()) << "no owner is no failure";

    ASSERT_TRUE(QSqlQuery(db.sqlDatabase()).exec(QStringLiteral(R"(ALTER TABLE "Users" RENAME TO "UsersGone")")));
    qint32 userID = -1;
    for (const UserStoreResult &refused :
         {store.insert(values, userID), store.findIdentifierOwner(QStringLiteral("G1"), 0, owner)}) {
        EXPECT_FALSE(refused.ok());
        EXPECT_NE(refused.status, RecordStatus::NoRecord);
        EXPECT_FALSE(refused.errorText.isEmpty()) << "the operator sees why";
    }
    EXPECT_EQ(userID, 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, UserDataTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
