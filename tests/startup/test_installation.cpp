#include "StartupFixture.h"
#include "components/recordtable/RecordDatabase.h"
#include "ostrelle-db/PublishClient.h"
#include "platform/FileVersion.h"
#include "platform/Installation.h"
#include "texts/Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QStringList between(const QStringList &lines, const QString &first, const QString &last)
{
    const qsizetype from = lines.indexOf(first);
    return from < 0 ? QStringList() : lines.mid(from, lines.indexOf(last, from) - from + 1);
}

TEST_F(StartupTest, TheRegistrationCheckRegistersWhatIsNotRegisteredHere)
{
    const QString upperCase = m_programDir.toUpper();
    const struct
    {
        const char *name;
        QString registeredIn; // empty: not registered
        bool starter;
        QString line; // of ostrelle-encoder
        StartupResult result;
    } cases[] = {
        {"unregistered", {}, false, "...not registered. Registering ostrelle-encoder", StartupResult::Completed},
        {"elsewhere", m_dir.filePath("old"), false, "...wrong component registered. Registering ostrelle-encoder",
         StartupResult::Completed},
        {"letter case", upperCase, false, "...OK", StartupResult::Completed},
        {"starter service",
         {},
         true,
         "...not registered. Registering ostrelle-encoder [Note: Veltrix Starter service is running]...FAILED",
         StartupResult::Failed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RegistryStore(m_hives.currentUser, m_hives.localMachine)
            .deleteKey(RegistryStore::Hive::ClassesRoot,
                       QStringLiteral("CLSID\\") + Installation::findComponent("ostrelle-encoder")->classId);
        if (!c.registeredIn.isEmpty())
            registerComponent(QStringLiteral("ostrelle-encoder"), c.registeredIn);
        m_boxes.clear();
        m_processes.clear();
        StartupEnvironment env = environment();
        env.starterActive = [&c] { return c.starter; };
        EXPECT_EQ(run(env), c.result);
        EXPECT_TRUE(logLines().contains(QStringLiteral("> ostrelle-encoder") + c.line));
        const bool registers = c.line.contains("Registering") && !c.starter;
        EXPECT_EQ(m_processes, registers ? QStringList{QStringLiteral("ostrelle-encoder /RegServer")} : QStringList());
        if (c.starter)
            EXPECT_EQ(m_boxes.size() == 1 ? m_boxes[0].text : QString(), Texts(-31189));
        else
            EXPECT_TRUE(logLines().contains(QStringLiteral("> ostrelle-db...OK"))) << "the check goes on";
    }
}

TEST_F(StartupTest, AnOwnFileOfAnotherVersionStopsTheStart)
{
    const struct
    {
        QByteArray content; // of ostrelle-encoder
        int16_t message;
    } cases[] = {{FileVersionMarkerBytes(QStringLiteral("1.99.0.0")), -31096},
                 {FileVersionMarkerBytes(QStringLiteral("1.0.0.0")), -31096},
                 {QByteArray("no version"), -31144}};
    for (const auto &c : cases) {
        QFile file(QDir(m_programDir).filePath(QStringLiteral("ostrelle-encoder")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();
        m_boxes.clear();
        EXPECT_EQ(run(), StartupResult::Failed);
        const QStringList lines = logLines();
        EXPECT_EQ(lines.mid(lines.size() - 2, 1),
                  QStringList{QStringLiteral("Validate ostrelle-encoder (virtual devices)...FAILED")});
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, FormatText(Texts(c.message), {QStringLiteral("ostrelle-encoder")}));
    }
}

TEST_F(StartupTest, TheServersRequiredVersionDecidesWhetherTheClientStarts)
{
    const struct
    {
        const char *required;
        StartupResult result;
        const char *lastLine;
    } cases[] = {
        {"2.3.12 beta 4", StartupResult::Failed, "Required version: 2.3.12.0...FAILED"},
        {"2.3.12", StartupResult::Completed, "Startup completed"},
        {"2.3.11", StartupResult::Failed, "Required version: 2.3.11.0...FAILED"},
    };
    stampInstallation(QStringLiteral("2.3.12.0"));
    for (const auto &c : cases) {
        RecordDatabase db;
        ASSERT_TRUE(db.open(QStringLiteral("sqlite:") + m_database));
        QString version, error;
        ASSERT_TRUE(DbTool::publishClient(db, m_programDir, QLatin1String(c.required), version, error))
            << error.toStdString();
        m_boxes.clear();
        StartupEnvironment env = environment(QStringLiteral("/N DBHOST"));
        env.connectionString = QStringLiteral("sqlite:") + m_database;
        EXPECT_EQ(run(env), c.result) << c.required;
        const QStringList lines = logLines();
        EXPECT_TRUE(lines.contains(QLatin1String(c.lastLine))) << c.required;
        EXPECT_EQ(m_boxes.empty() ? QString() : m_boxes[0].text,
                  c.result == StartupResult::Failed ? Texts(-31116) : QString());
    }
}

TEST_F(StartupTest, AClientPublishedOnTheServerIsInstalledAndStarted)
{
    const QString published = m_dir.filePath(QStringLiteral("published"));
    ASSERT_TRUE(QDir().mkpath(published));
    ASSERT_TRUE(QFile::copy(QDir(m_programDir).filePath(QStringLiteral("libctexts.so")),
                            QDir(published).filePath(QStringLiteral("libctexts.so"))));
    stampInstallation(QStringLiteral("1.14.0.0"), published);
    stampInstallation(QStringLiteral("1.13.0.0"));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/quiet.sh"),
                            QDir(m_programDir).filePath(QStringLiteral("quiet.sh"))));
    RecordDatabase db;
    ASSERT_TRUE(db.open(QStringLiteral("sqlite:") + m_database));
    QString version, error;
    ASSERT_TRUE(DbTool::publishClient(db, published, QString(), version, error)) << error.toStdString();

    StartupEnvironment env = environment(QStringLiteral("/N DBHOST /L desk"));
    env.connectionString = QStringLiteral("sqlite:") + m_database;
    ASSERT_EQ(run(env), StartupResult::Ended);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, FormatText(Texts(-32502), {QStringLiteral("1.14.0.0")}));
    EXPECT_EQ(between(logLines(), QStringLiteral("Required version: 1.14.0.0"), QStringLiteral("Closing log file")),
              QStringList({"Required version: 1.14.0.0", "Delete previous setup files (if any)",
                           "Copy setup files from server", "> Setup.lst", "> libctexts.so", "> ostrelle",
                           "> ostrelle-db", "> ostrelle-encoder", "Terminate active encoder components",
                           "Installing new client", "Closing log file"}));
    EXPECT_EQ(m_restarts, QStringList{env.programFile + QStringLiteral(" /N DBHOST /L desk")});

    // The restart: the installed client is the new version and starts.
    m_boxes.clear();
    ASSERT_EQ(run(env), StartupResult::Completed);
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(ReadFileVersion(env.programFile), QStringLiteral("1.14.0.0"));
    const QStringList lines = logLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("Required version: 1.14.0.0")));
    EXPECT_FALSE(lines.contains(QStringLiteral("Installing new client")));
}

} // namespace
