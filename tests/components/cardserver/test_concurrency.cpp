// Two workstations issuing at the same time on one database: every card gets its own number.
#include "ServerFixture.h"
#include "components/cardserver/CardServerStatus.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSqlQuery>

namespace {

const char *const kWorkerDb = "OSTRELLE_CS_WORKER_DB";

} // namespace

// The other workstation: this test program started again with the worker's settings in its
// environment. Skipped in a normal run.
TEST(ConcurrencyWorker, IssueCards)
{
    const QString connection = qEnvironmentVariable(kWorkerDb);
    if (connection.isEmpty())
        GTEST_SKIP() << "started by ConcurrencyTest only";
    const QString computer = qEnvironmentVariable("OSTRELLE_CS_WORKER_COMPUTER");
    const int count = qEnvironmentVariableIntValue("OSTRELLE_CS_WORKER_COUNT");
    RecordDatabase db;
    db.setComputerName(computer);
    ASSERT_TRUE(db.open(connection)) << db.errorText().toStdString();
    CardsIntf cards(db, CardsIntf::Setup{qEnvironmentVariable("OSTRELLE_CS_WORKER_DIR")});
    ASSERT_EQ(cards.Negotiate(computer), 0);
    ASSERT_EQ(cards.SelectDevice(qEnvironmentVariableIntValue("OSTRELLE_CS_WORKER_DEVICE")), 0);
    for (int i = 0; i < count; ++i) {
        buildGuestCard(cards, 101 + i % 3, 45444.5 + 1);
        // The user tells the workstations' cards apart afterwards.
        ASSERT_EQ(cards.SetCardField(QStringLiteral("userID"), qEnvironmentVariableIntValue("OSTRELLE_CS_WORKER_USER")),
                  0);
        ASSERT_EQ(cards.EncodeCard(QStringLiteral("Guest card")), 0);
        const qint32 status = waitWhileBusy(cards, 30000);
        ASSERT_EQ(status, 0) << hexStatus(status) << " " << cards.GetStatusText(status).toStdString();
    }
}

using ConcurrencyTest = ServerTest;

TEST_P(ConcurrencyTest, TwoWorkstationsNeverShareANumber)
{
    constexpr int kPerWorkstation = 200;
    putParameter(QStringLiteral("REGNUM_FIRST"), QStringLiteral("1000"));
    putParameter(QStringLiteral("REGNUM_LAST"), QStringLiteral("1399"));
    QList<QProcess *> workers;
    for (int w = 0; w < 2; ++w) {
        const qint32 device = 11 + w;
        const QString port = QStringLiteral("ws%1").arg(w);
        addDevice(device, 0, port);
        VirtualDeviceFolder folder(QDir(deviceDir()).filePath(port));
        ASSERT_TRUE(folder.create(VirtualDeviceFolder::Kind::Encoder));
        VirtualDeviceFolder::Settings s = folder.settings();
        s.writeMs = s.ejectMs = s.readMs = s.pollMs = 0;
        ASSERT_TRUE(folder.writeSettings(s));

        auto *p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kWorkerDb), connectionString());
        env.insert(QStringLiteral("OSTRELLE_CS_WORKER_COMPUTER"), QStringLiteral("WS%1").arg(w + 10));
        env.insert(QStringLiteral("OSTRELLE_CS_WORKER_COUNT"), QString::number(kPerWorkstation));
        env.insert(QStringLiteral("OSTRELLE_CS_WORKER_DIR"), deviceDir());
        env.insert(QStringLiteral("OSTRELLE_CS_WORKER_DEVICE"), QString::number(device));
        env.insert(QStringLiteral("OSTRELLE_CS_WORKER_USER"), QString::number(100 + w));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        workers << p;
    }
    // Both start before either has issued much, so their allocations interleave.
    for (QProcess *p : workers)
        p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=ConcurrencyWorker.*")});
    for (QProcess *p : workers) {
        ASSERT_TRUE(p->waitForStarted(10000));
        ASSERT_TRUE(p->waitForFinished(180000)) << "worker did not finish";
        const QByteArray output = p->readAll();
        EXPECT_EQ(p->exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    }
    qDeleteAll(workers);

    QSqlQuery q(db.sqlDatabase());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT \"registrationNumber\" / 256), "
                                      "MIN(\"registrationNumber\"), MAX(\"registrationNumber\"), "
                                      "MAX(\"registrationNumber\" % 256) FROM \"Cards\"")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 2 * kPerWorkstation);
    EXPECT_EQ(q.value(1).toInt(), 2 * kPerWorkstation) << "every card has its own number";
    EXPECT_GE(q.value(2).toInt(), 1000 * 256);
    EXPECT_LE(q.value(3).toInt(), 1399 * 256 + 255);
    EXPECT_EQ(q.value(4).toInt(), 0);
    q.finish();
    // The two really ran at the same time: in number order the workstations take turns.
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT \"userID\" FROM \"Cards\" ORDER BY \"registrationNumber\"")));
    int turns = 0, previous = -1;
    while (q.next()) {
        turns += previous != -1 && q.value(0).toInt() != previous ? 1 : 0;
        previous = q.value(0).toInt();
    }
    q.finish();
    EXPECT_GT(turns, 1);

    // The range is used up now.
    CARD_STATUS_EQ(encodeGuestCard(101, now + 1), CardServerStatus::RangeExhausted);
}

INSTANTIATE_TEST_SUITE_P(Engines, ConcurrencyTest, ::testing::Values("sqlite", "postgresql"));
