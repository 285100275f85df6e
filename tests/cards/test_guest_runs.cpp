#include "FindChild.h"
#include "GuestCardFixture.h"
#include "ScriptedMessages.h"
#include "cards/CardIssue.h"
#include "cards/CardKinds.h"
#include "cards/GuestCardStore.h"
#include "cards/GuestRules.h"
#include "cards/frmGuestCard.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"
#include "session/Authority.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using GuestRules::CheckOutText;

// The main rooms of the cards stored after the given ones, each once, in the order made.
QList<qint32> roomsMadeAfter(RecordDatabase &db, const QList<qint32> &before)
{
    RecordTable t(db);
    t.SelectTable(TableId::Cards);
    t.OpenQuery(QString(), QStringLiteral("registrationNumber"));
    QList<qint32> rooms;
    for (; t.Status() == RecordStatus::Ok; t.MoveNext()) {
        const qint32 room = t.GetField(QStringLiteral("mainGuestRoom")).toInt();
        if (!before.contains(t.GetField(QStringLiteral("registrationNumber")).toInt()) && !rooms.contains(room))
            rooms << room;
    }
    return rooms;
}

TEST_P(GuestCardTest, AGroupRunAsksForOccupiedRoomsAndSkipsOrStops)
{
    setParameter(QStringLiteral("SYSTEM_ENABLEWINGS"), QStringLiteral("1"));
    for (qint32 occupied : {102, 103, 106, 107, 12345})
        storeCard(256, occupied, occupied, occupied, {}, now + 1);
    const struct
    {
        const char *what;
        QList<qint32> rooms;
        std::vector<std::pair<QString, int>> questions; // the room asked about and the answer
        QList<qint32> made;
        bool groupModeKept;
    } rows[] = {
        {"skip an occupied room, stop at the next", {101, 102, 103, 104}, {{"102", 1}, {"103", 2}}, {101}, true},
        {"make an occupied room, skip next", {105, 106, 107, 108}, {{"106", 0}, {"107", 1}}, {105, 106, 108}, false},
        {"a wing room is asked about by its number", {12345}, {{"12345", 1}}, {}, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        frmGuestCard *form = openDialog();
        form->setGroupChooser([&row](QList<qint32> &rooms) {
            rooms = row.rooms;
            return true;
        });
        command(form, "cmdGroupCheckIn")->click();
        ASSERT_TRUE(form->groupMode());
        EXPECT_EQ(box(form, "txtRoomNumber")->text(), QStringLiteral("--->"));
        EXPECT_FALSE(box(form, "txtRoomNumber")->isEnabled());
        EXPECT_EQ(form->focusWidget(), command(form, "cmdMakeCard"));

        const QList<qint32> before = storedCards();
        for (const auto &question : row.questions)
            messages->expect(-32500, question.second);
        command(form, "cmdMakeCard")->click();
        EXPECT_TRUE(messages->allAnswered());
        ASSERT_EQ(messages->shown().size(), row.questions.size());
        for (size_t i = 0; i < row.questions.size(); ++i)
            EXPECT_EQ(messages->shown()[i].request.arguments, QVariantList{row.questions[i].first});
        EXPECT_EQ(roomsMadeAfter(db, before), row.made);
        EXPECT_EQ(storedCards().size() - before.size(), 2 * row.made.size()) << "two cards per room";
        EXPECT_EQ(form->groupMode(), row.groupModeKept);
        EXPECT_EQ(box(form, "txtRoomNumber")->isEnabled(), !row.groupModeKept);
        EXPECT_EQ(box(form, "txtRoomNumber")->text(), row.groupModeKept ? QStringLiteral("--->") : QString());
        EXPECT_FALSE(ws->session.cardOperationInProgress);
        delete form;
    }
}

TEST_P(GuestCardTest, TheGroupCheckInDialogOpensModally)
{
    frmGuestCard *form = openDialog();
    form->setGroupChooser({});
    box(form, "txtRoomNumber")->setText(QStringLiteral("A1"));
    QString shown;
    QTimer::singleShot(0, form, [&shown] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        shown = modal->objectName();
        child<QPushButton>(modal, QStringLiteral("cmdCancel"))->click();
    });
    command(form, "cmdGroupCheckIn")->click();
    EXPECT_EQ(shown, QStringLiteral("frmGroupCheckIn"));
    EXPECT_FALSE(form->groupMode());
    EXPECT_EQ(box(form, "txtRoomNumber")->text(), QString()) << "a wing entry is emptied";
    EXPECT_TRUE(box(form, "txtRoomNumber")->isEnabled());

    // Left without rooms, a room number stays.
    form->setGroupChooser([](QList<qint32> &) { return false; });
    box(form, "txtRoomNumber")->setText(QStringLiteral("104"));
    command(form, "cmdGroupCheckIn")->click();
    EXPECT_FALSE(form->groupMode());
    EXPECT_EQ(box(form, "txtRoomNumber")->text(), QStringLiteral("104"));
    EXPECT_EQ(form->focusWidget(), box(form, "txtRoomNumber"));
}

TEST_P(GuestCardTest, ARunEndsSafelyWhenItIsCancelledOrTheDialogGoesDuringThePoll)
{
    const struct
    {
        const char *what;
        std::function<void(frmGuestCard *)> stop;
        bool message; // -31196
        bool dialogStays;
    } rows[] = {
        {"the close command cancels", [](frmGuestCard *f) { command(f, "cmdClose")->click(); }, true, true},
        {"so does Esc", [](frmGuestCard *f) { QTest::keyClick(f, Qt::Key_Escape); }, true, true},
        {"the dialog is closed", [](frmGuestCard *f) { f->close(); }, true, false},
        {"the application closes", [this](frmGuestCard *) { ws->session.applicationClosing = true; }, false, false},
    };
    setWriteTime(3000);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        ws->session.applicationClosing = false;
        QPointer<frmGuestCard> form = openDialog();
        box(form, "txtRoomNumber")->setText(QStringLiteral("101"));
        QString closeCaption;
        QTimer::singleShot(50, form, [&] {
            closeCaption = command(form, "cmdClose")->text();
            EXPECT_TRUE(form->inputsLocked());
            row.stop(form);
        });
        if (row.message)
            messages->expect(-31196);
        QElapsedTimer clock;
        clock.start();
        command(form, "cmdMakeCard")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_LT(clock.elapsed(), 2500) << "the poll went on";
        EXPECT_EQ(closeCaption, GetText(16118)) << "the close command cancels while a card is made";
        EXPECT_TRUE(storedCards().isEmpty());
        EXPECT_FALSE(ws->session.cardOperationInProgress);
        EXPECT_EQ(!form.isNull(), row.dialogStays);
        EXPECT_EQ(ws->session.openDialogs.test(33), row.dialogStays);
        if (form) {
            EXPECT_FALSE(form->inputsLocked());
            EXPECT_EQ(command(form, "cmdClose")->text(), GetText(16103));
            EXPECT_EQ(form->focusWidget(), command(form, "cmdMakeCard"));
            delete form;
        }
    }
}

TEST_P(GuestCardTest, AFailedCardIsOfferedAgainOrSkippedOrEndsTheRun)
{
    const struct
    {
        const char *what;
        qint32 fault; // on the first room of two
        bool asked;   // -32488
        int answer;
        int cardsMade;
    } rows[] = {
        {"retry after a write error", CardServerStatus::WriteFailed, true, 0, 4},
        {"skip after a write error", CardServerStatus::WriteFailed, true, 1, 2},
        {"no retry when the numbers are used up", CardServerStatus::RangeExhausted, false, 0, 0},
        {"no retry when the card was not stored", CardServerStatus::NotStored, false, 0, 0},
        {"no retry when a written card was erased", CardServerStatus::CardErased, false, 0, 0},
        {"no retry when a written card is not confirmed", CardServerStatus::NotConfirmed, false, 0, 0},
        {"no retry without a number range", CardServerStatus::NoRange, false, 0, 0},
        {"no retry of a card the server refuses", CardServerStatus::ImageIncomplete, false, 0, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        frmGuestCard *form = openDialog();
        form->setGroupChooser([](QList<qint32> &rooms) {
            rooms = {101, 102};
            return true;
        });
        command(form, "cmdGroupCheckIn")->click();
        ASSERT_TRUE(folder().setNextStatus(row.fault));
        const bool plain = CardIssue::isPlainStatus(row.fault);
        messages->expect(plain ? 0 : -31230); // the status text, with the error code unless plain
        if (row.asked)
            messages->expect(-32488, row.answer);
        const QList<qint32> before = storedCards();
        command(form, "cmdMakeCard")->click();
        EXPECT_TRUE(messages->allAnswered());
        EXPECT_EQ(messages->shown().size(), row.asked ? 2u : 1u);
        EXPECT_EQ(storedCards().size() - before.size(), row.cardsMade);
        EXPECT_EQ(form->groupMode(), row.cardsMade == 0) << "a run ended by a fault keeps the group";
        EXPECT_FALSE(ws->session.cardOperationInProgress);
        folder().takeNextStatus();
        delete form;
    }
}

TEST_P(GuestCardTest, AValidCardOfTheRoomInTheEncoderLendsItsCheckOut)
{
    const double oldExpiry = OleDate::wholeDay(now) + 1 + 11.0 / 24;
    storeCard(256, 101, 101, 101, {}, oldExpiry);
    ASSERT_NO_FATAL_FAILURE(reinsertEjectedCard());

    frmGuestCard *form = openDialog();
    box(form, "txtRoomNumber")->setText(QStringLiteral("101"));
    box(form, "txtNumNights")->setText(QStringLiteral("5"));
    messages->expect(-32505, 0).expect(-32507, 0);
    const QList<qint32> before = storedCards();
    command(form, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->allAnswered());
    EXPECT_TRUE(messages->shown().back().text.contains(CardDateTimeText(oldExpiry)));
    EXPECT_EQ(box(form, "txtCheckOut")->text(), CheckOutText(oldExpiry));
    EXPECT_EQ(box(form, "txtNumNights")->text(), QStringLiteral("1"));
    const QList<qint32> after = storedCards();
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_DOUBLE_EQ(storedImage(after.back()).GetCardField(QStringLiteral("expireTime"))->date, oldExpiry);
}

TEST_P(GuestCardTest, ClearFieldsResetsTheInputsAfterACardToANewGuest)
{
    setParameter(QStringLiteral("USEISSUETO"), QStringLiteral("1"));
    frmGuestCard *form = openDialog();
    child<QCheckBox>(form, QStringLiteral("chkClearFields"))->setChecked(true);
    box(form, "txtRoomNumber")->setText(QStringLiteral("104"));
    box(form, "txtNumNights")->setText(QStringLiteral("5"));
    box(form, "txtNumCards")->setText(QStringLiteral("3"));
    box(form, "txtIssueTo")->setText(QStringLiteral(" Miller ,Ann"));
    auto *list = child<QListWidget>(form, QStringLiteral("lvwCommonRooms"));
    list->setCurrentRow(0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_EQ(form->tickedCommonRooms(), (QList<qint32>{3}));
    command(form, "cmdMakeCard")->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();

    const QList<qint32> cards = storedCards();
    ASSERT_EQ(cards.size(), 3);
    const qint32 userID = storedImage(cards.back()).GetCardField(QStringLiteral("userID"))->integer;
    RecordTable users(db);
    EXPECT_EQ(GuestCardStore(users).issueToText(userID), QStringLiteral("Miller, Ann")) << "the name made a user";

    EXPECT_EQ(box(form, "txtRoomNumber")->text(), QString());
    EXPECT_EQ(box(form, "txtNumNights")->text(), QStringLiteral("2"));
    EXPECT_EQ(box(form, "txtCheckOut")->text(), CheckOutText(OleDate::wholeDay(now) + 2 + 11.0 / 24));
    EXPECT_EQ(box(form, "txtNumCards")->text(), QStringLiteral("1"));
    EXPECT_EQ(box(form, "txtIssueTo")->text(), QString());
    EXPECT_TRUE(form->tickedCommonRooms().isEmpty());

    // Without the box ticked the next guest finds the last one's inputs.
    child<QCheckBox>(form, QStringLiteral("chkClearFields"))->setChecked(false);
    box(form, "txtRoomNumber")->setText(QStringLiteral("106"));
    box(form, "txtIssueTo")->setText(QStringLiteral("Smith"));
    command(form, "cmdMakeCard")->click();
    EXPECT_EQ(box(form, "txtRoomNumber")->text(), QStringLiteral("106"));
    EXPECT_EQ(box(form, "txtIssueTo")->text(), QStringLiteral("Smith"));
    EXPECT_EQ(storedCards().size(), 4);
}

TEST_P(GuestCardTest, ACardReadOnTheEncoderIsShownReadOnlyUntilEditOrF2)
{
    const double expiry = OleDate::wholeDay(now) + 3 + 11.0 / 24;
    const struct
    {
        qint32 kind;
        int16_t title;
        bool f2; // the next guest from the defaults, else edit of the card shown
    } rows[] = {{256, 23500, true}, {257, 23501, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind);
        const qint32 number = storeCard(row.kind, 105, 105, 105, {2}, expiry);
        readLastCardBack();
        frmGuestCard *form = openDialog();
        ASSERT_TRUE(form->ReadCardImageBag());
        EXPECT_EQ(form->Joiner(), row.kind == 257);
        EXPECT_EQ(form->windowTitle(), GetText(row.title) + QStringLiteral(" - ") +
                                           RegistrationNumberText(quint32(number)) + QStringLiteral(" (") +
                                           GetText(16001) + QLatin1Char(')'));
        EXPECT_EQ(box(form, "txtRoomNumber")->text(), QStringLiteral("105"));
        EXPECT_EQ(box(form, "txtNumNights")->text(), QStringLiteral("3"));
        EXPECT_EQ(box(form, "txtCheckOut")->text(), CheckOutText(expiry));
        EXPECT_EQ(box(form, "txtNumCards")->text(), QStringLiteral("1"));
        EXPECT_EQ(form->tickedCommonRooms(), (QList<qint32>{2}));
        EXPECT_FALSE(box(form, "txtOverrideNumber")->isHidden());
        EXPECT_FALSE(child<QLabel>(form, QStringLiteral("lblOverrideNumber"))->isHidden());
        EXPECT_EQ(
            box(form, "txtOverrideNumber")->text(),
            QString::number(ws->cardServers.firstCardsIntf->GetCardField(QStringLiteral("overrideNumber")).toInt()));
        EXPECT_TRUE(box(form, "txtRoomNumber")->isReadOnly());
        EXPECT_FALSE(child<QCheckBox>(form, QStringLiteral("chkTrack2"))->isEnabled());
        EXPECT_TRUE(command(form, "cmdMakeCard")->isHidden());
        EXPECT_FALSE(command(form, "cmdEdit")->isHidden());
        auto *list = child<QListWidget>(form, QStringLiteral("lvwCommonRooms"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        EXPECT_EQ(form->tickedCommonRooms(), (QList<qint32>{2})) << "read-only";

        if (row.f2)
            QTest::keyClick(form, Qt::Key_F2);
        else
            command(form, "cmdEdit")->click();
        EXPECT_EQ(form->windowTitle(), GetText(row.title));
        EXPECT_FALSE(form->inputsLocked());
        EXPECT_FALSE(box(form, "txtRoomNumber")->isReadOnly());
        EXPECT_TRUE(box(form, "txtOverrideNumber")->isHidden());
        EXPECT_FALSE(command(form, "cmdMakeCard")->isHidden());
        EXPECT_TRUE(command(form, "cmdEdit")->isHidden());
        if (row.f2) {
            EXPECT_EQ(box(form, "txtRoomNumber")->text(), QString());
            EXPECT_EQ(box(form, "txtNumNights")->text(), QStringLiteral("2"))
                << "the defaults, as after a cleared card";
            EXPECT_EQ(form->focusWidget(), box(form, "txtRoomNumber"));
        }
        delete form;
    }
    EXPECT_TRUE(messages->shown().empty());
}

TEST_P(GuestCardTest, TheCommonRoomListFollowsDoorChanges)
{
    frmGuestCard *form = openDialog();
    auto *list = child<QListWidget>(form, QStringLiteral("lvwCommonRooms"));
    auto texts = [list] {
        QStringList t;
        for (int row = 0; row < list->count(); ++row)
            t << list->item(row)->text();
        return t;
    };
    EXPECT_EQ(texts(), (QStringList{"Bar (3)", "Gym (2)", "Pool (1)"}));
    EXPECT_EQ(list->item(0)->toolTip(), QStringLiteral("Bar (3)"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());

    addDoor(904, QStringLiteral("Spa"), QStringLiteral("C"), 4);
    addDoor(109, QStringLiteral("Room 109"), QStringLiteral("G"));
    ws->session.notify.NotifyDoorAdded(904);
    ws->session.notify.NotifyDoorRangeAdded(109, 109);
    EXPECT_EQ(texts(), (QStringList{"Bar (3)", "Gym (2)", "Pool (1)", "Spa (4)"}));

    RecordTable t(db);
    t.SelectTable(TableId::Doors);
    t.SetField(QStringLiteral("doorID"), 901);
    t.FindRecord();
    t.SetField(QStringLiteral("doorName"), QStringLiteral("Aqua"));
    t.UpdateRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    ws->session.notify.NotifyDoorUpdated(901, 0);
    EXPECT_EQ(texts(), (QStringList{"Aqua (1)", "Bar (3)", "Gym (2)", "Spa (4)"}));
    EXPECT_EQ(form->tickedCommonRooms(), (QList<qint32>{1})) << "the tick stays with the room";

    ws->session.notify.NotifyDoorRemoved(902, 903);
    EXPECT_EQ(texts(), (QStringList{"Aqua (1)", "Spa (4)"}));
    form->RemoveDoor(904);
    form->AddDoor(903);
    EXPECT_EQ(texts(), (QStringList{"Aqua (1)", "Bar (3)"}));
    delete form;
    ws->session.notify.NotifyDoorAdded(904); // nobody listens any more
}

TEST_P(GuestCardTest, ClosingTakesTheFramesWindowAlong)
{
    // Esc and the close command share the close; their buttons' wiring is the cancel rows'.
    QMdiArea area;
    QPointer<frmGuestCard> form = new frmGuestCard(ws->program, ws->db, ws->cardServers, ws->session);
    QMdiSubWindow *sub = area.addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    form->Activate();
    EXPECT_TRUE(ws->session.openDialogs.test(33));
    QTest::keyClick(form, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_FALSE(ws->session.openDialogs.test(33));
}

TEST_P(GuestCardTest, TheCheckBoxesAreWorkstationSettings)
{
    ws->program.registry.WriteLong(QStringLiteral("fGuestTrack2"), 1);
    ws->program.registry.WriteLong(QStringLiteral("fGuestClear"), 0);
    frmGuestCard *form = openDialog();
    auto *track2 = child<QCheckBox>(form, QStringLiteral("chkTrack2"));
    auto *clear = child<QCheckBox>(form, QStringLiteral("chkClearFields"));
    EXPECT_TRUE(track2->isChecked());
    EXPECT_FALSE(clear->isChecked());
    track2->setChecked(false);
    clear->setChecked(true);
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    int32_t value = -1;
    ASSERT_TRUE(ws->program.registry.ReadLong(QStringLiteral("fGuestTrack2"), value));
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(ws->program.registry.ReadLong(QStringLiteral("fGuestClear"), value));
    EXPECT_EQ(value, 1);
}

TEST_P(GuestCardTest, WithoutTheRightForItsKindTheDialogClosesItself)
{
    setParameter(QStringLiteral("9420_FIVEDIGITS"), QStringLiteral("1"));
    QPointer<frmGuestCard> guest = openDialog();
    EXPECT_EQ(box(guest, "txtRoomNumber")->maxLength(), 5);
    QPointer<frmGuestCard> joiner = new frmGuestCard(ws->program, ws->db, ws->cardServers, ws->session);
    joiner->setJoiner(true);
    joiner->show();

    ASSERT_NO_FATAL_FAILURE(removeRight(300, Authority::CardKindBase + 257));
    ws->session.authority.LoadOperatorRights(true);
    setParameter(QStringLiteral("9420_FIVEDIGITS"), QStringLiteral("0"));
    for (frmGuestCard *form : {guest.data(), joiner.data()})
        form->EvaluateAuthority();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(joiner.isNull());
    ASSERT_FALSE(guest.isNull());
    EXPECT_EQ(box(guest, "txtRoomNumber")->maxLength(), 4) << "the room rules applied again";

    // A joiner dialog is no longer offered; the guest dialog still is.
    frmGuestCard probe(ws->program, ws->db, ws->cardServers, ws->session);
    probe.setJoiner(true);
    messages->expect(-31143);
    EXPECT_FALSE(probe.IsDialogAvailable());
    probe.setJoiner(false);
    EXPECT_TRUE(probe.IsDialogAvailable());
    EXPECT_TRUE(messages->allAnswered());
}

} // namespace
