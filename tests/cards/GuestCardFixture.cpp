#include "GuestCardFixture.h"

#include "cards/CardIssue.h"
#include "cards/frmGuestCard.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"

#include <QApplication>
#include <QFile>
#include <QTest>

void GuestCardTest::SetUp()
{
    SessionTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_NO_FATAL_FAILURE(m_encoder.install(db));
    encoder = m_encoder.deviceID();
    ws->cardServers.firstCardsIntf = m_encoder.cardServer(*ws->db.database, ws->program.ComputerName);
    ws->cardServers.secondCardsIntf = m_encoder.cardServer(*ws->db.database, ws->program.ComputerName);
    ws->program.LocalParams.setMagCardEncoderID(encoder);

    for (qint32 room = 101; room <= 108; ++room)
        addDoor(room, QStringLiteral("Room %1").arg(room), QStringLiteral("G"));
    addDoor(901, QStringLiteral("Pool"), QStringLiteral("C"), 1);
    addDoor(902, QStringLiteral("Gym"), QStringLiteral("C"), 2);
    addDoor(903, QStringLiteral("Bar"), QStringLiteral("C"), 3);
    addDoor(12345, QStringLiteral("A 345"), QStringLiteral("G"));
    addDoor(29999, QStringLiteral("B 9999"), QStringLiteral("L"));
    addWing(QStringLiteral("A"), 1, 2);
    addWing(QStringLiteral("B"), 2, -1);

    putParameter(QStringLiteral("NORMALCHECKOUT"), QStringLiteral("660"));
    putParameter(QStringLiteral("DEFAULTSTAY"), QStringLiteral("2"));
    putParameter(QStringLiteral("DEFAULTGUESTCARDS"), QStringLiteral("2"));
    putParameter(QStringLiteral("DEFAULTJOINERCARDS"), QStringLiteral("1"));
    putParameter(QStringLiteral("USEISSUETO"), QStringLiteral("0"));
    setParameter(QStringLiteral("FAMILY"), QStringLiteral("0"));

    logOnDesk({{Authority::CardKindBase + 256, 0, kMaxValidityMinutes},
               {Authority::CardKindBase + 257, 0, kMaxValidityMinutes},
               {Authority::TableRightsBase + 0, Authority::Read},
               {Authority::TableRightsBase + 16, Authority::Read}});
}

void GuestCardTest::TearDown()
{
    delete dialog.data();
    SessionTest::TearDown();
}

CardIssue::Outcome GuestCardTest::encodeCard(CardIssue &issue, qint32 kind, qint32 mainRoom, qint32 first, qint32 last,
                                             const QList<qint32> &common, double expireTime, qint32 numCards)
{
    EXPECT_TRUE(issue.begin());
    EXPECT_TRUE(issue.newCard());
    CardsIntf &c = issue.cards();
    c.BeginBlock(97);
    c.AddDoorRange(100, first, last);
    c.SetCardField(QStringLiteral("mainGuestRoom"), mainRoom);
    c.BeginBlock(98);
    for (qint32 n : common)
        c.AddDoorRange(100, n, n);
    CardFields fields;
    fields.cardNameID = kind;
    fields.userID = 1;
    fields.issueTime = fields.startTime = now - 1.0 / 24;
    fields.expireTime = expireTime;
    fields.numCards = numCards;
    EXPECT_TRUE(issue.setFields(fields));
    return issue.encode(QStringLiteral("stored"));
}

qint32 GuestCardTest::storeCard(qint32 kind, qint32 mainRoom, qint32 first, qint32 last, const QList<qint32> &common,
                                double expireTime)
{
    QWidget owner;
    CardIssue issue(ws->program, ws->cardServers, ws->session, &owner, frmGuestCard::kErrorCode);
    issue.setPollInterval(0);
    EXPECT_EQ(encodeCard(issue, kind, mainRoom, first, last, common, expireTime), CardIssue::Outcome::Done);
    issue.waitUntilReady();
    issue.finish();
    return issue.cards().GetRegistrationNumber();
}

void GuestCardTest::readLastCardBack()
{
    ASSERT_NO_FATAL_FAILURE(m_encoder.reinsertEjectedCard());
    CardsIntf &cards = *ws->cardServers.firstCardsIntf;
    cards.SelectDevice(encoder);
    cards.SetActive(1);
    cards.ReadCard(QStringLiteral("read"));
    ASSERT_TRUE(QTest::qWaitFor([&cards] { return !CardServerStatus::isBusy(cards.GetStatus()); }, 5000));
    ASSERT_EQ(cards.GetStatus(), CardServerStatus::CardRead);
    cards.SetActive(0);
    folder().removeCard();
}

frmGuestCard *GuestCardTest::openDialog(bool joiner)
{
    dialog = new frmGuestCard(ws->program, ws->db, ws->cardServers, ws->session);
    dialog->setPollInterval(0);
    dialog->setGroupChooser([](QList<qint32> &) {
        ADD_FAILURE() << "unexpected group check-in";
        return false;
    });
    if (joiner)
        dialog->setJoiner(true);
    dialog->show();
    QApplication::setActiveWindow(dialog);
    dialog->Activate();
    return dialog;
}

void GuestCardTest::watchPrompts()
{
    setWriteTime(30);
    m_promptTimer.setInterval(1);
    QObject::connect(&m_promptTimer, &QTimer::timeout, [this] {
        const QString shown = folder().prompt();
        if (!shown.isEmpty() && (prompts.isEmpty() || prompts.back() != shown))
            prompts << shown;
    });
    m_promptTimer.start();
}

QList<qint32> GuestCardTest::storedCards()
{
    RecordTable t(db);
    t.SelectTable(TableId::Cards);
    t.OpenQuery(QString(), QStringLiteral("registrationNumber"));
    QList<qint32> numbers;
    for (; t.Status() == RecordStatus::Ok; t.MoveNext())
        numbers << t.GetField(QStringLiteral("registrationNumber")).toInt();
    return numbers;
}

CardImage GuestCardTest::storedImage(qint32 registrationNumber)
{
    CardsIntf reader(*ws->db.database, CardsIntf::Setup{m_encoder.deviceDirectory()});
    EXPECT_EQ(reader.LoadCard(registrationNumber), 0);
    return reader.image();
}

QList<QPair<QString, CardFieldType>> BodyFields(const CardImage &image)
{
    static const QStringList header = {QStringLiteral("cardNameID"), QStringLiteral("registrationNumber"),
                                       QStringLiteral("issueTime"), QStringLiteral("expireTime"),
                                       QStringLiteral("overrideNumber")};
    QList<QPair<QString, CardFieldType>> fields;
    for (const CardField &field : image.fields()) {
        if (!header.contains(field.name))
            fields.append({field.name, field.value.type});
    }
    return fields;
}

INSTANTIATE_TEST_SUITE_P(Engines, GuestCardTest, ::testing::Values("sqlite", "postgresql"));
