// The suite, future-arrival and one-time card dialogs: what they write, and opening their cards
// from the card list.
#include "FindChild.h"
#include "GuestCardFixture.h"
#include "cards/CardKinds.h"
#include "cards/CardWindows.h"
#include "cards/GuestRules.h"
#include "cards/frmFutureArrivalCard.h"
#include "cards/frmOneTimeCard.h"
#include "cards/frmSuiteCard.h"
#include "core/OleDate.h"
#include "texts/Texts.h"
#include "views/frmCardList.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>

namespace {

using GuestRules::CheckOutText;
using enum CardFieldType;
using Fields = QList<QPair<QString, CardFieldType>>;

QPair<QString, CardFieldType> field(const char *name, CardFieldType type)
{
    return {QLatin1String(name), type};
}

class RoomCardTest : public GuestCardTest
{
protected:
    void SetUp() override
    {
        GuestCardTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        addDoor(99, QStringLiteral("Room 99"));
        addDoor(100, QStringLiteral("Room 100"));
        for (qint32 kind : {258, 259, 266})
            addRight(kDeskTemplate, Authority::CardKindBase + kind, 0, kMaxValidityMinutes);
        addRight(kDeskTemplate, Authority::TableRightsBase + 48, Authority::Read); // the card list
        addRight(kDeskTemplate, Authority::FunctionBase + 10, 0);
        ws->session.authority.LoadOperatorRights(true);
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<CardDialog *>(w))
                delete w;
        GuestCardTest::TearDown();
    }
    template <typename Form> Form *open()
    {
        auto *shown = new Form(ws->program, ws->db, ws->cardServers, ws->session);
        shown->setPollInterval(0);
        shown->show();
        QApplication::setActiveWindow(shown);
        form = shown;
        return shown;
    }
    // Types the main room and leaves the box, as the operator does.
    void enterRoom(const char *room)
    {
        QLineEdit *roomBox = box(form, "txtRoomNumber");
        roomBox->setFocus();
        QTest::keyClicks(roomBox, QLatin1String(room));
        box(form, "txtNumCards")->setFocus();
    }
    void tick(const char *list, const QString &name)
    {
        auto *items = child<QListWidget>(form, QLatin1String(list));
        const QList<QListWidgetItem *> found = items->findItems(name, Qt::MatchStartsWith);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, items->visualItemRect(found.front()).center());
    }
    // The stored image of the cards made since `before`, which are `count` copies.
    CardImage madeCard(const QList<qint32> &before, qsizetype count = 1)
    {
        QList<qint32> made = storedCards();
        for (qint32 number : before)
            made.removeOne(number);
        EXPECT_EQ(made.size(), count);
        return made.isEmpty() ? CardImage() : storedImage(made.front());
    }
    QPointer<CardDialog> form;
};

TEST_P(RoomCardTest, ASuiteCardOpensItsMainRoomAndTheTickedNeighboursOnce)
{
    auto *suite = open<frmSuiteCard>();
    enterRoom("103");
    EXPECT_EQ(suite->leftRooms(), (QList<qint32>{99, 100, 101, 102}));
    EXPECT_EQ(suite->rightRooms(), (QList<qint32>{104, 105, 106, 107}));
    messages->expect(-31137);
    command(suite, "cmdMakeCard")->click();
    EXPECT_EQ(suite->focusWidget()->objectName(), QStringLiteral("lvwSuiteLeft"));

    storeCard(256, 106, 106, 106, {}, now - 1.0 / 48); // a past stay comes first
    storeCard(256, 106, 106, 106, {}, now + 1);
    tick("lvwSuiteLeft", QStringLiteral("Room 100"));
    tick("lvwSuiteRight", QStringLiteral("Room 106"));
    tick("lvwCommonRooms", QStringLiteral("Pool"));
    const QList<qint32> before = storedCards();
    messages->expect(-32487, 1);
    command(suite, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().back().text.contains(QStringLiteral(": Room 106.")));
    EXPECT_EQ(storedCards(), before) << "the occupied room was not taken";

    messages->expect(-32487, 0);
    command(suite, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->allAnswered());
    const CardImage image = madeCard(before, 2);
    const QList<CardBlock> blocks = {{97, {}, {}, {{100, 103, 103}, {100, 100, 100}, {100, 106, 106}}},
                                     {98, {}, {}, {{100, 1, 1}}}};
    EXPECT_EQ(image.blocks(), blocks);
    EXPECT_EQ(BodyFields(image), (Fields{field("mainGuestRoom", Int32), field("userID", Int32),
                                         field("startTime", Date), field("batteryWarningFlag", Int16),
                                         field("track2", Text), field("numCards", Int32), field("familyFlag", Int16)}));
    EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, 258);
    EXPECT_EQ(image.GetCardField(QStringLiteral("numCards"))->integer, 2);
}

TEST_P(RoomCardTest, AFutureArrivalCardIsValidFromItsCheckIn)
{
    auto *arrival = open<frmFutureArrivalCard>();
    // Further off than the operator may give from now; the validity counts from the check-in.
    const double checkIn = OleDate::wholeDay(now) + 5 + 14.0 / 24;
    enterRoom("101");
    box(arrival, "txtCheckIn")->setText(CheckOutText(checkIn));
    box(arrival, "txtNumNights")->setText(QStringLiteral("3"));
    EXPECT_EQ(box(arrival, "txtCheckOut")->text(), CheckOutText(OleDate::wholeDay(now) + 8 + 11.0 / 24))
        << "nights count from the check-in";
    const QList<qint32> before = storedCards();
    command(arrival, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();

    const CardImage image = madeCard(before, 2);
    const QList<CardBlock> blocks = {{99, {}, {checkIn}, {{100, 101, 101}}}, {98, {}, {}, {}}};
    EXPECT_EQ(image.blocks(), blocks);
    EXPECT_EQ(BodyFields(image).back(), field("familyFlag", Text));
    EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, 259);
    EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("startTime"))->date, checkIn);
    EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, OleDate::wholeDay(now) + 8 + 11.0 / 24);
}

TEST_P(RoomCardTest, AOneTimeCardOpensItsDoorRangeUntilTheHoursRunOut)
{
    auto *oneTime = open<frmOneTimeCard>();
    box(oneTime, "txtRoomFrom")->setText(QStringLiteral("108"));
    box(oneTime, "txtRoomTo")->setText(QStringLiteral("101"));
    box(oneTime, "txtNumHours")->setText(QStringLiteral("3"));
    const double expiry = OleDate::wholeDay(now) + 15.0 / 24; // from 12:00
    EXPECT_EQ(box(oneTime, "txtExpirationDate")->text(), CardDateTimeText(expiry));
    const QList<qint32> before = storedCards();
    command(oneTime, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
    EXPECT_EQ(box(oneTime, "txtRoomFrom")->text() + box(oneTime, "txtRoomTo")->text(), QStringLiteral("101108"));

    const CardImage image = madeCard(before);
    EXPECT_EQ(image.blocks(), (QList<CardBlock>{{106, {}, {}, {{100, 101, 108}}}}));
    EXPECT_EQ(BodyFields(image),
              (Fields{field("userID", Int32), field("startTime", Date), field("batteryWarningFlag", Int16),
                      field("track2", Text), field("mainGuestRoom", Int16), field("numCards", Int16)}));
    EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, 266);
    EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, expiry);
}

TEST_P(RoomCardTest, EachKindOpensReadOnlyInItsOwnDialogFromTheCardList)
{
    RegisterCardWindows(*ws);
    const struct
    {
        qint32 kind;
        const char *dialog;
        int16_t title;
    } rows[] = {{258, "frmSuiteCard", 23600}, {259, "frmFutureArrivalCard", 22500}, {266, "frmOneTimeCard", 23400}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.dialog);
        storeCard(row.kind, 103, 101, 103, {}, now + 2);
        frmCardList list(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
        list.ClearCardNameFilters();
        list.SetCardNameFilter(row.kind);
        list.SetSearchFilters(CardSearchFilters());
        list.StartSearch();
        command(&list, "cmdSelect")->click();
        CardDialog *shown = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(row.dialog))
                shown = qobject_cast<CardDialog *>(w);
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->inputsLocked());
        EXPECT_TRUE(shown->windowTitle().startsWith(GetText(row.title) + QStringLiteral(" - ")));
        if (auto *suite = qobject_cast<frmSuiteCard *>(shown)) {
            EXPECT_EQ(suite->rightRooms(), (QList<qint32>{104, 105, 106, 107}));
            EXPECT_EQ(suite->tickedSuiteRooms(), (QList<qint32>{101, 102}));
        }
        delete shown;
    }
}

// The suite and one-time dialogs keep their size under their own keys; the future arrival keeps none.
TEST_P(RoomCardTest, SuiteAndOneTimeDialogsReopenAtTheSizeTheyWereLeft)
{
    const auto reopened = [this](auto *first, const char *key) {
        first->resize(first->width() + 40, first->height() + 30);
        const QSize left = first->size();
        delete first;
        int32_t width = 0;
        EXPECT_TRUE(ws->program.registry.ReadLong(QLatin1String(key) + QStringLiteral("Width"), width)) << key;
        return std::pair(left, width);
    };
    auto [suiteLeft, suiteWidth] = reopened(open<frmSuiteCard>(), "dlgSuite");
    EXPECT_EQ(open<frmSuiteCard>()->size(), suiteLeft);
    delete form;
    auto [oneTimeLeft, oneTimeWidth] = reopened(open<frmOneTimeCard>(), "dlgOneTime");
    EXPECT_EQ(open<frmOneTimeCard>()->size(), oneTimeLeft);
    EXPECT_GT(suiteWidth, 0);
    EXPECT_GT(oneTimeWidth, 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, RoomCardTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
