#include "ostrelle-db/BulkFill.h"

#include "components/recordtable/Dialect.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "ostrelle-db/BulkInsert.h"
#include "ostrelle-db/FillModel.h"
#include "ostrelle-db/RequiredRows.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>

using namespace FillModel;

namespace {

// Front desks issue most cards in the afternoon, when guests arrive.
constexpr std::array<double, 24> kIssueHours = {0.3, 0.2, 0.1, 0.1, 0.1, 0.2, 0.6, 1.2, 1.6, 1.4, 1.3, 1.6,
                                                2.2, 2.6, 3.4, 3.6, 3.4, 3.0, 2.6, 2.0, 1.6, 1.2, 0.8, 0.5};
// Doors are used all day, most in the morning and the evening.
constexpr std::array<double, 24> kEventHours = {0.5, 0.3, 0.2, 0.2, 0.2, 0.4, 1.0, 2.2, 2.6, 2.2, 1.8, 1.6,
                                                1.6, 1.6, 1.8, 2.0, 2.0, 2.2, 2.4, 2.4, 2.2, 1.8, 1.3, 0.8};

const Weighted<qint32> kCardKinds = {{256, 60},  {257, 13},  {258, 1.5},  {259, 3},   {264, 0.4}, {267, 0.2},
                                     {266, 2},   {260, 6},   {261, 1.5},  {273, 2.5}, {274, 2},   {276, 2.5},
                                     {269, 1},   {262, 0.3}, {263, 0.3},  {265, 0.3}, {272, 0.3}, {268, 0.1},
                                     {270, 0.3}, {271, 0.1}, {275, 0.05}, {277, 0.1}, {278, 0.1}, {279, 0.1}};
const Weighted<int> kNights = {{1, 30}, {2, 24}, {3, 15}, {4, 9}, {5, 6}, {6, 4}, {7, 5}, {10, 3}, {14, 3}, {21, 1}};
const Weighted<int> kGuestCopies = {{1, 55}, {2, 38}, {3, 6}, {4, 1}};
// Events without a card: someone inside opens the door, the lock reports on itself.
const Weighted<qint32> kCardlessEvents = {{7, 55}, {8, 15}, {10, 10}, {11, 10}, {13, 5}, {12, 3}, {9, 2}};

const char *const kSurnames[] = {
    "Andersen", "Bauer",  "Baker",  "Becker",   "Bernard",   "Brown",   "Costa",   "Dubois",   "Eriksson",
    "Fischer",  "Garcia", "Hansen", "Hoffmann", "Ivanova",   "Jansen",  "Johnson", "Kowalski", "Larsen",
    "Lefebvre", "Martin", "Meyer",  "Moreau",   "Muller",    "Nielsen", "Novak",   "Olsen",    "Petersen",
    "Richter",  "Rossi",  "Santos", "Schmidt",  "Schneider", "Schulz",  "Silva",   "Smith",    "Svensson",
    "Taylor",   "Thomas", "Wagner", "Weber",    "Williams",  "Wilson",  "Wolf",    "Yilmaz",   "Zimmermann"};
const char *const kFirstnames[] = {"Anna", "Ben",   "Carla", "David",  "Elena", "Felix", "Greta", "Hugo",
                                   "Ines", "Jonas", "Klara", "Lukas",  "Maria", "Noah",  "Olga",  "Paul",
                                   "Rosa", "Sven",  "Tara",  "Victor", "Wanda", "Yusuf", "Zoe",   "Marco"};
const char *const kCities[] = {"Berlin", "Copenhagen", "Lisbon", "London", "Lyon",   "Madrid",
                               "Milan",  "Oslo",       "Paris",  "Prague", "Vienna", "Zurich"};

template <typename T, std::size_t N> QString pickText(Random &random, const T (&list)[N])
{
    return QString::fromLatin1(list[random.below(static_cast<qsizetype>(N))]);
}

bool isRoomCard(qint32 kind)
{
    return kind == 256 || kind == 257 || kind == 258 || kind == 259 || kind == 264 || kind == 267;
}

bool isStaffCard(qint32 kind)
{
    return kind == 260 || kind == 261 || kind == 273 || kind == 274 || kind == 276;
}

// What the generator needs to know about the installation it fills.
struct Installation
{
    std::vector<qint32> rooms;       // "G" and "L"
    std::vector<qint32> suiteRooms;  // "L"
    std::vector<qint32> commonDoors; // "C"
    std::vector<qint32> doors;       // every door
    std::vector<qint32> operators;
    std::vector<qint32> staff;
    qint32 nextNumber = 1;
    qint32 lastNumber = 0;
    qint32 nextUserId = 16;
    qint32 nextReadoutId = 1;
    QVariant handheldId;
    double checkOut = 0.5;
    double checkIn = 14 * Hour;
};

// One issued card as the event generator sees it.
struct Card
{
    double issue;
    double start;
    double expire;
    double cancel; // 0: not cancelled
    qint32 number;
    qint32 user;
    qint32 room;
    qint16 kind;
};

class Filler
{
public:
    Filler(RecordDatabase &db, const FillOptions &options, FillResult &result)
        : m_db(db), m_options(options), m_result(result), m_random(options.seed)
    {
    }

    bool run(QString &error);

private:
    bool fail(const QString &message)
    {
        m_error = message;
        return false;
    }
    bool query(QSqlQuery &q, const QString &sql);
    bool loadInstallation();
    bool ids(const QString &sql, std::vector<qint32> &out);
    qint64 scalar(const QString &sql, qint64 fallback);
    void progress(const QString &line)
    {
        if (m_options.progress)
            m_options.progress(line);
    }

    bool fillCards();
    void issue(double t, qint64 remaining, BulkInsert &users, BulkInsert &cards, BulkInsert &cardDoors);
    qint32 newGuest(double t, BulkInsert &users);
    qint32 someOperator() { return m_inst.operators[m_random.below(qsizetype(m_inst.operators.size()))]; }

    bool loadCards(std::vector<Card> &cards);
    bool fillEvents();
    qint32 readoutFor(qint32 door, double eventTime, double &readoutTime, BulkInsert &readouts);

    RecordDatabase &m_db;
    const FillOptions &m_options;
    FillResult &m_result;
    Random m_random;
    Installation m_inst;
    double m_start = 0;
    double m_end = 0;
    QHash<qint32, double> m_roomExpiry; // the guest card currently valid per room
    QHash<qint32, std::vector<double>> m_readoutSchedule;
    QHash<qint64, qint32> m_readoutIds;
    QString m_error;
};

bool Filler::query(QSqlQuery &q, const QString &sql)
{
    if (q.exec(sql))
        return true;
    return fail(q.lastError().text() + QStringLiteral(" [") + sql + QLatin1Char(']'));
}

bool Filler::ids(const QString &sql, std::vector<qint32> &out)
{
    QSqlQuery q(m_db.sqlDatabase());
    if (!query(q, sql))
        return false;
    while (q.next())
        out.push_back(q.value(0).toInt());
    return true;
}

qint64 Filler::scalar(const QString &sql, qint64 fallback)
{
    QSqlQuery q(m_db.sqlDatabase());
    if (!q.exec(sql) || !q.next() || q.value(0).isNull())
        return fallback;
    bool ok = false;
    const qint64 value = q.value(0).toString().trimmed().toLongLong(&ok);
    return ok ? value : fallback;
}

bool Filler::loadInstallation()
{
    QSqlQuery q(m_db.sqlDatabase());
    if (!query(q, QStringLiteral(R"(SELECT "doorID", "doorCategory" FROM "Doors" ORDER BY "doorID")")))
        return false;
    while (q.next()) {
        const qint32 door = q.value(0).toInt();
        const QString category = q.value(1).toString();
        m_inst.doors.push_back(door);
        if (category == QLatin1String("G") || category == QLatin1String("L"))
            m_inst.rooms.push_back(door);
        if (category == QLatin1String("L"))
            m_inst.suiteRooms.push_back(door);
        if (category == QLatin1String("C"))
            m_inst.commonDoors.push_back(door);
    }
    if (m_inst.rooms.empty())
        return fail(QStringLiteral("The database has no guest rooms (doors of category G or L); "
                                   "seed a hotel first (ostrelle-db demo)."));
    if (m_inst.suiteRooms.empty())
        m_inst.suiteRooms = m_inst.rooms;
    if (!ids(QStringLiteral(R"(SELECT "userID" FROM "Operators" ORDER BY "userID")"), m_inst.operators))
        return false;
    if (m_inst.operators.empty())
        m_inst.operators.push_back(RequiredRows::SystemUserId);
    if (!ids(QStringLiteral(R"(SELECT "userID" FROM "Users" WHERE "userGroupID" = 1 AND "deleted" = 0 )"
                            R"(ORDER BY "userID")"),
             m_inst.staff))
        return false;
    if (m_inst.staff.empty())
        m_inst.staff.push_back(RequiredRows::SystemUserId);

    auto parameter = [&](const char *key, qint64 fallback) {
        return scalar(QStringLiteral(R"(SELECT "parameter" FROM "Parameters" WHERE "parameterID" = '%1')")
                          .arg(QLatin1String(key)),
                      fallback);
    };
    const qint64 maxStored = scalar(QStringLiteral(R"(SELECT MAX("registrationNumber") FROM "Cards")"), -1);
    m_inst.nextNumber = static_cast<qint32>(
        std::max<qint64>({1, parameter("REGNUM_FIRST", 1), maxStored < 0 ? 0 : maxStored / 256 + 1}));
    // The stored number is number * 256 + copy in a 32-bit column.
    m_inst.lastNumber = static_cast<qint32>(std::min<qint64>(parameter("REGNUM_LAST", 0xFFFFF), 0x7FFFFF));
    m_inst.nextUserId = static_cast<qint32>(std::max<qint64>(
        RequiredRows::ServiceUserId + 1, scalar(QStringLiteral(R"(SELECT MAX("userID") FROM "Users")"), 0) + 1));
    m_inst.nextReadoutId =
        static_cast<qint32>(scalar(QStringLiteral(R"(SELECT MAX("readoutID") FROM "Readouts")"), 0) + 1);
    const qint64 handheld =
        scalar(QStringLiteral(R"(SELECT MIN("deviceID") FROM "Devices" WHERE "deviceType" = 2)"), -1);
    if (handheld >= 0)
        m_inst.handheldId = static_cast<qint32>(handheld);
    m_inst.checkOut = static_cast<double>(parameter("NORMALCHECKOUT", 720)) * Minute;
    m_inst.checkIn = static_cast<double>(parameter("NORMALCHECKIN", 840)) * Minute;
    return true;
}

qint32 Filler::newGuest(double t, BulkInsert &users)
{
    // Named like the users the card dialogs create from a typed name: hidden and marked removed,
    // with an identifier made of the issue time.
    const qint32 id = m_inst.nextUserId++;
    const QString alphaId = OleDate::toDateTime(t).toString(QStringLiteral("yyMMddhhmmss")) + QStringLiteral("ID");
    users.add({id, alphaId, pickText(m_random, kSurnames), pickText(m_random, kFirstnames), pickText(m_random, kCities),
               0, 1, 1});
    ++m_result.guests;
    return id;
}

void Filler::issue(double t, qint64 remaining, BulkInsert &users, BulkInsert &cards, BulkInsert &cardDoors)
{
    const qint32 kind = kCardKinds.pick(m_random);
    const double day = std::floor(t);
    int copies = 1;
    qint32 user = RequiredRows::SystemUserId;
    qint32 room = 0;
    double start = t;
    double expire = t + 1;
    QList<qint32> opens; // rooms the card opens

    if (isRoomCard(kind)) {
        const auto &pool = kind == 258 ? m_inst.suiteRooms : m_inst.rooms;
        room = pool[m_random.below(qsizetype(pool.size()))];
        // The front desk gives a new guest a room that is free, when it finds one.
        for (int attempt = 0; attempt < 8 && (kind == 256 || kind == 258) && m_roomExpiry.value(room, 0) > t; ++attempt)
            room = pool[m_random.below(qsizetype(pool.size()))];
        const int nights = kNights.pick(m_random);
        expire = day + nights + m_inst.checkOut;
        user = m_random.chance(0.6) ? newGuest(t, users) : RequiredRows::GuestUserId;
        if (kind == 256 || kind == 258) {
            copies = kGuestCopies.pick(m_random);
            m_roomExpiry.insert(room, expire);
        } else if (kind == 257) {
            // A joiner joins a guest already in the room when there is one.
            for (int attempt = 0; attempt < 4; ++attempt) {
                const qint32 candidate = m_inst.rooms[m_random.below(qsizetype(m_inst.rooms.size()))];
                const double until = m_roomExpiry.value(candidate, 0);
                if (until > t) {
                    room = candidate;
                    expire = until;
                    break;
                }
            }
        } else if (kind == 259) {
            start = day + 1 + static_cast<double>(m_random.below(45)) + m_inst.checkIn;
            expire = std::floor(start) + nights + m_inst.checkOut;
        } else if (kind == 267) {
            user = 0;
            expire = t + 1;
        } else {
            expire = t + 1;
        }
        opens << room;
        if (kind == 258 && std::find(m_inst.rooms.begin(), m_inst.rooms.end(), room + 1) != m_inst.rooms.end())
            opens << room + 1;
    } else if (isStaffCard(kind)) {
        user = m_inst.staff[m_random.below(qsizetype(m_inst.staff.size()))];
        if (kind == 273 || kind == 276)
            expire = t + 8 * Hour;
        else if (kind == 274)
            expire = day + 1 + static_cast<double>(m_random.below(30));
        else
            expire = day + 30 + static_cast<double>(m_random.below(335));
    } else if (kind == 266) {
        user = m_random.chance(0.5) ? newGuest(t, users) : RequiredRows::GuestUserId;
        expire = t + static_cast<double>(1 + m_random.below(8)) * Hour;
    } else if (kind == 270) {
        user = someOperator();
        expire = day + 365;
    } else {
        user = m_inst.staff[m_random.below(qsizetype(m_inst.staff.size()))];
        expire = (kind == 268 || kind == 275) ? NoExpiry : t + 1;
    }
    copies = static_cast<int>(std::min<qint64>(copies, remaining));

    const qint32 number = m_inst.nextNumber++;
    const qint32 issuedBy = someOperator();
    for (int copy = 0; copy < copies; ++copy) {
        // Copies are encoded one after the other.
        const double issued = t + copy * 20.0 / 86400.0;
        int status = 1;
        QVariant cancelTime;
        QVariant cancelOperator;
        const double until = std::min(expire, m_end);
        if (m_random.chance(0.04) && until > issued) {
            status = 0;
            cancelTime = issued + m_random.uniform() * (until - issued);
            cancelOperator = someOperator();
        } else if ((kind == 256 || kind == 257) && m_random.chance(0.03)) {
            status = 5;
        } else if (start > m_end) {
            status = 2;
        } else if (expire < m_end - 1) {
            status = 4; // the nightly housekeeping has marked it
        } else if (m_random.chance(0.02)) {
            status = 3;
        }
        const qint32 stored = number * 256 + copy;
        cards.add({stored, user, kind, issued, start == t ? issued : start, expire, status, cancelTime, cancelOperator,
                   room, issuedBy, copies});
        for (qint32 door : opens)
            cardDoors.add({stored, door});
    }
}

bool Filler::fillCards()
{
    if (m_options.cards <= 0)
        return true;
    if (static_cast<qint64>(m_inst.nextNumber) + m_options.cards - 1 > m_inst.lastNumber) {
        return fail(QStringLiteral("%1 cards need card numbers up to %2, beyond REGNUM_LAST (%3).")
                        .arg(m_options.cards)
                        .arg(static_cast<qint64>(m_inst.nextNumber) + m_options.cards - 1)
                        .arg(m_inst.lastNumber));
    }
    QElapsedTimer timer;
    timer.start();
    const TimeDensity density(m_start, m_end, kIssueHours);
    const QSqlDatabase sql = m_db.sqlDatabase();
    BulkInsert users(sql, QStringLiteral("Users"),
                     {"userID", "alphaID", "surname", "firstname", "city", "userGroupID", "deleted", "doNotShow"});
    BulkInsert cards(sql, QStringLiteral("Cards"),
                     {"registrationNumber", "userID", "cardNameID", "issueTime", "startTime", "expireTime", "status",
                      "cancelTime", "cancelOperatorID", "mainGuestRoom", "issueOperatorID",
                      "numberOfIdenticallyIssuedCards"});
    BulkInsert cardDoors(sql, QStringLiteral("CardDoors"), {"registrationNumber", "doorID"});

    qint64 made = 0;
    while (made < m_options.cards) {
        BulkTransaction transaction(m_db, {TableId::Users, TableId::Cards, TableId::CardDoors});
        if (!transaction.begin())
            return fail(transaction.error());
        const qint64 until = std::min(m_options.cards, made + m_options.rowsPerCommit);
        while (made < until) {
            // Stratified: the k-th card falls in the k-th slice of the density.
            const double t = density.at((static_cast<double>(made) + 0.5 * m_random.uniform()) /
                                        static_cast<double>(m_options.cards));
            const qsizetype before = cards.pendingRows();
            issue(t, m_options.cards - made, users, cards, cardDoors);
            made += cards.pendingRows() - before;
        }
        // Users before the cards that name them, cards before the rooms they open.
        if (!users.flush())
            return fail(users.error());
        if (!cards.flush())
            return fail(cards.error());
        if (!cardDoors.flush())
            return fail(cardDoors.error());
        if (!transaction.commit())
            return fail(transaction.error());
        progress(QStringLiteral("cards: %1 of %2").arg(made).arg(m_options.cards));
    }
    m_result.cards = cards.writtenRows();
    m_result.cardDoors = cardDoors.writtenRows();
    m_result.cardSeconds = static_cast<double>(timer.elapsed()) / 1000.0;
    return true;
}

bool Filler::loadCards(std::vector<Card> &cards)
{
    QSqlQuery q(m_db.sqlDatabase());
    q.setForwardOnly(true);
    // A staff card may be in use for up to a year after it was issued.
    if (!query(q,
               QStringLiteral(R"(SELECT "issueTime", "startTime", "expireTime", "cancelTime", "registrationNumber", )"
                              R"("userID", "mainGuestRoom", "cardNameID" FROM "Cards" WHERE "issueTime" >= %1 )"
                              R"(AND "issueTime" <= %2 ORDER BY "issueTime")")
                   .arg(m_start - 366, 0, 'f', 6)
                   .arg(m_end, 0, 'f', 6)))
        return false;
    while (q.next()) {
        cards.push_back(Card{q.value(0).toDouble(), q.value(1).toDouble(), q.value(2).toDouble(),
                             q.value(3).isNull() ? 0.0 : q.value(3).toDouble(), q.value(4).toInt(), q.value(5).toInt(),
                             q.value(6).toInt(), static_cast<qint16>(q.value(7).toInt())});
    }
    return true;
}

qint32 Filler::readoutFor(qint32 door, double eventTime, double &readoutTime, BulkInsert &readouts)
{
    auto it = m_readoutSchedule.find(door);
    if (it == m_readoutSchedule.end()) {
        // Every lock is read out every one to three weeks, and once more just before the end.
        Random random(m_options.seed * 7919ULL + static_cast<quint64>(door));
        std::vector<double> times;
        double t = m_start + random.uniform() * 14;
        while (t < m_end - Hour) {
            times.push_back(t);
            t += 7 + random.uniform() * 14;
        }
        times.push_back(m_end - random.uniform() * 30 * Minute);
        it = m_readoutSchedule.insert(door, std::move(times));
    }
    const std::vector<double> &times = *it;
    const auto pos = std::lower_bound(times.begin(), times.end(), eventTime);
    const auto index = static_cast<qint64>(pos == times.end() ? times.size() - 1 : pos - times.begin());
    readoutTime = times[static_cast<std::size_t>(index)];
    const qint64 key = static_cast<qint64>(door) * 1000000 + index;
    auto id = m_readoutIds.find(key);
    if (id == m_readoutIds.end()) {
        id = m_readoutIds.insert(key, m_inst.nextReadoutId++);
        readouts.add({*id, door, readoutTime, m_inst.handheldId});
    }
    return *id;
}

bool Filler::fillEvents()
{
    if (m_options.events <= 0)
        return true;
    QElapsedTimer timer;
    timer.start();
    std::vector<Card> cards;
    if (!loadCards(cards))
        return false;
    // Two pools of candidates for an event at time t: cards issued in the ten days before t,
    // and staff cards issued in the half year before t.
    std::vector<std::size_t> staffCards;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        if (isStaffCard(cards[i].kind))
            staffCards.push_back(i);
    }
    std::size_t recentLo = 0, recentHi = 0, staffLo = 0, staffHi = 0;

    const TimeDensity density(m_start, m_end - Hour, kEventHours);
    const QSqlDatabase sql = m_db.sqlDatabase();
    BulkInsert readouts(sql, QStringLiteral("Readouts"), {"readoutID", "doorID", "readoutTime", "deviceID"});
    BulkInsert events(sql, QStringLiteral("Events"),
                      {"readoutID", "doorID", "readoutTime", "eventTime", "eventCode", "registrationNumber",
                       "cardNameID", "userID", "repeatFlag"});
    auto anyOf = [&](const std::vector<qint32> &list) { return list[m_random.below(qsizetype(list.size()))]; };

    qint64 made = 0;
    while (made < m_options.events) {
        BulkTransaction transaction(m_db, {TableId::Readouts, TableId::Events});
        if (!transaction.begin())
            return fail(transaction.error());
        const qint64 until = std::min(m_options.events, made + m_options.rowsPerCommit);
        for (; made < until; ++made) {
            const double t =
                density.at((static_cast<double>(made) + m_random.uniform()) / static_cast<double>(m_options.events));
            while (recentHi < cards.size() && cards[recentHi].issue <= t)
                ++recentHi;
            while (recentLo < recentHi && cards[recentLo].issue < t - 10)
                ++recentLo;
            while (staffHi < staffCards.size() && cards[staffCards[staffHi]].issue <= t)
                ++staffHi;
            while (staffLo < staffHi && cards[staffCards[staffLo]].issue < t - 180)
                ++staffLo;

            const Card *card = nullptr;
            if (!m_random.chance(0.08)) {
                const bool staff = staffHi > staffLo && m_random.chance(0.15);
                for (int attempt = 0; attempt < 3; ++attempt) {
                    if (staff)
                        card = &cards[staffCards[staffLo + std::size_t(m_random.below(qsizetype(staffHi - staffLo)))]];
                    else if (recentHi > recentLo)
                        card = &cards[recentLo + std::size_t(m_random.below(qsizetype(recentHi - recentLo)))];
                    if (!card || card->expire >= t)
                        break;
                }
            }
            qint32 door = 0;
            qint32 code = 1;
            int repeat = 0;
            if (!card) {
                code = kCardlessEvents.pick(m_random);
                door = (code == 7 || code == 10 || code == 11) ? anyOf(m_inst.rooms) : anyOf(m_inst.doors);
            } else {
                if (isRoomCard(card->kind) && card->room > 0)
                    door =
                        (!m_inst.commonDoors.empty() && m_random.chance(0.15)) ? anyOf(m_inst.commonDoors) : card->room;
                else
                    door = anyOf(m_inst.doors);
                if (card->cancel > 0 && t > card->cancel)
                    code = 4;
                else if (t > card->expire)
                    code = 2;
                else if (t < card->start)
                    code = 5;
                else if (m_random.chance(0.03)) {
                    code = 3;
                    door = anyOf(m_inst.doors);
                } else if (card->room > 0 && door == card->room && m_random.chance(0.01))
                    code = 6;
                repeat = (code == 1 && m_random.chance(0.03)) ? 1 : 0;
            }
            double readoutTime = 0;
            const qint32 readout = readoutFor(door, t, readoutTime, readouts);
            events.add({readout, door, readoutTime, t, code, card ? card->number : 0, card ? qint32(card->kind) : 0,
                        card ? card->user : 0, repeat});
        }
        if (!readouts.flush())
            return fail(readouts.error());
        if (!events.flush())
            return fail(events.error());
        if (!transaction.commit())
            return fail(transaction.error());
        progress(QStringLiteral("events: %1 of %2").arg(made).arg(m_options.events));
    }
    m_result.events = events.writtenRows();
    m_result.readouts = readouts.writtenRows();
    m_result.eventSeconds = static_cast<double>(timer.elapsed()) / 1000.0;
    return true;
}

bool Filler::run(QString &error)
{
    const bool ok = [&] {
        if (m_options.cards < 0 || m_options.events < 0 || m_options.years <= 0)
            return fail(QStringLiteral("Card and event counts must not be negative, the years must be positive."));
        m_end = m_options.endTime > 0 ? m_options.endTime : m_db.now();
        m_start = m_end - m_options.years * 365.2425;
        QSqlQuery q(m_db.sqlDatabase());
        const bool sqlite = !m_db.dialect().isPostgreSQL();
        // A bulk load needs no flush to disk per commit (a crash loses the load, not older rows)
        // and a cache that holds the indexes being built.
        if (sqlite && (!query(q, QStringLiteral("PRAGMA synchronous = OFF")) ||
                       !query(q, QStringLiteral("PRAGMA cache_size = -262144"))))
            return false;
        const bool filled = loadInstallation() && fillCards() && fillEvents();
        if (sqlite) {
            q.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
            q.exec(QStringLiteral("PRAGMA cache_size = -2000"));
        }
        if (!filled)
            return false;
        // Rows given their keys here: the engine's own numbering must continue after them.
        for (qint32 id : {TableId::Users, TableId::Readouts}) {
            for (const QString &statement : m_db.dialect().afterGivenKeyInsert(*tableDef(id))) {
                if (!query(q, statement))
                    return false;
            }
        }
        // Fresh planner statistics, as the nightly housekeeping would leave them.
        return query(q, QStringLiteral("ANALYZE"));
    }();
    if (!ok)
        error = m_error;
    return ok;
}

} // namespace

bool FillDatabase(RecordDatabase &db, const FillOptions &options, FillResult &result, QString &error)
{
    result = FillResult{};
    Filler filler(db, options, result);
    return filler.run(error);
}
