#include "admin/frmDoorAreaData.h"

#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"

#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kWindowNumber = 16;
constexpr int16_t kCaption = 29512;
constexpr int32_t kLoadErrorCode = 4293;

} // namespace

frmDoorAreaData::frmDoorAreaData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : MasterDataDialog("frmDoorAreaData", kWindowNumber, TableId::DoorGroups, program, session, parent),
      m_store(*db.database), m_txtName(new QLineEdit(this))
{
    m_txtName->setObjectName(QStringLiteral("txtName"));
    auto *lblName = new QLabel(GetText(29513), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    addField(lblName, m_txtName);
    connect(m_txtName, &QLineEdit::textChanged, this, [this] { setChanged(true); });
    m_session.notify.SubscribeDoorGroups(this, Notify::handleOf(this));
    setDoorGroupID(0);
}

frmDoorAreaData::~frmDoorAreaData()
{
    m_session.notify.UnsubscribeDoorGroups(Notify::handleOf(this));
}

void frmDoorAreaData::setDoorGroupID(qint32 doorGroupID)
{
    DoorAreaStore::Area area;
    if (doorGroupID != 0) {
        if (const RecordResult loaded = m_store.load(doorGroupID, area); !loaded.ok()) {
            showOutcome(SaveOutcome::failed(kLoadErrorCode, loaded));
            area = {};
        }
    }
    m_doorGroupID = area.doorGroupID;
    m_noteID = area.noteID;
    m_txtName->setText(area.name);
    setDescription(area.note);
    setWindowTitle(m_doorGroupID == 0 ? GetText(kCaption) : GetText(kCaption) + QStringLiteral(" - ") + area.name);
    setStored(m_doorGroupID != 0);
    setChanged(false);
    m_txtName->setFocus();
}

void frmDoorAreaData::Activate()
{
    activate();
    checkAuthority();
}

void frmDoorAreaData::Update(int32_t doorGroupID)
{
    // Changed elsewhere: show the stored state unless the operator is editing it here.
    if (doorGroupID == m_doorGroupID && m_doorGroupID != 0 && !isChanged())
        setDoorGroupID(doorGroupID);
}

void frmDoorAreaData::RemoveDoorGroup(qint32 doorGroupID)
{
    if (doorGroupID == m_doorGroupID && m_doorGroupID != 0)
        UnloadWindow(this);
}

DoorAreaStore::Area frmDoorAreaData::typed() const
{
    return {m_doorGroupID, m_txtName->text().trimmed(), m_noteID, description()};
}

void frmDoorAreaData::focusField(SaveOutcome::Focus focus)
{
    if (focus == SaveOutcome::Focus::Name)
        m_txtName->setFocus();
}

void frmDoorAreaData::saveRecord()
{
    DoorAreaStore::Area area = typed();
    if (!showOutcome(SaveNewDoorArea(m_store, area)))
        return;
    m_session.notify.NotifyDoorGroupAdded(area.doorGroupID, 0);
    if (m_closeAfterSave) {
        UnloadWindow(this);
        return;
    }
    setDoorGroupID(area.doorGroupID);
}

void frmDoorAreaData::updateRecord()
{
    DoorAreaStore::Area area = typed();
    if (!showOutcome(UpdateDoorArea(m_store, area)))
        return;
    setDoorGroupID(area.doorGroupID);
    m_session.notify.NotifyDoorGroupUpdated(area.doorGroupID);
}
