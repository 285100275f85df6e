#include "pms/PmsKeyService.h"

#include "cards/CancelCardStore.h"
#include "cards/CardIssue.h"
#include "cards/GuestCardEncode.h"
#include "cards/GuestCardStore.h"
#include "cards/GuestRules.h"
#include "components/cardserver/CardServerStatus.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "session/Services.h"
#include "session/UserCreation.h"
#include "settings/clsSystemParams.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>

#include <optional>

namespace {

constexpr qint32 kGuest = 256;
constexpr qint32 kJoiner = 257;
constexpr qint32 kEncoderType = 0;
constexpr qint32 kRunning = 0;
constexpr qint32 kDone = 1;
constexpr int16_t kDescription = 29550; // "Key from the PMS", on the encoder's display

// Answer statuses (AS).
const QString kOk = QStringLiteral("OK");
const QString kBusy = QStringLiteral("BY");
const QString kUnknownRoom = QStringLiteral("UR");
const QString kNoEncoder = QStringLiteral("NE");
const QString kEncoderFailed = QStringLiteral("EF");
const QString kInvalidField = QStringLiteral("IV");
const QString kNoValidCard = QStringLiteral("NV");
const QString kNotAllowed = QStringLiteral("NR");
const QString kDatabase = QStringLiteral("DB");
const QString kUnknownRecord = QStringLiteral("UK");

// The fields a request is known by, in key order.
constexpr const char *kKeyFields[] = {"RN", "G#", "WS", "KC", "KT", "GA", "GD", "DT", "K#", "KO", "ID"};

PmsKeyService::Answer refusal(const QString &status, int16_t text)
{
    return {status, GetText(text), {}};
}

// YYMMDD, the years in this century.
std::optional<QDate> parseDate(const QString &text)
{
    if (text.size() != 6)
        return std::nullopt;
    const QDate date = QDate::fromString(QStringLiteral("20") + text, QStringLiteral("yyyyMMdd"));
    return date.isValid() ? std::optional(date) : std::nullopt;
}

// HHMM or HHMMSS.
std::optional<QTime> parseTime(const QString &text)
{
    const QTime time = text.size() == 4   ? QTime::fromString(text, QStringLiteral("HHmm"))
                       : text.size() == 6 ? QTime::fromString(text, QStringLiteral("HHmmss"))
                                          : QTime();
    return time.isValid() ? std::optional(time) : std::nullopt;
}

PmsRecord unframe(const QString &stored)
{
    PmsFrameReader reader;
    reader.append(stored.toUtf8());
    return reader.next().value_or(PmsRecord{});
}

} // namespace

PmsKeyService::PmsKeyService(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                             qint32 linkDevice)
    : m_program(program), m_db(db), m_cardServers(cardServers), m_session(session), m_linkDevice(linkDevice)
{
}

QList<PmsRecordDescription> PmsKeyService::records() const
{
    return {{"KR", {"K#", "KC", "KT", "RN", "WS", "DA", "TI", "G#", "GN", "GA", "GD", "DT", "KO", "ID"}},
            {"KM", {"K#", "KC", "RN", "WS", "DA", "TI", "G#", "GN", "GA", "GD", "DT", "KO", "ID"}},
            {"KD", {"RN", "WS", "DA", "TI", "G#", "ID"}},
            {"KA", {"AS", "CT", "RN", "WS", "G#", "K#", "KC", "DA", "TI"}}};
}

QString PmsKeyService::requestKey(const PmsRecord &request)
{
    QString key = QString::fromLatin1(request.type);
    for (const char *id : kKeyFields) {
        if (request.has(id))
            key += QLatin1Char('|') + QLatin1String(id) + request.value(id).trimmed();
    }
    return key;
}

void PmsKeyService::handle(const PmsRecord &request, std::function<void(const PmsRecord &)> reply)
{
    const bool known = request.type == "KR" || request.type == "KM" || request.type == "KD";
    if (!known) {
        reply(answerRecord(request, refusal(kUnknownRecord, -29711)));
        return;
    }
    const QString key = requestKey(request);
    PmsRecord stored;
    switch (claim(key, request.type, stored)) {
    case Claim::Done:
        reply(stored);
        return;
    case Claim::Running:
        reply(answerRecord(request, refusal(kBusy, -29715)));
        return;
    case Claim::Failed:
        reply(answerRecord(request, {kDatabase, m_claimError, {}}));
        return;
    case Claim::New:
        break;
    }
    const Answer result = request.type == "KD" ? keyDelete(request) : keyRequest(request, request.type == "KM");
    const PmsRecord answer = answerRecord(request, result);
    settle(key, answer, result);
    reply(answer);
}

PmsKeyService::Claim PmsKeyService::claim(const QString &key, const QByteArray &type, PmsRecord &stored)
{
    RecordTable clock(*m_db.database);
    const double now = clock.ServerNow();
    QSqlQuery q(m_db.database->sqlDatabase());
    q.prepare(QStringLiteral("SELECT \"state\", \"answer\", \"receivedTime\" FROM \"PmsRequests\" WHERE "
                             "\"requestKey\" = ?"));
    q.addBindValue(key);
    if (!q.exec()) {
        m_claimError = q.lastError().text();
        return Claim::Failed;
    }
    if (q.next()) {
        if (q.value(0).toInt() == kDone) {
            stored = unframe(q.value(1).toString());
            return Claim::Done;
        }
        if ((now - q.value(2).toDouble()) * 1440.0 < kAbandonedMinutes)
            return Claim::Running;
        QSqlQuery drop(m_db.database->sqlDatabase());
        drop.prepare(QStringLiteral("DELETE FROM \"PmsRequests\" WHERE \"requestKey\" = ?"));
        drop.addBindValue(key);
        if (!drop.exec()) {
            m_claimError = drop.lastError().text();
            return Claim::Failed;
        }
    }
    q.finish();
    // The key is the primary key: of two identical requests at once only one inserts.
    QSqlQuery insert(m_db.database->sqlDatabase());
    insert.prepare(QStringLiteral("INSERT INTO \"PmsRequests\" (\"requestKey\", \"deviceID\", \"recordType\", "
                                  "\"receivedTime\", \"state\") VALUES (?, ?, ?, ?, ?)"));
    for (const QVariant &value : {QVariant(key), QVariant(m_linkDevice), QVariant(QString::fromLatin1(type)),
                                  QVariant(now), QVariant(kRunning)})
        insert.addBindValue(value);
    return insert.exec() ? Claim::New : Claim::Running;
}

void PmsKeyService::settle(const QString &key, const PmsRecord &answer, const Answer &result)
{
    QSqlQuery q(m_db.database->sqlDatabase());
    // A refusal or failure is not kept: the PMS's next try is checked again (the encoder may be
    // back, the room may be set up by then).
    if (result.status != kOk) {
        q.prepare(QStringLiteral("DELETE FROM \"PmsRequests\" WHERE \"requestKey\" = ?"));
        q.addBindValue(key);
        q.exec();
        return;
    }
    QStringList numbers;
    for (qint32 number : result.cards)
        numbers << QString::number(number);
    q.prepare(QStringLiteral("UPDATE \"PmsRequests\" SET \"state\" = ?, \"answer\" = ?, \"registrationNumbers\" = ? "
                             "WHERE \"requestKey\" = ?"));
    q.addBindValue(kDone);
    q.addBindValue(QString::fromUtf8(formatPmsRecord(answer)));
    q.addBindValue(numbers.join(QLatin1Char(',')));
    q.addBindValue(key);
    q.exec();
}

PmsRecord PmsKeyService::answerRecord(const PmsRecord &request, const Answer &answer) const
{
    PmsRecord record;
    record.type = "KA";
    record.add("AS", answer.status).add("CT", answer.text);
    for (const char *id : {"RN", "WS", "G#", "K#", "KC", "ID"}) {
        if (request.has(id))
            record.add(id, request.value(id));
    }
    return record;
}

QString PmsKeyService::roomText(qint32 room)
{
    if (!m_db.SystemParams->WingCodes())
        return QString::number(room);
    RecordTable table(*m_db.database);
    return GuestCardStore(table).splitRoom(room).text();
}

PmsKeyService::Answer PmsKeyService::keyRequest(const PmsRecord &request, bool modify)
{
    const clsSystemParams &params = *m_db.SystemParams;
    RecordTable table(*m_db.database);
    GuestCardStore store(table);
    const double now = table.ServerNow();

    const QString kt = request.value("KT").trimmed().toUpper();
    if (!modify && !kt.isEmpty() && kt != QLatin1String("N") && kt != QLatin1String("D"))
        return refusal(kInvalidField, -29718);
    const bool duplicate = !modify && kt == QLatin1String("D");
    const qint32 kind = duplicate ? kJoiner : kGuest;

    const QString entry = request.value("RN").trimmed();
    if (entry.isEmpty())
        return refusal(kUnknownRoom, -31207);
    const qint32 room = store.guestRoom(entry, params.WingCodes());
    if (room == 0)
        return refusal(kUnknownRoom, -31182);

    const QString copies = request.value("K#").trimmed();
    const qint32 numCards = copies.isEmpty() ? 1 : copies.toInt();
    if (numCards <= 0)
        return refusal(kInvalidField, -31172);
    if (numCards > CardsIntf::MaxCopies)
        return refusal(kInvalidField, -29889);

    const QString name = request.value("GN");
    if (params.IssueTo() != 0 && name.trimmed().isEmpty())
        return refusal(kInvalidField, -31155);
    const GuestRules::IssueToName issueTo = GuestRules::ParseIssueTo(name);
    if (issueTo.error != 0)
        return refusal(kInvalidField, issueTo.error);

    // Common rooms: KO lists their numbers, "13" for common rooms 1 and 3.
    QList<qint32> common;
    const QList<GuestCardStore::Door> commonDoors = store.commonRooms();
    for (QChar c : request.value("KO").trimmed()) {
        const qint32 number = c.digitValue();
        bool exists = false;
        for (const GuestCardStore::Door &door : commonDoors)
            exists = exists || door.commonRoom == number;
        if (!GuestCardStore::isCommonRoom(number) || !exists)
            return refusal(kInvalidField, -29717);
        if (!common.contains(number))
            common << number;
    }

    // The room check, its question answered as a PMS means it: a new key replaces the room's
    // valid card, a duplicate needs one.
    CardsIntf *second =
        m_cardServers.secondCardsIntf ? m_cardServers.secondCardsIntf.get() : m_cardServers.firstCardsIntf.get();
    GuestRules::RoomCheck check;
    if (second)
        check = store.checkRoom(*second, room, now, duplicate, params.Family(), false);
    if (duplicate && check.result != GuestRules::RoomCheck::ValidCard)
        return refusal(kNoValidCard, -31184);
    if (duplicate && request.value("KO").trimmed().isEmpty()) {
        for (const GuestRules::RoomRange &range : check.commonRanges) {
            for (qint32 number = range.first; number <= range.last; ++number)
                common << number;
        }
    }

    // The departure: GD at DT, else at the installation's check-out hour; a duplicate without GD
    // ends with the valid card.
    double expireTime = 0;
    const QString departure = request.value("GD").trimmed();
    if (duplicate && departure.isEmpty()) {
        expireTime = check.expireTime;
    } else {
        const std::optional<QDate> day = parseDate(departure);
        const QString timeText = request.value("DT").trimmed();
        const std::optional<QTime> time =
            timeText.isEmpty() ? std::optional(QTime(GuestRules::DefaultCheckOutHour(params.NormalCheckOut()), 0))
                               : parseTime(timeText);
        if (!day || !time)
            return refusal(kInvalidField, -29716);
        expireTime = OleDate::fromDateTime(*day, *time);
        const QString arrival = request.value("GA").trimmed();
        if (!arrival.isEmpty()) {
            const std::optional<QDate> arrivalDay = parseDate(arrival);
            if (!arrivalDay || *arrivalDay > *day)
                return refusal(kInvalidField, -29716);
        }
    }
    if ((expireTime - now) * 1440.0 < 0)
        return refusal(kInvalidField, -31173);
    if (!m_session.authority.MayIssueCardKind(kind))
        return refusal(kNotAllowed, -29710);
    if (!m_session.authority.WithinCardValidity(kind, now, expireTime))
        return refusal(kNotAllowed, -31225);

    // The encoder: KC names it (device name, or its number); none given is the workstation's.
    qint32 device = m_program.LocalParams.MagCardEncoderID();
    const QString encoder = request.value("KC").trimmed();
    if (!encoder.isEmpty()) {
        device = 0;
        table.SelectTable(TableId::Devices);
        table.OpenQuery(QString(Field::deviceType) + QStringLiteral(" = ?"), QString(Field::deviceID));
        table.AddParameter(kEncoderType);
        for (; table.Status() == RecordStatus::Ok && device == 0; table.MoveNext()) {
            const qint32 id = table.GetField(Field::deviceID).toInt();
            if (table.GetField(Field::deviceName).toString().compare(encoder, Qt::CaseInsensitive) == 0 ||
                QString::number(id) == encoder)
                device = id;
        }
        table.CloseQuery();
    }
    if (device == 0)
        return refusal(kNoEncoder, -29719);

    CardIssue issue(m_program, m_cardServers, m_session);
    issue.setPollInterval(m_pollInterval);
    issue.setDevice(device);
    issue.setValidCardAnswer(true);
    if (!issue.begin())
        return {kBusy, issue.failureText(), {}};
    // The name goes where the dialog keeps it: a hidden user the card is issued to.
    const qint32 userID = name.trimmed().isEmpty() ? 1
                                                   : CreateUserFromName(m_program, m_db, m_session, issueTo.surname,
                                                                        issueTo.firstname, nullptr);
    const QString description = GetText(kDescription) + QStringLiteral(", ") + roomText(room);
    const auto blocks = [&](CardsIntf &cards) {
        AddGuestRoomBlock(cards, room, duplicate, check.connectedRooms);
        AddCommonRoomBlock(cards, common);
    };
    const auto fields = [&]() {
        CardFields f;
        f.cardNameID = kind;
        f.userID = userID;
        f.issueTime = f.startTime = table.ServerNow();
        f.expireTime = expireTime;
        f.numCards = numCards;
        return f;
    };
    std::optional<CardIssue::Outcome> outcome = EncodeGuestCard(issue, blocks, fields, description, false);
    // A valid card of the room in the slot is written over once, with the requested departure.
    if (outcome == CardIssue::Outcome::ValidCardInEncoder)
        outcome = EncodeGuestCard(issue, blocks, fields, description, false);
    Answer answer;
    if (outcome == CardIssue::Outcome::Done) {
        const qint32 last = qint32(issue.cards().GetRegistrationNumber());
        for (qint32 copy = numCards - 1; copy >= 0; --copy)
            answer.cards << last - copy;
        answer.status = kOk;
        answer.text = GetText(-29714);
    } else if (!outcome && issue.cards().GetStatus() == CardServerStatus::NoEncoder) {
        answer = {kNoEncoder, issue.failureText(), {}};
    } else {
        answer = {kEncoderFailed, issue.failureText(), {}};
    }
    issue.waitUntilReady();
    issue.finish();
    return answer;
}

PmsKeyService::Answer PmsKeyService::keyDelete(const PmsRecord &request)
{
    RecordTable table(*m_db.database);
    const QString entry = request.value("RN").trimmed();
    if (entry.isEmpty())
        return refusal(kUnknownRoom, -31207);
    const qint32 room = GuestCardStore(table).guestRoom(entry, m_db.SystemParams->WingCodes());
    if (room == 0)
        return refusal(kUnknownRoom, -31182);
    // Cards carry no guest number, so a check-out ends every valid card of the room.
    const double now = table.ServerNow();
    QList<qint32> cards;
    table.SelectTable(TableId::DoorCardView);
    table.OpenQuery(QStringLiteral("doorID = ? and expireTime > ? and status <> 0"),
                    QString(Field::registrationNumber));
    table.AddParameter(room);
    table.AddParameter(now);
    for (; table.Status() == RecordStatus::Ok; table.MoveNext()) {
        const qint32 number = table.GetField(Field::registrationNumber).toInt();
        if (!cards.contains(number))
            cards << number;
    }
    table.CloseQuery();
    CancelCardStore store(table);
    Answer answer{kOk, GetText(-29713), {}};
    for (qint32 number : cards) {
        QString error;
        if (store.markCancelled(quint32(number), now, m_session.logon.CurrentOperatorID, error) != 0)
            return refusal(kDatabase, -29712);
        answer.cards << number;
    }
    return answer;
}
