#include "pms/PmsRecord.h"

#include <gtest/gtest.h>

namespace {
// Each case feeds the chunks in order and lists what comes out: "LS|" for a record with its
// fields as "TYPE|IDvalue|...", "!" for a dropped frame.
struct FrameCase
{
    const char *name;
    QList<QByteArray> chunks;
    QStringList expected;
};

QString describe(const PmsRecord &r)
{
    if (r.type.isEmpty())
        return QStringLiteral("!");
    QString s = QString::fromLatin1(r.type) + '|';
    for (const auto &f : r.fields)
        s += QString::fromLatin1(f.first) + f.second + '|';
    return s;
}

class PmsFrames : public ::testing::TestWithParam<FrameCase>
{
};

TEST_P(PmsFrames, SplitsTheStream)
{
    PmsFrameReader reader;
    QStringList got;
    for (const QByteArray &chunk : GetParam().chunks) {
        reader.append(chunk);
        while (auto r = reader.next()) {
            got << describe(*r);
            if (r->type.isEmpty()) {
                EXPECT_FALSE(reader.error().isEmpty());
            }
        }
    }
    EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmsFrames,
    ::testing::Values(FrameCase{"SplitAcrossAppends", {"\x02KR|RN1", "01|K#2|", "\x03"}, {"KR|RN101|K#2|"}},
                      FrameCase{"GarbageBetween", {"xx\x03\x02LS|\x03noise\x02LA|\x03z"}, {"LS|", "LA|"}},
                      FrameCase{"CutOff", {"\x02KR|RN101", "\x02LA|\x03"}, {"!", "LA|"}},
                      FrameCase{"BadType", {"\x02K1|RN1|\x03\x02KRX|\x03\x02LE|\x03"}, {"!", "!", "LE|"}},
                      FrameCase{"Oversized", {"\x02KR|GN", QByteArray(9000, 'x'), "\x03\x02LA|\x03"}, {"!", "LA|"}},
                      FrameCase{"EmptyValueKept", {"\x02KA|ASOK|CT|\x03"}, {"KA|ASOK|CT|"}},
                      FrameCase{"Latin1Name", {"\x02KR|GNM\xfcller|\x03"}, {QString::fromUtf8("KR|GNMüller|")}},
                      FrameCase{"Utf8Name", {"\x02KR|GNM\xc3\xbcller|\x03"}, {QString::fromUtf8("KR|GNMüller|")}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PmsFrames, FormatReadsBack)
{
    PmsRecord r;
    r.type = "KA";
    r.add("AS", "OK").add("CT", "a|b").add("GN", QString::fromUtf8("Müller"));
    PmsFrameReader reader;
    reader.append(formatPmsRecord(r));
    const auto back = reader.next();
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(describe(*back), QString::fromUtf8("KA|ASOK|CTa b|GNMüller|"));
}
} // namespace
