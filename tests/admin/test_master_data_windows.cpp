#include "FindChild.h"
#include "SessionFixture.h"
#include "TestEncoder.h"
#include "admin/DoorAreaStore.h"
#include "admin/frmDeviceData.h"
#include "admin/frmDeviceList.h"
#include "admin/frmDeviceStatus.h"
#include "admin/frmDoorAreaList.h"
#include "admin/frmOverride.h"
#include "admin/frmWingData.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/recordtable/RecordTable.h"
#include "core/OleDate.h"
#include "pms/PmsLinkJournal.h"
#include "session/Authority.h"
#include "ui/frmLog.h"
#include "ui/grid/RecordGrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
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
    QTest::keyClick(child<QLineEdit>(&dialog, QStringLiteral("txtNumber")), Qt::Key_Return); // Enter saves
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

TEST_P(MasterDataWindowTest, DeviceDialogSavesAnAddressedDeviceAndTheListFollowsAndRemovesIt)
{
    logOnDesk({{Authority::TableRightsBase + TableId::Devices, 15}});
    frmDeviceList list(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
    messages->expect(-31143, 0);
    EXPECT_FALSE(list.IsDialogAvailable()) << "the list reads under its view's right, 768";
    frmDeviceData dialog(ws->program, ws->db, ws->session);
    child<QLineEdit>(&dialog, QStringLiteral("txtName"))->setText(QStringLiteral("PMS link"));
    child<QComboBox>(&dialog, QStringLiteral("cboType"))->setCurrentIndex(2);
    child<QLineEdit>(&dialog, QStringLiteral("txtPort"))->setText(QStringLiteral("pms"));
    auto *save = child<QPushButton>(&dialog, QStringLiteral("cmdSave"));
    messages->expect(-29796, 0);
    save->click();
    EXPECT_EQ(dialog.DeviceID(), 0) << "no port";
    child<QLineEdit>(&dialog, QStringLiteral("txtPort"))->setText(QStringLiteral("pms:5010"));
    child<QLineEdit>(&dialog, QStringLiteral("txtAddress"))->setText(QStringLiteral("5"));
    save->click();
    EXPECT_EQ(dialog.DeviceID(), 1005);
    EXPECT_TRUE(child<QLineEdit>(&dialog, QStringLiteral("txtAddress"))->isReadOnly());
    auto *grid = child<RecordGrid>(&list, QStringLiteral("tlvDevices"));
    EXPECT_EQ(grid->RowTotal(), 1) << "the Add notification refreshed the list";

    // The workstation's own device: asked specially, and the workstation forgets it.
    ws->program.LocalParams.setMagCardEncoderID(1005);
    grid->selectAll();
    messages->expect(-29791, 0);
    child<QPushButton>(&list, QStringLiteral("cmdRemove"))->click();
    EXPECT_EQ(rowCount(TableId::Devices), 0);
    EXPECT_EQ(ws->program.LocalParams.MagCardEncoderID(), 0);
    EXPECT_EQ(grid->RowTotal(), 0);
}

TEST_P(MasterDataWindowTest, DeviceStatusStopsAndStartsVirtualEncodersForTheIssuingServerToo)
{
    TestEncoder encoder;
    ASSERT_NO_FATAL_FAILURE(encoder.install(db));
    const qint32 back = addDevice(0, 0, QStringLiteral("back"), QStringLiteral("Back office"));
    addDevice(0, 3, QStringLiteral("pms:5010"), QStringLiteral("PMS link"));
    PmsLinkRow linked{addDevice(0, 3, QStringLiteral("127.0.0.1:5011"), QStringLiteral("PMS west")),
                      PmsLinkState::Linked,
                      OleDate::fromDateTime(QDate(2026, 12, 6), QTime(10, 40)),
                      "10.0.0.5:4711",
                      "PMS-WS",
                      {"in KR|GN***|"}};
    QString error;
    ASSERT_TRUE(writePmsLinkRow(db, linked, &error)) << error.toStdString();
    ws->cardServers.firstCardsIntf = encoder.cardServer(db, ws->program.ComputerName);
    ws->cardServers.secondCardsIntf = encoder.cardServer(db, ws->program.ComputerName);
    ASSERT_EQ(ws->cardServers.secondCardsIntf->StopDevice(back), 0);
    ASSERT_TRUE(encoder.folder().insertCard({}));
    logOnDesk({{Authority::TableRightsBase + TableId::Devices, 5}});
    frmDeviceStatus window(ws->program, ws->db, ws->cardServers, ws->session);
    auto *rows = child<QTreeWidget>(&window, QStringLiteral("lvwDevices"));
    const auto column = [rows](int c) {
        QStringList texts;
        for (int i = 0; i < rows->topLevelItemCount(); ++i)
            texts << rows->topLevelItem(i)->text(c);
        return texts;
    };
    ASSERT_EQ(column(3).mid(0, 3), (QStringList{"Stopped", "Answers", "No state reported"}));
    EXPECT_EQ(column(2)[3], "127.0.0.1:5011, PMS at 10.0.0.5:4711");
    EXPECT_TRUE(column(3)[3].startsWith("Linked since ") && column(3)[3].endsWith("10:40 AM"))
        << column(3)[3].toStdString();
    EXPECT_TRUE(rows->topLevelItem(3)->toolTip(3).endsWith("\nin KR|GN***|"));
    EXPECT_EQ(column(4), (QStringList{"Empty", "Blank card", "", ""}));
    auto *start = child<QPushButton>(&window, QStringLiteral("cmdStart"));
    auto *stop = child<QPushButton>(&window, QStringLiteral("cmdStop"));
    rows->setCurrentItem(rows->topLevelItem(2));
    EXPECT_FALSE(stop->isEnabled()) << "an interface is not started here";
    rows->setCurrentItem(rows->topLevelItem(1));
    stop->click();
    ASSERT_EQ(ws->cardServers.firstCardsIntf->SelectDevice(encoder.deviceID()), CardServerStatus::DeviceNotReady);
    rows->setCurrentItem(rows->topLevelItem(0));
    start->click();
    EXPECT_EQ(column(3).mid(0, 3), (QStringList{"Answers", "Stopped", "No state reported"}));
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, MasterDataWindowTest, ::testing::Values("sqlite", "postgresql"));
