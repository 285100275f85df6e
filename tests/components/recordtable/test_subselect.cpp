#include "DatabaseFixture.h"

#include <QSet>

namespace {

// "field in (select f from T where ...)": a list filters on another table's rows in the database.
class SubSelectTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const qint32 user = addUser(QStringLiteral("G1"));
        // card -> rooms it opens
        const QList<std::pair<qint32, QList<qint32>>> cards = {
            {0x100, {101}}, {0x200, {102, 103}}, {0x300, {205}}, {0x400, {}}};
        for (const auto &[number, rooms] : cards)
            ASSERT_NO_FATAL_FAILURE(addCard({.registrationNumber = number, .userID = user, .rooms = rooms}));
    }

    QSet<qint32> cardsOf(const QString &where, const QVariantList &params, qint32 *status = nullptr)
    {
        RecordTable t(db);
        t.SelectTable(TableId::CardView);
        t.OpenQuery(where, QString());
        for (const QVariant &p : params)
            t.AddParameter(p);
        QSet<qint32> out;
        for (; t.Status() == RecordStatus::Ok; t.MoveNext())
            out << t.GetField(QStringLiteral("registrationNumber")).toInt();
        if (status)
            *status = t.Status() == RecordStatus::NoRecord ? RecordStatus::Ok : t.Status();
        return out;
    }
};

TEST_P(SubSelectTest, FiltersOnTheRowsOfAnotherTable)
{
    const QString sub = QStringLiteral("registrationNumber in (select registrationNumber from CardDoors where ");
    struct Case
    {
        QString where;
        QVariantList params;
        QSet<qint32> cards;
    };
    const Case cases[] = {
        {sub + QStringLiteral("doorID = ?)"), {103}, {0x200}},
        {sub + QStringLiteral("doorID >= ? and doorID <= ?)"), {101, 130}, {0x100, 0x200}},
        {sub + QStringLiteral("doorID = ? or (doorID >= ? and doorID <= ?))"), {205, 101, 101}, {0x100, 0x300}},
        // outer conditions on either side, the markers bound in text order across both tables
        {QStringLiteral("status = ? and ") + sub + QStringLiteral("doorID >= ?) and registrationNumber < ?"),
         {1, 102, 0x300},
         {0x200}},
        {QStringLiteral("registrationNumber not in (select registrationNumber from CardDoors where doorID > ?)"),
         {0},
         {0x400}},
    };
    for (const Case &c : cases) {
        qint32 status = 0;
        EXPECT_EQ(cardsOf(c.where, c.params, &status), c.cards) << c.where.toStdString();
        EXPECT_EQ(status, RecordStatus::Ok) << c.where.toStdString();
    }
    // An inner value is converted to the inner field's type.
    qint32 status = 0;
    EXPECT_TRUE(cardsOf(sub + QStringLiteral("doorID = ?)"), {QStringLiteral("not a number")}, &status).isEmpty());
    EXPECT_EQ(status, RecordStatus::InvalidValue);
}

TEST_P(SubSelectTest, RefusesWhatIsNoCheckedSubSelect)
{
    struct Case
    {
        QString where;
        qint32 status;
    };
    const Case cases[] = {
        {QStringLiteral("registrationNumber in (select registrationNumber from NoSuchTable where doorID = 1)"),
         RecordStatus::InvalidTable},
        {QStringLiteral("registrationNumber in (select surname from CardDoors where doorID = 1)"),
         RecordStatus::InvalidField},
        // the inner filter names the inner table's fields only
        {QStringLiteral("registrationNumber in (select registrationNumber from CardDoors where surname = 1)"),
         RecordStatus::InvalidField},
        // and the outer text the outer fields again after the sub-select
        {QStringLiteral("registrationNumber in (select registrationNumber from CardDoors where doorID = 1) and "
                        "cardName = 1 and doorID = 1"),
         RecordStatus::Ok},
        {QStringLiteral("registrationNumber in (select registrationNumber from CardDoors where doorID = 1) and "
                        "registrationNumber = 1 and expireTime = 1 and cardImageData = 1"),
         RecordStatus::InvalidField},
        {QStringLiteral("registrationNumber = (select registrationNumber from CardDoors where doorID = 1)"),
         RecordStatus::InvalidFilter},
        {QStringLiteral("registrationNumber in (select registrationNumber from CardDoors)"),
         RecordStatus::InvalidFilter},
        {QStringLiteral("registrationNumber in (select registrationNumber from CardDoors where)"),
         RecordStatus::InvalidFilter},
        {QStringLiteral("registrationNumber in (select registrationNumber, doorID from CardDoors where doorID = 1)"),
         RecordStatus::InvalidFilter},
    };
    for (const Case &c : cases) {
        RecordTable t(db);
        t.SelectTable(TableId::CardView);
        t.OpenQuery(c.where, QString());
        const qint32 status = t.Status() == RecordStatus::NoRecord ? RecordStatus::Ok : t.Status();
        EXPECT_EQ(status, c.status) << c.where.toStdString() << "\n" << t.ErrorText(t.Status()).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SubSelectTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
