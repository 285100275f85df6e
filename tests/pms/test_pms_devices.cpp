#include "ostrelle-pms/PmsService.h"
#include "pms/PmsDevices.h"

#include <gtest/gtest.h>

namespace {

// Which PMS device rows the service on computer "desk1" serves.
struct ServedCase
{
    const char *computerName;
    const char *connection;
    bool served;
};

class PmsServedDevices : public ::testing::TestWithParam<ServedCase>
{
};

TEST_P(PmsServedDevices, ByComputerName)
{
    const ServedCase &c = GetParam();
    EXPECT_EQ(ServesPmsDevice(c.computerName, "desk1", DatabaseIsLocal(c.connection, "desk1")), c.served)
        << c.computerName << " " << c.connection;
}

INSTANTIATE_TEST_SUITE_P(Cases, PmsServedDevices,
                         ::testing::Values(ServedCase{"DESK1", "postgresql://u@db9/ostrelle", true},
                                           ServedCase{"desk2", "sqlite:/tmp/x.db", false},
                                           ServedCase{"", "sqlite:/tmp/x.db", false},
                                           ServedCase{"$local", "postgresql://u@db9/ostrelle", true},
                                           ServedCase{"$SERVER", "sqlite:/tmp/x.db", true},
                                           ServedCase{"$SERVER", "postgresql://u@127.0.0.1:5432/o", true},
                                           ServedCase{"$SERVER", "postgresql://u@Desk1/o", true},
                                           ServedCase{"$SERVER", "postgresql://u@db9/ostrelle", false},
                                           ServedCase{"$SERVER", "hotel-dsn", false}));

} // namespace
