#include "DatabaseFixture.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// The card list's door filter: which cards open a door, decided by the database.
class GridDoorFilterTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const qint32 user = addUser(QStringLiteral("G1"));
        struct Card
        {
            qint32 number;
            qint32 kind;
            qint32 status;
            qint32 mainRoom;
            QList<qint32> rooms;
        };
        const Card cards[] = {
            {0x100, 256, 1, 101, {101}},      // guest card
            {0x200, 258, 1, 102, {102, 103}}, // suite card
            {0x300, 266, 1, 105, {}},         // one-time card: the card server records no rooms
            {0x400, 256, 4, 205, {205}},      // expired guest card on the second floor
            {0x500, 260, 1, 0, {}},           // employee card: no rooms in the database
        };
        for (const Card &c : cards) {
            ASSERT_NO_FATAL_FAILURE(addCard({.registrationNumber = c.number,
                                             .userID = user,
                                             .cardNameID = c.kind,
                                             .status = c.status,
                                             .mainGuestRoom = c.mainRoom,
                                             .rooms = c.rooms}));
        }
        grid = std::make_unique<RecordGrid>(db);
        ASSERT_TRUE(grid->BindTable(TableId::CardView));
        grid->SetCaptions(QStringLiteral("No"));
        ASSERT_TRUE(grid->SetColumns(QStringLiteral("registrationNumber")));
    }

    QSet<qint32> shown()
    {
        EXPECT_EQ(grid->gridModel()->status(), RecordStatus::Ok) << grid->gridModel()->errorText().toStdString();
        QSet<qint32> out;
        for (int row = 0; row < grid->gridModel()->rowsRead(); ++row)
            out << grid->gridModel()->rawValue(row, QStringLiteral("registrationNumber")).toInt();
        return out;
    }

    std::unique_ptr<RecordGrid> grid;
};

TEST_P(GridDoorFilterTest, ListsTheCardsThatOpenTheDoor)
{
    struct Case
    {
        const char *what;
        qint32 door, start, stop;
        QSet<qint32> cards;
    };
    const Case cases[] = {
        {"no door", 0, 0, 0, {0x100, 0x200, 0x300, 0x400, 0x500}},
        {"a room of a suite", 103, 0, 0, {0x200}},
        {"a main room alone is no room the card opens", 105, 0, 0, {}},
        {"first-floor stair door", 9101, 101, 130, {0x100, 0x200}},
        {"service corridor of both floors", 9501, 101, 230, {0x100, 0x200, 0x400}},
        {"a door without interval nobody has", 9101, 0, 0, {}},
        {"an interval upside down counts as none", 9101, 130, 101, {}},
        {"a room outside the interval still counts", 205, 101, 130, {0x100, 0x200, 0x400}},
    };
    for (const Case &c : cases) {
        grid->SetDoorFilter(c.door, c.start, c.stop);
        grid->RunQuery(QStringLiteral("status >= ?"), QStringLiteral("registrationNumber"));
        grid->AddQueryParameter(0);
        EXPECT_EQ(shown(), c.cards) << c.what;
    }
}

TEST_P(GridDoorFilterTest, CombinesWithTheListsFilterAndHoldsAcrossReloadAndOrdering)
{
    grid->SetDoorFilter(9501, 101, 230);
    // An OR in the list's own filter must not widen the door filter.
    grid->RunQuery(QStringLiteral("status = ? or status = ?"), QString());
    grid->AddQueryParameter(4);
    grid->AddQueryParameter(0);
    EXPECT_EQ(shown(), (QSet<qint32>{0x400}));

    grid->RunQuery(QStringLiteral("status = ?"), QString());
    grid->AddQueryParameter(1);
    EXPECT_EQ(shown(), (QSet<qint32>{0x100, 0x200}));
    grid->ReloadGrid();
    EXPECT_EQ(shown(), (QSet<qint32>{0x100, 0x200}));
    grid->gridModel()->sortByColumn(0, Qt::DescendingOrder);
    EXPECT_EQ(grid->gridModel()->rawValue(0, QStringLiteral("registrationNumber")).toInt(), 0x200);
    EXPECT_EQ(grid->RowTotal(), 2);

    grid->SetDoorFilter(0, 0, 0);
    grid->ReloadGrid();
    EXPECT_EQ(shown(), (QSet<qint32>{0x100, 0x200, 0x300, 0x500}));

    // A list without a filter of its own still takes the door's.
    grid->SetDoorFilter(101, 0, 0);
    grid->RunQuery(QString(), QString());
    EXPECT_EQ(shown(), (QSet<qint32>{0x100}));
}

INSTANTIATE_TEST_SUITE_P(Engines, GridDoorFilterTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
