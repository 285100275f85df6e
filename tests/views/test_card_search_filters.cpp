#include "CardListFixture.h"
#include "FindChild.h"
#include "components/recordtable/RecordDatabase.h"
#include "settings/clsSystemParams.h"
#include "views/frmCardSearchFilters.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

class SearchDialogTest : public CardListTest
{
protected:
    void SetUp() override
    {
        CardListTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (qint32 kind : {256, 257, 258, 260, 262, 266, 270, 278})
            addCardName(kind, QStringLiteral("Kind %1").arg(kind));
    }

    std::unique_ptr<frmCardSearchFilters> makeDialog()
    {
        return std::make_unique<frmCardSearchFilters>(ws->program, ws->db, ws->session);
    }

    QLineEdit *field(QWidget *dialog, const char *name) { return child<QLineEdit>(dialog, QLatin1String(name)); }

    QTreeWidgetItem *topItem(QTreeWidget *tree, const QString &text)
    {
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0) == text)
                return tree->topLevelItem(i);
        ADD_FAILURE() << "no item " << text.toStdString();
        return nullptr;
    }
};

TEST_P(SearchDialogTest, OKChoosesTheFieldsAsTheFilters)
{
    // Each row's filters differ from the widest search of current cards (empty fields) as set.
    const struct
    {
        const char *what;
        std::map<const char *, const char *> fields;
        std::function<void(CardSearchFilters &)> expected;
    } rows[] = {
        // clang-format off
        {"empty fields are the widest search", {}, [](CardSearchFilters &) {}},
        {"card number 1A is its 256 copies", {{"txtRegFrom", "1a"}, {"txtRegTo", "1A"}}, [](CardSearchFilters &f) { f.registrationFrom = 0x1A00, f.registrationTo = 0x1AFF; }},
        {"card numbers upside down are swapped", {{"txtRegFrom", "1B"}, {"txtRegTo", "1A"}}, [](CardSearchFilters &f) { f.registrationFrom = 0x1A00, f.registrationTo = 0x1BFF; }},
        {"only a lower card number", {{"txtRegFrom", "FFFFF"}}, [](CardSearchFilters &f) { f.registrationFrom = 0x0FFFFF00; }},
        {"dates", {{"txtIssueFrom", "5/1/2024"}, {"txtExpiryTo", "2024-05-31"}}, [](CardSearchFilters &f) { f.issueFrom = 45413.0, f.expiryTo = 45443.0; }},
        {"dates upside down are swapped", {{"txtStartFrom", "5/31/2024"}, {"txtStartTo", "5/1/2024"}}, [](CardSearchFilters &f) { f.startFrom = 45413.0, f.startTo = 45443.0; }},
        {"rooms upside down are swapped", {{"txtRoomFrom", "300"}, {"txtRoomTo", "200"}}, [](CardSearchFilters &f) { f.roomFrom = 200, f.roomTo = 300; }},
        {"an empty upper room", {{"txtRoomFrom", "12"}, {"txtRoomTo", ""}}, [](CardSearchFilters &f) { f.roomFrom = 12; }},
        {"texts as typed", {{"txtAlphaID", "G1"}, {"txtSurname", "Sm"}, {"txtFirstname", "An"}, {"txtIssuedBy", "desk"}}, [](CardSearchFilters &f) {
             f.alphaID = QStringLiteral("G1"), f.surname = QStringLiteral("Sm"), f.firstname = QStringLiteral("An"), f.issuedBy = QStringLiteral("desk"); }},
        // clang-format on
    };
    for (const auto &row : rows) {
        auto dialog = makeDialog();
        for (const auto &[name, text] : row.fields)
            field(dialog.get(), name)->setText(QLatin1String(text));
        dialog->cmdOK_Click();
        ASSERT_TRUE(dialog->chosen()) << row.what;
        CardSearchFilters expected;
        row.expected(expected);
        expected.kinds = dialog->chosen()->kinds;
        expected.kindFilterActive = true;
        EXPECT_EQ(*dialog->chosen(), expected) << row.what;
    }
    EXPECT_TRUE(messages->shown().empty());
}

TEST_P(SearchDialogTest, TheTickedKindsBecomeTheListsKindFilter)
{
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->tickedKinds().size(), 6) << "every offered kind the operator may issue, ticked";
    child<QPushButton>(dialog.get(), QStringLiteral("cmdUncheckAll"))->click();
    EXPECT_TRUE(dialog->tickedKinds().isEmpty());
    auto *kinds = child<QTreeWidget>(dialog.get(), QStringLiteral("lvwCards"));
    QTreeWidgetItem *guest = topItem(kinds, QStringLiteral("Kind 256"));
    ASSERT_TRUE(guest);
    emit kinds->itemClicked(guest, 0);
    EXPECT_EQ(guest->data(0, Qt::UserRole + 1).toString(), QStringLiteral("Y"));
    dialog->SetCardNameFilter(260);
    dialog->SetCardNameFilter(257); // not the operator's
    EXPECT_EQ(dialog->tickedKinds(), (QList<qint32>{256, 260}));
    dialog->cmdOK_Click();
    ASSERT_TRUE(dialog->chosen());
    EXPECT_TRUE(dialog->chosen()->kindFilterActive);
    EXPECT_TRUE(dialog->chosen()->hasKind(256));
    EXPECT_TRUE(dialog->chosen()->hasKind(260));
    EXPECT_FALSE(dialog->chosen()->hasKind(258));
    emit kinds->itemClicked(guest, 0);
    EXPECT_EQ(guest->data(0, Qt::UserRole + 1).toString(), QStringLiteral("N"));
}

TEST_P(SearchDialogTest, OffersTheKindsTheOperatorMayIssueAndOperatorCardsOnlyWhenTheyAreUsed)
{
    addRight(kDeskTemplate, Authority::CardKindBase + 270, 0, 1440);
    ws->session.authority.LoadOperatorRights(true);
    for (bool opCards : {false, true}) {
        setParameter(clsSystemParams::keyName(clsSystemParams::OpCardAtLogonKey),
                     opCards ? QStringLiteral("1") : QStringLiteral("0"));
        auto dialog = makeDialog();
        auto *kinds = child<QTreeWidget>(dialog.get(), QStringLiteral("lvwCards"));
        QStringList shown;
        for (int i = 0; i < kinds->topLevelItemCount(); ++i)
            shown << kinds->topLevelItem(i)->text(0);
        QStringList expected = {"Kind 256", "Kind 258", "Kind 260", "Kind 262", "Kind 266", "Kind 270", "Kind 278"};
        if (!opCards)
            expected.removeAll(QStringLiteral("Kind 270"));
        EXPECT_EQ(shown, expected) << "NeedOpCardAtLogon " << opCards;
    }
}

TEST_P(SearchDialogTest, ABadDateIsRefusedWithItsFieldFocused)
{
    for (const char *name :
         {"txtIssueFrom", "txtIssueTo", "txtStartFrom", "txtStartTo", "txtExpiryFrom", "txtExpiryTo"}) {
        auto dialog = makeDialog();
        dialog->show();
        field(dialog.get(), name)->setText(QStringLiteral("2/30/2024"));
        child<QTabWidget>(dialog.get(), QStringLiteral("tabFilters"))->setCurrentIndex(0);
        messages->expect(-31199);
        dialog->cmdOK_Click();
        EXPECT_FALSE(dialog->chosen()) << name;
        EXPECT_EQ(child<QTabWidget>(dialog.get(), QStringLiteral("tabFilters"))->currentIndex(),
                  frmCardSearchFilters::DatesTab)
            << name;
        EXPECT_EQ(dialog->focusWidget(), field(dialog.get(), name));
    }
    EXPECT_TRUE(messages->allAnswered());
}

TEST_P(SearchDialogTest, DoorAccessNeedsADoorAndChoosesItsInterval)
{
    addDoorGroup(1, QStringLiteral("First floor"));
    addDoorGroup(2, QStringLiteral("Annex"));
    addDoor({.id = 9101,
             .name = QStringLiteral("Stairs"),
             .category = QStringLiteral("E"),
             .group = 1,
             .intervalStart = 101,
             .intervalStop = 130});
    addDoor({.id = 101, .name = QStringLiteral("101"), .group = 1});
    auto dialog = makeDialog();
    dialog->prepare({std::nullopt, CardSearchPreset::DoorAccess});
    field(dialog.get(), "txtRoomTo")->setText(QStringLiteral("55"));
    dialog->show();
    auto *tabs = child<QTabWidget>(dialog.get(), QStringLiteral("tabFilters"));
    auto *doors = child<QTreeWidget>(dialog.get(), QStringLiteral("tvwDoors"));
    EXPECT_EQ(tabs->currentIndex(), frmCardSearchFilters::DoorsTab);
    EXPECT_EQ(dialog->focusWidget(), doors);
    EXPECT_EQ(field(dialog.get(), "txtRoomFrom")->text(), QStringLiteral("0"));
    EXPECT_EQ(field(dialog.get(), "txtRoomTo")->text(), QStringLiteral("9999"));

    tabs->setCurrentIndex(0);
    messages->expect(-31224);
    dialog->cmdOK_Click();
    EXPECT_FALSE(dialog->chosen());
    EXPECT_EQ(tabs->currentIndex(), frmCardSearchFilters::DoorsTab);
    EXPECT_EQ(dialog->focusWidget(), doors);

    // Groups in name order, their doors loaded when first opened.
    ASSERT_EQ(doors->topLevelItemCount(), 2);
    QTreeWidgetItem *floor = doors->topLevelItem(1);
    EXPECT_EQ(floor->text(0), QStringLiteral("First floor"));
    EXPECT_EQ(floor->data(0, Qt::UserRole + 1).toString(), QStringLiteral("1A"));
    floor->setExpanded(true);
    ASSERT_EQ(floor->childCount(), 2);
    QTreeWidgetItem *stairs = floor->child(1);
    EXPECT_EQ(stairs->data(0, Qt::UserRole + 1).toString(), QStringLiteral("9101D"));
    doors->setCurrentItem(stairs);
    EXPECT_EQ(field(dialog.get(), "txtDoorName")->text(), QStringLiteral("Stairs"));
    dialog->cmdOK_Click();
    ASSERT_TRUE(dialog->chosen());
    const CardSearchFilters &f = *dialog->chosen();
    EXPECT_EQ((QList<qint32>{f.doorID, f.intervalStart, f.intervalStop}), (QList<qint32>{9101, 101, 130}));
    EXPECT_EQ((QList<qint32>{f.roomFrom, f.roomTo}), (QList<qint32>{0, 9999}));
}

TEST_P(SearchDialogTest, AClosedDoorAreaStaysClosedWithoutTheRightToReadDoorAreas)
{
    addDoorGroup(1, QStringLiteral("First floor"));
    addDoor({.id = 101, .name = QStringLiteral("101"), .group = 1});
    ASSERT_NO_FATAL_FAILURE(removeRight(kDeskTemplate, Authority::TableRightsBase + TableId::DoorGroups));
    ws->session.authority.LoadOperatorRights(true);
    auto dialog = makeDialog();
    QTreeWidgetItem *floor = child<QTreeWidget>(dialog.get(), QStringLiteral("tvwDoors"))->topLevelItem(0);
    ASSERT_TRUE(floor);
    floor->setExpanded(true);
    EXPECT_FALSE(floor->isExpanded());
    ASSERT_EQ(floor->childCount(), 1);
    EXPECT_TRUE(floor->child(0)->data(0, Qt::UserRole + 1).isNull()) << "still the placeholder";
}

TEST_P(SearchDialogTest, ClearAllEmptiesTheFieldsAndDropsTheDoor)
{
    addDoorGroup(1, QStringLiteral("First floor"));
    addDoor({.id = 101, .name = QStringLiteral("Room 101"), .group = 1});
    auto dialog = makeDialog();
    CardSearchFilters old;
    old.surname = QStringLiteral("Smith");
    old.registrationFrom = 0x1A00;
    old.registrationTo = 0x1BFF;
    old.expiryTo = 45443.0;
    old.doorID = 101;
    dialog->SetOldFilters(old);
    EXPECT_EQ(field(dialog.get(), "txtRegFrom")->text(), QStringLiteral("1A"));
    EXPECT_EQ(field(dialog.get(), "txtRegTo")->text(), QStringLiteral("1B"));
    EXPECT_EQ(field(dialog.get(), "txtExpiryTo")->text(), QStringLiteral("5/31/2024"));
    EXPECT_EQ(field(dialog.get(), "txtIssueTo")->text(), QString()) << "the open bound shows empty";
    EXPECT_EQ(field(dialog.get(), "txtDoorName")->text(), QStringLiteral("Room 101"));
    child<QPushButton>(dialog.get(), QStringLiteral("cmdClearAll"))->click();
    for (const char *name : {"txtSurname", "txtRegFrom", "txtRegTo", "txtExpiryTo", "txtDoorName", "txtRoomTo"})
        EXPECT_TRUE(field(dialog.get(), name)->text().isEmpty()) << name;
    dialog->cmdOK_Click();
    ASSERT_TRUE(dialog->chosen());
    EXPECT_EQ(dialog->chosen()->doorID, 0);
    EXPECT_EQ(dialog->chosen()->registrationTo, 0x0FFFFFFF);
}

// More than 50000 cards of the status group spread over the span of the statistics.
TEST_P(SearchDialogTest, ASearchEstimatedAboveFiftyThousandCardsIsRefused)
{
    // 60000 current cards issued one a day apart in 1000 days, each valid for a day.
    QSqlQuery q(ws->db.database->sqlDatabase());
    ASSERT_TRUE(q.exec(QStringLiteral(
        R"(WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 59999) )"
        R"(INSERT INTO "Cards" ("registrationNumber", "userID", "cardNameID", "issueTime", "startTime", )"
        R"("expireTime", "status") SELECT 65536 + i * 256, 1, 256, 45000 + i / 60, 45000 + i / 60, )"
        R"(45001 + i / 60, 1 FROM n)")))
        << q.lastError().text().toStdString();

    const struct
    {
        const char *what;
        const char *issueFrom;
        const char *issueTo;
        int statusGroup;
        bool refused;
    } rows[] = {
        {"every date", "", "", 1, true},
        {"100 days", "3/15/2023", "6/22/2023", 1, false},
        {"past cards are few", "", "", 2, false},
    };
    for (const auto &row : rows) {
        auto dialog = makeDialog();
        field(dialog.get(), "txtIssueFrom")->setText(QLatin1String(row.issueFrom));
        field(dialog.get(), "txtIssueTo")->setText(QLatin1String(row.issueTo));
        auto *status = child<QComboBox>(dialog.get(), QStringLiteral("cboStatus"));
        status->setCurrentIndex(status->findData(row.statusGroup));
        messages->clear();
        if (row.refused)
            messages->expect(-31223);
        dialog->cmdOK_Click();
        EXPECT_EQ(!dialog->chosen(), row.refused) << row.what;
        if (row.refused) {
            ASSERT_EQ(messages->shown().size(), 1u);
            const MessageRequest &r = messages->shown().front().request;
            // 1000 days × 50000 / 60000 cards
            EXPECT_EQ(r.arguments, QVariantList{QStringLiteral("833")});
            EXPECT_EQ(r.titleNumber, -32767);
        } else {
            EXPECT_TRUE(messages->shown().empty()) << row.what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SearchDialogTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
