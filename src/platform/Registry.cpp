#include "platform/Registry.h"

#include "platform/RegistryStore.h"
#include "platform/clsLog.h"

#include <QDateTime>
#include <QLocale>

#include <cerrno>
#include <cstring>

namespace {

using Hive = RegistryStore::Hive;

// Windows reads values into a buffer of 1024 characters and refuses data that does not fit
// (ERROR_MORE_DATA) rather than cutting it; a cut path or server name would only fail later
// and less clearly. So longer data fails with EOVERFLOW, and 1024 characters still fit, since
// our strings are stored without a terminating NUL.
constexpr qsizetype kReadBufferChars = 1024;

// A value that is there but of another type than asked (Windows: ERROR_UNSUPPORTED_TYPE).
constexpr int kWrongType = ENOMSG;
constexpr int kTooLong = EOVERFLOW;

// Found, but not usable: the other hive is not asked.
bool foundButUnusable(int rc)
{
    return rc == kWrongType || rc == kTooLong;
}

int readText(RegistryStore &store, Hive hive, const QString &keyPath, const QString &valueName, QString &text)
{
    RegistryStore::Value value;
    if (const int rc = store.queryValue(hive, keyPath, valueName, value))
        return rc;
    const std::optional<QString> data = value.textData();
    if (!data)
        return kWrongType;
    if (data->size() > kReadBufferChars)
        return kTooLong;
    text = *data;
    if (text.endsWith(QChar(u'\0')))
        text.chop(1);
    return 0;
}

int readNumber(RegistryStore &store, Hive hive, const QString &keyPath, const QString &valueName, int32_t &number)
{
    RegistryStore::Value value;
    if (const int rc = store.queryValue(hive, keyPath, valueName, value))
        return rc;
    if (value.type != RegistryStore::ValueType::DWord)
        return kWrongType;
    number = static_cast<int32_t>(value.number);
    return 0;
}

int writeValue(RegistryStore &store, Hive hive, const QString &keyPath, const QString &valueName,
               const RegistryStore::Value &value)
{
    int rc = store.openKey(hive, keyPath, RegistryStore::Access::Write, true);
    if (rc == 0)
        rc = store.setValue(hive, keyPath, valueName, value);
    return rc;
}

} // namespace

Registry::Registry(RegistryStore &store, clsLog &registryLog) : m_store(store), m_log(registryLog) {}

bool Registry::ReadString(const QString &valueName, QString &value, const QString &keyPath)
{
    value.clear();
    QString text;
    int rc = readText(m_store, Hive::CurrentUser, keyPath, valueName, text);
    if (rc != 0) {
        logFailure("ReadString 'HKCU\\", keyPath, valueName, rc);
        if (!foundButUnusable(rc)) {
            rc = readText(m_store, Hive::LocalMachine, keyPath, valueName, text);
            if (rc != 0)
                logFailure("ReadString 'HKLM\\", keyPath, valueName, rc);
        }
    }
    if (rc != 0) {
        fail(RegistryError::ReadStringMissing, rc);
        return false;
    }
    value = text;
    return true;
}

bool Registry::ReadLong(const QString &valueName, int32_t &value, const QString &keyPath)
{
    int32_t number = 0;
    int rc = readNumber(m_store, Hive::CurrentUser, keyPath, valueName, number);
    if (rc != 0) {
        logFailure("ReadLong 'HKCU\\", keyPath, valueName, rc);
        if (!foundButUnusable(rc)) {
            rc = readNumber(m_store, Hive::LocalMachine, keyPath, valueName, number);
            if (rc != 0)
                logFailure("ReadLong 'HKLM\\", keyPath, valueName, rc);
        }
    }
    if (rc != 0) {
        fail(rc == kWrongType ? RegistryError::ReadLongWrongType : RegistryError::ReadLongMissing, rc);
        return false;
    }
    value = number;
    return true;
}

bool Registry::WriteString(const QString &valueName, const QString &value, const QString &keyPath)
{
    return writeBoth("WriteString", keyPath, valueName, RegistryStore::Value::string(value),
                     RegistryError::WriteStringFailed);
}

bool Registry::WriteLong(const QString &valueName, int32_t value, const QString &keyPath)
{
    return writeBoth("WriteLong", keyPath, valueName, RegistryStore::Value::dword(static_cast<uint32_t>(value)),
                     RegistryError::WriteLongFailed);
}

bool Registry::writeBoth(const char *operation, const QString &keyPath, const QString &valueName,
                         const RegistryStore::Value &value, int32_t error)
{
    // Most users may not change the machine's keys; their own copy is what counts.
    const QByteArray name(operation);
    int rc = writeValue(m_store, Hive::LocalMachine, keyPath, valueName, value);
    if (rc != 0)
        logFailure((name + " 'HKLM\\").constData(), keyPath, valueName, rc);
    rc = writeValue(m_store, Hive::CurrentUser, keyPath, valueName, value);
    if (rc == 0)
        return true;
    logFailure((name + " 'HKCU\\").constData(), keyPath, valueName, rc);
    fail(error, rc);
    return false;
}

bool Registry::CanReadLocalMachine()
{
    return m_store.openKey(Hive::LocalMachine, kSettingsKey, RegistryStore::Access::Read, true) == 0;
}

bool Registry::CanWriteLocalMachine()
{
    return m_store.openKey(Hive::LocalMachine, kSettingsKey, RegistryStore::Access::Write, true) == 0;
}

bool Registry::CanReadCurrentUser()
{
    return m_store.openKey(Hive::CurrentUser, kSettingsKey, RegistryStore::Access::Read, true) == 0;
}

bool Registry::CanWriteCurrentUser()
{
    return m_store.openKey(Hive::CurrentUser, kSettingsKey, RegistryStore::Access::Write, true) == 0;
}

bool Registry::RegisteredServerDirectory(const QString &classId, QString &directory, bool localServer)
{
    directory.clear();
    const QString keyPath = QStringLiteral("CLSID\\") + classId +
                            (localServer ? QStringLiteral("\\LocalServer32") : QStringLiteral("\\InprocServer32"));
    QString server;
    if (const int rc = readText(m_store, Hive::ClassesRoot, keyPath, QString(), server)) {
        fail(RegistryError::ClassNotRegistered, rc);
        return false;
    }
    // The installation's own servers are registered with this platform's paths.
    const qsizetype slash = qMax(server.lastIndexOf(u'\\'), server.lastIndexOf(u'/'));
    directory = slash < 0 ? server : server.left(slash);
    return true;
}

void Registry::OpenRegistryLog(const QString &fileName)
{
    m_log.Create(fileName, true);
    m_log.AddString(QStringLiteral("// Halden client version %1.%2.%3")
                        .arg(OSTRELLE_VERSION_MAJOR)
                        .arg(OSTRELLE_VERSION_MINOR)
                        .arg(OSTRELLE_VERSION_PATCH),
                    true);
    m_log.AddString(QStringLiteral("// Registry logfile"));
    const QDateTime now = QDateTime::currentDateTime();
    m_log.AddString(QStringLiteral("// Created: ") + QLocale::system().toString(now, QLocale::ShortFormat) +
                    QStringLiteral("\r\n"));
}

void Registry::fail(int32_t error, int32_t systemCode)
{
    m_lastError = error;
    m_lastSystemCode = systemCode;
}

void Registry::logFailure(const char *prefix, const QString &keyPath, const QString &valueName, int32_t systemCode)
{
    m_log.AddString(QLatin1String(prefix) + keyPath + QStringLiteral(", ") + valueName +
                    QStringLiteral("' returned 0x") + QString::number(uint32_t(systemCode), 16).toUpper() +
                    QStringLiteral(" (") + SystemErrorText(systemCode) + u')');
}

QString SystemErrorText(int32_t systemCode)
{
    // The GNU strerror_r; it names codes it does not know "Unknown error <n>".
    char buffer[512];
    const char *message = ::strerror_r(systemCode, buffer, sizeof buffer);
    if (!message || std::strncmp(message, "Unknown error", 13) == 0)
        return QString();
    QString text = QString::fromLocal8Bit(message);
    for (const QChar lineBreak : {u'\r', u'\n'}) {
        const qsizetype at = text.indexOf(lineBreak);
        if (at >= 0)
            text.truncate(at);
    }
    return text.trimmed().left(int(sizeof buffer) - 1);
}
