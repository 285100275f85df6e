#include "admin/frmCameraData.h"

#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kWindowNumber = 40;
constexpr int16_t kCaption = 29456;
constexpr int16_t kNoDoor = 29463;
constexpr int16_t kPasswordStored = 29464;
constexpr int32_t kLoadErrorCode = 4992;

template <class Control> Control *control(QWidget *parent, const char *name)
{
    auto *c = new Control(parent);
    c->setObjectName(QLatin1String(name));
    return c;
}

QLabel *label(QWidget *parent, const char *name, int16_t text)
{
    auto *l = new QLabel(GetText(text), parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

frmCameraData::frmCameraData(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : MasterDataDialog("frmCameraData", kWindowNumber, TableId::Cameras, program, session, parent),
      m_store(*db.database), m_txtName(control<QLineEdit>(this, "txtName")),
      m_txtAddress(control<QLineEdit>(this, "txtAddress")), m_lblSnapshotUrl(control<QLabel>(this, "lblSnapshotUrl")),
      m_txtUser(control<QLineEdit>(this, "txtUser")), m_txtPassword(control<QLineEdit>(this, "txtPassword")),
      m_cboDoor(control<QComboBox>(this, "cboDoor"))
{
    setFocusProxy(m_txtName); // the frame focuses the window as it shows it
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_lblSnapshotUrl->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addField(label(this, "lblName", 29457), m_txtName);
    addField(label(this, "lblAddress", 29458), m_txtAddress);
    addField(label(this, "lblPictureFrom", 29462), m_lblSnapshotUrl);
    addField(label(this, "lblUser", 29459), m_txtUser);
    addField(label(this, "lblPassword", 29460), m_txtPassword);
    addField(label(this, "lblDoor", 29461), m_cboDoor);
    resize(480, 340);
    for (QLineEdit *edit : {m_txtName, m_txtAddress, m_txtUser})
        connect(edit, &QLineEdit::textEdited, this, [this] { setChanged(true); });
    connect(m_txtAddress, &QLineEdit::textChanged, this, [this](const QString &address) {
        m_lblSnapshotUrl->setText(CameraSnapshotUrl(address).toDisplayString());
    });
    connect(m_txtPassword, &QLineEdit::textEdited, this, [this] {
        m_passwordTyped = true;
        setChanged(true);
    });
    connect(m_cboDoor, &QComboBox::activated, this, [this] { setChanged(true); });
    m_session.notify.SubscribeCameras(this, Notify::handleOf(this));
    m_session.notify.SubscribeDoors(this, Notify::handleOf(this));
    fillDoors();
    setCameraID(0);
}

frmCameraData::~frmCameraData()
{
    m_session.notify.UnsubscribeCameras(Notify::handleOf(this));
    m_session.notify.UnsubscribeDoors(Notify::handleOf(this));
}

void frmCameraData::setCameraID(qint32 cameraID)
{
    CameraStore::Camera camera;
    if (cameraID != 0) {
        if (const RecordResult loaded = m_store.load(cameraID, camera); !loaded.ok()) {
            showOutcome(SaveOutcome::failed(kLoadErrorCode, loaded));
            camera = {};
        }
    }
    m_cameraID = camera.cameraID;
    m_noteID = camera.noteID;
    m_txtName->setText(camera.name);
    m_txtAddress->setText(camera.address);
    m_txtUser->setText(camera.user);
    m_txtPassword->clear();
    m_txtPassword->setPlaceholderText(camera.hasPassword ? GetText(kPasswordStored) : QString());
    m_passwordTyped = false;
    selectDoor(camera.doorID);
    setDescription(camera.note);
    setWindowTitle(m_cameraID == 0 ? GetText(kCaption) : GetText(kCaption) + QStringLiteral(" - ") + camera.name);
    setStored(m_cameraID != 0);
    setChanged(false);
    m_txtName->setFocus();
}

void frmCameraData::Activate()
{
    activate();
    checkAuthority();
}

void frmCameraData::Update(int32_t cameraID)
{
    if (cameraID == m_cameraID && m_cameraID != 0 && !isChanged())
        setCameraID(cameraID);
}

void frmCameraData::Remove(int32_t cameraID)
{
    if (cameraID == m_cameraID && m_cameraID != 0)
        UnloadWindow(this);
}

void frmCameraData::fillDoors()
{
    const qint32 selected = m_cboDoor->count() ? m_cboDoor->currentData().toInt() : 0;
    QList<CameraStore::Choice> doors;
    m_store.doors(doors); // a door list that cannot be read offers no door; the camera keeps its own
    m_cboDoor->clear();
    m_cboDoor->addItem(GetText(kNoDoor), 0);
    for (const CameraStore::Choice &door : std::as_const(doors))
        m_cboDoor->addItem(door.name, door.id);
    selectDoor(selected);
}

void frmCameraData::selectDoor(qint32 doorID)
{
    int index = m_cboDoor->findData(doorID);
    if (index < 0) {
        // A door the list does not offer (gone, or unreadable) stays linked until the operator picks another.
        m_cboDoor->addItem(QString::number(doorID), doorID);
        index = m_cboDoor->count() - 1;
    }
    m_cboDoor->setCurrentIndex(index);
}

CameraStore::Camera frmCameraData::typed() const
{
    CameraStore::Camera camera;
    camera.cameraID = m_cameraID;
    camera.name = m_txtName->text().trimmed();
    camera.address = m_txtAddress->text().trimmed();
    camera.user = m_txtUser->text().trimmed();
    if (m_passwordTyped)
        camera.password = m_txtPassword->text();
    camera.doorID = m_cboDoor->currentData().toInt();
    camera.noteID = m_noteID;
    camera.note = description();
    return camera;
}

void frmCameraData::focusField(SaveOutcome::Focus focus)
{
    if (focus == SaveOutcome::Focus::Name)
        m_txtName->setFocus();
    else if (focus == SaveOutcome::Focus::Address)
        m_txtAddress->setFocus();
}

void frmCameraData::saveRecord()
{
    CameraStore::Camera camera = typed();
    if (!showOutcome(SaveNewCamera(m_store, camera)))
        return;
    setCameraID(camera.cameraID);
    m_session.notify.NotifyCameraAdded(camera.cameraID);
}

void frmCameraData::updateRecord()
{
    CameraStore::Camera camera = typed();
    if (!showOutcome(UpdateCamera(m_store, camera)))
        return;
    setCameraID(camera.cameraID);
    m_session.notify.NotifyCameraUpdated(camera.cameraID, camera.name, camera.address);
}
