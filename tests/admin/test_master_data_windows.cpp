#include "FindChild.h"
#include "SessionFixture.h"
#include "admin/DoorAreaStore.h"
#include "admin/frmDoorAreaList.h"
#include "admin/frmOverride.h"
#include "admin/frmWingData.h"
#include "components/recordtable/RecordTable.h"
#include "session/Authority.h"
#include "ui/frmLog.h"
#include "ui/grid/RecordGrid.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

class MasterDataWindowTest : public SessionTest
{
protected:
    QVariant doorField(qint32 doorID, const char *field)
    {
        RecordTable t(db);
        t.SelectTable(TableId::Doors);
        t.SetField(QStringLiteral("doorID"), doorID);
        t.FindRecord();
        return t.GetField(QLatin1String(field));
    }
};

TEST_P(MasterDataWindowTest, WingDialogShowsTheRangeAndSavesANewWing)
{
    addDoor(12345, QStringLiteral("12345"));
    logOnDesk({{Authority::TableRightsBase + TableId::Wings, 7}});
    frmWingData dialog(ws->program, ws->db, ws->session);
    auto *save = child<QPushButton>(&dialog, QStringLiteral("cmdSave"));
    EXPECT_FALSE(save->isEnabled()) << "nothing typed yet";
    child<QLineEdit>(&dialog, QStringLiteral("txtWingCode"))->setText(QStringLiteral("A"));
    child<QLineEdit>(&dialog, QStringLiteral("txtNumber"))->setText(QStringLiteral("12"));
    EXPECT_EQ(child<QLineEdit>(&dialog, QStringLiteral("txtInterval"))->text(), QStringLiteral("12000 - 12999"));
    ASSERT_TRUE(save->isEnabled());
    save->click();
    EXPECT_EQ(doorField(12345, "doorName").toString(), QStringLiteral("A345"));
    EXPECT_EQ(dialog.WingCode(), QStringLiteral("A"));
    EXPECT_FALSE(child<QLineEdit>(&dialog, QStringLiteral("txtNumber"))->isEnabled()) << "the wing holds a room now";
    EXPECT_FALSE(child<QPushButton>(&dialog, QStringLiteral("cmdUpdate"))->isEnabled()) << "unchanged";
}

TEST_P(MasterDataWindowTest, DoorAreaListRemovesEverySelectedArea)
{
    logOnDesk({{Authority::TableRightsBase + TableId::DoorGroups, 15}});
    DoorAreaStore store(db);
    for (const char *name : {"East", "West"}) {
        DoorAreaStore::Area area{0, QLatin1String(name), 0, {}};
        ASSERT_TRUE(SaveNewDoorArea(store, area).saved);
    }
    frmDoorAreaList list(ws->program, ws->db, ws->session, ws->frameWindows);
    auto *grid = child<RecordGrid>(&list, QStringLiteral("tlvDoorAreas"));
    ASSERT_EQ(grid->RowTotal(), 2);
    grid->selectAll();
    messages->expect(-32508, 0).expect(-32508, 0);
    child<QPushButton>(&list, QStringLiteral("cmdRemove"))->click();
    EXPECT_EQ(messages->shown().at(1).request.arguments, QVariantList{QStringLiteral("West")});
    EXPECT_EQ(rowCount(TableId::DoorGroups), 0);
    EXPECT_EQ(grid->RowTotal(), 0) << "the removal notification refreshed the list";
}

TEST_P(MasterDataWindowTest, OverrideImportLoadsARoomFileAndSavesItOnce)
{
    for (qint32 door : {101, 102}) {
        addDoor(door, QString::number(door));
        RecordTable t(db);
        t.SelectTable(TableId::Doors);
        t.SetField(QStringLiteral("doorID"), door);
        t.FindRecord();
        t.SetField(QStringLiteral("trueRoom"), door);
        t.UpdateRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
    }
    logOnDesk({});
    QTemporaryDir dir;
    const auto file = [&](const QByteArray &records, int extra) {
        QFile f(dir.filePath(QStringLiteral("Roomfile.dat")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(150, 'H') + records + QByteArray(extra, 'x'));
        return f.fileName();
    };
    const auto record = [](const char *room, char overrideNumber, const char *door) {
        QByteArray r(25, '\0');
        r.replace(0, 4, room);
        r[10] = overrideNumber;
        r.replace(20, 5, door);
        return r;
    };
    frmOverride dialog(ws->program, ws->db, ws->session);
    auto *rows = child<QTreeWidget>(&dialog, QStringLiteral("lvwOverride"));
    EXPECT_FALSE(dialog.LoadRoomfile(file({}, 0)));
    EXPECT_TRUE(dialog.LoadRoomfile(file(record("0101", char(250), "00101") + record("0999", 1, "00102"), 0)));
    EXPECT_EQ(rows->topLevelItemCount(), 2);
    EXPECT_FALSE(dialog.LoadRoomfile(file({}, 24))) << "174 bytes";
    EXPECT_EQ(rows->topLevelItemCount(), 2) << "kept";

    int prompts = 0;
    ws->session.authority.setLogonPrompt([&prompts](int mode) {
        EXPECT_EQ(mode, 1) << "password confirmation";
        return ++prompts > 0;
    });
    messages->expect(-32498, 0);
    auto *save = child<QPushButton>(&dialog, QStringLiteral("cmdSave"));
    save->click();
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(doorField(101, "lastOverrideNumber").toInt(), 4) << "250 + 10 wraps";
    EXPECT_EQ(doorField(102, "lastOverrideNumber").toInt(), 0);
    const auto *log = child<QListWidget>(dialog.logWindow(), QStringLiteral("lstDebug"));
    ASSERT_EQ(log->count(), 1);
    EXPECT_TRUE(log->item(0)->text().contains(QStringLiteral("00102"))) << log->item(0)->text().toStdString();
    EXPECT_FALSE(save->isEnabled());
    dialog.logWindow()->close();
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, MasterDataWindowTest, ::testing::Values("sqlite", "postgresql"));
