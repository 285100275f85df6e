#include "PmsKeyFixture.h"
#include "components/cardserver/CardsIntf.h"

#include <QTimer>

namespace {

const QString kGuest = QStringLiteral("256 101 1 2406031100 0");

struct Step
{
    const char *request;
    const char *status; // AS
    int ejected;        // cards out of the encoder so far
    QStringList cards;  // Cards rows afterwards
};

} // namespace

// A stay walked through as a PMS sends it, and the refusals that issue nothing.
TEST_P(PmsKeyTest, RequestsIssueAndCancelTheRoomsCards)
{
    const QString joiner = QStringLiteral("257 101 1 2406031100 0");
    const QString longer = QStringLiteral("256 101 1 2406051000 0");
    const QStringList stay = {kGuest, kGuest, joiner, longer};
    QStringList checkedOut;
    for (QString row : stay)
        checkedOut << row.replace(QRegularExpression(QStringLiteral("1 (\\d+) 0$")), QStringLiteral("0 \\1 desk"));
    const Step steps[] = {
        {"KR|RN101|K#2|KTN|GA240601|GD240603|G#7|WS1|KCFront desk|GNDoe, Jane", "OK", 2, {kGuest, kGuest}},
        {"KR|RN101|K#2|KTN|GA240601|GD240603|G#7|WS1|KCFront desk|GNDoe, Jane", "OK", 2, {kGuest, kGuest}},
        {"KR|RN101|K#1|KTD|G#7|WS1", "OK", 3, {kGuest, kGuest, joiner}},
        {"KM|RN101|GD240605|DT1000|G#7|WS1", "OK", 4, stay},
        {"KD|RN101|G#7|WS1", "OK", 4, checkedOut},
        {"KR|RN101|KTD|GD240603", "NV", 4, checkedOut},
        {"KR|RN999|GD240603", "UR", 4, checkedOut},
        {"KR|RN102|KO5|GD240603", "IV", 4, checkedOut},
        {"KR|RN102|KCBack office|GD240603", "NE", 4, checkedOut},
        {"KR|RN102|GD240531", "IV", 4, checkedOut},
        {"KR|RN102|GD240620", "NR", 4, checkedOut},
        {"KR|RN102|KTX|GD240603", "IV", 4, checkedOut},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.request);
        std::optional<PmsRecord> answer;
        service->handle(record(step.request), [&](const PmsRecord &a) { answer = a; });
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->value("AS"), QLatin1String(step.status)) << answer->value("CT").toStdString();
        EXPECT_EQ(answer->value("RN"), record(step.request).value("RN"));
        EXPECT_EQ(ejected(), step.ejected);
        EXPECT_EQ(cardRows(), step.cards);
    }
    // The refusals are not kept: only the five requests that were done are.
    EXPECT_EQ(storedRequests(), 5);
}

// A stopped encoder gives a clear status and stores nothing; the PMS's next try is worked on again.
// A request sent again while it still runs is answered busy and issues nothing.
TEST_P(PmsKeyTest, BrokenEncoderAndRepeatWhileRunning)
{
    const PmsRecord request = record("KR|RN102|K#1|GD240603|WS1");
    QList<PmsRecord> answers;
    const auto collect = [&](const PmsRecord &a) { answers << a; };
    ASSERT_EQ(ws->cardServers.firstCardsIntf->StopDevice(encoder.deviceID()), 0);
    service->handle(request, collect);
    EXPECT_EQ(cardRows(), QStringList());
    EXPECT_EQ(storedRequests(), 0);

    ws->cardServers.firstCardsIntf->StartDevice(encoder.deviceID());
    encoder.setWriteTime(50);
    QTimer::singleShot(10, [&]() { service->handle(request, collect); });
    service->handle(request, collect);
    ASSERT_EQ(answers.size(), 3);
    EXPECT_EQ(answers[0].value("AS"), QLatin1String("EF"));
    EXPECT_FALSE(answers[0].value("CT").isEmpty());
    EXPECT_EQ(answers[1].value("AS"), QLatin1String("BY"));
    EXPECT_EQ(answers[2].value("AS"), QLatin1String("OK"));
    EXPECT_EQ(ejected(), 1);
    EXPECT_EQ(cardRows(), QStringList{QStringLiteral("256 102 1 2406031100 0")});
}

INSTANTIATE_TEST_SUITE_P(Engines, PmsKeyTest, ::testing::Values("sqlite", "postgresql"));
