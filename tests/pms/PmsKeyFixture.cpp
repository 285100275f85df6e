#include "PmsKeyFixture.h"

#include "core/OleDate.h"
#include "session/Authority.h"

#include <QDir>
#include <QSqlQuery>

void PmsKeyTest::SetUp()
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

PmsRecord PmsKeyTest::record(const char *text)
{
    PmsFrameReader reader;
    reader.append('\x02' + QByteArray(text) + '\x03');
    return reader.next().value_or(PmsRecord{});
}

int PmsKeyTest::ejected() const
{
    return int(QDir(encoder.folder().path() + QStringLiteral("/out")).entryList(QDir::Files).size());
}

QStringList PmsKeyTest::cardRows()
{
    QStringList rows;
    QSqlQuery q(db.sqlDatabase());
    q.exec(QStringLiteral("SELECT \"cardNameID\", \"mainGuestRoom\", \"status\", \"expireTime\", \"cancelOperatorID\" "
                          "FROM \"Cards\" ORDER BY \"registrationNumber\""));
    while (q.next()) {
        const qint32 by = q.value(4).toInt();
        rows << QStringLiteral("%1 %2 %3 %4 %5")
                    .arg(q.value(0).toInt())
                    .arg(q.value(1).toInt())
                    .arg(q.value(2).toInt())
                    .arg(OleDate::toDateTime(q.value(3).toDouble()).toString(QStringLiteral("yyMMddhhmm")))
                    .arg(by == deskID ? QStringLiteral("desk") : QString::number(by));
    }
    return rows;
}

int PmsKeyTest::storedRequests()
{
    QSqlQuery q(db.sqlDatabase());
    q.exec(QStringLiteral("SELECT count(*) FROM \"PmsRequests\""));
    return q.next() ? q.value(0).toInt() : -1;
}
