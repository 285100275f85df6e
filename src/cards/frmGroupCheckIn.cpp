#include "cards/frmGroupCheckIn.h"

#include "session/Services.h"
#include "ui/BusyIndicator.h"
#include "ui/FormTexts.h"
#include "ui/TickImages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int16_t kTitle = 28200;
constexpr int16_t kBusyLoading = 1; // -31998
const QString kTicked = QStringLiteral("W");
const QString kPartly = QStringLiteral("G");
const QString kUnticked = QStringLiteral("E");
const QString kAreaSuffix = QStringLiteral("A");
const QString kPlaceholderSuffix = QStringLiteral("AD");
const QString kRoomSuffix = QStringLiteral("D");

bool isArea(const QTreeWidgetItem *item)
{
    return item && !item->parent();
}

bool isRoom(const QTreeWidgetItem *item)
{
    return item && item->parent() && item->data(0, frmGroupCheckIn::KeyRole).toString().endsWith(kRoomSuffix) &&
           !item->data(0, frmGroupCheckIn::KeyRole).toString().endsWith(kPlaceholderSuffix);
}

qint32 numericKey(const QTreeWidgetItem *item, const QString &suffix)
{
    const QString key = item->data(0, frmGroupCheckIn::KeyRole).toString();
    return key.left(key.size() - suffix.size()).toInt();
}

// Keeps the busy pointer and status text for the life of a load.
class BusyLoading
{
public:
    explicit BusyLoading(Session &session) : m_session(session) { SetBusyState(m_session.frame.busy, kBusyLoading); }
    ~BusyLoading() { SetBusyState(m_session.frame.busy, 0); }
    BusyLoading(const BusyLoading &) = delete;
    BusyLoading &operator=(const BusyLoading &) = delete;

private:
    Session &m_session;
};

} // namespace

class frmGroupCheckIn::DoorsListener : public clsIDoors
{
public:
    explicit DoorsListener(frmGroupCheckIn &dialog) : m_dialog(dialog) {}
    void Add(int32_t doorID) override { m_dialog.AddDoor(doorID); }
    void AddRange(int32_t firstDoorID, int32_t lastDoorID) override { m_dialog.AddDoors(firstDoorID, lastDoorID); }
    void Update(int32_t doorID, int32_t) override { m_dialog.UpdateDoor(doorID); }
    void Remove(int32_t firstDoorID, int32_t lastDoorID) override { m_dialog.RemoveDoor(firstDoorID, lastDoorID); }
    // A refresh of all doors drops the loaded rooms; areas load them again when expanded.
    void Refresh() override { m_dialog.fillAreas(); }

private:
    frmGroupCheckIn &m_dialog;
};

class frmGroupCheckIn::DoorGroupsListener : public clsIDoorGroups
{
public:
    explicit DoorGroupsListener(frmGroupCheckIn &dialog) : m_dialog(dialog) {}
    void Add(int32_t doorGroupID, int16_t) override { m_dialog.AddDoorGroup(doorGroupID); }
    void Update(int32_t doorGroupID) override { m_dialog.UpdateDoorGroup(doorGroupID); }
    void Remove(int32_t doorGroupID) override { m_dialog.RemoveDoorGroup(doorGroupID); }
    void Refresh() override { m_dialog.fillAreas(); }

private:
    frmGroupCheckIn &m_dialog;
};

frmGroupCheckIn::frmGroupCheckIn(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QDialog(parent), m_program(program), m_session(session), m_store(*db.database),
      m_doorsListener(std::make_unique<DoorsListener>(*this)),
      m_doorGroupsListener(std::make_unique<DoorGroupsListener>(*this))
{
    setObjectName(QStringLiteral("frmGroupCheckIn"));
    buildControls();
    ApplyFormTexts(this, m_program.texts);
    fillAreas();
    m_session.notify.SubscribeDoorGroups(m_doorGroupsListener.get(), Notify::handleOf(this));
    m_session.notify.SubscribeDoors(m_doorsListener.get(), Notify::handleOf(this));
}

frmGroupCheckIn::~frmGroupCheckIn()
{
    m_session.notify.UnsubscribeDoors(Notify::handleOf(this));
    m_session.notify.UnsubscribeDoorGroups(Notify::handleOf(this));
}

void frmGroupCheckIn::buildControls()
{
    auto button = [this](const char *name, const char *text) {
        auto *b = new QPushButton(QLatin1String(text), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    setWindowTitle(QString::number(kTitle));
    m_lblDoors = new QLabel(QStringLiteral("28201"), this);
    m_lblDoors->setObjectName(QStringLiteral("lblDoors"));
    m_tvwDoors = new QTreeWidget(this);
    m_tvwDoors->setObjectName(QStringLiteral("tvwDoors"));
    m_tvwDoors->setHeaderHidden(true);
    m_tvwDoors->setColumnCount(1);
    m_tvwDoors->setRootIsDecorated(true);
    m_tvwDoors->setUniformRowHeights(true);
    // A double click would tick twice; expanding is the arrow's or the keyboard's job.
    m_tvwDoors->setExpandsOnDoubleClick(false);
    m_tvwDoors->installEventFilter(this);
    m_lblDoors->setBuddy(m_tvwDoors);
    m_cmdSelectAll = button("cmdSelectAll", "28202");
    m_cmdClearAll = button("cmdClearAll", "28203");
    m_cmdOK = button("cmdOK", "28204");
    m_cmdCancel = button("cmdCancel", "28205");
    m_cmdOK->setDefault(true);

    auto *commands = new QHBoxLayout;
    commands->addWidget(m_cmdSelectAll);
    commands->addWidget(m_cmdClearAll);
    commands->addStretch(1);
    commands->addWidget(m_cmdOK);
    commands->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_lblDoors);
    layout->addWidget(m_tvwDoors, 1);
    layout->addLayout(commands);
    resize(380, 440);

    setTabOrder(m_tvwDoors, m_cmdSelectAll);
    setTabOrder(m_cmdSelectAll, m_cmdClearAll);
    setTabOrder(m_cmdClearAll, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCancel);

    connect(m_tvwDoors, &QTreeWidget::itemExpanded, this, &frmGroupCheckIn::tvwDoors_ItemExpanded);
    connect(m_tvwDoors, &QTreeWidget::itemClicked, this, &frmGroupCheckIn::tvwDoors_ItemClicked);
    connect(m_cmdSelectAll, &QPushButton::clicked, this, &frmGroupCheckIn::cmdSelectAll_Click);
    connect(m_cmdClearAll, &QPushButton::clicked, this, &frmGroupCheckIn::cmdClearAll_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmGroupCheckIn::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmGroupCheckIn::cmdCancel_Click);
}

QTreeWidgetItem *frmGroupCheckIn::node(const QString &key) const
{
    for (int i = 0; i < m_tvwDoors->topLevelItemCount(); ++i) {
        QTreeWidgetItem *area = m_tvwDoors->topLevelItem(i);
        if (area->data(0, KeyRole).toString() == key)
            return area;
        for (int j = 0; j < area->childCount(); ++j) {
            if (area->child(j)->data(0, KeyRole).toString() == key)
                return area->child(j);
        }
    }
    return nullptr;
}

void frmGroupCheckIn::fillAreas()
{
    BusyLoading busy(m_session);
    m_tvwDoors->clear();
    for (const GroupCheckInStore::Area &area : m_store.areas())
        addArea(area.doorGroupID, area.name);
    if (m_tvwDoors->topLevelItemCount() > 0)
        m_tvwDoors->setCurrentItem(m_tvwDoors->topLevelItem(0));
}

QTreeWidgetItem *frmGroupCheckIn::addArea(qint32 doorGroupID, const QString &name)
{
    // Kept in name order, also for areas added while the dialog is open.
    int position = m_tvwDoors->topLevelItemCount();
    for (int i = 0; i < m_tvwDoors->topLevelItemCount(); ++i) {
        if (QString::compare(m_tvwDoors->topLevelItem(i)->text(0), name, Qt::CaseInsensitive) > 0) {
            position = i;
            break;
        }
    }
    auto *area = new QTreeWidgetItem;
    area->setText(0, name);
    area->setData(0, KeyRole, QString::number(doorGroupID) + kAreaSuffix);
    area->setData(0, LoadedRole, false);
    setImage(area, kUnticked);
    auto *placeholder = new QTreeWidgetItem(area);
    placeholder->setData(0, KeyRole, QString::number(doorGroupID) + kPlaceholderSuffix);
    m_tvwDoors->insertTopLevelItem(position, area);
    return area;
}

void frmGroupCheckIn::loadRooms(QTreeWidgetItem *area)
{
    if (area->data(0, LoadedRole).toBool())
        return;
    BusyLoading busy(m_session);
    const qint32 doorGroupID = numericKey(area, kAreaSuffix);
    delete node(QString::number(doorGroupID) + kPlaceholderSuffix);
    const bool ticked = area->data(0, ImageRole).toString() == kTicked;
    for (const GroupCheckInStore::Room &room : m_store.roomsOfArea(doorGroupID))
        addRoom(area, room.doorID, room.name, ticked);
    area->setData(0, LoadedRole, true);
}

QTreeWidgetItem *frmGroupCheckIn::addRoom(QTreeWidgetItem *area, qint32 doorID, const QString &name, bool ticked)
{
    int position = area->childCount();
    for (int i = 0; i < area->childCount(); ++i) {
        if (numericKey(area->child(i), kRoomSuffix) > doorID) {
            position = i;
            break;
        }
    }
    auto *room = new QTreeWidgetItem;
    room->setText(0, name);
    room->setData(0, KeyRole, QString::number(doorID) + kRoomSuffix);
    setImage(room, ticked ? kTicked : kUnticked);
    area->insertChild(position, room);
    return room;
}

void frmGroupCheckIn::setImage(QTreeWidgetItem *item, const QString &image)
{
    item->setData(0, ImageRole, image);
    item->setIcon(0, TickImage(image == kTicked ? Tick::Ticked : image == kPartly ? Tick::Partly : Tick::Unticked));
}

void frmGroupCheckIn::updateAreaImage(QTreeWidgetItem *area)
{
    if (!area->data(0, LoadedRole).toBool() || area->childCount() == 0)
        return;
    int ticked = 0;
    for (int i = 0; i < area->childCount(); ++i) {
        if (area->child(i)->data(0, ImageRole).toString() == kTicked)
            ++ticked;
    }
    setImage(area, ticked == area->childCount() ? kTicked : ticked == 0 ? kUnticked : kPartly);
}

void frmGroupCheckIn::toggle(QTreeWidgetItem *item)
{
    if (isArea(item)) {
        const QString image = item->data(0, ImageRole).toString() == kTicked ? kUnticked : kTicked;
        setImage(item, image);
        if (item->data(0, LoadedRole).toBool()) {
            for (int i = 0; i < item->childCount(); ++i)
                setImage(item->child(i), image);
        }
    } else if (isRoom(item)) {
        setImage(item, item->data(0, ImageRole).toString() == kTicked ? kUnticked : kTicked);
        updateAreaImage(item->parent());
    }
}

void frmGroupCheckIn::tickAll(bool ticked)
{
    const QString image = ticked ? kTicked : kUnticked;
    for (int i = 0; i < m_tvwDoors->topLevelItemCount(); ++i) {
        QTreeWidgetItem *area = m_tvwDoors->topLevelItem(i);
        setImage(area, image);
        if (!area->data(0, LoadedRole).toBool())
            continue;
        for (int j = 0; j < area->childCount(); ++j)
            setImage(area->child(j), image);
    }
}

QVector<qint32> frmGroupCheckIn::collectSelected()
{
    QVector<qint32> selected;
    for (int i = 0; i < m_tvwDoors->topLevelItemCount(); ++i) {
        QTreeWidgetItem *area = m_tvwDoors->topLevelItem(i);
        if (area->data(0, LoadedRole).toBool()) {
            for (int j = 0; j < area->childCount(); ++j) {
                if (area->child(j)->data(0, ImageRole).toString() != kUnticked)
                    selected << numericKey(area->child(j), kRoomSuffix);
            }
        } else if (area->data(0, ImageRole).toString() == kTicked) {
            BusyLoading busy(m_session);
            for (const GroupCheckInStore::Room &room : m_store.roomsOfArea(numericKey(area, kAreaSuffix)))
                selected << room.doorID;
        }
    }
    return selected;
}

bool frmGroupCheckIn::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tvwDoors && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            toggle(m_tvwDoors->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmGroupCheckIn::tvwDoors_ItemExpanded(QTreeWidgetItem *item)
{
    if (isArea(item))
        loadRooms(item);
}

void frmGroupCheckIn::tvwDoors_ItemClicked(QTreeWidgetItem *item, int)
{
    toggle(item);
}

void frmGroupCheckIn::cmdSelectAll_Click()
{
    tickAll(true);
}

void frmGroupCheckIn::cmdClearAll_Click()
{
    tickAll(false);
}

void frmGroupCheckIn::cmdOK_Click()
{
    m_selected = collectSelected();
    m_result = true;
    accept();
}

void frmGroupCheckIn::cmdCancel_Click()
{
    reject();
}

// Keeping current

void frmGroupCheckIn::AddDoorGroup(qint32 doorGroupID)
{
    if (node(QString::number(doorGroupID) + kAreaSuffix))
        return;
    if (const std::optional<QString> name = m_store.areaName(doorGroupID))
        addArea(doorGroupID, *name);
}

void frmGroupCheckIn::UpdateDoorGroup(qint32 doorGroupID)
{
    QTreeWidgetItem *area = node(QString::number(doorGroupID) + kAreaSuffix);
    if (!area) {
        AddDoorGroup(doorGroupID);
        return;
    }
    if (const std::optional<QString> name = m_store.areaName(doorGroupID))
        area->setText(0, *name);
}

void frmGroupCheckIn::RemoveDoorGroup(qint32 doorGroupID)
{
    delete node(QString::number(doorGroupID) + kAreaSuffix);
}

void frmGroupCheckIn::AddDoor(qint32 doorID)
{
    AddDoors(doorID, doorID);
}

void frmGroupCheckIn::AddDoors(qint32 firstDoorID, qint32 lastDoorID)
{
    for (const GroupCheckInStore::Room &door : m_store.roomsBetween(firstDoorID, lastDoorID)) {
        QTreeWidgetItem *area = node(QString::number(door.doorGroupID) + kAreaSuffix);
        // An unloaded area finds the room itself when it is expanded or confirmed.
        if (!area || !area->data(0, LoadedRole).toBool() || node(QString::number(door.doorID) + kRoomSuffix))
            continue;
        addRoom(area, door.doorID, door.name, area->data(0, ImageRole).toString() == kTicked);
    }
}

void frmGroupCheckIn::UpdateDoor(qint32 doorID)
{
    QTreeWidgetItem *room = node(QString::number(doorID) + kRoomSuffix);
    const std::optional<GroupCheckInStore::Room> guestRoom = m_store.room(doorID);
    if (room && guestRoom &&
        room->parent()->data(0, KeyRole).toString() == QString::number(guestRoom->doorGroupID) + kAreaSuffix) {
        room->setText(0, guestRoom->name);
        return;
    }
    // The room left its area or is no guest room any more: it goes, and shows where it now belongs.
    if (room)
        removeRooms(doorID, doorID);
    if (guestRoom)
        AddDoor(doorID);
}

void frmGroupCheckIn::RemoveDoor(qint32 firstDoorID, qint32 lastDoorID)
{
    removeRooms(firstDoorID, lastDoorID);
}

void frmGroupCheckIn::removeRooms(qint32 firstDoorID, qint32 lastDoorID)
{
    for (int i = 0; i < m_tvwDoors->topLevelItemCount(); ++i) {
        QTreeWidgetItem *area = m_tvwDoors->topLevelItem(i);
        if (!area->data(0, LoadedRole).toBool())
            continue;
        bool removed = false;
        for (int j = area->childCount() - 1; j >= 0; --j) {
            const qint32 doorID = numericKey(area->child(j), kRoomSuffix);
            if (doorID >= firstDoorID && doorID <= lastDoorID) {
                delete area->takeChild(j);
                removed = true;
            }
        }
        if (removed)
            updateAreaImage(area);
    }
}
