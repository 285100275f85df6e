#include "DatabaseFixture.h"
#include "admin/DeviceStore.h"

namespace {

DeviceEntry entry(const char *name, qint32 type, const char *port, const char *address = "", qint32 component = 0)
{
    DeviceEntry e;
    e.name = QString::fromUtf8(name);
    e.deviceType = type;
    e.portName = QString::fromUtf8(port);
    e.address = QString::fromUtf8(address);
    e.componentType = component;
    return e;
}

TEST(DeviceRules, PortsAddressesAndNamesFollowTheType)
{
    using P = DeviceProblem;
    const struct
    {
        DeviceEntry entry;
        DeviceProblem problem;
    } rows[] = {
        {entry("Desk", 0, ""), P::None}, // the server names the folder after the device
        {entry("Desk", 2, "/srv/hcu 1"), P::None},
        {entry("Desk", 0, "desk/left"), P::None},
        {entry("Desk", 0, "../other"), P::FolderInvalid},
        {entry("Desk", 0, "a/../../b"), P::FolderInvalid},
        {entry("Desk", 0, " desk"), P::FolderInvalid},
        {entry(" ", 0, ""), P::NameMissing},
        {entry("Desk", 1, ""), P::TypeUnknown},
        {entry("PMS", 3, "pms.hotel.lan:5010", "", 1), P::None},
        {entry("PMS", 3, "0.0.0.0:1"), P::None},
        {entry("PMS", 3, "[::1]:65535"), P::None},
        {entry("PMS", 3, "pms:65536"), P::HostPortInvalid},
        {entry("PMS", 3, "pms:0"), P::HostPortInvalid},
        {entry("PMS", 3, ":5010"), P::HostPortInvalid},
        {entry("PMS", 3, "pms"), P::HostPortInvalid},
        {entry("PMS", 3, "::1:5010"), P::HostPortInvalid},
        {entry("PMS", 3, "pms host:5010"), P::HostPortInvalid},
        {entry("PMS", 3, "pms:5010", "", 2), P::ConnectionUnknown},
        {entry("Desk", 0, "", "12"), P::None},
        {entry("Desk", 0, "", "2147482647"), P::None},
        {entry("Desk", 0, "", "2147482648"), P::AddressInvalid},
        {entry("Desk", 0, "", "-1"), P::AddressInvalid},
        {entry("Desk", 0, "", "1a"), P::AddressInvalid},
    };
    for (const auto &row : rows)
        EXPECT_EQ(CheckDevice(row.entry), row.problem)
            << row.entry.name.toStdString() << " " << row.entry.portName.toStdString() << " "
            << row.entry.address.toStdString();
    DeviceEntry noComputer = entry("Desk", 0, "");
    noComputer.computerName = QStringLiteral("  ");
    EXPECT_EQ(CheckDevice(noComputer), P::ComputerMissing);
}

TEST(DeviceRules, RemovalRefusesDoorsAndBusyDevicesAndWarnsAboutTheWorkstationsOwn)
{
    const struct
    {
        DeviceUse use;
        DeviceRemoval rule;
    } rows[] = {
        {{0, false, false}, DeviceRemoval::Ask},         {{0, false, true}, DeviceRemoval::AskWorkstationDevice},
        {{0, true, true}, DeviceRemoval::RefuseBusy},    {{2, true, true}, DeviceRemoval::RefuseDoors},
        {{1, false, false}, DeviceRemoval::RefuseDoors},
    };
    for (const auto &row : rows)
        EXPECT_EQ(DeviceRemovalRule(row.use), row.rule) << row.use.doors << row.use.busy << row.use.workstationDevice;
}

class DeviceStoreTest : public DatabaseTest
{
protected:
    DeviceStore store{db};
};

TEST_P(DeviceStoreTest, AnAddressFixesTheKeyAndNamesStayUnique)
{
    DeviceEntry desk = entry("Front desk", 0, "desk", "7");
    desk.note = QStringLiteral("left of the till");
    ASSERT_TRUE(SaveNewDevice(store, desk).saved);
    EXPECT_EQ(desk.deviceID, 1007);
    DeviceEntry pms = entry("PMS link", 3, "pms:5010", "", 1);
    ASSERT_TRUE(SaveNewDevice(store, pms).saved);
    EXPECT_NE(pms.deviceID, 0);

    const struct
    {
        DeviceEntry entry;
        int16_t message;
    } refused[] = {
        {entry("FRONT DESK ", 2, "hcu"), -29798},
        {entry("Back office", 0, "office", "7"), -29794},
        {entry("Back office", 3, "pms"), -29796},
    };
    for (auto row : refused)
        EXPECT_EQ(SaveNewDevice(store, row.entry).message, row.message) << row.entry.name.toStdString();

    DeviceEntry stored;
    ASSERT_TRUE(store.load(1007, stored).ok());
    EXPECT_EQ(stored.note, desk.note);
    stored.name = QStringLiteral("Pms Link");
    EXPECT_EQ(UpdateDevice(store, stored).message, -29798);
    stored.name = QStringLiteral("Front desk");
    stored.portName = QStringLiteral("/var/desk");
    EXPECT_TRUE(UpdateDevice(store, stored).saved) << "its own name is no clash";
    ASSERT_TRUE(store.remove(1007).ok());
    EXPECT_EQ(store.load(1007, stored).status, RecordStatus::NoRecord);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Engines, DeviceStoreTest, ::testing::Values("sqlite", "postgresql"));
