#include "admin/frmCameraList.h"

#include "admin/CameraStore.h"
#include "admin/MasterDataRemoval.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Workstation.h"
#include "ui/FrameHost.h"

#include <QCursor>
#include <QPushButton>

namespace {

constexpr int16_t kAllSubscribed = -29753;
constexpr int16_t kStopShowing = -29752;
constexpr int32_t kSubscriptionError = 4998;
const QString kMenuRoot = QStringLiteral("C0");

QList<CameraStore::Choice> cameraRows(const QList<int> &rows,
                                      const std::function<QVariant(int, const QString &)> &value)
{
    QList<CameraStore::Choice> cameras;
    for (int row : rows)
        cameras.append({value(row, Field::cameraID).toInt(), value(row, Field::camName).toString()});
    return cameras;
}

} // namespace

void OpenCameraPicture(FrameHost *host, qint32 cameraID)
{
    OpenChild(host, WindowKinds::camera(cameraID), [cameraID](CameraWindow &window) { window.setCameraID(cameraID); });
}

frmCameraList::frmCameraList(ProgramServices &program, DatabaseServices &db, Session &session,
                             FrameWindows &frameWindows, QWidget *parent)
    : MasterDataList({"frmCameraList",
                      "tlvCameras",
                      10,
                      TableId::Cameras,
                      TableId::CameraView,
                      29450,
                      {29451, 29452, 29453, 29503},
                      QStringLiteral("camName,camAddress,doorName,noteText,cameraID"),
                      QStringLiteral("tlvCamerasCol"),
                      true},
                     program, db, session, frameWindows, parent)
{
    QPushButton *picture = addRowCommand("cmdPicture", 29455);
    connect(picture, &QPushButton::clicked, this, [this] {
        if (const QList<int> rows = selectedRows(); !rows.isEmpty())
            OpenCameraPicture(m_frameWindows.frameHost, rowValue(rows.first(), Field::cameraID).toInt());
    });
    m_session.notify.SubscribeCameras(this, Notify::handleOf(this));
    runSearch();
}

frmCameraList::~frmCameraList()
{
    m_session.notify.UnsubscribeCameras(Notify::handleOf(this));
}

MasterDataList::Query frmCameraList::query(const QString &searchText) const
{
    return {QString(Field::camName) + QStringLiteral(" like ?"), Field::camName, {searchText + QLatin1Char('%')}};
}

void frmCameraList::addRecord()
{
    OpenChild(m_frameWindows.frameHost, WindowKinds::CameraData, [](CameraDataWindow &window) { window.NewRecord(); });
}

void frmCameraList::removeRows(const QList<int> &rows)
{
    const RemovalContext context{*m_db.database,      *m_program.messages,  m_session.notify,
                                 m_session.authority, m_session.frame.busy, this};
    // Each camera removed is announced, and the announcement refreshes this list.
    RemoveCameras(context, cameraRows(rows, [this](int row, const QString &field) { return rowValue(row, field); }));
}

void frmCameraList::openRow(int row)
{
    const qint32 cameraID = rowValue(row, Field::cameraID).toInt();
    OpenChild(m_frameWindows.frameHost, WindowKinds::CameraData,
              [cameraID](CameraDataWindow &window) { window.setCameraID(cameraID); });
}

frmSubCameras::frmSubCameras(ProgramServices &program, DatabaseServices &db, Session &session,
                             FrameWindows &frameWindows, qint32 clientID, QWidget *parent)
    : MasterDataList({"frmSubCameras",
                      "tlvSubCameras",
                      11,
                      TableId::CameraClients,
                      TableId::SubCameraView,
                      29454,
                      {29451, 29452, 29503},
                      QStringLiteral("camName,camAddress,noteText,cameraID,clientID"),
                      QStringLiteral("tlvSubCamerasCol"),
                      false},
                     program, db, session, frameWindows, parent),
      m_clientID(clientID), m_cameraMenu(this)
{
    m_session.notify.SubscribeCameras(this, Notify::handleOf(this));
    runSearch();
}

frmSubCameras::~frmSubCameras()
{
    m_session.notify.UnsubscribeCameras(Notify::handleOf(this));
}

MasterDataList::Query frmSubCameras::query(const QString &) const
{
    return {QString(Field::clientID) + QStringLiteral(" = ?"), Field::camName, {m_clientID}};
}

void frmSubCameras::addRecord()
{
    CameraStore store(*m_db.database);
    QList<CameraStore::Choice> cameras;
    if (const RecordResult read = store.unsubscribed(m_clientID, cameras); !read.ok()) {
        m_program.messages->errorWithCode(kSubscriptionError, read.errorText, this);
        return;
    }
    if (cameras.isEmpty()) {
        m_program.messages->information(kAllSubscribed, {}, this);
        return;
    }
    m_cameraMenu.Clear();
    m_cameraMenu.CreateRoot(QStringLiteral("HIDDEN"), kMenuRoot);
    for (const CameraStore::Choice &camera : std::as_const(cameras))
        m_cameraMenu.AddItem(kMenuRoot, QString::number(camera.id), camera.name);
    const QString key = m_cameraMenu.Show(kMenuRoot, QCursor::pos());
    if (key.isEmpty())
        return;
    if (const RecordResult added = store.subscribe(key.toInt(), m_clientID); !added.ok())
        m_program.messages->errorWithCode(kSubscriptionError, added.errorText, this);
    RefreshTableList();
}

void frmSubCameras::removeRows(const QList<int> &rows)
{
    CameraStore store(*m_db.database);
    const QList<CameraStore::Choice> cameras =
        cameraRows(rows, [this](int row, const QString &field) { return rowValue(row, field); });
    RemovalQuestions questions(*m_program.messages, this, cameras.size());
    for (const CameraStore::Choice &camera : cameras) {
        if (const RemoveAnswer answer = questions.ask(kStopShowing, {camera.name}); answer == RemoveAnswer::Cancel)
            break;
        else if (answer == RemoveAnswer::Skip)
            continue;
        if (const RecordResult gone = store.unsubscribe(camera.id, m_clientID); !gone.ok()) {
            m_program.messages->errorWithCode(kSubscriptionError, gone.errorText, this);
            break;
        }
    }
    RefreshTableList();
}

void frmSubCameras::openRow(int row)
{
    OpenCameraPicture(m_frameWindows.frameHost, rowValue(row, Field::cameraID).toInt());
}
