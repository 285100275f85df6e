#include "DatabaseFixture.h"
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "components/recordtable/TableDefs.h"
#include "settings/clsSystemParams.h"
#include "texts/Texts.h"

#include <QElapsedTimer>
#include <QMap>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

using P = clsSystemParams;

// A database with every default parameter row, on each engine the run offers.
class SystemParams : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_texts.setTextFileName(qEnvironmentVariable("OSTRELLE_SOURCE_DIR") + "/texts/ostrelle.rc");
        m_texts.setTextFileMode(true);
        ASSERT_TRUE(m_texts.LoadTextFile());
        for (const SystemParameterRow &row : DefaultSystemParameterRows(m_texts, 45000))
            putParameter(row.key, row.value);
    }

    void setRaw(P::Key key, const QString &value) { putParameter(P::keyName(key), value); }
    QString raw(P::Key key) { return parameterValue(P::keyName(key)); } // "<missing>" without the row
    int rowCount() { return DatabaseSeeds::rowCount(TableId::Parameters); }

    std::unique_ptr<P> loaded()
    {
        auto params = std::make_unique<P>(db, m_texts);
        EXPECT_TRUE(params->ReadSystemParameters());
        return params;
    }

    QString text(int16_t number) const { return m_texts.GetText(number); }

    TextResources m_texts;
};

// Per-key clamping, reading and writing use the statements the other tests run on every engine.
class SystemParamsPerKey : public SystemParams
{
};

TEST_P(SystemParamsPerKey, PinMinimumLengthOutside4To8Stores4)
{
    auto params = loaded();
    struct Case
    {
        int32_t set;
        int32_t stored;
    };
    for (const Case c : {Case{6, 6}, Case{3, 4}, Case{9, 4}, Case{8, 8}, Case{-1, 4}, Case{5, 5}, Case{4, 4}}) {
        params->setPINMinLength(c.set);
        EXPECT_EQ(params->PINMinLength(), c.stored) << "set " << c.set;
    }

    // Storing what is already there leaves no change behind, clamped or not.
    auto fresh = loaded();
    ASSERT_EQ(fresh->PINMinLength(), 4);
    fresh->setPINMinLength(4);
    fresh->setPINMinLength(3);
    fresh->setPINMinLength(9);
    EXPECT_FALSE(fresh->anyChanged());
    EXPECT_FALSE(fresh->isChanged(P::changeFlag(P::PinMinKey)));
    fresh->setPINMinLength(7);
    EXPECT_TRUE(fresh->isChanged(P::changeFlag(P::PinMinKey)));
}

TEST_P(SystemParams, PrinterNoteIsSavedIn255CharacterPiecesAndJoinedOnLoad)
{
    QString note;
    for (int i = 0; i < 600; ++i)
        note += QChar(u'a' + i % 26);
    note[254] = u'1'; // piece boundaries are easy to spot
    note[255] = u'2';
    note[510] = u'3';

    auto params = loaded();
    params->setPrinterNote(note);
    ASSERT_TRUE(params->WriteSystemParameters());

    EXPECT_EQ(raw(P::PrinterNote1Key), note.mid(0, 255));
    EXPECT_EQ(raw(P::PrinterNote2Key), note.mid(255, 255));
    EXPECT_EQ(raw(P::PrinterNote3Key), note.mid(510));
    EXPECT_EQ(raw(P::PrinterNote3Key).size(), 90);
    EXPECT_EQ(loaded()->PrinterNote(), note);

    // A shorter note empties the pieces it no longer reaches.
    params->setPrinterNote(QStringLiteral("Thank you"));
    ASSERT_TRUE(params->WriteSystemParameters());
    EXPECT_EQ(raw(P::PrinterNote2Key), QString());
    EXPECT_EQ(raw(P::PrinterNote3Key), QString());
    EXPECT_EQ(loaded()->PrinterNote(), "Thank you");

    // Three pieces hold 765 characters; the rest is dropped.
    params->setPrinterNote(QString(800, u'x'));
    EXPECT_EQ(params->PrinterNote().size(), P::PrinterNoteLength);
}

TEST_P(SystemParams, MissingStatisticReadsMinusOneButMissingSettingFailsTheLoad)
{
    setRaw(P::NumCardsKey, "1200");
    removeParameter(P::keyName(P::NumUsersKey));
    auto params = loaded();
    EXPECT_EQ(params->NumUsersLeft(), -1);
    EXPECT_EQ(params->NumCardsLeft(), 1200);
    // The write-only key is never read, so its absence is no failure either.
    removeParameter(P::keyName(P::ExpireWarningCardsKey));
    EXPECT_TRUE(loaded()->ReadSystemParameters());

    const double loadedAt = params->DateTabParameters();
    // Keys before the missing one take their new values, keys after it keep their old ones.
    setRaw(P::PurgeLimitEventsKey, "31"); // before OPENMODE
    setRaw(P::User3NameKey, "Company");   // before OPENMODE
    setRaw(P::MaxInactiveTimeKey, "99");  // after OPENMODE
    setRaw(P::NumCardsKey, "5");          // after OPENMODE
    removeParameter(P::keyName(P::OpenModeKey));
    params->setDefaultNights(3);
    EXPECT_FALSE(params->ReadSystemParameters());
    EXPECT_EQ(params->NotDefined(2), "Company");
    EXPECT_EQ(params->Timeout(), 30);
    EXPECT_EQ(params->NumCardsLeft(), 1200);
    EXPECT_EQ(params->PurgeEvents(), 90); // after it in table order too
    EXPECT_EQ(params->DateTabParameters(), loadedAt);
    // A failed load keeps the changes not yet saved.
    EXPECT_TRUE(params->isChanged(P::changeFlag(P::DefaultStayKey)));
}

TEST_P(SystemParams, SavingOneChangedSettingUpdatesExactlyThatRow)
{
    auto params = loaded();
    // Another workstation rewrites every row behind our back; a save that touched any row but
    // OPENMODE would put our stale copy back.
    QList<P::Key> keys;
    for (int k = 0; k < P::KeyCount; ++k) {
        keys << static_cast<P::Key>(k);
        setRaw(keys.last(), "elsewhere");
    }
    const int rows = rowCount();

    params->setOpenMode(params->OpenMode() + 2);
    EXPECT_EQ(params->changedCount(), 1);
    ASSERT_TRUE(params->WriteSystemParameters());

    for (P::Key key : keys) {
        const QString expected = key == P::OpenModeKey ? QString::number(params->OpenMode()) : "elsewhere";
        EXPECT_EQ(raw(key), expected) << P::keyName(key).toStdString();
    }
    EXPECT_EQ(rowCount(), rows);
    EXPECT_FALSE(params->anyChanged());
}

TEST_P(SystemParams, SavingNeverInsertsAMissingRow)
{
    auto params = loaded();
    removeParameter(P::keyName(P::PurgeLimitKey));
    const int rows = rowCount();
    params->setPurgeNonGuestCards(45);
    params->setPurgeEvents(60);
    EXPECT_TRUE(params->WriteSystemParameters());
    EXPECT_EQ(raw(P::PurgeLimitKey), "<missing>");
    EXPECT_EQ(rowCount(), rows);
    // The other changed setting of the same save still lands.
    EXPECT_EQ(raw(P::PurgeLimitEventsKey), "60");
}

TEST_P(SystemParams, ASaveRefusedHalfwaySavesNothing)
{
    auto params = loaded();
    // The database refuses REGNUM_LAST; REGNUM_FIRST saved alone would leave the range empty.
    const QStringList refuse =
        isPostgres()
            ? QStringList{"CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION "
                          "'refused'; END $$",
                          "CREATE TRIGGER refuse BEFORE UPDATE ON \"Parameters\" FOR EACH ROW WHEN "
                          "(new.\"parameterID\" = 'REGNUM_LAST') EXECUTE FUNCTION refuse()"}
            : QStringList{"CREATE TRIGGER refuse BEFORE UPDATE ON \"Parameters\" WHEN new.\"parameterID\" = "
                          "'REGNUM_LAST' BEGIN SELECT RAISE(ABORT, 'refused'); END"};
    QSqlQuery q(db.sqlDatabase());
    for (const QString &sql : refuse)
        ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    const QString first = raw(P::RegNumFirstKey);
    params->setRegNoFirst(params->RegNoLast() + 1000);
    params->setRegNoLast(params->RegNoLast() + 2000);
    EXPECT_FALSE(params->WriteSystemParameters());
    EXPECT_EQ(raw(P::RegNumFirstKey), first);
    EXPECT_EQ(params->changedCount(), 2) << "nothing was saved, so both wait for the next save";
}

TEST_P(SystemParams, EmptyUserFieldCaptionIsRewrittenDuringTheLoad)
{
    setRaw(P::User2NameKey, "");
    setRaw(P::User1NameKey, "Company");
    setRaw(P::PropertyNameKey, "");
    auto params = loaded();
    EXPECT_EQ(params->NotDefined(1), text(16120));
    EXPECT_EQ(raw(P::User2NameKey), text(16120));
    EXPECT_EQ(params->NotDefined(0), "Company");
    // The property name default is shown, not stored.
    EXPECT_EQ(params->PropertyName(), text(16400));
    EXPECT_EQ(raw(P::PropertyNameKey), "");
    EXPECT_FALSE(params->anyChanged());

    params->setNotDefined(0, "");
    EXPECT_EQ(params->NotDefined(0), text(16120));
    EXPECT_TRUE(params->isChanged(P::changeFlag(P::User1NameKey)));

    // Indexes outside 0..3 (user fields) and 0..6 (ticket texts) read empty and store nothing.
    auto other = loaded();
    other->setNotDefined(4, "x");
    other->setNotDefined(-1, "x");
    other->setTicketFreeText(7, "x");
    EXPECT_FALSE(other->anyChanged());
    EXPECT_EQ(other->NotDefined(4), "");
    EXPECT_EQ(other->NotDefined(-1), "");
    EXPECT_EQ(other->TicketFreeText(7), "");
}

TEST_P(SystemParams, TableChangeTimeMovesWhenAWorkstationSaves)
{
    auto here = loaded();
    // Another workstation on its own connection.
    std::unique_ptr<RecordDatabase> secondDb = openSecond();
    P there(*secondDb, m_texts);
    ASSERT_TRUE(there.ReadSystemParameters());
    EXPECT_FALSE(here->TableChangedSinceLoad());
    EXPECT_LE(here->ParametersTimeStamp(), here->DateTabParameters());

    there.setFamily(!there.Family());
    ASSERT_TRUE(there.WriteSystemParameters());

    EXPECT_TRUE(here->TableChangedSinceLoad());
    EXPECT_TRUE(there.TableChangedSinceLoad());
    ASSERT_TRUE(here->ReadSystemParameters());
    EXPECT_EQ(here->Family(), there.Family());
    EXPECT_FALSE(here->TableChangedSinceLoad());
    EXPECT_GT(here->DateTabParameters(), there.DateTabParameters());

    // A save with nothing changed touches nothing.
    ASSERT_TRUE(there.WriteSystemParameters());
    EXPECT_FALSE(here->TableChangedSinceLoad());
}

// A load is one snapshot: a save another workstation commits meanwhile is read whole or not at all.
TEST_P(SystemParams, ALoadNeverMixesTwoSaves)
{
    auto here = loaded();
    std::atomic<bool> done{false};
    std::atomic<int> saves{0};
    std::thread otherWorkstation([&] {
        // A connection belongs to the thread that opened it.
        std::unique_ptr<RecordDatabase> secondDb = openSecond();
        P there(*secondDb, m_texts);
        if (!there.ReadSystemParameters())
            return;
        for (int i = 1; !done; ++i) {
            there.setRegNoFirst(1000 + i * 10);
            there.setRegNoLast(1000 + i * 10 + 5);
            if (there.WriteSystemParameters())
                ++saves;
        }
    });
    QElapsedTimer clock;
    clock.start();
    while (saves == 0 && clock.elapsed() < 10000)
        QThread::msleep(1);
    int loads = 0, mixed = 0;
    for (; loads < 150 && clock.elapsed() < 20000; ++loads) {
        if (!here->ReadSystemParameters())
            break;
        if (here->RegNoLast() - here->RegNoFirst() != 5)
            ++mixed;
    }
    done = true;
    otherWorkstation.join();
    EXPECT_EQ(loads, 150);
    EXPECT_GT(saves, 1);
    EXPECT_EQ(mixed, 0) << "loads that saw the first of one save and the last of another";
}

TEST_P(SystemParamsPerKey, StoredTextsReadByTheirType)
{
    struct Case
    {
        P::Key key;
        const char *stored;
        std::function<QVariant(const P &)> get;
        QVariant expected;
    };
    const Case cases[] = {
        {P::FamilyKey, "1", [](const P &p) { return p.Family(); }, true},
        {P::FamilyKey, "0", [](const P &p) { return p.Family(); }, false},
        {P::FamilyKey, "-1", [](const P &p) { return p.Family(); }, true},
        {P::FamilyKey, "yes", [](const P &p) { return p.Family(); }, false},
        {P::FamilyKey, "0.5", [](const P &p) { return p.Family(); }, true},
        {P::OpenModeKey, "12", [](const P &p) { return p.OpenMode(); }, 12},
        {P::OpenModeKey, " 42", [](const P &p) { return p.OpenMode(); }, 42},
        {P::OpenModeKey, "17 minutes", [](const P &p) { return p.OpenMode(); }, 17},
        {P::OpenModeKey, "", [](const P &p) { return p.OpenMode(); }, 0},
        {P::OpenModeKey, "abc", [](const P &p) { return p.OpenMode(); }, 0},
        {P::OpenModeKey, "-7", [](const P &p) { return p.OpenMode(); }, -7},
        {P::OpenModeKey, "99999999999", [](const P &p) { return p.OpenMode(); }, 2147483647},
        {P::DefaultCommonKey, "70000", [](const P &p) { return p.DefaultCommon(); }, 32767},
        {P::RentalCommonRoomKey, "260", [](const P &p) { return p.RentalCommonRoom(); }, 4},
        {P::LastCathTimeKey, "45414.75", [](const P &p) { return p.LastCath(); }, 45414.75},
        {P::BackupTimeKey, "nothing", [](const P &p) { return p.LastBackup(); }, 0.0},
        {P::Track2StringKey, " ;%R=%E? ", [](const P &p) { return p.Track2String(); }, " ;%R=%E? "},
        {P::NumDeletedCardsKey, "3", [](const P &p) { return p.NumDeletedCards(); }, 3},
    };
    for (const Case &c : cases) {
        setRaw(c.key, c.stored);
        auto params = loaded();
        EXPECT_EQ(c.get(*params), c.expected) << P::keyName(c.key).toStdString() << " = \"" << c.stored << '"';
    }
}

// Every setting with a setter: the setter marks its key's flag, the save writes its key in the
// stored form, and a fresh load reads it back through the matching getter.
TEST_P(SystemParamsPerKey, EverySettingRoundTripsThroughItsOwnKey)
{
    struct Case
    {
        P::Key key;
        std::function<void(P &)> set;
        std::function<QVariant(const P &)> get;
        QVariant expected;
        const char *stored;
    };
    // clang-format off
    const Case cases[] = {
        {P::PropertyNameKey, [](P &p) { p.setPropertyName("Seaview"); }, [](const P &p) { return p.PropertyName(); }, "Seaview", "Seaview"},
        {P::GrayIfNotAllowedKey, [](P &p) { p.setGrayIfNotAllowed(false); }, [](const P &p) { return p.GrayIfNotAllowed(); }, false, "0"},
        {P::PinMinKey, [](P &p) { p.setPINMinLength(6); }, [](const P &p) { return p.PINMinLength(); }, 6, "6"},
        {P::PinMandatoryKey, [](P &p) { p.setPINMandatory(true); }, [](const P &p) { return p.PINMandatory(); }, true, "1"},
        {P::PinPrintKey, [](P &p) { p.setPINPrint(true); }, [](const P &p) { return p.PINPrint(); }, true, "1"},
        {P::PinRandomizeKey, [](P &p) { p.setPINRandomize(true); }, [](const P &p) { return p.PINRandomize(); }, true, "1"},
        {P::OpenTimeKey, [](P &p) { p.setDefaultOpenTime(3); }, [](const P &p) { return p.DefaultOpenTime(); }, 3, "3"},
        {P::OpCardExpireWarningKey, [](P &p) { p.setAlertOp(14); }, [](const P &p) { return p.AlertOp(); }, 14, "14"},
        {P::StaffCardExpireWarningKey, [](P &p) { p.setAlertStaffCard(21); }, [](const P &p) { return p.AlertStaffCard(); }, 21, "21"},
        {P::CardExpireWarningKey, [](P &p) { p.setAlertCards(5); }, [](const P &p) { return p.AlertCards(); }, 5, "5"},
        {P::ExpireWarningCardsKey, [](P &p) { p.setAlertCardNames("260,261"); }, [](const P &p) { return p.AlertCardNames().isEmpty(); }, true, "260,261"},
        {P::PrinterNote1Key, [](P &p) { p.setPrinterNote("Note"); }, [](const P &p) { return p.PrinterNote(); }, "Note", "Note"},
        {P::User4NameKey, [](P &p) { p.setNotDefined(3, "Car"); }, [](const P &p) { return p.NotDefined(3); }, "Car", "Car"},
        {P::OpenModeKey, [](P &p) { p.setOpenMode(2); }, [](const P &p) { return p.OpenMode(); }, 2, "2"},
        {P::MaxInactiveTimeKey, [](P &p) { p.setTimeout(1440); }, [](const P &p) { return p.Timeout(); }, 1440, "1440"},
        {P::EmergencyOpeningKey, [](P &p) { p.setEmergencyMode(1); }, [](const P &p) { return p.EmergencyMode(); }, 1, "1"},
        {P::PurgeLimitKey, [](P &p) { p.setPurgeNonGuestCards(31); }, [](const P &p) { return p.PurgeNonGuestCards(); }, 31, "31"},
        {P::PurgeLimitGuestCardsKey, [](P &p) { p.setPurgeGuestCards(32); }, [](const P &p) { return p.PurgeGuestCards(); }, 32, "32"},
        {P::PurgeLimitEventsKey, [](P &p) { p.setPurgeEvents(33); }, [](const P &p) { return p.PurgeEvents(); }, 33, "33"},
        {P::CathStartTimeKey, [](P &p) { p.setCathStartTime(180); }, [](const P &p) { return p.CathStartTime(); }, 180, "180"},
        {P::StoreMovingLogKey, [](P &p) { p.setStoreMovingLog(false); }, [](const P &p) { return p.StoreMovingLog(); }, false, "0"},
        {P::StoreReadoutKey, [](P &p) { p.setStoreReadout(false); }, [](const P &p) { return p.StoreReadout(); }, false, "0"},
        {P::SolidGroupFilenameKey, [](P &p) { p.setSolidFilename("g.dat"); }, [](const P &p) { return p.SolidFilename(); }, "g.dat", "g.dat"},
        {P::SolidSystemNumberKey, [](P &p) { p.setSolidNumber(77); }, [](const P &p) { return p.SolidNumber(); }, 77, "77"},
        {P::RegNumFirstKey, [](P &p) { p.setRegNoFirst(16); }, [](const P &p) { return p.RegNoFirst(); }, 16, "16"},
        {P::RegNumLastKey, [](P &p) { p.setRegNoLast(65535); }, [](const P &p) { return p.RegNoLast(); }, 65535, "65535"},
        {P::UseSerialNumberKey, [](P &p) { p.setUseSerialNumber(true); }, [](const P &p) { return p.UseSerialNumber(); }, true, "1"},
        {P::AccessCardAtLogonKey, [](P &p) { p.setAccessCardAtLogon(true); }, [](const P &p) { return p.AccessCardAtLogon(); }, true, "1"},
        {P::FamilyKey, [](P &p) { p.setFamily(true); }, [](const P &p) { return p.Family(); }, true, "1"},
        {P::EnableWingsKey, [](P &p) { p.setWingCodes(true); }, [](const P &p) { return p.WingCodes(); }, true, "1"},
        {P::NormalCheckOutKey, [](P &p) { p.setNormalCheckOut(660); }, [](const P &p) { return p.NormalCheckOut(); }, 660, "660"},
        {P::NormalCheckInKey, [](P &p) { p.setNormalCheckIn(900); }, [](const P &p) { return p.NormalCheckIn(); }, 900, "900"},
        {P::DefaultStayKey, [](P &p) { p.setDefaultNights(2); }, [](const P &p) { return p.DefaultNights(); }, 2, "2"},
        {P::DefaultGuestCardsKey, [](P &p) { p.setDefaultGuestCards(2); }, [](const P &p) { return p.DefaultGuestCards(); }, 2, "2"},
        {P::DefaultJoinerCardsKey, [](P &p) { p.setDefaultJoinerCards(3); }, [](const P &p) { return p.DefaultJoinerCards(); }, 3, "3"},
        {P::UseIssueToKey, [](P &p) { p.setIssueTo(0); }, [](const P &p) { return p.IssueTo(); }, 0, "0"},
        {P::LogonBeforeVerifyMagKey, [](P &p) { p.setAllowVerifyMagCard(true); }, [](const P &p) { return p.AllowVerifyMagCard(); }, true, "1"},
        {P::LogonBeforeHcuEventsKey, [](P &p) { p.setAllowReadFromHCU(true); }, [](const P &p) { return p.AllowReadFromHCU(); }, true, "1"},
        {P::AllowGuestDoorOnOffKey, [](P &p) { p.setAllowGuestDoorOnOff(true); }, [](const P &p) { return p.AllowGuestDoorOnOff(); }, true, "1"},
        {P::EnableGroupAuthKey, [](P &p) { p.setEnableGroupAuth(true); }, [](const P &p) { return p.EnableGroupAuth(); }, true, "1"},
        {P::Track2StringKey, [](P &p) { p.setTrack2String(";%R?"); }, [](const P &p) { return p.Track2String(); }, ";%R?", ";%R?"},
        {P::Track2StringStaffKey, [](P &p) { p.setTrack2StringStaff(";%U?"); }, [](const P &p) { return p.Track2StringStaff(); }, ";%U?", ";%U?"},
        {P::Track2GlobalCounterKey, [](P &p) { p.setTrack2GlobalCounter(1001); }, [](const P &p) { return p.Track2GlobalCounter(); }, 1001, "1001"},
        {P::Track2CounterPKey, [](P &p) { p.setTrack2CounterP(11); }, [](const P &p) { return p.Track2CounterP(); }, 11, "11"},
        {P::Track2CounterSKey, [](P &p) { p.setTrack2CounterS(12); }, [](const P &p) { return p.Track2CounterS(); }, 12, "12"},
        {P::Track2CounterVKey, [](P &p) { p.setTrack2CounterV(13); }, [](const P &p) { return p.Track2CounterV(); }, 13, "13"},
        {P::FiveDigitsKey, [](P &p) { p.setFiveDigits(true); }, [](const P &p) { return p.FiveDigits(); }, true, "1"},
        {P::DefaultCommonKey, [](P &p) { p.setDefaultCommon(5); }, [](const P &p) { return p.DefaultCommon(); }, 5, "5"},
        {P::SupervisorTimeZoneFromKey, [](P &p) { p.setDefaultSupervisorTimeZoneFrom(6); }, [](const P &p) { return p.DefaultSupervisorTimeZoneFrom(); }, 6, "6"},
        {P::SupervisorTimeZoneToKey, [](P &p) { p.setDefaultSupervisorTimeZoneTo(20); }, [](const P &p) { return p.DefaultSupervisorTimeZoneTo(); }, 20, "20"},
        {P::EmployeeTimeZoneFromKey, [](P &p) { p.setDefaultEmployeeTimeZoneFrom(7); }, [](const P &p) { return p.DefaultEmployeeTimeZoneFrom(); }, 7, "7"},
        {P::EmployeeTimeZoneToKey, [](P &p) { p.setDefaultEmployeeTimeZoneTo(19); }, [](const P &p) { return p.DefaultEmployeeTimeZoneTo(); }, 19, "19"},
        {P::CommonAreaTimeZoneFromKey, [](P &p) { p.setDefaultCommonAreaTimeZoneFrom(8); }, [](const P &p) { return p.DefaultCommonAreaTimeZoneFrom(); }, 8, "8"},
        {P::CommonAreaTimeZoneToKey, [](P &p) { p.setDefaultCommonAreaTimeZoneTo(18); }, [](const P &p) { return p.DefaultCommonAreaTimeZoneTo(); }, 18, "18"},
        {P::MaintenanceValidityKey, [](P &p) { p.setDefaultMaintenanceHours(4); }, [](const P &p) { return p.DefaultMaintenanceHours(); }, 4, "4"},
        {P::ServiceValidityKey, [](P &p) { p.setDefaultServiceHours(2); }, [](const P &p) { return p.DefaultServiceHours(); }, 2, "2"},
        {P::TicketCommonRoomKey, [](P &p) { p.setTicketCommonRoom(3); }, [](const P &p) { return p.TicketCommonRoom(); }, 3, "3"},
        {P::TicketPrinterPortKey, [](P &p) { p.setTicketPrinterPort("LPT2"); }, [](const P &p) { return p.TicketPrinterPort(); }, "LPT2", "LPT2"},
        {P::TicketLeftMarginKey, [](P &p) { p.setTicketLeftMargin(12); }, [](const P &p) { return p.TicketLeftMargin(); }, 12, "12"},
        {P::TicketPageHeightKey, [](P &p) { p.setTicketPageHeight(66); }, [](const P &p) { return p.TicketPageHeight(); }, 66, "66"},
        {P::TicketFreeText6Key, [](P &p) { p.setTicketFreeText(5, "Enjoy"); }, [](const P &p) { return p.TicketFreeText(5); }, "Enjoy", "Enjoy"},
        {P::RentalEnabledKey, [](P &p) { p.setRentalEnabled(true); }, [](const P &p) { return p.RentalEnabled(); }, true, "1"},
        {P::RentalPathKey, [](P &p) { p.setRentalFolder("/srv/rental"); }, [](const P &p) { return p.RentalFolder(); }, "/srv/rental", "/srv/rental"},
        {P::RentalCommonRoomKey, [](P &p) { p.setRentalCommonRoom(7); }, [](const P &p) { return p.RentalCommonRoom(); }, 7, "7"},
        {P::BackupWarningDaysKey, [](P &p) { p.setBackupWarningDays(10); }, [](const P &p) { return p.BackupWarningDays(); }, 10, "10"},
        {P::BackupDirectoryKey, [](P &p) { p.setBackupFolder("/backup"); }, [](const P &p) { return p.BackupFolder(); }, "/backup", "/backup"},
    };
    // clang-format on

    QSet<int> flagsSeen;
    for (const Case &c : cases) {
        SCOPED_TRACE(P::keyName(c.key).toStdString());
        auto params = loaded();
        c.set(*params);
        EXPECT_TRUE(params->anyChanged());
        EXPECT_EQ(params->changedCount(), 1);
        EXPECT_TRUE(params->isChanged(P::changeFlag(c.key)));
        flagsSeen.insert(P::changeFlag(c.key));
        ASSERT_TRUE(params->WriteSystemParameters());
        EXPECT_EQ(raw(c.key), c.stored);
        // The write-only key is never read back: its getter keeps the empty default.
        EXPECT_EQ(c.get(*loaded()), c.expected);
    }

    // Every setter owns a flag except the groups that share one.
    QSet<int> flagsInTable;
    for (int k = 0; k < P::KeyCount; ++k) {
        const int flag = P::changeFlag(static_cast<P::Key>(k));
        EXPECT_LT(flag, P::ChangeFlagCount);
        if (flag >= 0)
            flagsInTable.insert(flag);
    }
    EXPECT_EQ(flagsSeen, flagsInTable);
}

TEST_P(SystemParams, GroupsSaveTogether)
{
    auto params = loaded();
    params->setAlertCardNames("260");
    ASSERT_TRUE(params->WriteSystemParameters());
    setRaw(P::ExpireWarningCardsKey, "elsewhere");
    setRaw(P::CardExpireWarningKey, "elsewhere");
    setRaw(P::User1NameKey, "elsewhere");
    setRaw(P::TicketFreeText1Key, "elsewhere");

    // Changing the count writes the names beside it; one user caption writes all four.
    params->setAlertCards(9);
    params->setNotDefined(2, "Car");
    params->setTicketFreeText(6, "Bye");
    EXPECT_EQ(params->changedCount(), 3);
    ASSERT_TRUE(params->WriteSystemParameters());
    EXPECT_EQ(raw(P::CardExpireWarningKey), "9");
    EXPECT_EQ(raw(P::ExpireWarningCardsKey), "260");
    EXPECT_EQ(raw(P::User1NameKey), text(16120));
    EXPECT_EQ(raw(P::User3NameKey), "Car");
    EXPECT_EQ(raw(P::TicketFreeText1Key), "");
    EXPECT_EQ(raw(P::TicketFreeText7Key), "Bye");
}

TEST_P(SystemParams, DefaultRowsMakeALoadableInstallation)
{
    const QList<SystemParameterRow> rows = DefaultSystemParameterRows(m_texts, 45000.6);
    QMap<QString, QString> values;
    for (const SystemParameterRow &row : rows)
        values.insert(row.key, row.value);
    EXPECT_EQ(values.size(), rows.size()) << "a key twice";
    for (int k = 0; k < P::KeyCount; ++k)
        EXPECT_TRUE(values.contains(P::keyName(static_cast<P::Key>(k))));
    EXPECT_EQ(values.value("DATABASEVERSION"), RecordDatabase::databaseVersionText());
    EXPECT_EQ(values.value("SYSTEM_STARTDATE"), "45000");
    EXPECT_EQ(values.value("TEXTLANGUAGE"), text(15000)) << "start-up compares the language with text 15000";

    // SetUp stored exactly these rows.
    auto params = loaded();
    EXPECT_FALSE(params->anyChanged());
    EXPECT_EQ(params->PINMinLength(), 4);
    EXPECT_EQ(params->NumUsersLeft(), -1);
    // Within what the settings dialog accepts.
    EXPECT_GE(params->Timeout(), 1);
    EXPECT_LE(params->Timeout(), 1440);
    EXPECT_GE(params->PurgeNonGuestCards(), 30);
    EXPECT_GE(params->DefaultNights(), 1);
    EXPECT_LE(params->DefaultNights(), 512);
    EXPECT_LE(params->RegNoFirst(), params->RegNoLast());
    EXPECT_LE(params->RegNoLast(), 0xFFFFF);
    EXPECT_EQ(params->DefaultEmployeeTimeZoneTo(), 24);
}

INSTANTIATE_TEST_SUITE_P(Engines, SystemParams, ::testing::Values("sqlite", "postgresql"));
INSTANTIATE_TEST_SUITE_P(Sqlite, SystemParamsPerKey, ::testing::Values("sqlite"));

} // namespace
