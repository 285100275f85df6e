// The three record patterns, queries and the refusals that protect the database.
#include "DatabaseFixture.h"

using RecordsTest = DatabaseTest;

namespace {
const QString kUserID = QStringLiteral("userID");
const QString kSurname = QStringLiteral("surname");
} // namespace

TEST_P(RecordsTest, ByKeyFindUpdateAndDelete)
{
    const qint32 id = addUser(QStringLiteral("MAYER"), QStringLiteral("Mayer"));
    RecordTable &t = *rt;
    t.SelectTable(TableId::Users);
    t.SetField(kUserID, id);
    t.FindRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.GetField(kSurname).toString(), QStringLiteral("Mayer"));
    EXPECT_EQ(t.GetField(QStringLiteral("deleted")).toInt(), 0) << "column default";
    EXPECT_EQ(t.GetField(QStringLiteral("userGroupID")).typeId(), QMetaType::Short);

    t.SetField(kSurname, QStringLiteral("Meier"));
    t.SetField(QStringLiteral("deleted"), 1);
    t.UpdateRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);

    RecordTable other(db);
    other.SelectTable(TableId::Users);
    other.SetKeyField(QStringLiteral("alphaID"));
    other.SetField(QStringLiteral("alphaID"), QStringLiteral("MAYER"));
    other.FindRecord();
    ASSERT_STATUS(other, RecordStatus::Ok);
    EXPECT_EQ(other.GetField(kSurname).toString(), QStringLiteral("Meier"));
    EXPECT_EQ(other.GetField(kUserID).toInt(), id);

    other.DeleteRecord();
    EXPECT_STATUS(other, RecordStatus::Ok);
    t.SelectTable(TableId::Users);
    t.SetField(kUserID, id);
    t.FindRecord();
    EXPECT_STATUS(t, RecordStatus::NoRecord);
    EXPECT_TRUE(t.GetField(kSurname).isNull());
    EXPECT_STATUS(t, RecordStatus::NoRecord);
    t.UpdateRecord();
    EXPECT_STATUS(t, RecordStatus::NoRecord);
}

TEST_P(RecordsTest, InsertAssignsKeysUnlessGiven)
{
    RecordTable &t = *rt;
    t.SelectTable(TableId::Users);
    t.SetField(kUserID, 777); // ignored without UseGivenKey
    t.SetField(QStringLiteral("alphaID"), QStringLiteral("A"));
    t.InsertRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    const qint32 first = t.GetField(kUserID).toInt();
    EXPECT_NE(first, 777);
    EXPECT_EQ(t.GetField(QStringLiteral("alphaID")).toString(), QStringLiteral("A"));

    t.UseGivenKey();
    t.SetField(kUserID, 5000);
    t.SetField(QStringLiteral("alphaID"), QStringLiteral("B"));
    t.InsertRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.GetField(kUserID).toInt(), 5000);

    // Numbering continues above a given key instead of colliding with it later.
    t.SetField(QStringLiteral("alphaID"), QStringLiteral("C"));
    t.InsertRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_GT(t.GetField(kUserID).toInt(), 5000);

    // Doors: the typed door number is the key and must be given.
    t.SelectTable(TableId::Doors);
    t.SetField(QStringLiteral("doorName"), QStringLiteral("no number"));
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::MissingKey);
    addDoor(101, QStringLiteral("101"));
    t.SelectTable(TableId::Doors);
    t.UseGivenKey();
    t.SetField(QStringLiteral("doorID"), 101);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::DuplicateKey);
    EXPECT_FALSE(t.ErrorText(t.Status()).isEmpty());
}

TEST_P(RecordsTest, DeleteRemovesTheFoundRowOrWithoutFindEveryRowWithTheKeyValue)
{
    for (qint32 code : {0x800000, 0x800010, 0x700003, 0x700004})
        addRight(7, code, 1);
    addRight(8, 0x800000, 1);
    RecordTable &t = *rt;
    t.SelectTable(TableId::TemplateRights);
    // A find on part of the key matches several rows; the delete takes only the one found.
    t.SetField(QStringLiteral("operatorTemplateID"), 7);
    t.FindRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    t.DeleteRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(rowCount(TableId::TemplateRights), 4);
    t.SetField(QStringLiteral("operatorTemplateID"), 7);
    t.DeleteRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(rowCount(TableId::TemplateRights), 1);
    t.SetField(QStringLiteral("operatorTemplateID"), 7);
    t.DeleteRecord();
    EXPECT_STATUS(t, RecordStatus::NoRecord);

    // Both key fields set: find and delete address exactly that row (template dialog's pattern).
    addRight(8, 0x700006, 0);
    t.SetField(QStringLiteral("operatorTemplateID"), 8);
    t.SetField(QStringLiteral("operationCode"), 0x700006);
    t.FindRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    t.DeleteRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(rowCount(TableId::TemplateRights), 1);

    // A find that fails keeps the fields for the insert that follows it.
    t.SetField(QStringLiteral("operatorTemplateID"), 8);
    t.SetField(QStringLiteral("operationCode"), 0x200001);
    t.FindRecord();
    EXPECT_STATUS(t, RecordStatus::NoRecord);
    t.SetField(QStringLiteral("disallowed"), 1);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.GetField(QStringLiteral("operatorTemplateID")).toInt(), 8);
}

TEST_P(RecordsTest, QueryBindsMarkersAndOrders)
{
    addUser(QStringLiteral("U1"), QStringLiteral("Bauer"));
    addUser(QStringLiteral("U2"), QStringLiteral("baumann"));
    addUser(QStringLiteral("U3"), QStringLiteral("Abbau"));
    addUser(QStringLiteral("U4"), QStringLiteral("Zander"));
    RecordTable &t = *rt;
    t.SelectTable(TableId::UserView);

    const auto surnames = [&](const QString &where, const QString &order, const QVariantList &params) {
        QStringList out;
        t.OpenQuery(where, order);
        for (const QVariant &p : params)
            t.AddParameter(p);
        while (t.Status() == RecordStatus::Ok) {
            out << t.GetField(kSurname).toString();
            t.MoveNext();
        }
        EXPECT_STATUS(t, RecordStatus::NoRecord);
        t.CloseQuery();
        return out;
    };
    // Prefix match, whatever the case, never inside the text.
    EXPECT_EQ(surnames(QStringLiteral("surname like ?"), kSurname, {QStringLiteral("ba%")}),
              (QStringList{QStringLiteral("Bauer"), QStringLiteral("baumann")}));
    EXPECT_EQ(surnames(QStringLiteral("userID > ? and deleted = ?"), QStringLiteral("surname desc"),
                       {QVariant::fromValue<qint16>(0), 0}),
              (QStringList{QStringLiteral("Zander"), QStringLiteral("baumann"), QStringLiteral("Bauer"),
                           QStringLiteral("Abbau")}));
    EXPECT_EQ(surnames(QStringLiteral("alphaID in(?,?)"), QStringLiteral("alphaID"),
                       {QStringLiteral("U4"), QStringLiteral("U1")}),
              (QStringList{QStringLiteral("Bauer"), QStringLiteral("Zander")}));
    EXPECT_EQ(surnames(QStringLiteral("(firstname like ? or firstname is null) and userID in()"), QString(),
                       {QStringLiteral("%")}),
              QStringList{})
        << "an empty set matches nothing";
    EXPECT_EQ(surnames(QStringLiteral("userID not in() and surname = ?"), QString(), {QStringLiteral("Abbau")}),
              QStringList{QStringLiteral("Abbau")});

    t.OpenQuery(QStringLiteral("deleted = ?"), QString());
    EXPECT_EQ(t.RowCount(), 0) << "parameters missing";
    EXPECT_STATUS(t, RecordStatus::ParameterMismatch);
    t.AddParameter(0);
    EXPECT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.RowCount(), 4);
    t.AddParameter(1);
    EXPECT_STATUS(t, RecordStatus::ParameterMismatch);
}

TEST_P(RecordsTest, DateAndRangeFiltersOnTheCardList)
{
    addDoor(101, QStringLiteral("Room 101"));
    const qint32 holder = addUser(QStringLiteral("GUEST"), QStringLiteral("Gast"));
    for (int copy = 0; copy < 3; ++copy) {
        ASSERT_NO_FATAL_FAILURE(addCard({.registrationNumber = 1234 * 256 + copy,
                                         .userID = holder,
                                         .mainGuestRoom = 101,
                                         .issueTime = now - 1,
                                         .expireTime = 45443.0 + 23.0 / 24 + copy / 24.0 / 60.0})); // 23:00..23:02
    }
    RecordTable &t = *rt;
    t.SelectTable(TableId::CardView);
    t.OpenQuery(QStringLiteral("registrationNumber >= ? and registrationNumber <= ? and expireTime >= ? and "
                               "expireTime <= ? and status in(1,2,3) and cardNameID in(256,257)"),
                QStringLiteral("registrationNumber desc"));
    t.AddParameter(1234 * 256);
    t.AddParameter(1234 * 256 + 255);
    t.AddParameter(45443.0);
    t.AddParameter(45443.0 + 0.999988425925926);
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.RowCount(), 3);
    EXPECT_EQ(t.GetField(QStringLiteral("registrationNumber")).toInt(), 1234 * 256 + 2);
    EXPECT_EQ(t.GetField(QStringLiteral("alphaID")).toString(), QStringLiteral("GUEST"));
    EXPECT_EQ(t.GetField(QStringLiteral("doorID")).toInt(), 101);
}

TEST_P(RecordsTest, ObjectsKeepTheirOwnState)
{
    for (const char *id : {"A", "B", "C"})
        addUser(QString::fromLatin1(id));
    addDoor(1, QStringLiteral("Pool"), QStringLiteral("C"));
    RecordTable users(db), doors(db);
    users.SelectTable(TableId::Users);
    users.OpenQuery(QString(), QStringLiteral("alphaID"));
    doors.SelectTable(TableId::Doors);
    doors.SetField(QStringLiteral("doorID"), 1);
    doors.FindRecord();
    users.MoveNext();
    doors.SetField(QStringLiteral("doorName"), QStringLiteral("Spa"));
    ASSERT_STATUS(users, RecordStatus::Ok);
    EXPECT_EQ(users.GetField(QStringLiteral("alphaID")).toString(), QStringLiteral("B"));
    doors.UpdateRecord();
    EXPECT_STATUS(doors, RecordStatus::Ok);
    users.MoveNext();
    EXPECT_EQ(users.GetField(QStringLiteral("alphaID")).toString(), QStringLiteral("C"));
    users.MoveNext();
    EXPECT_STATUS(users, RecordStatus::NoRecord);
    EXPECT_STATUS(doors, RecordStatus::Ok);
    EXPECT_EQ(doors.GetField(QStringLiteral("doorName")).toString(), QStringLiteral("Spa"));

    // SelectTable forgets key field, pending values and the query.
    users.SetKeyField(QStringLiteral("alphaID"));
    users.SetField(QStringLiteral("alphaID"), QStringLiteral("A"));
    users.SelectTable(TableId::Users);
    users.FindRecord();
    EXPECT_STATUS(users, RecordStatus::MissingKey);
    users.MoveNext();
    EXPECT_STATUS(users, RecordStatus::NoQuery);
}

TEST_P(RecordsTest, OnlyTheAllowedCommandsRun)
{
    addDoor(101, QStringLiteral("101"));
    addDoor(102, QStringLiteral("102"));
    addUser(QStringLiteral("KEEP"));
    struct Case
    {
        const char *command;
        qint32 status;
        int increment; // of every door afterwards
    };
    const Case cases[] = {
        {"update Doors set overrideIncrement = 3", RecordStatus::Ok, 3},
        {"UPDATE doors SET overrideIncrement=15", RecordStatus::Ok, 15},
        {"update Doors set overrideIncrement = 16", RecordStatus::CommandRefused, 15},
        {"update Doors set overrideIncrement = 3; delete from Users", RecordStatus::CommandRefused, 15},
        {"update Doors set overrideIncrement = -1", RecordStatus::CommandRefused, 15},
        {"update Doors set overrideIncrement = 2 where doorID = 101", RecordStatus::CommandRefused, 15},
        {"drop table Users", RecordStatus::CommandRefused, 15},
        {"delete from Users", RecordStatus::CommandRefused, 15},
        {"CMD: DROP", RecordStatus::CommandRefused, 15},
    };
    RecordTable &t = *rt;
    for (const Case &c : cases) {
        t.ExecuteCommand(QString::fromLatin1(c.command));
        EXPECT_STATUS(t, c.status) << c.command;
        RecordTable doors(db);
        doors.SelectTable(TableId::Doors);
        doors.OpenQuery(QStringLiteral("overrideIncrement = ?"), QString());
        doors.AddParameter(c.increment);
        EXPECT_EQ(doors.RowCount(), 2) << c.command;
    }
    EXPECT_EQ(rowCount(TableId::Users), 1);
}

TEST_P(RecordsTest, UserTextIsStoredVerbatimAndFiltersAreChecked)
{
    const QString hostile = QStringLiteral("O'Brien\"); DROP TABLE \"Users\"; --");
    RecordTable &t = *rt;
    t.SelectTable(TableId::Users);
    t.SetField(QStringLiteral("alphaID"), hostile);
    t.SetField(kSurname, QStringLiteral("x' OR '1'='1"));
    t.InsertRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    t.OpenQuery(QStringLiteral("alphaID = ? and surname like ?"), QString());
    t.AddParameter(hostile);
    t.AddParameter(QStringLiteral("x' OR%"));
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.GetField(QStringLiteral("alphaID")).toString(), hostile);
    EXPECT_EQ(t.RowCount(), 1);
    t.OpenQuery(QStringLiteral("surname = ?"), QString());
    t.AddParameter(QStringLiteral("nobody' OR '1'='1"));
    EXPECT_STATUS(t, RecordStatus::NoRecord);

    struct Case
    {
        const char *where;
        const char *order;
        qint32 status;
    };
    const Case cases[] = {
        {"surname = 'x'", "", RecordStatus::InvalidFilter},
        {"surname = ?; DROP TABLE Users", "", RecordStatus::InvalidFilter},
        {"surname = ? -- comment", "", RecordStatus::InvalidFilter},
        {"(surname = ?", "", RecordStatus::InvalidFilter},
        {"password = ?", "", RecordStatus::InvalidField},
        {"userID > 0 union select 1", "", RecordStatus::InvalidField},
        {"", "surname; DROP TABLE Users", RecordStatus::InvalidField},
        {"", "surname desc, nothing", RecordStatus::InvalidField},
        {"", "surname sideways", RecordStatus::InvalidFilter},
    };
    for (const Case &c : cases) {
        t.OpenQuery(QString::fromLatin1(c.where), QString::fromLatin1(c.order));
        EXPECT_STATUS(t, c.status) << c.where << c.order;
    }
    EXPECT_EQ(rowCount(TableId::Users), 1);
}

TEST_P(RecordsTest, MalformedValuesGiveAStatus)
{
    RecordTable &t = *rt;
    t.SelectTable(TableId::Users);
    struct Case
    {
        const char *field;
        QVariant value;
        qint32 status;
    };
    const Case cases[] = {
        {"userGroupID", QStringLiteral("abc"), RecordStatus::InvalidValue},
        {"userGroupID", 40000, RecordStatus::InvalidValue},
        {"userID", 3.0e9, RecordStatus::InvalidValue},
        {"userID", QStringLiteral("12"), RecordStatus::Ok},
        {"noSuchField", 1, RecordStatus::InvalidField},
        {"surname", 42, RecordStatus::Ok},
    };
    for (const Case &c : cases) {
        t.SetField(QString::fromLatin1(c.field), c.value);
        EXPECT_STATUS(t, c.status) << c.field;
    }
    t.InsertRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.GetField(kSurname).toString(), QStringLiteral("42"));
    EXPECT_TRUE(t.GetField(QStringLiteral("nothing")).isNull());
    EXPECT_STATUS(t, RecordStatus::InvalidField);

    t.OpenQuery(QStringLiteral("userID = ?"), QString());
    t.AddParameter(QStringLiteral("one"));
    EXPECT_STATUS(t, RecordStatus::InvalidValue);

    t.SelectTable(12345);
    EXPECT_STATUS(t, RecordStatus::InvalidTable);
    t.FindRecord();
    EXPECT_STATUS(t, RecordStatus::InvalidTable);
    t.SelectTable(TableId::CardView);
    t.SetField(QStringLiteral("status"), 1);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::ReadOnlyTable);
    // The engine's own refusal (a room for a card that does not exist) comes with its message.
    t.SelectTable(TableId::CardDoors);
    t.SetField(QStringLiteral("registrationNumber"), 999);
    t.SetField(QStringLiteral("doorID"), 101);
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::SqlError);
    EXPECT_TRUE(t.ErrorText(t.Status()).contains(QStringLiteral("foreign key"), Qt::CaseInsensitive))
        << t.ErrorText(t.Status()).toStdString();
    t.SelectTable(TableId::Logons);
    t.SetField(kUserID, 1);
    t.SetField(QStringLiteral("computerName"), QStringLiteral("WS1"));
    t.InsertRecord();
    EXPECT_STATUS(t, RecordStatus::ReadOnlyTable) << "logons are the component's own";
}

TEST_P(RecordsTest, PasswordsAreStoredAsHashesAndKeptOnRewrite)
{
    const qint32 id = addOperator(QStringLiteral("ADMIN"), 1, QStringLiteral("s3cret"));
    RecordTable &t = *rt;
    t.SelectTable(TableId::Passwords);
    t.SetField(kUserID, id);
    t.FindRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    const QString stored = t.GetField(QStringLiteral("password")).toString();
    EXPECT_TRUE(stored.startsWith(QStringLiteral("$argon2id$"))) << stored.toStdString();
    EXPECT_FALSE(stored.contains(QStringLiteral("s3cret")));

    // The one-time rewrite deletes a row and inserts the value it read: the hash stays valid.
    t.DeleteRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    t.SetField(kUserID, id);
    t.SetField(QStringLiteral("password"), stored);
    t.InsertRecord();
    ASSERT_STATUS(t, RecordStatus::Ok);
    EXPECT_EQ(t.GetField(QStringLiteral("password")).toString(), stored);
    RecordTable logon(db);
    logon.Logon(QStringLiteral("admin"), QStringLiteral("s3cret"));
    EXPECT_STATUS(logon, RecordStatus::Ok);
}

TEST_P(RecordsTest, RoomViewShowsTheNewestValidCardOfEachGuestRoom)
{
    addDoor(101, QStringLiteral("101"));
    addDoor(102, QStringLiteral("102"));
    addDoor(103, QStringLiteral("103"));
    addDoor(1, QStringLiteral("Pool"), QStringLiteral("C"));
    const auto issue = [&](qint32 regNo, qint32 door, double issued, double expires) {
        addCard({.registrationNumber = regNo, .rooms = {door}, .issueTime = issued, .expireTime = expires});
    };
    const double minute = 1.0 / 1440;
    issue(256, 101, now - 3, now + 2);      // older card of 101, still valid
    issue(512, 101, now - 1, now - minute); // newest card of 101 expired a minute ago
    issue(768, 102, now - 1, now + 1);      // 102 occupied
    RecordTable &t = *rt;
    t.SelectTable(TableId::RoomView);
    // Door and registration number of every row.
    const auto rooms = [&](const QString &where) {
        QList<QPair<qint32, qint32>> out;
        t.OpenQuery(where, QStringLiteral("doorID"));
        t.AddParameter(QStringLiteral("G"));
        t.AddParameter(QStringLiteral("L"));
        t.AddParameter(now);
        for (; t.Status() == RecordStatus::Ok; t.MoveNext())
            out.append({t.GetField(QStringLiteral("doorID")).toInt(),
                        t.GetField(QStringLiteral("registrationNumber")).toInt()});
        return out;
    };
    using Rows = QList<QPair<qint32, qint32>>;
    EXPECT_EQ(rooms(QStringLiteral("doorCategory in(?,?) and (expireTime < ? or expireTime is NULL)")),
              (Rows{{101, 512}, {103, 0}}));
    EXPECT_EQ(rooms(QStringLiteral("doorCategory in(?,?) and expireTime > ?")), (Rows{{102, 768}}));

    // A cancelled card no longer occupies its room.
    RecordTable cards(db);
    cards.SelectTable(TableId::Cards);
    cards.SetField(QStringLiteral("registrationNumber"), 768);
    cards.FindRecord();
    cards.SetField(QStringLiteral("cancelTime"), now - minute);
    cards.UpdateRecord();
    ASSERT_STATUS(cards, RecordStatus::Ok);
    EXPECT_EQ(rooms(QStringLiteral("doorCategory in(?,?) and expireTime > ?")), Rows{});
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordsTest, ::testing::Values("sqlite", "postgresql"));
