#include "CardListFixture.h"
#include "FindChild.h"
#include "RecordingWindow.h"
#include "components/cardserver/CardsIntf.h"
#include "core/OleDate.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"
#include "views/ViewWindows.h"
#include "views/frmCardList.h"
#include "views/frmCardSearchFilters.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Cards every search test works on: five holders, kinds, states, expiries and rooms.
class CardSearchTest : public CardListTest
{
protected:
    void SetUp() override
    {
        CardListTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const double lastMinuteOfMay31 = 45443.0 + 1439.0 / 1440.0;
        storeCard({0x1A00, QStringLiteral("Smith"), 256, 1, lastMinuteOfMay31, 101, {101}});
        storeCard({0x1AFF, QStringLiteral("Smyth"), 256, 1, 45444.5, 102, {102}});
        storeCard({0x19FF, QStringLiteral("Asmith"), 258, 1, 45450.0, 201, {201, 202}});
        storeCard({0x1B00, QStringLiteral("smart"), 260, 1, NoExpiry, 0, {}});
        storeCard({0x2000, QStringLiteral("Brown"), 266, 4, 45300.0, 105, {}});
        storeCard({0x3100, QStringLiteral("Grey"), 266, 8, 45460.0, 0, {}});  // not yet issued: may be out there
        storeCard({0x3200, QStringLiteral("Green"), 266, 9, 45460.0, 0, {}}); // never issued
        for (qint32 kind : kIssuableKinds)
            addCardName(kind, QStringLiteral("Kind %1").arg(kind));
        list = std::make_unique<frmCardList>(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
    }

    void TearDown() override
    {
        list.reset();
        CardListTest::TearDown();
    }

    CardSearchFilters allCards() const
    {
        CardSearchFilters f;
        f.statusGroup = 0;
        return f;
    }

    void search(const CardSearchFilters &f)
    {
        list->SetSearchFilters(f);
        list->StartSearch();
    }

    std::unique_ptr<frmCardList> list;
};

TEST_P(CardSearchTest, ListsTheCardsThatMatchTheFilters)
{
    using Set = std::function<void(CardSearchFilters &, frmCardList &)>;
    const struct
    {
        const char *what;
        Set set;
        QSet<qint32> cards;
    } rows[] = {
        // clang-format off
        {"everything", [](CardSearchFilters &, frmCardList &) {}, {0x1A00, 0x1AFF, 0x19FF, 0x1B00, 0x2000, 0x3100, 0x3200}},
        {"a two-letter surname prefix, never a later match", [](CardSearchFilters &f, frmCardList &) { f.surname = QStringLiteral("Sm"); }, {0x1A00, 0x1AFF, 0x1B00}},
        {"expiry up to May 31 includes 23:59 that day", [](CardSearchFilters &f, frmCardList &) { f.expiryTo = 45443.0; }, {0x1A00, 0x2000}},
        {"expiry from June 1", [](CardSearchFilters &f, frmCardList &) { f.expiryFrom = 45444.0; }, {0x1AFF, 0x19FF, 0x1B00, 0x3100, 0x3200}},
        {"the copies of card number 1A", [](CardSearchFilters &f, frmCardList &) { f.registrationFrom = 0x1A00, f.registrationTo = 0x1AFF; }, {0x1A00, 0x1AFF}},
        {"current cards, one not yet issued", [](CardSearchFilters &f, frmCardList &) { f.statusGroup = 1; }, {0x1A00, 0x1AFF, 0x19FF, 0x1B00, 0x3100}},
        {"past cards", [](CardSearchFilters &f, frmCardList &) { f.statusGroup = 2; }, {0x2000}},
        {"main rooms 100 to 199", [](CardSearchFilters &f, frmCardList &) { f.roomFrom = 100, f.roomTo = 199; }, {0x1A00, 0x1AFF, 0x2000}},
        {"one kind; a kind the operator may not issue is ignored", [](CardSearchFilters &, frmCardList &l) { l.SetCardNameFilter(256), l.SetCardNameFilter(257); }, {0x1A00, 0x1AFF}},
        {"every kind the operator may issue", [](CardSearchFilters &, frmCardList &l) { l.SetCardNameFilters(); }, {0x1A00, 0x1AFF, 0x19FF, 0x1B00, 0x2000, 0x3100, 0x3200}},
        {"the first-floor stair door", [](CardSearchFilters &f, frmCardList &) { f.doorID = 9101, f.intervalStart = 101, f.intervalStop = 130; }, {0x1A00, 0x1AFF}},
        {"a room of the suite", [](CardSearchFilters &f, frmCardList &) { f.doorID = 202; }, {0x19FF}},
        // clang-format on
    };
    for (const auto &row : rows) {
        CardSearchFilters f = allCards();
        list->ClearCardNameFilters();
        row.set(f, *list);
        list->SetSearchFilters(f);
        list->StartSearch();
        EXPECT_EQ(shown(*list), row.cards) << row.what;
        EXPECT_EQ(child<QPushButton>(list.get(), QStringLiteral("cmdPrint"))->isEnabled(), !row.cards.isEmpty())
            << row.what;
    }
    EXPECT_TRUE(messages->shown().empty());
}

TEST_P(CardSearchTest, ShowsTheColumnsWithTheirTexts)
{
    for (bool family : {false, true}) {
        setParameter(QStringLiteral("FAMILY"), family ? QStringLiteral("1") : QStringLiteral("0"));
        ASSERT_EQ(ws->db.SystemParams->Family(), family);
        frmCardList l(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
        l.SetSearchFilters(allCards());
        l.StartSearch();
        EXPECT_EQ(l.grid().titledColumnCount(), family ? 14 : 13);
    }
    search(allCards());
    RecordGridModel *model = list->grid().gridModel();
    int smart = -1;
    for (int row = 0; row < model->rowsRead(); ++row)
        if (model->rawValue(row, QStringLiteral("registrationNumber")).toInt() == 0x1B00)
            smart = row;
    ASSERT_GE(smart, 0);
    const QStringList fields = model->fields();
    const auto text = [&](const char *field) {
        return model->displayText(smart, fields.indexOf(QLatin1String(field)));
    };
    EXPECT_EQ(text("registrationNumber"), QStringLiteral("0001B"));
    EXPECT_EQ(text("mainGuestRoom"), GetText(20804)) << "no main room";
    EXPECT_EQ(text("cardName"), QStringLiteral("Kind 260"));
}

TEST_P(CardSearchTest, RefreshesOnUserAndDoorChangesButNotOnAdditions)
{
    search(allCards());
    storeCard({0x3000, QStringLiteral("Late"), 256, 1, 45450.0, 103, {103}});
    const struct
    {
        const char *what;
        std::function<void()> notify;
        bool refreshes;
    } rows[] = {
        {"user added", [this] { ws->session.notify.NotifyUserAdded(3, 0); }, false},
        {"user removed", [this] { ws->session.notify.NotifyUserRemoved(3); }, false},
        {"door added", [this] { ws->session.notify.NotifyDoorAdded(101); }, false},
        {"door range added", [this] { ws->session.notify.NotifyDoorRangeAdded(101, 110); }, false},
        {"door removed", [this] { ws->session.notify.NotifyDoorRemoved(101, 101); }, false},
        {"user updated", [this] { ws->session.notify.NotifyUserUpdated(3); }, true},
        {"users refreshed", [this] { ws->session.notify.NotifyUsersRefresh(); }, true},
        {"door updated", [this] { ws->session.notify.NotifyDoorUpdated(101, 0); }, true},
        {"doors refreshed", [this] { ws->session.notify.NotifyDoorsRefresh(); }, true},
    };
    for (const auto &row : rows) {
        list->grid().ClearGrid();
        row.notify();
        EXPECT_EQ(shown(*list).contains(0x3000), row.refreshes) << row.what;
    }
    list.reset();
    ws->session.notify.NotifyUsersRefresh(); // a closed list has left the subscribers
}

TEST_P(CardSearchTest, HandsTheChosenCardBackToTheCallingWindowAndPrintOffersTheListEntries)
{
    auto *cmdSelect = child<QPushButton>(list.get(), QStringLiteral("cmdSelect"));
    EXPECT_EQ(cmdSelect->text(), GetText(20805));
    const struct
    {
        const char *what;
        bool autoClose;
        std::function<void(RecordGrid &)> act;
    } rows[] = {
        // clang-format off
        {"the select command", true, [cmdSelect](RecordGrid &) { cmdSelect->click(); }},
        {"Enter", false, [](RecordGrid &grid) { QTest::keyClick(&grid, Qt::Key_Return); }},
        {"double click", false, [](RecordGrid &grid) {
             const QPoint cell = grid.visualRect(grid.model()->index(0, 1)).center();
             QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell);
             QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell); }},
        // clang-format on
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        QWidget caller;
        caller.setWindowTitle(QStringLiteral("Cancel card"));
        qint32 chosen = 0;
        list->setChoiceRequest({&caller, [&chosen](qint32 number) { chosen = number; }, row.autoClose});
        list->show();
        EXPECT_EQ(list->windowTitle(), GetText(20800) + QStringLiteral(" (Cancel card)"));
        EXPECT_EQ(cmdSelect->text(), GetText(20806));
        if (row.autoClose) {
            EXPECT_FALSE(cmdSelect->isEnabled()) << "no row yet";
        }
        CardSearchFilters f = allCards();
        f.surname = QStringLiteral("Brown");
        search(f);
        row.act(list->grid());
        EXPECT_EQ(chosen, 0x2000);
        EXPECT_EQ(list->isVisible(), !row.autoClose) << "autoClose closes the list";
        if (row.autoClose) {
            EXPECT_EQ(list->caller(), nullptr);
            EXPECT_EQ(list->windowTitle(), GetText(20800));
        }
    }
    EXPECT_TRUE(messages->shown().empty());

    QStringList offered;
    list->popupMenu().setChooser([&offered](const PopupMenu &menu, const QString &root, const QPoint &) {
        offered = menu.selectableKeys(root);
        return QString();
    });
    child<QPushButton>(list.get(), QStringLiteral("cmdPrint"))->click();
    EXPECT_EQ(offered, (QStringList{QStringLiteral("F"), QStringLiteral("N"), QStringLiteral("P")}));

    CardSearchFilters none = allCards();
    none.surname = QStringLiteral("Nobody");
    search(none);
    EXPECT_FALSE(child<QPushButton>(list.get(), QStringLiteral("cmdPrint"))->isEnabled());
    EXPECT_EQ(list->focusWidget(), child<QPushButton>(list.get(), QStringLiteral("cmdSearch")))
        << "no row: the search command has the focus";
}

TEST_P(CardSearchTest, TheSearchCommandRunsTheDialogAndSearchesOnlyAfterOK)
{
    list->ClearCardNameFilters();
    list->SetCardNameFilter(258);
    search(allCards());
    ASSERT_EQ(shown(*list), (QSet<qint32>{0x19FF}));
    QList<qint32> ticked;
    list->setSearchDialogRunner([&ticked](QDialog &dialog) {
        auto &search = static_cast<frmCardSearchFilters &>(dialog);
        ticked = search.tickedKinds();
        // The list's filters are in the fields.
        EXPECT_EQ(child<QLineEdit>(&search, QStringLiteral("txtRoomTo"))->text(), QStringLiteral("9999"));
        child<QLineEdit>(&search, QStringLiteral("txtSurname"))->setText(QStringLiteral("Smy"));
        search.SetCardNameFilter(256);
        search.cmdOK_Click();
        return true;
    });
    child<QPushButton>(list.get(), QStringLiteral("cmdSearch"))->click();
    EXPECT_EQ(ticked, (QList<qint32>{258}));
    EXPECT_EQ(shown(*list), (QSet<qint32>{0x1AFF}));

    list->setSearchDialogRunner([](QDialog &dialog) {
        child<QLineEdit>(&dialog, QStringLiteral("txtSurname"))->setText(QStringLiteral("Brown"));
        child<QPushButton>(&dialog, QStringLiteral("cmdCancel"))->click();
        return false;
    });
    child<QPushButton>(list.get(), QStringLiteral("cmdSearch"))->click();
    EXPECT_EQ(shown(*list), (QSet<qint32>{0x1AFF})) << "cancelled: no new search";
    EXPECT_EQ(list->filters().surname, QStringLiteral("Smy"));
}

TEST_P(CardSearchTest, OpensThroughTheFramesSequenceWithTheSearchDialogFirst)
{
    // As the frame opens a list: made through the catalog, the search dialog run modally on it.
    RegisterViewWindows(*ws);
    const struct
    {
        const char *what;
        const char *button;
        bool cancelled;
    } rows[] = {{"OK", "cmdOK", false}, {"Cancel", "cmdCancel", true}};
    for (const auto &row : rows) {
        std::unique_ptr<CardListWindow> made(ws->frameWindows.windows.create(WindowKinds::CardList));
        ASSERT_TRUE(made && made->IsDialogAvailable());
        EXPECT_EQ(WidgetOf(made.get())->objectName(), QStringLiteral("frmCardList"));
        QTimer::singleShot(0, [&row] {
            QWidget *filter = QApplication::activeModalWidget();
            ASSERT_NE(filter, nullptr);
            child<QLineEdit>(filter, QStringLiteral("txtSurname"))->setText(QStringLiteral("Sm"));
            child<QPushButton>(filter, QLatin1String(row.button))->click();
        });
        const std::optional<CardSearchFilters> chosen = ws->frameWindows.windows.searchCards({}, nullptr);
        EXPECT_EQ(!chosen, row.cancelled) << row.what;
        if (row.cancelled)
            continue;
        ApplyCardSearch(*made, *chosen);
        made->StartSearch();
        EXPECT_EQ(shown(*dynamic_cast<frmCardList *>(made.get())), (QSet<qint32>{0x1A00, 0x1AFF, 0x1B00}))
            << "current cards of the operator's kinds whose surname begins with Sm";
    }
}

TEST_P(CardSearchTest, KeepsItsPlacementAndColumnsButNotThoseOfAListThatNeverShowed)
{
    list.reset();
    {
        frmCardList shownList(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
        shownList.show();
        shownList.resize(700, 300);
        shownList.grid().setColumnWidth(3, 222);
    }
    {
        frmCardList cancelled(ws->program, ws->db, ws->cardServers, ws->session,
                              ws->frameWindows); // the search dialog was cancelled: never shown
        cancelled.resize(400, 200);
        cancelled.grid().setColumnWidth(3, 50);
    }
    frmCardList reopened(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
    EXPECT_EQ(reopened.size(), QSize(700, 300));
    EXPECT_EQ(reopened.grid().columnWidth(3), 222);
    EXPECT_TRUE(messages->shown().empty());
}

TEST_P(CardSearchTest, WithoutReadRightOnCardsTheListIsNotAvailable)
{
    ASSERT_NO_FATAL_FAILURE(removeRight(kDeskTemplate, Authority::TableRightsBase + TableId::Cards));
    ws->session.authority.LoadOperatorRights(true);
    messages->expect(-31143);
    EXPECT_FALSE(list->IsDialogAvailable());
    list->show();
    list->Activate();
    EXPECT_FALSE(list->isVisible()) << "EvaluateAuthority closes the list";
}

// Opening a stored card in the window of its kind.
class OpenCardTest : public CardListTest
{
};

TEST_P(OpenCardTest, OpensTheCardInTheWindowOfItsKind)
{
    // The guest card's road from the list is followed in cards/test_guest_card_from_list.
    ws->frameWindows.windows.add(WindowKinds::card(QStringLiteral("frmFunctionCard")),
                                 [](QWidget *) { return new RecordingWindow; });
    addCardName(262, QStringLiteral("Clearance card"));
    const struct
    {
        qint32 kind;
        const char *window;
        QStringList calls;
        QVariant missingName; // -32254 with this name when no window shows the kind
    } rows[] = {
        // clang-format off
        {278, "frmFunctionCard", {QStringLiteral("SetFunction 2"), QStringLiteral("ReadCardImageBag"), QStringLiteral("Activate")}, {}},
        {262, "", {}, QStringLiteral("Clearance card")},
        {280, "", {}, QStringLiteral("(280)")},
        // clang-format on
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind);
        const qint32 number = issueCard(row.kind);
        ASSERT_NE(number, 0);
        frmCardList list(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
        CardSearchFilters f;
        f.registrationFrom = f.registrationTo = number;
        list.SetSearchFilters(f);
        list.StartSearch();
        ASSERT_EQ(shown(list), (QSet<qint32>{number}));
        RecordingFrame frame;
        ws->frameWindows.frameHost = &frame;
        messages->clear();
        if (row.missingName.isValid())
            messages->expect(-32254);
        auto *cmdSelect = child<QPushButton>(&list, QStringLiteral("cmdSelect"));
        ASSERT_TRUE(cmdSelect->isEnabled());
        cmdSelect->click();
        EXPECT_EQ(frame.window.calls, row.calls);
        EXPECT_EQ(frame.opened, row.missingName.isValid() ? QStringList() : QStringList{QLatin1String(row.window)});
        if (row.missingName.isValid()) {
            ASSERT_EQ(messages->shown().size(), 1u);
            EXPECT_EQ(messages->shown().front().request.arguments, QVariantList{row.missingName});
        } else {
            EXPECT_EQ(ws->cardServers.firstCardsIntf->GetCardField(QStringLiteral("cardNameID")).toInt(), row.kind)
                << "the card is loaded for the window";
        }
        ws->frameWindows.frameHost = nullptr;
    }
}

TEST_P(OpenCardTest, WithoutTheOpenCardFunctionNothingOpens)
{
    ASSERT_NO_FATAL_FAILURE(removeRight(kDeskTemplate, Authority::FunctionBase + 10));
    ws->session.authority.LoadOperatorRights(true);
    storeCard({0x1A00, QStringLiteral("Smith")});
    frmCardList list(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
    list.StartSearch();
    ASSERT_EQ(shown(list).size(), 1);
    EXPECT_FALSE(child<QPushButton>(&list, QStringLiteral("cmdSelect"))->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Engines, CardSearchTest, ::testing::Values("sqlite", "postgresql"));
INSTANTIATE_TEST_SUITE_P(Engines, OpenCardTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
