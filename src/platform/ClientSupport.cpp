#include "platform/ClientSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int openMarker(const QString &markerFile, bool create)
{
    const QByteArray path = QFile::encodeName(markerFile);
    // Opened without O_CREAT first: with fs.protected_regular, O_CREAT on another user's file in a
    // sticky folder such as /dev/shm is refused even when the file exists.
    int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 || !create || errno != ENOENT)
        return fd;
    fd = ::open(path.constData(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        // Every user's client locks the same file, whatever the creator's umask.
        ::fchmod(fd, 0666);
        return fd;
    }
    if (errno == EEXIST) // another client created it just now
        return ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    return -1;
}

} // namespace

QString DefaultClientMarkerFile()
{
    const QString name = QStringLiteral("Client@Orla@Veltrix.lock");
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable())
        return QDir(shm.filePath()).filePath(name);
    return QDir(QDir::tempPath()).filePath(name);
}

ClientSemaphore::~ClientSemaphore()
{
    Close();
}

bool ClientSemaphore::Create(const Names &names)
{
    Close();
    m_names = names;
    bool ok = true;

    sem_t *semaphore = sem_open(names.semaphore.constData(), O_CREAT | O_EXCL, 0666, 0);
    if (semaphore != SEM_FAILED) {
        // sem_open honours the umask; other users' clients must be able to open it too.
        ::chmod(("/dev/shm/sem." + names.semaphore.mid(1)).constData(), 0666);
    } else if (errno == EEXIST) {
        semaphore = sem_open(names.semaphore.constData(), 0);
    }
    if (semaphore != SEM_FAILED)
        m_semaphore = semaphore;
    else
        ok = false;

    m_markerFd = openMarker(names.markerFile, true);
    if (m_markerFd < 0 || ::flock(m_markerFd, LOCK_SH | LOCK_NB) != 0)
        ok = false;
    return ok;
}

void ClientSemaphore::Close()
{
    bool last = false;
    if (m_markerFd >= 0) {
        // Nobody else holds the marker when the exclusive lock is free: this was the last client.
        last = ::flock(m_markerFd, LOCK_EX | LOCK_NB) == 0;
        ::flock(m_markerFd, LOCK_UN);
        ::close(m_markerFd);
        m_markerFd = -1;
    }
    if (m_semaphore) {
        sem_close(static_cast<sem_t *>(m_semaphore));
        m_semaphore = nullptr;
        if (last)
            sem_unlink(m_names.semaphore.constData());
    }
}

bool IsOrlaClientActive(const QString &markerFile)
{
    const int fd = openMarker(markerFile, false);
    if (fd < 0)
        return false;
    // A shared lock of any other open marker makes the exclusive one fail at once.
    const bool active = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return active;
}

bool IsOrlaStarterActive(const QString &processRoot)
{
    return IsProcessRunning(QStringLiteral("ostrelle-starter"), processRoot);
}

bool IsProcessRunning(const QString &name, const QString &processRoot)
{
    return FindProcess(name, processRoot) > 0;
}

bool TerminateProcessByName(const QString &name, const QString &processRoot)
{
    const qint64 pid = FindProcess(name, processRoot);
    if (pid <= 0 || ::kill(pid_t(pid), SIGKILL) != 0)
        return false;
    ::usleep(100 * 1000);
    return true;
}

qint64 FindProcess(const QString &name, const QString &processRoot)
{
    if (name.isEmpty())
        return 0;
    const QStringList entries = QDir(processRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile cmdline(processRoot + QLatin1Char('/') + entry + QStringLiteral("/cmdline"));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        // The program as started: the first argument up to its NUL, after its last "/".
        const QByteArray first = cmdline.read(4096).split('\0').value(0);
        const QString program = QFile::decodeName(first).section(QLatin1Char('/'), -1);
        if (program.compare(name, Qt::CaseInsensitive) == 0)
            return entry.toLongLong();
    }
    return 0;
}

bool IsSystemLibraryPresent(const QByteArray &soname)
{
    void *handle = dlopen(soname.constData(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        handle = dlopen(soname.constData(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}
