#include "GuestCardFixture.h"
#include "cards/CardKinds.h"
#include "cards/CardWindows.h"
#include "cards/GuestRules.h"
#include "cards/RoomCardRules.h"
#include "cards/frmCancelCard.h"
#include "cards/frmFunctionCards.h"
#include "cards/frmGuestCard.h"
#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"
#include "session/Authority.h"
#include "ui/FrameHost.h"
#include "ui/grid/RecordGrid.h"
#include "views/ViewWindows.h"
#include "views/frmCardList.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>

namespace {

// Desk rights for the function kinds; a staff member to issue them to.
class FunctionCardTest : public GuestCardTest
{
protected:
    void SetUp() override
    {
        GuestCardTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        for (qint32 kind : {268, 269, 271, 275, 277, 278, 279})
            addRight(kDeskTemplate, Authority::CardKindBase + kind, 0, kMaxValidityMinutes);
        addRight(kDeskTemplate, Authority::TableRightsBase + 48, Authority::Read);
        addRight(kDeskTemplate, Authority::FunctionBase + 10, 0);
        ws->session.authority.LoadOperatorRights(true);
        ws->session.authority.setLogonPrompt([](int mode) { return mode == 1; });
        staff = addUser(QStringLiteral("S1"), QStringLiteral("Lee"), QStringLiteral("Bo"));
        RegisterCardWindows(*ws);
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<StaffCardDialog *>(w) || qobject_cast<frmCardList *>(w))
                delete w;
        GuestCardTest::TearDown();
    }
    template <typename Dialog> Dialog *open()
    {
        auto *form = new Dialog(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
        form->setPollInterval(0);
        form->setReceiptPrinter([this] { ++receipts; });
        form->show();
        form->UserID(staff);
        return form;
    }
    QList<qint32> newCards(const QList<qint32> &before)
    {
        QList<qint32> cards = storedCards();
        cards.removeIf([&before](qint32 n) { return before.contains(n); });
        return cards;
    }
    static QWidget *topLevel(const char *name)
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name))
                return w;
        return nullptr;
    }

    qint32 staff = 0;
    int receipts = 0;
};

TEST_P(FunctionCardTest, EachKindWritesItsBlockAndValidityOrIsRefused)
{
    setParameter(QStringLiteral("9420_FIVEDIGITS"), QStringLiteral("1"));
    addCard({.registrationNumber = 0x1A2B00, .expireTime = now + 1});
    addCard({.registrationNumber = 0x1A2B01, .expireTime = now + 2});
    addCard({.registrationNumber = 0x1A2B02, .status = 9, .expireTime = now + 3}); // never issued: no card
    addCard({.registrationNumber = 0x1A2E00, .status = 8, .expireTime = now + 1}); // may be out there
    addCard({.registrationNumber = 0x1A2C00, .expireTime = now - 1.0 / 1440});
    addCard({.registrationNumber = 0x1A2D00, .expireTime = now + 8});
    const auto cancel = [this](const char *typed) {
        return [=, this]() -> StaffCardDialog * {
            auto *form = open<frmCancelCard>();
            box(form, "txtRegNumber")->setText(QLatin1String(typed));
            return form;
        };
    };
    const auto function = [this](int f, const char *from, const char *to) {
        return [=, this]() -> StaffCardDialog * {
            auto *form = open<frmFunctionCard>();
            form->SetFunction(f);
            form->UserID(staff);
            box(form, "txtNumDays")->setText(QStringLiteral("2"));
            box(form, "txtRoomFrom")->setText(QLatin1String(from));
            box(form, "txtRoomTo")->setText(QLatin1String(to));
            if (f == 2)
                child<QRadioButton>(form, QStringLiteral("optClear_1"))->setChecked(true);
            return form;
        };
    };
    const double days2 = OleDate::wholeDay(now) + 2;
    const auto block = [](int type, QList<qint32> values, qint32 first = 0, qint32 last = 99999) {
        return QList<CardBlock>{{quint8(type), values, {}, {{100, first, last}}}};
    };
    const struct
    {
        const char *what;
        std::function<StaffCardDialog *()> make;
        std::vector<std::pair<int16_t, int>> messages; // text number and answer, in order
        qint32 kind;
        QList<CardBlock> blocks; // of every card made
        double expiry;
        int cards;
    } rows[] = {
        {"cancel: latest copy", cancel("1a2b"), {}, 269, block(109, {0x1A2B01}), now + 2, 1},
        {"cancel: a card not confirmed", cancel("1A2E"), {}, 269, block(109, {0x1A2E00}), now + 1, 1},
        {"cancel: no card, yes", cancel("5"), {{-31104, 0}, {-32504, 0}}, 269, block(109, {0x500}), NoExpiry, 1},
        {"cancel: no card, no", cancel("6"), {{-31104, 0}, {-32504, 1}}, 0, {}, 0, 0},
        {"cancel: expired", cancel("1A2C"), {{-31159, 0}}, 0, {}, 0, 0},
        {"cancel: beyond the maximum", cancel("1A2D"), {{-31225, 0}}, 0, {}, 0, 0},
        {"cancel: a letter beyond F", cancel("G"), {{-31181, 0}}, 0, {}, 0, 0},
        {"cancel: nine digits", cancel("123456789"), {{-31181, 0}}, 0, {}, 0, 0},
        {"communication, any rooms", function(0, "351", "399"), {}, 271, block(112, {16}), days2, 1},
        {"clear cancel list", function(2, "101", "102"), {}, 278, block(112, {2, 1}, 101, 102), days2, 1},
        {"battery alarm, no doors", function(1, "351", "399"), {{-31179, 0}}, 0, {}, 0, 0},
        {"system ID", [this] { return open<frmSystemIDCard>(); }, {}, 275, block(114, {}), NoExpiry, 1},
        {"emergency", [this] { return open<frmEmergencyCard>(); }, {{-32255, 0}}, 268, block(108, {}), NoExpiry, 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        receipts = 0;
        for (const auto &[number, answer] : row.messages)
            messages->expect(number, answer);
        StaffCardDialog *form = row.make();
        if (auto *receipt = form->findChild<QCheckBox *>(QStringLiteral("chkReceipt")))
            receipt->setChecked(true);
        const QList<qint32> before = storedCards();
        command(form, "cmdMakeCard")->click();
        EXPECT_TRUE(messages->allAnswered());
        const QList<qint32> cards = newCards(before);
        ASSERT_EQ(cards.size(), row.cards);
        for (qint32 card : cards) {
            const CardImage image = storedImage(card);
            EXPECT_EQ(image.blocks(), row.blocks);
            EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, row.kind);
            EXPECT_EQ(image.GetCardField(QStringLiteral("userID"))->integer, staff);
            EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, row.expiry);
        }
        EXPECT_EQ(receipts, row.kind == 268 ? 1 : 0) << "one receipt for both emergency cards";
        delete form;
    }
    EXPECT_EQ(rowCount(TableId::Cards, QStringLiteral("status = 0")), 2) << "only the cards found changed";
    EXPECT_EQ(
        rowCount(TableId::Cards, QStringLiteral("status = 0 and registrationNumber in(?,?)"), {0x1A2B01, 0x1A2E00}), 2);

    // A clear-cancel-list card from the card list opens the function dialog on its function.
    frmCardList list(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
    list.ClearCardNameFilters();
    list.SetCardNameFilter(278);
    list.SetSearchFilters(CardSearchFilters());
    list.StartSearch();
    command(&list, "cmdSelect")->click();
    auto *shown = qobject_cast<frmFunctionCard *>(topLevel("frmFunctionCard"));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->function(), 2);
    EXPECT_TRUE(child<QRadioButton>(shown, QStringLiteral("optClear_1"))->isChecked());
}

// The frame as the cancel card meets it: each window opens as itself.
struct OpeningFrame : FrameHost
{
    WindowCatalog *windows;
    FrameChild *openChild(const QString &kind, const std::function<bool(FrameChild &)> &prepare) override
    {
        FrameChild *window = windows->create(kind);
        if (window && prepare && !prepare(*window))
            delete std::exchange(window, nullptr);
        if (window)
            WidgetOf(window)->show();
        return window;
    }
};

TEST_P(FunctionCardTest, AGuestCardCancelledFromTheCardListNoLongerHoldsItsRoom)
{
    OpeningFrame frame;
    frame.windows = &ws->frameWindows.windows;
    ws->frameWindows.frameHost = &frame;
    RegisterViewWindows(*ws);
    CardSearchFilters search; // every status: the cancelled card stays in the list, the cancel card is not
    search.statusGroup = 0;
    search.roomFrom = search.roomTo = 105;
    ws->frameWindows.windows.setCardSearch([search](const CardSearchRequest &, QWidget *) { return search; });
    frmGuestCard *guest = openDialog();
    box(guest, "txtRoomNumber")->setText(QStringLiteral("105"));
    box(guest, "txtNumCards")->setText(QStringLiteral("1"));
    command(guest, "cmdMakeCard")->click();
    const qint32 lost = storedCards().value(0);
    RecordTable rooms(db);
    ASSERT_TRUE(RoomCardRules::IsRoomOccupied(rooms, 105, now));

    frmCancelCard *cancel = open<frmCancelCard>();
    command(cancel, "cmdCardList")->click();
    auto *list = qobject_cast<frmCardList *>(topLevel("frmCardList"));
    ASSERT_NE(list, nullptr);
    command(list, "cmdSelect")->click();
    EXPECT_EQ(box(cancel, "txtRegNumber")->text(), RegistrationNumberText(quint32(lost)));
    command(cancel, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
    EXPECT_EQ(
        rowCount(TableId::Cards,
                 QStringLiteral("registrationNumber = ? and status = 0 and cancelOperatorID = ? and cancelTime >= ?"),
                 {lost, deskID, now}),
        1);
    EXPECT_FALSE(RoomCardRules::IsRoomOccupied(rooms, 105, now));
    // A new guest card for the room finds it free (its check counts cards started before now).
    const double later = now + 1.0 / 1440;
    EXPECT_EQ(GuestRules::CheckRoom(rooms, *ws->cardServers.secondCardsIntf, 105, later, false, false, true).result,
              GuestRules::RoomCheck::NoCard);

    list->RefreshTableList();
    RecordGrid &grid = list->grid();
    grid.selectRow(0);
    ASSERT_EQ(grid.SelectedValue(QStringLiteral("registrationNumber")), lost);
    EXPECT_EQ(grid.SelectedValue(QStringLiteral("status")), QVariant(0)) << "shown cancelled";
    EXPECT_FALSE(grid.SelectedValue(QStringLiteral("cancelTime")).isNull());
    ws->frameWindows.frameHost = nullptr;
}

// Window-level: the queries run on both engines through the store tests of the card server.
INSTANTIATE_TEST_SUITE_P(Sqlite, FunctionCardTest, ::testing::Values("sqlite"));

} // namespace
