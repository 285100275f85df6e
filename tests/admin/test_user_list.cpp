#include "FindChild.h"
#include "RecordingWindow.h"
#include "UserAdminFixture.h"
#include "admin/UserRegister.h"
#include "admin/frmUserList.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"
#include "texts/Texts.h"
#include "ui/grid/ListPrintMenu.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

namespace {

class UserListTest : public UserAdminTest
{
protected:
    void SetUp() override
    {
        UserAdminTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // The two built-in users carry names a search could find.
        addUser({QStringLiteral("SYS1"), QStringLiteral("Marlow"), QStringLiteral("System"), {}, 0, 0, 1});
        addUser({QStringLiteral("SYS2"), QStringLiteral("Martell"), QStringLiteral("System"), {}, 0, 0, 2});
    }

    std::unique_ptr<frmUserList> openList()
    {
        auto list = std::make_unique<frmUserList>(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
        settleSearch(*list);
        return list;
    }

    void search(frmUserList &list, int entry, const QString &text)
    {
        auto *field = child<QComboBox>(&list, QStringLiteral("cboSearchField"));
        auto *input = child<QLineEdit>(&list, QStringLiteral("txtSearch"));
        input->selectAll();
        QTest::keyClick(input, Qt::Key_Backspace);
        QTest::keyClicks(input, text);
        field->setCurrentIndex(entry);
        settleSearch(list);
    }

    void selectUser(frmUserList &list, qint32 userID)
    {
        auto *grid = child<RecordGrid>(&list, QStringLiteral("tlvUsers"));
        const QList<qint32> ids = listedUsers(list);
        ASSERT_TRUE(ids.contains(userID));
        grid->selectRow(int(ids.indexOf(userID)));
    }
};

TEST_P(UserListTest, SearchListsMatchingVisibleUsersOnlyInTheFieldsOrder)
{
    logOn(15);
    const qint32 martens = addUser({QStringLiteral("A100"), QStringLiteral("Martens"), QStringLiteral("Anna")});
    const qint32 marquez = addUser({QStringLiteral("a101"), QStringLiteral("Marquez"), QStringLiteral("Bob")});
    addUser({QStringLiteral("A102"), QStringLiteral("Mayer"), QStringLiteral("Carl"), {}, 1});
    addUser({QStringLiteral("260101120000ID"), QStringLiteral("Mahler"), QStringLiteral("Dora"), {}, 1, 1});
    addUser({QStringLiteral("A103"), QStringLiteral("Marsh"), QStringLiteral("Eve"), {}, 0, 1});
    const qint32 olsen = addUser({QStringLiteral("A104"), QStringLiteral("Olsen"), QStringLiteral("Finn")});
    const qint32 berg =
        addUser({QStringLiteral("A105"), QStringLiteral("Berg"), QStringLiteral("Gus"), QStringLiteral("Malmo")});
    const qint32 desk = deskID; // surname "Surname", no city

    const struct
    {
        const char *what;
        int entry;
        const char *text;
        QList<qint32> expected;
    } rows[] = {
        {"two-letter surname prefix", 1, "Ma", {marquez, martens}},
        {"prefix in another case", 1, "mAR", {marquez, martens}},
        {"empty surname lists every visible user", 1, "", {berg, marquez, martens, olsen, desk}},
        {"empty city also lists users without one", 6, "", {berg, olsen, desk, martens, marquez}},
        {"city prefix", 6, "Mal", {berg}},
        {"identifier prefix ignores case", 0, "A10", {martens, marquez, olsen, berg}},
        {"no field chosen: identifier, text cleared", -1, "Ma", {martens, marquez, olsen, berg, desk}},
        {"nothing found", 2, "Zz", {}},
    };
    auto list = openList();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        search(*list, row.entry, QString::fromLatin1(row.text));
        QList<qint32> listed = listedUsers(*list);
        QList<qint32> expected = row.expected;
        if (row.entry == 6 && QString::fromLatin1(row.text).isEmpty()) {
            // Empty cities sort by the engine's rule for NULL; compare as sets, Malmo first or last.
            std::sort(listed.begin(), listed.end());
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(child<QPushButton>(list.get(), QStringLiteral("cmdPrint"))->isEnabled(), !expected.isEmpty());
        if (row.entry < 0) {
            EXPECT_TRUE(child<QLineEdit>(list.get(), QStringLiteral("txtSearch"))->text().isEmpty());
        }
    }
}

TEST_P(UserListTest, ButtonsFollowTheOperatorsRights)
{
    const struct
    {
        const char *what;
        qint32 rights;
        bool add;
        bool remove;
    } rows[] = {
        {"read only", 1, false, false},
        {"read and write", 3, true, false},
        {"read, edit and delete", 13, false, true},
        {"all", 15, true, true},
    };
    logOn(0);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NO_FATAL_FAILURE(changeRight(300, Authority::TableRightsBase + TableId::Users, row.rights));
        ws->session.authority.LoadOperatorRights(true);

        auto list = openList();
        list->EvaluateAuthority();
        EXPECT_EQ(child<QPushButton>(list.get(), QStringLiteral("cmdAdd"))->isEnabled(), row.add);
        EXPECT_EQ(child<QPushButton>(list.get(), QStringLiteral("cmdRemove"))->isEnabled(), row.remove);
        EXPECT_TRUE(child<QPushButton>(list.get(), QStringLiteral("cmdProperties"))->isEnabled());
    }
}

TEST_P(UserListTest, WithoutReadRightTheListIsRefusedAndUnloads)
{
    logOn(2);
    auto list = openList();
    messages->expect(-31143);
    EXPECT_FALSE(list->IsDialogAvailable());
    list->show();
    list->EvaluateAuthority();
    EXPECT_FALSE(list->isVisible());
}

TEST_P(UserListTest, AChooserHandsTheSelectedUserBackToItsCaller)
{
    logOn(15);
    const qint32 anna = addUser({QStringLiteral("A100"), QStringLiteral("Martens"), QStringLiteral("Anna")});
    QWidget caller;
    caller.setWindowTitle(QStringLiteral("Employee card"));
    qint32 chosen = 0;
    auto list = openList();
    list->show();
    auto *select = child<QPushButton>(list.get(), QStringLiteral("cmdSelect"));
    EXPECT_TRUE(select->isHidden());

    list->setChoiceRequest({&caller, [&chosen](qint32 userID) { chosen = userID; }, true});
    EXPECT_FALSE(select->isHidden());
    EXPECT_FALSE(select->isEnabled()) << "no row is selected yet";
    EXPECT_TRUE(list->windowTitle().endsWith(QStringLiteral(" (Employee card)")));
    selectUser(*list, anna);
    ASSERT_TRUE(select->isEnabled());
    QTest::mouseClick(select, Qt::LeftButton);

    EXPECT_EQ(chosen, anna);
    EXPECT_TRUE(caller.isVisible()) << "the caller comes forward";
    EXPECT_EQ(list->caller(), nullptr);
    EXPECT_FALSE(list->isVisible()) << "autoClose";
}

TEST_P(UserListTest, ACallerThatClosesEndsTheChooser)
{
    logOn(15);
    auto list = openList();
    auto caller = std::make_unique<QWidget>();
    list->setChoiceRequest({caller.get(), [](qint32) {}, false});
    caller.reset();
    EXPECT_EQ(list->caller(), nullptr);
    EXPECT_TRUE(child<QPushButton>(list.get(), QStringLiteral("cmdSelect"))->isHidden());
}

TEST_P(UserListTest, RemoveAsksWithTheIdentifierAndTheRowLeavesTheList)
{
    logOn(15);
    const qint32 anna = addUser({QStringLiteral("A100"), QStringLiteral("Martens"), QStringLiteral("Anna")});
    const qint32 bob = addUser({QStringLiteral("A101"), QStringLiteral("Marquez"), QStringLiteral("Bob")});
    auto list = openList();
    search(*list, 1, QStringLiteral("Mar"));
    selectUser(*list, anna);
    messages->expect(-32509, 0);
    NotificationLog log(ws->session.notify);
    QTest::mouseClick(child<QPushButton>(list.get(), QStringLiteral("cmdRemove")), Qt::LeftButton);
    EXPECT_EQ(log.entries, QStringList({QStringLiteral("remove %1").arg(anna), QStringLiteral("refresh")}));
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_EQ(messages->shown()[0].request.arguments, QVariantList{QStringLiteral("A100")});
    EXPECT_EQ(messages->shown()[0].request.buttonNumbers, std::vector<int16_t>{17001});
    EXPECT_EQ(listedUsers(*list), QList<qint32>{bob}) << "the list follows its own Remove notification";
}

TEST_P(UserListTest, ThePopupSearchesTheUsersCardsAndOpensTheStaffCard)
{
    logOn(15);
    const qint32 anna = addUser({QStringLiteral("A100"), QStringLiteral("Martens"), QStringLiteral("Anna")});
    RecordingFrame frame;
    ws->frameWindows.frameHost = &frame;
    QStringList &opened = frame.opened;
    RecordingWindow &recorder = frame.window;
    auto list = openList();
    selectUser(*list, anna);
    QString choice;
    list->popupMenu().setChooser([&choice](const PopupMenu &, const QString &, const QPoint &) { return choice; });

    // The card search is offered the user's names; left with OK it chooses employee cards.
    bool cancel = true;
    CardSearchRequest offered;
    ws->frameWindows.windows.setCardSearch(
        [&](const CardSearchRequest &request, QWidget *) -> std::optional<CardSearchFilters> {
            offered = request;
            if (cancel)
                return std::nullopt;
            CardSearchFilters chosen = *request.start;
            chosen.statusGroup = 1;
            chosen.setKind(260, true);
            chosen.kindFilterActive = true;
            return chosen;
        });
    choice = QStringLiteral("UC");
    list->ShowListMenu(QPoint());
    ASSERT_TRUE(offered.start);
    EXPECT_EQ(QStringList({offered.start->alphaID, offered.start->surname, offered.start->firstname}),
              QStringList({QStringLiteral("A100"), QStringLiteral("Martens"), QStringLiteral("Anna")}));
    EXPECT_FALSE(offered.start->kindFilterActive) << "every kind the operator may issue";
    EXPECT_TRUE(opened.isEmpty()) << "a cancelled search opens no list";
    cancel = false;
    list->ShowListMenu(QPoint());
    EXPECT_EQ(opened, QStringList{QStringLiteral("frmCardList")});
    EXPECT_EQ(recorder.calls,
              (QStringList{QStringLiteral("ClearCardNameFilters"), QStringLiteral("SetCardNameFilter 260"),
                           QStringLiteral("SetSearchFilters"), QStringLiteral("StartSearch")}));
    EXPECT_EQ(recorder.filters.statusGroup, 1) << "the operator's choice";

    // No valid staff card, a card without a stored image, a failed query: each its own message, and
    // nothing opens.
    opened.clear();
    choice = QStringLiteral("US");
    messages->expect(-31477);
    list->ShowListMenu(QPoint());
    ws->cardServers.firstCardsIntf = std::make_unique<CardsIntf>(*ws->db.database, CardsIntf::Setup{});
    ASSERT_NO_FATAL_FAILURE(addCard({.registrationNumber = 0x1200,
                                     .userID = anna,
                                     .cardNameID = 260,
                                     .status = 1,
                                     .issueTime = now - 1,
                                     .expireTime = now + 5}));
    messages->expect(-29878);
    list->ShowListMenu(QPoint());
    ASSERT_TRUE(QSqlQuery(db.sqlDatabase()).exec(QStringLiteral(R"(ALTER TABLE "Cards" RENAME TO "CardsGone")")));
    messages->expect(-29879);
    list->ShowListMenu(QPoint());
    EXPECT_TRUE(opened.isEmpty());

    // The menu offers the list's print entries too.
    EXPECT_TRUE(list->popupMenu().contains(QStringLiteral("F")));
    EXPECT_TRUE(list->popupMenu().contains(QStringLiteral("P")));
    EXPECT_TRUE(list->popupMenu().isEnabled(QStringLiteral("UR")));
}

TEST_P(UserListTest, StaffCardLookupTakesTheLatestValidEmployeeOrSupervisorCard)
{
    const qint32 anna = addUser({QStringLiteral("A100"), QStringLiteral("Martens"), QStringLiteral("Anna")});
    const qint32 bob = addUser({QStringLiteral("A101"), QStringLiteral("Marquez"), QStringLiteral("Bob")});
    const struct
    {
        qint32 registrationNumber;
        qint32 userID;
        qint32 cardNameID;
        qint32 status;
        double expireTime;
    } cards[] = {
        {0x100, anna, 260, 1, now + 5},  // valid employee card
        {0x200, anna, 261, 3, now + 9},  // reissued supervisor card, expires last: the one
        {0x300, anna, 256, 1, now + 20}, // guest card
        {0x400, anna, 261, 0, now + 30}, // cancelled
        {0x500, anna, 260, 1, now - 1},  // expired
        {0x600, bob, 260, 4, now + 3},   // expired status
    };
    for (const auto &c : cards) {
        ASSERT_NO_FATAL_FAILURE(
            addCard({c.registrationNumber, c.userID, c.cardNameID, c.status, 0, {}, now - 1, c.expireTime}));
    }
    RecordTable t(db);
    StaffCard found;
    EXPECT_EQ(FindStaffCard(t, anna, now, found), RecordStatus::Ok);
    EXPECT_EQ(found.registrationNumber, 0x200);
    EXPECT_EQ(found.cardNameID, 261);
    EXPECT_EQ(FindStaffCard(t, anna, now + 6, found), RecordStatus::Ok);
    EXPECT_EQ(found.registrationNumber, 0x200);
    EXPECT_EQ(FindStaffCard(t, anna, now + 10, found), RecordStatus::NoRecord);
    EXPECT_EQ(FindStaffCard(t, bob, now, found), RecordStatus::NoRecord);
}

TEST_P(UserListTest, ColumnsAndSearchFieldsTakeTheFreeFieldNames)
{
    setParameter(QStringLiteral("USER3NAME"), QStringLiteral("Postcode"));
    logOn(15);
    auto list = openList();
    auto *grid = child<RecordGrid>(list.get(), QStringLiteral("tlvUsers"));
    EXPECT_EQ(grid->gridModel()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Postcode"));
    EXPECT_EQ(grid->titledColumnCount(), 7) << "userID stays hidden";
    EXPECT_TRUE(grid->gridOption());
    auto *field = child<QComboBox>(list.get(), QStringLiteral("cboSearchField"));
    EXPECT_EQ(field->itemText(5), QStringLiteral("Postcode"));

    setParameter(QStringLiteral("USER4NAME"), QStringLiteral("Town"));
    list->UpdateColumnNames();
    list->UpdateComboboxItems();
    EXPECT_EQ(grid->gridModel()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Town"));
    EXPECT_EQ(field->itemText(6), QStringLiteral("Town"));
}

INSTANTIATE_TEST_SUITE_P(Engines, UserListTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
