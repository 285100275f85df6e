#include "FindChild.h"
#include "SessionFixture.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "session/Logon.h"
#include "session/frmLogoff.h"
#include "session/frmLogon.h"
#include "settings/clsSystemParams.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include <cmath>

namespace {

constexpr double kMinute = 1.0 / 1440.0;

class LogonTest : public SessionTest
{
protected:
    struct Attempt
    {
        bool success;
        bool open; // the dialog is still shown
        QString focus;
    };

    // Fills the real dialog and presses Enter in the password box.
    Attempt logOn(int mode, const QString &user, const QString &password)
    {
        frmLogon dialog(ws->program, ws->db, ws->cardServers, ws->session);
        dialog.setLogonMode(mode);
        dialog.show();
        if (mode == 0)
            child<QLineEdit>(&dialog, QStringLiteral("fraLogon/txtUserID"))->setText(user);
        auto *txtPassword = child<QLineEdit>(&dialog, QStringLiteral("fraLogon/txtPassword"));
        txtPassword->setText(password);
        QTest::keyClick(txtPassword, Qt::Key_Return);
        const QWidget *focus = dialog.focusWidget();
        return {dialog.Success(), dialog.isVisible(), focus ? focus->objectName() : QString()};
    }

    // Logs the first listed operator off through the dialog; returns the names it listed.
    QStringList logOffFirst()
    {
        frmLogoff dialog(ws->program, ws->db, ws->session);
        dialog.show();
        auto *list = child<QListWidget>(&dialog, QStringLiteral("lstOperators"));
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        list->clearSelection();
        if (list->count() > 0)
            list->item(0)->setSelected(true);
        QTest::mouseClick(child<QPushButton>(&dialog, QStringLiteral("cmdLogOff")), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        return names;
    }

    // Logs on at the component directly, as if an earlier logon dialog had done it.
    void alreadyLoggedOn(const QString &user, const QString &password, qint32 userID)
    {
        ws->db.logonTable->Logon(user, password);
        ASSERT_TRUE(ws->db.logonTable->Status() == RecordStatus::Ok ||
                    ws->db.logonTable->Status() == RecordStatus::LoggedOnBeside);
        ws->session.logon.operators << userID;
    }
};

TEST_P(LogonTest, EmptyUserIdOrPasswordIsRefusedBeforeTheComponentIsAsked)
{
    const qint32 anna = addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
    alreadyLoggedOn(QStringLiteral("anna"), QStringLiteral("secret"), anna);
    struct Row
    {
        int mode;
        const char *user;
        const char *password;
        int16_t message;
        const char *focus;
    };
    // A call with the empty password would end anna's logon; one with the empty user ID would be
    // refused with -31187, which the script does not expect.
    const Row rows[] = {
        {0, "", "secret", -31174, "txtUserID"},
        {0, "anna", "", -31141, "txtPassword"},
        {1, "", "", -31141, "txtPassword"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.message);
        messages->clear();
        messages->expect(row.message);
        const Attempt a = logOn(row.mode, QString::fromLatin1(row.user), QString::fromLatin1(row.password));
        EXPECT_FALSE(a.success);
        EXPECT_TRUE(a.open);
        EXPECT_EQ(a.focus, QString::fromLatin1(row.focus));
        EXPECT_EQ(messages->shownNumbers(), std::vector<int16_t>{row.message});
        EXPECT_EQ(componentLogons(), QList<qint32>{anna});
    }
}

TEST_P(LogonTest, AWrongPasswordGivesTheSameMessageInBothModes)
{
    const qint32 anna = addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
    const qint32 old = addOperator(QStringLiteral("old"), 300, QStringLiteral("former"), now + 10 * kMinute);
    struct Row
    {
        const char *name;
        int mode;
        const char *user;
        const char *password;
        bool expireFirst; // the operator's validity ends after the logon
    };
    const Row rows[] = {
        {"mode 0, wrong password", 0, "anna", "guess", false},
        {"mode 1, wrong password", 1, "", "guess", false},
        {"mode 1, operator expired", 1, "", "former", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ws->db.logonTable->Logon(QStringLiteral("anna"), QString());
        ws->db.logonTable->Logon(QStringLiteral("old"), QString());
        if (row.mode == 1) {
            if (row.expireFirst) {
                alreadyLoggedOn(QStringLiteral("old"), QStringLiteral("former"), old);
                now += 20 * kMinute;
            } else {
                alreadyLoggedOn(QStringLiteral("anna"), QStringLiteral("secret"), anna);
            }
        }
        messages->clear();
        messages->expect(-31187);
        const Attempt a = logOn(row.mode, QString::fromLatin1(row.user), QString::fromLatin1(row.password));
        EXPECT_FALSE(a.success);
        EXPECT_TRUE(a.open);
        EXPECT_EQ(a.focus, QStringLiteral("txtPassword"));
        EXPECT_EQ(messages->shownNumbers(), std::vector<int16_t>{-31187});
    }
}

TEST_P(LogonTest, AnExpiredOperatorIsRefusedWithTheLogonErrorCode)
{
    addOperator(QStringLiteral("old"), 300, QStringLiteral("former"), now - kMinute);
    messages->expect(-31230);
    const Attempt a = logOn(0, QStringLiteral("old"), QStringLiteral("former"));
    EXPECT_FALSE(a.success);
    EXPECT_TRUE(a.open);
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_TRUE(messages->shown()[0].text.contains(QStringLiteral("IEC-1261")))
        << messages->shown()[0].text.toStdString();
    EXPECT_TRUE(ws->session.logon.operators.isEmpty());
}

TEST_P(LogonTest, ALogonWaitsUpToTwentySecondsForABusyDatabase)
{
    addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
    // The logon's own lock wait ends at once; the pause stands for the time that passes.
    QSqlQuery(ws->db.database->sqlDatabase())
        .exec(isPostgres() ? QStringLiteral("SET lock_timeout = 1") : QStringLiteral("PRAGMA busy_timeout = 0"));
    const std::unique_ptr<RecordDatabase> other = openSecond();
    for (const qint64 releasedAfterMs : {15000, 30000}) {
        QSqlQuery lock(other->sqlDatabase());
        ASSERT_TRUE(isPostgres() ? lock.exec(QStringLiteral("BEGIN")) &&
                                       lock.exec(QStringLiteral("LOCK TABLE \"Logons\" IN EXCLUSIVE MODE"))
                                 : lock.exec(QStringLiteral("BEGIN IMMEDIATE")))
            << lock.lastError().text().toStdString();
        qint64 clockMs = 0;
        BusyWait wait;
        wait.clockMs = [&] { return clockMs; };
        wait.pause = [&](int ms) {
            clockMs += ms;
            if (clockMs == releasedAfterMs)
                lock.exec(QStringLiteral("COMMIT"));
        };
        const bool waitedLongEnough = releasedAfterMs <= 20000;
        if (!waitedLongEnough)
            messages->expect(-31230);
        const LogonOutcome outcome =
            RunLogonCommand(ws->program, ws->db, ws->cardServers, ws->session, 0, QStringLiteral("anna"),
                            QStringLiteral("secret"), nullptr, {}, wait);
        EXPECT_EQ(outcome == LogonOutcome::LoggedOn, waitedLongEnough);
        EXPECT_EQ(clockMs, std::min<qint64>(releasedAfterMs, 20000));
        EXPECT_TRUE(messages->allAnswered());
        if (!waitedLongEnough)
            lock.exec(QStringLiteral("COMMIT"));
    }
}

TEST_P(LogonTest, ALogonListsTheOperatorLoadsTheRightsAndRecomputesTheMenus)
{
    const qint32 anna = addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
    addRight(300, 0x800000 + 16, 3);
    addRight(1, 0x800000 + 48, 1);
    int titles = 0;
    ws->session.frame.setApplicationTitle = [&] { ++titles; };
    // Another workstation saved the settings since they were read.
    putParameter(QStringLiteral("PROPERTYNAME"), QStringLiteral("Seaside"));
    const Attempt a = logOn(0, QStringLiteral("Anna"), QStringLiteral("secret"));
    EXPECT_EQ(titles, 1);
    EXPECT_EQ(ws->db.SystemParams->PropertyName(), QStringLiteral("Seaside"));
    EXPECT_TRUE(a.success);
    EXPECT_FALSE(a.open);
    EXPECT_EQ(ws->session.logon.CurrentOperatorID, anna);
    EXPECT_EQ(ws->session.logon.operators, QList<qint32>{anna});
    EXPECT_EQ(ws->session.logon.OperatorClassFlags, 2);
    EXPECT_TRUE(ws->session.logon.loggedOn);
    EXPECT_EQ(ws->session.logon.lastUserID, QStringLiteral("Anna"));
    EXPECT_TRUE(ws->session.authority.HasRight(16, 2));
    EXPECT_FALSE(ws->session.authority.HasRight(48, 1));
    EXPECT_TRUE(ws->session.authority.HasRight(48, 1, Authority::ReferenceSet));
    EXPECT_EQ(menuSetups, 1);
}

TEST_P(LogonTest, GroupLogonAsksWhetherToJoin)
{
    const qint32 anna = addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
    const qint32 bob = addOperator(QStringLiteral("bob"), 800, QStringLiteral("builder"));
    struct Row
    {
        const char *name;
        const char *groupAuth;
        int answer; // -1: no question
        QList<qint32> listed;
        uint16_t flags;
    };
    const Row rows[] = {
        {"declined", "1", 1, {anna}, 2},
        {"accepted", "1", 0, {anna, bob}, 6},
        {"group logon off", "0", -1, {anna, bob}, 6},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ws->db.logonTable->Logon(QStringLiteral("anna"), QString());
        ws->db.logonTable->Logon(QStringLiteral("bob"), QString());
        ws->session.logon = LogonState{};
        setParameter(QStringLiteral("SYSTEM_ENABLEGROUPAUTH"), QString::fromLatin1(row.groupAuth));
        ASSERT_TRUE(logOn(0, QStringLiteral("anna"), QStringLiteral("secret")).success);

        messages->clear();
        if (row.answer >= 0)
            messages->expect(-32490, row.answer);
        const Attempt a = logOn(0, QStringLiteral("bob"), QStringLiteral("builder"));
        EXPECT_FALSE(a.open);
        EXPECT_EQ(messages->shown().size(), row.answer >= 0 ? 1u : 0u);
        EXPECT_EQ(ws->session.logon.operators, row.listed);
        EXPECT_EQ(ws->session.logon.OperatorClassFlags, row.flags);
        EXPECT_EQ(componentLogons(), row.listed);
        EXPECT_EQ(ws->session.logon.CurrentOperatorID, row.listed.last()) << "the last to log on";
    }
}

TEST_P(LogonTest, LoggingOffTheFirstOfTwoOperatorsKeepsTheClassOfTheOther)
{
    addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
    const qint32 bob = addOperator(QStringLiteral("bob"), 800, QStringLiteral("builder"));
    addRight(300, 0x800000 + 16, 1);
    addRight(800, 0x800000 + 0, 1);
    ASSERT_TRUE(logOn(0, QStringLiteral("anna"), QStringLiteral("secret")).success);
    ASSERT_TRUE(logOn(0, QStringLiteral("bob"), QStringLiteral("builder")).success);
    EXPECT_TRUE(ws->session.authority.HasRight(16, 1));
    const int setupsBefore = menuSetups;

    EXPECT_EQ(logOffFirst(), QStringList({QStringLiteral("anna"), QStringLiteral("bob")}));
    EXPECT_EQ(ws->session.logon.operators, QList<qint32>{bob});
    EXPECT_EQ(ws->session.logon.OperatorClassFlags, 4);
    EXPECT_EQ(componentLogons(), QList<qint32>{bob});
    EXPECT_EQ(ws->session.logon.CurrentOperatorID, bob);
    EXPECT_FALSE(ws->session.authority.HasRight(16, 1));
    EXPECT_TRUE(ws->session.authority.HasRight(0, 1));
    EXPECT_EQ(menuSetups, setupsBefore + 1);
}

TEST_P(LogonTest, TheServiceOperatorIsListedAsVeltrixAndLogsOffUnderThatName)
{
    addOperator(QStringLiteral("svc15"), 1, QStringLiteral("maker"), NoExpiry, 15);
    addRight(1, 0x800000 + 32, 1);
    ASSERT_TRUE(logOn(0, QStringLiteral("Veltrix"), QStringLiteral("maker")).success);
    EXPECT_EQ(ws->session.logon.OperatorClassFlags, 1);

    EXPECT_EQ(logOffFirst(), QStringList{QStringLiteral("Veltrix")});
    EXPECT_TRUE(componentLogons().isEmpty());
    EXPECT_TRUE(ws->session.logon.operators.isEmpty());
    EXPECT_EQ(ws->session.logon.OperatorClassFlags, 0);
    EXPECT_EQ(ws->session.logon.CurrentOperatorID, 0);
    // Nobody is left: the rights are those of nobody, the reference set stays.
    EXPECT_FALSE(ws->session.authority.HasRight(32, 1));
    EXPECT_TRUE(ws->session.authority.HasRight(32, 1, Authority::ReferenceSet));
}

TEST_P(LogonTest, DailyWarningsAppearAtTheFirstLogonOfEachDay)
{
    addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"), now + 3);
    addOperator(QStringLiteral("bob"), 800, QStringLiteral("builder"), now + 3);
    setParameter(QStringLiteral("SYSTEM_OPCARDEXPIREWARNING"), QStringLiteral("7"));
    setParameter(QStringLiteral("SYSTEM_CATHARSISWARNING"), QStringLiteral("30"));
    setParameter(QStringLiteral("LASTCATHTIME"), QString::number(now - 40));
    setParameter(QStringLiteral("SYSTEM_BACKUPWARNINGDAYS"), QStringLiteral("2"));
    setParameter(QStringLiteral("SYSTEM_BACKUPTIME"), QString::number(now - 5));
    const std::vector<int16_t> all{-32243, -31742, -32481, -32251};

    const auto logOnAndOff = [&](const char *user, const char *password) {
        ws->db.logonTable->Logon(QString::fromLatin1(user), QString());
        ws->session.logon.operators.clear();
        EXPECT_TRUE(logOn(0, QString::fromLatin1(user), QString::fromLatin1(password)).success);
    };
    const auto expectAll = [&] {
        for (int16_t n : all)
            messages->expect(n, 1); // housekeeping declined
    };

    expectAll();
    logOnAndOff("anna", "secret");
    EXPECT_EQ(messages->shownNumbers(), all);
    ASSERT_FALSE(messages->shown().empty());
    // The expiry warning names the operator's expiry date and time.
    EXPECT_TRUE(messages->shown()[0].text.contains(QStringLiteral("6/4/24 12:00 PM")))
        << messages->shown()[0].text.toStdString();

    messages->clear();
    now += 6.0 / 24; // later the same day: no warning is scripted
    logOnAndOff("anna", "secret");

    expectAll();
    logOnAndOff("bob", "builder"); // another operator has his own day
    EXPECT_EQ(messages->shownNumbers(), all);

    messages->clear();
    expectAll();
    now += 0.5; // 06:00 the next day
    logOnAndOff("anna", "secret");
    EXPECT_EQ(messages->shownNumbers(), all);
}

TEST_P(LogonTest, HousekeepingCountsFromTheLastCleaningElseTheStartDate)
{
    addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"), now + 400);
    setParameter(QStringLiteral("SYSTEM_CATHARSISWARNING"), QStringLiteral("30"));
    const struct
    {
        double lastCleaning, startDate; // days before now; -1: the value 0
        bool warned, accepted;
    } cases[] = {{30, 100, true, false},
                 {29, 100, false, false},
                 {-1, 30, true, true},
                 {-1, 29, false, false},
                 {-1, -1, true, false}};
    for (const auto &c : cases) {
        now += 1; // each case is the first logon of a day
        const auto date = [&](double daysBefore) { return QString::number(daysBefore < 0 ? 0 : now - daysBefore); };
        setParameter(QStringLiteral("LASTCATHTIME"), date(c.lastCleaning));
        setParameter(QStringLiteral("SYSTEM_STARTDATE"), date(c.startDate));
        messages->clear();
        if (c.warned)
            messages->expect(-31742).expect(-32481, c.accepted ? 0 : 1);
        ws->db.logonTable->Logon(QStringLiteral("anna"), QString());
        ws->session.logon.operators.clear();
        ASSERT_TRUE(logOn(0, QStringLiteral("anna"), QStringLiteral("secret")).success);
        EXPECT_TRUE(messages->allAnswered());
        // The accepted cleaning is the new last one.
        EXPECT_EQ(std::abs(parameterValue(QStringLiteral("LASTCATHTIME")).toDouble() - now) < 1e-6, c.accepted);
    }
}

TEST_P(LogonTest, TheDialogStartsFromTheRememberedUserAndThePasswordPreset)
{
    struct Row
    {
        bool remember;
        const char *expectedUser;
        const char *focus;
    };
    const Row rows[] = {{true, "anna", "txtPassword"}, {false, "", "txtUserID"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.remember);
        ws->program.LocalParams.setRememberUserID(row.remember);
        ws->session.logon.lastUserID = QStringLiteral("anna");
        frmLogon dialog(ws->program, ws->db, ws->cardServers, ws->session);
        dialog.setLogonMode(0);
        dialog.setPassword(QStringLiteral("preset"));
        dialog.show();
        EXPECT_EQ(child<QLineEdit>(&dialog, QStringLiteral("fraLogon/txtUserID"))->text(),
                  QString::fromLatin1(row.expectedUser));
        EXPECT_EQ(child<QLineEdit>(&dialog, QStringLiteral("fraLogon/txtPassword"))->text(), QStringLiteral("preset"));
        ASSERT_NE(dialog.focusWidget(), nullptr);
        EXPECT_EQ(dialog.focusWidget()->objectName(), QString::fromLatin1(row.focus));
        EXPECT_FALSE(dialog.Success());
    }
}

TEST_P(LogonTest, PasswordOnlyModeHidesTheUserRowAndIsShorter)
{
    frmLogon full(ws->program, ws->db, ws->cardServers, ws->session);
    full.setLogonMode(0);
    frmLogon confirm(ws->program, ws->db, ws->cardServers, ws->session);
    confirm.setLogonMode(1);
    confirm.show();
    auto *user = child<QLineEdit>(&confirm, QStringLiteral("fraLogon/txtUserID"));
    EXPECT_FALSE(user->isVisible());
    EXPECT_FALSE(user->isEnabled());
    EXPECT_FALSE(child<QWidget>(&confirm, QStringLiteral("fraLogon/lblID"))->isVisible());
    EXPECT_EQ(full.height() - confirm.height(), twipsToPixels(360, twipsPerPixelY(&confirm)));
}

TEST_P(LogonTest, EscapeCancelsAndTheFirstCancelLoadsTheRightsOfNobodyOnce)
{
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        frmLogon dialog(ws->program, ws->db, ws->cardServers, ws->session);
        dialog.setLogonMode(0);
        dialog.show();
        QTest::keyClick(child<QLineEdit>(&dialog, QStringLiteral("fraLogon/txtUserID")), Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.Success());
        EXPECT_TRUE(ws->session.logon.rightsLoaded);
        EXPECT_EQ(menuSetups, 1);
    }
}

TEST_P(LogonTest, WithOperatorCardsTheWorkstationMustHaveAnEncoderFirst)
{
    addOperator(QStringLiteral("anna"), 300, QStringLiteral("secret"));
    setParameter(QStringLiteral("OPCARDATLOGON"), QStringLiteral("1"));
    RecordTable devices(*ws->db.database);
    devices.SelectTable(TableId::Devices);
    devices.SetField(QStringLiteral("deviceName"), QStringLiteral("Desk encoder"));
    devices.SetField(QStringLiteral("deviceType"), 0);
    devices.InsertRecord();
    ASSERT_STATUS(devices, RecordStatus::Ok);
    const qint32 encoder = devices.GetField(QStringLiteral("deviceID")).toInt();
    devices.CloseQuery();

    for (const bool choose : {false, true}) {
        SCOPED_TRACE(choose);
        int opened = 0;
        // The encoder selection opens modally inside the logon command; answer it once it shows.
        QTimer::singleShot(0, [&] {
            QWidget *setup = QApplication::activeModalWidget();
            ASSERT_NE(setup, nullptr);
            EXPECT_EQ(setup->objectName(), QStringLiteral("frmEncoderSetup"));
            ++opened;
            if (!choose) {
                QTest::keyClick(setup, Qt::Key_Escape);
                return;
            }
            auto *list = child<QComboBox>(setup, QStringLiteral("fraMCEncoder/cboMCEncoder"));
            list->setCurrentIndex(list->findData(encoder));
            QTest::mouseClick(child<QPushButton>(setup, QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        const Attempt a = logOn(0, QStringLiteral("anna"), QStringLiteral("secret"));
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(a.success, choose);
        EXPECT_EQ(a.open, !choose);
        EXPECT_EQ(componentLogons().size(), choose ? 1 : 0);
        EXPECT_EQ(ws->program.LocalParams.MagCardEncoderID(), choose ? encoder : 0);
        EXPECT_FALSE(ws->program.LocalParams.anyChanged()); // the choice was written at once
    }
    EXPECT_EQ(ws->db.logonTable->encoderID(), encoder);
}

INSTANTIATE_TEST_SUITE_P(Engines, LogonTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
