#include "FindChild.h"
#include "GuestCardFixture.h"
#include "cards/CancelCardRules.h"
#include "cards/CardKinds.h"
#include "cards/CardWindows.h"
#include "cards/GuestRules.h"
#include "cards/RoomCardRules.h"
#include "cards/frmCancelCard.h"
#include "cards/frmFunctionCards.h"
#include "cards/frmGuestCard.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"
#include "ui/FrameHost.h"
#include "ui/grid/RecordGrid.h"
#include "views/ViewWindows.h"
#include "views/frmCardList.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>

namespace {

TEST(CancelCardRules, TheNumberIsOneToEightHexDigitsWhoseCopiesAreRegistrationNumbers)
{
    const struct
    {
        const char *typed;
        std::optional<quint32> number;
    } rows[] = {{"1A2B", 0x1A2B},     {"1a2b", 0x1A2B},        {"00001A2B", 0x1A2B},
                {"7FFFFF", 0x7FFFFF}, {"G", std::nullopt},     {"123456789", std::nullopt},
                {"", std::nullopt},   {"1A 2B", std::nullopt}, {"800000", std::nullopt}};
    for (const auto &row : rows)
        EXPECT_EQ(CancelCardRules::ParseCardNumber(QLatin1String(row.typed)), row.number) << row.typed;
    const CancelCardRules::CopyRange copies = CancelCardRules::CopiesOf(0x1A2B);
    EXPECT_EQ(copies.first, 0x1A2B00u);
    EXPECT_EQ(copies.last, 0x1A2BFFu);
}

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
    int cancelledRows(qint32 number)
    {
        return rowCount(
            TableId::Cards,
            QStringLiteral("registrationNumber = ? and status = 0 and cancelOperatorID = ? and cancelTime >= ?"),
            {number, deskID, now - 1.0 / 1440});
    }

    qint32 staff = 0;
    int receipts = 0;
};

TEST_P(FunctionCardTest, TheCancelCardTakesTheCopyExpiringLastAndMarksItsRowCancelled)
{
    addCard({.registrationNumber = 0x1A2B00, .expireTime = now + 1});
    addCard({.registrationNumber = 0x1A2B01, .expireTime = now + 2});
    addCard({.registrationNumber = 0x1A2C00, .expireTime = now - 1.0 / 1440});
    addCard({.registrationNumber = 0x1A2D00, .expireTime = now + 8});
    const struct
    {
        const char *typed;
        std::vector<std::pair<int16_t, int>> messages; // text number and answer, in order
        qint32 value;                                  // the block value; 0: no card is made
        double expiry;
    } rows[] = {
        {"1a2b", {}, 0x1A2B01, now + 2},         {"5", {{-31104, 0}, {-32504, 0}}, 0x500, NoExpiry},
        {"6", {{-31104, 0}, {-32504, 1}}, 0, 0}, {"1A2C", {{-31159, 0}}, 0, 0},
        {"1A2D", {{-31225, 0}}, 0, 0},           {"G", {{-31181, 0}}, 0, 0},
        {"123456789", {{-31181, 0}}, 0, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        messages->clear();
        for (const auto &[number, answer] : row.messages)
            messages->expect(number, answer);
        frmCancelCard *form = open<frmCancelCard>();
        box(form, "txtRegNumber")->setText(QLatin1String(row.typed));
        const QList<qint32> before = storedCards();
        command(form, "cmdMakeCard")->click();
        EXPECT_TRUE(messages->allAnswered());
        const QList<qint32> cards = newCards(before);
        ASSERT_EQ(cards.size(), row.value ? 1 : 0);
        EXPECT_EQ(rowCount(TableId::Cards, QStringLiteral("status = 0")), 1) << "only the card found";
        if (!row.value) {
            EXPECT_EQ(form->focusWidget(), box(form, "txtRegNumber"));
            delete form;
            continue;
        }
        const CardImage image = storedImage(cards.front());
        EXPECT_EQ(image.blocks(), (QList<CardBlock>{{109, {row.value}, {}, {{100, 0, 9999}}}}));
        EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, row.expiry);
        EXPECT_EQ(image.GetCardField(QStringLiteral("batteryWarningFlag"))->integer, 1);
        delete form;
    }
    EXPECT_EQ(cancelledRows(0x1A2B01), 1);
}

TEST_P(FunctionCardTest, EachFunctionKindWritesItsBlockAndTheEmergencyCardComesTwice)
{
    const auto function = [this](int f, std::function<void(frmFunctionCard *)> set) {
        return [this, f, set]() -> StaffCardDialog * {
            auto *form = open<frmFunctionCard>();
            form->SetFunction(f);
            form->UserID(staff);
            box(form, "txtNumDays")->setText(QStringLiteral("2"));
            set(form);
            return form;
        };
    };
    const auto rooms = [](const char *from, const char *to) {
        return [=](frmFunctionCard *f) {
            box(f, "txtRoomFrom")->setText(QLatin1String(from));
            box(f, "txtRoomTo")->setText(QLatin1String(to));
        };
    };
    const struct
    {
        const char *what;
        std::function<StaffCardDialog *()> make;
        std::vector<int16_t> messages;
        QList<CardBlock> blocks; // of every card made; none when refused
        int cards;
    } rows[] = {
        {"communication: every room, five digits",
         function(0,
                  [this](frmFunctionCard *f) {
                      setParameter(QStringLiteral("9420_FIVEDIGITS"), QStringLiteral("1"));
                      f->CheckRoomList();
                  }),
         {},
         {{112, {16}, {}, {{100, 0, 99999}}}},
         1},
        {"clear cancel list, second choice",
         function(2,
                  [&](frmFunctionCard *f) {
                      rooms("101", "102")(f);
                      child<QRadioButton>(f, QStringLiteral("optClear_1"))->setChecked(true);
                  }),
         {},
         {{112, {2, 1}, {}, {{100, 101, 102}}}},
         1},
        {"battery alarm without doors", function(1, rooms("351", "399")), {-31179}, {}, 0},
        {"system ID", [this] { return open<frmSystemIDCard>(); }, {}, {{114, {}, {}, {{100, 0, 9999}}}}, 1},
        {"emergency", [this] { return open<frmEmergencyCard>(); }, {-32255}, {{108, {}, {}, {{100, 0, 99999}}}}, 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        receipts = 0;
        for (int16_t number : row.messages)
            messages->expect(number);
        StaffCardDialog *form = row.make();
        if (auto *receipt = form->findChild<QCheckBox *>(QStringLiteral("chkReceipt")))
            receipt->setChecked(true);
        const QList<qint32> before = storedCards();
        command(form, "cmdMakeCard")->click();
        EXPECT_EQ(messages->shownNumbers(), row.messages);
        const QList<qint32> cards = newCards(before);
        ASSERT_EQ(cards.size(), row.cards);
        for (qint32 card : cards) {
            const CardImage image = storedImage(card);
            EXPECT_EQ(image.blocks(), row.blocks);
            EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, form->cardNameID());
            EXPECT_EQ(image.GetCardField(QStringLiteral("userID"))->integer, staff);
        }
        if (auto *emergency = qobject_cast<frmEmergencyCard *>(form)) {
            EXPECT_EQ(receipts, 1) << "one receipt for both cards";
            EXPECT_EQ(emergency->firstRegistrationNumber(), cards.front());
        }
        delete form;
        setParameter(QStringLiteral("9420_FIVEDIGITS"), QStringLiteral("0"));
    }
}

// The frame as the cancel card meets it: each window opens as itself.
class OpeningFrame : public FrameHost
{
public:
    explicit OpeningFrame(WindowCatalog &windows) : m_windows(windows) {}
    FrameChild *openChild(const QString &kind, const std::function<bool(FrameChild &)> &prepare) override
    {
        FrameChild *window = m_windows.create(kind);
        if (!window || !window->IsDialogAvailable() || (prepare && !prepare(*window))) {
            delete window;
            return nullptr;
        }
        WidgetOf(window)->show();
        window->Activate();
        return window;
    }

private:
    WindowCatalog &m_windows;
};

TEST_P(FunctionCardTest, AGuestCardCancelledFromTheCardListNoLongerHoldsItsRoom)
{
    OpeningFrame frame(ws->frameWindows.windows);
    ws->frameWindows.frameHost = &frame;
    RegisterViewWindows(*ws);
    CardSearchFilters all; // every status: the cancelled card stays in the list
    all.statusGroup = 0;
    ws->frameWindows.windows.setCardSearch([all](const CardSearchRequest &, QWidget *) { return all; });
    frmGuestCard *guest = openDialog();
    box(guest, "txtRoomNumber")->setText(QStringLiteral("105"));
    box(guest, "txtNumCards")->setText(QStringLiteral("1"));
    command(guest, "cmdMakeCard")->click();
    ASSERT_EQ(storedCards().size(), 1);
    const qint32 lost = storedCards().front();
    RecordTable rooms(db);
    ASSERT_TRUE(RoomCardRules::IsRoomOccupied(rooms, 105, now));

    frmCancelCard *cancel = open<frmCancelCard>();
    command(cancel, "cmdCardList")->click();
    frmCardList *list = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        list = list ? list : qobject_cast<frmCardList *>(w);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->caller(), cancel);
    command(list, "cmdSelect")->click();
    EXPECT_EQ(box(cancel, "txtRegNumber")->text(), RegistrationNumberText(quint32(lost)));
    command(cancel, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
    ASSERT_EQ(storedCards().size(), 2);
    EXPECT_EQ(cancelledRows(lost), 1);
    EXPECT_FALSE(RoomCardRules::IsRoomOccupied(rooms, 105, now));
    const double later = now + 1.0 / 1440; // the guest card's check counts cards started before now
    EXPECT_EQ(GuestRules::CheckRoom(rooms, *ws->cardServers.secondCardsIntf, 105, later, false, false, true).result,
              GuestRules::RoomCheck::NoCard);

    list->RefreshTableList();
    RecordGrid &grid = list->grid();
    for (int row = 0; row < grid.RowTotal() && grid.SelectedValue(QStringLiteral("registrationNumber")) != lost; ++row)
        grid.selectRow(row);
    EXPECT_EQ(grid.SelectedValue(QStringLiteral("status")), QVariant(0)) << "shown cancelled";
    EXPECT_FALSE(grid.SelectedValue(QStringLiteral("cancelTime")).isNull());
    // The room is free again: a new guest card for it asks no question.
    command(guest, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
    EXPECT_EQ(storedCards().size(), 3);
    ws->frameWindows.frameHost = nullptr;
}

// Window-level: the queries run on both engines through the store tests of the card server.
INSTANTIATE_TEST_SUITE_P(Sqlite, FunctionCardTest, ::testing::Values("sqlite"));

} // namespace
