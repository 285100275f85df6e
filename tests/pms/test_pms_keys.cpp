#include "SessionFixture.h"
#include "TestEncoder.h"
#include "core/OleDate.h"
#include "pms/PmsKeyService.h"
#include "pms/PmsLink.h"
#include "session/Authority.h"

#include <QDir>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

PmsRecord record(const QByteArray &text)
{
    PmsFrameReader reader;
    reader.append('\x02' + text + '\x03');
    return reader.next().value_or(PmsRecord{});
}

// Guest rooms 101 to 103, the common rooms Pool (1) and Gym (2), the encoder "Front desk" writing
// at once, and "desk" logged on, who may give guest and joiner cards for a week.
class PmsKeyTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_NO_FATAL_FAILURE(encoder.install(db));
        ws->cardServers.firstCardsIntf = encoder.cardServer(*ws->db.database, ws->program.ComputerName);
        ws->cardServers.secondCardsIntf = encoder.cardServer(*ws->db.database, ws->program.ComputerName);
        ws->program.LocalParams.setMagCardEncoderID(encoder.deviceID());
        for (qint32 room = 101; room <= 103; ++room)
            addDoor(room, QStringLiteral("Room %1").arg(room), QStringLiteral("G"));
        addDoor(901, QStringLiteral("Pool"), QStringLiteral("C"), 1);
        addDoor(902, QStringLiteral("Gym"), QStringLiteral("C"), 2);
        putParameter(QStringLiteral("NORMALCHECKOUT"), QStringLiteral("660"));
        putParameter(QStringLiteral("USEISSUETO"), QStringLiteral("0"));
        setParameter(QStringLiteral("FAMILY"), QStringLiteral("0"));
        logOnDesk({{Authority::CardKindBase + 256, 0, 7 * 1440}, {Authority::CardKindBase + 257, 0, 7 * 1440}});
        service = std::make_unique<PmsKeyService>(ws->program, ws->db, ws->cardServers, ws->session);
        service->setPollInterval(1);
    }

    int ejected() const { return int(QDir(encoder.folder().path() + "/out").entryList(QDir::Files).size()); }
    // Every Cards row: kind, main room, status, expiry and who cancelled it ("desk" or 0).
    QStringList cardRows()
    {
        QStringList rows;
        QSqlQuery q(db.sqlDatabase());
        q.exec("SELECT \"cardNameID\", \"mainGuestRoom\", \"status\", \"expireTime\", \"cancelOperatorID\" FROM "
               "\"Cards\" ORDER BY \"registrationNumber\"");
        while (q.next()) {
            const QString by = q.value(4).toInt() == deskID ? "desk" : QString::number(q.value(4).toInt());
            rows << q.value(0).toString() + ' ' + q.value(1).toString() + ' ' + q.value(2).toString() + ' ' +
                        OleDate::toDateTime(q.value(3).toDouble()).toString("yyMMddhhmm") + ' ' + by;
        }
        return rows;
    }
    TestEncoder encoder;
    std::unique_ptr<PmsKeyService> service;
};

struct Step
{
    const char *request;
    const char *status;   // AS
    int ejected;          // cards out of the encoder so far
    QStringList cards;    // Cards rows afterwards
    bool stopped = false; // the encoder is stopped while the request runs
};

} // namespace
// A stay walked through by a PMS over the link on 127.0.0.1, with the refusals that issue nothing.
TEST_P(PmsKeyTest, StayOverTheLink)
{
    PmsLink link({.deviceID = 7, .host = "127.0.0.1"}, *service);
    link.start();
    QTcpSocket pms;
    pms.connectToHost("127.0.0.1", link.listeningPort());
    ASSERT_TRUE(pms.waitForConnected(2000));
    PmsFrameReader reader;
    const auto exchange = [&](const QByteArray &text, const QByteArray &until) {
        pms.write('\x02' + text + '\x03');
        QList<PmsRecord> got;
        for (int wait = 0; wait < 500 && (got.isEmpty() || got.last().type != until); ++wait) {
            QTest::qWait(10);
            reader.append(pms.readAll());
            while (auto r = reader.next())
                got << *r;
        }
        return got;
    };
    QStringList described; // the link start gets the description, with the key records' fields
    for (const PmsRecord &r : exchange("LS|", "LA"))
        described << QString::fromLatin1(r.type) + r.value("RI");
    EXPECT_TRUE(described.contains("LD") && described.contains("LRKR") && described.contains("LRKD"))
        << described.join(' ').toStdString();
    const QString guest = "256 101 1 2406031100 0", joiner = "257 101 1 2406031100 0";
    const QStringList stay = {guest, guest, joiner, "256 101 1 2406051000 0"};
    QStringList out;
    for (QString row : stay)
        out << row.replace(QRegularExpression("1 (\\d+) 0$"), "0 \\1 desk");
    const QStringList next = out + QStringList{"256 102 1 2406031100 0"};
    const Step steps[] = {
        {"KR|RN101|K#2|KTN|GA240601|GD240603|G#7|WS1|KCFront desk|GNDoe, Jane|", "OK", 2, {guest, guest}},
        {"KR|RN101|K#2|KTN|GA240601|GD240603|G#7|WS1|KCFront desk|GNDoe, Jane|", "OK", 2, {guest, guest}},
        {"KR|RN101|K#1|KTD|G#7|WS1|", "OK", 3, {guest, guest, joiner}},
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
        const QList<PmsRecord> answers = exchange(step.request, "KA");
        server.StartDevice(encoder.deviceID());
        ASSERT_FALSE(answers.isEmpty());
        EXPECT_EQ(answers.last().value("AS"), QLatin1String(step.status)) << answers.last().value("CT").toStdString();
        EXPECT_EQ(answers.last().value("RN"), record(step.request).value("RN"));
        EXPECT_EQ(ejected(), step.ejected);
        EXPECT_EQ(cardRows(), step.cards);
    }
    // Refusals and failures are not kept: only the five requests done are.
    QSqlQuery stored(db.sqlDatabase());
    ASSERT_TRUE(stored.exec("SELECT count(*) FROM \"PmsRequests\"") && stored.next());
    EXPECT_EQ(stored.value(0).toInt(), 5);
}

// A request sent again while it still runs is answered busy and issues nothing.
TEST_P(PmsKeyTest, RepeatWhileRunningIsBusy)
{
    const PmsRecord request = record("KR|RN102|K#1|GD240603|WS1|");
    QStringList answers;
    const auto collect = [&](const PmsRecord &a) { answers << a.value("AS"); };
    encoder.setWriteTime(50);
    QTimer::singleShot(10, [&]() { service->handle(request, collect); });
    service->handle(request, collect);
    EXPECT_EQ(answers, (QStringList{"BY", "OK"}));
    EXPECT_EQ(ejected(), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, PmsKeyTest, ::testing::Values("sqlite", "postgresql"));
