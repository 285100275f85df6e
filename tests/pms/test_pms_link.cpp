#include "pms/PmsLinkJournal.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Answers a KR with a KA echoing the room; every other request is left unanswered.
class EchoHandler : public PmsRequestHandler
{
public:
    QList<PmsRecordDescription> records() const override { return {{"KR", {"RN", "GN"}}, {"KA", {"AS", "RN"}}}; }
    void handle(const PmsRecord &request, std::function<void(const PmsRecord &)> reply) override
    {
        if (request.type != "KR")
            return;
        PmsRecord answer;
        answer.type = "KA";
        reply(answer.add("AS", "OK").add("RN", request.value("RN")));
    }
};

// The PMS end: reads what the link sends, as "LS", "LR:KR", "KA:101" (AS and RN of a KA).
struct Pms
{
    QTcpSocket *socket;
    PmsFrameReader reader;

    void send(const QByteArray &bytes) { socket->write(bytes), socket->flush(); }
    QStringList read(int count)
    {
        QStringList got;
        for (int wait = 0; got.size() < count && wait < 120; ++wait) {
            QTest::qWait(25);
            reader.append(socket->readAll());
            while (auto r = reader.next()) {
                QString s = QString::fromLatin1(r->type);
                if (r->type == "LR")
                    s += ':' + r->value("RI");
                if (r->type == "KA")
                    s += ':' + r->value("AS") + r->value("RN");
                got << s;
            }
        }
        return got;
    }
};

struct LinkCase
{
    const char *name;
    QByteArray sent;
    QStringList expected;
    bool closes;
};
const QStringList Description{"LD", "LR:KR", "LR:KA", "LR:LS", "LR:LD", "LR:LA", "LR:LE", "LA"};

class PmsLinkCases : public ::testing::TestWithParam<LinkCase>
{
};

TEST_P(PmsLinkCases, AnswersThePms)
{
    EchoHandler handler;
    PmsLink link({.deviceID = 7, .host = "127.0.0.1"}, handler);
    link.start();
    ASSERT_EQ(link.state(), PmsLinkState::Listening);
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", link.listeningPort());
    ASSERT_TRUE(socket.waitForConnected(2000));
    Pms pms{&socket, {}};
    pms.send(GetParam().sent);
    const QStringList &expected = GetParam().expected;
    EXPECT_EQ(pms.read(expected.size()), expected);
    if (GetParam().closes) {
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, 2000);
        EXPECT_EQ(link.state(), PmsLinkState::Listening);
    } else {
        EXPECT_EQ(link.state(), PmsLinkState::Linked);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmsLinkCases,
    ::testing::Values(LinkCase{"Start", "\x02LS|\x03", QStringList{"LS"} + Description, false},
                      LinkCase{"StartAgain", "\x02LS|\x03\x02LA|\x03\x02LS|\x03",
                               QStringList{"LS"} + Description + QStringList{"LS"} + Description, false},
                      LinkCase{"Alive", "\x02LA|\x03", {"LA"}, false},
                      LinkCase{
                          "Request", "\x02KR|RN101|GNMeier|\x03\x02KR|RN102|\x03", {"KA:OK101", "KA:OK102"}, false},
                      LinkCase{"End", "\x02LE|\x03", {"LE"}, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PmsLink, SilenceBreaksTheLinkAfterAnLa)
{
    EchoHandler handler;
    PmsLink link({.deviceID = 7, .host = "127.0.0.1", .aliveInterval = 100ms}, handler);
    link.start();
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", link.listeningPort());
    ASSERT_TRUE(socket.waitForConnected(2000));
    Pms pms{&socket, {}};
    EXPECT_EQ(pms.read(1), QStringList{"LA"});
    QTRY_COMPARE_WITH_TIMEOUT(link.state(), PmsLinkState::Broken, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, 2000);
}

TEST(PmsLink, SecondPmsIsRefused)
{
    EchoHandler handler;
    PmsLink link({.deviceID = 7, .host = "127.0.0.1"}, handler);
    link.start();
    QTcpSocket first, second;
    first.connectToHost("127.0.0.1", link.listeningPort());
    ASSERT_TRUE(first.waitForConnected(2000));
    QTRY_COMPARE_WITH_TIMEOUT(link.state(), PmsLinkState::Linked, 2000);
    second.connectToHost("127.0.0.1", link.listeningPort());
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QAbstractSocket::UnconnectedState, 2000);
    Pms pms{&first, {}};
    pms.send("\x02LA|\x03");
    EXPECT_EQ(pms.read(1), QStringList{"LA"});
}

TEST(PmsLink, ConnectorReconnectsAfterTheServerDrops)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    EchoHandler handler;
    PmsLink link({.deviceID = 7, .listen = false, .host = "127.0.0.1", .port = server.serverPort(), .firstRetry = 50ms},
                 handler);
    QSignalSpy states(&link, &PmsLink::stateChanged);
    link.start();
    for (int round = 0; round < 2; ++round) {
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 3000);
        QTcpSocket *socket = server.nextPendingConnection();
        Pms pms{socket, {}};
        EXPECT_EQ(pms.read(1), QStringList{"LS"}) << round;
        socket->abort();
        delete socket;
    }
    QStringList seen;
    for (const auto &s : states)
        seen << pmsLinkStateName(s.at(0).value<PmsLinkState>());
    EXPECT_EQ(seen.mid(0, 4), (QStringList{"connecting", "linked", "broken", "linked"}));
}

TEST(PmsLinkJournal, NoGuestNameInTheLogOrTheRow)
{
    EchoHandler handler;
    PmsLink link({.deviceID = 7, .host = "127.0.0.1"}, handler);
    QStringList lines;
    PmsLinkJournal journal(link, nullptr, "HOST", [&](const QString &line) { lines << line; });
    link.start();
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", link.listeningPort());
    ASSERT_TRUE(socket.waitForConnected(2000));
    Pms pms{&socket, {}};
    pms.send(QByteArray("\x02KR|RN101|GNM\xc3\xbcller|GFAnna|\x03"));
    EXPECT_EQ(pms.read(1), QStringList{"KA:OK101"});
    ASSERT_EQ(journal.row().lastRecords.size(), 2);
    EXPECT_TRUE(journal.row().lastRecords[0].endsWith(" in KR|RN101|GN***|GF***|"));
    EXPECT_TRUE(lines.filter(" PMS 7 in KR|RN101|GN***|GF***|").size() == 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.filter(QString::fromUtf8("Müller")).isEmpty());
}

} // namespace
