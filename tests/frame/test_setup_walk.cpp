#include "FindChild.h"
#include "FrameFixture.h"
#include "TestEncoder.h"
#include "admin/AdminWindows.h"
#include "admin/frmUserList.h"
#include "cards/CardWindows.h"
#include "cards/frmGuestCard.h"
#include "components/cardserver/CardImage.h"
#include "components/cardserver/CardsIntf.h"
#include "components/cardserver/VirtualDeviceFolder.h"
#include "components/recordtable/RecordTable.h"
#include "ostrelle-db/RequiredRows.h"
#include "session/Logon.h"
#include "settings/clsSystemParams.h"
#include "ui/grid/RecordGrid.h"
#include "ui/grid/RecordGridModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <cmath>

namespace {

using SetupWalkTest = FrameTest;

void pick(QWidget *form, const char *combo, const QVariant &data)
{
    auto *box = child<QComboBox>(form, QLatin1String(combo));
    const int index = box->findData(data) >= 0 ? box->findData(data) : box->findText(data.toString());
    ASSERT_GE(index, 0) << combo;
    box->setCurrentIndex(index);
}

// A database as the installation tool creates it, set up through the windows until a guest card
// for a room and its common room comes out of the encoder.
TEST_P(SetupWalkTest, ANewInstallationIsSetUpThroughTheWindowsAndIssuesAGuestCard)
{
    QString error;
    ASSERT_TRUE(RequiredRows::seed(db, ws->program.texts, std::floor(now), error)) << error.toStdString();
    ASSERT_TRUE(ws->db.SystemParams->ReadSystemParameters());
    // The installation tool's first operator (create --admin).
    ASSERT_TRUE(RequiredRows::addFirstOperator(db, QStringLiteral("admin"), QStringLiteral("pw"), error))
        << error.toStdString();
    logOn({QStringLiteral("admin")});
    RegisterAdminWindows(*ws);
    RegisterCardWindows(*ws);
    const auto open = [this](const char *command, const char *kind) {
        menuItem(QLatin1String(command))->trigger();
        QWidget *window = frame->childWindow(QLatin1String(kind));
        EXPECT_NE(window, nullptr) << kind;
        return window;
    };
    const auto save = [this](QWidget *form) {
        child<QPushButton>(form, QStringLiteral("cmdSave"))->click();
        EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();
    };

    QWidget *area = open("mnuAddNewDoorArea", "frmDoorAreaData");
    child<QLineEdit>(area, QStringLiteral("txtName"))->setText(QStringLiteral("First floor"));
    save(area);

    QWidget *door = open("mnuAddNewDoor", "frmDoorData");
    child<QLineEdit>(door, QStringLiteral("txtDoorID"))->setText(QStringLiteral("101"));
    child<QCheckBox>(door, QStringLiteral("chkInterval"))->setChecked(true);
    child<QLineEdit>(door, QStringLiteral("txtLastDoorID"))->setText(QStringLiteral("104"));
    pick(door, "cboDoorArea", QStringLiteral("First floor"));
    save(door);
    door = open("mnuAddNewDoor", "frmDoorData");
    child<QLineEdit>(door, QStringLiteral("txtDoorID"))->setText(QStringLiteral("9001"));
    pick(door, "cboCategory", QStringLiteral("C"));
    child<QLineEdit>(door, QStringLiteral("txtDoorName"))->setText(QStringLiteral("Pool"));
    child<QSpinBox>(door, QStringLiteral("txtCommonRoom"))->setValue(1);
    pick(door, "cboDoorArea", QStringLiteral("First floor"));
    save(door);
    EXPECT_EQ(rowCount(TableId::Doors), 5);

    QWidget *user = open("mnuAddNewUser", "frmUserData");
    child<QLineEdit>(user, QStringLiteral("txtAlphaID"))->setText(QStringLiteral("NIGHT"));
    child<QLineEdit>(user, QStringLiteral("txtSurname"))->setText(QStringLiteral("Porter"));
    child<QLineEdit>(user, QStringLiteral("txtFirstname"))->setText(QStringLiteral("Nina"));
    save(user);
    QWidget *op = open("mnuAddNewOperator", "frmOperatorData");
    child<QPushButton>(op, QStringLiteral("cmdChoose"))->click();
    auto *users = dynamic_cast<frmUserList *>(frame->childWindow(QStringLiteral("frmUserList")));
    ASSERT_NE(users, nullptr);
    users->setSearchDelay(0);
    ASSERT_TRUE(QTest::qWaitFor([users] { return !users->searchPending(); }, 1000));
    // The first operator is listed too; the night porter is chosen.
    auto *grid = child<RecordGrid>(users, QStringLiteral("tlvUsers"));
    for (int row = 0; row < grid->gridModel()->rowCount(); ++row) {
        if (grid->gridModel()->rawValue(row, QStringLiteral("alphaID")).toString() == QLatin1String("NIGHT"))
            grid->selectRow(row);
    }
    child<QPushButton>(users, QStringLiteral("cmdSelect"))->click();
    EXPECT_TRUE(child<QLineEdit>(op, QStringLiteral("txtUser"))->text().startsWith(QLatin1String("NIGHT")));
    pick(op, "cboOpTemplate", RequiredRows::ReferenceTemplateId);
    child<QLineEdit>(op, QStringLiteral("txtPassword"))->setText(QStringLiteral("night-pw"));
    child<QLineEdit>(op, QStringLiteral("txtRepeatPassword"))->setText(QStringLiteral("night-pw"));
    save(op);

    // The encoder's folder is the virtual device; its device row comes from the device dialog.
    TestEncoder encoder;
    ASSERT_TRUE(encoder.folder().create(VirtualDeviceFolder::Kind::Encoder));
    ASSERT_NO_FATAL_FAILURE(encoder.setWriteTime(0));
    QWidget *device = open("mnuAddNewDevice", "frmDeviceData");
    child<QLineEdit>(device, QStringLiteral("txtName"))->setText(QStringLiteral("Front desk"));
    child<QComboBox>(device, QStringLiteral("cboType"))->setCurrentIndex(0); // the card encoder
    child<QLineEdit>(device, QStringLiteral("txtPort"))->setText(encoder.folder().path());
    save(device);
    RecordTable devices(db);
    devices.SelectTable(TableId::Devices);
    devices.OpenQuery(QStringLiteral("deviceName = ?"), QString());
    devices.AddParameter(QStringLiteral("Front desk"));
    ASSERT_STATUS(devices, RecordStatus::Ok);
    const qint32 encoderID = devices.GetField(QStringLiteral("deviceID")).toInt();
    devices.CloseQuery();
    ws->cardServers.firstCardsIntf = encoder.cardServer(*ws->db.database, ws->program.ComputerName);
    ws->cardServers.secondCardsIntf = encoder.cardServer(*ws->db.database, ws->program.ComputerName);
    ws->program.LocalParams.setMagCardEncoderID(encoderID);

    // The settings: this hotel does not ask whom a guest card is issued to.
    QWidget *options = open("mnuToolsOptions", "frmOptions");
    child<QCheckBox>(options, QStringLiteral("chkIssueTo"))->setChecked(false);
    child<QPushButton>(options, QStringLiteral("cmdOK"))->click();
    EXPECT_TRUE(messages->shown().empty());
    EXPECT_EQ(ws->db.SystemParams->IssueTo(), 0);

    ws->db.logonTable->Logon(QStringLiteral("admin"), QString());
    ws->session.logon = LogonState{};
    ASSERT_EQ(RunLogonCommand(ws->program, ws->db, ws->cardServers, ws->session, 0, QStringLiteral("NIGHT"),
                              QStringLiteral("night-pw")),
              LogonOutcome::LoggedOn);
    auto *guest = dynamic_cast<frmGuestCard *>(open("mnuACardsGuest", "frmGuestCard"));
    ASSERT_NE(guest, nullptr);
    guest->setPollInterval(0);
    child<QLineEdit>(guest, QStringLiteral("txtRoomNumber"))->setText(QStringLiteral("101"));
    auto *common = child<QListWidget>(guest, QStringLiteral("lvwCommonRooms"));
    ASSERT_EQ(common->count(), 1);
    QTest::mouseClick(common->viewport(), Qt::LeftButton, {}, common->visualItemRect(common->item(0)).center());
    child<QPushButton>(guest, QStringLiteral("cmdMakeCard"))->click();
    EXPECT_TRUE(messages->shown().empty()) << messages->shown().front().text.toStdString();

    RecordTable cards(db);
    cards.SelectTable(TableId::Cards);
    cards.OpenQuery(QStringLiteral("issueOperatorID = ?"), QStringLiteral("registrationNumber"));
    cards.AddParameter(ws->session.logon.CurrentOperatorID);
    ASSERT_STATUS(cards, RecordStatus::Ok);
    CardsIntf reader(*ws->db.database, CardsIntf::Setup{encoder.deviceDirectory()});
    ASSERT_EQ(reader.LoadCard(cards.GetField(QStringLiteral("registrationNumber")).toInt()), 0);
    const CardImage image = reader.image();
    const QList<CardBlock> blocks = {{97, {}, {}, {{100, 101, 101}}}, {98, {}, {}, {{100, 1, 1}}}};
    EXPECT_EQ(image.blocks(), blocks);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Sqlite, SetupWalkTest, ::testing::Values("sqlite"));
