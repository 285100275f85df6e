#include "FindChild.h"
#include "SessionFixture.h"
#include "cards/frmGroupCheckIn.h"
#include "components/recordtable/RecordTable.h"
#include "platform/BusySignal.h"

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace {

class RecordingBusy : public BusySignal
{
public:
    void SetBusyState(int16_t state, int16_t) override { states.push_back(state); }
    void SetBusyPointer(bool) override {}
    bool BusyPointerShown() const override { return false; }
    std::vector<int16_t> states;
};

// Three door areas: "North" with guest rooms 201 to 203, "East" with one room of each category
// 101 to 108 (G, L, A, C, E, V, Z, O), "Annex" with none; the caller sees them in name order.
class GroupCheckInTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addDoorGroup(north, QStringLiteral("North"));
        addDoorGroup(east, QStringLiteral("East"));
        addDoorGroup(annex, QStringLiteral("Annex"));
        for (qint32 room : {201, 202, 203})
            addRoom(room, north, QStringLiteral("G"));
        const QStringList categories = {"G", "L", "A", "C", "E", "V", "Z", "O"};
        for (int i = 0; i < categories.size(); ++i)
            addRoom(101 + i, east, categories[i]);
        ws->session.frame.busy = &busy;
    }

    void TearDown() override
    {
        dialog.reset();
        if (ws)
            ws->session.frame.busy = nullptr;
        SessionTest::TearDown();
    }

    void addRoom(qint32 doorID, qint32 doorGroupID, const QString &category)
    {
        addDoor(
            {.id = doorID, .name = QStringLiteral("Room %1").arg(doorID), .category = category, .group = doorGroupID});
    }

    void changeRow(qint32 tableId, const QString &keyField, qint32 key, const QString &field, const QVariant &value)
    {
        RecordTable t(db);
        t.SelectTable(tableId);
        t.SetField(keyField, key);
        t.FindRecord();
        ASSERT_STATUS(t, RecordStatus::Ok);
        t.SetField(field, value);
        t.UpdateRecord();
        EXPECT_STATUS(t, RecordStatus::Ok);
    }

    frmGroupCheckIn *open()
    {
        dialog = std::make_unique<frmGroupCheckIn>(ws->program, ws->db, ws->session);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog.get();
    }

    QTreeWidget *tree() { return child<QTreeWidget>(dialog.get(), QStringLiteral("tvwDoors")); }
    static QString areaKey(qint32 id) { return QString::number(id) + QLatin1Char('A'); }
    static QString roomKey(qint32 id) { return QString::number(id) + QLatin1Char('D'); }

    QString image(const QString &key)
    {
        QTreeWidgetItem *item = dialog->node(key);
        return item ? item->data(0, frmGroupCheckIn::ImageRole).toString() : QStringLiteral("(missing)");
    }

    void expand(qint32 area)
    {
        QTreeWidgetItem *item = dialog->node(areaKey(area));
        ASSERT_NE(item, nullptr);
        item->setExpanded(true);
    }

    // A mouse click on the node's text, as the operator does it.
    void click(const QString &key)
    {
        QTreeWidgetItem *item = dialog->node(key);
        ASSERT_NE(item, nullptr) << key.toStdString();
        QTreeWidget *t = tree();
        t->scrollToItem(item);
        const QRect rect = t->visualItemRect(item);
        ASSERT_TRUE(rect.isValid()) << key.toStdString() << " is not shown";
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void press(const char *button) { child<QPushButton>(dialog.get(), QLatin1String(button))->click(); }

    // The area and room nodes in tree order, as "key:image" ("key" alone for a placeholder).
    QStringList nodes()
    {
        QStringList list;
        QTreeWidget *t = tree();
        for (int i = 0; i < t->topLevelItemCount(); ++i) {
            QTreeWidgetItem *area = t->topLevelItem(i);
            list << area->data(0, frmGroupCheckIn::KeyRole).toString() + QLatin1Char(':') +
                        area->data(0, frmGroupCheckIn::ImageRole).toString();
            for (int j = 0; j < area->childCount(); ++j) {
                const QString key = area->child(j)->data(0, frmGroupCheckIn::KeyRole).toString();
                const QString img = area->child(j)->data(0, frmGroupCheckIn::ImageRole).toString();
                list << (img.isEmpty() ? key : key + QLatin1Char(':') + img);
            }
        }
        return list;
    }

    // Area names and, indented, the names of loaded rooms.
    QStringList texts()
    {
        QStringList list;
        QTreeWidget *t = tree();
        for (int i = 0; i < t->topLevelItemCount(); ++i) {
            list << t->topLevelItem(i)->text(0);
            for (int j = 0; j < t->topLevelItem(i)->childCount(); ++j) {
                const QTreeWidgetItem *room = t->topLevelItem(i)->child(j);
                if (!room->data(0, frmGroupCheckIn::ImageRole).toString().isEmpty())
                    list << QStringLiteral("  ") + room->text(0);
            }
        }
        return list;
    }

    RecordingBusy busy;
    std::unique_ptr<frmGroupCheckIn> dialog;
    static constexpr qint32 north = 1, east = 2, annex = 3;
};

TEST_P(GroupCheckInTest, ListsTheAreasByNameUnloadedAndExpandingLoadsTheirGuestRoomsOnce)
{
    open();
    EXPECT_EQ(texts(), QStringList({"Annex", "East", "North"}));
    EXPECT_EQ(nodes(),
              QStringList({areaKey(annex) + ":E", QString::number(annex) + "AD", areaKey(east) + ":E",
                           QString::number(east) + "AD", areaKey(north) + ":E", QString::number(north) + "AD"}));
    EXPECT_EQ(busy.states, std::vector<int16_t>({1, 0}));
    click(areaKey(east));
    busy.states.clear();
    expand(east);
    EXPECT_EQ(busy.states, std::vector<int16_t>({1, 0})) << "no status text while loading";
    QTreeWidgetItem *area = dialog->node(areaKey(east));
    EXPECT_TRUE(area->data(0, frmGroupCheckIn::LoadedRole).toBool());
    // A ticked area gives its rooms ticked.
    EXPECT_EQ(nodes().mid(2, 4),
              QStringList({areaKey(east) + ":W", roomKey(101) + ":W", roomKey(102) + ":W", roomKey(103) + ":W"}));
    EXPECT_EQ(area->childCount(), 3);
    EXPECT_EQ(area->child(1)->text(0), QStringLiteral("Room 102"));

    area->setExpanded(false);
    busy.states.clear();
    area->setExpanded(true);
    EXPECT_EQ(area->childCount(), 3);
    EXPECT_TRUE(busy.states.empty()) << "loaded twice";

    // The arrow in front of an area expands it without ticking it.
    QTreeWidgetItem *annexArea = dialog->node(areaKey(annex));
    const QRect rect = tree()->visualItemRect(annexArea);
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() - tree()->indentation() / 2, rect.center().y()));
    EXPECT_TRUE(annexArea->isExpanded());
    EXPECT_EQ(image(areaKey(annex)), QStringLiteral("E"));
    EXPECT_EQ(annexArea->childCount(), 0);
    expand(north);
    EXPECT_EQ(nodes().mid(5),
              QStringList({areaKey(north) + ":E", roomKey(201) + ":E", roomKey(202) + ":E", roomKey(203) + ":E"}));
}

TEST_P(GroupCheckInTest, RoomTicksGiveTheAreaItsImage)
{
    open();
    expand(north);
    struct Step
    {
        const char *action;
        QString key;
        const char *area, *r201, *r202, *r203;
    };
    const std::vector<Step> steps = {
        {"tick 201", roomKey(201), "G", "W", "E", "E"},
        {"tick 202", roomKey(202), "G", "W", "W", "E"},
        {"tick 203", roomKey(203), "W", "W", "W", "W"},
        {"untick 202", roomKey(202), "G", "W", "E", "W"},
        {"area while partly ticked", areaKey(north), "W", "W", "W", "W"},
        {"area while ticked", areaKey(north), "E", "E", "E", "E"},
        {"tick 203 alone", roomKey(203), "G", "E", "E", "W"},
        {"untick 203", roomKey(203), "E", "E", "E", "E"},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.action);
        click(step.key);
        EXPECT_EQ(image(areaKey(north)), QLatin1String(step.area));
        EXPECT_EQ(image(roomKey(201)), QLatin1String(step.r201));
        EXPECT_EQ(image(roomKey(202)), QLatin1String(step.r202));
        EXPECT_EQ(image(roomKey(203)), QLatin1String(step.r203));
    }
}

TEST_P(GroupCheckInTest, ConfirmingSelectsTheTickedRoomsAndCancelNone)
{
    // Steps: a command button, "expand" and an area, or the key of a node to click; then OK unless
    // the last step cancels.
    const QString expandNorth = QStringLiteral("expand %1").arg(north);
    const struct
    {
        const char *name;
        QStringList steps;
        QVector<qint32> expected;
    } cases[] = {
        {"nothing ticked", {}, {}},
        {"an area never expanded gives its rooms of categories G, L and A", {areaKey(east)}, {101, 102, 103}},
        {"one loaded room", {expandNorth, roomKey(202)}, {202}},
        {"select all, nothing expanded", {"cmdSelectAll"}, {101, 102, 103, 201, 202, 203}},
        {"select all, then one room unticked", {"cmdSelectAll", expandNorth, roomKey(202)}, {101, 102, 103, 201, 203}},
        {"select all ticks loaded rooms", {expandNorth, "cmdSelectAll"}, {101, 102, 103, 201, 202, 203}},
        {"clear all", {expandNorth, "cmdSelectAll", "cmdClearAll"}, {}},
        {"an area ticked and unticked again", {areaKey(east), areaKey(east)}, {}},
        {"a partly ticked area gives only its ticked rooms", {expandNorth, roomKey(203), roomKey(201)}, {201, 203}},
        {"cancel leaves no result", {"cmdSelectAll", "cmdCancel"}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        open();
        for (const QString &step : c.steps) {
            if (step.startsWith(QStringLiteral("cmd")))
                press(step.toLatin1().constData());
            else if (step.startsWith(QStringLiteral("expand ")))
                expand(step.section(QLatin1Char(' '), 1).toInt());
            else
                click(step);
        }
        const bool cancelled = c.steps.endsWith(QStringLiteral("cmdCancel"));
        if (!cancelled)
            press("cmdOK");
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->Result(), !cancelled);
        EXPECT_EQ(dialog->result(), cancelled ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(dialog->GetSelectedDoors(), c.expected);
        EXPECT_EQ(dialog->NumDoors(), c.expected.size());
    }
}

TEST_P(GroupCheckInTest, KeyboardTicksConfirmsAndCancels)
{
    struct Case
    {
        const char *name;
        std::vector<Qt::Key> keys;
        bool result;
        QVector<qint32> expected;
    };
    // The first area (Annex, no rooms) is current when the dialog opens.
    const std::vector<Case> cases = {
        {"Escape cancels", {Qt::Key_Down, Qt::Key_Space, Qt::Key_Escape}, false, {}},
        {"Enter confirms the ticked area", {Qt::Key_Down, Qt::Key_Space, Qt::Key_Return}, true, {101, 102, 103}},
        {"space twice unticks", {Qt::Key_Down, Qt::Key_Space, Qt::Key_Space, Qt::Key_Enter}, true, {}},
        {"a room",
         {Qt::Key_End, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Space, Qt::Key_Return},
         true,
         {202}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        open();
        tree()->setFocus();
        for (Qt::Key key : c.keys)
            QTest::keyClick(tree(), key);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->Result(), c.result);
        EXPECT_EQ(dialog->GetSelectedDoors(), c.expected);
    }
}

TEST_P(GroupCheckInTest, AreasFollowTheirNotifications)
{
    open();
    const qint32 lobby = 4;
    addDoorGroup(lobby, QStringLiteral("Lobby"));
    ws->session.notify.NotifyDoorGroupAdded(lobby, 0);
    EXPECT_EQ(texts(), QStringList({"Annex", "East", "Lobby", "North"}));
    ws->session.notify.NotifyDoorGroupAdded(lobby, 0);
    EXPECT_EQ(texts().size(), 4) << "an area listed twice";

    changeRow(TableId::DoorGroups, QStringLiteral("doorGroupID"), east, QStringLiteral("doorGroupName"),
              QStringLiteral("East wing"));
    ws->session.notify.NotifyDoorGroupUpdated(east);
    EXPECT_EQ(dialog->node(areaKey(east))->text(0), QStringLiteral("East wing"));

    ws->session.notify.NotifyDoorGroupRemoved(annex);
    EXPECT_EQ(texts(), QStringList({"East wing", "Lobby", "North"}));
}

TEST_P(GroupCheckInTest, RoomsFollowTheirNotifications)
{
    open();
    expand(north);
    click(roomKey(201));
    click(roomKey(202));
    click(roomKey(203));
    ASSERT_EQ(image(areaKey(north)), QStringLiteral("W"));

    // A new room of a ticked area comes ticked; a room that is no guest room does not come.
    addRoom(204, north, QStringLiteral("L"));
    addRoom(205, north, QStringLiteral("C"));
    ws->session.notify.NotifyDoorAdded(204);
    ws->session.notify.NotifyDoorAdded(205);
    EXPECT_EQ(image(roomKey(204)), QStringLiteral("W"));
    EXPECT_EQ(dialog->node(roomKey(205)), nullptr);

    // Unticked, then its removal leaves only ticked rooms.
    click(roomKey(202));
    EXPECT_EQ(image(areaKey(north)), QStringLiteral("G"));
    ws->session.notify.NotifyDoorRemoved(202, 202);
    EXPECT_EQ(dialog->node(roomKey(202)), nullptr);
    EXPECT_EQ(image(areaKey(north)), QStringLiteral("W"));

    // A range, in room order.
    addRoom(206, north, QStringLiteral("G"));
    addRoom(207, north, QStringLiteral("A"));
    ws->session.notify.NotifyDoorRangeAdded(206, 207);
    EXPECT_EQ(texts(), QStringList({"Annex", "East", "North", "  Room 201", "  Room 203", "  Room 204", "  Room 206",
                                    "  Room 207"}));

    // Renamed, made a common room, moved to another loaded area.
    changeRow(TableId::Doors, QStringLiteral("doorID"), 203, QStringLiteral("doorName"), QStringLiteral("Suite 203"));
    ws->session.notify.NotifyDoorUpdated(203, 0);
    EXPECT_EQ(dialog->node(roomKey(203))->text(0), QStringLiteral("Suite 203"));
    changeRow(TableId::Doors, QStringLiteral("doorID"), 204, QStringLiteral("doorCategory"), QStringLiteral("C"));
    ws->session.notify.NotifyDoorUpdated(204, 0);
    EXPECT_EQ(dialog->node(roomKey(204)), nullptr);
    expand(annex);
    changeRow(TableId::Doors, QStringLiteral("doorID"), 206, QStringLiteral("doorGroupID"), annex);
    ws->session.notify.NotifyDoorUpdated(206, 0);
    ASSERT_NE(dialog->node(roomKey(206)), nullptr);
    EXPECT_EQ(dialog->node(roomKey(206))->parent(), dialog->node(areaKey(annex)));

    // A range removed at once.
    ws->session.notify.NotifyDoorRemoved(200, 210);
    EXPECT_EQ(texts(), QStringList({"Annex", "East", "North"}));

    press("cmdOK");
    EXPECT_TRUE(dialog->GetSelectedDoors().isEmpty());
}

TEST_P(GroupCheckInTest, ARoomAddedToAnUnexpandedAreaIsSelectedWithIt)
{
    open();
    click(areaKey(east));
    addRoom(109, east, QStringLiteral("G"));
    ws->session.notify.NotifyDoorAdded(109);
    EXPECT_EQ(dialog->node(roomKey(109)), nullptr);
    EXPECT_NE(dialog->node(QString::number(east) + QStringLiteral("AD")), nullptr) << "placeholder lost";
    press("cmdOK");
    EXPECT_EQ(dialog->GetSelectedDoors(), QVector<qint32>({101, 102, 103, 109}));
}

TEST_P(GroupCheckInTest, AClosedDialogHearsNoMoreNotifications)
{
    open();
    const Notify::WindowHandle handle = Notify::handleOf(dialog.get());
    dialog.reset();
    EXPECT_FALSE(ws->session.notify.UnsubscribeDoors(handle)) << "still listed for doors";
    EXPECT_FALSE(ws->session.notify.UnsubscribeDoorGroups(handle)) << "still listed for door areas";
}

INSTANTIATE_TEST_SUITE_P(Engines, GroupCheckInTest, ::testing::Values("sqlite", "postgresql"));

} // namespace
