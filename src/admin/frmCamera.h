#pragma once

#include "admin/CameraPicture.h"
#include "admin/CameraStore.h"
#include "session/NotifyInterfaces.h"
#include "ui/WindowContracts.h"

#include <QImage>
#include <QWidget>

class QLabel;
struct DatabaseServices;
struct ProgramServices;
struct Session;

// The live picture of one camera (Tag "CAMERA"): its snapshot scaled to the window, or what went
// wrong as a numbered text in its place. It follows the camera's record and closes when the
// camera is removed.
class frmCamera : public QWidget, public CameraWindow, public clsICameraWindow, public clsICameras
{
    Q_OBJECT

public:
    frmCamera(ProgramServices &program, DatabaseServices &db, Session &session, QWidget *parent = nullptr);
    ~frmCamera() override;

    // CameraWindow
    void setCameraID(qint32 cameraID) override;
    bool IsDialogAvailable() override;
    void Activate() override { EvaluateAuthority(); }
    void EvaluateAuthority() override;
    ChildRole role() const override { return ChildRole::Camera; }
    int HelpContextID() const override { return 1209; }
    // clsICameraWindow
    int32_t CameraID() const override { return m_cameraID; }
    void CameraUpdated(const QString &cameraName, const QString &cameraAddress) override;
    // clsICameras
    void Add(int32_t) override {}
    void Update(int32_t) override {}
    void Remove(int32_t cameraID) override;
    void Refresh() override {}

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showSource(const CameraStore::Source &source);
    void showPicture(const QImage &picture);
    void showFailure(int message, const QVariantList &arguments);
    void scalePicture();

    ProgramServices &m_program;
    Session &m_session;
    CameraStore m_store;
    CameraPicture m_poller;
    QLabel *m_picCamera;
    QLabel *m_lblStatus;
    QImage m_picture;
    qint32 m_cameraID = 0;
    CameraStore::Source m_source;
};
