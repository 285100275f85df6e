#pragma once

#include "admin/NoteRecords.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QtGlobal>

#include <optional>

struct RemovalContext;

// Where a camera's picture comes from. An http or https URL is polled as it stands; a bare
// host[:port] means http://host[:port]/snapshot.jpg. Anything else (another scheme, a path
// without a scheme, a user or password inside the address) gives an invalid URL: the camera's
// user and password are fields of their own and never part of a shown address.
QUrl CameraSnapshotUrl(const QString &address);

// The camera rows, their notes and this workstation's subscriptions, free of widgets.
class CameraStore
{
public:
    struct Camera
    {
        qint32 cameraID = 0;
        QString name;
        QString address;
        QString user;
        // What to write: nullopt keeps the stored password (a new camera gets none). A camera
        // without a user keeps no password. Loading never fills it.
        std::optional<QString> password;
        bool hasPassword = false; // as loaded
        qint32 doorID = 0;
        qint32 noteID = 0;
        QString note;
    };
    // What the live picture polls.
    struct Source
    {
        QString name;
        QString address;
        QString user;
        QString password;
    };
    struct Choice
    {
        qint32 id = 0;
        QString name;
    };

    explicit CameraStore(RecordDatabase &db) : m_table(db) {}

    RecordResult load(qint32 cameraID, Camera &camera);
    RecordResult source(qint32 cameraID, Source &source);
    // Inserts the note, then the row, and reads the new cameraID; a failed row takes its note with it.
    RecordResult insert(Camera &camera);
    RecordResult update(Camera &camera);
    // Deletes the camera's subscriptions, its row and its note.
    RecordResult remove(qint32 cameraID);
    // The doors a camera may watch, by name.
    RecordResult doors(QList<Choice> &doors);
    // The cameras the client does not subscribe to yet, by name.
    RecordResult unsubscribed(qint32 clientID, QList<Choice> &cameras);
    RecordResult subscribe(qint32 cameraID, qint32 clientID);
    RecordResult unsubscribe(qint32 cameraID, qint32 clientID);

private:
    RecordResult result(RecordResult::Step step) const { return RecordResult::of(m_table, step); }
    RecordResult choices(qint32 tableId, const QString &idField, const QString &nameField, const QString &where,
                         const QVariantList &parameters, QList<Choice> &rows);

    RecordTable m_table;
};

// Saving a new camera: a name and a valid address, then the note and the row.
SaveOutcome SaveNewCamera(CameraStore &store, CameraStore::Camera &camera);
SaveOutcome UpdateCamera(CameraStore &store, CameraStore::Camera &camera);

// Removes the cameras in list order after asking for each (yes to all for several); each removed
// camera is announced. Returns the cameras removed.
QList<qint32> RemoveCameras(const RemovalContext &context, const QList<CameraStore::Choice> &cameras);
