#include "startup/CommandLine.h"

#include <QStringList>

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

TEST(CommandLine, SwitchesKeepTheirOrder)
{
    const CommandLine c = ParseCommandLine(QStringLiteral(" /n host /Q x/oSrc /c  /opt/hotel desk/x /t"));
    QStringList seen;
    for (const CommandLine::Switch &s : c.switches)
        seen << QString(s.letter) + QLatin1Char('=') + s.value;
    EXPECT_EQ(seen, QStringList({QStringLiteral("N=host"), QStringLiteral("Q=x"), QStringLiteral("O=Src"),
                                 QStringLiteral("C=/opt/hotel desk/x"), QStringLiteral("T=")}));
}

TEST(CommandLine, PathsAndDataSourcesKeepTheirSlashes)
{
    const struct
    {
        const char *line;
        QString CommandLine::*field;
        const char *value;
    } cases[] = {
        {"/C/opt/ostrelle /S", &CommandLine::programPath, "/opt/ostrelle"},
        {"/C /opt/ostrelle/ /S", &CommandLine::programPath, "/opt/ostrelle/"},
        {"/o sqlite:/var/lib/hotel.db/N db1", &CommandLine::odbcSource, "sqlite:/var/lib/hotel.db/N db1"},
        {"/o sqlite:/var/lib/hotel.db /N db1", &CommandLine::odbcSource, "sqlite:/var/lib/hotel.db"},
        {"/Opostgresql://desk@db1/ostrelle", &CommandLine::odbcSource, "postgresql://desk@db1/ostrelle"},
        {"/X lib/texts.so", &CommandLine::textLibrary, "lib/texts.so"},
        {"/D /home/desk/texts.rc", &CommandLine::textFile, "/home/desk/texts.rc"},
        {"/N db/1", &CommandLine::server, "db"}, // other values end at the next "/"
        {"/P pass/word", &CommandLine::logonPassword, "pass"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseCommandLine(QString::fromLatin1(c.line)).*c.field, QString::fromLatin1(c.value)) << c.line;
    EXPECT_TRUE(ParseCommandLine(QStringLiteral("/C/opt/ostrelle /S")).skipVersionCheck);
    EXPECT_TRUE(ParseCommandLine(QStringLiteral("/o sqlite:/var/lib/hotel.db /N db1")).hasServer);
}

TEST(CommandLine, NumericValues)
{
    const struct
    {
        const char *value;
        int32_t number;
    } cases[] = {{"3", 3}, {"12x", 12}, {"", 0}, {"x1", 0}, {"-2", -2}, {"007", 7}};
    for (const auto &c : cases)
        EXPECT_EQ(SwitchNumber(QString::fromLatin1(c.value)), c.number) << c.value;
}

} // namespace
