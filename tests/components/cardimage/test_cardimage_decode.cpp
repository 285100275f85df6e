#include "CardSamples.h"
#include "components/cardserver/CardImage.h"
#include "components/cardserver/Crc32.h"

#include <QtEndian>

#include <bit>
#include <gtest/gtest.h>

namespace {

using namespace CardSamples;
namespace S = CardFormatStatus;

QByteArray encoded(const CardImage &image)
{
    QByteArray bytes;
    EXPECT_EQ(image.encode(bytes), S::Ok);
    return bytes;
}

void putU16(QByteArray &b, qsizetype at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}
void putU32(QByteArray &b, qsizetype at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}
void putF64(QByteArray &b, qsizetype at, double v)
{
    qToLittleEndian(std::bit_cast<quint64>(v), b.data() + at);
}

// After a deliberate change, make length and checksum right again, so the decoder has to find
// the fault in the content itself.
void reseal(QByteArray &b)
{
    putU16(b, 6, quint16(b.size()));
    putU32(b, b.size() - 4, crc32(QByteArrayView(b).first(b.size() - 4)));
}

qint32 decodeStatus(QByteArrayView bytes)
{
    CardImage image;
    return CardImage::decode(bytes, image);
}

TEST(Crc32, StandardCheckValues)
{
    EXPECT_EQ(crc32(QByteArrayView("123456789")), 0xCBF43926u);
    EXPECT_EQ(crc32(QByteArrayView()), 0u);
    EXPECT_EQ(crc32(QByteArrayView("The quick brown fox jumps over the lazy dog")), 0x414FA339u);
}

// The layout as docs/card-format.md gives it, byte by byte, for a locking card.
TEST(CardImageFormat, DocumentedLayout)
{
    CardImage image;
    image.BeginBlock(111);
    image.AddBlockValue(-2);
    image.AddDoorRange(100, 100, 199);
    image.SetImageOptionA(0);
    image.SetImageOptionB(3);
    image.SetCardField(QStringLiteral("cardNameID"), CardFieldValue::int32(272));
    image.SetCardField(QStringLiteral("expireTime"), CardFieldValue::fromDate(kNoExpiry));
    image.SetCardField(QStringLiteral("userID"), CardFieldValue::int16(5));
    image.SetCardField(QStringLiteral("track2"), CardFieldValue::fromText(QStringLiteral("é")));
    image.setInstallationId(0x01020304u);

    QByteArray expected = QByteArray::fromHex("4f534349"               // magic "OSCI"
                                              "01"                     // format version
                                              "05"                     // flags: card kind, expire time
                                              "0000"                   // length, set below
                                              "04030201"               // installation
                                              "10010000"               // card kind 272
                                              "00000000"               // no registration number
                                              "0000000000000000"       // no issue time
                                              "000000006041e840"       // expire time 49675.0
                                              "0003"                   // image options A, B
                                              "0102"                   // one block, two fields
                                              "6f010001"               // block 111: one value, no date, one range
                                              "feffffff"               // value -2
                                              "6464000000c7000000"     // range kind 100, 100..199
                                              "06757365724944010500"   // "userID" 16-bit 5
                                              "06747261636b320402c3a9" // "track2" text "é"
                                              "00000000");             // CRC, set below
    putU16(expected, 6, quint16(expected.size()));
    putU32(expected, expected.size() - 4, crc32(QByteArrayView(expected).first(expected.size() - 4)));

    EXPECT_EQ(encoded(image).toHex(), expected.toHex());
    CardImage decoded;
    ASSERT_EQ(CardImage::decode(expected, decoded), S::Ok);
    EXPECT_TRUE(decoded == image);
}

TEST(CardImageDecode, EveryShortenedImageIsTruncated)
{
    for (const QByteArray &bytes : encodedSamples()) {
        EXPECT_EQ(decodeStatus(QByteArrayView(bytes).first(0)), S::Blank);
        for (qsizetype length = 1; length < bytes.size(); ++length)
            ASSERT_EQ(decodeStatus(QByteArrayView(bytes).first(length)), S::Truncated) << "length " << length;
        EXPECT_EQ(decodeStatus(bytes), S::Ok);
    }
}

TEST(CardImageDecode, EveryFlippedBitIsRefused)
{
    for (const QByteArray &good : encodedSamples()) {
        for (qsizetype byte = 0; byte < good.size(); ++byte) {
            for (int bit = 0; bit < 8; ++bit) {
                QByteArray bad = good;
                bad[byte] = char(bad[byte] ^ (1 << bit));
                const qint32 status = decodeStatus(bad);
                SCOPED_TRACE(testing::Message() << "byte " << byte << " bit " << bit);
                if (byte < 4)
                    ASSERT_EQ(status, S::NotCardImage);
                else if (byte == 4)
                    ASSERT_EQ(status, S::BadVersion);
                else if (byte == 6 || byte == 7)
                    ASSERT_TRUE(status == S::Truncated || status == S::BadLength || status == S::TooLarge)
                        << std::hex << status;
                else
                    ASSERT_EQ(status, S::BadChecksum);
            }
        }
    }
}

TEST(CardImageDecode, RefusesEachMalformedClassWithItsStatus)
{
    const QByteArray guest = encoded(guestCard());
    CardImage textOnly; // no blocks; field "t" at 40: length 40, name 41, type 42, text length 43, text 44..
    textOnly.SetCardField(QStringLiteral("t"), CardFieldValue::fromText(QStringLiteral("ab")));
    const QByteArray text = encoded(textOnly);
    CardImage dated; // block 99 at 40 with its date at 44
    dated.BeginBlock(99);
    dated.AddBlockDate(kIssue);
    const QByteArray date = encoded(dated);

    // Resealed: length and checksum made right again after the change, so the content is at fault.
    enum Seal { Raw, Resealed };
    using Bytes = QByteArray &;
    struct Case
    {
        const char *name;
        QByteArray base;
        Seal seal;
        std::function<void(QByteArray &)> change;
        qint32 expected;
    };
    // Blank, cut, foreign magic, other versions and checksums: every shortened image and flipped bit above.
    const Case cases[] = {
        {"more bytes than any card", guest, Raw, [](Bytes b) { b.resize(CardImage::kMaxSize + 1); }, S::TooLarge},
        {"declared beyond any card", guest, Raw, [](Bytes b) { putU16(b, 6, CardImage::kMaxSize + 1); }, S::TooLarge},
        {"declared below the header", guest, Raw, [](Bytes b) { putU16(b, 6, CardImage::kMinSize - 1); }, S::BadLength},
        {"a byte after the image", guest, Raw, [](Bytes b) { b.append('\0'); }, S::BadLength},
        {"one block more than there is", guest, Resealed, [](Bytes b) { b[38] = char(b[38] + 1); }, S::BadCount},
        {"255 blocks", guest, Resealed, [](Bytes b) { b[38] = char(255); }, S::BadCount},
        {"one field more than there is", guest, Resealed, [](Bytes b) { b[39] = char(b[39] + 1); }, S::BadCount},
        {"one field fewer: bytes left over", guest, Resealed, [](Bytes b) { b[39] = char(b[39] - 1); }, S::BadCount},
        {"a value more than the block holds", date, Resealed, [](Bytes b) { b[41] = 100; }, S::BadCount},
        {"text longer than the image", text, Resealed, [](Bytes b) { b[43] = char(200); }, S::BadCount},
        {"text shorter: bytes left over", text, Resealed, [](Bytes b) { b[43] = 1; }, S::BadCount},
        {"unknown header flag", guest, Resealed, [](Bytes b) { b[5] = char(b[5] | 0x10); }, S::BadContent},
        {"card kind present but not flagged", guest, Resealed, [](Bytes b) { b[5] = char(b[5] & ~1); }, S::BadContent},
        {"negative zero as an unset time", encoded(CardImage()), Resealed, [](Bytes b) { putF64(b, 20, -0.0); },
         S::BadContent},
        {"NaN expire time", guest, Resealed, [](Bytes b) { putF64(b, 28, std::nan("")); }, S::BadContent},
        {"infinite block date", date, Resealed, [](Bytes b) { putF64(b, 44, std::numeric_limits<double>::infinity()); },
         S::BadContent},
        {"block type 0", guest, Resealed, [](Bytes b) { b[40] = 0; }, S::BadContent},
        {"range last before first", guest, Resealed, [](Bytes b) { putU32(b, 49, 1203); }, S::BadContent},
        {"negative first door", guest, Resealed, [](Bytes b) { putU32(b, 45, 0xFFFFFFFFu); }, S::BadContent},
        {"unknown field type", text, Resealed, [](Bytes b) { b[42] = 9; }, S::BadContent},
        {"empty field name", text, Resealed, [](Bytes b) { b.remove(41, 1)[40] = 0; }, S::BadContent},
        {"field name with a blank", text, Resealed, [](Bytes b) { b[41] = ' '; }, S::BadContent},
        {"text that is not UTF-8", text, Resealed, [](Bytes b) { b.replace(44, 2, "\xC3x"); }, S::BadContent},
        {"overlong UTF-8", text, Resealed, [](Bytes b) { b.replace(44, 2, "\xC0\xAF"); }, S::BadContent},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = c.base;
        c.change(bytes);
        if (c.seal == Resealed)
            reseal(bytes);
        CardImage image = powerDownCard();
        EXPECT_EQ(CardImage::decode(bytes, image), c.expected) << std::hex << CardImage::decode(bytes, image);
        EXPECT_TRUE(image.isEmpty()) << "a refused image leaves nothing behind";
    }
    CardImage image = powerDownCard();
    EXPECT_EQ(CardImage::decode(QByteArray(), image), S::Blank);
    EXPECT_TRUE(image.isEmpty()) << "a blank card leaves nothing behind";
}

TEST(CardImageDecode, DuplicateAndHeaderNamesInTheFieldListAreRefused)
{
    CardImage image;
    image.SetCardField(QStringLiteral("userID"), CardFieldValue::int32(1));
    const QByteArray one = encoded(image);
    for (const QByteArray clash : {"userID", "cardNameID", "registrationNumber", "issueTime", "expireTime"}) {
        SCOPED_TRACE(clash.constData());
        // A second 32-bit field of that name after the first.
        QByteArray both =
            one.first(one.size() - 4) + char(clash.size()) + clash + '\x02' + QByteArray(4, '\1') + QByteArray(4, '\0');
        both[39] = 2;
        reseal(both);
        EXPECT_EQ(decodeStatus(both), S::BadContent);
        // Renamed (the first letter of its name: header 40 + first field 12 + length byte 1), it is
        // an ordinary field.
        both[40 + 12 + 1] = 'X';
        reseal(both);
        EXPECT_EQ(decodeStatus(both), S::Ok);
    }
}

} // namespace
