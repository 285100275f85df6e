#include "platform/RegistryStore.h"

#include "platform/RegistryKeys.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace regkeys;

namespace {

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Identifies one version of a file on disk.
struct Signature
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static Signature of(const struct stat &st)
    {
        return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    bool operator==(const Signature &o) const
    {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

int readAll(int fd, QByteArray &bytes)
{
    bytes.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.append(buffer, n);
    }
}

int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += n;
    }
    return 0;
}

// mkdir -p, reporting why it failed (ENOTDIR when a file stands in the way).
int makePath(const QString &dir)
{
    struct stat st;
    if (::stat(nativePath(dir).constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    const QString parent = QFileInfo(dir).path();
    if (parent != dir) {
        if (const int rc = makePath(parent))
            return rc;
    }
    if (::mkdir(nativePath(dir).constData(), 0777) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

bool validName(const QString &name)
{
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x20; });
}

bool validKeyPath(const QString &path)
{
    return validName(path) && !path.contains(QLatin1String("\\\\"));
}

} // namespace

struct RegistryStore::HiveFile
{
    QString path;
    bool writable = true;
    bool loaded = false;
    int error = 0; // of the last load: EBADMSG for a file that is not a registry file
    Signature signature;
    timespec loadedAt{};
    QByteArray bytes;
    Document document;

    QString lockPath() const { return path + QStringLiteral(".lock"); }
};

RegistryStore::Paths RegistryStore::defaultPaths(const QProcessEnvironment &environment)
{
    Paths paths;
    paths.currentUser = environment.value(QStringLiteral("OSTRELLE_HKCU"));
    if (paths.currentUser.isEmpty()) {
        QString config = environment.value(QStringLiteral("XDG_CONFIG_HOME"));
        if (config.isEmpty())
            config = environment.value(QStringLiteral("HOME")) + QStringLiteral("/.config");
        paths.currentUser = config + QStringLiteral("/veltrix/registry.reg");
    }
    paths.localMachine = environment.value(QStringLiteral("OSTRELLE_HKLM"));
    if (paths.localMachine.isEmpty())
        paths.localMachine = QStringLiteral("/etc/veltrix/registry.reg");
    return paths;
}

RegistryStore::RegistryStore(const QString &currentUserFile, const QString &localMachineFile)
    : m_currentUser(std::make_unique<HiveFile>()), m_localMachine(std::make_unique<HiveFile>())
{
    m_currentUser->path = QFileInfo(currentUserFile).absoluteFilePath();
    m_localMachine->path = QFileInfo(localMachineFile).absoluteFilePath();
}

RegistryStore::~RegistryStore() = default;

RegistryStore::HiveFile &RegistryStore::fileOf(Hive hive) const
{
    return hive == Hive::CurrentUser ? *m_currentUser : *m_localMachine;
}

QString RegistryStore::rootOf(Hive hive)
{
    switch (hive) {
    case Hive::CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    case Hive::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case Hive::ClassesRoot:
        break;
    }
    return QStringLiteral("HKEY_CLASSES_ROOT");
}

QString RegistryStore::fileName(Hive hive) const
{
    return fileOf(hive).path;
}

void RegistryStore::setWritable(Hive hive, bool writable)
{
    fileOf(hive).writable = writable;
}

bool RegistryStore::isWritable(Hive hive) const
{
    return fileOf(hive).writable;
}

int RegistryStore::load(HiveFile &file, bool force)
{
    struct stat st;
    if (::stat(nativePath(file.path).constData(), &st) != 0) {
        const int error = errno;
        if (error != ENOENT && error != ENOTDIR) {
            file.loaded = false;
            return error;
        }
        // No file yet: an empty hive.
        file.signature = {};
        file.bytes.clear();
        file.document = {};
        file.error = 0;
        file.loaded = true;
        return 0;
    }
    // A file written within the clock's granularity of our last look may have changed without
    // a new time stamp, so a recent file is compared by content.
    const bool recent = st.st_mtim.tv_sec + 2 >= file.loadedAt.tv_sec;
    if (!force && file.loaded && Signature::of(st) == file.signature && !recent)
        return file.error;

    FileDescriptor fd(::open(nativePath(file.path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        file.loaded = false;
        return errno;
    }
    if (S_ISDIR(st.st_mode)) {
        file.loaded = false;
        return EISDIR;
    }
    QByteArray bytes;
    if (const int rc = readAll(fd.get(), bytes)) {
        file.loaded = false;
        return rc;
    }
    ::clock_gettime(CLOCK_REALTIME, &file.loadedAt);
    file.signature = Signature::of(st);
    if (file.loaded && bytes == file.bytes)
        return file.error;
    const std::optional<Document> document = parse(bytes);
    file.bytes = bytes;
    file.document = document.value_or(Document{});
    file.error = document ? 0 : EBADMSG;
    file.loaded = true;
    return file.error;
}

int RegistryStore::probeWritable(const HiveFile &file)
{
    if (!file.writable)
        return EACCES;
    const QString dir = QFileInfo(file.path).absolutePath();
    if (::access(nativePath(dir).constData(), W_OK) != 0)
        return errno;
    FileDescriptor lock(::open(nativePath(file.lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    return lock.get() < 0 ? errno : 0;
}

int RegistryStore::writeFile(HiveFile &file, const Document &document)
{
    const QByteArray bytes = serialize(document);
    const QByteArray target = nativePath(file.path);
    const QByteArray temp = target + ".tmp" + QByteArray::number(::getpid());
    ::unlink(temp.constData()); // left over by a crashed run of this process id

    FileDescriptor fd(::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return errno;
    int rc = writeAll(fd.get(), bytes);
    struct stat old;
    if (rc == 0 && ::stat(target.constData(), &old) == 0 && ::fchmod(fd.get(), old.st_mode & 07777) != 0)
        rc = errno;
    if (rc == 0 && ::fsync(fd.get()) != 0)
        rc = errno;
    if (rc == 0 && ::close(fd.release()) != 0)
        rc = errno;
    if (rc == 0 && ::rename(temp.constData(), target.constData()) != 0)
        rc = errno;
    if (rc != 0) {
        ::unlink(temp.constData());
        return rc;
    }

    struct stat st;
    if (::stat(target.constData(), &st) == 0) {
        file.signature = Signature::of(st);
        ::clock_gettime(CLOCK_REALTIME, &file.loadedAt);
        file.bytes = bytes;
        file.document = document;
        file.error = 0;
        file.loaded = true;
    } else {
        file.loaded = false;
    }
    return 0;
}

int RegistryStore::modify(Hive hive, const Change &change)
{
    HiveFile &file = fileOf(hive);
    if (!file.writable)
        return EACCES;
    if (const int rc = makePath(QFileInfo(file.path).absolutePath()))
        return rc;
    FileDescriptor lock(::open(nativePath(file.lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (lock.get() < 0)
        return errno;
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return errno;
    }
    // Another process may have written since our last look.
    if (const int rc = load(file, true))
        return rc;
    Document document = file.document;
    bool changed = false;
    if (const int rc = change(document, changed))
        return rc;
    return changed ? writeFile(file, document) : 0;
}

int RegistryStore::openKey(Hive hive, const QString &keyPath, Access access, bool create)
{
    const QString path = normalizedPath(keyPath);
    if (!validKeyPath(path))
        return EINVAL;
    HiveFile &file = fileOf(hive);
    if (const int rc = load(file, false))
        return rc;
    const QString root = rootOf(hive);
    if (keyExists(file.document, root, path))
        return access == Access::Write ? probeWritable(file) : 0;
    if (!create)
        return ENOENT;
    return modify(hive, [&](Document &document, bool &changed) {
        if (!keyExists(document, root, path)) {
            document.keys.append({root, path, {}});
            changed = true;
        }
        return 0;
    });
}

int RegistryStore::queryValue(Hive hive, const QString &keyPath, const QString &valueName, Value &value)
{
    const QString path = normalizedPath(keyPath);
    if (!validKeyPath(path))
        return EINVAL;
    HiveFile &file = fileOf(hive);
    if (const int rc = load(file, false))
        return rc;
    const qsizetype key = findKey(file.document, rootOf(hive), path);
    if (key < 0)
        return ENOENT; // a key that exists only as a parent holds no values
    const qsizetype entry = findEntry(file.document.keys.at(key), valueName);
    if (entry < 0)
        return ENOENT;
    value = file.document.keys.at(key).entries.at(entry).value;
    return 0;
}

int RegistryStore::setValue(Hive hive, const QString &keyPath, const QString &valueName, const Value &value)
{
    const QString path = normalizedPath(keyPath);
    if (!validKeyPath(path) || !validName(valueName))
        return EINVAL;
    const QString root = rootOf(hive);
    return modify(hive, [&](Document &document, bool &changed) {
        qsizetype key = findKey(document, root, path);
        if (key < 0) {
            document.keys.append({root, path, {}});
            key = document.keys.size() - 1;
        }
        // The value already stored: the hive is not rewritten, which would cost a flush to disk
        // (the start-up stores the same screen values at every start).
        const qsizetype entry = findEntry(document.keys.at(key), valueName);
        changed = entry < 0 || !(document.keys.at(key).entries.at(entry).value == value);
        if (changed)
            putEntry(document.keys[key], valueName, value);
        return 0;
    });
}

int RegistryStore::deleteValue(Hive hive, const QString &keyPath, const QString &valueName)
{
    const QString path = normalizedPath(keyPath);
    const QString root = rootOf(hive);
    return modify(hive, [&](Document &document, bool &changed) {
        const qsizetype key = findKey(document, root, path);
        const qsizetype entry = key < 0 ? -1 : findEntry(document.keys.at(key), valueName);
        if (entry < 0)
            return ENOENT;
        document.keys[key].entries.removeAt(entry);
        changed = true;
        return 0;
    });
}

int RegistryStore::deleteKey(Hive hive, const QString &keyPath)
{
    const QString path = normalizedPath(keyPath);
    if (path.isEmpty())
        return EINVAL; // the hive's root stays
    const QString root = rootOf(hive);
    return modify(hive, [&](Document &document, bool &changed) {
        changed = removeKey(document, root, path) > 0;
        return changed ? 0 : ENOENT;
    });
}

int RegistryStore::valueNames(Hive hive, const QString &keyPath, QStringList &names)
{
    names.clear();
    const QString path = normalizedPath(keyPath);
    HiveFile &file = fileOf(hive);
    if (const int rc = load(file, false))
        return rc;
    const QString root = rootOf(hive);
    if (!keyExists(file.document, root, path))
        return ENOENT;
    const qsizetype key = findKey(file.document, root, path);
    if (key >= 0) {
        for (const Entry &entry : file.document.keys.at(key).entries)
            names.append(entry.name);
    }
    return 0;
}

int RegistryStore::subKeyNames(Hive hive, const QString &keyPath, QStringList &names)
{
    names.clear();
    const QString path = normalizedPath(keyPath);
    HiveFile &file = fileOf(hive);
    if (const int rc = load(file, false))
        return rc;
    const QString root = rootOf(hive);
    if (!keyExists(file.document, root, path))
        return ENOENT;
    for (const Key &key : file.document.keys) {
        if (!sameName(key.root, root) || !isBelow(key.path, path))
            continue;
        const QString rest = path.isEmpty() ? key.path : key.path.mid(path.size() + 1);
        const QString name = rest.section(u'\\', 0, 0);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return 0;
}
