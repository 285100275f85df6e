#include "TestFiles.h"
#include "platform/clsLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Reported
{
    QString title;
    QString text;
};

class LogTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("startup.log"));
    std::vector<Reported> reported;
    clsLog log{[this](const QString &title, const QString &text) { reported.push_back({title, text}); }};
};

TEST_F(LogTest, LinesStartWithALineBreakAndAppendedTextContinuesTheLine)
{
    enum Kind { Line, Append, Failed };
    struct Step
    {
        Kind kind;
        const char *text;
    };
    struct Case
    {
        const char *name;
        std::vector<Step> steps;
        QByteArray bytes;
    };
    const std::vector<Case> cases = {
        {"appended first line has no empty line before it",
         {{Append, "first"}, {Line, "second"}, {Append, " more"}, {Failed, ""}},
         "first\r\nsecond more...FAILED"},
        {"a new first line leaves an empty line", {{Line, "first"}, {Line, "second"}}, "\r\nfirst\r\nsecond"},
        {"Failed on its own", {{Failed, ""}}, "...FAILED"},
        {"a header ending in CR LF leaves an empty line before the trace",
         {{Append, "// header"}, {Line, "// Created: now\r\n"}, {Line, "Step"}, {Failed, ""}},
         "// header\r\n// Created: now\r\n\r\nStep...FAILED"},
        {"empty texts", {{Append, ""}, {Line, ""}, {Line, ""}}, "\r\n\r\n"},
    };
    for (const Case &c : cases) {
        log.Create(path, true);
        for (const Step &step : c.steps) {
            if (step.kind == Failed)
                log.Failed();
            else
                log.AddString(QString::fromLatin1(step.text), step.kind == Append);
        }
        EXPECT_EQ(readFile(path), c.bytes) << c.name;
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(LogTest, CreateStartsAtTheBeginningAndDeletesOnlyWhenAsked)
{
    // Before any Create nothing is written anywhere.
    log.AddString(QStringLiteral("lost"));
    log.Failed();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
    EXPECT_FALSE(log.isDisabled());

    writeFile(path, "0123456789");
    log.Create(path, false);
    log.AddString(QStringLiteral("ab"), true);
    EXPECT_EQ(readFile(path), "ab23456789");

    log.Create(path, true);
    EXPECT_FALSE(QFile::exists(path));
    log.AddString(QStringLiteral("new"), true);
    EXPECT_EQ(readFile(path), "new");

    // Deleting a file that is not there is no error.
    log.Create(dir.filePath(QStringLiteral("never.log")), true);
    log.AddString(QStringLiteral("x"), true);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("never.log"))), "x");
    EXPECT_TRUE(reported.empty());
}

TEST_F(LogTest, AFailedWriteIsReportedOnceAndSilencesTheLog)
{
    for (const bool failInFailed : {false, true}) {
        reported.clear();
        clsLog failing([this](const QString &title, const QString &text) { reported.push_back({title, text}); });
        failing.Create(path, true);
        failing.AddString(QStringLiteral("first"), true);

        // Something else takes the file's place for a moment.
        const QString aside = path + QStringLiteral(".aside");
        ASSERT_TRUE(QFile::rename(path, aside));
        ASSERT_TRUE(QDir().mkdir(path));
        if (failInFailed)
            failing.Failed();
        else
            failing.AddString(QStringLiteral("second"));
        ASSERT_TRUE(QDir().rmdir(path));
        ASSERT_TRUE(QFile::rename(aside, path));

        ASSERT_EQ(reported.size(), 1u) << failInFailed;
        EXPECT_EQ(reported[0].title, QStringLiteral("System Guru"));
        const QString expected = failInFailed
                                     ? QStringLiteral("An unexpected error occured (clsLog.Failed).\r\n\r\n(")
                                     : QStringLiteral("An unexpected error occured (clsLog.AddString).\r\n\r\n(");
        EXPECT_TRUE(reported[0].text.startsWith(expected)) << reported[0].text.toStdString();
        EXPECT_TRUE(reported[0].text.contains(QStringLiteral(") - "))) << reported[0].text.toStdString();
        EXPECT_TRUE(failing.isDisabled());

        // The file is writable again, but the log stays silent.
        failing.AddString(QStringLiteral("third"));
        failing.AddString(QStringLiteral("more"), true);
        failing.Failed();
        EXPECT_EQ(readFile(path), "first") << failInFailed;
        EXPECT_EQ(reported.size(), 1u) << failInFailed;
    }
}

} // namespace
