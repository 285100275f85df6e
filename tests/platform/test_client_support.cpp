#include "platform/ClientSupport.h"
#include "platform/InstanceGuard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A semaphore name of this test process alone, so parallel runs and a running client do not meet.
ClientSemaphore::Names namesIn(const QTemporaryDir &dir)
{
    static int counter = 0;
    ClientSemaphore::Names names;
    names.semaphore = "/ostrelle-test-" + QByteArray::number(getpid()) + "-" + QByteArray::number(++counter);
    names.markerFile = dir.filePath(QStringLiteral("Client@Orla@Veltrix.lock"));
    return names;
}

bool semaphoreExists(const ClientSemaphore::Names &names)
{
    return QFileInfo::exists(QStringLiteral("/dev/shm/sem.") + QString::fromLatin1(names.semaphore.mid(1)));
}

TEST(ClientSemaphore, MarksTheClientUntilTheLastOneCloses)
{
    QTemporaryDir dir;
    const ClientSemaphore::Names names = namesIn(dir);
    EXPECT_FALSE(IsOrlaClientActive(names.markerFile)) << "no client has run yet";
    EXPECT_FALSE(QFileInfo::exists(names.markerFile)) << "asking creates nothing";

    ClientSemaphore first;
    ASSERT_TRUE(first.Create(names));
    EXPECT_TRUE(IsOrlaClientActive(names.markerFile));
    EXPECT_TRUE(semaphoreExists(names));

    ClientSemaphore second; // another client of the installation on this computer
    ASSERT_TRUE(second.Create(names));
    first.Close();
    EXPECT_TRUE(IsOrlaClientActive(names.markerFile)) << "the second client still runs";
    EXPECT_TRUE(semaphoreExists(names)) << "the second client still holds the semaphore";

    second.Close();
    EXPECT_FALSE(IsOrlaClientActive(names.markerFile));
    EXPECT_FALSE(semaphoreExists(names)) << "the last client removes the name";
    EXPECT_FALSE(second.isOpen());
    {
        ClientSemaphore scoped;
        ASSERT_TRUE(scoped.Create(names));
    }
    EXPECT_FALSE(IsOrlaClientActive(names.markerFile)) << "destroying the object releases the marker";
}

// A fake process list: one folder per process id with its command line.
void addProcess(const QTemporaryDir &root, const QString &pid, const QByteArray &cmdline)
{
    ASSERT_TRUE(QDir(root.path()).mkpath(pid));
    QFile file(root.filePath(pid + QStringLiteral("/cmdline")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(cmdline);
}

TEST(ProcessList, MatchesTheProgramNameWithoutLetterCase)
{
    QTemporaryDir root;
    addProcess(root, QStringLiteral("17"), QByteArray("/usr/lib/veltrix/Ostrelle-Starter\0--service\0", 45));
    addProcess(root, QStringLiteral("self"), QByteArray("ostrelle\0", 9)); // not a process id
    addProcess(root, QStringLiteral("23"), QByteArray("/bin/bash\0/opt/ostrelle\0", 24));

    const struct
    {
        const char *name;
        bool running;
    } cases[] = {
        {"ostrelle-starter", true},
        {"OSTRELLE-STARTER", true},
        {"ostrelle", false}, // only as an argument
        {"bash", true},
        {"", false},
        {"starter", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsProcessRunning(QString::fromLatin1(c.name), root.path()), c.running) << c.name;
    EXPECT_TRUE(IsOrlaStarterActive(root.path()));

    QTemporaryDir empty;
    EXPECT_FALSE(IsOrlaStarterActive(empty.path()));
    // Without a root the system's own list: this test runs.
    EXPECT_TRUE(IsProcessRunning(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
}

TEST(SystemLibraries, LoadableLibrariesArePresent)
{
    EXPECT_TRUE(IsSystemLibraryPresent("libc.so.6"));
    EXPECT_FALSE(IsSystemLibraryPresent("libnot-a-library-of-this-system.so.9"));
}

TEST(InstanceGuard, ALaterInstanceBringsTheFirstToTheFront)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("instance"));
    InstanceGuard first(name);
    InstanceGuard later(name);
    EXPECT_FALSE(first.ActivatePreviousInstance()) << "nobody runs yet";
    ASSERT_TRUE(first.listen());

    QSignalSpy activations(&first, &InstanceGuard::activationRequested);
    EXPECT_TRUE(later.ActivatePreviousInstance());
    EXPECT_TRUE(activations.wait(5000));
    EXPECT_EQ(activations.count(), 1);
}

TEST(InstanceGuard, ASocketLeftByACrashedInstanceIsTakenOver)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("instance"));
    // Bound but never listened to, and never removed: what a killed instance leaves.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    ASSERT_LT(size_t(path.size()), sizeof(address.sun_path));
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(name));

    InstanceGuard guard(name);
    EXPECT_FALSE(guard.ActivatePreviousInstance());
    EXPECT_TRUE(guard.listen());
    EXPECT_TRUE(guard.isListening());
}

} // namespace
