#include "CardSamples.h"
#include "components/cardserver/CardImage.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace CardSamples;
namespace S = CardFormatStatus;

struct Range
{
    qint32 kind, blockType, first, last;
    bool operator==(const Range &) const = default;
};

// The whole walk as a reader of the card would do it: ranges until a status, and after each
// range the values of its block until a status.
struct Walk
{
    QList<Range> ranges;
    QList<QList<qint32>> values;
    qint32 endStatus = 0;
};

Walk walk(CardImage &image)
{
    Walk w;
    Range r{};
    while ((w.endStatus = image.GetNextRange(r.kind, r.blockType, r.first, r.last)) == S::Ok) {
        w.ranges.append(r);
        QList<qint32> values;
        qint32 v = 0;
        while (image.GetNextValue(v) == S::Ok)
            values.append(v);
        w.values.append(values);
    }
    EXPECT_EQ(r, (Range{0, 0, 0, 0})) << "the end of the walk gives zeros";
    return w;
}

TEST(CardImage, EverySampleRoundTripsToTheSameBytes)
{
    for (const CardImage &sample : {guestCard(), employeeCard(), powerDownCard(), futureArrivalCard(), CardImage()}) {
        QByteArray bytes;
        ASSERT_EQ(sample.encode(bytes), S::Ok);
        EXPECT_EQ(bytes.size(), sample.encodedSize());
        CardImage read;
        ASSERT_EQ(CardImage::decode(bytes, read), S::Ok);
        EXPECT_TRUE(read == sample);
        QByteArray again;
        ASSERT_EQ(read.encode(again), S::Ok);
        EXPECT_EQ(again.toHex(), bytes.toHex());
    }
}

// The header's own fields and listed ones are found alike, by their exact name.
TEST(CardImage, FieldsAreFoundByTheirExactName)
{
    const CardImage guest = guestCard();
    const std::pair<const char *, CardFieldValue> fields[] = {
        {"cardNameID", CardFieldValue::int32(256)},      {"registrationNumber", CardFieldValue::int32(0x00A3F101)},
        {"issueTime", CardFieldValue::fromDate(kIssue)}, {"expireTime", CardFieldValue::fromDate(kCheckOut)},
        {"startTime", CardFieldValue::fromDate(kIssue)}, {"familyFlag", CardFieldValue::fromText(QStringLiteral("1"))},
    };
    for (const auto &[name, value] : fields)
        EXPECT_EQ(guest.GetCardField(QString::fromLatin1(name)), value) << name;
    EXPECT_FALSE(guest.GetCardField(QStringLiteral("joinerFlag")).has_value());
    EXPECT_FALSE(guest.GetCardField(QStringLiteral("cardnameid")).has_value()) << "names are case-sensitive";
}

TEST(CardImage, NewCardEmptiesEverything)
{
    CardImage image = guestCard();
    image.NewCard();
    EXPECT_TRUE(image.isEmpty());
    EXPECT_TRUE(image == CardImage());
    EXPECT_EQ(image.encodedSize(), CardImage::kMinSize);
}

TEST(CardImage, WalkGivesRangesInBlockOrderAndValuesOfTheirBlock)
{
    struct Case
    {
        const char *name;
        CardImage image;
        QList<Range> ranges;
        QList<QList<qint32>> values;
    };
    CardImage skipped; // a block without ranges is passed over, values and all
    skipped.BeginBlock(105);
    skipped.AddBlockValue(8);
    skipped.BeginBlock(98);
    skipped.AddDoorRange(100, 1, 1);
    skipped.BeginBlock(113);
    skipped.AddBlockValue(3);
    skipped.AddDoorRange(100, 7, 9);
    skipped.AddDoorRange(100, 12, 12);

    const Case cases[] = {
        {"guest", guestCard(), {{100, 97, 1204, 1204}, {100, 98, 1, 1}, {100, 98, 3, 3}}, {{}, {}, {}}},
        {"employee", employeeCard(), {{100, 100, 100, 250}, {100, 98, 1, 1}}, {{0, 6, 22}, {}}},
        {"power-down", powerDownCard(), {{100, 107, 305, 305}}, {{240}}},
        {"no ranges after a skipped block",
         skipped,
         {{100, 98, 1, 1}, {100, 113, 7, 9}, {100, 113, 12, 12}},
         {{}, {3}, {}}},
        {"empty", CardImage(), {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CardImage image = c.image;
        const Walk w = walk(image);
        EXPECT_EQ(w.ranges, c.ranges);
        EXPECT_EQ(w.values, c.values);
        EXPECT_EQ(w.endStatus, S::NoMore);
        qint32 a = 1, b = 1, f = 1, l = 1, v = 1;
        EXPECT_EQ(image.GetNextRange(a, b, f, l), S::NoMore) << "the end stays the end";
        EXPECT_EQ(image.GetNextValue(v), S::NoMore);
        EXPECT_EQ(v, 0);

        // A decoded copy walks from the start, and rewind starts over.
        QByteArray bytes;
        ASSERT_EQ(image.encode(bytes), S::Ok);
        CardImage decoded;
        ASSERT_EQ(CardImage::decode(bytes, decoded), S::Ok);
        EXPECT_EQ(walk(decoded).ranges, c.ranges);
        image.rewind();
        EXPECT_EQ(walk(image).values, c.values);
    }
}

TEST(CardImage, ValuesBeforeTheFirstRangeComeFromTheFirstBlock)
{
    CardImage image = employeeCard();
    qint32 v = -1;
    ASSERT_EQ(image.GetNextValue(v), S::Ok);
    EXPECT_EQ(v, 0);
    qint32 kind, type, first, last;
    ASSERT_EQ(image.GetNextRange(kind, type, first, last), S::Ok);
    EXPECT_EQ(type, 100);
    // Still the same block: the value position is kept.
    ASSERT_EQ(image.GetNextValue(v), S::Ok);
    EXPECT_EQ(v, 6);
}

TEST(CardImage, BuilderRefusesOutOfRangeCallsAndChangesNothing)
{
    const QString tooLongText = QString(128, QChar(0xE4)); // 256 UTF-8 bytes
    const QString loneSurrogate = QString(1, QChar(0xD800));
    struct Case
    {
        const char *name;
        bool withBlock;
        std::function<qint32(CardImage &)> call;
        qint32 expected;
    };
    const auto field = [](const char *name, CardFieldValue value) {
        return [=](CardImage &i) { return i.SetCardField(QString::fromUtf8(name), value); };
    };
    const Case cases[] = {
        {"value before a block", false, [](CardImage &i) { return i.AddBlockValue(1); }, S::NoBlock},
        {"date before a block", false, [](CardImage &i) { return i.AddBlockDate(kIssue); }, S::NoBlock},
        {"range before a block", false, [](CardImage &i) { return i.AddDoorRange(100, 1, 1); }, S::NoBlock},
        {"block type 0", false, [](CardImage &i) { return i.BeginBlock(0); }, S::InvalidArgument},
        {"block type 256", false, [](CardImage &i) { return i.BeginBlock(256); }, S::InvalidArgument},
        {"reversed range", true, [](CardImage &i) { return i.AddDoorRange(100, 5, 4); }, S::InvalidArgument},
        {"negative door", true, [](CardImage &i) { return i.AddDoorRange(100, -1, 4); }, S::InvalidArgument},
        {"range kind 256", true, [](CardImage &i) { return i.AddDoorRange(256, 1, 1); }, S::InvalidArgument},
        {"NaN date", true, [](CardImage &i) { return i.AddBlockDate(std::numeric_limits<double>::quiet_NaN()); },
         S::InvalidArgument},
        {"infinite date", true, [](CardImage &i) { return i.AddBlockDate(std::numeric_limits<double>::infinity()); },
         S::InvalidArgument},
        {"date after 9999", true, [](CardImage &i) { return i.AddBlockDate(CardImage::kMaxDate); }, S::InvalidArgument},
        {"option A 256", false, [](CardImage &i) { return i.SetImageOptionA(256); }, S::InvalidArgument},
        {"option B -1", false, [](CardImage &i) { return i.SetImageOptionB(-1); }, S::InvalidArgument},
        {"empty name", false, field("", CardFieldValue::int32(1)), S::InvalidArgument},
        {"name with a digit first", false, field("1userID", CardFieldValue::int32(1)), S::InvalidArgument},
        {"name with a blank", false, field("user ID", CardFieldValue::int32(1)), S::InvalidArgument},
        {"name with a non-ASCII letter", false, field("usér", CardFieldValue::int32(1)), S::InvalidArgument},
        {"33-character name", false, field("abcdefghijklmnopqrstuvwxyzabcdefg", CardFieldValue::int32(1)),
         S::InvalidArgument},
        {"card kind as text", false, field("cardNameID", CardFieldValue::fromText("256")), S::InvalidArgument},
        {"expiry as a number", false, field("expireTime", CardFieldValue::int32(49675)), S::InvalidArgument},
        {"issue time NaN", false, field("issueTime", CardFieldValue::fromDate(std::nan(""))), S::InvalidArgument},
        {"16-bit value out of range", false, field("numCards", CardFieldValue{CardFieldType::Int16, 40000, 0.0, {}}),
         S::InvalidArgument},
        {"text over 255 bytes", false, field("track2", CardFieldValue::fromText(tooLongText)), S::InvalidArgument},
        {"text with a lone surrogate", false, field("track2", CardFieldValue::fromText(loneSurrogate)),
         S::InvalidArgument},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CardImage image;
        if (c.withBlock) {
            ASSERT_EQ(image.BeginBlock(97), S::Ok);
        }
        const CardImage before = image;
        EXPECT_EQ(c.call(image), c.expected);
        EXPECT_TRUE(image == before);
    }
}

TEST(CardImage, SettingAFieldAgainReplacesItInPlace)
{
    CardImage image;
    ASSERT_EQ(image.SetCardField(QStringLiteral("userID"), CardFieldValue::int32(5)), S::Ok);
    ASSERT_EQ(image.SetCardField(QStringLiteral("track2"), CardFieldValue::fromText(QStringLiteral("x"))), S::Ok);
    ASSERT_EQ(image.SetCardField(QStringLiteral("expireTime"), CardFieldValue::fromDate(kNoExpiry)), S::Ok);
    ASSERT_EQ(image.SetCardField(QStringLiteral("userID"), CardFieldValue::int16(7)), S::Ok);
    ASSERT_EQ(image.SetCardField(QStringLiteral("cardNameID"), CardFieldValue::int16(270)), S::Ok);

    const QList<CardField> expected = {
        {QStringLiteral("cardNameID"), CardFieldValue::int32(270)},
        {QStringLiteral("expireTime"), CardFieldValue::fromDate(kNoExpiry)},
        {QStringLiteral("userID"), CardFieldValue::int16(7)},
        {QStringLiteral("track2"), CardFieldValue::fromText(QStringLiteral("x"))},
    };
    EXPECT_EQ(image.fields(), expected);
    QByteArray bytes;
    ASSERT_EQ(image.encode(bytes), S::Ok);
    EXPECT_EQ(bytes.size(), image.encodedSize());
}

TEST(CardImage, ImageStopsGrowingAtTheLargestCard)
{
    CardImage image;
    ASSERT_EQ(image.BeginBlock(97), S::Ok);
    qint32 status = S::Ok;
    int ranges = 0;
    int blocks = 1;
    while (status == S::Ok) {
        if (image.blocks().last().ranges.size() == CardImage::kMaxCount) {
            status = image.BeginBlock(98);
            blocks += status == S::Ok;
        } else {
            status = image.AddDoorRange(100, ranges, ranges);
            ranges += status == S::Ok;
        }
    }
    EXPECT_EQ(status, S::TooLarge);
    EXPECT_LE(image.encodedSize(), CardImage::kMaxSize);
    EXPECT_GT(image.encodedSize(), CardImage::kMaxSize - 9);
    EXPECT_GT(blocks, 1);

    const CardImage full = image;
    EXPECT_EQ(image.AddBlockValue(1), S::TooLarge);
    EXPECT_EQ(image.SetCardField(QStringLiteral("userID"), CardFieldValue::int32(1)), S::TooLarge);
    EXPECT_TRUE(image == full);

    QByteArray bytes;
    ASSERT_EQ(image.encode(bytes), S::Ok);
    CardImage decoded;
    EXPECT_EQ(CardImage::decode(bytes, decoded), S::Ok);
    EXPECT_TRUE(decoded == full);
}

TEST(CardImage, CountsStopAt255)
{
    CardImage values;
    ASSERT_EQ(values.BeginBlock(100), S::Ok);
    for (int i = 0; i < CardImage::kMaxCount; ++i)
        ASSERT_EQ(values.AddBlockValue(i), S::Ok);
    EXPECT_EQ(values.AddBlockValue(0), S::TooLarge);

    CardImage blocks;
    for (int i = 0; i < CardImage::kMaxCount; ++i)
        ASSERT_EQ(blocks.BeginBlock(98), S::Ok);
    EXPECT_EQ(blocks.BeginBlock(98), S::TooLarge);

    CardImage fields;
    for (int i = 0; i < CardImage::kMaxCount; ++i)
        ASSERT_EQ(fields.SetCardField(QStringLiteral("f%1").arg(i), CardFieldValue::int16(1)), S::Ok);
    EXPECT_EQ(fields.SetCardField(QStringLiteral("one_more"), CardFieldValue::int16(1)), S::TooLarge);
    EXPECT_EQ(fields.SetCardField(QStringLiteral("f0"), CardFieldValue::int16(2)), S::Ok) << "replacing still works";
}

TEST(CardImage, VariantsMapToTheDialogsFieldTypes)
{
    struct Case
    {
        const char *name;
        QVariant in;
        std::optional<CardFieldValue> expected;
    };
    const Case cases[] = {
        {"16-bit", QVariant::fromValue(qint16(-3)), CardFieldValue::int16(-3)},
        {"32-bit", QVariant(1204), CardFieldValue::int32(1204)},
        {"unsigned in range", QVariant(2147483647u), CardFieldValue::int32(2147483647)},
        {"unsigned beyond 32-bit", QVariant(3000000000u), std::nullopt},
        {"64-bit in range", QVariant(qint64(-5)), CardFieldValue::int32(-5)},
        {"64-bit beyond", QVariant(qint64(1) << 40), std::nullopt},
        {"date", QVariant(kNoExpiry), CardFieldValue::fromDate(kNoExpiry)},
        {"text", QVariant(QStringLiteral("1")), CardFieldValue::fromText(QStringLiteral("1"))},
        {"bool", QVariant(true), std::nullopt},
        {"null", QVariant(), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto value = CardFieldValue::fromVariant(c.in);
        EXPECT_EQ(value, c.expected);
        if (value) {
            const auto back = CardFieldValue::fromVariant(value->toVariant());
            EXPECT_EQ(back, value) << "toVariant keeps the type";
        }
    }
}

} // namespace
