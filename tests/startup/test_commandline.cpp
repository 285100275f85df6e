#include "startup/CommandLine.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, ValuesAreTrimmedAndEndAtTheNextSlashUnlessQuoted)
{
    const struct
    {
        const char *line;
        QString CommandLine::*field;
        const char *value;
    } cases[] = {
        {"/Oabc /N server1 ", &CommandLine::server, "server1"},
        {"/Oabc/Nserver1", &CommandLine::odbcSource, "abc"},
        {"/Oabc/Nserver1", &CommandLine::server, "server1"},
        {"/oMyDb /lFrontDesk", &CommandLine::odbcSource, "MyDb"},
        {"/oMyDb /lFrontDesk", &CommandLine::logonUser, "FrontDesk"},
        {"/x MyTexts.so /dC:\\T.rc", &CommandLine::textFile, "C:\\T.rc"},
        {"/P pass/word", &CommandLine::logonPassword, "pass"},
        {"/C/opt/ostrelle", &CommandLine::programPath, ""},
        {"/C \"/opt/ostrelle/\" /S", &CommandLine::programPath, "/opt/ostrelle/"},
        {"/O\"sqlite:/var/lib/hotel.db\"/N db1", &CommandLine::odbcSource, "sqlite:/var/lib/hotel.db"},
        {"/O\"sqlite:/var/lib/hotel.db\"/N db1", &CommandLine::server, "db1"},
        {"/X \"lib/texts.so\"", &CommandLine::textLibrary, "lib/texts.so"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseCommandLine(QString::fromLatin1(c.line)).*c.field, QString::fromLatin1(c.value)) << c.line;
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
        {"/?", &CommandLine::showHelp},           {"/N", &CommandLine::hasServer},
        {"/dx", &CommandLine::hasTextFile},
    };
    for (const Case &c : cases) {
        EXPECT_TRUE(ParseCommandLine(QString::fromLatin1(c.line)).*c.flag) << c.line;
        EXPECT_FALSE(ParseCommandLine(QStringLiteral("Sx // /Z")).*c.flag)
            << "text before the first slash, empty switches and unknown letters are ignored";
    }
    EXPECT_EQ(ParseCommandLine(QStringLiteral("/G 3")).smartCardEncoder, 3);
}

TEST(CommandLine, SwitchesKeepTheirOrder)
{
    const CommandLine c = ParseCommandLine(QStringLiteral(" /n host /Q x/oSrc /c  \"/opt/hotel desk/x\" /t"));
    QStringList seen;
    for (const CommandLine::Switch &s : c.switches)
        seen << QString(s.letter) + QLatin1Char('=') + s.value;
    EXPECT_EQ(seen, QStringList({QStringLiteral("N=host"), QStringLiteral("Q=x"), QStringLiteral("O=Src"),
                                 QStringLiteral("C=/opt/hotel desk/x"), QStringLiteral("T=")}));
}

TEST(CommandLine, NumericValues)
{
    const struct
    {
        const char *value;
        int32_t number;
    } cases[] = {{"3", 3}, {"12x", 12}, {"", 0}, {"x1", 0}, {"-2", -2}, {"007", 7}, {"12\u0663", 12}};
    for (const auto &c : cases)
        EXPECT_EQ(SwitchNumber(QString::fromUtf8(c.value)), c.number) << c.value;
}

} // namespace
