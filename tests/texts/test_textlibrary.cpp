#include "texts/Texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <ostream>

namespace {

using LoadStringFn = int (*)(int id, char16_t *buffer, int bufferLength);

QString programDir()
{
    return QCoreApplication::applicationDirPath();
}

QString sourceFile(const QString &relative)
{
    return QString::fromLocal8Bit(qgetenv("OSTRELLE_SOURCE_DIR")) + QLatin1Char('/') + relative;
}

// The numbers of every entry of an .rc, read the way a person reads the file.
QList<int16_t> entryNumbers(const QString &rcPath)
{
    QFile file(rcPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression entry(QStringLiteral("^\\t(\\d+|MSG_BASE\\+0x([0-9A-F]+)L)\\t\""));
    QList<int16_t> numbers;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QRegularExpressionMatch m = entry.match(line);
        if (!m.hasMatch())
            continue;
        numbers << int16_t(m.capturedLength(2) ? m.captured(2).toInt(nullptr, 16) - 32768 : m.captured(1).toInt());
    }
    return numbers;
}

class LoadedLibrary
{
public:
    explicit LoadedLibrary(const QString &name) : m_library(programDir() + QLatin1Char('/') + name)
    {
        if (m_library.load())
            m_load = reinterpret_cast<LoadStringFn>(m_library.resolve("ctexts_load_string"));
    }
    ~LoadedLibrary() { m_library.unload(); }
    LoadStringFn load() const { return m_load; }
    QString error() const { return m_library.errorString(); }

private:
    QLibrary m_library;
    LoadStringFn m_load = nullptr;
};

TEST(TextLibraryTest, CopiesLikeAStringResourceLoad)
{
    LoadedLibrary library(QStringLiteral("libctexts_fixture.so"));
    ASSERT_TRUE(library.load()) << library.error().toStdString();

    const std::u16string alphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    struct Case
    {
        const char *name;
        int id;
        int bufferLength;
        int expectedCount;
    };
    const Case cases[] = {
        {"room to spare", 200, 100, 26}, {"exactly fits with its terminator", 200, 27, 26},
        {"one unit short", 200, 26, 25}, {"only the terminator fits", 200, 1, 0},
        {"absent text", 4242, 100, 0},   {"absent message", -31995, 100, 0},
    };
    for (const Case &c : cases) {
        std::vector<char16_t> buffer(c.bufferLength + 1, u'#');
        EXPECT_EQ(library.load()(c.id, buffer.data(), c.bufferLength), c.expectedCount) << c.name;
        EXPECT_TRUE(std::u16string(buffer.data(), c.expectedCount) == alphabet.substr(0, c.expectedCount)) << c.name;
        EXPECT_EQ(buffer[c.expectedCount], u'\0') << c.name << ": terminated";
        EXPECT_EQ(buffer[c.bufferLength], u'#') << c.name << ": nothing written past the buffer";
    }

    char16_t untouched = u'#';
    EXPECT_EQ(library.load()(200, &untouched, 0), 0);
    EXPECT_EQ(untouched, u'#') << "a zero-length buffer is not written";
    EXPECT_EQ(library.load()(200, nullptr, 10), 0);
}

// Both sources of every text must agree, or a workstation started with the .rc as its text
// file would show different texts from one using the library.
TEST(TextLibraryTest, LibraryAndTextFileAgreeOnEveryEntry)
{
    struct Table
    {
        QString rc;
        QString library;
    };
    const Table tables[] = {
        {QStringLiteral("tests/texts/fixtures/sample.rc"), QStringLiteral("libctexts_fixture.so")},
        {QStringLiteral("texts/ostrelle.rc"), QStringLiteral("libctexts.so")},
    };
    for (const Table &table : tables) {
        const QString rc = sourceFile(table.rc);
        if (!QFile::exists(rc)) {
            ADD_FAILURE() << "no text table " << rc.toStdString();
            continue;
        }
        LoadedLibrary raw(table.library);
        ASSERT_TRUE(raw.load()) << raw.error().toStdString();
        TextResources fromLibrary;
        fromLibrary.setProgramPath(programDir());
        fromLibrary.setLibraryName(table.library);
        ASSERT_TRUE(fromLibrary.LoadTextLibrary());
        TextResources fromFile;
        fromFile.setTextFileName(rc);
        fromFile.setTextFileMode(true);
        ASSERT_TRUE(fromFile.LoadTextFile());

        const QList<int16_t> numbers = entryNumbers(rc);
        EXPECT_GT(numbers.size(), 10) << rc.toStdString();
        for (int16_t number : numbers) {
            char16_t buffer[8];
            EXPECT_GT(raw.load()(number, buffer, 8), 0) << table.rc.toStdString() << ": no library text for " << number;
            EXPECT_EQ(fromFile.GetText(number), fromLibrary.GetText(number))
                << table.rc.toStdString() << ": text " << number;
        }
    }
}

TEST(TextLibraryTest, EveryRequiredNumberHasAText)
{
    QFile required(sourceFile(QStringLiteral("texts/required-numbers.txt")));
    ASSERT_TRUE(required.open(QIODevice::ReadOnly)) << required.fileName().toStdString();
    const QList<int16_t> present = entryNumbers(sourceFile(QStringLiteral("texts/ostrelle.rc")));
    int checked = 0;
    const QStringList lines = QString::fromUtf8(required.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString number = line.trimmed();
        if (number.isEmpty() || number.startsWith(QLatin1Char('#')))
            continue;
        bool ok = false;
        const int value = number.toInt(&ok);
        ASSERT_TRUE(ok && value >= -32768 && value <= 32767) << "not a text number: " << number.toStdString();
        // The library carries every entry of the table (LibraryAndTextFileAgreeOnEveryEntry).
        EXPECT_TRUE(present.contains(int16_t(value))) << "no entry for " << value;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

class RcGenTest : public ::testing::Test
{
protected:
    struct Run
    {
        int exitCode;
        QString errors;
        bool wroteOutput;
    };

    Run generate(const QByteArray &rc)
    {
        const QString input = m_dir.filePath(QStringLiteral("in.rc"));
        const QString output = m_dir.filePath(QStringLiteral("out.cpp"));
        QFile::remove(output);
        QFile file(input);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(rc);
        file.close();
        QProcess process;
        process.start(programDir() + QStringLiteral("/ostrelle-rcgen"), {input, output});
        EXPECT_TRUE(process.waitForFinished(30000)) << process.errorString().toStdString();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError()), QFile::exists(output)};
    }

    QTemporaryDir m_dir;
};

TEST_F(RcGenTest, RejectsMalformedTablesWithTheirLine)
{
    const QByteArray head = "STRINGTABLE\nBEGIN\n\t1\t\"One\"\n"; // entry on line 3
    struct Case
    {
        QByteArray rc;
        int line;
        const char *message;
    };
    const Case cases[] = {
        {head + "\t012\t\"x\"\nEND\n", 4, "not written as text-file mode looks it up (12)"},
        {head + "\tMSG_BASE+0x05L\t\"x\"\nEND\n", 4, "(MSG_BASE+0x005L)"},
        {head + "\tMSG_BASE+0x1afL\t\"x\"\nEND\n", 4, "upper-case hexadecimal"},
        {head + "\tMSG_BASE+0x105\t\"x\"\nEND\n", 4, "must end in \"L\""},
        {head + "\tMSG_BASE+0x8000L\t\"x\"\nEND\n", 4, "out of range"},
        {head + "\t32768\t\"x\"\nEND\n", 4, "out of range"},
        {head + "\t-5\t\"x\"\nEND\n", 4, "neither a number"},
        {head + "    5\t\"x\"\nEND\n", 4, "starts with a tab"},
        {head + "\t5 \"x\"\nEND\n", 4, "no tab between key and text"},
        {head + "\t5\tx\nEND\n", 4, "in double quotes"},
        {head + "\t5\t\"open\nEND\n", 4, "missing closing double quote"},
        {head + "\t5\t\"say \"\"hi\"\"\"\nEND\n", 4, "after the closing quote"},
        {head + "\t5\t\"\"\nEND\n", 4, "empty text"},
        {head + "\t5\t\"a\tb\"\nEND\n", 4, "control character"},
        {head + "\t2\t\"Two\"\n\t1\t\"Again\"\nEND\n", 5, "duplicate key 1 (first on line 3)"},
        {head + "\t123\t\"x\"\n\t12\t\"y\"\nEND\n", 5, "would be found on line 4"},
        {"// note\t12\nSTRINGTABLE\nBEGIN\n\t12\t\"x\"\nEND\n", 4, "would be found on line 1"},
        {head, 4, "not closed by END"},
        {"STRINGTABLE\n\t1\t\"One\"\nEND\n", 2, "expected BEGIN"},
        {"LANGUAGE 9, 1\n" + head + "END\n", 1, "expected STRINGTABLE"},
        {head + "END\nstray\n", 5, "expected STRINGTABLE"},
        {"// nothing\n", 2, "no STRINGTABLE entries"},
        {"STRINGTABLE\nBEGIN\n\t1\t\"Gr\xFC\xDF\"\nEND\n", 3, "invalid UTF-8"},
        {"STRINGTABLE\nBEGIN\n\t1\t\"" + QByteArray(512000, 'x') + "\"\nEND\n", 3, "beyond the first 512000"},
    };
    for (const Case &c : cases) {
        const Run run = generate(c.rc);
        const QString where = QStringLiteral("in.rc:%1: error: ").arg(c.line);
        EXPECT_EQ(run.exitCode, 1) << c.message;
        EXPECT_TRUE(run.errors.contains(where) && run.errors.contains(QString::fromUtf8(c.message)))
            << "expected line " << c.line << " and \"" << c.message << "\", got: " << run.errors.toStdString();
        EXPECT_FALSE(run.wroteOutput) << c.message;
    }
}

TEST_F(RcGenTest, AcceptsCommentsBlocksAndCrLf)
{
    const QByteArray rc = "\xEF\xBB\xBF// texts\r\n#include \"msg.h\"\r\n\r\nSTRINGTABLE DISCARDABLE\r\nBEGIN\r\n"
                          "\t// first block\r\n\t1\t\"One\"  \r\n\r\nEND\r\nSTRINGTABLE\r\n{\r\n"
                          "\tMSG_BASE+0x105L\t\"Message\"\r\n}\r\n";
    const Run run = generate(rc);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.wroteOutput);
    QFile output(m_dir.filePath(QStringLiteral("out.cpp")));
    ASSERT_TRUE(output.open(QIODevice::ReadOnly));
    const QByteArray source = output.readAll();
    EXPECT_TRUE(source.contains("{-32507, 0, 7}")) << "sorted by number: the message comes first";
    EXPECT_TRUE(source.contains("{1, 7, 3}"));
}

} // namespace
