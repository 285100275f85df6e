#include "platform/FileVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

// In a binary only the marker section the build writes counts: a system library carries no marker,
// however its bytes happen to read, and a damaged binary is read without harm.
TEST(FileVersion, AnElfFileKeepsItsVersionInTheMarkerSectionOnly)
{
    QTemporaryDir dir;
    const QByteArray library = readAll(QStringLiteral("/lib/x86_64-linux-gnu/libc.so.6"));
    const QByteArray ours =
        readAll(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libctexts.so")));
    ASSERT_FALSE(library.isEmpty());
    ASSERT_FALSE(ours.isEmpty()) << "the text library is built beside the tests";
    const QByteArray stray = FileVersionMarkerBytes(QStringLiteral("9.9.9.9"));

    struct Case
    {
        const char *name;
        QByteArray bytes;
        const char *stampedAs; // nullptr: stamping is refused
        const char *version;
    } cases[] = {
        {"system library with marker bytes at its end", library + stray, nullptr, ""},
        {"ELF header only, sections beyond the end", library.left(64) + stray, nullptr, ""},
        {"section table cut in half", library.left(library.size() - 700), nullptr, ""},
        {"our library", ours, "2.3.4.5", "2.3.4.5"},
        {"our library with marker bytes at its end", ours + stray, "3.4.5.6", "3.4.5.6"},
        {"no ELF file", stray, "4.5.6.7", "4.5.6.7"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name).replace(QLatin1Char(' '), QLatin1Char('_')));
        ASSERT_TRUE(writeFile(path, c.bytes));
        EXPECT_EQ(StampFileVersion(path, QString::fromLatin1(c.stampedAs ? c.stampedAs : "1.0.0.0")),
                  c.stampedAs != nullptr);
        EXPECT_EQ(ReadFileVersion(path), QString::fromLatin1(c.version));
    }
}
