#include "components/cardserver/CardsIntf.h"

#include "components/cardserver/CardRecordState.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/Readout.h"
#include "components/cardserver/RegistrationNumber.h"
#include "components/cardserver/VirtualDeviceFolder.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

namespace {

using namespace CardServerStatus;

const QString kCardNameID = QStringLiteral("cardNameID");
const QString kMainGuestRoom = QStringLiteral("mainGuestRoom");
const QString kNumCards = QStringLiteral("numCards");
const QString kExpireTime = QStringLiteral("expireTime");
const QString kUserID = QStringLiteral("userID");
const QString kStatus = QStringLiteral("status");

constexpr qint32 kOperatorCard = 270;

bool isGuestKind(qint32 kind)
{
    return kind >= 256 && kind <= 259;
}

} // namespace

CardsIntf::CardsIntf(RecordDatabase &db, Setup setup, QObject *parent)
    : QObject(parent), m_store(db), m_setup(std::move(setup))
{
}

CardsIntf::~CardsIntf()
{
    if (m_driver)
        m_driver->abandon();
    m_store.rollback();
}

QString CardsIntf::defaultDeviceDirectory()
{
    const QString dir = qEnvironmentVariable("OSTRELLE_DEVICE_DIR");
    if (!dir.isEmpty())
        return dir;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("ostrelle/demo/devices"));
}

qint32 CardsIntf::setStatus(qint32 status, const QString &detail)
{
    // A running job owns the status until it ends.
    if (m_job == Job::None) {
        m_status = status;
        m_detailStatus = status;
        m_detail = detail;
    }
    return status;
}

qint32 CardsIntf::Negotiate(const QString &computerName)
{
    m_computerName = computerName;
    m_store.setComputerName(computerName);
    m_installation = m_store.installationId();
    return setStatus(Ok);
}

// --- Building the image ---

qint32 CardsIntf::builder(qint32 status)
{
    if (status != Ok && m_imageError == Ok)
        m_imageError = status;
    return status;
}

qint32 CardsIntf::NewCard()
{
    m_image.NewCard();
    m_imageError = Ok;
    m_storedFields.clear();
    return Ok;
}

qint32 CardsIntf::BeginBlock(qint32 blockType)
{
    return builder(m_image.BeginBlock(blockType));
}

qint32 CardsIntf::AddBlockValue(qint32 value)
{
    return builder(m_image.AddBlockValue(value));
}

qint32 CardsIntf::AddBlockDate(double date)
{
    return builder(m_image.AddBlockDate(date));
}

qint32 CardsIntf::AddDoorRange(qint32 kind, qint32 first, qint32 last)
{
    return builder(m_image.AddDoorRange(kind, first, last));
}

qint32 CardsIntf::SetImageOptionA(qint32 option)
{
    return builder(m_image.SetImageOptionA(option));
}

qint32 CardsIntf::SetImageOptionB(qint32 option)
{
    return builder(m_image.SetImageOptionB(option));
}

qint32 CardsIntf::SetCardField(const QString &name, const QVariant &value)
{
    const std::optional<CardFieldValue> v = CardFieldValue::fromVariant(value);
    if (!v)
        return builder(CardFormatStatus::InvalidArgument);
    m_storedFields.remove(name);
    return builder(m_image.SetCardField(name, *v));
}

QVariant CardsIntf::GetCardField(const QString &name) const
{
    const auto stored = m_storedFields.constFind(name);
    if (stored != m_storedFields.cend())
        return *stored;
    const std::optional<CardFieldValue> v = m_image.GetCardField(name);
    return v ? v->toVariant() : QVariant();
}

// --- Devices ---

qint32 CardsIntf::deviceFor(qint32 deviceNumber, DeviceInfo &info)
{
    const qint32 status = m_store.findDevice(deviceNumber, info);
    if (status == Ok)
        info.folder = VirtualDeviceFolder::resolvePort(m_setup.deviceDirectory, info.portName, deviceNumber);
    return status;
}

void CardsIntf::attach(std::unique_ptr<DeviceDriver> driver)
{
    if (m_driver)
        m_driver->abandon();
    m_driver = std::move(driver);
    m_ejectPending = false;
    if (!m_driver)
        return;
    DeviceDriver *d = m_driver.get();
    connect(d, &DeviceDriver::cardReady, this, &CardsIntf::onCardReady);
    connect(d, &DeviceDriver::written, this, &CardsIntf::onWritten);
    connect(d, &DeviceDriver::ejected, this, &CardsIntf::onEjected);
    connect(d, &DeviceDriver::cardRead, this, &CardsIntf::onCardRead);
    connect(d, &DeviceDriver::programmed, this, &CardsIntf::onProgrammed);
    connect(d, &DeviceDriver::readoutReady, this, &CardsIntf::onReadout);
    connect(d, &DeviceDriver::failed, this, &CardsIntf::onFailed);
}

qint32 CardsIntf::SelectDevice(qint32 deviceNumber)
{
    if (m_job != Job::None)
        return DeviceBusy;
    // Selecting the device again keeps its driver: a batch may still be ejecting its last card.
    if (m_driver && m_driver->info().deviceID == deviceNumber && deviceNumber != 0)
        return setStatus(deviceState());

    DeviceInfo info;
    const qint32 status = deviceFor(deviceNumber, info);
    if (status != Ok) {
        attach(nullptr);
        return setStatus(status, m_store.detail());
    }
    std::unique_ptr<DeviceDriver> driver = createVirtualDriver(info);
    if (!driver) {
        attach(nullptr);
        return setStatus(NoEncoder, QStringLiteral("Device type %1 has no driver.").arg(info.deviceType));
    }
    // A virtual device always exists: its folder is made on first use.
    VirtualDeviceFolder folder(info.folder);
    if (!folder.create(driver->isHandheld() ? VirtualDeviceFolder::Kind::Handheld
                                            : VirtualDeviceFolder::Kind::Encoder)) {
        attach(nullptr);
        return setStatus(DeviceNotReady, QStringLiteral("The folder %1 cannot be made.").arg(info.folder));
    }
    attach(std::move(driver));
    return setStatus(deviceState());
}

qint32 CardsIntf::deviceState() const
{
    if (VirtualDeviceFolder(m_driver->info().folder).isStopped(m_driver->info().deviceID))
        return DeviceNotReady;
    return m_driver->state();
}

qint32 CardsIntf::CheckEncoder()
{
    if (m_job != Job::None)
        return DeviceBusy;
    if (!m_driver || !m_driver->isEncoder())
        return setStatus(NoEncoder);
    return setStatus(deviceState());
}

qint32 CardsIntf::QueryDevice(qint32 deviceNumber)
{
    if (m_driver && m_driver->info().deviceID == deviceNumber)
        return setStatus(deviceState());
    DeviceInfo info;
    const qint32 status = deviceFor(deviceNumber, info);
    if (status != Ok)
        return setStatus(status, m_store.detail());
    if (info.deviceType != DeviceInfo::kEncoder && info.deviceType != DeviceInfo::kHandheld)
        return setStatus(NoEncoder);
    const VirtualDeviceFolder folder(info.folder);
    return setStatus(folder.exists() && !folder.isStopped(deviceNumber) ? Ok : DeviceNotReady);
}

qint32 CardsIntf::StartDevice(qint32 deviceNumber)
{
    DeviceInfo info;
    const qint32 status = deviceFor(deviceNumber, info);
    if (status != Ok)
        return setStatus(status, m_store.detail());
    if (info.deviceType != DeviceInfo::kEncoder && info.deviceType != DeviceInfo::kHandheld)
        return setStatus(NoEncoder);
    const auto kind = info.deviceType == DeviceInfo::kHandheld ? VirtualDeviceFolder::Kind::Handheld
                                                               : VirtualDeviceFolder::Kind::Encoder;
    if (!VirtualDeviceFolder(info.folder).create(kind))
        return setStatus(DeviceNotReady, QStringLiteral("The folder %1 cannot be made.").arg(info.folder));
    if (!VirtualDeviceFolder(info.folder).setStopped(deviceNumber, false))
        return setStatus(DeviceNotReady, QStringLiteral("The stop of device %1 cannot be cleared.").arg(deviceNumber));
    return setStatus(Ok);
}

qint32 CardsIntf::StopDevice(qint32 deviceNumber)
{
    DeviceInfo info;
    const qint32 status = deviceFor(deviceNumber, info);
    if (status != Ok)
        return setStatus(status, m_store.detail());
    if (!VirtualDeviceFolder(info.folder).setStopped(deviceNumber, true))
        return setStatus(DeviceNotReady, QStringLiteral("The folder %1 cannot be written.").arg(info.folder));
    if (m_driver && m_driver->info().deviceID == deviceNumber && m_job != Job::None) {
        m_driver->abandon();
        m_store.rollback();
        finish(DeviceNotReady, QStringLiteral("Device %1 was stopped.").arg(deviceNumber));
    }
    return Ok;
}

qint32 CardsIntf::ShowPrompt(const QString &text)
{
    if (!m_driver || !m_driver->isEncoder())
        return NoEncoder;
    m_driver->showPrompt(text);
    return Ok;
}

qint32 CardsIntf::SetBatchMode(qint32 flag)
{
    m_batchMode = flag != 0;
    return Ok;
}

qint32 CardsIntf::IsReady() const
{
    return m_job == Job::None && !m_ejectPending ? 1 : 0;
}

qint32 CardsIntf::SetActive(qint32 flag)
{
    m_active = flag != 0;
    if (m_active || m_job == Job::None)
        return Ok;
    if (m_job == Job::Encode && m_step == EncodeStep::Ejecting) {
        // The card is written and stored; only the copies still to come are given up.
        finish(m_copy >= m_copies ? Ok : Cancelled);
        return Ok;
    }
    if (m_job == Job::Encode && m_step == EncodeStep::WaitForEject) {
        finish(Cancelled);
        return Ok;
    }
    m_driver->abandon();
    m_store.rollback();
    finish(Cancelled);
    return Ok;
}

void CardsIntf::beginJob(Job job, qint32 status)
{
    m_job = job;
    m_status = status;
    m_detailStatus = Ok;
    m_detail.clear();
}

void CardsIntf::finish(qint32 status, const QString &detail)
{
    const Job job = std::exchange(m_job, Job::None);
    if (m_driver && (job == Job::Encode || job == Job::Read))
        m_driver->showPrompt(QString());
    m_status = status;
    m_detailStatus = status;
    m_detail = detail;
}

void CardsIntf::onFailed(qint32 status)
{
    if (m_job == Job::None)
        return;
    m_store.rollback();
    finish(status, status == m_detailStatus ? m_detail : QString());
}

// --- Encoding ---

qint32 CardsIntf::EncodeCard(const QString &description)
{
    if (m_job != Job::None)
        return DeviceBusy;
    if (m_imageError != Ok)
        return setStatus(m_imageError);
    if (!m_image.GetCardField(kCardNameID))
        return setStatus(ImageIncomplete, QStringLiteral("The card has no cardNameID."));
    const qint32 copies = cardFieldInt(m_image, kNumCards, 1);
    if (copies < 1 || copies > MaxCopies)
        return setStatus(ImageIncomplete, QStringLiteral("numCards is %1.").arg(copies));
    if (!m_driver || !m_driver->isEncoder())
        return setStatus(NoEncoder);
    if (const qint32 state = deviceState(); state != Ok)
        return setStatus(state);

    m_installation = m_store.installationId();
    m_work = m_image;
    m_copies = copies;
    m_copy = 0;
    m_number = 0;
    m_hasOverride = false;
    m_lastRegistration = 0;
    beginJob(Job::Encode, Busy);
    m_driver->showPrompt(description);
    if (m_ejectPending)
        m_step = EncodeStep::WaitForEject;
    else
        startCopy();
    return Ok;
}

void CardsIntf::startCopy()
{
    m_step = EncodeStep::WaitForCard;
    m_status = m_copy == 0 ? Busy : BusyNextCard;
    m_driver->waitForCard();
}

bool CardsIntf::isValidCardOfRoom(const QByteArray &contents)
{
    const qint32 room = cardFieldInt(m_work, kMainGuestRoom, 0);
    if (room <= 0 || contents.isEmpty() || contents == m_acknowledgedCard)
        return false;
    CardImage old;
    if (CardImage::decode(contents, old) != Ok || old.installationId() != m_installation)
        return false;
    if (!isGuestKind(cardFieldInt(old, kCardNameID, 0)) || cardFieldInt(old, kMainGuestRoom, 0) != room)
        return false;
    const double expire = cardFieldDate(old, kExpireTime, 0);
    if (expire <= m_store.now())
        return false;
    // A card cancelled at the desk, or one whose issue was never confirmed, is no valid card,
    // whatever it says. A card the database no longer knows counts as issued.
    if (const std::optional<quint32> reg = old.registrationNumber()) {
        if (!CardRecordState::countsAsValid(m_store.cardStatus(*reg).value_or(CardRecordState::Valid)))
            return false;
    }
    m_validCardExpire = expire;
    return true;
}

void CardsIntf::onCardReady(const QByteArray &contents)
{
    if (m_job != Job::Encode)
        return;
    // Stopped by another server object while waiting for the card: write nothing.
    if (deviceState() == DeviceNotReady) {
        m_driver->abandon();
        finish(DeviceNotReady, QStringLiteral("Device %1 was stopped.").arg(m_driver->info().deviceID));
        return;
    }
    if (m_copy == 0 && isValidCardOfRoom(contents)) {
        // Asked once: encoding again writes over this card.
        m_acknowledgedCard = contents;
        finish(ValidCardInEncoder);
        return;
    }
    m_step = EncodeStep::Writing;
    m_status = BusyWriting;
    m_driver->write([this](QByteArray &bytes) { return makeCopy(bytes); });
}

void CardsIntf::step(IssueStep step)
{
    if (m_setup.onIssueStep)
        m_setup.onIssueStep(step, quint32(m_number) * 256u + quint32(m_copy));
}

qint32 CardsIntf::makeCopy(QByteArray &bytes)
{
    m_status = BusyStoring;
    auto fail = [&](qint32 status, const QString &detail) {
        m_store.rollback();
        m_detailStatus = status;
        m_detail = detail;
        return status;
    };
    qint32 status = m_store.beginCopy(m_copy, m_number);
    if (status != Ok)
        return fail(status, m_store.detail());
    step(IssueStep::Storing);
    const qint32 kind = cardFieldInt(m_work, kCardNameID, 0);
    const qint32 room = cardFieldInt(m_work, kMainGuestRoom, 0);
    if (m_copy == 0 && isGuestKind(kind) && room > 0) {
        status = m_store.overrideNumber(kind, room, m_override);
        if (status != Ok)
            return fail(DatabaseError, m_store.detail());
        m_hasOverride = true;
    }
    CardImage image = m_work;
    image.setInstallationId(m_installation);
    const quint32 stored = quint32(m_number) * 256u + quint32(m_copy);
    image.setRegistrationNumber(stored);
    if (m_hasOverride)
        image.SetCardField(QStringLiteral("overrideNumber"), CardFieldValue::int16(m_override));
    status = image.encode(bytes);
    if (status != Ok)
        return fail(status, QString());
    status = m_store.storeCopy(image, stored, m_copies, bytes);
    if (status != Ok)
        return fail(DatabaseError, m_store.detail());
    // The record is committed before the card exists: whatever happens next, no card is without it.
    step(IssueStep::CommitNotYetIssued);
    if (!m_store.commit())
        return fail(DatabaseError, m_store.detail());
    m_written = image;
    step(IssueStep::Writing);
    return Ok;
}

void CardsIntf::onWritten(qint32 status)
{
    if (m_job != Job::Encode)
        return;
    const quint32 stored = quint32(m_number) * 256u + quint32(m_copy);
    if (status != Ok) {
        QString detail;
        if (!m_store.markNeverIssued(stored)) {
            detail = QStringLiteral("The card's record stays not confirmed (%1): %2")
                         .arg(FormatRegistrationNumber(stored), m_store.detail());
        }
        finish(status, detail);
        return;
    }
    step(IssueStep::Written);
    if (m_store.markIssued(m_written, stored, [this] { step(IssueStep::CommitIssued); }) != Ok) {
        notConfirmed(m_written);
        return;
    }
    m_lastRegistration = qint32(stored);
    ++m_copy;
    m_step = EncodeStep::Ejecting;
    m_ejectPending = true;
    m_driver->eject();
    // In a batch the next card may be prepared while this one leaves the encoder; IsReady waits.
    if (m_copy >= m_copies && m_batchMode)
        finish(Ok);
    else
        m_status = BusyEjecting;
}

void CardsIntf::notConfirmed(const CardImage &image)
{
    const quint32 stored = image.registrationNumber().value_or(0);
    const QString failure = m_store.detail();
    if (!m_driver->erase()) {
        finish(NotConfirmed, QStringLiteral("Card %1: %2").arg(FormatRegistrationNumber(stored), failure));
        return;
    }
    // Erased, no such card exists; when the database answers again the row says so.
    const QString row = m_store.markNeverIssued(stored) ? QStringLiteral("its record is marked never issued")
                                                        : QStringLiteral("its record stays not confirmed");
    finish(CardErased, QStringLiteral("Card %1, %2: %3").arg(FormatRegistrationNumber(stored), row, failure));
}

void CardsIntf::onEjected()
{
    m_ejectPending = false;
    if (m_job != Job::Encode)
        return;
    if (m_step == EncodeStep::WaitForEject || m_copy < m_copies)
        startCopy();
    else
        finish(Ok);
}

// --- Reading ---

qint32 CardsIntf::takeImage(const QByteArray &bytes)
{
    CardImage image;
    const qint32 status = CardImage::decode(bytes, image);
    if (status != Ok)
        return status;
    m_image = image;
    m_imageError = Ok;
    m_storedFields.clear();
    if (const std::optional<quint32> reg = m_image.registrationNumber()) {
        // The card status lives in the database; a card it no longer knows counts as issued.
        m_storedFields.insert(kStatus, m_store.cardStatus(*reg).value_or(CardRecordState::Valid));
    }
    return Ok;
}

qint32 CardsIntf::ReadCard(const QString &prompt)
{
    if (m_job != Job::None)
        return DeviceBusy;
    if (!m_driver || !m_driver->isEncoder())
        return setStatus(NoEncoder);
    if (const qint32 state = deviceState(); state != Ok)
        return setStatus(state);
    beginJob(Job::Read, BusyReading);
    m_driver->showPrompt(prompt);
    m_driver->read();
    return Ok;
}

void CardsIntf::onCardRead(const QByteArray &contents)
{
    if (m_job != Job::Read)
        return;
    if (contents.isEmpty()) {
        NewCard();
        finish(BlankCardRead);
        return;
    }
    const qint32 status = takeImage(contents);
    if (status != Ok) {
        NewCard();
        finish(status);
        return;
    }
    if (m_image.installationId() != m_store.installationId()) {
        NewCard();
        finish(ForeignCardRead);
        return;
    }
    finish(CardRead);
}

qint32 CardsIntf::LoadCard(qint32 registrationNumber)
{
    if (m_job != Job::None)
        return DeviceBusy;
    QByteArray bytes;
    qint32 status = m_store.loadImage(quint32(registrationNumber), bytes);
    if (status != Ok)
        return setStatus(status, m_store.detail());
    status = takeImage(bytes);
    return setStatus(status);
}

qint32 CardsIntf::GetNextRange(qint32 &kind, qint32 &blockType, qint32 &first, qint32 &last)
{
    return setStatus(m_image.GetNextRange(kind, blockType, first, last));
}

qint32 CardsIntf::GetNextValue()
{
    qint32 value = 0;
    setStatus(m_image.GetNextValue(value));
    return value;
}

qint32 CardsIntf::LogonOperator(qint32 &userID, double &expireTime)
{
    userID = 0;
    expireTime = 0;
    if (!m_driver || !m_driver->isEncoder())
        return NoEncoder;
    QByteArray bytes;
    if (!m_driver->peekCard(bytes) || bytes.isEmpty())
        return NoCard;
    CardImage card;
    const qint32 status = CardImage::decode(bytes, card);
    if (status != Ok)
        return status;
    const double expire = cardFieldDate(card, kExpireTime, 0);
    const std::optional<quint32> reg = card.registrationNumber();
    if (card.installationId() != m_store.installationId() || cardFieldInt(card, kCardNameID, 0) != kOperatorCard ||
        expire <= m_store.now() ||
        (reg && !CardRecordState::countsAsValid(m_store.cardStatus(*reg).value_or(CardRecordState::Valid))))
        return NotOperatorCard;
    userID = cardFieldInt(card, kUserID, 0);
    expireTime = expire;
    return Ok;
}

// --- Handheld units ---

qint32 CardsIntf::SetupDevice(qint32 promptText)
{
    Q_UNUSED(promptText) // the virtual unit has no display
    if (m_job != Job::None)
        return DeviceBusy;
    if (!m_driver || !m_driver->isHandheld())
        return setStatus(NotHandheld);
    if (const qint32 state = deviceState(); state != Ok)
        return setStatus(state);
    const QByteArray setup = m_store.handheldSetup(m_driver->info());
    beginJob(Job::Program, Busy);
    m_driver->program(setup);
    return Ok;
}

void CardsIntf::onProgrammed(qint32 status)
{
    if (m_job == Job::Program)
        finish(status);
}

qint32 CardsIntf::ReadDevice(const QString &prompt)
{
    Q_UNUSED(prompt)
    if (m_job != Job::None)
        return DeviceBusy;
    if (!m_driver || !m_driver->isHandheld())
        return setStatus(NotHandheld);
    if (const qint32 state = deviceState(); state != Ok)
        return setStatus(state);
    beginJob(Job::Readout, BusyReading);
    m_readData.clear();
    m_driver->readOut();
    return Ok;
}

void CardsIntf::onReadout(const QStringList &files, const QList<QByteArray> &texts)
{
    if (m_job != Job::Readout)
        return;
    Readout all;
    for (int i = 0; i < texts.size(); ++i) {
        ReadoutParseResult r = parseReadout(texts.at(i));
        if (r.status != Ok) {
            finish(r.status, QStringLiteral("%1, line %2: %3")
                                 .arg(QDir::toNativeSeparators(files.value(i)))
                                 .arg(r.line)
                                 .arg(r.reason));
            return;
        }
        for (ReadoutSource source : r.readout.sources) {
            // Read-outs are told apart by their time: the same read-out handed over twice counts once,
            // two locks read in the same second are set a second apart.
            auto sameTime = [&](const ReadoutSource &s) { return s.readoutTime == source.readoutTime; };
            const auto twin = std::find_if(all.sources.cbegin(), all.sources.cend(), sameTime);
            if (twin != all.sources.cend() && *twin == source)
                continue;
            while (std::any_of(all.sources.cbegin(), all.sources.cend(), sameTime))
                source.readoutTime += 1.0 / 86400.0;
            all.sources << source;
        }
    }
    m_readData = QString::fromUtf8(writeReadout(all));
    const QString store = m_store.parameter(QStringLiteral("EVENT_STOREREADOUT")).value_or(QString());
    if (store.trimmed().toInt() != 0) {
        const qint32 status = m_store.storeReadout(all, m_driver->info().deviceID);
        if (status != Ok) {
            // The files stay on the unit, so the next read stores them.
            finish(ReadoutNotStored, m_store.detail());
            return;
        }
    }
    m_driver->confirmReadout(files);
    finish(Ok);
}

// --- Texts ---

QString CardsIntf::GetStatusText(qint32 status) const
{
    QString text = CardServerStatus::text(status);
    if (text.isEmpty())
        text = CardFormatStatusText(status);
    // The database's own statuses: not connected, and its own range.
    if (text.isEmpty() && (status == RecordStatus::NotConnected || RecordStatus::isOwn(status)))
        text = QStringLiteral("Database error|") + m_store.errorText(status);
    if (text.isEmpty()) {
        const QString hex = QStringLiteral("%1").arg(quint32(status), 8, 16, QLatin1Char('0')).toUpper();
        text = QStringLiteral("Error 0x%1|The card-encoding server reported the status 0x%1.").arg(hex);
    }
    if (status == m_detailStatus && !m_detail.isEmpty())
        text += QLatin1Char(' ') + QString(m_detail).replace(QLatin1Char('|'), QLatin1Char('/'));
    return text;
}
