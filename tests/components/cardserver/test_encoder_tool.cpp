// ostrelle-encoder on the folders of a running server: what the operator types reaches the server.
#include "ServerFixture.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/Readout.h"
#include "ostrelle-encoder/EncoderTool.h"

#include <QDir>
#include <QFile>

class EncoderToolTest : public ServerTest
{
protected:
    struct Run
    {
        int result;
        QString out;
        QString err;
    };

    Run tool(const QStringList &args)
    {
        Run r;
        QTextStream out(&r.out), err(&r.err);
        r.result = EncoderTool::run(args, deviceDir(), out, err);
        out.flush();
        err.flush();
        return r;
    }
};

TEST_P(EncoderToolTest, SlotCommandsReachTheServer)
{
    ASSERT_EQ(encodeGuestCard(101, now + 2), 0);
    const qint32 reg = cards->GetRegistrationNumber();

    // The card the encoder put out is shown with its registration number in display form.
    Run r = tool({QStringLiteral("show")});
    ASSERT_EQ(r.result, EncoderTool::Success) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("The slot is empty."))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Card kind:     256 guest"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Registration:  01000 copy 0"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Main room:     101"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Block 97 (rooms): 101"))) << r.out.toStdString();

    // Handing the card back: the server sees the valid card of the room.
    EXPECT_EQ(tool({QStringLiteral("insert"), QStringLiteral("--last")}).result, EncoderTool::Success);
    EXPECT_EQ(tool({QStringLiteral("insert"), QStringLiteral("--blank")}).result, EncoderTool::Failed)
        << "the slot is taken";
    CARD_STATUS_EQ(encodeGuestCard(101, now + 3), CardServerStatus::ValidCardInEncoder);
    EXPECT_DOUBLE_EQ(cards->GetCardExpireTime(), now + 2);
    EXPECT_EQ(tool({QStringLiteral("eject")}).result, EncoderTool::Success);
    EXPECT_FALSE(encoderFolder().hasCard());

    // Manual mode and fault injection through the tool.
    EXPECT_EQ(tool({QStringLiteral("mode"), QStringLiteral("manual")}).result, EncoderTool::Success);
    EXPECT_TRUE(encoderFolder().settings().manual);
    EXPECT_EQ(tool({QStringLiteral("mode")}).out, QStringLiteral("manual\n"));
    EXPECT_EQ(tool({QStringLiteral("fault"), QStringLiteral("0x67890012")}).result, EncoderTool::Success);
    buildGuestCard(*cards, 102, now + 1);
    ASSERT_EQ(cards->EncodeCard(QStringLiteral("Guest card, 102")), 0);
    spin(50);
    CARD_STATUS_EQ(cards->GetStatus(), CardServerStatus::Busy);
    EXPECT_EQ(tool({QStringLiteral("insert"), QStringLiteral("--blank")}).result, EncoderTool::Success);
    CARD_STATUS_EQ(waitWhileBusy(*cards), CardServerStatus::WriteFailed);
    EXPECT_EQ(cards->GetRegistrationNumber(), 0);
    EXPECT_EQ(rowCount(TableId::Cards), 1) << "only the first card, " << reg;

    EXPECT_EQ(tool({QStringLiteral("mode"), QStringLiteral("sideways")}).result, EncoderTool::Usage);
    EXPECT_EQ(tool({QStringLiteral("write-time"), QStringLiteral("-5")}).result, EncoderTool::Usage);
    EXPECT_EQ(tool({QStringLiteral("fault"), QStringLiteral("soon")}).result, EncoderTool::Usage);
    EXPECT_EQ(tool({QStringLiteral("frobnicate")}).result, EncoderTool::Usage);
}

TEST_P(EncoderToolTest, ShowExplainsCardsItCannotRead)
{
    const QString file = QDir(deviceDir()).filePath(QStringLiteral("junk.card"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a card at all");
    f.close();
    const Run r = tool({QStringLiteral("show"), file});
    EXPECT_EQ(r.result, EncoderTool::Success);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Unreadable card (status 0x67900204)"))) << r.out.toStdString();
    EXPECT_EQ(EncoderTool::describeCard(QByteArray()), QStringLiteral("Blank card\n"));
}

TEST_P(EncoderToolTest, HandheldReadOutsForTheDemo)
{
    ASSERT_EQ(encodeGuestCard(101, now + 2), 0);
    const quint32 reg = quint32(cards->GetRegistrationNumber());

    // A read-out file that breaks the format is refused before the unit gets it.
    const QString broken = QDir(deviceDir()).filePath(QStringLiteral("broken.txt"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("READOUT 1\nSOURCE 2 yesterday 101\nEND 1 0\n");
    f.close();
    Run r = tool({QStringLiteral("handheld"), QStringLiteral("put"), broken});
    EXPECT_EQ(r.result, EncoderTool::Failed);
    EXPECT_TRUE(r.err.contains(QStringLiteral("line 2"))) << r.err.toStdString();
    EXPECT_TRUE(handheldFolder().pendingReadouts().isEmpty());

    r = tool({QStringLiteral("handheld"), QStringLiteral("sample"), QStringLiteral("101"), QStringLiteral("1")});
    ASSERT_EQ(r.result, EncoderTool::Success) << r.err.toStdString();
    ASSERT_EQ(handheldFolder().pendingReadouts().size(), 1);

    ASSERT_EQ(cards->SelectDevice(kHandheld), 0);
    ASSERT_EQ(cards->ReadDevice(QString()), 0);
    ASSERT_EQ(waitWhileBusy(*cards), 0);
    const ReadoutParseResult parsed = parseReadout(cards->GetReadData().toUtf8());
    ASSERT_EQ(parsed.status, 0);
    ASSERT_EQ(parsed.readout.sources.size(), 2);
    QList<qint32> doors;
    for (const ReadoutSource &s : parsed.readout.sources) {
        doors << s.doorID;
        // Every door saw the card the encoder made, besides its battery warning.
        const bool sawCard = std::any_of(s.events.cbegin(), s.events.cend(), [&](const ReadoutEvent &e) {
            return e.hasCard && e.registrationNumber == reg;
        });
        EXPECT_TRUE(sawCard) << s.doorID;
    }
    EXPECT_EQ(doors, QList<qint32>({101, 1}));
    EXPECT_EQ(rowCount(TableId::EventView, QStringLiteral("registrationNumber = ?"), {qint32(reg)}), 2);

    r = tool({QStringLiteral("handheld"), QStringLiteral("setup")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("not been programmed"))) << r.out.toStdString();
}

TEST_P(EncoderToolTest, FindsTheDeviceFolder)
{
    // Two encoder folders: the tool needs to be told which one.
    VirtualDeviceFolder second(QDir(deviceDir()).filePath(QStringLiteral("encoder2")));
    ASSERT_TRUE(second.create(VirtualDeviceFolder::Kind::Encoder));
    Run r = tool({QStringLiteral("insert"), QStringLiteral("--blank")});
    EXPECT_EQ(r.result, EncoderTool::Failed);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--port"))) << r.err.toStdString();
    r = tool(
        {QStringLiteral("--port"), QStringLiteral("encoder2"), QStringLiteral("insert"), QStringLiteral("--blank")});
    EXPECT_EQ(r.result, EncoderTool::Success) << r.err.toStdString();
    EXPECT_EQ(second.card(), QByteArray());
    EXPECT_FALSE(encoderFolder().hasCard());

    // The handheld folder is the only one of its kind.
    r = tool({QStringLiteral("handheld"), QStringLiteral("list")});
    EXPECT_EQ(r.result, EncoderTool::Success) << r.err.toStdString();

    r = tool({QStringLiteral("--dir"), QDir(deviceDir()).filePath(QStringLiteral("nothing")), QStringLiteral("show")});
    EXPECT_EQ(r.result, EncoderTool::Failed);
}

INSTANTIATE_TEST_SUITE_P(Engines, EncoderToolTest, ::testing::Values("sqlite"));
