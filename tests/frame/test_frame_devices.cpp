#include "FrameFixture.h"
#include "RecordingWindow.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/cardserver/VirtualDeviceFolder.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"
#include "texts/Texts.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr qint32 kFunction = Authority::FunctionBase;

class FrameDeviceTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(m_devices.isValid());
        encoder = addDevice(0, 0, QStringLiteral("encoder"), QStringLiteral("Front desk"));
        handheld = addDevice(0, 2, QStringLiteral("handheld"), QStringLiteral("Handheld"));
        ws->cardServers.firstCardsIntf =
            std::make_unique<CardsIntf>(*ws->db.database, CardsIntf::Setup{m_devices.path()});
        ws->cardServers.firstCardsIntf->Negotiate(ws->program.ComputerName);
        ws->program.LocalParams.setMagCardEncoderID(encoder);
        ws->program.LocalParams.setHCUID(handheld);
        for (const auto &[name, kind] : {std::pair{"encoder", VirtualDeviceFolder::Kind::Encoder},
                                         std::pair{"handheld", VirtualDeviceFolder::Kind::Handheld}}) {
            VirtualDeviceFolder folder(m_devices.filePath(QLatin1String(name)));
            ASSERT_TRUE(folder.create(kind));
            VirtualDeviceFolder::Settings settings = folder.settings();
            settings.manual = true;
            settings.writeMs = settings.readMs = settings.ejectMs = settings.pollMs = 10;
            settings.setupMs = 20;
            settings.cardWaitMs = 5000;
            ASSERT_TRUE(folder.writeSettings(settings));
        }
        logOnDesk({{kFunction + 9}, {kFunction + 10}});
    }

    VirtualDeviceFolder folder(const char *name) const
    {
        return VirtualDeviceFolder(m_devices.filePath(QLatin1String(name)));
    }

    // Writes a card of the kind on the encoder, which leaves it in the slot.
    void cardInSlot(qint32 cardNameID)
    {
        ASSERT_TRUE(folder("encoder").insertCard(QByteArray()));
        CardsIntf &cards = *ws->cardServers.firstCardsIntf;
        cards.NewCard();
        ASSERT_EQ(cards.SelectDevice(encoder), 0);
        cards.SetCardField(QStringLiteral("cardNameID"), cardNameID);
        cards.SetCardField(QStringLiteral("userID"), 1);
        for (const char *time : {"issueTime", "startTime"})
            cards.SetCardField(QLatin1String(time), now);
        cards.SetCardField(QStringLiteral("expireTime"), now + 1);
        cards.SetCardField(QStringLiteral("numCards"), qint16(1));
        ASSERT_EQ(cards.EncodeCard(QStringLiteral("test card")), 0);
        ASSERT_TRUE(QTest::qWaitFor([&cards] { return !CardServerStatus::isBusy(cards.GetStatus()); }, 5000));
        ASSERT_EQ(cards.GetStatus(), 0) << cards.GetStatusText(cards.GetStatus()).toStdString();
        ASSERT_TRUE(QTest::qWaitFor([&cards] { return cards.IsReady() != 0; }, 5000));
        cards.SetActive(0);
    }

    qint32 encoder = 0;
    qint32 handheld = 0;

private:
    QTemporaryDir m_devices;
};

TEST_P(FrameDeviceTest, HandheldSetupProgramsTheUnitAndReportsTheOutcome)
{
    struct Row
    {
        const char *what;
        int answer;    // to the question -32246: 0 OK, 1 Cancel
        qint32 fault;  // the unit's next status, 0 for none
        int16_t shown; // the message after the poll, 0 for a composed error box
        const char *contains;
    };
    const Row rows[] = {
        {"cancelled at the question", 1, 0, 1, ""},
        {"programmed", 0, 0, -32247, ""},
        {"cancelled at the unit", 0, CardServerStatus::Cancelled, -31196, ""},
        {"failure without an error number", 0, CardServerStatus::SetupFailed, 0, ""},
        {"failure with error number 4320", 0, CardServerStatus::DeviceNotReady, -31230, "IEC-10E0"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        messages->clear();
        VirtualDeviceFolder unit = folder("handheld");
        unit.writeSetup(QByteArray());
        if (row.fault) {
            ASSERT_TRUE(unit.setNextStatus(row.fault));
        }
        messages->expect(-32246, row.answer);
        if (row.shown != 1)
            messages->expect(row.shown);
        menuItem(QStringLiteral("mnuFileSetupHCU"))->trigger();
        EXPECT_TRUE(messages->allAnswered());
        EXPECT_EQ(!unit.setup().isEmpty(), row.answer == 0 && row.fault == 0);
        if (*row.contains) {
            ASSERT_FALSE(messages->shown().empty());
            EXPECT_TRUE(messages->shown().back().text.contains(QLatin1String(row.contains)))
                << messages->shown().back().text.toStdString();
        }
        EXPECT_FALSE(ws->session.cardOperationInProgress);
        EXPECT_TRUE(menuItem(QStringLiteral("mnuFileSetupHCU"))->isEnabled());
        unit.takeNextStatus();
    }
}

TEST_P(FrameDeviceTest, ClosingWhileTheHandheldIsProgrammedEndsThePollAndUnloadsTheFrame)
{
    VirtualDeviceFolder unit = folder("handheld");
    VirtualDeviceFolder::Settings settings = unit.settings();
    settings.setupMs = 3000;
    ASSERT_TRUE(unit.writeSettings(settings));
    frame->show();
    frame->setPollInterval(5);
    messages->expect(-32246, 0).expect(-32512, 0);
    QTimer::singleShot(100, frame.get(), [this] { frame->close(); });
    QElapsedTimer clock;
    clock.start();
    menuItem(QStringLiteral("mnuFileSetupHCU"))->trigger();
    EXPECT_LT(clock.elapsed(), 2500) << "the poll went on after the close";
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(ws->session.cardOperationInProgress);
    EXPECT_TRUE(ws->session.applicationClosing);
    int32_t stored = 0;
    EXPECT_TRUE(ws->program.registry.ReadLong(QStringLiteral("dlgMainWidth"), stored)) << "the unload tail ran";
}

TEST_P(FrameDeviceTest, WithoutAHandheldUnitTheEncoderSelectionComesFirst)
{
    ws->program.LocalParams.setHCUID(0);
    // The selection is left with Cancel: still no unit, so nothing is programmed.
    QTimer::singleShot(0, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    menuItem(QStringLiteral("mnuFileSetupHCU"))->trigger();
    EXPECT_EQ(ws->program.LocalParams.HCUID(), 0);
    EXPECT_TRUE(messages->shown().empty()) << "no question without a unit";
}

TEST_P(FrameDeviceTest, AVerifiedCardOpensInTheDialogOfItsKindOrIsNamed)
{
    int made = 0;
    RecordingWindow *dialog = nullptr;
    ws->frameWindows.windows.add(WindowKinds::card(QStringLiteral("frmGuestCard")), [&](QWidget *) {
        ++made;
        dialog = new RecordingWindow;
        return dialog;
    });
    cardInSlot(256);
    menuItem(QStringLiteral("mnuToolsVerifyMagCard"))->trigger();
    ASSERT_EQ(made, 1);
    EXPECT_EQ(dialog->calls.mid(0, 2), QStringList({QStringLiteral("setJoiner 0"), QStringLiteral("ReadCardImageBag")}))
        << "a guest card shows the guest dialog out of joiner mode";
    EXPECT_EQ(frame->childWindow(QStringLiteral("frmGuestCard")), dialog);
    EXPECT_FALSE(ws->session.cardOperationInProgress);

    cardInSlot(260); // no employee card dialog in this program yet
    messages->expect(-32256);
    menuItem(QStringLiteral("mnuToolsVerifyMagCard"))->trigger();
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_EQ(messages->shown().front().request.titleNumber, -32766);
    EXPECT_FALSE(messages->shown().front().request.arguments.value(0).toString().isEmpty());
}

TEST_P(FrameDeviceTest, VerifyReportsTheEncodersStatus)
{
    struct Row
    {
        qint32 fault;
        int16_t shown;
        const char *contains;
    };
    const Row rows[] = {
        {CardServerStatus::Cancelled, -31196, ""},
        {CardServerStatus::DeviceBusy, 0, ""},
        {CardServerStatus::DeviceNotReady, -31230, "IEC-1240"},
    };
    ASSERT_TRUE(folder("encoder").insertCard(QByteArray()));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.fault);
        messages->clear();
        ASSERT_TRUE(folder("encoder").setNextStatus(row.fault));
        messages->expect(row.shown);
        menuItem(QStringLiteral("mnuToolsVerifyMagCard"))->trigger();
        EXPECT_TRUE(messages->allAnswered());
        if (*row.contains) {
            ASSERT_FALSE(messages->shown().empty());
            EXPECT_TRUE(messages->shown().back().text.contains(QLatin1String(row.contains)));
        }
        EXPECT_FALSE(ws->session.cardOperationInProgress);
    }
}

// Window-level: the SQL under it is tested on both engines where it is written.
INSTANTIATE_TEST_SUITE_P(Sqlite, FrameDeviceTest, ::testing::Values("sqlite"));

} // namespace
