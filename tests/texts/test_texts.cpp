#include "TestFiles.h"
#include "texts/Texts.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <ostream>

namespace {

// The fixture library built from fixtures/sample.rc beside the test program.
const char *const kFixtureLibrary = "libctexts_fixture.so";

class TextsTest : public ::testing::Test
{
protected:
    // Text-file mode with only the file: no library loaded.
    void useFile(TextResources &texts, const QString &contents)
    {
        useTextFile(texts, m_dir.filePath(QStringLiteral("texts.rc")), contents.toUtf8());
    }

    static void useFixtureLibrary(TextResources &texts)
    {
        texts.setProgramPath(QCoreApplication::applicationDirPath());
        texts.setLibraryName(QString::fromLatin1(kFixtureLibrary));
        ASSERT_TRUE(texts.LoadTextLibrary()) << "missing " << kFixtureLibrary << " beside the test";
    }

    QTemporaryDir m_dir;
};

TEST_F(TextsTest, TextFileLookupFollowsKeyFormatAndFirstMatch)
{
    struct Case
    {
        const char *name;
        QString file;
        int16_t number;
        QString expected;
    };
    const Case cases[] = {
        {"decimal key", "\t1234\t\"Check-in\"\n", 1234, "Check-in"},
        {"zero is keyed 0", "\t1\t\"One\"\n\t0\t\"Zero\"\n", 0, "Zero"},
        {"message key", "\tMSG_BASE+0x105L\t\"Message\"\n", -32507, "Message"},
        {"message key padded to three digits", "\tMSG_BASE+0x005L\t\"Five\"\n", -32763, "Five"},
        {"lowest message", "\tMSG_BASE+0x000L\t\"Lowest\"\n", -32768, "Lowest"},
        {"highest message uses four digits", "\tMSG_BASE+0x7FFFL\t\"Minus one\"\n", -1, "Minus one"},
        {"negative number is not a decimal key", "\t-32507\t\"Wrong\"\n", -32507, "-32507"},
        {"longer key first wins for its prefix", "\t123\t\"Long\"\n\t12\t\"Short\"\n", 12, "Long"},
        {"shorter key first keeps its own", "\t12\t\"Short\"\n\t123\t\"Long\"\n", 12, "Short"},
        {"longer key after its prefix", "\t12\t\"Short\"\n\t123\t\"Long\"\n", 123, "Long"},
        {"key needs the tab before it", "\t5123\t\"Other\"\n\t123\t\"Own\"\n", 123, "Own"},
        {"first quoted string after the key", "\t7\tjunk \"First\" \"Second\"\n", 7, "First"},
        {"line breaks only", "\t5\t\"\\n\\n\"\n", 5, "\r\n\r\n"},
        {"line break inside", "\t5\t\"A\\nB\"\n", 5, "A\r\nB"},
        {"pairs taken left to right", "\t5\t\"x\\\\ny\"\n", 5, "x\\\r\ny"},
        {"other escapes kept", "\t5\t\"a\\tb\"\n", 5, "a\\tb"},
        {"missing closing quote", "\t8\t\"Open\n", 8, "8"},
        {"no quote at all", "\t8\tbare\n", 8, "8"},
        {"empty text", "\t9\t\"\"\n", 9, "9"},
        {"absent number", "\t1\t\"One\"\n", 23400, "23400"},
        {"absent message", "\t1\t\"One\"\n", -31995, "-31995"},
        {"non-ASCII text", "\t3\t\"Grüße 𝄞\"\n", 3, "Grüße 𝄞"},
    };
    for (const Case &c : cases) {
        TextResources texts;
        useFile(texts, c.file);
        EXPECT_EQ(texts.GetText(c.number), c.expected) << c.name;
    }
}

TEST_F(TextsTest, TextFileModeFallsThroughToTheLibrary)
{
    TextResources texts;
    useFixtureLibrary(texts);
    useFile(texts, QStringLiteral("\t12\t\"From the file\"\n\t100\t\"\"\n"));

    EXPECT_EQ(texts.GetText(12), "From the file");
    EXPECT_EQ(texts.GetText(15010), "Ostrelle") << "missing from the file";
    EXPECT_EQ(texts.GetText(100), "Line one\r\nLine two") << "empty in the file";
    EXPECT_EQ(texts.GetText(-32507), "Message %s");
    EXPECT_EQ(texts.GetText(4242), "4242") << "in neither";

    texts.setTextFileMode(false);
    EXPECT_EQ(texts.GetText(12), "Room %s of %s") << "without text-file mode only the library counts";
}

TEST_F(TextsTest, TextFileReadsOnlyTheFirst512000Characters)
{
    // The entry's closing quote sits at the given character index; the cap counts characters,
    // so a two-byte filler must not shorten what is read.
    struct Case
    {
        const char *name;
        QChar filler;
        qsizetype closingQuoteAt;
        bool found;
    };
    const Case cases[] = {
        {"last character inside", QLatin1Char('x'), 511999, true},
        {"first character outside", QLatin1Char('x'), 512000, false},
        {"two-byte characters inside", QChar(0xFC), 511999, true},
        {"two-byte characters outside", QChar(0xFC), 512000, false},
    };
    for (const Case &c : cases) {
        const QString head = QStringLiteral("\t1\t\"");
        const QString filler(c.closingQuoteAt - head.size(), c.filler);
        TextResources texts;
        useFile(texts, head + filler + QStringLiteral("\"\n\t2\t\"Two\"\n"));
        EXPECT_EQ(texts.GetText(1), c.found ? filler : QStringLiteral("1")) << c.name;
        EXPECT_EQ(texts.GetText(2), "2") << c.name;
    }
}

TEST_F(TextsTest, LoadingReportsWhatIsThere)
{
    TextResources texts;
    EXPECT_FALSE(texts.LoadTextFile()) << "no file name";
    texts.setTextFileName(m_dir.filePath(QStringLiteral("absent.rc")));
    EXPECT_FALSE(texts.LoadTextFile());
    writeFile(m_dir.filePath(QStringLiteral("t.rc")), "\t1\t\"One\"\n");
    texts.setTextFileName(m_dir.filePath(QStringLiteral("t.rc")));
    texts.setTextFileMode(true);
    EXPECT_TRUE(texts.LoadTextFile());
    EXPECT_EQ(texts.GetText(1), "One");
    texts.setTextFileName(m_dir.filePath(QStringLiteral("absent.rc")));
    EXPECT_FALSE(texts.LoadTextFile());
    EXPECT_EQ(texts.GetText(1), "1") << "a failed load leaves no stale contents";

    EXPECT_FALSE(texts.UnloadTextLibrary()) << "nothing loaded";
    texts.setProgramPath(QCoreApplication::applicationDirPath());
    EXPECT_TRUE(texts.libraryName().isEmpty());
    texts.LoadTextLibrary();
    EXPECT_EQ(texts.libraryName(), "libctexts.so") << "the default name";

    texts.setLibraryName(QStringLiteral("libctexts_absent.so"));
    EXPECT_FALSE(texts.LoadTextLibrary());
    texts.setProgramPath(m_dir.path());
    texts.setLibraryName(QString::fromLatin1(kFixtureLibrary));
    EXPECT_FALSE(texts.LoadTextLibrary()) << "only the program's own directory is searched";

    texts.setProgramPath(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    ASSERT_TRUE(texts.LoadTextLibrary());
    texts.setTextFileMode(false);
    EXPECT_EQ(texts.GetText(15010), "Ostrelle");
    EXPECT_TRUE(texts.UnloadTextLibrary());
    EXPECT_FALSE(texts.UnloadTextLibrary());
    EXPECT_EQ(texts.GetText(15010), "15010");
}

TEST_F(TextsTest, GetTextReadsTheInstalledResources)
{
    EXPECT_EQ(GetText(15010), "15010") << "nothing installed";
    {
        TextResources texts;
        useFixtureLibrary(texts);
        TextResources::install(&texts);
        EXPECT_EQ(GetText(15010), "Ostrelle");
        EXPECT_EQ(GetText(-1), "Minus one");
        EXPECT_EQ(GetText(31000), "31000");
    }
    EXPECT_EQ(TextResources::installed(), nullptr) << "destroyed resources uninstall themselves";
    EXPECT_EQ(GetText(15010), "15010");
}

TEST(FormatTextTest, ReplacesEachPlaceholderOnce)
{
    struct Case
    {
        QString pattern;
        QVariantList arguments;
        QString expected;
    };
    const Case cases[] = {
        {"Room %s of %s", {12, 40}, "Room 12 of 40"},
        {"No placeholder here", {12}, "No placeholder here"},
        {"No placeholder here", {}, "No placeholder here"},
        {"%s and %s", {QStringLiteral("%s"), QStringLiteral("x")}, "%s and x"},
        {"%s", {QStringLiteral("a%sb")}, "a%sb"},
        {"%s%s", {QStringLiteral("a"), QStringLiteral("b")}, "ab"},
        {"Card %s.\r\nEnds %s", {QStringLiteral("7"), QStringLiteral("today")}, "Card 7.\r\nEnds today"},
        {"100% sure %s", {1}, "100% sure 1"},
        {"%s", {QString()}, ""},
        {"Only %s", {1, 2}, "Only 1"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatText(c.pattern, c.arguments), c.expected) << c.pattern.toStdString();
}

} // namespace
