#include "TestFiles.h"
#include "session/Workstation.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

Workstation::Setup setupIn(const QTemporaryDir &dir)
{
    Workstation::Setup setup;
    setup.programPath = dir.path();
    setup.registry = {dir.filePath(QStringLiteral("hkcu.reg")), dir.filePath(QStringLiteral("hklm.reg"))};
    return setup;
}

TEST(Workstation, StartupLogHeaderHasNoLeadingBreakAndEndsWithAnEmptyLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString logPath = dir.filePath(QStringLiteral("startup.log"));
    writeFile(logPath, "left over from the last run, and longer than the new header will ever be ........");
    Workstation ws(setupIn(dir));
    ws.program.OpenStartupLog();
    ws.program.StartupLog.AddString(QStringLiteral("Check for duplicate instance"));
    ws.program.StartupLog.Failed();

    const QByteArray bytes = readFile(logPath);
    const QRegularExpression shape(QStringLiteral("^// Ostrelle client version 1\\.14\\.0\\r\\n"
                                                  "// Startup logfile\\r\\n"
                                                  "// Created: [^\\r\\n]+\\r\\n"
                                                  "// [^\\r\\n]+\\r\\n"
                                                  "\\r\\n"
                                                  "Check for duplicate instance\\.\\.\\.FAILED$"));
    EXPECT_TRUE(shape.match(QString::fromLocal8Bit(bytes)).hasMatch()) << bytes.toStdString();
}

TEST(Workstation, InstallsItsTextsForGetTextAndRemovesThemOnExit)
{
    QTemporaryDir dir;
    {
        Workstation ws(setupIn(dir));
        EXPECT_EQ(TextResources::installed(), &ws.program.texts);
    }
    EXPECT_EQ(TextResources::installed(), nullptr);
}

} // namespace
