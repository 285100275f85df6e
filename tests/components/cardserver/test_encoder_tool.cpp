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
    // A command of blank-separated words.
    Run tool(const char *command) { return tool(QString::fromLatin1(command).split(QLatin1Char(' '))); }

    // A file under the device directory with the given contents.
    QString writeFile(const char *name, const QByteArray &contents)
    {
        const QString path = QDir(deviceDir()).filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(contents) == contents.size());
        return path;
    }
};

TEST_P(EncoderToolTest, SlotCommandsReachTheDeviceFolder)
{
    ASSERT_EQ(encodeGuestCard(101, now + 2), 0);
    // The card the encoder put out is shown with its registration number in display form.
    Run r = tool("show");
    ASSERT_EQ(r.result, EncoderTool::Success) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("The slot is empty."))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Card kind:     256 guest"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Registration:  01000 copy 0"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Main room:     101"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Block 97 (rooms): 101"))) << r.out.toStdString();

    // Handing the card back puts the card ejected last into the slot (what the server makes of it: issuing tests).
    EXPECT_EQ(tool("insert --last").result, EncoderTool::Success);
    EXPECT_EQ(encoderFolder().card(), readFile(encoderFolder().newestEjected()));
    EXPECT_EQ(tool("insert --blank").result, EncoderTool::Failed) << "the slot is taken";
    EXPECT_EQ(tool("eject").result, EncoderTool::Success);
    EXPECT_FALSE(encoderFolder().hasCard());

    // Manual mode and fault injection through the tool.
    EXPECT_EQ(tool("mode manual").result, EncoderTool::Success);
    EXPECT_TRUE(encoderFolder().settings().manual);
    EXPECT_EQ(tool("mode").out, QStringLiteral("manual\n"));
    EXPECT_EQ(tool("fault 0x67890012").result, EncoderTool::Success);
    EXPECT_EQ(encoderFolder().takeNextStatus(), CardServerStatus::WriteFailed);

    for (const char *wrong : {"mode sideways", "write-time -5", "fault soon", "frobnicate"})
        EXPECT_EQ(tool(wrong).result, EncoderTool::Usage) << wrong;
}

TEST_P(EncoderToolTest, ShowExplainsCardsItCannotRead)
{
    const Run r = tool({QStringLiteral("show"), writeFile("junk.card", "not a card at all")});
    EXPECT_EQ(r.result, EncoderTool::Success);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Unreadable card (status 0x67900204)"))) << r.out.toStdString();
    EXPECT_EQ(EncoderTool::describeCard(QByteArray()), QStringLiteral("Blank card\n"));
}

TEST_P(EncoderToolTest, HandheldReadOutsForTheDemo)
{
    ASSERT_EQ(encodeGuestCard(101, now + 2), 0);
    const quint32 reg = quint32(cards->GetRegistrationNumber());

    // A read-out file that breaks the format is refused before the unit gets it.
    const QString broken = writeFile("broken.txt", "READOUT 1\nSOURCE 2 yesterday 101\nEND 1 0\n");
    Run r = tool({QStringLiteral("handheld"), QStringLiteral("put"), broken});
    EXPECT_EQ(r.result, EncoderTool::Failed);
    EXPECT_TRUE(r.err.contains(QStringLiteral("line 2"))) << r.err.toStdString();
    EXPECT_TRUE(handheldFolder().pendingReadouts().isEmpty());

    // A sample read-out the server can read (how it reads one: device tests).
    r = tool("handheld sample 101 1");
    ASSERT_EQ(r.result, EncoderTool::Success) << r.err.toStdString();
    const QStringList pending = handheldFolder().pendingReadouts();
    ASSERT_EQ(pending.size(), 1);
    const ReadoutParseResult parsed = parseReadout(readFile(pending.first()));
    ASSERT_EQ(parsed.status, 0) << parsed.reason.toStdString();
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

    r = tool("handheld setup");
    EXPECT_TRUE(r.out.contains(QStringLiteral("not been programmed"))) << r.out.toStdString();
}

TEST_P(EncoderToolTest, FindsTheDeviceFolder)
{
    // Two encoder folders: the tool needs to be told which one.
    VirtualDeviceFolder second(QDir(deviceDir()).filePath(QStringLiteral("encoder2")));
    ASSERT_TRUE(second.create(VirtualDeviceFolder::Kind::Encoder));
    Run r = tool("insert --blank");
    EXPECT_EQ(r.result, EncoderTool::Failed);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--port"))) << r.err.toStdString();
    r = tool("--port encoder2 insert --blank");
    EXPECT_EQ(r.result, EncoderTool::Success) << r.err.toStdString();
    EXPECT_EQ(second.card(), QByteArray());
    EXPECT_FALSE(encoderFolder().hasCard());

    // The handheld folder is the only one of its kind.
    r = tool("handheld list");
    EXPECT_EQ(r.result, EncoderTool::Success) << r.err.toStdString();

    r = tool({QStringLiteral("--dir"), QDir(deviceDir()).filePath(QStringLiteral("nothing")), QStringLiteral("show")});
    EXPECT_EQ(r.result, EncoderTool::Failed);
}

INSTANTIATE_TEST_SUITE_P(Engines, EncoderToolTest, ::testing::Values("sqlite"));
