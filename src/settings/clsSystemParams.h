#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>

class RecordDatabase;
class RecordTable;
class TextResources;

// The system parameters shared by every workstation: an in-memory copy of the Parameters table,
// one row per key. Property setters record what changed so that WriteSystemParameters touches only
// those rows; the load never goes through the setters, so it leaves no change behind.
class clsSystemParams
{
public:
    // One entry per key, in load order (write-only keys sit where they are saved).
    enum Key {
        OpCardAtLogonKey,
        PropertyNameKey,
        GrayIfNotAllowedKey,
        PinMinKey,
        PinMandatoryKey,
        PinPrintKey,
        PinRandomizeKey,
        OpenTimeKey,
        OpCardExpireWarningKey,
        StaffCardExpireWarningKey,
        CardExpireWarningKey,
        ExpireWarningCardsKey,
        CatharsisWarningKey,
        PrinterNote1Key,
        PrinterNote2Key,
        PrinterNote3Key,
        User1NameKey,
        User2NameKey,
        User3NameKey,
        User4NameKey,
        OpenModeKey,
        MaxInactiveTimeKey,
        EmergencyOpeningKey,
        PurgeLimitKey,
        PurgeLimitGuestCardsKey,
        PurgeLimitEventsKey,
        CathStartTimeKey,
        LastCathTimeKey,
        HighestCalendarDateKey,
        StoreMovingLogKey,
        StoreReadoutKey,
        SolidGroupFilenameKey,
        SolidSystemNumberKey,
        RegNumFirstKey,
        RegNumLastKey,
        UseSerialNumberKey,
        AccessCardAtLogonKey,
        FamilyKey,
        EnableWingsKey,
        NormalCheckOutKey,
        NormalCheckInKey,
        DefaultStayKey,
        DefaultGuestCardsKey,
        DefaultJoinerCardsKey,
        UseIssueToKey,
        LogonBeforeVerifyMagKey,
        LogonBeforeHcuEventsKey,
        AllowGuestDoorOnOffKey,
        EnableGroupAuthKey,
        Track2StringKey,
        Track2StringStaffKey,
        Track2GlobalCounterKey,
        Track2CounterPKey,
        Track2CounterSKey,
        Track2CounterVKey,
        FiveDigitsKey,
        DefaultCommonKey,
        SupervisorTimeZoneFromKey,
        SupervisorTimeZoneToKey,
        EmployeeTimeZoneFromKey,
        EmployeeTimeZoneToKey,
        CommonAreaTimeZoneFromKey,
        CommonAreaTimeZoneToKey,
        MaintenanceValidityKey,
        ServiceValidityKey,
        TicketCommonRoomKey,
        TicketPrinterPortKey,
        TicketLeftMarginKey,
        TicketPageHeightKey,
        TicketFreeText1Key,
        TicketFreeText2Key,
        TicketFreeText3Key,
        TicketFreeText4Key,
        TicketFreeText5Key,
        TicketFreeText6Key,
        TicketFreeText7Key,
        RentalEnabledKey,
        RentalPathKey,
        RentalCommonRoomKey,
        BackupWarningDaysKey,
        BackupTimeKey,
        BackupDirectoryKey,
        NumDeletedCardsKey,
        NumCardsKey,
        NumUsersKey,
        NumEventsKey,
        NumFreeRegNumsKey,
        MaxRegNumKey,
        MinRegNumKey,
        KeyCount
    };

    enum class Type { Boolean, Int32, Int16, Text, Date };

    static constexpr int ChangeFlagCount = 72;
    static constexpr int PrinterNotePieceLength = 255;
    static constexpr int PrinterNoteLength = 3 * PrinterNotePieceLength;
    static constexpr int UserFieldCount = 4;
    static constexpr int TicketTextCount = 7;

    // The key string stored in parameterID, its type, and its change flag (-1: read only).
    static QString keyName(Key key);
    static Type keyType(Key key);
    static int changeFlag(Key key);
    // Read only keys are loaded but never saved; write-only keys are saved but never loaded.
    static bool isReadOnly(Key key);
    static bool isWriteOnly(Key key);

    clsSystemParams(RecordDatabase &db, const TextResources &texts);
    ~clsSystemParams();
    clsSystemParams(const clsSystemParams &) = delete;
    clsSystemParams &operator=(const clsSystemParams &) = delete;

    // Loads every key in order. A missing row stops the load and returns false: keys before it
    // keep their new values, keys after it their old ones. Missing statistics ("TEMP_") read -1.
    bool ReadSystemParameters();
    // Saves the changed settings to rows that exist, in one transaction; never inserts. False when a
    // find or update failed for another reason than a missing row: then nothing is saved and every
    // change stays marked.
    bool WriteSystemParameters();

    // TableChangeTime of the Parameters table at the start and at the end of the last good load.
    double ParametersTimeStamp() const { return m_parametersTimeStamp; }
    double DateTabParameters() const { return m_dateTabParameters; }
    // Another workstation (or this one) saved settings since the last load.
    bool TableChangedSinceLoad();

    bool isChanged(int flag) const { return flag >= 0 && flag < ChangeFlagCount && m_changed.test(flag); }
    bool anyChanged() const { return m_anyChanged; }
    int changedCount() const { return static_cast<int>(m_changed.count()); }

    // One setting by its key, for the windows that handle every setting alike: booleans and
    // numbers as int, texts as QString, dates as double. PrinterNote1Key stands for the whole
    // printer note. Setting goes through the property's own rules; read only keys ignore it.
    QVariant value(Key key) const;
    void setValue(Key key, const QVariant &value);

    // Properties, in load order.
    bool NeedOpCardAtLogon() const { return flag(OpCardAtLogonKey); }
    QString PropertyName() const { return text(PropertyNameKey); }
    void setPropertyName(const QString &value) { setText(PropertyNameKey, value); }
    bool GrayIfNotAllowed() const { return flag(GrayIfNotAllowedKey); }
    void setGrayIfNotAllowed(bool value) { setFlag(GrayIfNotAllowedKey, value); }
    int32_t PINMinLength() const { return number(PinMinKey); }
    void setPINMinLength(int32_t value);
    bool PINMandatory() const { return flag(PinMandatoryKey); }
    void setPINMandatory(bool value) { setFlag(PinMandatoryKey, value); }
    bool PINPrint() const { return flag(PinPrintKey); }
    void setPINPrint(bool value) { setFlag(PinPrintKey, value); }
    bool PINRandomize() const { return flag(PinRandomizeKey); }
    void setPINRandomize(bool value) { setFlag(PinRandomizeKey, value); }
    int32_t DefaultOpenTime() const { return number(OpenTimeKey); }
    void setDefaultOpenTime(int32_t value) { setNumber(OpenTimeKey, value); }
    int32_t AlertOp() const { return number(OpCardExpireWarningKey); }
    void setAlertOp(int32_t value) { setNumber(OpCardExpireWarningKey, value); }
    int32_t AlertStaffCard() const { return number(StaffCardExpireWarningKey); }
    void setAlertStaffCard(int32_t value) { setNumber(StaffCardExpireWarningKey, value); }
    int32_t AlertCards() const { return number(CardExpireWarningKey); }
    void setAlertCards(int32_t value) { setNumber(CardExpireWarningKey, value); }
    QString AlertCardNames() const { return text(ExpireWarningCardsKey); }
    void setAlertCardNames(const QString &value) { setText(ExpireWarningCardsKey, value); }
    int32_t WarnHousekeeping() const { return number(CatharsisWarningKey); }
    QString PrinterNote() const;
    void setPrinterNote(const QString &value);
    QString NotDefined(int index) const;
    void setNotDefined(int index, const QString &value);
    int32_t OpenMode() const { return number(OpenModeKey); }
    void setOpenMode(int32_t value) { setNumber(OpenModeKey, value); }
    int32_t Timeout() const { return number(MaxInactiveTimeKey); }
    void setTimeout(int32_t value) { setNumber(MaxInactiveTimeKey, value); }
    int32_t EmergencyMode() const { return number(EmergencyOpeningKey); }
    void setEmergencyMode(int32_t value) { setNumber(EmergencyOpeningKey, value); }
    int32_t PurgeNonGuestCards() const { return number(PurgeLimitKey); }
    void setPurgeNonGuestCards(int32_t value) { setNumber(PurgeLimitKey, value); }
    int32_t PurgeGuestCards() const { return number(PurgeLimitGuestCardsKey); }
    void setPurgeGuestCards(int32_t value) { setNumber(PurgeLimitGuestCardsKey, value); }
    int32_t PurgeEvents() const { return number(PurgeLimitEventsKey); }
    void setPurgeEvents(int32_t value) { setNumber(PurgeLimitEventsKey, value); }
    int32_t CathStartTime() const { return number(CathStartTimeKey); }
    void setCathStartTime(int32_t value) { setNumber(CathStartTimeKey, value); }
    double LastCath() const { return date(LastCathTimeKey); }
    double HighestCalendarDate() const { return date(HighestCalendarDateKey); }
    bool StoreMovingLog() const { return flag(StoreMovingLogKey); }
    void setStoreMovingLog(bool value) { setFlag(StoreMovingLogKey, value); }
    bool StoreReadout() const { return flag(StoreReadoutKey); }
    void setStoreReadout(bool value) { setFlag(StoreReadoutKey, value); }
    QString SolidFilename() const { return text(SolidGroupFilenameKey); }
    void setSolidFilename(const QString &value) { setText(SolidGroupFilenameKey, value); }
    int32_t SolidNumber() const { return number(SolidSystemNumberKey); }
    void setSolidNumber(int32_t value) { setNumber(SolidSystemNumberKey, value); }
    int32_t RegNoFirst() const { return number(RegNumFirstKey); }
    void setRegNoFirst(int32_t value) { setNumber(RegNumFirstKey, value); }
    int32_t RegNoLast() const { return number(RegNumLastKey); }
    void setRegNoLast(int32_t value) { setNumber(RegNumLastKey, value); }
    bool UseSerialNumber() const { return flag(UseSerialNumberKey); }
    void setUseSerialNumber(bool value) { setFlag(UseSerialNumberKey, value); }
    bool AccessCardAtLogon() const { return flag(AccessCardAtLogonKey); }
    void setAccessCardAtLogon(bool value) { setFlag(AccessCardAtLogonKey, value); }
    bool Family() const { return flag(FamilyKey); }
    void setFamily(bool value) { setFlag(FamilyKey, value); }
    bool WingCodes() const { return flag(EnableWingsKey); }
    void setWingCodes(bool value) { setFlag(EnableWingsKey, value); }
    int32_t NormalCheckOut() const { return number(NormalCheckOutKey); }
    void setNormalCheckOut(int32_t value) { setNumber(NormalCheckOutKey, value); }
    int32_t NormalCheckIn() const { return number(NormalCheckInKey); }
    void setNormalCheckIn(int32_t value) { setNumber(NormalCheckInKey, value); }
    int32_t DefaultNights() const { return number(DefaultStayKey); }
    void setDefaultNights(int32_t value) { setNumber(DefaultStayKey, value); }
    int32_t DefaultGuestCards() const { return number(DefaultGuestCardsKey); }
    void setDefaultGuestCards(int32_t value) { setNumber(DefaultGuestCardsKey, value); }
    int32_t DefaultJoinerCards() const { return number(DefaultJoinerCardsKey); }
    void setDefaultJoinerCards(int32_t value) { setNumber(DefaultJoinerCardsKey, value); }
    int32_t IssueTo() const { return number(UseIssueToKey); }
    void setIssueTo(int32_t value) { setNumber(UseIssueToKey, value); }
    bool AllowVerifyMagCard() const { return flag(LogonBeforeVerifyMagKey); }
    void setAllowVerifyMagCard(bool value) { setFlag(LogonBeforeVerifyMagKey, value); }
    bool AllowReadFromHCU() const { return flag(LogonBeforeHcuEventsKey); }
    void setAllowReadFromHCU(bool value) { setFlag(LogonBeforeHcuEventsKey, value); }
    bool AllowGuestDoorOnOff() const { return flag(AllowGuestDoorOnOffKey); }
    void setAllowGuestDoorOnOff(bool value) { setFlag(AllowGuestDoorOnOffKey, value); }
    bool EnableGroupAuth() const { return flag(EnableGroupAuthKey); }
    void setEnableGroupAuth(bool value) { setFlag(EnableGroupAuthKey, value); }
    QString Track2String() const { return text(Track2StringKey); }
    void setTrack2String(const QString &value) { setText(Track2StringKey, value); }
    QString Track2StringStaff() const { return text(Track2StringStaffKey); }
    void setTrack2StringStaff(const QString &value) { setText(Track2StringStaffKey, value); }
    int32_t Track2GlobalCounter() const { return number(Track2GlobalCounterKey); }
    void setTrack2GlobalCounter(int32_t value) { setNumber(Track2GlobalCounterKey, value); }
    int32_t Track2CounterP() const { return number(Track2CounterPKey); }
    void setTrack2CounterP(int32_t value) { setNumber(Track2CounterPKey, value); }
    int32_t Track2CounterS() const { return number(Track2CounterSKey); }
    void setTrack2CounterS(int32_t value) { setNumber(Track2CounterSKey, value); }
    int32_t Track2CounterV() const { return number(Track2CounterVKey); }
    void setTrack2CounterV(int32_t value) { setNumber(Track2CounterVKey, value); }
    bool FiveDigits() const { return flag(FiveDigitsKey); }
    void setFiveDigits(bool value) { setFlag(FiveDigitsKey, value); }
    int16_t DefaultCommon() const { return short16(DefaultCommonKey); }
    void setDefaultCommon(int16_t value) { setNumber(DefaultCommonKey, value); }
    int16_t DefaultSupervisorTimeZoneFrom() const { return short16(SupervisorTimeZoneFromKey); }
    void setDefaultSupervisorTimeZoneFrom(int16_t value) { setNumber(SupervisorTimeZoneFromKey, value); }
    int16_t DefaultSupervisorTimeZoneTo() const { return short16(SupervisorTimeZoneToKey); }
    void setDefaultSupervisorTimeZoneTo(int16_t value) { setNumber(SupervisorTimeZoneToKey, value); }
    int16_t DefaultEmployeeTimeZoneFrom() const { return short16(EmployeeTimeZoneFromKey); }
    void setDefaultEmployeeTimeZoneFrom(int16_t value) { setNumber(EmployeeTimeZoneFromKey, value); }
    int16_t DefaultEmployeeTimeZoneTo() const { return short16(EmployeeTimeZoneToKey); }
    void setDefaultEmployeeTimeZoneTo(int16_t value) { setNumber(EmployeeTimeZoneToKey, value); }
    int16_t DefaultCommonAreaTimeZoneFrom() const { return short16(CommonAreaTimeZoneFromKey); }
    void setDefaultCommonAreaTimeZoneFrom(int16_t value) { setNumber(CommonAreaTimeZoneFromKey, value); }
    int16_t DefaultCommonAreaTimeZoneTo() const { return short16(CommonAreaTimeZoneToKey); }
    void setDefaultCommonAreaTimeZoneTo(int16_t value) { setNumber(CommonAreaTimeZoneToKey, value); }
    int16_t DefaultMaintenanceHours() const { return short16(MaintenanceValidityKey); }
    void setDefaultMaintenanceHours(int16_t value) { setNumber(MaintenanceValidityKey, value); }
    int16_t DefaultServiceHours() const { return short16(ServiceValidityKey); }
    void setDefaultServiceHours(int16_t value) { setNumber(ServiceValidityKey, value); }
    int16_t TicketCommonRoom() const { return short16(TicketCommonRoomKey); }
    void setTicketCommonRoom(int16_t value) { setNumber(TicketCommonRoomKey, value); }
    QString TicketPrinterPort() const { return text(TicketPrinterPortKey); }
    void setTicketPrinterPort(const QString &value) { setText(TicketPrinterPortKey, value); }
    int32_t TicketLeftMargin() const { return number(TicketLeftMarginKey); }
    void setTicketLeftMargin(int32_t value) { setNumber(TicketLeftMarginKey, value); }
    int32_t TicketPageHeight() const { return number(TicketPageHeightKey); }
    void setTicketPageHeight(int32_t value) { setNumber(TicketPageHeightKey, value); }
    QString TicketFreeText(int index) const;
    void setTicketFreeText(int index, const QString &value);
    bool RentalEnabled() const { return flag(RentalEnabledKey); }
    void setRentalEnabled(bool value) { setFlag(RentalEnabledKey, value); }
    QString RentalFolder() const { return text(RentalPathKey); }
    void setRentalFolder(const QString &value) { setText(RentalPathKey, value); }
    int16_t RentalCommonRoom() const { return short16(RentalCommonRoomKey); }
    void setRentalCommonRoom(int16_t value) { setNumber(RentalCommonRoomKey, value); }
    int32_t BackupWarningDays() const { return number(BackupWarningDaysKey); }
    void setBackupWarningDays(int32_t value) { setNumber(BackupWarningDaysKey, value); }
    double LastBackup() const { return date(BackupTimeKey); }
    QString BackupFolder() const { return text(BackupDirectoryKey); }
    void setBackupFolder(const QString &value) { setText(BackupDirectoryKey, value); }
    int32_t NumDeletedCards() const { return number(NumDeletedCardsKey); }
    int32_t NumCardsLeft() const { return number(NumCardsKey); }
    int32_t NumUsersLeft() const { return number(NumUsersKey); }
    int32_t NumEventsLeft() const { return number(NumEventsKey); }
    int32_t NumFreeRegNums() const { return number(NumFreeRegNumsKey); }
    int32_t MaxRegNo() const { return number(MaxRegNumKey); }
    int32_t MinRegNo() const { return number(MinRegNumKey); }

private:
    struct Value
    {
        int32_t number = 0; // numbers, and booleans as 0 / 1
        double date = 0;
        QString text;
    };

    bool flag(Key key) const { return m_values[key].number != 0; }
    int32_t number(Key key) const { return m_values[key].number; }
    int16_t short16(Key key) const { return static_cast<int16_t>(m_values[key].number); }
    double date(Key key) const { return m_values[key].date; }
    QString text(Key key) const { return m_values[key].text; }
    void setFlag(Key key, bool value);
    void setNumber(Key key, int32_t value);
    void setText(Key key, const QString &value);
    void markChanged(Key key);
    void store(Key key, const QVariant &stored);
    QVariant storedValue(Key key) const;

    RecordDatabase &m_db;
    const TextResources &m_texts;
    std::unique_ptr<RecordTable> m_table;
    std::array<Value, KeyCount> m_values;
    std::bitset<ChangeFlagCount> m_changed;
    bool m_anyChanged = false;
    double m_parametersTimeStamp = 0;
    double m_dateTabParameters = 0;
};

// One row of the Parameters table of a new installation.
struct SystemParameterRow
{
    QString key;
    QString value;
};

// Every key clsSystemParams reads or writes, plus the keys start-up and logon read themselves
// ("DATABASEVERSION", "TEXTLANGUAGE", "SYSTEM_STARTDATE"), with a value fit for a new installation.
// today is the OLE date the installation starts on.
QList<SystemParameterRow> DefaultSystemParameterRows(const TextResources &texts, double today);
