#include "cards/GuestRules.h"

#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "core/OleDate.h"
#include "texts/LocaleFormat.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>

namespace GuestRules {

namespace {

constexpr int kMaxNamePart = 32;
constexpr int32_t kGuestBlock = 97;
constexpr int32_t kCommonBlock = 98;

// The value of the leading digits, as a number box reads a text.
int32_t leadingValue(const QString &text)
{
    qint64 value = 0;
    for (QChar c : text.trimmed()) {
        if (!c.isDigit())
            break;
        value = value * 10 + c.digitValue();
        if (value > INT32_MAX)
            return 0;
    }
    return static_cast<int32_t>(value);
}

QString categoryOf(RecordTable &table, int32_t door)
{
    table.SelectTable(TableId::Doors);
    table.SetField(Field::doorID, door);
    table.FindRecord();
    if (table.Status() != RecordStatus::Ok)
        return QString();
    return table.GetField(Field::doorCategory).toString();
}

// Two-digit years of a short date belong to this century and the next, not to the 1900s.
QDateTime fixCentury(QDateTime value, const QString &format)
{
    if (value.isValid() && !format.contains(QLatin1String("yyyy")) && value.date().year() < 1950)
        value = value.addYears(100);
    return value;
}

} // namespace

int RoomNumberMaxLength(bool fiveDigits, bool wingCodes)
{
    if (fiveDigits && wingCodes)
        return 6;
    return fiveDigits ? 5 : 4;
}

QString CheckRoomEntry(const QString &entry, bool fiveDigits, bool wingCodes)
{
    if (fiveDigits && wingCodes)
        return entry;
    if (entry.size() > RoomNumberMaxLength(fiveDigits, wingCodes) || !IsNumericEntry(entry))
        return QString();
    return entry;
}

QChar FilterRoomKey(QChar key, bool wingCodes)
{
    if (key >= QLatin1Char('0') && key <= QLatin1Char('9'))
        return key;
    if (!wingCodes)
        return QChar();
    if (key >= QLatin1Char('A') && key <= QLatin1Char('Z'))
        return key;
    return QChar();
}

bool IsNumericEntry(const QString &entry)
{
    const QString text = entry.trimmed();
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

int32_t ParseRoomEntry(RecordTable &table, const QString &entry, bool wingCodes)
{
    const QString text = entry.trimmed();
    if (text.isEmpty())
        return 0;
    if (IsNumericEntry(text) || !wingCodes)
        return leadingValue(text);

    qsizetype split = 0;
    while (split < text.size() && !text.at(split).isDigit())
        ++split;
    const QString code = text.left(split);
    const QString digits = text.mid(split);
    if (!IsNumericEntry(digits))
        return 0;
    const int32_t number = leadingValue(digits);

    table.SelectTable(TableId::Wings);
    table.SetField(Field::wingCode, code);
    table.FindRecord();
    if (table.Status() != RecordStatus::Ok)
        return 0;
    const int32_t prefix1 = table.GetField(Field::doorIDPrefix1).toInt();
    const int32_t prefix2 = table.GetField(Field::doorIDPrefix2).toInt();
    if (prefix2 == -1)
        return number <= 9999 ? prefix1 * 10000 + number : 0;
    return number <= 999 ? prefix1 * 10000 + prefix2 * 1000 + number : 0;
}

bool IsValidRoom(RecordTable &table, int32_t room)
{
    const QString category = categoryOf(table, room);
    return category == QLatin1String("G") || category == QLatin1String("L") || category == QLatin1String("A");
}

WingSplit SplitRoom(RecordTable &table, int32_t room)
{
    WingSplit split;
    split.number = room;
    const QString category = categoryOf(table, room);
    if (category != QLatin1String("G") && category != QLatin1String("L"))
        return split;
    table.SelectTable(TableId::Wings);
    table.OpenQuery(
        QStringLiteral("(doorIDPrefix1 = ? and doorIDPrefix2 = ?) or (doorIDPrefix1 = ? and doorIDPrefix2 = ?)"),
        QString(Field::wingCode));
    table.AddParameter(room / 10000);
    table.AddParameter(room / 1000 - 10 * (room / 10000));
    table.AddParameter(room / 10000);
    table.AddParameter(-1);
    if (table.Status() == RecordStatus::Ok) {
        const int32_t prefix1 = table.GetField(Field::doorIDPrefix1).toInt();
        const int32_t prefix2 = table.GetField(Field::doorIDPrefix2).toInt();
        split.wingCode = table.GetField(Field::wingCode).toString();
        split.number = room - prefix1 * 10000 - (prefix2 == -1 ? 0 : prefix2 * 1000);
    }
    table.CloseQuery();
    return split;
}

int DefaultCheckOutHour(int32_t normalCheckOut)
{
    int hour = normalCheckOut / 60;
    while (hour >= 24)
        hour -= 24;
    return hour;
}

double CheckOutAfterNights(double now, int nights, int hour)
{
    return OleDate::wholeDay(now) + nights + hour / 24.0;
}

int NightsUntil(double now, double checkOut)
{
    return OleDate::daysBetween(now, checkOut);
}

QString CheckOutText(double checkOut, const QLocale &locale)
{
    return OleDate::formatShortDate(checkOut, locale) + QLatin1Char(' ') + OleDate::formatShortTime(checkOut, locale);
}

std::optional<double> ParseCheckOut(const QString &text, const QLocale &locale)
{
    const QString entry = text.simplified();
    if (entry.isEmpty())
        return std::nullopt;
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    const QStringList times = {ShortTimeFormat(locale), locale.timeFormat(QLocale::ShortFormat),
                               QStringLiteral("H:mm")};
    for (const QString &time : times) {
        const QString format = date + QLatin1Char(' ') + time;
        const QDateTime value = fixCentury(locale.toDateTime(entry, format), format);
        if (value.isValid())
            return OleDate::fromDateTime(value.date(), value.time());
    }
    const QDate day = fixCentury(QDateTime(locale.toDate(entry, date), QTime(0, 0)), date).date();
    if (day.isValid())
        return OleDate::fromDate(day);
    return std::nullopt;
}

QString IssueToName::boxText() const
{
    return firstname.isEmpty() ? surname : surname + QStringLiteral(", ") + firstname;
}

IssueToName ParseIssueTo(const QString &text)
{
    IssueToName name;
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0) {
        name.surname = text.trimmed();
    } else {
        if (text.indexOf(QLatin1Char(','), comma + 1) >= 0) {
            name.error = -31156;
            return name;
        }
        name.surname = text.left(comma).trimmed();
        name.firstname = text.mid(comma + 1).trimmed();
    }
    if (name.surname.size() > kMaxNamePart || name.firstname.size() > kMaxNamePart)
        name.error = -31128;
    return name;
}

RoomCheck CheckRoom(RecordTable &table, CardsIntf &second, int32_t room, double now, bool joiner, bool family,
                    bool silent)
{
    RoomCheck check;
    table.SelectTable(TableId::DoorCardView);
    // A cancelled card (status 0) no longer holds the room.
    table.OpenQuery(QStringLiteral("doorID = ? and startTime < ? and expireTime > ? and status <> 0"),
                    QString(Field::startTime));
    table.AddParameter(room);
    table.AddParameter(now);
    table.AddParameter(now);
    if (table.Status() != RecordStatus::Ok) {
        table.CloseQuery();
        return check;
    }
    check.registrationNumber = table.GetField(Field::registrationNumber).toInt();
    check.expireTime = table.GetField(Field::expireTime).toDouble();
    table.CloseQuery();
    check.result = RoomCheck::ValidCard;
    if (!joiner || (family && silent))
        return check;

    second.NewCard();
    second.LoadCard(check.registrationNumber);
    if (second.GetStatus() != 0)
        return check;
    check.imageLoaded = true;
    const int32_t mainRoom = second.GetCardField(QStringLiteral("mainGuestRoom")).toInt();
    if (!family && mainRoom != room) {
        check.result = RoomCheck::OtherMainRoom;
        return check;
    }
    qint32 kind = 0;
    qint32 block = 0;
    qint32 first = 0;
    qint32 last = 0;
    while (second.GetNextRange(kind, block, first, last) == 0) {
        if (block == kCommonBlock) {
            check.commonRanges.push_back({first, last});
        } else if (block == kGuestBlock && !family) {
            for (qint32 door = first; door <= last && check.connectedRooms.size() < MaxConnectedRooms; ++door) {
                if (door != room)
                    check.connectedRooms.push_back(door);
            }
        }
    }
    return check;
}

} // namespace GuestRules
