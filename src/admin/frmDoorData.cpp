#include "admin/frmDoorData.h"

#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>

namespace {

constexpr int kWindowNumber = 15;
constexpr int16_t kCaption = 29004;
constexpr int32_t kLoadErrorCode = 4611;

QLineEdit *numberBox(QWidget *parent, const char *name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setValidator(new QIntValidator(1, 999999, box));
    box->setMaxLength(6);
    return box;
}

QSpinBox *spinBox(QWidget *parent, const char *name, int minimum, int maximum)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(minimum, maximum);
    return box;
}

// Several controls in one row of the field grid.
QWidget *row(QWidget *parent, const QList<QWidget *> &widgets)
{
    auto *box = new QWidget(parent);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *w : widgets) {
        w->setParent(box);
        layout->addWidget(w);
    }
    layout->addStretch(1);
    return box;
}

} // namespace

frmDoorData::frmDoorData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : MasterDataDialog("frmDoorData", kWindowNumber, TableId::Doors, program, session, parent), m_store(*db.database),
      m_txtDoorID(numberBox(this, "txtDoorID")), m_chkInterval(new QCheckBox(this)),
      m_txtLastDoorID(numberBox(this, "txtLastDoorID")), m_cboCategory(new QComboBox(this)),
      m_txtDoorName(new QLineEdit(this)), m_cboDoorArea(new QComboBox(this)),
      m_txtCommonRoom(spinBox(this, "txtCommonRoom", 1, 8)), m_txtPrivateRoom(spinBox(this, "txtPrivateRoom", 1, 15)),
      m_txtRoomFrom(numberBox(this, "txtRoomFrom")), m_txtRoomTo(numberBox(this, "txtRoomTo")),
      m_txtOverrideIncrement(spinBox(this, "txtOverrideIncrement", 0, 15)), m_txtLastOverride(new QLineEdit(this))
{
    m_chkInterval->setObjectName(QStringLiteral("chkInterval"));
    m_chkInterval->setText(GetText(29005));
    m_cboCategory->setObjectName(QStringLiteral("cboCategory"));
    for (const DoorCategory &category : DoorCategories())
        m_cboCategory->addItem(GetText(category.caption), QString(QLatin1Char(category.code)));
    m_txtDoorName->setObjectName(QStringLiteral("txtDoorName"));
    m_txtDoorName->setMaxLength(50);
    m_cboDoorArea->setObjectName(QStringLiteral("cboDoorArea"));
    m_txtLastOverride->setObjectName(QStringLiteral("txtLastOverride"));
    m_txtLastOverride->setReadOnly(true);
    m_txtLastOverride->setFocusPolicy(Qt::NoFocus);

    QLabel *lblTo = label("lblLastDoorID", 29006);
    lblTo->setBuddy(m_txtLastDoorID);
    addField(label("lblDoorID", 29007), row(this, {m_txtDoorID, m_chkInterval, lblTo, m_txtLastDoorID}));
    addField(label("lblCategory", 29008), m_cboCategory);
    QLabel *lblName = label("lblDoorName", 29009);
    addField(lblName, m_txtDoorName);
    addField(label("lblDoorArea", 29010), m_cboDoorArea);
    QLabel *lblCommon = label("lblCommonRoom", 29011);
    addField(lblCommon, m_txtCommonRoom);
    QLabel *lblPrivate = label("lblPrivateRoom", 29012);
    addField(lblPrivate, m_txtPrivateRoom);
    QLabel *lblRooms = label("lblRoomFrom", 29013);
    QLabel *lblRoomTo = label("lblRoomTo", 29016);
    lblRoomTo->setBuddy(m_txtRoomTo);
    QWidget *rooms = row(this, {m_txtRoomFrom, lblRoomTo, m_txtRoomTo});
    addField(lblRooms, rooms);
    addField(label("lblOverrideIncrement", 29014), m_txtOverrideIncrement);
    QLabel *lblLastOverride = label("lblLastOverride", 29015);
    addField(lblLastOverride, m_txtLastOverride);
    m_nameRow = {lblName, m_txtDoorName};
    m_commonRow = {lblCommon, m_txtCommonRoom};
    m_privateRow = {lblPrivate, m_txtPrivateRoom};
    m_roomsRow = {lblRooms, rooms};
    m_overrideRow = {lblLastOverride, m_txtLastOverride};
    resize(480, 420);

    const auto changed = [this] {
        if (!m_loading)
            setChanged(true);
    };
    for (QLineEdit *box : {m_txtDoorID, m_txtLastDoorID, m_txtDoorName, m_txtRoomFrom, m_txtRoomTo})
        connect(box, &QLineEdit::textChanged, this, changed);
    for (QSpinBox *box : {m_txtCommonRoom, m_txtPrivateRoom, m_txtOverrideIncrement})
        connect(box, &QSpinBox::valueChanged, this, changed);
    connect(m_cboDoorArea, &QComboBox::currentIndexChanged, this, changed);
    connect(m_cboCategory, &QComboBox::currentIndexChanged, this, [this, changed] {
        showCategory();
        changed();
    });
    connect(m_chkInterval, &QCheckBox::toggled, this, [this, changed] {
        m_txtLastDoorID->setEnabled(m_chkInterval->isChecked());
        changed();
    });
    m_session.notify.SubscribeDoors(this, Notify::handleOf(this));
    m_session.notify.SubscribeDoorGroups(this, Notify::handleOf(this));
    setDoorID(0);
}

frmDoorData::~frmDoorData()
{
    m_session.notify.UnsubscribeDoors(Notify::handleOf(this));
    m_session.notify.UnsubscribeDoorGroups(Notify::handleOf(this));
}

QLabel *frmDoorData::label(const char *name, int16_t text)
{
    auto *l = new QLabel(GetText(text), this);
    l->setObjectName(QLatin1String(name));
    return l;
}

void frmDoorData::fillAreas()
{
    const qint32 chosen = m_cboDoorArea->currentData().toInt();
    QList<std::pair<qint32, QString>> areas;
    if (const RecordResult read = m_store.areas(areas); !read.ok())
        showOutcome(SaveOutcome::failed(kLoadErrorCode, read));
    const bool loading = m_loading;
    m_loading = true;
    m_cboDoorArea->clear();
    for (const auto &[id, name] : areas)
        m_cboDoorArea->addItem(name, id);
    m_cboDoorArea->setCurrentIndex(m_cboDoorArea->findData(chosen));
    m_loading = loading;
}

void frmDoorData::setDoorID(qint32 doorID)
{
    DoorStore::Door door;
    if (doorID != 0) {
        if (const RecordResult loaded = m_store.load(doorID, door); !loaded.ok()) {
            showOutcome(SaveOutcome::failed(kLoadErrorCode, loaded));
            door = {};
        }
    }
    m_loading = true;
    m_doorID = door.entry.first;
    m_noteID = door.noteID;
    const DoorEntry &e = door.entry;
    m_txtDoorID->setText(m_doorID ? QString::number(m_doorID) : QString());
    m_txtDoorID->setReadOnly(m_doorID != 0); // the number is the key
    m_chkInterval->setChecked(false);
    m_chkInterval->setVisible(m_doorID == 0);
    m_txtLastDoorID->clear();
    m_txtLastDoorID->setEnabled(false);
    m_txtLastDoorID->setVisible(m_doorID == 0);
    findChild<QLabel *>(QStringLiteral("lblLastDoorID"))->setVisible(m_doorID == 0);
    m_cboCategory->setCurrentIndex(std::max(0, m_cboCategory->findData(e.category)));
    m_txtDoorName->setText(e.name);
    fillAreas();
    m_cboDoorArea->setCurrentIndex(m_cboDoorArea->findData(e.doorGroupID));
    m_txtCommonRoom->setValue(e.commonRoom);
    m_txtPrivateRoom->setValue(e.privateRoom);
    m_txtRoomFrom->setText(e.intervalStart);
    m_txtRoomTo->setText(e.intervalStop);
    m_txtOverrideIncrement->setValue(e.overrideIncrement);
    m_txtLastOverride->setText(QString::number(door.lastOverrideNumber));
    setDescription(door.note);
    m_loading = false;
    showCategory();
    setWindowTitle(m_doorID == 0 ? GetText(kCaption) : GetText(kCaption) + QStringLiteral(" - ") + e.name);
    setStored(m_doorID != 0);
    setChanged(false);
    (m_doorID == 0 ? m_txtDoorID : static_cast<QWidget *>(m_cboCategory))->setFocus();
}

void frmDoorData::showCategory()
{
    const DoorCategory *category = FindDoorCategory(m_cboCategory->currentData().toString());
    if (!category)
        return;
    const auto show = [](const QList<QWidget *> &widgets, bool visible) {
        for (QWidget *w : widgets)
            w->setVisible(visible);
    };
    show(m_nameRow, category->named);
    show(m_commonRow, category->commonRoom);
    show(m_privateRow, category->privateRoom);
    show(m_roomsRow, category->interval);
    show(m_overrideRow, category->guestRoom && m_doorID != 0);
}

DoorEntry frmDoorData::typed() const
{
    DoorEntry e;
    e.first = m_txtDoorID->text().toInt();
    e.last = m_chkInterval->isChecked() ? m_txtLastDoorID->text().toInt() : e.first;
    e.category = m_cboCategory->currentData().toString();
    e.name = m_txtDoorName->text().trimmed();
    e.doorGroupID = m_cboDoorArea->currentData().toInt();
    e.commonRoom = m_txtCommonRoom->value();
    e.privateRoom = m_txtPrivateRoom->value();
    e.intervalStart = m_txtRoomFrom->text();
    e.intervalStop = m_txtRoomTo->text();
    e.overrideIncrement = m_txtOverrideIncrement->value();
    return e;
}

void frmDoorData::Activate()
{
    activate();
    checkAuthority();
}

void frmDoorData::Update(int32_t doorID, int32_t)
{
    if (doorID == m_doorID && m_doorID != 0 && !isChanged())
        setDoorID(doorID);
}

void frmDoorData::Remove(int32_t firstDoorID, int32_t lastDoorID)
{
    if (m_doorID != 0 && m_doorID >= firstDoorID && m_doorID <= lastDoorID)
        UnloadWindow(this);
}

bool frmDoorData::showSave(const DoorSave &save)
{
    m_failedField = save.field;
    return showOutcome(save.outcome);
}

void frmDoorData::focusField(SaveOutcome::Focus)
{
    using F = DoorCheck::Field;
    QWidget *target = nullptr;
    switch (m_failedField) {
    case F::Number:
        target = m_txtDoorID;
        break;
    case F::Last:
        target = m_chkInterval->isChecked() ? m_txtLastDoorID : m_txtDoorID;
        break;
    case F::Category:
        target = m_cboCategory;
        break;
    case F::Name:
        target = m_txtDoorName;
        break;
    case F::Area:
        target = m_cboDoorArea;
        break;
    case F::CommonRoom:
        target = m_txtCommonRoom;
        break;
    case F::PrivateRoom:
        target = m_txtPrivateRoom;
        break;
    case F::Interval:
        target = m_txtRoomFrom;
        break;
    case F::None:
        break;
    }
    if (target)
        target->setFocus();
}

void frmDoorData::saveRecord()
{
    const DoorEntry entry = typed();
    if (!showSave(SaveNewDoors(m_store, entry, description())))
        return;
    if (entry.last == entry.first)
        m_session.notify.NotifyDoorAdded(entry.first);
    else
        m_session.notify.NotifyDoorRangeAdded(entry.first, entry.last);
    if (m_request.caller) {
        const ChoiceRequest request = m_request;
        m_request = {};
        if (request.handBack)
            request.handBack(entry.first);
        BringWindowForward(request.caller);
        UnloadWindow(this);
        return;
    }
    setDoorID(entry.first);
}

void frmDoorData::updateRecord()
{
    DoorStore::Door door;
    door.entry = typed();
    door.noteID = m_noteID;
    door.note = description();
    if (!showSave(UpdateDoor(m_store, door)))
        return;
    setDoorID(door.entry.first);
    m_session.notify.NotifyDoorUpdated(door.entry.first, door.entry.doorGroupID);
}
