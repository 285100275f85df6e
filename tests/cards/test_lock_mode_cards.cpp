#include "GuestCardFixture.h"
#include "cards/StaffRules.h"
#include "cards/frmLockModeCards.h"
#include "core/OleDate.h"

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>

namespace {

// The guest-card hotel with a staff member, the desk allowed the lock-mode kinds for a week.
class LockModeCardTest : public GuestCardTest
{
protected:
    void SetUp() override
    {
        GuestCardTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        for (qint32 kind : {262, 263, 264, 265, 267, 272})
            addRight(kDeskTemplate, Authority::CardKindBase + kind, 0, kMaxValidityMinutes);
        ws->session.authority.LoadOperatorRights(true);
        ws->session.authority.setLogonPrompt([](int mode) { return mode == 1; });
        staff = addUser(QStringLiteral("S1"), QStringLiteral("Lee"), QStringLiteral("Bo"));
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
        form->show();
        QApplication::setActiveWindow(form);
        return form;
    }
    qint32 staff = 0;
};

// How a dialog shows the mode of its card: the stand-open option and hours, the blocking value.
QString modeShown(QWidget *form)
{
    if (auto *list = form->findChild<QComboBox *>(QStringLiteral("cboBlock")))
        return list->currentData().toString();
    QString shown;
    for (auto *option : form->findChildren<QRadioButton *>())
        if (option->isChecked())
            shown = option->objectName();
    return shown.isEmpty() ? shown : shown + QLatin1Char(' ') + box(form, "txtForHours")->text();
}

TEST_P(LockModeCardTest, EachKindWritesItsBlockAndShowsItsCardReadBack)
{
    using Make = std::function<StaffCardDialog *()>;
    const auto with = [this]<typename Dialog>(Dialog *, const char *from, const char *to, const char *option = nullptr,
                                              const char *hours = "", int block = 0) -> Make {
        return [=, this] {
            StaffCardDialog *form = open<Dialog>();
            form->UserID(staff);
            box(form, "txtRoomFrom")->setText(QLatin1String(from));
            box(form, "txtRoomTo")->setText(QLatin1String(to));
            box(form, "txtNumDays")->setText(QStringLiteral("2"));
            if (option)
                child<QRadioButton>(form, QLatin1String(option))->click();
            if (auto *list = form->findChild<QComboBox *>(QStringLiteral("cboBlock")))
                list->setCurrentIndex(block);
            if (auto *count = form->findChild<QLineEdit *>(QStringLiteral("txtForHours")))
                count->setText(QLatin1String(hours));
            return form;
        };
    };
    constexpr frmClearanceCard *clearance = nullptr;
    constexpr frmStandOpenCard *standOpen = nullptr;
    constexpr frmBlockingCard *blocking = nullptr;
    constexpr frmLockingCard *locking = nullptr;
    const struct
    {
        const char *what;
        Make make;
        int16_t message;
        const char *focus;
        CardBlock block;
        const char *mode; // as the dialog shows the card read back
    } rows[] = {
        {"clearance of guest rooms", with(clearance, "100", "950"), 0, nullptr, {101, {}, {}, {{100, 100, 950}}}, ""},
        {"clearance of common rooms only", with(clearance, "901", "903"), -31232, "txtRoomFrom", {}, ""},
        {"clearance of 0 to 0 looks for rooms", with(clearance, "0", "0"), -31232, "txtRoomFrom", {}, ""},
        {"stand-open until the next use",
         with(standOpen, "101", "101"),
         0,
         nullptr,
         {103, {}, {}, {{100, 101, 101}}},
         "optNextUse "},
        {"stand-open until midnight",
         with(standOpen, "102", "104", "optUntilMidnight"),
         0,
         nullptr,
         {102, {192}, {}, {{100, 102, 104}}},
         "optUntilMidnight "},
        {"stand-open 63 hours everywhere",
         with(standOpen, "0", "0", "optForHours", "63"),
         0,
         nullptr,
         {102, {63}, {}, {{100, 0, 0}}},
         "optForHours 63"},
        {"stand-open 64 hours", with(standOpen, "101", "101", "optForHours", "64"), -31185, "txtForHours", {}, ""},
        {"stand-open without doors", with(standOpen, "351", "399"), -31179, "txtRoomFrom", {}, ""},
        {"blocking, the first entry", with(blocking, "105", "105"), 0, nullptr, {105, {2}, {}, {{100, 105, 105}}}, "2"},
        {"blocking removed everywhere",
         with(blocking, "0", "0", nullptr, "", 3),
         0,
         nullptr,
         {105, {8}, {}, {{100, 0, 0}}},
         "8"},
        {"locking", with(locking, "0", "0"), 0, nullptr, {111, {}, {}, {{100, 0, 0}}}, ""},
        {"locking without doors", with(locking, "5", "9"), -31179, "txtRoomFrom", {}, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        StaffCardDialog *form = row.make();
        messages->expect(row.message);
        const QList<qint32> before = storedCards();
        command(form, "cmdMakeCard")->click();
        const QList<qint32> cards = storedCards();
        if (row.message != 0) {
            EXPECT_EQ(messages->shownNumbers(), std::vector<int16_t>{row.message});
            ASSERT_NE(form->focusWidget(), nullptr);
            EXPECT_EQ(form->focusWidget()->objectName().toStdString(), row.focus);
            EXPECT_EQ(cards, before);
            delete form;
            continue;
        }
        EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
        ASSERT_EQ(cards.size(), before.size() + 1);
        const CardImage image = storedImage(cards.back());
        EXPECT_EQ(image.blocks(), QList<CardBlock>{row.block});
        EXPECT_EQ(image.GetCardField(QStringLiteral("cardNameID"))->integer, form->cardNameID());
        EXPECT_EQ(image.GetCardField(QStringLiteral("userID"))->integer, staff);
        EXPECT_DOUBLE_EQ(image.GetCardField(QStringLiteral("expireTime"))->date, OleDate::wholeDay(now) + 2);
        const QString to = box(form, "txtRoomTo")->text();
        delete form;

        ASSERT_NO_FATAL_FAILURE(readLastCardBack());
        form = row.make();
        ASSERT_TRUE(form->ReadCardImageBag());
        EXPECT_TRUE(form->inputsLocked());
        EXPECT_EQ(box(form, "txtRoomTo")->text(), to);
        EXPECT_EQ(modeShown(form), QLatin1String(row.mode));
        delete form;
    }
}

TEST_P(LockModeCardTest, OnlyTheHoursOptionOpensTheHoursBoxAndFocusesIt)
{
    StaffCardDialog *form = open<frmStandOpenCard>();
    QLineEdit *hours = box(form, "txtForHours");
    EXPECT_FALSE(hours->isEnabled()) << "next use is chosen at open";
    child<QRadioButton>(form, QStringLiteral("optForHours"))->click();
    EXPECT_TRUE(hours->isEnabled());
    EXPECT_EQ(form->focusWidget(), hours);
    child<QRadioButton>(form, QStringLiteral("optUntilMidnight"))->click();
    EXPECT_FALSE(hours->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Sqlite, LockModeCardTest, ::testing::Values("sqlite"));

} // namespace
