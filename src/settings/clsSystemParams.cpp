#include "settings/clsSystemParams.h"

#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "texts/Texts.h"

#include <QHash>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

using Type = clsSystemParams::Type;

enum Rule : unsigned {
    NoRule = 0,
    Statistic = 1,           // filled by the server side; a missing row reads as -1
    WriteOnly = 2,           // saved with its group, never loaded
    PropertyNameDefault = 4, // empty after load: text 16400
    UserFieldDefault = 8,    // empty after load: text 16120, written back at once
    LowByte = 16,            // only the low 8 bits of the stored number count
};

constexpr int16_t kDefaultPropertyNameText = 16400;
constexpr int16_t kNotDefinedText = 16120;
constexpr int16_t kTextLanguageText = 15000;
constexpr int32_t kMissingStatistic = -1;

struct KeyDef
{
    const char *key;
    Type type;
    int flag; // -1: read only
    unsigned rules;
};

// Indexed by clsSystemParams::Key. Keys saved together share their change flag.
const KeyDef kKeys[clsSystemParams::KeyCount] = {
    {"OPCARDATLOGON", Type::Boolean, -1, NoRule},
    {"PROPERTYNAME", Type::Text, 0, PropertyNameDefault},
    {"GRAYIFNOTALLOWED", Type::Boolean, 1, NoRule},
    {"PIN_MIN", Type::Int32, 2, NoRule},
    {"PIN_MANDATORY", Type::Boolean, 3, NoRule},
    {"PIN_PRINT", Type::Boolean, 4, NoRule},
    {"PIN_RANDOMIZE", Type::Boolean, 5, NoRule},
    {"OPENTIME", Type::Int32, 6, NoRule},
    {"SYSTEM_OPCARDEXPIREWARNING", Type::Int32, 7, NoRule},
    {"SYSTEM_STAFFCARDEXPIREWARNING", Type::Int32, 8, NoRule},
    {"SYSTEM_CARDEXPIREWARNING", Type::Int32, 9, NoRule},
    {"SYSTEM_EXPIREWARNINGCARDS", Type::Text, 9, WriteOnly},
    {"SYSTEM_CATHARSISWARNING", Type::Int32, -1, NoRule},
    {"PRINTER_NOTE", Type::Text, 10, NoRule},
    {"PRINTER_NOTE2", Type::Text, 10, NoRule},
    {"PRINTER_NOTE3", Type::Text, 10, NoRule},
    {"USER1NAME", Type::Text, 11, UserFieldDefault},
    {"USER2NAME", Type::Text, 11, UserFieldDefault},
    {"USER3NAME", Type::Text, 11, UserFieldDefault},
    {"USER4NAME", Type::Text, 11, UserFieldDefault},
    {"OPENMODE", Type::Int32, 12, NoRule},
    {"MAXINACTIVETIME", Type::Int32, 13, NoRule},
    {"EMERGENCYOPENING", Type::Int32, 14, NoRule},
    {"PURGELIMIT", Type::Int32, 15, NoRule},
    {"PURGELIMITGUESTCARDS", Type::Int32, 16, NoRule},
    {"PURGELIMITEVENTS", Type::Int32, 17, NoRule},
    {"CATH_STARTTIME", Type::Int32, 18, NoRule},
    {"LASTCATHTIME", Type::Date, -1, NoRule},
    {"SYSTEM_HIGHESTCALENDARDATE", Type::Date, -1, NoRule},
    {"EVENT_STOREMOVINGLOG", Type::Boolean, 19, NoRule},
    {"EVENT_STOREREADOUT", Type::Boolean, 20, NoRule},
    {"SOLID_GROUPFILENAME", Type::Text, 21, NoRule},
    {"SOLID_SYSTEMNUMBER", Type::Int32, 22, NoRule},
    {"REGNUM_FIRST", Type::Int32, 23, NoRule},
    {"REGNUM_LAST", Type::Int32, 24, NoRule},
    {"SYSTEM_USESERIALNUMBER", Type::Boolean, 25, NoRule},
    {"AUTH_ACCESSCARDATLOGON", Type::Boolean, 26, NoRule},
    {"FAMILY", Type::Boolean, 27, NoRule},
    {"SYSTEM_ENABLEWINGS", Type::Boolean, 28, NoRule},
    {"NORMALCHECKOUT", Type::Int32, 29, NoRule},
    {"NORMALCHECKIN", Type::Int32, 30, NoRule},
    {"DEFAULTSTAY", Type::Int32, 31, NoRule},
    {"DEFAULTGUESTCARDS", Type::Int32, 32, NoRule},
    {"DEFAULTJOINERCARDS", Type::Int32, 33, NoRule},
    {"USEISSUETO", Type::Int32, 34, NoRule},
    {"AUTH_LOGONBEFOREVERIFYMAG", Type::Boolean, 35, NoRule},
    {"AUTH_LOGONBEFOREHCUEVENTS", Type::Boolean, 36, NoRule},
    {"SYSTEM_ALLOWGUESTDOORONOFF", Type::Boolean, 37, NoRule},
    {"SYSTEM_ENABLEGROUPAUTH", Type::Boolean, 38, NoRule},
    {"TRACK2_STRING", Type::Text, 39, NoRule},
    {"TRACK2_STRINGSTAFF", Type::Text, 40, NoRule},
    {"TRACK2_GLOBALCOUNTER", Type::Int32, 41, NoRule},
    {"TRACK2_COUNTER_P", Type::Int32, 42, NoRule},
    {"TRACK2_COUNTER_S", Type::Int32, 43, NoRule},
    {"TRACK2_COUNTER_V", Type::Int32, 44, NoRule},
    {"9420_FIVEDIGITS", Type::Boolean, 45, NoRule},
    {"9420_DEFAULTCOMMON", Type::Int16, 46, NoRule},
    {"9420_DEFAULTSUPERVISORTIMEZONEFROM", Type::Int16, 47, NoRule},
    {"9420_DEFAULTSUPERVISORTIMEZONETO", Type::Int16, 48, NoRule},
    {"9420_DEFAULTEMPLOYEETIMEZONEFROM", Type::Int16, 49, NoRule},
    {"9420_DEFAULTEMPLOYEETIMEZONETO", Type::Int16, 50, NoRule},
    {"9420_DEFAULTCOMMONAREATIMEZONEFROM", Type::Int16, 51, NoRule},
    {"9420_DEFAULTCOMMONAREATIMEZONETO", Type::Int16, 52, NoRule},
    {"9420_DEFAULTMAINTENANCEVALIDITY", Type::Int16, 53, NoRule},
    {"9420_DEFAULTSERVICEVALIDITY", Type::Int16, 54, NoRule},
    {"TICKET_COMMONROOM", Type::Int16, 55, NoRule},
    {"TICKET_PRINTERPORT", Type::Text, 56, NoRule},
    {"TICKET_LEFTMARGIN", Type::Int32, 57, NoRule},
    {"TICKET_PAGEHEIGHT", Type::Int32, 58, NoRule},
    {"TICKET_FREETEXT1", Type::Text, 59, NoRule},
    {"TICKET_FREETEXT2", Type::Text, 59, NoRule},
    {"TICKET_FREETEXT3", Type::Text, 59, NoRule},
    {"TICKET_FREETEXT4", Type::Text, 59, NoRule},
    {"TICKET_FREETEXT5", Type::Text, 59, NoRule},
    {"TICKET_FREETEXT6", Type::Text, 59, NoRule},
    {"TICKET_FREETEXT7", Type::Text, 59, NoRule},
    {"RENTAL_ENABLED", Type::Boolean, 60, NoRule},
    {"RENTAL_PATH", Type::Text, 61, NoRule},
    {"RENTAL_COMMONROOM", Type::Int16, 62, LowByte},
    {"SYSTEM_BACKUPWARNINGDAYS", Type::Int32, 63, NoRule},
    {"SYSTEM_BACKUPTIME", Type::Date, -1, NoRule},
    {"SYSTEM_BACKUPDIRECTORY", Type::Text, 64, NoRule},
    {"TEMP_NUMDELETEDCARDS", Type::Int32, -1, Statistic},
    {"TEMP_NUMCARDS", Type::Int32, -1, Statistic},
    {"TEMP_NUMUSERS", Type::Int32, -1, Statistic},
    {"TEMP_NUMEVENTS", Type::Int32, -1, Statistic},
    {"TEMP_NUMFREEREGNUMS", Type::Int32, -1, Statistic},
    {"TEMP_MAXREGNUM", Type::Int32, -1, Statistic},
    {"TEMP_MINREGNUM", Type::Int32, -1, Statistic},
};

// The leading number of a stored text, like a numeric conversion that stops at the first
// character that does not belong to a number; no number at all reads as 0.
double leadingNumber(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    const double value = match.captured(1).toDouble();
    return std::isfinite(value) ? value : 0;
}

int32_t toInt32(double value)
{
    // Rounds half to even; out-of-range texts saturate instead of wrapping.
    const double rounded = std::nearbyint(value);
    if (rounded <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (rounded >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(rounded);
}

int32_t toInt16(double value)
{
    const int32_t wide = toInt32(value);
    if (wide < std::numeric_limits<int16_t>::min())
        return std::numeric_limits<int16_t>::min();
    if (wide > std::numeric_limits<int16_t>::max())
        return std::numeric_limits<int16_t>::max();
    return wide;
}

clsSystemParams::Key userFieldKey(int index)
{
    return static_cast<clsSystemParams::Key>(clsSystemParams::User1NameKey + index);
}

clsSystemParams::Key ticketTextKey(int index)
{
    return static_cast<clsSystemParams::Key>(clsSystemParams::TicketFreeText1Key + index);
}

} // namespace

QString clsSystemParams::keyName(Key key)
{
    return QString::fromLatin1(kKeys[key].key);
}
clsSystemParams::Type clsSystemParams::keyType(Key key)
{
    return kKeys[key].type;
}
int clsSystemParams::changeFlag(Key key)
{
    return kKeys[key].flag;
}
bool clsSystemParams::isReadOnly(Key key)
{
    return kKeys[key].flag < 0;
}
bool clsSystemParams::isWriteOnly(Key key)
{
    return (kKeys[key].rules & WriteOnly) != 0;
}

clsSystemParams::clsSystemParams(RecordDatabase &db, const TextResources &texts)
    : m_db(db), m_texts(texts), m_table(std::make_unique<RecordTable>(db))
{
}

clsSystemParams::~clsSystemParams()
{
    m_table->CloseQuery();
}

void clsSystemParams::markChanged(Key key)
{
    m_changed.set(kKeys[key].flag);
    m_anyChanged = true;
}

void clsSystemParams::setFlag(Key key, bool value)
{
    if (flag(key) == value)
        return;
    m_values[key].number = value ? 1 : 0;
    markChanged(key);
}

void clsSystemParams::setNumber(Key key, int32_t value)
{
    if (m_values[key].number == value)
        return;
    m_values[key].number = value;
    markChanged(key);
}

void clsSystemParams::setText(Key key, const QString &value)
{
    if (m_values[key].text == value)
        return;
    m_values[key].text = value;
    markChanged(key);
}

void clsSystemParams::setPINMinLength(int32_t value)
{
    setNumber(PinMinKey, value < 4 || value > 8 ? 4 : value);
}

QString clsSystemParams::PrinterNote() const
{
    return text(PrinterNote1Key) + text(PrinterNote2Key) + text(PrinterNote3Key);
}

void clsSystemParams::setPrinterNote(const QString &value)
{
    const QString note = value.left(PrinterNoteLength);
    if (note == PrinterNote())
        return;
    m_values[PrinterNote1Key].text = note.mid(0, PrinterNotePieceLength);
    m_values[PrinterNote2Key].text = note.mid(PrinterNotePieceLength, PrinterNotePieceLength);
    m_values[PrinterNote3Key].text = note.mid(2 * PrinterNotePieceLength, PrinterNotePieceLength);
    markChanged(PrinterNote1Key);
}

QString clsSystemParams::NotDefined(int index) const
{
    if (index < 0 || index >= UserFieldCount)
        return {};
    return text(userFieldKey(index));
}

void clsSystemParams::setNotDefined(int index, const QString &value)
{
    if (index < 0 || index >= UserFieldCount)
        return;
    setText(userFieldKey(index), value.isEmpty() ? m_texts.GetText(kNotDefinedText) : value);
}

QString clsSystemParams::TicketFreeText(int index) const
{
    if (index < 0 || index >= TicketTextCount)
        return {};
    return text(ticketTextKey(index));
}

void clsSystemParams::setTicketFreeText(int index, const QString &value)
{
    if (index < 0 || index >= TicketTextCount)
        return;
    setText(ticketTextKey(index), value);
}

QVariant clsSystemParams::value(Key key) const
{
    if (key == PrinterNote1Key)
        return PrinterNote();
    switch (keyType(key)) {
    case Type::Boolean:
        return int(flag(key));
    case Type::Int32:
        return number(key);
    case Type::Int16:
        return int(short16(key));
    case Type::Text:
        return text(key);
    case Type::Date:
        return date(key);
    }
    return {};
}

void clsSystemParams::setValue(Key key, const QVariant &value)
{
    if (isReadOnly(key))
        return;
    if (key == PrinterNote1Key)
        return setPrinterNote(value.toString());
    if (key == PinMinKey)
        return setPINMinLength(value.toInt());
    if (key >= User1NameKey && key <= User4NameKey)
        return setNotDefined(key - User1NameKey, value.toString());
    switch (keyType(key)) {
    case Type::Boolean:
        return setFlag(key, value.toInt() != 0);
    case Type::Int32:
        return setNumber(key, value.toInt());
    case Type::Int16:
        return setNumber(key, static_cast<int16_t>(value.toInt()));
    case Type::Text:
        return setText(key, value.toString());
    case Type::Date:
        return;
    }
}

void clsSystemParams::store(Key key, const QVariant &stored)
{
    const KeyDef &def = kKeys[key];
    Value &value = m_values[key];
    const QString text = stored.isNull() ? QString() : stored.toString();
    switch (def.type) {
    case Type::Boolean:
        value.number = leadingNumber(text) != 0 ? 1 : 0;
        break;
    case Type::Int32:
        value.number = toInt32(leadingNumber(text));
        break;
    case Type::Int16:
        value.number = toInt16(leadingNumber(text));
        if (def.rules & LowByte)
            value.number &= 0xFF;
        break;
    case Type::Date:
        value.date = leadingNumber(text);
        break;
    case Type::Text:
        value.text = text;
        if (text.isEmpty() && (def.rules & PropertyNameDefault))
            value.text = m_texts.GetText(kDefaultPropertyNameText);
        break;
    }
}

QVariant clsSystemParams::storedValue(Key key) const
{
    const Value &value = m_values[key];
    switch (kKeys[key].type) {
    case Type::Boolean:
        return value.number != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case Type::Int32:
    case Type::Int16:
        return QVariant::fromValue<qint32>(value.number);
    case Type::Date:
        return value.date;
    case Type::Text:
        return value.text;
    }
    return {};
}

bool clsSystemParams::ReadSystemParameters()
{
    RecordTable &table = *m_table;
    // A find left open would pin this connection's view of the database (SQLite keeps the
    // snapshot of an unfinished statement), hiding later saves of other workstations.
    struct CloseAtEnd
    {
        RecordTable &table;
        ~CloseAtEnd() { table.CloseQuery(); }
    } closeAtEnd{table};
    m_parametersTimeStamp = table.TableChangeTime(TableId::Parameters);

    // One query for the whole table: one snapshot on either engine, so a save another workstation
    // commits meanwhile is seen whole or not at all (and one round trip instead of one per key).
    QHash<QString, QVariant> stored;
    table.SelectTable(TableId::Parameters);
    table.OpenQuery(QString(), QString());
    for (; table.Status() == RecordStatus::Ok; table.MoveNext())
        stored.insert(table.GetField(Field::parameterID).toString(), table.GetField(Field::parameter));
    if (table.Status() != RecordStatus::NoRecord)
        return false;
    table.CloseQuery();

    QList<Key> unnamed;
    for (int k = 0; k < KeyCount; ++k) {
        const Key key = static_cast<Key>(k);
        const KeyDef &def = kKeys[key];
        if (def.rules & WriteOnly)
            continue;
        const auto row = stored.constFind(keyName(key));
        if (row == stored.cend()) {
            if (def.rules & Statistic) {
                m_values[key].number = kMissingStatistic;
                continue;
            }
            return false;
        }
        store(key, *row);
        if ((def.rules & UserFieldDefault) && m_values[key].text.isEmpty())
            unnamed.append(key);
    }
    for (const Key key : unnamed) {
        // Every workstation then shows the same caption for an unnamed field.
        m_values[key].text = m_texts.GetText(kNotDefinedText);
        table.SetField(Field::parameterID, keyName(key));
        table.FindRecord();
        if (table.Status() != RecordStatus::Ok)
            return false;
        table.SetField(Field::parameter, m_values[key].text);
        table.UpdateRecord();
    }

    m_dateTabParameters = table.TableChangeTime(TableId::Parameters);
    m_changed.reset();
    m_anyChanged = false;
    return true;
}

bool clsSystemParams::WriteSystemParameters()
{
    if (m_changed.none())
        return true;
    RecordTable &table = *m_table;
    struct CloseAtEnd
    {
        RecordTable &table;
        ~CloseAtEnd() { table.CloseQuery(); }
    } closeAtEnd{table};
    // All or nothing, and one workstation's save after the other's: a setting kept in several rows
    // (the printer note) or settings that only make sense together (the number range) never end up
    // with pieces of two saves, or half of one.
    RecordDatabase::Transaction transaction(m_db);
    if (!transaction.serialize(TableId::Parameters))
        return false;
    table.SelectTable(TableId::Parameters);
    for (int k = 0; k < KeyCount; ++k) {
        const Key key = static_cast<Key>(k);
        const int flag = kKeys[key].flag;
        if (flag < 0 || !m_changed.test(flag))
            continue;
        table.SetField(Field::parameterID, keyName(key));
        table.FindRecord();
        if (table.Status() == RecordStatus::NoRecord)
            continue; // rows are never inserted here
        if (table.Status() == RecordStatus::Ok) {
            table.SetField(Field::parameter, storedValue(key));
            table.UpdateRecord();
        }
        if (table.Status() != RecordStatus::Ok)
            return false; // rolled back: every change stays marked for the next save
    }
    if (!transaction.commit())
        return false;
    m_changed.reset();
    m_anyChanged = false;
    return true;
}

bool clsSystemParams::TableChangedSinceLoad()
{
    return m_table->TableChangeTime(TableId::Parameters) != m_dateTabParameters;
}

QList<SystemParameterRow> DefaultSystemParameterRows(const TextResources &texts, double today)
{
    using P = clsSystemParams;
    const QString notDefined = texts.GetText(kNotDefinedText);
    // Values that differ from "0" / ""; times are minutes after midnight.
    const QHash<int, QString> values = {
        {P::GrayIfNotAllowedKey, QStringLiteral("1")},
        {P::PinMinKey, QStringLiteral("4")},
        {P::OpenTimeKey, QStringLiteral("1")},
        {P::OpCardExpireWarningKey, QStringLiteral("7")},
        {P::StaffCardExpireWarningKey, QStringLiteral("7")},
        {P::User1NameKey, notDefined},
        {P::User2NameKey, notDefined},
        {P::User3NameKey, notDefined},
        {P::User4NameKey, notDefined},
        {P::MaxInactiveTimeKey, QStringLiteral("30")},
        {P::PurgeLimitKey, QStringLiteral("90")},
        {P::PurgeLimitGuestCardsKey, QStringLiteral("30")},
        {P::PurgeLimitEventsKey, QStringLiteral("90")},
        {P::CathStartTimeKey, QStringLiteral("120")},
        {P::StoreMovingLogKey, QStringLiteral("1")},
        {P::StoreReadoutKey, QStringLiteral("1")},
        {P::RegNumFirstKey, QStringLiteral("1")},
        {P::RegNumLastKey, QStringLiteral("1048575")}, // FFFFF, the largest five-digit card number
        {P::NormalCheckOutKey, QStringLiteral("720")},
        {P::NormalCheckInKey, QStringLiteral("840")},
        {P::DefaultStayKey, QStringLiteral("1")},
        {P::DefaultGuestCardsKey, QStringLiteral("1")},
        {P::DefaultJoinerCardsKey, QStringLiteral("1")},
        {P::UseIssueToKey, QStringLiteral("1")},
        {P::SupervisorTimeZoneToKey, QStringLiteral("24")},
        {P::EmployeeTimeZoneToKey, QStringLiteral("24")},
        {P::CommonAreaTimeZoneToKey, QStringLiteral("24")},
        {P::MaintenanceValidityKey, QStringLiteral("8")},
        {P::ServiceValidityKey, QStringLiteral("8")},
    };

    QList<SystemParameterRow> rows;
    for (int k = 0; k < P::KeyCount; ++k) {
        const auto key = static_cast<P::Key>(k);
        QString value = values.value(k);
        if (value.isEmpty() && P::keyType(key) != P::Type::Text)
            value = (kKeys[k].rules & Statistic) ? QString::number(kMissingStatistic) : QStringLiteral("0");
        rows.append({P::keyName(key), value});
    }
    rows.append({QStringLiteral("DATABASEVERSION"), RecordDatabase::databaseVersionText()});
    rows.append({QStringLiteral("TEXTLANGUAGE"), texts.GetText(kTextLanguageText)});
    rows.append({QStringLiteral("SYSTEM_STARTDATE"), QString::number(std::floor(today), 'f', 0)});
    return rows;
}
