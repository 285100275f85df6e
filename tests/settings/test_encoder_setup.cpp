#include "DatabaseFixture.h"
#include "FindChild.h"
#include "TempHives.h"
#include "components/recordtable/RecordTable.h"
#include "settings/clsLocalParams.h"
#include "settings/frmEncoderSetup.h"
#include "texts/Texts.h"
#include "ui/Twips.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The devices of an installation: encoders (type 0), handheld units (type 2) and others.
class EncoderSetup : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_texts.setTextFileName(qEnvironmentVariable("OSTRELLE_SOURCE_DIR") + "/texts/ostrelle.rc");
        m_texts.setTextFileMode(true);
        ASSERT_TRUE(m_texts.LoadTextFile());
        TextResources::install(&m_texts);
        encoderB = addDevice(QStringLiteral("Front desk B"), 0);
        encoderA = addDevice(QStringLiteral("Back office"), 0);
        handheld = addDevice(QStringLiteral("Handheld 1"), 2);
        addDevice(QStringLiteral("Property system link"), 5);
    }

    void TearDown() override
    {
        TextResources::install(nullptr);
        DatabaseTest::TearDown();
    }

    qint32 addDevice(const QString &name, qint32 type) { return DatabaseSeeds::addDevice(0, type, QString(), name); }

    static QStringList items(const QComboBox *list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i) + QLatin1Char('=') + list->itemData(i).toString();
        return texts;
    }

    qint32 encoderA = 0;
    qint32 encoderB = 0;
    qint32 handheld = 0;

private:
    TextResources m_texts;
};

TEST_P(EncoderSetup, ListsTheDevicesOfEachTypeByNameWithNoDeviceLast)
{
    frmEncoderSetup dialog(db);
    const QString none = GetText(21104) + QStringLiteral("=0");
    EXPECT_EQ(items(child<QComboBox>(&dialog, QStringLiteral("fraMCEncoder/cboMCEncoder"))),
              QStringList({QStringLiteral("Back office=%1").arg(encoderA),
                           QStringLiteral("Front desk B=%1").arg(encoderB), none}));
    EXPECT_EQ(items(child<QComboBox>(&dialog, QStringLiteral("fraHCU/cboHCU"))),
              QStringList({QStringLiteral("Handheld 1=%1").arg(handheld), none}));
}

// The dialog's behaviour once its lists are filled: SQLite is enough.
class EncoderSetupDialog : public EncoderSetup
{
};

TEST_P(EncoderSetupDialog, SelectsTheCurrentDevicesAndCancelRestoresThem)
{
    struct Row
    {
        const char *what;
        const char *command; // "cmdOK", "cmdCancel" or "" for Esc
        bool changeSelection;
        bool keepsOld;
    };
    const Row rows[] = {
        {"OK takes the chosen devices", "cmdOK", true, false},
        {"Cancel keeps the devices set before", "cmdCancel", true, true},
        {"Esc is Cancel", "", true, true},
        {"OK without a change", "cmdOK", false, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        frmEncoderSetup dialog(db);
        dialog.setMagCardEncoderID(encoderB);
        dialog.setHCUID(0);
        dialog.show();
        auto *encoders = child<QComboBox>(&dialog, QStringLiteral("fraMCEncoder/cboMCEncoder"));
        auto *handhelds = child<QComboBox>(&dialog, QStringLiteral("fraHCU/cboHCU"));
        EXPECT_EQ(encoders->currentText(), QStringLiteral("Front desk B"));
        EXPECT_EQ(handhelds->currentText(), GetText(21104)) << "0 selects no device";
        if (row.changeSelection) {
            encoders->setCurrentIndex(encoders->findData(encoderA));
            handhelds->setCurrentIndex(handhelds->findData(handheld));
        }
        if (*row.command)
            QTest::mouseClick(child<QPushButton>(&dialog, QLatin1String(row.command)), Qt::LeftButton);
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.MagCardEncoderID(), row.keepsOld ? encoderB : encoderA);
        EXPECT_EQ(dialog.HCUID(), row.keepsOld ? 0 : handheld);
    }
}

TEST_P(EncoderSetupDialog, TheProgramsDialogStoresTheChoiceInTheWorkstationSettings)
{
    TempHives hives;
    clsLocalParams params(hives.registry);
    params.ReadLocalParameters();
    params.setMagCardEncoderID(encoderB);
    ASSERT_TRUE(params.WriteLocalParameters());
    for (bool ok : {false, true}) {
        std::unique_ptr<frmEncoderSetup> dialog(CreateEncoderSetup(db, params));
        dialog->show();
        auto *handhelds = child<QComboBox>(dialog.get(), QStringLiteral("fraHCU/cboHCU"));
        handhelds->setCurrentIndex(handhelds->findData(handheld));
        QTest::mouseClick(child<QPushButton>(dialog.get(), ok ? QStringLiteral("cmdOK") : QStringLiteral("cmdCancel")),
                          Qt::LeftButton);
        EXPECT_EQ(params.HCUID(), ok ? handheld : 0);
        EXPECT_EQ(params.MagCardEncoderID(), encoderB);
        EXPECT_EQ(params.isChanged(clsLocalParams::HCUIDProperty), ok) << "Cancel changes nothing";
    }
}

TEST_P(EncoderSetupDialog, SpaceDownAndRightOpenTheDropDown)
{
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Down, Qt::Key_Right}) {
        frmEncoderSetup dialog(db);
        dialog.setMagCardEncoderID(encoderA);
        dialog.show();
        auto *encoders = child<QComboBox>(&dialog, QStringLiteral("fraMCEncoder/cboMCEncoder"));
        encoders->setFocus();
        QTest::keyClick(encoders, key);
        EXPECT_TRUE(encoders->view()->isVisible()) << key;
        EXPECT_EQ(encoders->currentData().toInt(), encoderA) << "the key only opens the list";
        encoders->hidePopup();
    }
}

TEST_P(EncoderSetupDialog, ALongDeviceNameWidensTheListsAndTheDialog)
{
    frmEncoderSetup narrow(db);
    const double perPixel = twipsPerPixelX(&narrow);
    auto *list = child<QComboBox>(&narrow, QStringLiteral("fraMCEncoder/cboMCEncoder"));
    EXPECT_EQ(list->width(), twipsToPixels(3015, perPixel));
    EXPECT_EQ(narrow.width(), twipsToPixels(3015 + 2130, perPixel));

    const QString longName = QStringLiteral("Encoder at the far end of the long corridor, second floor");
    addDevice(longName, 2);
    frmEncoderSetup wide(db);
    const int needed = wide.fontMetrics().horizontalAdvance(longName) + wide.fontMetrics().horizontalAdvance("MMM");
    auto *encoders = child<QComboBox>(&wide, QStringLiteral("fraMCEncoder/cboMCEncoder"));
    auto *handhelds = child<QComboBox>(&wide, QStringLiteral("fraHCU/cboHCU"));
    EXPECT_NEAR(encoders->width(), needed, 1);
    EXPECT_EQ(handhelds->width(), encoders->width()) << "both lists get the width";
    EXPECT_NEAR(wide.width(), needed + twipsToPixels(2130, perPixel), 1);
    const int inner = wide.width() - twipsToPixels(240, perPixel);
    EXPECT_NEAR(child<QGroupBox>(&wide, QStringLiteral("fraMCEncoder"))->width(), inner, 1);
    EXPECT_NEAR(child<QGroupBox>(&wide, QStringLiteral("fraHCU"))->width(), inner, 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, EncoderSetup, ::testing::Values("sqlite", "postgresql"));
INSTANTIATE_TEST_SUITE_P(Sqlite, EncoderSetupDialog, ::testing::Values("sqlite"));

} // namespace
