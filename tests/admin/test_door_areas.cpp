#include "SessionFixture.h"
#include "admin/DoorAreaStore.h"
#include "admin/MasterDataRemoval.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"

namespace {

class DoorAreaTest : public SessionTest
{
protected:
    qint32 saveArea(const QString &name, const QString &note = {})
    {
        DoorAreaStore::Area area{0, name, 0, note};
        EXPECT_TRUE(SaveNewDoorArea(store, area).saved) << name.toStdString();
        return area.doorGroupID;
    }
    // A door of the area with a note of its own.
    void addNotedDoor(qint32 doorID, qint32 area)
    {
        addDoor({.id = doorID, .name = QString::number(doorID), .group = area});
        RecordTable t(db);
        qint32 noteID = 0;
        ASSERT_TRUE(InsertNote(t, QStringLiteral("door note"), noteID).ok());
        t.SelectTable(TableId::Doors);
        t.SetField(QStringLiteral("doorID"), doorID);
        t.FindRecord();
        t.SetField(QStringLiteral("noteID"), noteID);
        t.UpdateRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
    }
    RemovalContext context() { return {db, *messages, ws->session.notify, ws->session.authority}; }

    DoorAreaStore store{db};
};

TEST_P(DoorAreaTest, NamesAreRequiredAndUnique)
{
    const qint32 first = saveArea(QStringLiteral("Floor 1"), QStringLiteral("north"));
    const qint32 second = saveArea(QStringLiteral("Floor 2"));
    const struct
    {
        qint32 doorGroupID; // 0: a new area
        const char *name;
        int16_t message;
    } rows[] = {
        {0, "Floor 1", -31192}, {0, "", -31209}, {second, "Floor 1", -31192}, {first, "Floor 1", 0}, {0, "Floor 3", 0},
    };
    for (const auto &row : rows) {
        DoorAreaStore::Area area;
        if (row.doorGroupID != 0) {
            ASSERT_TRUE(store.load(row.doorGroupID, area).ok());
        }
        area.name = QLatin1String(row.name);
        const SaveOutcome outcome = row.doorGroupID ? UpdateDoorArea(store, area) : SaveNewDoorArea(store, area);
        EXPECT_EQ(outcome.message, row.message) << row.name;
        EXPECT_EQ(outcome.focus, row.message ? SaveOutcome::Focus::Name : SaveOutcome::Focus::None) << row.name;
    }
    EXPECT_EQ(rowCount(TableId::DoorGroups), 3);
}

TEST_P(DoorAreaTest, RemovingAnAreaRemovesItsDoorsAndTheirNotes)
{
    const qint32 kept = saveArea(QStringLiteral("Kept"));
    const qint32 withDoors = saveArea(QStringLiteral("Wing"), QStringLiteral("area note"));
    addNotedDoor(101, withDoors);
    addNotedDoor(102, withDoors);
    addNotedDoor(201, kept);
    ASSERT_EQ(rowCount(TableId::Notes), 4);

    // Without the right to delete doors the area stays, doors and all.
    logOnDesk({{Authority::TableRightsBase + TableId::Doors, 7}});
    messages->expect(-31744).expect(-32493, 0).expect(-31143);
    EXPECT_TRUE(RemoveDoorAreas(context(), {{withDoors, QStringLiteral("Wing")}}).isEmpty());
    EXPECT_EQ(rowCount(TableId::Doors), 3);

    changeRight(kDeskTemplate, Authority::TableRightsBase + TableId::Doors, 8);
    ws->session.authority.LoadOperatorRights(true);
    messages->clear();
    messages->expect(-31744).expect(-32493, 0);
    EXPECT_EQ(RemoveDoorAreas(context(), {{withDoors, QStringLiteral("Wing")}}), QList<qint32>{withDoors});
    EXPECT_EQ(messages->shown().at(1).request.arguments, QVariantList{QStringLiteral("Wing")});
    EXPECT_EQ(messages->shown().at(1).request.buttonNumbers, std::vector<int16_t>{17006});
    EXPECT_EQ(rowCount(TableId::Doors), 1);
    EXPECT_TRUE(hasRow(TableId::Doors, QStringLiteral("doorID"), 201));
    EXPECT_EQ(rowCount(TableId::Notes), 1) << "only the kept door's note";
    EXPECT_EQ(rowCount(TableId::DoorGroups), 1);
}

TEST_P(DoorAreaTest, SeveralAreasWithoutDoorsGoAfterYesToAll)
{
    const QList<DoorAreaRow> areas{{saveArea(QStringLiteral("A")), QStringLiteral("A")},
                                   {saveArea(QStringLiteral("B")), QStringLiteral("B")},
                                   {saveArea(QStringLiteral("C")), QStringLiteral("C")}};
    messages->expect(-32508, 2).expect(-32508, 1);
    EXPECT_EQ(RemoveDoorAreas(context(), areas), QList<qint32>({areas[1].doorGroupID, areas[2].doorGroupID}));
    EXPECT_EQ(messages->shown().at(0).request.buttonNumbers, std::vector<int16_t>{17008});
    EXPECT_EQ(rowCount(TableId::DoorGroups), 1);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, DoorAreaTest, ::testing::Values("sqlite", "postgresql"));
