#include "admin/frmDeviceList.h"

#include "admin/DeviceStore.h"
#include "admin/MasterDataRemoval.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"
#include "session/Workstation.h"
#include "texts/Messages.h"
#include "ui/ChildWindow.h"
#include "ui/FrameHost.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>

namespace {

constexpr int16_t kUsedByDoors = -29793;
constexpr int16_t kInUse = -29792;
constexpr int16_t kWorkstationDevice = -29791;
constexpr int16_t kRemoveQuestion = -29788;
constexpr int16_t kRemoveFailed = -29785;
const QString kWindowKey = QStringLiteral("dlgDeviceList");

} // namespace

frmDeviceList::frmDeviceList(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                             FrameWindows &frameWindows, QWidget *parent)
    : MasterDataList({"frmDeviceList",
                      "tlvDevices",
                      9,
                      TableId::Devices,
                      TableId::DeviceView,
                      29200,
                      {29201, 29202, 29203, 29204},
                      QStringLiteral("deviceName,portName,address,noteText,deviceID,computerName,deviceType"),
                      QStringLiteral("tlvDevicesCol"),
                      true,
                      TableId::DeviceView},
                     program, db, session, frameWindows, parent),
      m_cardServers(cardServers)
{
    RestoreWindowPlacement(program.registry, this, kWindowKey, 9300, 5700);
    m_session.notify.SubscribeDevices(this, Notify::handleOf(this));
    runSearch();
}

frmDeviceList::~frmDeviceList()
{
    m_session.notify.UnsubscribeDevices(Notify::handleOf(this));
}

void frmDeviceList::closeEvent(QCloseEvent *event)
{
    SaveWindowPlacement(m_program.registry, this, kWindowKey, LiteralErrorBox(*m_program.messages, nullptr));
    MasterDataList::closeEvent(event);
}

MasterDataList::Query frmDeviceList::query(const QString &searchText) const
{
    return {QString(Field::deviceName) + QStringLiteral(" like ?"), Field::deviceName, {searchText + QLatin1Char('%')}};
}

void frmDeviceList::addRecord()
{
    OpenChild(m_frameWindows.frameHost, WindowKinds::DeviceData, [](DeviceDataWindow &window) { window.NewRecord(); });
}

void frmDeviceList::openRow(int row)
{
    const qint32 deviceID = rowValue(row, Field::deviceID).toInt();
    OpenChild(m_frameWindows.frameHost, WindowKinds::DeviceData,
              [deviceID](DeviceDataWindow &window) { window.setDeviceID(deviceID); });
}

void frmDeviceList::removeRows(const QList<int> &rows)
{
    QList<QPair<qint32, QString>> devices;
    for (int row : rows)
        devices.append({rowValue(row, Field::deviceID).toInt(), rowValue(row, Field::deviceName).toString()});
    RemovalQuestions questions(*m_program.messages, this, devices.size());
    for (const auto &[deviceID, name] : devices) {
        if (!removeDevice(deviceID, name, questions))
            break;
    }
}

bool frmDeviceList::removeDevice(qint32 deviceID, const QString &name, RemovalQuestions &questions)
{
    Messages &messages = *m_program.messages;
    DeviceStore store(*m_db.database);
    clsLocalParams &local = m_program.LocalParams;
    DeviceUse use;
    if (const RecordResult read = store.doorCount(deviceID, use.doors); !read.ok()) {
        messages.error(kRemoveFailed, {name}, read.errorText, this);
        return false;
    }
    const CardsIntf *cards = m_cardServers.firstCardsIntf.get();
    use.busy = cards && cards->selectedDevice() == deviceID && cards->IsReady() == 0;
    use.workstationDevice = local.MagCardEncoderID() == deviceID || local.HCUID() == deviceID;

    switch (DeviceRemovalRule(use)) {
    case DeviceRemoval::RefuseDoors:
        messages.error(kUsedByDoors, {name, use.doors}, {}, this);
        return true;
    case DeviceRemoval::RefuseBusy:
        messages.error(kInUse, {name}, {}, this);
        return true;
    case DeviceRemoval::AskWorkstationDevice: {
        // Asked each time, also after "yes to all": the workstation loses its device.
        const RemoveAnswer answer = questions.askAlways(kWorkstationDevice, {name});
        if (answer != RemoveAnswer::Remove)
            return answer == RemoveAnswer::Skip;
        break;
    }
    case DeviceRemoval::Ask:
        if (const RemoveAnswer answer = questions.ask(kRemoveQuestion, {name}); answer != RemoveAnswer::Remove)
            return answer == RemoveAnswer::Skip;
        break;
    }
    if (const RecordResult removed = store.remove(deviceID); !removed.ok()) {
        messages.error(kRemoveFailed, {name}, removed.errorText, this);
        return false;
    }
    if (use.workstationDevice) {
        // The next card operation asks for a device instead of failing on a missing one.
        if (local.MagCardEncoderID() == deviceID)
            local.setMagCardEncoderID(0);
        if (local.HCUID() == deviceID)
            local.setHCUID(0);
        local.WriteLocalParameters();
    }
    m_session.notify.NotifyDeviceRemoved(deviceID);
    return true;
}
