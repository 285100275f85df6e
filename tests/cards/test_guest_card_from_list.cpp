// A stored guest card found in the card list opens in the guest card dialog the catalog registers.
#include "FindChild.h"
#include "GuestCardFixture.h"
#include "cards/CardKinds.h"
#include "cards/CardWindows.h"
#include "cards/frmGuestCard.h"
#include "texts/Texts.h"
#include "views/CardListQuery.h"
#include "views/frmCardList.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class GuestCardFromListTest : public GuestCardTest
{
protected:
    void SetUp() override
    {
        GuestCardTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        // The desk may also list cards and open them.
        addRight(300, Authority::TableRightsBase + 48, Authority::Read);
        addRight(300, Authority::FunctionBase + 10, 0);
        ws->session.authority.LoadOperatorRights(true);
        RegisterCardWindows(*ws);
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<frmGuestCard *>(w))
                delete w;
        GuestCardTest::TearDown();
    }
};

TEST_P(GuestCardFromListTest, AStoredGuestCardOpensReadOnlyFromTheCardList)
{
    const quint32 number = quint32(storeCard(256, 105, 105, 105, {}, now + 2));
    frmCardList list(ws->program, ws->db, ws->cardServers, ws->session, ws->frameWindows);
    CardSearchFilters filters;
    filters.roomFrom = filters.roomTo = 105;
    list.SetSearchFilters(filters);
    list.StartSearch();
    auto *cmdSelect = command(&list, "cmdSelect");
    ASSERT_TRUE(cmdSelect->isEnabled()) << "the card is listed and may be opened";
    cmdSelect->click();

    frmGuestCard *shown = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *g = qobject_cast<frmGuestCard *>(w))
            shown = g;
    ASSERT_NE(shown, nullptr) << "the card list opened no guest card dialog";
    EXPECT_EQ(shown->windowTitle(), GetText(23500) + QStringLiteral(" - ") + RegistrationNumberText(number) +
                                        QStringLiteral(" (") + GetText(16001) + QLatin1Char(')'));
    EXPECT_TRUE(shown->inputsLocked());
    EXPECT_EQ(box(shown, "txtRoomNumber")->text(), QStringLiteral("105"));
}

// Window-level: the card list query and the card read-back are tested on both engines.
INSTANTIATE_TEST_SUITE_P(Sqlite, GuestCardFromListTest, ::testing::Values("sqlite"));

} // namespace
