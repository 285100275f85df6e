#include "admin/DeviceStore.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

namespace {

constexpr int16_t kNameMissing = -29799;
constexpr int16_t kNameTaken = -29798;
constexpr int16_t kFolderInvalid = -29797;
constexpr int16_t kHostPortInvalid = -29796;
constexpr int16_t kAddressInvalid = -29795;
constexpr int16_t kAddressTaken = -29794;
constexpr int16_t kComputerMissing = -29790;
constexpr int16_t kTypeUnknown = -29789;
constexpr int32_t kNoteInsertError = 4976;
constexpr int32_t kDeviceInsertError = 4977;
constexpr int32_t kNoteUpdateError = 4978;
constexpr int32_t kDeviceUpdateError = 4979;

std::optional<SaveOutcome> checkEntry(DeviceStore &store, const DeviceEntry &entry, int32_t errorCode)
{
    SaveOutcome::Focus focus = SaveOutcome::Focus::None;
    if (const int16_t message = DeviceProblemMessage(CheckDevice(entry), focus); message != 0)
        return SaveOutcome::refused(message, focus);
    bool taken = false;
    if (const RecordResult read = store.nameTaken(entry.name.trimmed(), entry.deviceID, taken); !read.ok())
        return SaveOutcome::failed(errorCode, read);
    if (taken)
        return SaveOutcome::refused(kNameTaken, SaveOutcome::Focus::Name);
    return std::nullopt;
}

} // namespace

int16_t DeviceProblemMessage(DeviceProblem problem, SaveOutcome::Focus &focus)
{
    // The dialog has no code or number fields: Code stands for the port, Number for the address.
    using Focus = SaveOutcome::Focus;
    switch (problem) {
    case DeviceProblem::None:
        focus = Focus::None;
        return 0;
    case DeviceProblem::NameMissing:
        focus = Focus::Name;
        return kNameMissing;
    case DeviceProblem::TypeUnknown:
        focus = Focus::None;
        return kTypeUnknown;
    case DeviceProblem::ComputerMissing:
        focus = Focus::None;
        return kComputerMissing;
    case DeviceProblem::FolderInvalid:
        focus = Focus::Code;
        return kFolderInvalid;
    case DeviceProblem::HostPortInvalid:
    case DeviceProblem::ConnectionUnknown:
        focus = Focus::Code;
        return kHostPortInvalid;
    case DeviceProblem::AddressInvalid:
        focus = Focus::Number;
        return kAddressInvalid;
    }
    return 0;
}

RecordResult DeviceStore::load(qint32 deviceID, DeviceEntry &entry)
{
    m_table.SelectTable(TableId::Devices);
    m_table.SetField(Field::deviceID, deviceID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    entry.deviceID = m_table.GetField(Field::deviceID).toInt();
    entry.name = m_table.GetField(Field::deviceName).toString();
    entry.deviceType = m_table.GetField(Field::deviceType).toInt();
    entry.computerName = m_table.GetField(Field::computerName).toString();
    entry.portName = m_table.GetField(Field::portName).toString();
    entry.address = m_table.GetField(Field::address).toString();
    entry.componentType = m_table.GetField(Field::componentType).toInt();
    entry.noteID = m_table.GetField(Field::noteID).toInt();
    entry.note = ReadNote(m_table, entry.noteID);
    return {};
}

RecordResult DeviceStore::nameTaken(const QString &name, qint32 except, bool &taken)
{
    taken = false;
    m_table.SelectTable(TableId::Devices);
    m_table.OpenQuery(QString(), QString());
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext()) {
        if (m_table.GetField(Field::deviceID).toInt() != except &&
            m_table.GetField(Field::deviceName).toString().trimmed().compare(name, Qt::CaseInsensitive) == 0)
            taken = true;
    }
    const RecordResult read =
        m_table.Status() == RecordStatus::NoRecord ? RecordResult{} : result(RecordResult::Step::Record);
    m_table.CloseQuery();
    return read;
}

RecordResult DeviceStore::idTaken(qint32 deviceID, bool &taken)
{
    m_table.SelectTable(TableId::Devices);
    m_table.SetField(Field::deviceID, deviceID);
    m_table.FindRecord();
    taken = m_table.Status() == RecordStatus::Ok;
    return taken || m_table.Status() == RecordStatus::NoRecord ? RecordResult{} : result(RecordResult::Step::Record);
}

void DeviceStore::setFields(const DeviceEntry &entry)
{
    m_table.SetField(Field::deviceName, entry.name.trimmed());
    m_table.SetField(Field::deviceType, entry.deviceType);
    m_table.SetField(Field::computerName, entry.computerName.trimmed());
    m_table.SetField(Field::portName, entry.portName);
    m_table.SetField(Field::componentType, IsVirtualDevice(entry.deviceType) ? 0 : entry.componentType);
    m_table.SetField(Field::noteID, entry.noteID);
}

RecordResult DeviceStore::insert(DeviceEntry &entry)
{
    const qint32 givenID = DeviceIDFromAddress(entry.address).value_or(0);
    if (RecordResult note = InsertNote(m_table, entry.note, entry.noteID); !note.ok())
        return note;
    m_table.SelectTable(TableId::Devices);
    if (givenID != 0) {
        m_table.UseGivenKey();
        m_table.SetField(Field::deviceID, givenID);
        m_table.SetField(Field::address, QString::number(givenID - 1000));
    }
    setFields(entry);
    m_table.InsertRecord();
    const RecordResult inserted = result(RecordResult::Step::Record);
    if (inserted.ok()) {
        entry.deviceID = m_table.GetField(Field::deviceID).toInt();
    } else {
        DeleteNote(m_table, entry.noteID);
        entry.noteID = 0;
    }
    return inserted;
}

RecordResult DeviceStore::update(DeviceEntry &entry)
{
    m_table.SelectTable(TableId::Devices);
    m_table.SetField(Field::deviceID, entry.deviceID);
    m_table.FindRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    if (RecordResult note = WriteNote(m_table, entry.noteID, entry.note); !note.ok())
        return note;
    m_table.SelectTable(TableId::Devices);
    m_table.SetField(Field::deviceID, entry.deviceID);
    m_table.FindRecord();
    if (m_table.Status() == RecordStatus::Ok) {
        setFields(entry);
        m_table.UpdateRecord();
    }
    return result(RecordResult::Step::Record);
}

RecordResult DeviceStore::doorCount(qint32 deviceID, int &doors)
{
    doors = 0;
    m_table.SelectTable(TableId::DoorDevices);
    m_table.OpenQuery(QString(Field::deviceID) + QStringLiteral(" = ?"), QString());
    m_table.AddParameter(deviceID);
    for (; m_table.Status() == RecordStatus::Ok; m_table.MoveNext())
        ++doors;
    const RecordResult read =
        m_table.Status() == RecordStatus::NoRecord ? RecordResult{} : result(RecordResult::Step::Record);
    m_table.CloseQuery();
    return read;
}

RecordResult DeviceStore::remove(qint32 deviceID)
{
    DeviceEntry entry;
    if (RecordResult loaded = load(deviceID, entry); !loaded.ok())
        return loaded;
    m_table.SelectTable(TableId::Devices);
    m_table.SetField(Field::deviceID, deviceID);
    m_table.FindRecord();
    if (m_table.Status() == RecordStatus::Ok)
        m_table.DeleteRecord();
    if (m_table.Status() != RecordStatus::Ok)
        return result(RecordResult::Step::Record);
    return DeleteNote(m_table, entry.noteID);
}

SaveOutcome SaveNewDevice(DeviceStore &store, DeviceEntry &entry)
{
    entry.deviceID = 0;
    if (std::optional<SaveOutcome> refused = checkEntry(store, entry, kDeviceInsertError))
        return *refused;
    if (const qint32 givenID = DeviceIDFromAddress(entry.address).value_or(0); givenID != 0) {
        bool taken = false;
        if (const RecordResult read = store.idTaken(givenID, taken); !read.ok())
            return SaveOutcome::failed(kDeviceInsertError, read);
        if (taken)
            return SaveOutcome::refused(kAddressTaken, SaveOutcome::Focus::Number);
    }
    if (const RecordResult inserted = store.insert(entry); !inserted.ok())
        return SaveOutcome::failed(inserted.failed == RecordResult::Step::Note ? kNoteInsertError : kDeviceInsertError,
                                   inserted);
    return {true};
}

SaveOutcome UpdateDevice(DeviceStore &store, DeviceEntry &entry)
{
    if (std::optional<SaveOutcome> refused = checkEntry(store, entry, kDeviceUpdateError))
        return *refused;
    if (const RecordResult updated = store.update(entry); !updated.ok())
        return SaveOutcome::failed(updated.failed == RecordResult::Step::Note ? kNoteUpdateError : kDeviceUpdateError,
                                   updated);
    return {true};
}
