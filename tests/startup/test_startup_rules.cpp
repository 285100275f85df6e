#include "components/recordtable/Connection.h"
#include "startup/StartupRules.h"

#include <gtest/gtest.h>

namespace {

TEST(CompareVersion, PartsAreComparedLeftToRight)
{
    const struct
    {
        const char *text;
        int major, minor, build, revision;
        int expected;
    } cases[] = {
        {"1.14.2.7", 1, 14, 2, -1, 2},     // any revision
        {"1.14.3.0", 1, 14, 2, -1, 3},     // a newer build
        {"6.0.81.69", 6, 0, 88, 62, 1},    // an older build
        {"2.0", 1, 0, 0, 0, 3},            // the first part decides before a further "." is needed
        {"1.0", 1, 0, 0, 0, 0},            // a second "." is missing
        {"0.9", 1, 0, 0, 0, 1},            // the first part decides the other way
        {"1.14.0", 1, 14, 0, -1, 0},       // the third part has no "." after it
        {"1.14.0.0", 1, 14, 0, -1, 2},     // the database version the start-up accepts
        {"1.14.1.0", 1, 14, 0, -1, 3},     // a later database
        {"1.13.99.0", 1, 14, 0, -1, 1},    // an older one
        {"1.14.2.7", 1, 14, 2, 7, 2},      // the revision decides: equal
        {"1.14.2.8", 1, 14, 2, 7, 3},      //   larger
        {"1.14.2.6", 1, 14, 2, 7, 1},      //   smaller
        {"1.14.2.10", 1, 14, 2, 9, 3},     // numbers, not texts
        {"", 1, 0, 0, 0, 0},               // empty
        {"114", 1, 14, 0, 0, 0},           // without "."
        {"1.14.2.7 beta", 1, 14, 2, 7, 2}, // the numeric value of a part
    };
    for (const auto &c : cases)
        EXPECT_EQ(CompareVersion(QString::fromLatin1(c.text), c.major, c.minor, c.build, c.revision), c.expected)
            << c.text << " against " << c.major << "." << c.minor << "." << c.build << "." << c.revision;
}

TEST(IsLocalServer, EmptyBlankLoopbackOrThisComputer)
{
    const struct
    {
        const char *server;
        bool local;
    } cases[] = {
        {"", true},           {"127.0.0.1", true},   {"localhost", true},  {"LOCALHOST", true},  {"LoopBack", true},
        {"frontdesk1", true}, {"FRONTDESK1", true},  {"dbserver", false},  {"127.0.0.2", false}, {"frontdesk10", false},
        {"   ", true},        {" localhost ", true}, {" dbserver", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsLocalServer(QString::fromLatin1(c.server), QStringLiteral("FrontDesk1")), c.local) << c.server;
    EXPECT_FALSE(IsLocalServer(QStringLiteral("dbserver"), QString())) << "an unknown computer name matches nothing";
}

TEST(WindowsFamily, FromPlatformAndVersion)
{
    using V = OsVersionInfo;
    const struct
    {
        int32_t platform;
        uint32_t major, minor;
        int family;
    } cases[] = {
        {V::Win32Windows, 4, 0, 1},  {V::Win32Windows, 4, 9, 1},  {V::Win32Windows, 4, 10, 2},
        {V::Win32Windows, 4, 89, 2}, {V::Win32Windows, 4, 90, 5}, {V::Win32Windows, 5, 0, 5},
        {V::Win32Windows, 3, 95, 1}, {V::Win32NT, 4, 0, 3},       {V::Win32NT, 3, 51, 3},
        {V::Win32NT, 5, 0, 4},       {V::Win32NT, 5, 1, 6},       {V::Win32NT, 6, 0, 6},
        {V::Win32NT, 10, 0, 6},      {V::Other, 6, 1, 0},         {7, 5, 1, 0},
    };
    for (const auto &c : cases) {
        const int family = WindowsFamily({c.platform, c.major, c.minor, 0, {}});
        EXPECT_EQ(family, c.family) << c.platform << " " << c.major << "." << c.minor;
        EXPECT_EQ(IsNtFamily(family), c.family == 3 || c.family == 4 || c.family == 6);
    }
}

TEST(WindowsVersionText, NameVersionAndServicePack)
{
    using V = OsVersionInfo;
    const struct
    {
        V version;
        const char *text;
    } cases[] = {
        {{V::Win32Windows, 4, 0, 0x040003B6, {}}, "Windows 95 4.0.950"}, // the build's high word is dropped
        {{V::Win32Windows, 4, 10, 0x040A07CE, QStringLiteral(" A ")}, "Windows 98 4.10.1998 A"},
        {{V::Win32Windows, 4, 90, 3000, {}}, "Windows Me 4.90.3000"},
        {{V::Win32Windows, 5, 0, 1, {}}, "Windows Me 5.0.1"},
        {{V::Win32NT, 4, 0, 1381, QStringLiteral("Service Pack 6")}, "Windows NT 4.0.1381 Service Pack 6"},
        {{V::Win32NT, 5, 0, 2195, {}}, "Windows 2000 5.0.2195"},
        {{V::Win32NT, 5, 1, 2600, QString::fromLatin1("Service Pack 2\0junk", 19)},
         "Windows XP 5.1.2600 Service Pack 2"},
        {{V::Win32NT, 5, 2, 3790, QStringLiteral("   ")}, "Windows Server 2003 5.2.3790"},
        {{V::Win32NT, 6, 1, 7601, {}}, "Windows <Unknown> 6.1.7601"},
        {{V::Win32NT, 5, 1, 0x10000A28, {}}, "Windows XP 5.1.268438056"}, // the NT line keeps the whole build
        {{V::Other, 5, 1, 2600, {}}, "<?>"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WindowsVersionText(c.version), QString::fromLatin1(c.text)) << c.text;
}

TEST(ParametersLogLine, TheWholeLineOrNone)
{
    EXPECT_EQ(ParametersLogLine(QString()), QStringLiteral("> No parameters passed"));
    EXPECT_EQ(ParametersLogLine(QStringLiteral("  ")), QStringLiteral("> No parameters passed"));
    EXPECT_EQ(ParametersLogLine(QStringLiteral("/Oabc /N server1 ")),
              QStringLiteral("> Parameters passed: /Oabc /N server1 "));
}

TEST(NormalizeVersion, ReadsNumbersUntilAPartIsNone)
{
    const struct
    {
        const char *text;
        const char *normal;
        int beta;
    } cases[] = {
        {"2.3.12 beta 4", "2.3.12.0", 4}, // a blank ends the last number
        {"2.3.12", "2.3.12.0", 0},        // missing parts are 0
        {"1.14.0.7", "1.14.0.7", 0},
        {"1.x.3", "1.0.0.0", 0}, // stops at the first part that is no number
        {"", "0.0.0.0", 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(NormalizeVersion(QLatin1String(c.text)), QLatin1String(c.normal)) << c.text;
        EXPECT_EQ(BetaNumber(QLatin1String(c.text)), c.beta) << c.text;
    }
}

} // namespace
