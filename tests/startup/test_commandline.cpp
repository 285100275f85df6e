#include "startup/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, SwitchValuesAreTrimmedUpToTheNextSlash)
{
    const CommandLine c = ParseCommandLine(QStringLiteral("/Oabc /N server1 "));
    EXPECT_TRUE(c.hasOdbcSource);
    EXPECT_EQ(c.odbcSource, QStringLiteral("abc"));
    EXPECT_TRUE(c.hasServer);
    EXPECT_EQ(c.server, QStringLiteral("server1"));
}

TEST(CommandLine, LettersAreCaseInsensitiveValuesKeepTheirCase)
{
    const CommandLine c = ParseCommandLine(QStringLiteral("/oMyDb /lFrontDesk /p Secret /x MyTexts.so /dC:\\T.rc"));
    EXPECT_EQ(c.odbcSource, QStringLiteral("MyDb"));
    EXPECT_EQ(c.logonUser, QStringLiteral("FrontDesk"));
    EXPECT_EQ(c.logonPassword, QStringLiteral("Secret"));
    EXPECT_EQ(c.textLibrary, QStringLiteral("MyTexts.so"));
    EXPECT_TRUE(c.hasTextFile);
    EXPECT_EQ(c.textFile, QStringLiteral("C:\\T.rc"));
}

TEST(CommandLine, FlagsAndNumbers)
{
    struct Case
    {
        const char *line;
        bool CommandLine::*flag;
    } cases[] = {
        {"/S", &CommandLine::skipVersionCheck},   {"/i", &CommandLine::skipRegistrationCheck},
        {"/R", &CommandLine::registerComponents}, {"/t", &CommandLine::reloadTexts},
        {"/U", &CommandLine::skipClientUpdate},   {"/a", &CommandLine::autoUpdate},
        {"/?", &CommandLine::showHelp},
    };
    for (const Case &c : cases) {
        EXPECT_TRUE(ParseCommandLine(QString::fromLatin1(c.line)).*c.flag) << c.line;
        EXPECT_FALSE(ParseCommandLine(QStringLiteral("/Z")).*c.flag) << "unknown letters are ignored";
    }
    EXPECT_EQ(ParseCommandLine(QStringLiteral("/G 3")).smartCardEncoder, 3);
    EXPECT_EQ(ParseCommandLine(QStringLiteral("/G12x")).smartCardEncoder, 12);
    EXPECT_EQ(ParseCommandLine(QStringLiteral("/G")).smartCardEncoder, 0);
}

TEST(CommandLine, TextBeforeTheFirstSlashAndEmptySwitchesAreIgnored)
{
    const CommandLine c = ParseCommandLine(QStringLiteral("Sx // /N"));
    EXPECT_FALSE(c.skipVersionCheck);
    EXPECT_TRUE(c.hasServer);
    EXPECT_TRUE(c.server.isEmpty());
}

} // namespace
