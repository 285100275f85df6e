#pragma once

#include "platform/RegistryStore.h"

#include <QString>

#include <cstdint>

class clsLog;

// Registry error numbers kept as the last failure.
namespace RegistryError {
constexpr int32_t ReadStringMissing = 0x4000;
constexpr int32_t WriteStringFailed = 0x4010;
constexpr int32_t ReadLongMissing = 0x4020;
constexpr int32_t ReadLongWrongType = 0x4021;
constexpr int32_t WriteLongFailed = 0x4030;
constexpr int32_t ClassNotRegistered = 0x4050;
} // namespace RegistryError

inline const QString kSettingsKey = QStringLiteral("Software\\Veltrix\\Ostrelle\\Settings");

// The registry module: two-hive reads (current user first, then local machine), writes to the
// local machine then the current user, every failed access logged to the registry log.
// Never throws; every operation returns true on success.
class Registry
{
public:
    Registry(RegistryStore &store, clsLog &registryLog);

    bool ReadString(const QString &valueName, QString &value, const QString &keyPath = kSettingsKey);
    bool ReadLong(const QString &valueName, int32_t &value, const QString &keyPath = kSettingsKey);
    bool WriteString(const QString &valueName, const QString &value, const QString &keyPath = kSettingsKey);
    bool WriteLong(const QString &valueName, int32_t value, const QString &keyPath = kSettingsKey);

    // Access tests on the settings key; each creates the key when it is missing.
    bool CanReadLocalMachine();
    bool CanWriteLocalMachine();
    bool CanReadCurrentUser();
    bool CanWriteCurrentUser();

    bool RegisteredServerDirectory(const QString &classId, QString &directory, bool localServer);

    // Creates the registry log (deleting an old one) and writes its header.
    void OpenRegistryLog(const QString &fileName);

    int32_t lastError() const { return m_lastError; }
    int32_t lastSystemCode() const { return m_lastSystemCode; }

    RegistryStore &store() { return m_store; }

private:
    bool writeBoth(const char *operation, const QString &keyPath, const QString &valueName,
                   const RegistryStore::Value &value, int32_t error);
    void fail(int32_t error, int32_t systemCode);
    void logFailure(const char *prefix, const QString &keyPath, const QString &valueName, int32_t systemCode);

    RegistryStore &m_store;
    clsLog &m_log;
    int32_t m_lastError = 0;
    int32_t m_lastSystemCode = 0;
};

// The operating system's text for an error code, up to its first line break, trimmed.
QString SystemErrorText(int32_t systemCode);
