#include "CardSamples.h"
#include "components/cardserver/Readout.h"

#include <gtest/gtest.h>

namespace {

using namespace CardSamples;
namespace S = CardFormatStatus;

// The sample as docs/readout-format.md shows it.
const char kSampleText[] = "READOUT 1\n"
                           "SOURCE 1 2024-05-01T18:00:00 0\n"
                           "EVENT 2024-04-30T06:30:15 90 - - - 0\n"
                           "SOURCE 2 2024-05-02T18:00:00 1204\n"
                           "EVENT 2024-05-02T12:01:02 1 00A3F101 256 1 0\n"
                           "EVENT 2024-05-02T12:01:02 1 00A3F101 256 1 1\n"
                           "EVENT 2024-05-02T15:00:59 17 - - - 0\n"
                           "SOURCE 2 2024-05-02T19:00:00 12\n"
                           "EVENT 2024-05-02T07:45:00 2 00000200 260 42 0\n"
                           "END 3 5\n";

TEST(Readout, SampleWritesAsDocumentedAndReadsBack)
{
    const QByteArray text = writeReadout(sampleReadout());
    EXPECT_EQ(text, QByteArray(kSampleText));
    const ReadoutParseResult parsed = parseReadout(text);
    ASSERT_EQ(parsed.status, S::Ok) << parsed.line << ": " << parsed.reason.toStdString();
    EXPECT_EQ(parsed.readout, sampleReadout());
    EXPECT_EQ(writeReadout(parsed.readout), text);
}

TEST(Readout, AcceptsWhatPeopleWriteByHand)
{
    struct Case
    {
        const char *name;
        QByteArray text;
    };
    const Case cases[] = {
        {"comments and blank lines",
         "# demo read-out\n\nREADOUT 1\n  # indented comment\nSOURCE 2 2024-05-02T18:00:00 1204\n\n"
         "EVENT 2024-05-02T12:01:02 1 00A3F101 256 1 0\nEND 1 1\n# trailing comment\n"},
        {"CR LF line ends", "READOUT 1\r\nSOURCE 2 2024-05-02T18:00:00 1204\r\n"
                            "EVENT 2024-05-02T12:01:02 1 00A3F101 256 1 0\r\nEND 1 1\r\n"},
        {"tabs and runs of blanks", "READOUT\t1\nSOURCE  2\t2024-05-02T18:00:00   1204  \n"
                                    "EVENT 2024-05-02T12:01:02\t1 00A3F101 256 1 0\nEND 1 1"},
        {"UTF-8 in a comment", "# Zimmer 1204, Flügel A\nREADOUT 1\nSOURCE 2 2024-05-02T18:00:00 1204\n"
                               "EVENT 2024-05-02T12:01:02 1 00A3F101 256 1 0\nEND 1 1\n"},
        {"leading zeros", "READOUT 1\nSOURCE 02 2024-05-02T18:00:00 001204\n"
                          "EVENT 2024-05-02T12:01:02 0001 00A3F101 256 01 0\nEND 1 1\n"},
    };
    Readout one;
    one.sources.append(ReadoutSource{2, oleAt(kMay2, 18, 0), 1204, {}});
    one.sources[0].events.append(ReadoutEvent{oleAt(kMay2, 12, 1, 2), 1, true, 0x00A3F101u, 256, 1, false});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ReadoutParseResult parsed = parseReadout(c.text);
        ASSERT_EQ(parsed.status, S::Ok) << parsed.line << ": " << parsed.reason.toStdString();
        EXPECT_EQ(parsed.readout, one);
    }

    const ReadoutParseResult empty = parseReadout("READOUT 1\nEND 0 0\n");
    ASSERT_EQ(empty.status, S::Ok);
    EXPECT_TRUE(empty.readout.sources.isEmpty());
}

TEST(Readout, RefusesMalformedTextWithTheLine)
{
    const QByteArray head = "READOUT 1\nSOURCE 2 2024-05-02T18:00:00 1204\n";
    const auto event = [&](const char *fields) { return head + "EVENT " + fields + "\nEND 1 1\n"; };
    const auto source = [](const char *fields) { return "READOUT 1\nSOURCE " + QByteArray(fields) + "\nEND 1 0\n"; };
    struct Case
    {
        const char *name;
        QByteArray text;
        qint32 status;
        int line;
    };
    const Case cases[] = {
        {"nothing", "", S::ReadoutTruncated, 1},
        {"only a comment", "# empty\n", S::ReadoutTruncated, 2},
        {"no END", head, S::ReadoutTruncated, 3},
        {"cut inside the last line", QByteArray(kSampleText).first(sizeof kSampleText - 4), S::ReadoutInvalid, 10},
        {"version 2", "READOUT 2\nEND 0 0\n", S::ReadoutBadVersion, 1},
        {"no version", "READOUT\nEND 0 0\n", S::ReadoutInvalid, 1},
        {"lower-case keyword", "readout 1\nEND 0 0\n", S::ReadoutInvalid, 1},
        {"SOURCE first", "SOURCE 2 2024-05-02T18:00:00 1204\n", S::ReadoutInvalid, 1},
        {"second header", "READOUT 1\nREADOUT 1\nEND 0 0\n", S::ReadoutInvalid, 2},
        {"EVENT before SOURCE", "READOUT 1\nEVENT 2024-05-02T12:01:02 1 - - - 0\nEND 0 1\n", S::ReadoutInvalid, 2},
        {"source kind 0", source("0 2024-05-02T18:00:00 1204"), S::ReadoutInvalid, 2},
        {"source kind 256", source("256 2024-05-02T18:00:00 1204"), S::ReadoutInvalid, 2},
        {"30 February", source("2 2024-02-30T18:00:00 1204"), S::ReadoutInvalid, 2},
        {"hour 24", source("2 2024-05-02T24:00:00 1204"), S::ReadoutInvalid, 2},
        {"second 60", source("2 2024-05-02T23:59:60 1204"), S::ReadoutInvalid, 2},
        {"year 1899", source("2 1899-12-31T00:00:00 1204"), S::ReadoutInvalid, 2},
        {"year 2100", source("2 2100-01-01T00:00:00 1204"), S::ReadoutInvalid, 2},
        {"short date", source("2 2024-5-02T18:00:00 1204"), S::ReadoutInvalid, 2},
        {"date and time apart", source("2 2024-05-02 18:00:00 1204"), S::ReadoutInvalid, 2},
        {"negative door", source("2 2024-05-02T18:00:00 -1"), S::ReadoutInvalid, 2},
        {"door beyond 32 bits", source("2 2024-05-02T18:00:00 2147483648"), S::ReadoutInvalid, 2},
        {"door with a sign", source("2 2024-05-02T18:00:00 +5"), S::ReadoutInvalid, 2},
        {"door missing", source("2 2024-05-02T18:00:00"), S::ReadoutInvalid, 2},
        {"same read-out time twice", head + "SOURCE 2 2024-05-02T18:00:00 1205\nEND 2 0\n", S::ReadoutInvalid, 3},
        {"event code 65536", event("2024-05-02T12:01:02 65536 00A3F101 256 1 0"), S::ReadoutInvalid, 3},
        {"lower-case registration", event("2024-05-02T12:01:02 1 00a3f101 256 1 0"), S::ReadoutInvalid, 3},
        {"seven-digit registration", event("2024-05-02T12:01:02 1 0A3F101 256 1 0"), S::ReadoutInvalid, 3},
        {"nine-digit registration", event("2024-05-02T12:01:02 1 000A3F101 256 1 0"), S::ReadoutInvalid, 3},
        {"card kind 255", event("2024-05-02T12:01:02 1 00A3F101 255 1 0"), S::ReadoutInvalid, 3},
        {"card kind 281", event("2024-05-02T12:01:02 1 00A3F101 281 1 0"), S::ReadoutInvalid, 3},
        {"card without user", event("2024-05-02T12:01:02 1 00A3F101 256 - 0"), S::ReadoutInvalid, 3},
        {"user without card", event("2024-05-02T12:01:02 1 - - 7 0"), S::ReadoutInvalid, 3},
        {"repeat 2", event("2024-05-02T12:01:02 1 - - - 2"), S::ReadoutInvalid, 3},
        {"repeat missing", event("2024-05-02T12:01:02 1 - - -"), S::ReadoutInvalid, 3},
        {"an extra field", event("2024-05-02T12:01:02 1 - - - 0 0"), S::ReadoutInvalid, 3},
        {"END counts too few events", head + "END 1 1\n", S::ReadoutInvalid, 3},
        {"END counts too many sources", head + "END 2 0\n", S::ReadoutInvalid, 3},
        {"END without counts", head + "END\n", S::ReadoutInvalid, 3},
        {"text after END", head + "END 1 0\nSOURCE 2 2024-05-03T18:00:00 1204\n", S::ReadoutInvalid, 4},
        {"unknown line", head + "BATTERY 3\nEND 1 0\n", S::ReadoutInvalid, 3},
        {"NUL byte", QByteArray("READOUT 1\nEND 0 0\0\n", 19), S::ReadoutInvalid, 2},
        {"CR inside a line", "READOUT 1\nEND 0\r0\n", S::ReadoutInvalid, 2},
        {"non-ASCII outside a comment", head + "EVENT 2024-05-02T12:01:02 1 - - - 0 é\nEND 1 1\n", S::ReadoutInvalid,
         3},
        {"broken UTF-8 in a comment", "READOUT 1\n# \xC3(\nEND 0 0\n", S::ReadoutInvalid, 2},
        {"line of 256 bytes", "READOUT 1\n#" + QByteArray(255, 'x') + "\nEND 0 0\n", S::ReadoutInvalid, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ReadoutParseResult parsed = parseReadout(c.text);
        EXPECT_EQ(parsed.status, c.status) << std::hex << parsed.status;
        EXPECT_EQ(parsed.line, c.line) << parsed.reason.toStdString();
        EXPECT_FALSE(parsed.reason.isEmpty());
        EXPECT_TRUE(parsed.readout.sources.isEmpty());
    }
}

TEST(Readout, LimitsOnSizeSourcesAndEvents)
{
    const ReadoutParseResult huge = parseReadout(QByteArray(Readout::kMaxBytes + 1, '#'));
    EXPECT_EQ(huge.status, S::ReadoutTooLarge);

    Readout many;
    for (qsizetype i = 0; i <= Readout::kMaxSources; ++i)
        many.sources.append(ReadoutSource{2, oleAt(kMay2, 0, 0) - double(i), 1, {}});
    const ReadoutParseResult sources = parseReadout(writeReadout(many));
    EXPECT_EQ(sources.status, S::ReadoutTooLarge);
    EXPECT_EQ(sources.line, Readout::kMaxSources + 2); // after the header line

    Readout busy;
    busy.sources.append(ReadoutSource{2, oleAt(kMay2, 0, 0), 1, {}});
    busy.sources[0].events.fill(ReadoutEvent{oleAt(kMay2, 0, 0), 1, false, 0, 0, 0, false}, Readout::kMaxEvents);
    EXPECT_EQ(parseReadout(writeReadout(busy)).status, S::Ok);
    busy.sources[0].events.append(busy.sources[0].events.last());
    const ReadoutParseResult events = parseReadout(writeReadout(busy));
    EXPECT_EQ(events.status, S::ReadoutTooLarge);
    EXPECT_EQ(events.line, Readout::kMaxEvents + 3);
}

TEST(Readout, TimesAreWallClockSecondsAsOleDates)
{
    struct Case
    {
        const char *text;
        double ole;
    };
    const Case cases[] = {
        {"1900-01-01T00:00:00", 2.0},       {"1970-01-02T00:00:00", 25570.0},
        {"2024-05-02T18:00:00", 45414.75},  {"2024-02-29T06:00:00", 45351.25},
        {"2036-01-01T00:00:00", kNoExpiry}, {"2099-12-31T23:59:59", oleAt(73050, 23, 59, 59)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        double ole = -1;
        ASSERT_TRUE(parseReadoutTime(QByteArrayView(c.text), ole));
        EXPECT_EQ(ole, c.ole);
        EXPECT_EQ(formatReadoutTime(c.ole), QByteArray(c.text));
    }
    // Written to the nearest second; a hair before midnight is the next day.
    EXPECT_EQ(formatReadoutTime(45414.75 + 0.4 / 86400), QByteArray("2024-05-02T18:00:00"));
    EXPECT_EQ(formatReadoutTime(45414.0 - 1e-9), QByteArray("2024-05-02T00:00:00"));
}

} // namespace
