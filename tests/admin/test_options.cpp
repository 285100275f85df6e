#include "FindChild.h"
#include "SessionFixture.h"
#include "admin/OptionsRules.h"
#include "admin/frmOptions.h"
#include "components/recordtable/TableDefs.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using P = clsSystemParams;

TEST(OptionsRules, RefusesTheFirstBadSettingInTableOrder)
{
    const QHash<P::Key, QString> good = {{P::MaxInactiveTimeKey, "30"},  {P::PurgeLimitKey, "90"},
                                         {P::CathStartTimeKey, "02:00"}, {P::NormalCheckOutKey, "12:00"},
                                         {P::NormalCheckInKey, "14:00"}, {P::DefaultStayKey, "1"},
                                         {P::Track2StringKey, "9YYYMM"}, {P::Track2StringStaffKey, ""}};
    const QHash<P::Key, QString> stored = {{P::Track2StringKey, "9YYYMM"}};
    const struct
    {
        QHash<P::Key, QString> typed;
        int key; // -1: accepted
        int message;
    } rows[] = {
        {{}, -1, 0},
        {{{P::MaxInactiveTimeKey, "0"}}, P::MaxInactiveTimeKey, -31157},
        {{{P::MaxInactiveTimeKey, "1441"}}, P::MaxInactiveTimeKey, -31157},
        {{{P::MaxInactiveTimeKey, "1440"}}, -1, 0},
        {{{P::MaxInactiveTimeKey, ""}}, P::MaxInactiveTimeKey, -31157},
        {{{P::PurgeLimitKey, "29"}}, P::PurgeLimitKey, -31161},
        {{{P::PurgeLimitKey, "30"}}, -1, 0},
        {{{P::CathStartTimeKey, ""}}, P::CathStartTimeKey, -31160},
        {{{P::CathStartTimeKey, "24:00"}}, P::CathStartTimeKey, -31160},
        {{{P::CathStartTimeKey, "23:59"}}, -1, 0},
        {{{P::NormalCheckOutKey, " "}}, P::NormalCheckOutKey, -31169},
        {{{P::NormalCheckInKey, ""}}, P::NormalCheckInKey, -31170},
        {{{P::DefaultStayKey, "513"}}, P::DefaultStayKey, -31147},
        {{{P::DefaultStayKey, "0"}}, P::DefaultStayKey, -31147},
        {{{P::DefaultStayKey, "512"}}, -1, 0},
        {{{P::Track2StringKey, "9YYYMMN"}}, P::Track2StringKey, -31162},
        {{{P::Track2StringKey, "97522035000RRRRXNNTDYYMM6012345"}}, -1, 0},
        {{{P::Track2StringStaffKey, "9YMM"}}, P::Track2StringStaffKey, -31162},
        {{{P::DefaultStayKey, "0"}, {P::PurgeLimitKey, "1"}, {P::Track2StringKey, "95N"}}, P::PurgeLimitKey, -31161},
    };
    for (const auto &row : rows) {
        QHash<P::Key, QString> entered = good;
        entered.insert(row.typed);
        const std::optional<SettingsRefusal> refusal = CheckSettings(entered, stored);
        const QString what = row.typed.isEmpty() ? QString() : row.typed.begin().value();
        if (row.key < 0) {
            EXPECT_FALSE(refusal.has_value()) << qPrintable(what);
            continue;
        }
        ASSERT_TRUE(refusal.has_value()) << qPrintable(what);
        EXPECT_EQ(refusal->key, row.key) << qPrintable(what);
        EXPECT_EQ(refusal->message, row.message) << qPrintable(what);
    }
}

} // namespace

// A card dialog with a room box, as the settings window sees it.
class RoomWindow : public QWidget, public RoomListWindow
{
public:
    using QWidget::QWidget;
    void CheckRoomList() override { ++checks; }
    int checks = 0;
};

class OptionsTest : public SessionTest
{
protected:
    // The window inside a frame that also holds a room window.
    frmOptions *open()
    {
        frame = std::make_unique<QWidget>();
        rooms = new RoomWindow(frame.get());
        auto *window = new frmOptions(ws->program, ws->db, ws->session, frame.get());
        EXPECT_TRUE(window->LoadSettings());
        frame->show();
        QApplication::setActiveWindow(frame.get());
        return window;
    }
    // The windows go before the session they were opened in, as the frame's do.
    void TearDown() override
    {
        frame.reset();
        SessionTest::TearDown();
    }
    std::unique_ptr<QWidget> frame;
    RoomWindow *rooms = nullptr;
};

TEST_P(OptionsTest, OkRefusesABadValueOnEachPageAndPutsTheFocusOnIt)
{
    logOnDesk({{0x800000 + TableId::Parameters, 1}, {0x700000 + 3}});
    const struct
    {
        const char *control;
        const char *typed;
        int16_t message;
    } rows[] = {
        {"txtTimeout", "1441", -31157},    {"txtPurgeNonGuestCards", "29", -31161},
        {"txtCathStartTime", "", -31160},  {"txtNormalCheckIn", "25:00", -31170},
        {"txtDefaultNights", "0", -31147}, {"txtTrack2StringStaff", "9YMM", -31162},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.control);
        frmOptions *window = open();
        auto *box = child<QLineEdit>(window, QLatin1String(row.control));
        box->setText(QLatin1String(row.typed));
        child<QCheckBox>(window, QStringLiteral("chkFiveDigits"))->setChecked(true);
        messages->clear();
        messages->expect(row.message);
        child<QPushButton>(window, QStringLiteral("cmdOK"))->click();
        EXPECT_TRUE(messages->allAnswered());
        EXPECT_EQ(QApplication::focusWidget(), box);
        EXPECT_EQ(parameterValue(QStringLiteral("9420_FIVEDIGITS")), QStringLiteral("0"));
    }
}

TEST_P(OptionsTest, OnlyTheSettingsFunctionSavesAndOpenRoomWindowsFollow)
{
    logOnDesk({{0x800000 + TableId::Parameters, 1}, {0x700000 + 3}});
    const struct
    {
        bool settingsFunction;
        const char *typedTimeout;
        bool fiveDigits;
        const char *savedTimeout;
        const char *savedFiveDigits;
        int roomChecks;
    } rows[] = {{true, "45", true, "45", "1", 1}, {false, "60", false, "45", "1", 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.settingsFunction);
        if (!row.settingsFunction) {
            removeRight(kDeskTemplate, 0x700000 + 3);
            ws->session.authority.LoadOperatorRights(true);
        }
        frmOptions *window = open();
        EXPECT_EQ(window->readOnly(), !row.settingsFunction);
        EXPECT_EQ(child<QLabel>(window, QStringLiteral("lblReadOnly"))->isVisibleTo(window), !row.settingsFunction);
        child<QLineEdit>(window, QStringLiteral("txtTimeout"))->setText(QLatin1String(row.typedTimeout));
        child<QCheckBox>(window, QStringLiteral("chkFiveDigits"))->setChecked(row.fiveDigits);
        child<QPushButton>(window, QStringLiteral("cmdOK"))->click();
        EXPECT_EQ(parameterValue(QStringLiteral("MAXINACTIVETIME")), QLatin1String(row.savedTimeout));
        EXPECT_EQ(parameterValue(QStringLiteral("9420_FIVEDIGITS")), QLatin1String(row.savedFiveDigits));
        EXPECT_EQ(ws->db.SystemParams->Timeout(), QByteArray(row.savedTimeout).toInt());
        EXPECT_EQ(rooms->checks, row.roomChecks);
        EXPECT_TRUE(messages->shown().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, OptionsTest, ::testing::Values("sqlite", "postgresql"));
