#include "PmsKeyFixture.h"
#include "components/cardserver/CardsIntf.h"
#include "pms/PmsLink.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

const QString kGuest = QStringLiteral("256 101 1 2406031100 0");

struct Step
{
    const char *request;
    const char *status;   // AS
    int ejected;          // cards out of the encoder so far
    QStringList cards;    // Cards rows afterwards
    bool stopped = false; // the encoder is stopped while the request runs
};

// The PMS end of the link: sends a record and reads until a record of the type comes.
struct Pms
{
    QTcpSocket socket;
    PmsFrameReader reader;

    QList<PmsRecord> exchange(const QByteArray &text, const QByteArray &until)
    {
        socket.write('\x02' + text + '\x03');
        QList<PmsRecord> got;
        for (int wait = 0; wait < 500 && (got.isEmpty() || got.last().type != until); ++wait) {
            QTest::qWait(10);
            reader.append(socket.readAll());
            while (auto r = reader.next())
                got << *r;
        }
        return got;
    }
};

} // namespace

// A stay walked through by a PMS over the link, with the refusals that issue nothing.
TEST_P(PmsKeyTest, StayOverTheLink)
{
    PmsLink link({.deviceID = 7, .host = "127.0.0.1"}, *service);
    link.start();
    Pms pms;
    pms.socket.connectToHost("127.0.0.1", link.listeningPort());
    ASSERT_TRUE(pms.socket.waitForConnected(2000));
    const QList<PmsRecord> description = pms.exchange("LS|", "LA");
    ASSERT_GE(description.size(), 2);
    EXPECT_EQ(description[1].type, "LD");
    QStringList described;
    for (const PmsRecord &r : description)
        described << r.value("RI");
    for (const char *type : {"KR", "KM", "KD", "KA"})
        EXPECT_TRUE(described.contains(QLatin1String(type))) << type;

    const QString joiner = QStringLiteral("257 101 1 2406031100 0");
    const QString longer = QStringLiteral("256 101 1 2406051000 0");
    const QStringList stay = {kGuest, kGuest, joiner, longer};
    QStringList out;
    for (QString row : stay)
        out << row.replace(QRegularExpression(QStringLiteral("1 (\\d+) 0$")), QStringLiteral("0 \\1 desk"));
    const QStringList next = out + QStringList{QStringLiteral("256 102 1 2406031100 0")};
    const Step steps[] = {
        {"KR|RN101|K#2|KTN|GA240601|GD240603|G#7|WS1|KCFront desk|GNDoe, Jane|", "OK", 2, {kGuest, kGuest}},
        {"KR|RN101|K#2|KTN|GA240601|GD240603|G#7|WS1|KCFront desk|GNDoe, Jane|", "OK", 2, {kGuest, kGuest}},
        {"KR|RN101|K#1|KTD|G#7|WS1|", "OK", 3, {kGuest, kGuest, joiner}},
        {"KM|RN101|GD240605|DT1000|G#7|WS1|", "OK", 4, stay},
        {"KD|RN101|G#7|WS1|", "OK", 4, out},
        {"KR|RN101|KTD|GD240603|", "NV", 4, out},
        {"KR|RN102|GD240603|", "EF", 4, out, true},
        {"KR|RN102|GD240603|", "OK", 5, next},
        {"KR|RN999|GD240603|", "UR", 5, next},
        {"KR|RN102|KO5|GD240603|", "IV", 5, next},
        {"KR|RN102|KCBack office|GD240603|", "NE", 5, next},
        {"KR|RN102|GD240531|", "IV", 5, next},
        {"KR|RN102|GD240620|", "NR", 5, next},
        {"KR|RN102|KTX|GD240603|", "IV", 5, next},
    };
    CardsIntf &server = *ws->cardServers.firstCardsIntf;
    for (const Step &step : steps) {
        SCOPED_TRACE(step.request);
        now += 1.0 / 1440; // a minute between requests
        if (step.stopped)
            server.StopDevice(encoder.deviceID());
        const QList<PmsRecord> answers = pms.exchange(step.request, "KA");
        server.StartDevice(encoder.deviceID());
        ASSERT_FALSE(answers.isEmpty());
        EXPECT_EQ(answers.last().value("AS"), QLatin1String(step.status)) << answers.last().value("CT").toStdString();
        EXPECT_EQ(answers.last().value("RN"), record(step.request).value("RN"));
        EXPECT_EQ(ejected(), step.ejected);
        EXPECT_EQ(cardRows(), step.cards);
    }
    // Refusals and failures are not kept: only the five requests done are.
    EXPECT_EQ(storedRequests(), 5);
}

// A request sent again while it still runs is answered busy and issues nothing.
TEST_P(PmsKeyTest, RepeatWhileRunningIsBusy)
{
    const PmsRecord request = record("KR|RN102|K#1|GD240603|WS1|");
    QList<PmsRecord> answers;
    const auto collect = [&](const PmsRecord &a) { answers << a; };
    encoder.setWriteTime(50);
    QTimer::singleShot(10, [&]() { service->handle(request, collect); });
    service->handle(request, collect);
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0].value("AS"), QLatin1String("BY"));
    EXPECT_EQ(answers[1].value("AS"), QLatin1String("OK"));
    EXPECT_EQ(ejected(), 1);
    EXPECT_EQ(cardRows(), QStringList{QStringLiteral("256 102 1 2406031100 0")});
}

INSTANTIATE_TEST_SUITE_P(Engines, PmsKeyTest, ::testing::Values("sqlite", "postgresql"));
