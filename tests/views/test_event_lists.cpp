#include "CardListFixture.h"
#include "components/cardserver/SampleReadout.h"
#include "components/recordtable/TableDefs.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"
#include "views/EventReadoutWindows.h"
#include "views/RoomOccupancyLists.h"
#include "views/frmEventList.h"
#include "views/frmEventSearchFilters.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// Guest rooms, other doors and an operator who may read lock events and the handheld unit.
class EventViewsTest : public CardListTest
{
protected:
    void SetUp() override
    {
        CardListTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addCardName(256, QStringLiteral("Guest card"));
        addCardName(260, QStringLiteral("Employee card"));
    }

    void addEvent(qint32 door, qint32 registration, double eventTime, bool repeat = false)
    {
        RecordTable t(db);
        t.SelectTable(TableId::Events);
        const std::pair<const char *, QVariant> fields[] = {{"doorID", door},
                                                            {"readoutTime", now},
                                                            {"eventTime", eventTime},
                                                            {"eventCode", 1},
                                                            {"registrationNumber", registration},
                                                            {"cardNameID", 256},
                                                            {"userID", 1},
                                                            {"repeatFlag", repeat ? 1 : 0}};
        for (const auto &[field, value] : fields)
            t.SetField(QLatin1String(field), value);
        t.InsertRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
    }

    // Every row of the grid, as the values of one field.
    static QList<QVariant> column(RecordGrid &grid, const QString &field)
    {
        RecordGridModel *model = grid.gridModel();
        while (model->canFetchMore(QModelIndex()))
            model->fetchMore(QModelIndex());
        QList<QVariant> values;
        for (int row = 0; row < model->rowsRead(); ++row)
            values << model->rawValue(row, field);
        return values;
    }

    static QPushButton *button(QWidget &window, const char *name)
    {
        return window.findChild<QPushButton *>(QLatin1String(name));
    }
};

TEST_P(EventViewsTest, ListsEveryCopyOfACardUpToTheLastSecondOfTheToDayAndMarksRepeats)
{
    const double today = 45444.0; // the pinned clock's day
    addEvent(101, 0x123400, today + 8.0 / 24);
    addEvent(101, 0x1234FF, today + 86399.0 / 86400, true); // 23:59:59
    addEvent(101, 0x1233FF, today + 9.0 / 24);              // the card below
    addEvent(101, 0x123500, today + 9.0 / 24);              // the card above
    addEvent(101, 0x123401, today + 1);                     // tomorrow 00:00
    frmEventList list(ws->program, ws->db, ws->session);
    EventSearchFilters f = checkEventSearch({.registrationFrom = QStringLiteral("1234"),
                                             .registrationTo = QStringLiteral("1234"),
                                             .tickedKinds = {256}})
                               .filters;
    f.eventFrom = f.eventTo = today;
    list.SetSearchFilters(f);
    list.StartSearch();
    EXPECT_EQ(column(list.grid(), QStringLiteral("registrationNumber")), (QList<QVariant>{0x123400, 0x1234FF}));
    const int repeated = column(list.grid(), QStringLiteral("repeatFlag")).indexOf(1);
    ASSERT_GE(repeated, 0);
    RecordGridModel *model = list.grid().gridModel();
    EXPECT_TRUE(model->displayText(repeated, 4).endsWith(QStringLiteral(" (*)")));
    EXPECT_FALSE(model->displayText(1 - repeated, 4).endsWith(QStringLiteral(" (*)")));
    EXPECT_TRUE(button(list, "cmdPrint")->isEnabled());

    f.eventFrom = f.eventTo = today - 1;
    list.SetSearchFilters(f);
    list.StartSearch();
    EXPECT_EQ(list.grid().RowTotal(), 0);
    EXPECT_FALSE(button(list, "cmdPrint")->isEnabled());
}

TEST_P(EventViewsTest, TheSearchDialogRefusesAWideSearchAndTheListTakesTheOneItAccepts)
{
    addEvent(101, 0x123400, now);
    addEvent(101, 0x5000, now);
    frmEventList list(ws->program, ws->db, ws->session);
    list.setSearchDialogRunner([this](QDialog &dialog) {
        messages->expect(-31186);
        button(dialog, "cmdOK")->click(); // every kind, no door, no dates
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        button(dialog, "cmdUncheckAllCards")->click();
        auto *kinds = dialog.findChild<QTreeWidget *>(QStringLiteral("lvwCards"));
        ASSERT_EQ(kinds->topLevelItemCount(), 2);
        emit kinds->itemClicked(kinds->findItems(QStringLiteral("Guest card"), Qt::MatchExactly).value(0), 0);
        dialog.findChild<QLineEdit *>(QStringLiteral("txtRegFrom"))->setText(QStringLiteral("1234"));
        button(dialog, "cmdOK")->click();
    });
    ASSERT_TRUE(list.AskSearchFilters());
    EXPECT_TRUE(messages->allAnswered());
    list.StartSearch();
    EXPECT_EQ(column(list.grid(), QStringLiteral("registrationNumber")), (QList<QVariant>{0x123400}));
}

TEST_P(EventViewsTest, RoomsAreVacantOrOccupiedByTheirNewestCardAgainstTheServerClock)
{
    addDoor(101, QStringLiteral("101"));                                                   // expired a minute ago
    addDoor(102, QStringLiteral("102"));                                                   // never had a card
    addDoor(103, QStringLiteral("103"));                                                   // expires right now
    addDoor(104, QStringLiteral("104"));                                                   // expires tomorrow
    addDoor({.id = 105, .name = QStringLiteral("105"), .category = QStringLiteral("L")});  // likewise
    addDoor({.id = 106, .name = QStringLiteral("Lift"), .category = QStringLiteral("A")}); // no guest door
    addDoor({.id = 107, .name = QStringLiteral("Stairs"), .category = QStringLiteral("E")});
    const double minute = 1.0 / 1440;
    storeCard({0x100, QStringLiteral("Old"), 256, 1, now - minute, 101, {101}});
    storeCard({0x200, QStringLiteral("Now"), 256, 1, now, 103, {103}});
    storeCard({0x300, QStringLiteral("Stay"), 256, 1, now + 1, 104, {104}});
    storeCard({0x400, QStringLiteral("Stay"), 256, 1, now + 1, 105, {105}});
    storeCard({0x500, QStringLiteral("Lift"), 256, 1, now + 1, 106, {106}});

    frmVacantRoomsList vacant(ws->program, ws->db, ws->session);
    EXPECT_EQ(column(vacant.grid(), QStringLiteral("doorID")), (QList<QVariant>{101, 102}));
    EXPECT_TRUE(button(vacant, "cmdPrint")->isEnabled());
    for (const QString &issueTo : {QStringLiteral("0"), QStringLiteral("1")}) {
        setParameter(QStringLiteral("USEISSUETO"), issueTo);
        frmOccupiedRoomsList occupied(ws->program, ws->db, ws->session);
        EXPECT_EQ(column(occupied.grid(), QStringLiteral("doorID")), (QList<QVariant>{104, 105}));
        EXPECT_EQ(occupied.grid().gridModel()->fields().contains(QStringLiteral("surname")), issueTo == "1");
    }
}

TEST_P(EventViewsTest, PrintStaysDisabledOnAnEmptyRoomList)
{
    addDoor({.id = 106, .name = QStringLiteral("Lift"), .category = QStringLiteral("A")});
    frmVacantRoomsList vacant(ws->program, ws->db, ws->session);
    frmOccupiedRoomsList occupied(ws->program, ws->db, ws->session);
    EXPECT_FALSE(button(vacant, "cmdPrint")->isEnabled());
    EXPECT_FALSE(button(occupied, "cmdPrint")->isEnabled());
}

// A card issued on the encoder is used at a door; the handheld unit reads the door out; the
// read-out, its source and the card's event show in all three event windows.
TEST_P(EventViewsTest, ACardUsedAtADoorReachesTheEventListThroughTheHandheldUnit)
{
    addDoor(101, QStringLiteral("Room 101"));
    setParameter(QStringLiteral("EVENT_STOREREADOUT"), QStringLiteral("1"));
    const qint32 card = issueCard(256);
    ASSERT_NE(card, 0);
    const qint32 unitID = addDevice(0, 2, QStringLiteral("handheld"));
    ws->program.LocalParams.setHCUID(unitID);
    VirtualDeviceFolder unit(QDir(m_encoder.deviceDirectory()).filePath(QStringLiteral("handheld")));
    ASSERT_TRUE(unit.create(VirtualDeviceFolder::Kind::Handheld));
    VirtualDeviceFolder::Settings quick = unit.settings();
    quick.readMs = 0;
    ASSERT_TRUE(unit.writeSettings(quick));
    ASSERT_TRUE(unit.addReadout(sampleReadout(m_encoder.folder(), {101}, now)));

    frmGetEvents handheld(ws->program, ws->db, ws->cardServers, ws->session);
    handheld.setPollInterval(1);
    ASSERT_TRUE(handheld.cmdRead_Click());
    ASSERT_EQ(handheld.sources().topLevelItemCount(), 1);
    EXPECT_EQ(handheld.sources().topLevelItem(0)->text(0), QStringLiteral("Room 101"));
    EXPECT_TRUE(column(handheld.events(), QStringLiteral("registrationNumber")).contains(card));

    frmEventList list(ws->program, ws->db, ws->session);
    EventSearchFilters f;
    f.doorID = 101;
    f.registrationFrom = f.registrationTo = card;
    list.SetSearchFilters(f);
    list.StartSearch();
    EXPECT_EQ(column(list.grid(), QStringLiteral("registrationNumber")), (QList<QVariant>{card}));
    EXPECT_EQ(column(list.grid(), QStringLiteral("doorName")), (QList<QVariant>{QStringLiteral("Room 101")}));

    frmReadoutList readouts(ws->program, ws->db, ws->session);
    EXPECT_EQ(column(readouts.readouts(), QStringLiteral("doorID")), (QList<QVariant>{101}));
    EXPECT_TRUE(column(readouts.events(), QStringLiteral("registrationNumber")).contains(card));
}

INSTANTIATE_TEST_SUITE_P(Engines, EventViewsTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
