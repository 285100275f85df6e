#include "admin/CameraStore.h"

#include "admin/MasterDataRemoval.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Notify.h"
#include "texts/Messages.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr int16_t kNameMissing = -29755;
constexpr int16_t kAddressInvalid = -29756;
constexpr int16_t kRemoveCamera = -29754;
constexpr int16_t kRecordGone = -31227;
constexpr int32_t kNoteInsertError = 4993;
constexpr int32_t kCameraInsertError = 4994;
constexpr int32_t kNoteUpdateError = 4995;
constexpr int32_t kCameraUpdateError = 4996;
constexpr int32_t kCameraRemoveError = 4997;

std::optional<SaveOutcome> checkCamera(const CameraStore::Camera &camera)
{
    if (camera.name.isEmpty())
        return SaveOutcome::refused(kNameMissing, SaveOutcome::Focus::Name);
    if (!CameraSnapshotUrl(camera.address).isValid())
        return SaveOutcome::refused(kAddressInvalid, SaveOutcome::Focus::Address);
    return std::nullopt;
}

SaveOutcome saveOutcome(const RecordResult &written, int32_t noteError, int32_t rowError)
{
    if (written.ok())
        return {true};
    return SaveOutcome::failed(written.failed == RecordResult::Step::Note ? noteError : rowError, written);
}

} // namespace

QUrl CameraSnapshotUrl(const QString &address)
{
    static const QRegularExpression hostPort(
        QStringLiteral(R"(^(\[[0-9A-Fa-f:.]+\]|[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?)(:[0-9]{1,5})?$)"));
    const QString text = address.trimmed();
    QUrl url;
    if (text.contains(QStringLiteral("://"))) {
        url = QUrl(text, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return {};
        url.setScheme(scheme);
    } else if (hostPort.match(text).hasMatch()) {
        url = QUrl(QStringLiteral("http://") + text + QStringLiteral("/snapshot.jpg"), QUrl::StrictMode);
    }
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() || url.port() == 0)
        return {};
    return url;
}

RecordResult CameraStore::load(qint32 cameraID, Camera &camera)
{
    m_table.SelectTable(TableId::Cameras);
    m_table.SetField(Field::cameraID, cameraID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    camera = {};
    camera.cameraID = cameraID;
    camera.name = m_table.GetField(Field::camName).toString();
    camera.address = m_table.GetField(Field::camAddress).toString();
    camera.user = m_table.GetField(Field::camUser).toString();
    camera.hasPassword = !m_table.GetField(Field::camPassword).toString().isEmpty();
    camera.doorID = m_table.GetField(Field::doorID).toInt();
    camera.noteID = m_table.GetField(Field::noteID).toInt();
    camera.note = ReadNote(m_table, camera.noteID);
    return {};
}

RecordResult CameraStore::source(qint32 cameraID, Source &source)
{
    m_table.SelectTable(TableId::Cameras);
    m_table.SetField(Field::cameraID, cameraID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    source = {m_table.GetField(Field::camName).toString(), m_table.GetField(Field::camAddress).toString(),
              m_table.GetField(Field::camUser).toString(), m_table.GetField(Field::camPassword).toString()};
    return {};
}

RecordResult CameraStore::insert(Camera &camera)
{
    if (RecordResult note = InsertNote(m_table, camera.note, camera.noteID); !note.ok())
        return note;
    m_table.SelectTable(TableId::Cameras);
    m_table.SetField(Field::camName, camera.name);
    m_table.SetField(Field::camAddress, camera.address);
    m_table.SetField(Field::camUser, camera.user);
    m_table.SetField(Field::camPassword, camera.user.isEmpty() ? QString() : camera.password.value_or(QString()));
    m_table.SetField(Field::doorID, camera.doorID);
    m_table.SetField(Field::noteID, camera.noteID);
    m_table.InsertRecord();
    const RecordResult inserted = result(RecordResult::Step::Record);
    if (inserted.ok()) {
        camera.cameraID = m_table.GetField(Field::cameraID).toInt();
    } else {
        DeleteNote(m_table, camera.noteID);
        camera.noteID = 0;
    }
    return inserted;
}

RecordResult CameraStore::update(Camera &camera)
{
    if (RecordResult note = WriteNote(m_table, camera.noteID, camera.note); !note.ok())
        return note;
    m_table.SelectTable(TableId::Cameras);
    m_table.SetField(Field::cameraID, camera.cameraID);
    m_table.FindRecord();
    if (m_table.Status() == RecordStatus::Ok) {
        m_table.SetField(Field::camName, camera.name);
        m_table.SetField(Field::camAddress, camera.address);
        m_table.SetField(Field::camUser, camera.user);
        if (camera.user.isEmpty())
            m_table.SetField(Field::camPassword, QString());
        else if (camera.password)
            m_table.SetField(Field::camPassword, *camera.password);
        m_table.SetField(Field::doorID, camera.doorID);
        m_table.SetField(Field::noteID, camera.noteID);
        m_table.UpdateRecord();
    }
    return result(RecordResult::Step::Record);
}

RecordResult CameraStore::remove(qint32 cameraID)
{
    Camera camera;
    if (RecordResult loaded = load(cameraID, camera); !loaded.ok())
        return loaded;
    m_table.SelectTable(TableId::CameraClients);
    m_table.SetField(Field::cameraID, cameraID);
    m_table.DeleteRecord(); // every workstation's subscription; none is no failure
    if (m_table.Status() != RecordStatus::Ok && m_table.Status() != RecordStatus::NoRecord)
        return result(RecordResult::Step::Record);
    m_table.SelectTable(TableId::Cameras);
    m_table.SetField(Field::cameraID, cameraID);
    m_table.DeleteRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    return DeleteNote(m_table, camera.noteID);
}

RecordResult CameraStore::choices(qint32 tableId, const QString &idField, const QString &nameField,
                                  const QString &where, const QVariantList &parameters, QList<Choice> &rows)
{
    rows.clear();
    m_table.SelectTable(tableId);
    m_table.OpenQuery(where, nameField);
    for (const QVariant &value : parameters)
        m_table.AddParameter(value);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        rows.append({m_table.GetField(idField).toInt(), m_table.GetField(nameField).toString()});
    const RecordResult read =
        m_table.Status() == RecordStatus::NoRecord ? RecordResult{} : result(RecordResult::Step::Record);
    m_table.CloseQuery();
    return read;
}

RecordResult CameraStore::doors(QList<Choice> &doors)
{
    return choices(TableId::Doors, Field::doorID, Field::doorName, QString(), {}, doors);
}

RecordResult CameraStore::unsubscribed(qint32 clientID, QList<Choice> &cameras)
{
    QList<Choice> subscribed;
    if (RecordResult read = choices(TableId::SubCameraView, Field::cameraID, Field::camName,
                                    QString(Field::clientID) + QStringLiteral(" = ?"), {clientID}, subscribed);
        !read.ok())
        return read;
    // The client's rows are a handful; reading them first keeps the filter to the plain fragments.
    if (RecordResult read = choices(TableId::Cameras, Field::cameraID, Field::camName, QString(), {}, cameras);
        !read.ok())
        return read;
    cameras.removeIf([&subscribed](const Choice &camera) {
        return std::any_of(subscribed.cbegin(), subscribed.cend(),
                           [&camera](const Choice &s) { return s.id == camera.id; });
    });
    return {};
}

RecordResult CameraStore::subscribe(qint32 cameraID, qint32 clientID)
{
    m_table.SelectTable(TableId::CameraClients);
    m_table.SetField(Field::cameraID, cameraID);
    m_table.SetField(Field::clientID, clientID);
    m_table.InsertRecord();
    return result(RecordResult::Step::Record);
}

RecordResult CameraStore::unsubscribe(qint32 cameraID, qint32 clientID)
{
    m_table.SelectTable(TableId::CameraClients);
    m_table.SetField(Field::cameraID, cameraID);
    m_table.SetField(Field::clientID, clientID);
    m_table.DeleteRecord();
    return m_table.Status() == RecordStatus::NoRecord ? RecordResult{} : result(RecordResult::Step::Record);
}

SaveOutcome SaveNewCamera(CameraStore &store, CameraStore::Camera &camera)
{
    if (std::optional<SaveOutcome> refused = checkCamera(camera))
        return *refused;
    return saveOutcome(store.insert(camera), kNoteInsertError, kCameraInsertError);
}

SaveOutcome UpdateCamera(CameraStore &store, CameraStore::Camera &camera)
{
    if (std::optional<SaveOutcome> refused = checkCamera(camera))
        return *refused;
    return saveOutcome(store.update(camera), kNoteUpdateError, kCameraUpdateError);
}

QList<qint32> RemoveCameras(const RemovalContext &context, const QList<CameraStore::Choice> &cameras)
{
    CameraStore store(context.db);
    RemovalQuestions questions(context.messages, context.parent, cameras.size());
    QList<qint32> removed;
    for (const CameraStore::Choice &camera : cameras) {
        if (const RemoveAnswer answer = questions.ask(kRemoveCamera, {camera.name}); answer == RemoveAnswer::Cancel)
            return removed;
        else if (answer == RemoveAnswer::Skip)
            continue;
        if (const RecordResult gone = store.remove(camera.id); !gone.ok()) {
            if (gone.status == RecordStatus::NoRecord && gone.failed == RecordResult::Step::Record)
                context.messages.error(kRecordGone, {}, {}, context.parent);
            else
                context.messages.errorWithCode(kCameraRemoveError, gone.errorText, context.parent);
            continue;
        }
        removed << camera.id;
        context.notify.NotifyCameraRemoved(camera.id);
    }
    return removed;
}
