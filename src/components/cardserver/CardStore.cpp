#include "components/cardserver/CardStore.h"

#include "components/cardserver/CardImage.h"
#include "components/cardserver/CardRecordState.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/Crc32.h"
#include "components/cardserver/Readout.h"
#include "components/recordtable/FieldNames.h"

#include <QSet>

#include <algorithm>

namespace {

// Kinds that occupy a room: their rooms go to CardDoors, so the room check and the occupancy
// lists find them.
bool isOccupancyKind(qint32 kind)
{
    return kind >= 256 && kind <= 259;
}

// A new occupancy (guest, suite, future arrival) overrides the cards issued for the room before;
// a joiner card joins the occupancy and carries the same number.
bool startsOccupancy(qint32 kind)
{
    return kind == 256 || kind == 258 || kind == 259;
}

// A guest card opens a handful of rooms; a range wider than this is not a list of rooms.
constexpr qint64 kMaxRoomsPerCard = 1000;

} // namespace

qint32 cardFieldInt(const CardImage &image, const QString &name, qint32 fallback)
{
    const std::optional<CardFieldValue> v = image.GetCardField(name);
    if (!v)
        return fallback;
    if (v->type == CardFieldType::Int16 || v->type == CardFieldType::Int32)
        return v->integer;
    if (v->type == CardFieldType::Text)
        return v->text.trimmed().toInt();
    return fallback;
}

double cardFieldDate(const CardImage &image, const QString &name, double fallback)
{
    const std::optional<CardFieldValue> v = image.GetCardField(name);
    return v && v->type == CardFieldType::Date ? v->date : fallback;
}

CardStore::CardStore(RecordDatabase &db) : m_db(db), m_rt(db), m_numbers(db) {}

void CardStore::setComputerName(const QString &name)
{
    m_rt.SetComputerName(name);
}

qint32 CardStore::dbFail(const QString &what)
{
    const qint32 status = m_rt.Status();
    m_detail = QStringLiteral("%1: %2").arg(what, m_rt.ErrorText(status));
    m_rt.CloseQuery();
    return status;
}

double CardStore::now()
{
    return m_rt.ServerNow();
}

std::optional<QString> CardStore::parameter(const QString &key)
{
    m_rt.SelectTable(TableId::Parameters);
    m_rt.SetField(Field::parameterID, key);
    m_rt.FindRecord();
    if (m_rt.Status() != RecordStatus::Ok) {
        m_rt.CloseQuery();
        return std::nullopt;
    }
    const QString value = m_rt.GetField(Field::parameter).toString();
    m_rt.CloseQuery();
    return value;
}

quint32 CardStore::installationId()
{
    const std::optional<QString> start = parameter(QStringLiteral("SYSTEM_STARTDATE"));
    return start ? crc32(start->trimmed().toUtf8()) : 0;
}

qint32 CardStore::findDevice(qint32 deviceID, DeviceInfo &info)
{
    m_detail.clear();
    if (deviceID == 0)
        return CardServerStatus::NoEncoder;
    m_rt.SelectTable(TableId::Devices);
    m_rt.SetField(Field::deviceID, deviceID);
    m_rt.FindRecord();
    if (m_rt.Status() == RecordStatus::NoRecord) {
        m_rt.CloseQuery();
        m_detail = QStringLiteral("There is no device %1.").arg(deviceID);
        return CardServerStatus::NoEncoder;
    }
    if (m_rt.Status() != RecordStatus::Ok)
        return dbFail(QStringLiteral("Devices"));
    info.deviceID = deviceID;
    info.deviceType = m_rt.GetField(Field::deviceType).toInt();
    info.deviceName = m_rt.GetField(Field::deviceName).toString();
    info.portName = m_rt.GetField(Field::portName).toString();
    m_rt.CloseQuery();
    return CardServerStatus::Ok;
}

qint32 CardStore::beginCopy(int copyIndex, qint32 &number)
{
    m_detail.clear();
    if (copyIndex > 0) {
        if (m_numbers.begin())
            return CardServerStatus::Ok;
        m_detail = m_numbers.errorText();
        return CardServerStatus::DatabaseError;
    }
    const RegistrationNumbers::Result result = m_numbers.allocate(number);
    m_detail = m_numbers.errorText();
    switch (result) {
    case RegistrationNumbers::Result::Ok:
        return CardServerStatus::Ok;
    case RegistrationNumbers::Result::NoRange:
        return CardServerStatus::NoRange;
    case RegistrationNumbers::Result::Exhausted:
        return CardServerStatus::RangeExhausted;
    case RegistrationNumbers::Result::DatabaseError:
        break;
    }
    return CardServerStatus::DatabaseError;
}

qint32 CardStore::overrideNumber(qint32 cardNameID, qint32 room, qint16 &number)
{
    number = 0;
    m_rt.SelectTable(TableId::Doors);
    m_rt.SetField(Field::doorID, room);
    m_rt.FindRecord();
    if (m_rt.Status() == RecordStatus::NoRecord) {
        m_rt.CloseQuery();
        return CardServerStatus::Ok;
    }
    if (m_rt.Status() != RecordStatus::Ok)
        return dbFail(QStringLiteral("Doors"));
    const qint32 last = m_rt.GetField(Field::lastOverrideNumber).toInt();
    const qint32 step = std::max(1, m_rt.GetField(Field::overrideIncrement).toInt());
    if (!startsOccupancy(cardNameID)) {
        number = qint16(last & 0xFF);
        m_rt.CloseQuery();
        return CardServerStatus::Ok;
    }
    number = qint16((last + step) & 0xFF);
    m_rt.SetField(Field::lastOverrideNumber, qint32(number));
    m_rt.UpdateRecord();
    if (m_rt.Status() != RecordStatus::Ok)
        return dbFail(QStringLiteral("Doors"));
    m_rt.CloseQuery();
    return CardServerStatus::Ok;
}

qint32 CardStore::storeCopy(const CardImage &image, quint32 stored, int copies, const QByteArray &bytes)
{
    const double issued = cardFieldDate(image, QStringLiteral("issueTime"), now());
    const qint32 kind = cardFieldInt(image, QStringLiteral("cardNameID"), 0);
    const qint32 room = cardFieldInt(image, QStringLiteral("mainGuestRoom"), 0);
    const qint32 operatorId = m_rt.CurrentOperatorID();

    m_rt.SelectTable(TableId::Cards);
    m_rt.SetField(Field::registrationNumber, qint32(stored));
    m_rt.SetField(Field::userID, cardFieldInt(image, QStringLiteral("userID"), 0));
    m_rt.SetField(Field::cardNameID, kind);
    m_rt.SetField(Field::issueTime, issued);
    m_rt.SetField(Field::startTime, cardFieldDate(image, QStringLiteral("startTime"), issued));
    m_rt.SetField(Field::expireTime, cardFieldDate(image, QStringLiteral("expireTime"), NoExpiry));
    m_rt.SetField(Field::status, CardRecordState::NotYetIssued);
    m_rt.SetField(Field::mainGuestRoom, room);
    m_rt.SetField(Field::issueOperatorID, operatorId);
    m_rt.SetField(Field::numberOfIdenticallyIssuedCards, copies);
    m_rt.InsertRecord();
    if (m_rt.Status() != RecordStatus::Ok)
        return dbFail(QStringLiteral("Cards"));
    m_rt.CloseQuery();

    m_rt.SelectTable(TableId::CardImages);
    m_rt.SetField(Field::registrationNumber, qint32(stored));
    m_rt.SetField(Field::cardImageData, bytes);
    m_rt.InsertRecord();
    if (m_rt.Status() != RecordStatus::Ok)
        return dbFail(QStringLiteral("CardImages"));
    m_rt.CloseQuery();
    return CardServerStatus::Ok;
}

QList<qint32> CardStore::roomsOf(const CardImage &image)
{
    if (!isOccupancyKind(cardFieldInt(image, QStringLiteral("cardNameID"), 0)))
        return {};
    QSet<qint32> doors;
    if (const qint32 room = cardFieldInt(image, QStringLiteral("mainGuestRoom"), 0); room > 0)
        doors.insert(room);
    for (const CardBlock &block : image.blocks()) {
        if (block.type != 97 && block.type != 99)
            continue;
        for (const DoorRange &r : block.ranges) {
            if (r.first <= 0 || r.last < r.first || qint64(r.last) - r.first >= kMaxRoomsPerCard)
                continue;
            for (qint32 d = r.first; d <= r.last; ++d)
                doors.insert(d);
        }
    }
    QList<qint32> sorted(doors.cbegin(), doors.cend());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

qint32 CardStore::settleNotYetIssued(quint32 stored, qint32 status)
{
    m_rt.SelectTable(TableId::Cards);
    m_rt.SetField(Field::registrationNumber, qint32(stored));
    m_rt.FindRecord();
    if (m_rt.Status() != RecordStatus::Ok)
        return dbFail(QStringLiteral("Cards"));
    // Cancelled meanwhile (the card list shows the row): the cancel stands.
    if (m_rt.GetField(Field::status).toInt() != CardRecordState::NotYetIssued) {
        m_rt.CloseQuery();
        m_detail = QStringLiteral("The card's record was changed meanwhile.");
        return RecordStatus::NoRecord;
    }
    m_rt.SetField(Field::status, status);
    m_rt.UpdateRecord();
    if (m_rt.Status() != RecordStatus::Ok)
        return dbFail(QStringLiteral("Cards"));
    m_rt.CloseQuery();
    return RecordStatus::Ok;
}

qint32 CardStore::markIssued(const CardImage &image, quint32 stored, const std::function<void()> &beforeCommit)
{
    m_detail.clear();
    if (!m_numbers.begin()) {
        m_detail = m_numbers.errorText();
        return CardServerStatus::DatabaseError;
    }
    auto fail = [&] {
        rollback();
        return CardServerStatus::DatabaseError;
    };
    if (settleNotYetIssued(stored, CardRecordState::Valid) != RecordStatus::Ok)
        return fail();
    // The room checks and the occupancy lists find a card through its rooms, so only once it is issued.
    for (qint32 door : roomsOf(image)) {
        m_rt.SelectTable(TableId::CardDoors);
        m_rt.SetField(Field::registrationNumber, qint32(stored));
        m_rt.SetField(Field::doorID, door);
        m_rt.InsertRecord();
        if (m_rt.Status() != RecordStatus::Ok) {
            dbFail(QStringLiteral("CardDoors"));
            return fail();
        }
        m_rt.CloseQuery();
    }
    if (beforeCommit)
        beforeCommit();
    if (!commit())
        return CardServerStatus::DatabaseError;
    return CardServerStatus::Ok;
}

bool CardStore::markNeverIssued(quint32 stored)
{
    m_detail.clear();
    if (!m_numbers.begin()) {
        m_detail = m_numbers.errorText();
        return false;
    }
    if (settleNotYetIssued(stored, CardRecordState::NeverIssued) != RecordStatus::Ok) {
        rollback();
        return false;
    }
    return commit();
}

bool CardStore::commit()
{
    if (m_numbers.commit())
        return true;
    m_detail = m_numbers.errorText();
    return false;
}

void CardStore::rollback()
{
    m_rt.CloseQuery();
    m_numbers.rollback();
}

qint32 CardStore::loadImage(quint32 stored, QByteArray &bytes)
{
    m_detail.clear();
    m_rt.SelectTable(TableId::CardImages);
    m_rt.SetField(Field::registrationNumber, qint32(stored));
    m_rt.FindRecord();
    if (m_rt.Status() == RecordStatus::NoRecord) {
        m_rt.CloseQuery();
        return CardServerStatus::CardNotFound;
    }
    if (m_rt.Status() != RecordStatus::Ok)
        return dbFail(QStringLiteral("CardImages"));
    bytes = m_rt.GetField(Field::cardImageData).toByteArray();
    m_rt.CloseQuery();
    return CardServerStatus::Ok;
}

std::optional<qint32> CardStore::cardStatus(quint32 stored)
{
    m_rt.SelectTable(TableId::Cards);
    m_rt.SetField(Field::registrationNumber, qint32(stored));
    m_rt.FindRecord();
    std::optional<qint32> status;
    if (m_rt.Status() == RecordStatus::Ok)
        status = m_rt.GetField(Field::status).toInt();
    m_rt.CloseQuery();
    return status;
}

qint32 CardStore::storeReadout(const Readout &readout, qint32 deviceID)
{
    m_detail.clear();
    RecordDatabase::Transaction transaction(m_db);
    for (const ReadoutSource &source : readout.sources) {
        if (source.kind != ReadoutSource::kLock)
            continue;
        // Reading the same unit twice must not list its events twice.
        m_rt.SelectTable(TableId::Readouts);
        m_rt.OpenQuery(QStringLiteral("doorID = ? and readoutTime = ?"), QString());
        m_rt.AddParameter(source.doorID);
        m_rt.AddParameter(source.readoutTime);
        if (m_rt.Status() == RecordStatus::Ok) {
            m_rt.CloseQuery();
            continue;
        }
        if (m_rt.Status() != RecordStatus::NoRecord)
            return dbFail(QStringLiteral("Readouts"));
        m_rt.CloseQuery();

        m_rt.SelectTable(TableId::Readouts);
        m_rt.SetField(Field::doorID, source.doorID);
        m_rt.SetField(Field::readoutTime, source.readoutTime);
        m_rt.SetField(Field::deviceID, deviceID);
        m_rt.InsertRecord();
        if (m_rt.Status() != RecordStatus::Ok)
            return dbFail(QStringLiteral("Readouts"));
        const qint32 readoutID = m_rt.GetField(Field::readoutID).toInt();
        m_rt.CloseQuery();

        for (const ReadoutEvent &e : source.events) {
            m_rt.SelectTable(TableId::Events);
            m_rt.SetField(Field::readoutID, readoutID);
            m_rt.SetField(Field::doorID, source.doorID);
            m_rt.SetField(Field::readoutTime, source.readoutTime);
            m_rt.SetField(Field::eventTime, e.eventTime);
            m_rt.SetField(Field::eventCode, e.eventCode);
            // Events without a card keep number 0, so the number filters of the event list still match them.
            m_rt.SetField(Field::registrationNumber, e.hasCard ? qint32(e.registrationNumber) : 0);
            m_rt.SetField(Field::cardNameID, e.hasCard ? QVariant(e.cardNameID) : QVariant());
            m_rt.SetField(Field::userID, e.hasCard ? QVariant(e.userID) : QVariant());
            m_rt.SetField(Field::repeatFlag, e.repeat ? 1 : 0);
            m_rt.InsertRecord();
            if (m_rt.Status() != RecordStatus::Ok)
                return dbFail(QStringLiteral("Events"));
            m_rt.CloseQuery();
        }
    }
    if (!transaction.commit()) {
        m_detail = QStringLiteral("Read-out: the transaction could not be committed.");
        return CardServerStatus::ReadoutNotStored;
    }
    return CardServerStatus::Ok;
}

QByteArray CardStore::handheldSetup(const DeviceInfo &device)
{
    const double programmed = now();
    QByteArray out;
    out += "OSTRELLE HANDHELD SETUP 1\n";
    out += QStringLiteral("INSTALLATION %1\n").arg(installationId(), 8, 16, QLatin1Char('0')).toUpper().toLatin1();
    out += "PROGRAMMED " + formatReadoutTime(programmed) + '\n';
    out += QStringLiteral("DEVICE %1 %2\n").arg(device.deviceID).arg(device.deviceName).toUtf8();

    m_rt.SelectTable(TableId::Doors);
    m_rt.OpenQuery(QString(), Field::doorID);
    while (m_rt.Status() == RecordStatus::Ok) {
        out += QStringLiteral("DOOR %1 %2 %3 %4\n")
                   .arg(m_rt.GetField(Field::doorID).toInt())
                   .arg(m_rt.GetField(Field::doorCategory).toString().left(1))
                   .arg(m_rt.GetField(Field::lastOverrideNumber).toInt())
                   .arg(m_rt.GetField(Field::doorName).toString().simplified())
                   .toUtf8();
        m_rt.MoveNext();
    }
    m_rt.CloseQuery();

    // The locks refuse cancelled cards that have not expired yet.
    m_rt.SelectTable(TableId::Cards);
    m_rt.OpenQuery(QStringLiteral("status = ? and expireTime > ?"), Field::registrationNumber);
    m_rt.AddParameter(0);
    m_rt.AddParameter(programmed);
    while (m_rt.Status() == RecordStatus::Ok) {
        const quint32 stored = quint32(m_rt.GetField(Field::registrationNumber).toInt());
        out += "CANCELLED " + QByteArray::number(stored, 16).toUpper().rightJustified(8, '0') + ' ' +
               formatReadoutTime(m_rt.GetField(Field::expireTime).toDouble()) + '\n';
        m_rt.MoveNext();
    }
    m_rt.CloseQuery();
    out += "END\n";
    return out;
}
