#pragma once

#include <QByteArray>
#include <QString>

// The client semaphore "Client@Orla@Veltrix" marks a running client of the lock system on this
// computer; nothing waits on it. A POSIX named semaphore outlives a process that crashed, so every
// client also holds a shared lock on a marker file beside it: that lock ends with the process,
// however the process ends, which is what lets another program ask whether a client runs.

// Machine-wide: /dev/shm/Client@Orla@Veltrix.lock, or the same name in the temporary folder.
QString DefaultClientMarkerFile();

struct ClientSemaphoreNames
{
    // sem_open wants a name with a leading "/"; the semaphore is "Client@Orla@Veltrix".
    QByteArray semaphore = QByteArrayLiteral("/Client@Orla@Veltrix");
    QString markerFile = DefaultClientMarkerFile();
};

class ClientSemaphore
{
public:
    using Names = ClientSemaphoreNames;

    ClientSemaphore() = default;
    ~ClientSemaphore();
    ClientSemaphore(const ClientSemaphore &) = delete;
    ClientSemaphore &operator=(const ClientSemaphore &) = delete;

    // Opens (creating with count 0) the semaphore and takes the shared lock on the marker.
    // False when either failed; what could be taken is still held until Close.
    bool Create(const Names &names = Names());
    // Releases both; the last client on the computer also removes the semaphore's name.
    void Close();
    bool isOpen() const { return m_semaphore != nullptr || m_markerFd >= 0; }

private:
    Names m_names;
    void *m_semaphore = nullptr; // sem_t *
    int m_markerFd = -1;
};

// The two questions of the installation's client-support library.

// Another client of the lock system (any user's) holds the marker of the client semaphore.
bool IsOrlaClientActive(const QString &markerFile = DefaultClientMarkerFile());

// The installation's starter service runs: a process named "ostrelle-starter".
bool IsOrlaStarterActive(const QString &processRoot = QStringLiteral("/proc"));

// A process with this executable name (compared without letter case) runs on the computer.
// Read from /proc/<pid>/cmdline, which every user may read; an empty name never runs.
bool IsProcessRunning(const QString &name, const QString &processRoot = QStringLiteral("/proc"));
// The first such process, or 0.
qint64 FindProcess(const QString &name, const QString &processRoot = QStringLiteral("/proc"));
// Ends the first such process (SIGKILL, the hard end the drivers get before an update) and
// waits 100 ms; false when none runs or it could not be ended.
bool TerminateProcessByName(const QString &name, const QString &processRoot = QStringLiteral("/proc"));

// A shared library of the system that the dynamic loader finds (already loaded, or loadable).
bool IsSystemLibraryPresent(const QByteArray &soname);
