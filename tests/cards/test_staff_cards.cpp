#include "FindChild.h"
#include "GuestCardFixture.h"
#include "cards/CardKinds.h"
#include "cards/CardWindows.h"
#include "cards/StaffRules.h"
#include "cards/frmLockModeCards.h"
#include "cards/frmOperatorCard.h"
#include "cards/frmPowerDownCard.h"
#include "cards/frmPrivacyCard.h"
#include "cards/frmStaffCards.h"
#include "components/cardserver/CardServerStatus.h"
#include "core/OleDate.h"
#include "texts/Texts.h"
#include "views/frmCardList.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTest>

using StaffRules::ExpiryText;

namespace {

// The hotel of the guest card tests with a supervisor's office, an entrance serving rooms 300 to
// 350, a staff member, and the desk allowed every staff kind and the operator card for a week.
class StaffCardTest : public GuestCardTest
{
protected:
    void SetUp() override
    {
        GuestCardTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        addDoor({.id = 950, .name = QStringLiteral("Office"), .category = QStringLiteral("C"), .privateRoom = 4});
        addDoor({.id = 100001,
                 .name = QStringLiteral("East"),
                 .category = QStringLiteral("O"),
                 .intervalStart = 300,
                 .intervalStop = 350});
        for (qint32 kind : {260, 261, 262, 263, 264, 265, 267, 270, 272, 273, 274, 276})
            addRight(kDeskTemplate, Authority::CardKindBase + kind, 0, kMaxValidityMinutes);
        addRight(kDeskTemplate, Authority::TableRightsBase + 48, Authority::Read);
        addRight(kDeskTemplate, Authority::FunctionBase + 10, 0);
        ws->session.authority.LoadOperatorRights(true);
        putParameter(QStringLiteral("TRACK2_STRINGSTAFF"), QStringLiteral("9YYMMR"));
        setParameter(QStringLiteral("USEISSUETO"), QStringLiteral("1"));
        staff = addUser(QStringLiteral("S1"), QStringLiteral("Lee"), QStringLiteral("Bo"));
        // The issue confirms the operator's password; the desk confirms it.
        ws->session.authority.setLogonPrompt([](int mode) { return mode == 1; });
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<StaffCardDialog *>(w))
                delete w;
        GuestCardTest::TearDown();
    }

    template <typename Dialog> StaffCardDialog *open()
    {
        auto *form = new Dialog(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
        form->setPollInterval(0);
        form->setReceiptPrinter([this] { ++receipts; });
        form->show();
        QApplication::setActiveWindow(form);
        return form;
    }
    // An employee card ready to issue: the staff member, rooms 101 to 102, three days.
    StaffCardDialog *employee()
    {
        StaffCardDialog *form = open<frmEmployeeCard>();
        form->UserID(staff);
        set(form, {{"txtRoomFrom", "101"}, {"txtRoomTo", "102"}, {"txtNumDays", "3"}});
        return form;
    }
    using Texts = std::vector<std::pair<const char *, QString>>;
    static void set(QWidget *form, const Texts &texts)
    {
        for (const auto &[name, text] : texts)
            box(form, name)->setText(text);
    }

    qint32 staff = 0;
    int receipts = 0;

public:
    // A lock-mode card for the staff member: rooms 0 to 0 for 2 days unless given; options chosen.
    template <typename Dialog> StaffCardDialog *lockCard(const Texts &texts)
    {
        StaffCardDialog *form = open<Dialog>();
        form->UserID(staff);
        Texts all = {{"txtRoomFrom", "0"}, {"txtRoomTo", "0"}, {"txtNumDays", "2"}};
        all.insert(all.end(), texts.begin(), texts.end());
        for (const auto &[name, text] : all) {
            if (auto *option = form->findChild<QRadioButton *>(QLatin1String(name)))
                option->click();
            else if (auto *field = form->findChild<QLineEdit *>(QLatin1String(name)))
                field->setText(text);
        }
        return form;
    }
    using LockCard = StaffCardDialog *(StaffCardTest::*)(const Texts &);
    std::function<StaffCardDialog *()> lock(LockCard make, const Texts &texts)
    {
        return [=, this] { return (this->*make)(texts); };
    }
};

template <typename Dialog> constexpr StaffCardTest::LockCard card = &StaffCardTest::lockCard<Dialog>;

TEST_P(StaffCardTest, TheIssueCommandChecksInOrderAndFocusesTheControlAtFault)
{
    using Make = std::function<StaffCardDialog *()>;
    const auto employeeWith = [this](const Texts &texts) -> Make {
        return [this, texts] {
            StaffCardDialog *form = employee();
            set(form, texts);
            return form;
        };
    };
    const auto service = [this](const QString &room, const QString &name) -> Make {
        return [this, room, name] {
            StaffCardDialog *form = open<frmServiceCard>();
            set(form, {{"txtRoomNumber", room}, {"txtIssueTo", name}});
            return form;
        };
    };
    const struct
    {
        const char *what;
        Make make;
        int16_t message;
        const char *focus;
    } rows[] = {
        {"no user",
         [&] {
             auto *f = employee();
             f->UserID(0);
             return f;
         },
         -31202, "cmdSelect"},
        {"no last room", employeeWith({{"txtRoomTo", ""}}), -31228, "txtRoomTo"},
        {"6 to 23", employeeWith({{"txtTimeZoneFrom", "6"}, {"txtTimeZoneTo", "23"}}), -31204, "txtTimeZoneFrom"},
        {"10 to 9", employeeWith({{"txtTimeZoneFrom", "10"}, {"txtTimeZoneTo", "9"}}), -31193, "txtTimeZoneFrom"},
        {"an expiry past", employeeWith({{"txtExpirationDate", ExpiryText(now - 1.0 / 24)}}), -31173,
         "txtExpirationDate"},
        {"beyond the longest validity", employeeWith({{"txtExpirationDate", ExpiryText(now + 8)}}), -31225,
         "txtExpirationDate"},
        {"no days", employeeWith({{"txtNumDays", ""}}), -31201, "txtNumDays"},
        {"no door in the range", employeeWith({{"txtRoomFrom", "351"}, {"txtRoomTo", "399"}}), -31179, "txtRoomFrom"},
        {"maintenance 6 to 23",
         [this] {
             auto *f = open<frmMaintenanceCard>();
             f->UserID(staff);
             set(f, {{"txtRoomFrom", "101"}, {"txtRoomTo", "101"}, {"txtTimeZoneFrom", "6"}, {"txtTimeZoneTo", "23"}});
             return f;
         },
         -31203, "txtTimeZoneFrom"},
        {"a service room that is no door", service("999", "Doe"), -31206, "txtRoomNumber"},
        {"two commas", service("101", "Doe, Jane, Jr"), -31156, "txtIssueTo"},
        {"a surname of 33", service("101", QString(33, QLatin1Char('x'))), -31128, "txtIssueTo"},
        {"an operator card without days",
         [this] {
             auto *f = open<frmOperatorCard>();
             f->UserID(deskID);
             set(f, {{"txtExpirationDate", ExpiryText(now + 2)}});
             return f;
         },
         -31201, "txtNumDays"},
        {"stand-open 64 hours", lock(card<frmStandOpenCard>, {{"optForHours", ""}, {"txtForHours", "64"}}), -31185,
         "txtForHours"},
        {"clearance of no guest room", lock(card<frmClearanceCard>, {{"txtRoomFrom", "901"}}), -31232, "txtRoomFrom"},
        {"locking without doors", lock(card<frmLockingCard>, {{"txtRoomTo", "9"}}), -31179, "txtRoomFrom"},
        {"privacy for a common room", lock(card<frmPrivacyCard>, {{"txtRoomNumber", "901"}}), -31182, "txtRoomNumber"},
        {"power-down without a room", lock(card<frmPowerDownCard>, {{"txtRoomFrom", ""}}), -31207, "txtRoomFrom"},
        {"another card operation runs",
         [&] {
             ws->session.cardOperationInProgress = true;
             return employee();
         },
         -31197, nullptr},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        StaffCardDialog *form = row.make();
        messages->expect(row.message);
        command(form, "cmdMakeCard")->click();
        EXPECT_EQ(messages->shownNumbers(), std::vector<int16_t>{row.message});
        if (row.focus) {
            ASSERT_NE(form->focusWidget(), nullptr);
            EXPECT_EQ(form->focusWidget()->objectName().toStdString(), row.focus);
        }
        EXPECT_TRUE(storedCards().isEmpty());
        EXPECT_EQ(ws->session.cardOperationInProgress, row.focus == nullptr);
        ws->session.cardOperationInProgress = false;
        delete form;
    }
}

TEST_P(StaffCardTest, EachKindWritesItsBlocksAndFieldsAndPrintsItsReceipt)
{
    const double today = OleDate::wholeDay(now);
    const struct
    {
        const char *what;
        std::function<StaffCardDialog *()> make;
        QList<CardBlock> blocks;
        double expiry;
        bool anonymous; // the card goes to the user made from the service card's name
        const char *track2;
    } rows[] = {
        {"employee: an interval, a window and the common room",
         [this] {
             StaffCardDialog *f = employee();
             set(f, {{"txtRoomFrom", "300"}, {"txtRoomTo", "399"}, {"txtTimeZoneFrom", "8"}, {"txtTimeZoneTo", "17"}});
             child<QCheckBox>(f, QStringLiteral("chkCommonRoom"))->setChecked(true);
             child<QCheckBox>(f, QStringLiteral("chkTrack2"))->setChecked(true);
             return f;
         },
         {{100, {0, 8, 17}, {}, {{100, 300, 399}}}, {98, {}, {}, {{100, 1, 1}}}},
         today + 3,
         false,
         "9YYMMR"},
        {"supervisor with a private room",
         [this] {
             StaffCardDialog *f = open<frmSupervisorCard>();
             f->UserID(staff);
             set(f, {{"txtRoomFrom", "101"}, {"txtRoomTo", "108"}, {"txtNumDays", "1"}});
             child<QComboBox>(f, QStringLiteral("cboStaffPrivate"))->setCurrentText(QStringLiteral("Office"));
             return f;
         },
         {{100, {1, 0, 24}, {}, {{100, 101, 108}}}, {113, {}, {}, {{100, 4, 4}}}},
         today + 1,
         false,
         ""},
        {"maintenance across midnight",
         [this] {
             StaffCardDialog *f = open<frmMaintenanceCard>();
             f->UserID(staff);
             set(f, {{"txtRoomFrom", "101"}, {"txtRoomTo", "101"}, {"txtTimeZoneFrom", "22"}, {"txtTimeZoneTo", "6"}});
             return f;
         },
         {{100, {0, 22, 6}, {}, {{100, 101, 101}}}},
         today + 1 + 6 / 24.0,
         false,
         ""},
        {"service card for a name",
         [this] {
             StaffCardDialog *f = open<frmServiceCard>();
             set(f, {{"txtRoomNumber", "A345"},
                     {"txtIssueTo", "Doe,Jane"},
                     {"txtTimeZoneFrom", "13"},
                     {"txtTimeZoneTo", "15"}});
             return f;
         },
         {{100, {0, 13, 15}, {}, {{100, 12345, 12345}}}},
         today + 15 / 24.0,
         true,
         ""},
        {"common area",
         [this] {
             StaffCardDialog *f = open<frmCommonAreaCard>();
             f->UserID(staff);
             child<QComboBox>(f, QStringLiteral("cboCommonRooms"))->setCurrentText(QStringLiteral("Gym"));
             set(f, {{"txtNumDays", "2"}});
             return f;
         },
         {{100, {0, 0, 24}, {}, {{100, 902, 902}}}},
         today + 2,
         false,
         ""},
    };
    setParameter(QStringLiteral("SYSTEM_ENABLEWINGS"), QStringLiteral("1"));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        receipts = 0;
        StaffCardDialog *form = row.make();
        child<QCheckBox>(form, QStringLiteral("chkReceipt"))->setChecked(true);
        child<QCheckBox>(form, QStringLiteral("chkClearFields"))->setChecked(true);
        const QList<qint32> before = storedCards();
        command(form, "cmdMakeCard")->click();
        EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
        const QList<qint32> cards = storedCards();
        ASSERT_EQ(cards.size(), before.size() + 1);
        const CardImage image = storedImage(cards.back());
        EXPECT_EQ(image.blocks(), row.blocks);
        EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, form->cardNameID());
        const qint32 user = image.GetCardField(QStringLiteral("userID"))->integer;
        if (row.anonymous)
            EXPECT_GT(user, 2) << "a user made from the name";
        else
            EXPECT_EQ(user, staff);
        EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, row.expiry);
        EXPECT_EQ(image.GetCardField(QStringLiteral("track2"))->text, QLatin1String(row.track2));
        EXPECT_EQ(receipts, 1);
        EXPECT_EQ(form->userID(), 0) << "the fields are cleared";
        EXPECT_FALSE(form->inputsLocked());
        delete form;
    }
}

TEST_P(StaffCardTest, TheOperatorCardIsForOperatorsOnly)
{
    StaffCardDialog *form = open<frmOperatorCard>();
    form->UserID(staff);
    EXPECT_EQ(form->userID(), 0) << "a user who is no operator";
    EXPECT_TRUE(box(form, "txtIssueTo")->text().isEmpty());
    form->UserID(deskID);
    ASSERT_EQ(form->userID(), deskID);
    EXPECT_FALSE(box(form, "txtIssueTo")->text().isEmpty());
    set(form, {{"txtNumDays", "2"}});
    command(form, "cmdMakeCard")->click();
    const QList<qint32> cards = storedCards();
    ASSERT_EQ(cards.size(), 1);
    const QList<CardBlock> blocks = {{110, {0}, {}, {{100, 0, 0}}}};
    EXPECT_EQ(storedImage(cards.front()).blocks(), blocks);
}

TEST_P(StaffCardTest, TheCommonRoomBoxFollowsTheDoorOfCommonRoomOne)
{
    StaffCardDialog *form = employee();
    auto *common = child<QCheckBox>(form, QStringLiteral("chkCommonRoom"));
    EXPECT_EQ(common->text(), QStringLiteral("Pool"));
    common->setChecked(true);
    ws->session.notify.NotifyDoorRemoved(901, 901);
    EXPECT_FALSE(common->isEnabled());
    EXPECT_FALSE(common->isChecked());
    ws->session.notify.NotifyDoorAdded(901);
    EXPECT_TRUE(common->isEnabled());
    EXPECT_EQ(common->text(), QStringLiteral("Pool"));
}

TEST_P(StaffCardTest, ClosingTheDialogEndsTheWaitForTheCard)
{
    setWriteTime(3000);
    QPointer<StaffCardDialog> form = employee();
    QTimer::singleShot(50, form, [&] { form->close(); });
    messages->expect(-31196);
    QElapsedTimer clock;
    clock.start();
    command(form, "cmdMakeCard")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_LT(clock.elapsed(), 2500) << "the poll went on";
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(storedCards().isEmpty());
    EXPECT_FALSE(ws->session.cardOperationInProgress);
}

TEST_P(StaffCardTest, LockModeCardsWriteTheirBlockAndShowTheCardReadBack)
{
    const Texts wide = {{"txtRoomFrom", "100"}, {"txtRoomTo", "950"}},
                one = {{"txtRoomFrom", "101"}, {"txtRoomTo", "101"}};
    const Texts hours = {{"optForHours", ""}, {"txtForHours", "63"}}, midnight = {{"optUntilMidnight", ""}};
    const Texts privacy = {{"txtRoomNumber", "A345"}, {"txtIssueTo", "Doe"}};
    const struct
    {
        const char *what;
        LockCard make;
        Texts texts;
        CardBlock block;
        const char *shown, *text; // read back: a box's text, a list's value, "1" for a chosen option
    } rows[] = {
        {"clearance", card<frmClearanceCard>, wide, {101, {}, {}, {{100, 100, 950}}}, "txtRoomTo", "950"},
        {"stand-open until used", card<frmStandOpenCard>, one, {103, {}, {}, {{100, 101, 101}}}, "optNextUse", "1"},
        {"midnight", card<frmStandOpenCard>, midnight, {102, {192}, {}, {{100, 0, 0}}}, "optUntilMidnight", "1"},
        {"stand-open 63 hours", card<frmStandOpenCard>, hours, {102, {63}, {}, {{100, 0, 0}}}, "txtForHours", "63"},
        {"blocking as it opens", card<frmBlockingCard>, one, {105, {2}, {}, {{100, 101, 101}}}, "cboBlock", "2"},
        {"locking", card<frmLockingCard>, {}, {111, {}, {}, {{100, 0, 0}}}, "txtRoomTo", "0"},
        {"privacy", card<frmPrivacyCard>, privacy, {104, {}, {}, {{100, 12345, 12345}}}, "txtRoomNumber", "A345"},
    };
    setParameter(QStringLiteral("SYSTEM_ENABLEWINGS"), QStringLiteral("1"));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        StaffCardDialog *form = (this->*row.make)(row.texts);
        command(form, "cmdMakeCard")->click();
        EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
        delete form;
        const CardImage image = storedImage(storedCards().back());
        EXPECT_EQ(image.blocks(), QList<CardBlock>{row.block});
        const bool named = row.block.type == 104; // to the user made from the name, in its room
        const qint32 user = image.GetCardField(QStringLiteral("userID"))->integer;
        EXPECT_TRUE(named ? user > staff : user == staff) << user;
        EXPECT_EQ(image.GetCardField(QStringLiteral("mainGuestRoom"))->integer, named ? 12345 : 0);
        EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, OleDate::wholeDay(now) + 2);

        ASSERT_NO_FATAL_FAILURE(readLastCardBack());
        form = (this->*row.make)({});
        ASSERT_TRUE(form->ReadCardImageBag());
        const QLatin1String text(row.text);
        QWidget *shown = child<QWidget>(form, QLatin1String(row.shown));
        if (auto *option = qobject_cast<QRadioButton *>(shown))
            EXPECT_EQ(option->isChecked(), text == QLatin1String("1"));
        else if (auto *list = qobject_cast<QComboBox *>(shown))
            EXPECT_EQ(list->currentData().toString(), text);
        else
            EXPECT_EQ(qobject_cast<QLineEdit *>(shown)->text(), text);
        delete form;
    }
}

TEST_P(StaffCardTest, TheStandOpenHoursBoxTakesInputOnlyForHours)
{
    StaffCardDialog *form = open<frmStandOpenCard>();
    QLineEdit *hours = box(form, "txtForHours");
    EXPECT_FALSE(hours->isEnabled()) << "next use is chosen at open";
    child<QRadioButton>(form, QStringLiteral("optForHours"))->click();
    EXPECT_TRUE(hours->isEnabled());
    EXPECT_EQ(form->focusWidget(), hours);
}

// Rooms 106, 107, 108 and the common rooms between them; the encoder fails on 107.
TEST_P(StaffCardTest, APowerDownRunOffersAFailedRoomAgainSkipsItOrStops)
{
    const struct
    {
        const char *what;
        qint32 fault;
        std::vector<int16_t> shown; // 0: the status text
        int answer;                 // to -32488
        QList<qint32> rooms;
    } rows[] = {
        {"retried", CardServerStatus::WriteFailed, {0, -32488}, 0, {106, 107, 108}},
        {"skipped", CardServerStatus::WriteFailed, {0, -32488}, 1, {106, 108}},
        {"stopped", CardServerStatus::WriteFailed, {0, -32488}, 2, {106}},
        {"not stored: no question", CardServerStatus::NotStored, {0}, 0, {106}},
        {"cancelled at the encoder", CardServerStatus::Cancelled, {-31196}, 0, {106}},
    };
    setWriteTime(40);
    const QString failing = GetText(22100) + QStringLiteral(" - 107");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        for (int16_t number : row.shown)
            messages->expect(number, number == -32488 ? row.answer : 0);
        StaffCardDialog *form = lockCard<frmPowerDownCard>({{"txtRoomFrom", "106"}, {"txtRoomTo", "950"}});
        bool faulted = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!faulted && folder().prompt() == failing)
                faulted = folder().setNextStatus(row.fault);
        });
        watch.start(1);
        const qsizetype before = storedCards().size();
        QTest::keyClick(box(form, "txtNumDays"), Qt::Key_Return); // the issue is the default command
        EXPECT_EQ(messages->shownNumbers(), row.shown);
        QList<qint32> rooms;
        for (qint32 card : storedCards().mid(before)) {
            const CardImage image = storedImage(card);
            rooms << image.GetCardField(QStringLiteral("mainGuestRoom"))->integer;
            EXPECT_EQ(image.blocks(), (QList<CardBlock>{{107, {48}, {}, {{100, rooms.back(), rooms.back()}}}}));
            EXPECT_EQ(image.GetCardField(QStringLiteral("userID"))->integer, 0);
        }
        EXPECT_EQ(rooms, row.rooms);
        EXPECT_FALSE(ws->session.cardOperationInProgress);
        EXPECT_FALSE(form->inputsLocked());
        delete form;
    }
}

TEST_P(StaffCardTest, AnEmployeeCardFromTheCardListOpensReadOnly)
{
    RegisterCardWindows(*ws);
    StaffCardDialog *issuing = employee();
    set(issuing, {{"txtTimeZoneFrom", "7"}, {"txtTimeZoneTo", "19"}});
    command(issuing, "cmdMakeCard")->click();
    delete issuing;
    ASSERT_EQ(storedCards().size(), 1);

    frmCardList list(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
    list.SetSearchFilters(CardSearchFilters{});
    list.StartSearch();
    command(&list, "cmdSelect")->click();
    StaffCardDialog *shown = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<frmEmployeeCard *>(w))
            shown = d;
    ASSERT_NE(shown, nullptr) << "the card list opened no employee card dialog";
    EXPECT_TRUE(shown->inputsLocked());
    EXPECT_TRUE(shown->windowTitle().startsWith(GetText(22700) + QStringLiteral(" - ")));
    EXPECT_EQ(box(shown, "txtIssueTo")->text(), QStringLiteral("Lee, Bo"));
    EXPECT_EQ(box(shown, "txtRoomTo")->text(), QStringLiteral("102"));
    EXPECT_EQ(box(shown, "txtTimeZoneTo")->text(), QStringLiteral("7:00 PM"));
    EXPECT_EQ(box(shown, "txtNumDays")->text(), QStringLiteral("3"));
    EXPECT_TRUE(command(shown, "cmdEdit")->isVisible());
}

// Window-level: the staff rules and the store run on both engines.
INSTANTIATE_TEST_SUITE_P(Sqlite, StaffCardTest, ::testing::Values("sqlite"));

} // namespace
