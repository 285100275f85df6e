#include "TempHives.h"
#include "settings/clsLocalParams.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <optional>

namespace {

using Hive = RegistryStore::Hive;
using Value = RegistryStore::Value;

const QString kGridKey = QStringLiteral("Software\\Veltrix\\Portcullis\\Settings");
const QString kDbServerKey = QStringLiteral("Software\\Veltrix\\DBServer\\Settings");
const QString kAppServerKey = QStringLiteral("Software\\Veltrix\\AppServer\\Settings");
const QString kOdbc = QStringLiteral("ODBC Source");
constexpr uint32_t kTrue = 0xffffffffu;

// What a later run would find: the hive file read back by a store of its own.
std::optional<Value> stored(const TempHives &hives, const QString &keyPath, const QString &name,
                            Hive hive = Hive::CurrentUser)
{
    RegistryStore fresh(hives.currentUserFile, hives.localMachineFile);
    Value value;
    if (fresh.queryValue(hive, keyPath, name, value) != 0)
        return std::nullopt;
    return value;
}

TEST(LocalParams, FirstRunStoresEveryDefaultButTheDeviceNumbers)
{
    TempHives hives;
    clsLocalParams params(hives.registry);
    params.ReadLocalParameters();

    EXPECT_FALSE(params.anyChanged());
    EXPECT_TRUE(params.RememberUserID());
    EXPECT_TRUE(params.AlwaysShowNavWindow());
    EXPECT_TRUE(params.ShowStatusbar());
    EXPECT_FALSE(params.DoorDetailsInGrid());

    struct Expected
    {
        const QString &key;
        const char *name;
        Value value;
    };
    const Expected expected[] = {
        {kGridKey, "ShowDoorDetails", Value::dword(0)},    {kGridKey, "DisplayMonochrome", Value::dword(0)},
        {kSettingsKey, "sInitialDir", Value::string({})},  {kSettingsKey, "fRememberUserID", Value::dword(kTrue)},
        {kSettingsKey, "nPrinterHeight", Value::dword(0)}, {kDbServerKey, "ODBC Source", Value::string({})},
        {kSettingsKey, "fLockNav", Value::dword(kTrue)},   {kSettingsKey, "fLaunchNav", Value::dword(kTrue)},
        {kSettingsKey, "fToolbar", Value::dword(kTrue)},   {kSettingsKey, "fStatusbar", Value::dword(kTrue)},
        {kSettingsKey, "nMainState", Value::dword(0)},     {kAppServerKey, "Server", Value::string({})},
        {kSettingsKey, "sWingCode", Value::string({})},
    };
    for (const Expected &e : expected) {
        SCOPED_TRACE(e.name);
        const auto value = stored(hives, e.key, QString::fromLatin1(e.name));
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, e.value);
    }
    for (const char *device : {"nMCEncoder", "nSCEncoder", "nHCU"})
        EXPECT_FALSE(stored(hives, kSettingsKey, QString::fromLatin1(device)).has_value()) << device;
    // "ODBC Source" is read from the workstation's key but stored only under the server's.
    EXPECT_FALSE(stored(hives, kSettingsKey, kOdbc).has_value());
}

TEST(LocalParams, ReadsStoredValues)
{
    TempHives hives;
    hives.setMachine(QStringLiteral("nMCEncoder"), Value::dword(7)); // an installer's value
    hives.setUser(QStringLiteral("nHCU"), Value::dword(3));
    hives.setUser(QStringLiteral("fToolbar"), Value::dword(0));
    hives.setUser(QStringLiteral("fStatusbar"), Value::dword(5)); // any non-zero is true
    hives.setUser(QStringLiteral("ShowDoorDetails"), Value::dword(1), kGridKey);
    hives.setUser(QStringLiteral("nMainState"), Value::dword(2));
    hives.setUser(QStringLiteral("sWingCode"), Value::string(QStringLiteral("B")));
    hives.setUser(QStringLiteral("Server"), Value::string(QStringLiteral("db1")), kAppServerKey);
    hives.setUser(QStringLiteral("fLockNav"), Value::string(QStringLiteral("0"))); // wrong type: missing

    clsLocalParams params(hives.registry);
    params.ReadLocalParameters();

    EXPECT_EQ(params.MagCardEncoderID(), 7);
    EXPECT_EQ(params.SmartCardEncoderID(), 0);
    EXPECT_EQ(params.HCUID(), 3);
    EXPECT_FALSE(params.ShowToolbar());
    EXPECT_TRUE(params.ShowStatusbar());
    EXPECT_TRUE(params.DoorDetailsInGrid());
    EXPECT_EQ(params.WindowState(), 2);
    EXPECT_EQ(params.WingCode(), QStringLiteral("B"));
    EXPECT_EQ(params.Server(), QStringLiteral("db1"));
    EXPECT_TRUE(params.AlwaysShowNavWindow());
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("fLockNav")), Value::dword(kTrue));
    // Values that were present are not rewritten.
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("fStatusbar")), Value::dword(5));
}

TEST(LocalParams, MinimisedMainFrameStartsNormal)
{
    TempHives hives;
    hives.setUser(QStringLiteral("nMainState"), Value::dword(1));
    clsLocalParams params(hives.registry);
    params.ReadLocalParameters();
    EXPECT_EQ(params.WindowState(), 0);
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("nMainState")), Value::dword(0));
}

TEST(LocalParams, OnlyChangedPropertiesAreWritten)
{
    TempHives hives;
    clsLocalParams params(hives.registry);
    params.ReadLocalParameters();

    // Changed behind the object's back: a write of an unchanged property would undo this.
    hives.setUser(QStringLiteral("fToolbar"), Value::dword(0));
    hives.setUser(QStringLiteral("sWingCode"), Value::string(QStringLiteral("X")));
    params.setShowToolbar(true);
    params.setWingCode(QString());
    EXPECT_FALSE(params.anyChanged());

    params.setMagCardEncoderID(4);
    params.setDoorDetailsInGrid(true);
    EXPECT_TRUE(params.isChanged(clsLocalParams::MagCardEncoderIDProperty));
    EXPECT_FALSE(params.isChanged(clsLocalParams::ShowToolbarProperty));
    EXPECT_TRUE(params.anyChanged());
    EXPECT_TRUE(params.WriteLocalParameters());

    EXPECT_FALSE(params.anyChanged());
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("fToolbar")), Value::dword(0));
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("sWingCode")), Value::string(QStringLiteral("X")));
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("nMCEncoder")), Value::dword(4));
    EXPECT_EQ(stored(hives, kGridKey, QStringLiteral("ShowDoorDetails")), Value::dword(kTrue));
}

TEST(LocalParams, OdbcSourceFollowsTheWorkstation)
{
    struct Case
    {
        const char *name;
        std::optional<QString> workstation;
        std::optional<QString> server;
        QString property;
        QString serverAfter;
    };
    const Case cases[] = {
        {"differs: copied", QStringLiteral("sqlite:/a.db"), QStringLiteral("sqlite:/b.db"),
         QStringLiteral("sqlite:/a.db"), QStringLiteral("sqlite:/a.db")},
        {"server has none: copied", QStringLiteral("Hotel"), std::nullopt, QStringLiteral("Hotel"),
         QStringLiteral("Hotel")},
        {"workstation has none: server keeps its own", std::nullopt, QStringLiteral("Hotel"), QString(),
         QStringLiteral("Hotel")},
        {"neither: empty stored", std::nullopt, std::nullopt, QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempHives hives;
        if (c.workstation)
            hives.setUser(kOdbc, Value::string(*c.workstation));
        if (c.server)
            hives.setMachine(kOdbc, Value::string(*c.server), kDbServerKey);
        clsLocalParams params(hives.registry);
        params.ReadLocalParameters();
        EXPECT_EQ(params.ODBCSource(), c.property);
        const auto after = stored(hives, kDbServerKey, kOdbc, c.server ? Hive::LocalMachine : Hive::CurrentUser);
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(after->text, c.serverAfter);
    }
}

TEST(LocalParams, OdbcSourceSetLaterIsWrittenToTheServerKey)
{
    TempHives hives;
    hives.setMachine(kOdbc, Value::string(QStringLiteral("Old")), kDbServerKey);
    clsLocalParams params(hives.registry);
    params.ReadLocalParameters();
    params.setODBCSource(QStringLiteral("New"));
    EXPECT_TRUE(params.WriteLocalParameters());
    EXPECT_EQ(stored(hives, kDbServerKey, kOdbc), Value::string(QStringLiteral("New")));
}

TEST(LocalParams, FailedWriteKeepsEveryChangeForTheNextAttempt)
{
    TempHives hives;
    hives.store.setWritable(Hive::CurrentUser, false);
    clsLocalParams params(hives.registry);
    params.ReadLocalParameters();

    EXPECT_TRUE(params.anyChanged());
    params.setHCUID(2);
    EXPECT_FALSE(params.WriteLocalParameters());
    EXPECT_EQ(hives.registry.lastError(), RegistryError::WriteLongFailed);
    EXPECT_EQ(hives.registry.lastSystemCode(), EACCES);
    for (auto property :
         {clsLocalParams::HCUIDProperty, clsLocalParams::DoorDetailsInGridProperty, clsLocalParams::WingCodeProperty})
        EXPECT_TRUE(params.isChanged(property)) << property;
    // The machine's copy shows where the writing stopped: at the first property.
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("nHCU"), Hive::LocalMachine), Value::dword(2));
    EXPECT_FALSE(stored(hives, kGridKey, QStringLiteral("DisplayMonochrome"), Hive::LocalMachine).has_value());

    hives.store.setWritable(Hive::CurrentUser, true);
    EXPECT_TRUE(params.WriteLocalParameters());
    EXPECT_FALSE(params.anyChanged());
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("nHCU")), Value::dword(2));
    EXPECT_EQ(stored(hives, kSettingsKey, QStringLiteral("fRememberUserID")), Value::dword(kTrue));
    EXPECT_EQ(stored(hives, kAppServerKey, QStringLiteral("Server")), Value::string({}));
}

} // namespace
