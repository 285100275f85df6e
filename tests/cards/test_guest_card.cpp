#include "FindChild.h"
#include "GuestCardFixture.h"
#include "cards/GuestRules.h"
#include "cards/frmGuestCard.h"
#include "core/OleDate.h"
#include "texts/Texts.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

using GuestRules::CheckOutText;

// Ticks a common room by clicking it, as the operator does.
void tick(frmGuestCard *form, const QString &name)
{
    auto *list = child<QListWidget>(form, QStringLiteral("lvwCommonRooms"));
    const QList<QListWidgetItem *> items = list->findItems(name, Qt::MatchStartsWith);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    const QRect rect = list->visualItemRect(items.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

TEST_P(GuestCardTest, TheIssueCommandValidatesInAFixedOrderAndFocusesTheBoxAtFault)
{
    using Prepare = std::function<void(frmGuestCard *)>;
    const auto set = [](const char *name, const QString &text) -> Prepare {
        return [=](frmGuestCard *f) { box(f, name)->setText(text); };
    };
    const Prepare pastCheckOut = set("txtCheckOut", CheckOutText(now - 1.0 / 1440));
    const Prepare lateCheckOut = set("txtCheckOut", CheckOutText(now + (kMaxValidityMinutes + 1) / 1440.0));
    const Prepare eightNights = [](frmGuestCard *f) { // and no check-out
        box(f, "txtNumNights")->setText(QStringLiteral("8"));
        box(f, "txtCheckOut")->clear();
    };
    const Prepare occupied = [this](frmGuestCard *) { storeCard(256, 105, 105, 105, {}, now + 1); };
    const Prepare busy = [this](frmGuestCard *) { ws->session.cardOperationInProgress = true; };
    const struct
    {
        const char *what;
        bool joiner;
        bool issueTo; // names are issued to
        const char *room;
        Prepare prepare;
        std::vector<std::pair<int16_t, int>> messages; // text number and answer, in order
        const char *focus;
    } rows[] = {
        {"no room: the question, answered no", false, false, "", {}, {{-32510, 1}}, "txtRoomNumber"},
        {"not a room of the system", false, false, "999", {}, {{-31182, 0}}, "txtRoomNumber"},
        {"joiner without a room", true, false, "", {}, {{-31207, 0}}, "txtRoomNumber"},
        {"joiner for a room without a guest card", true, false, "106", {}, {{-31184, 0}}, "txtRoomNumber"},
        {"no nights", false, false, "101", set("txtNumNights", {}), {{-31200, 0}}, "txtNumNights"},
        {"no cards", false, false, "101", set("txtNumCards", "0"), {{-31172, 0}}, "txtNumCards"},
        {"no name while names are issued to", false, true, "101", {}, {{-31155, 0}}, "txtIssueTo"},
        {"two commas", false, true, "101", set("txtIssueTo", "Miller, Ann, Jr"), {{-31156, 0}}, "txtIssueTo"},
        {"a check-out that is no date", false, false, "101", set("txtCheckOut", "soon"), {{-31199, 0}}, "txtCheckOut"},
        {"a check-out in the past", false, false, "101", pastCheckOut, {{-31173, 0}}, "txtCheckOut"},
        {"a check-out beyond the longest validity", false, false, "101", lateCheckOut, {{-31225, 0}}, "txtCheckOut"},
        {"more cards than made at once", false, false, "101", set("txtNumCards", "257"), {{-29889, 0}}, "txtNumCards"},
        {"nights beyond the longest validity", false, false, "101", eightNights, {{-31225, 0}}, "txtNumNights"},
        {"no room and no common room", false, false, "", {}, {{-32510, 0}, {-31188, 0}}, "lvwCommonRooms"},
        {"a room with a valid guest card, answered no", false, false, "105", occupied, {{-32505, 1}}, "txtRoomNumber"},
        {"another card operation runs", false, false, "101", busy, {{-31197, 0}}, nullptr},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        setParameter(QStringLiteral("USEISSUETO"), QLatin1String(row.issueTo ? "1" : "0"));
        messages->clear();
        frmGuestCard *form = openDialog(row.joiner);
        box(form, "txtRoomNumber")->setText(QLatin1String(row.room));
        if (row.prepare)
            row.prepare(form);
        const QList<qint32> before = storedCards();
        for (const auto &[number, answer] : row.messages)
            messages->expect(number, answer);
        command(form, "cmdMakeCard")->click();

        EXPECT_TRUE(messages->allAnswered());
        std::vector<int16_t> expected;
        for (const auto &message : row.messages)
            expected.push_back(message.first);
        EXPECT_EQ(messages->shownNumbers(), expected);
        if (row.focus) {
            ASSERT_NE(form->focusWidget(), nullptr);
            EXPECT_EQ(form->focusWidget()->objectName().toStdString(), row.focus);
        }
        EXPECT_EQ(storedCards(), before) << "no card made";
        EXPECT_FALSE(form->inputsLocked());
        EXPECT_EQ(ws->session.cardOperationInProgress, row.focus == nullptr)
            << "the flag belongs to the running operation";
        ws->session.cardOperationInProgress = false;
        delete form;
    }
}

TEST_P(GuestCardTest, AGuestCardCarriesItsRoomAndTheTickedCommonRoomsInOrder)
{
    watchPrompts();
    frmGuestCard *form = openDialog();
    EXPECT_EQ(form->windowTitle(), GetText(23500));
    box(form, "txtRoomNumber")->setText(QStringLiteral("101"));
    box(form, "txtNumNights")->setText(QStringLiteral("3"));
    tick(form, QStringLiteral("Pool"));
    tick(form, QStringLiteral("Bar"));
    tick(form, QStringLiteral("Gym"));
    tick(form, QStringLiteral("Gym")); // and off again
    ASSERT_EQ(form->tickedCommonRooms(), (QList<qint32>{3, 1})) << "in list order: Bar, Pool";
    command(form, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();

    const QList<qint32> cards = storedCards();
    ASSERT_EQ(cards.size(), 2) << "the default number of guest cards";
    const CardImage image = storedImage(cards.front());
    const QList<CardBlock> blocks = {
        {97, {}, {}, {{100, 101, 101}}},
        {98, {}, {}, {{100, 3, 3}, {100, 1, 1}}},
    };
    EXPECT_EQ(image.blocks(), blocks);
    // The room goes before the fields of the kind, whose order and types the card issue tests own.
    const QList<QPair<QString, CardFieldType>> fields = BodyFields(image);
    ASSERT_EQ(fields.size(), 7);
    EXPECT_EQ(fields.front(), qMakePair(QStringLiteral("mainGuestRoom"), CardFieldType::Int32));
    EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, 256);
    EXPECT_EQ(image.GetCardField(QStringLiteral("userID"))->integer, 1);
    EXPECT_EQ(image.GetCardField(QStringLiteral("numCards"))->integer, 2);
    // Three nights at the default check-out hour, 11:00.
    EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, OleDate::wholeDay(now) + 3 + 11.0 / 24);
    EXPECT_EQ(prompts, QStringList{GetText(23500) + QStringLiteral(", 101")});
    EXPECT_FALSE(form->inputsLocked());
    EXPECT_EQ(form->focusWidget(), command(form, "cmdMakeCard"));
}

TEST_P(GuestCardTest, ACardWithoutARoomOpensTheTickedCommonRoomsOnly)
{
    frmGuestCard *form = openDialog();
    tick(form, QStringLiteral("Gym"));
    messages->expect(-32510, 0);
    command(form, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->allAnswered());
    EXPECT_EQ(messages->shown().size(), 1u);
    const QList<qint32> cards = storedCards();
    ASSERT_EQ(cards.size(), 2);
    const CardImage image = storedImage(cards.back());
    const QList<CardBlock> blocks = {{97, {}, {}, {{100, 0, 0}}}, {98, {}, {}, {{100, 2, 2}}}};
    EXPECT_EQ(image.blocks(), blocks);
    EXPECT_EQ(image.GetCardField(QStringLiteral("mainGuestRoom"))->integer, 0);
}

TEST_P(GuestCardTest, AJoinerCardTakesOverTheGuestCardsRoomsAndCheckOut)
{
    const double expiry = OleDate::wholeDay(now) + 4 + 10.0 / 24;
    storeCard(256, 105, 101, 108, {1, 3}, expiry);
    watchPrompts();
    frmGuestCard *form = openDialog(true);
    EXPECT_EQ(form->windowTitle(), GetText(23501));
    EXPECT_TRUE(command(form, "cmdGroupCheckIn")->isHidden());
    EXPECT_EQ(box(form, "txtNumNights")->text(), QString());
    EXPECT_EQ(box(form, "txtNumCards")->text(), QStringLiteral("1"));
    QLineEdit *room = box(form, "txtRoomNumber");
    room->setFocus();
    QTest::keyClicks(room, QStringLiteral("105"));
    box(form, "txtNumCards")->setFocus(); // leaving the room box runs the room check
    EXPECT_EQ(form->roomNumber(), 105);
    EXPECT_EQ(box(form, "txtNumNights")->text(), QStringLiteral("4"));
    EXPECT_EQ(box(form, "txtCheckOut")->text(), CheckOutText(expiry));
    EXPECT_EQ(form->tickedCommonRooms(), (QList<qint32>{3, 1}));
    EXPECT_EQ(form->connectedRooms(), (QList<qint32>{101, 102, 103, 104, 106, 107, 108}));
    command(form, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();

    const QList<qint32> cards = storedCards();
    ASSERT_EQ(cards.size(), 2);
    const CardImage image = storedImage(cards.back());
    QList<DoorRange> rooms = {{100, 105, 105}};
    for (qint32 door : {101, 102, 103, 104, 106, 107, 108})
        rooms.append({100, door, door});
    const QList<CardBlock> blocks = {{97, {}, {}, rooms}, {98, {}, {}, {{100, 3, 3}, {100, 1, 1}}}};
    EXPECT_EQ(image.blocks(), blocks);
    QStringList names;
    for (const auto &field : BodyFields(image))
        names << field.first;
    EXPECT_EQ(names, (QStringList{"joinerFlag", "mainGuestRoom", "userID", "startTime", "batteryWarningFlag", "track2",
                                  "numCards", "familyFlag"}));
    EXPECT_EQ(image.GetCardField(QStringLiteral("joinerFlag"))->text, QStringLiteral("1"));
    EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, 257);
    EXPECT_EQ(image.GetCardField(QStringLiteral("mainGuestRoom"))->integer, 105);
    EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, expiry);
    EXPECT_EQ(prompts, QStringList{GetText(23501) + QStringLiteral(", 105")});
}

TEST_P(GuestCardTest, WithFamilyOnAJoinerKeepsOnlyTheFirstCommonRoomToChoose)
{
    setParameter(QStringLiteral("FAMILY"), QStringLiteral("1"));
    storeCard(256, 105, 101, 108, {2}, now + 2);
    frmGuestCard *form = openDialog(true);
    auto *list = child<QListWidget>(form, QStringLiteral("lvwCommonRooms"));
    ASSERT_EQ(list->count(), 3);
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem *item = list->item(row);
        EXPECT_EQ(bool(item->flags() & Qt::ItemIsEnabled), item->text() == QStringLiteral("Pool (1)"))
            << item->text().toStdString();
    }
    tick(form, QStringLiteral("Bar"));
    EXPECT_TRUE(form->tickedCommonRooms().isEmpty()) << "a greyed room does not tick";
    tick(form, QStringLiteral("Pool"));
    EXPECT_EQ(form->tickedCommonRooms(), (QList<qint32>{1}));

    // The guest card of another room that opens 103 makes a family joiner card for 103 alone.
    box(form, "txtRoomNumber")->setText(QStringLiteral("103"));
    command(form, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
    EXPECT_EQ(form->tickedCommonRooms(), (QList<qint32>{2})) << "the guest card's common rooms";
    const CardImage image = storedImage(storedCards().back());
    EXPECT_EQ(image.blocks().front().ranges, (QList<DoorRange>{{100, 103, 103}}));
    EXPECT_EQ(image.blocks().back().ranges, (QList<DoorRange>{{100, 2, 2}}));

    form->setJoiner(false);
    for (int row = 0; row < list->count(); ++row)
        EXPECT_TRUE(list->item(row)->flags() & Qt::ItemIsEnabled);
}

TEST_P(GuestCardTest, WingRoomsAreTypedAndShownWithTheirWingCode)
{
    watchPrompts();
    setParameter(QStringLiteral("SYSTEM_ENABLEWINGS"), QStringLiteral("1"));
    setParameter(QStringLiteral("9420_FIVEDIGITS"), QStringLiteral("1"));
    const struct
    {
        const char *typed;
        const char *shown;
        qint32 room;
        int16_t message; // a refusal, or the question for a room that has a card now
    } rows[] = {
        {"aA345", "A345", 12345, 0},   {"12345", "A345", 12345, -32505}, {"B9999", "B9999", 29999, 0},
        {"A1000", "A1000", 0, -31182}, {"A-3.4", "A34", 0, -31182},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        now += 1.0 / 1440; // the clock moves on: the card made before is valid now
        messages->clear();
        frmGuestCard *form = openDialog();
        QLineEdit *room = box(form, "txtRoomNumber");
        EXPECT_EQ(room->maxLength(), 6);
        room->setFocus();
        QTest::keyClicks(room, QLatin1String(row.typed));
        box(form, "txtNumNights")->setFocus();
        EXPECT_EQ(room->text(), QLatin1String(row.shown));
        EXPECT_EQ(form->roomNumber(), row.room);
        if (row.message)
            messages->expect(row.message);
        command(form, "cmdMakeCard")->click();
        EXPECT_EQ(messages->shown().size(), row.message ? 1u : 0u);
        if (row.room != 0) {
            ASSERT_FALSE(prompts.isEmpty());
            EXPECT_EQ(prompts.back(), GetText(23500) + QStringLiteral(", ") + QLatin1String(row.shown));
            EXPECT_EQ(storedImage(storedCards().back()).GetCardField(QStringLiteral("mainGuestRoom"))->integer,
                      row.room);
        }
        delete form;
    }
}

TEST_P(GuestCardTest, TheTrackTwoRequestIsBuiltOncePerRunWhenTicked)
{
    const struct
    {
        const char *what;
        bool ticked;
        const char *templateText;
        const char *answer; // the counter prompt's
        const char *track2;
        int prompts;
    } rows[] = {
        {"not ticked", false, "9PPYYMM", "5", "", 0},
        {"the standard template asks for nothing", true, "97522035000RRRRXNNTDYYMM6012345", "5",
         "97522035000RRRRXNNTDYYMM6012345", 0},
        {"a counter is asked once for both cards", true, "9PPYYMM", "5", "P=5|9PPYYMM", 1},
    };
    putParameter(QStringLiteral("TRACK2_COUNTER_P"), QStringLiteral("12"));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        setParameter(QStringLiteral("TRACK2_STRING"), QLatin1String(row.templateText));
        frmGuestCard *form = openDialog();
        int prompts = 0;
        form->setTrack2Prompt([&](QChar letter, int32_t stored) {
            ++prompts;
            EXPECT_EQ(letter, QLatin1Char('P'));
            EXPECT_EQ(stored, 12);
            return QLatin1String(row.answer);
        });
        child<QCheckBox>(form, QStringLiteral("chkTrack2"))->setChecked(row.ticked);
        box(form, "txtRoomNumber")->setText(QStringLiteral("102"));
        const QList<qint32> before = storedCards();
        command(form, "cmdMakeCard")->click();
        EXPECT_TRUE(messages->allAnswered()) << "only the question for the room made before";
        EXPECT_EQ(prompts, row.prompts);
        const QList<qint32> after = storedCards();
        ASSERT_EQ(after.size(), before.size() + 2);
        for (qint32 number : after.mid(before.size()))
            EXPECT_EQ(storedImage(number).GetCardField(QStringLiteral("track2"))->text, QLatin1String(row.track2));
        delete form;
        now += 1.0 / 1440;
        messages->clear();
        messages->expect(-32505, 0); // room 102 has a card from here on
    }
    messages->clear();
}

TEST_P(GuestCardTest, TheIssueToBoxIsShownOnlyWhileNamesAreIssuedTo)
{
    frmGuestCard *form = openDialog();
    QLineEdit *name = box(form, "txtIssueTo");
    auto *label = child<QLabel>(form, QStringLiteral("lblIssueTo"));
    EXPECT_TRUE(name->isHidden());
    EXPECT_TRUE(label->isHidden());
    setParameter(QStringLiteral("USEISSUETO"), QStringLiteral("1"));
    form->EvaluateIssueTo();
    EXPECT_FALSE(name->isHidden());
    EXPECT_FALSE(label->isHidden());
    EXPECT_TRUE(name->isEnabled());
    name->setText(QStringLiteral("Miller"));
    setParameter(QStringLiteral("USEISSUETO"), QStringLiteral("0"));
    form->EvaluateIssueTo();
    EXPECT_TRUE(name->isHidden());
    EXPECT_EQ(name->text(), QString());
}

TEST_P(GuestCardTest, NightsAndCheckOutFollowEachOtherFromTheNormalCheckOutHour)
{
    setParameter(QStringLiteral("NORMALCHECKOUT"), QStringLiteral("1439"));
    frmGuestCard *form = openDialog();
    QLineEdit *checkOut = box(form, "txtCheckOut");
    EXPECT_EQ(box(form, "txtNumNights")->text(), QStringLiteral("2"));
    EXPECT_EQ(checkOut->text(), CheckOutText(OleDate::wholeDay(now) + 2 + 23.0 / 24));
    checkOut->setFocus();
    checkOut->setText(CheckOutText(OleDate::wholeDay(now) + 6 + 9.0 / 24));
    box(form, "txtNumCards")->setFocus();
    EXPECT_EQ(box(form, "txtNumNights")->text(), QStringLiteral("6"));
    EXPECT_EQ(checkOut->text(), CheckOutText(OleDate::wholeDay(now) + 6 + 9.0 / 24)) << "the entry is kept";
    box(form, "txtNumNights")->setText(QStringLiteral("1"));
    EXPECT_EQ(checkOut->text(), CheckOutText(OleDate::wholeDay(now) + 1 + 9.0 / 24)) << "at the typed hour";
    checkOut->setFocus();
    checkOut->clear();
    box(form, "txtNumCards")->setFocus();
    EXPECT_EQ(box(form, "txtNumNights")->text(), QString());
}

} // namespace
