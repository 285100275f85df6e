#include "admin/frmCamera.h"

#include "components/recordtable/TableDefs.h"
#include "session/Services.h"
#include "texts/Texts.h"
#include "ui/ChildWindow.h"
#include "ui/WindowPlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

constexpr int16_t kCaption = 29465;
constexpr int16_t kWaiting = 29466;
constexpr int16_t kLivePicture = 29467;
constexpr int kAddressInvalid = -29750;
constexpr int32_t kLoadErrorCode = 4992;
const QString kWindowKey = QStringLiteral("dlgCamera");

} // namespace

frmCamera::frmCamera(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent)
    : QWidget(parent), m_program(program), m_session(session), m_store(*db.database), m_picCamera(new QLabel(this)),
      m_lblStatus(new QLabel(this))
{
    setObjectName(QStringLiteral("frmCamera"));
    setProperty("Tag", QStringLiteral("CAMERA"));
    m_picCamera->setObjectName(QStringLiteral("picCamera"));
    m_picCamera->setAlignment(Qt::AlignCenter);
    m_picCamera->setWordWrap(true);
    m_picCamera->setMinimumSize(160, 120);
    m_picCamera->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_picCamera, 1);
    layout->addWidget(m_lblStatus);
    RestoreWindowPlacement(program.registry, this, kWindowKey, 6000, 5100);
    connect(&m_poller, &CameraPicture::pictureArrived, this, &frmCamera::showPicture);
    connect(&m_poller, &CameraPicture::failed, this, &frmCamera::showFailure);
    m_session.notify.SubscribeCameras(this, Notify::handleOf(this));
}

frmCamera::~frmCamera()
{
    m_poller.stop();
    m_session.notify.UnsubscribeCameras(Notify::handleOf(this));
    SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, nullptr));
}

bool frmCamera::IsDialogAvailable()
{
    return m_session.authority.IsTableDialogAvailable(TableId::Cameras, this);
}

void frmCamera::EvaluateAuthority()
{
    if (!m_session.authority.HasRight(TableId::Cameras, Authority::Read))
        UnloadWindow(this);
}

void frmCamera::setCameraID(qint32 cameraID)
{
    m_cameraID = cameraID;
    CameraStore::Source source;
    if (const RecordResult loaded = m_store.source(cameraID, source); !loaded.ok()) {
        m_poller.stop();
        m_picture = {};
        m_picCamera->clear();
        m_program.messages->errorWithCode(kLoadErrorCode, loaded.errorText, this);
        return;
    }
    showSource(source);
}

void frmCamera::CameraUpdated(const QString &cameraName, const QString &cameraAddress)
{
    // The user and password may have changed with the name and address.
    CameraStore::Source source = m_source;
    m_store.source(m_cameraID, source);
    source.name = cameraName;
    source.address = cameraAddress;
    showSource(source);
}

void frmCamera::Remove(int32_t cameraID)
{
    if (cameraID == m_cameraID)
        UnloadWindow(this);
}

void frmCamera::showSource(const CameraStore::Source &source)
{
    m_source = source;
    setWindowTitle(FormatText(GetText(kCaption), {source.name}));
    const QUrl url = CameraSnapshotUrl(source.address);
    m_picture = {};
    m_picCamera->clear();
    m_lblStatus->setText(GetText(kWaiting));
    m_poller.start(url, source.user, source.password);
    if (!url.isValid())
        showFailure(kAddressInvalid, {source.address});
}

void frmCamera::showPicture(const QImage &picture)
{
    m_picture = picture;
    scalePicture();
    m_lblStatus->setText(FormatText(GetText(kLivePicture), {CameraSnapshotUrl(m_source.address).toDisplayString()}));
}

void frmCamera::showFailure(int message, const QVariantList &arguments)
{
    // An old picture is not shown as if it were live: the message takes its place.
    m_picture = {};
    m_picCamera->setText(FormatText(GetText(int16_t(message)), arguments));
    m_lblStatus->clear();
}

void frmCamera::scalePicture()
{
    if (m_picture.isNull())
        return;
    m_picCamera->setPixmap(
        QPixmap::fromImage(m_picture.scaled(m_picCamera->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void frmCamera::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    scalePicture();
}

void frmCamera::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        UnloadWindow(this);
        return;
    }
    QWidget::keyPressEvent(event);
}
