#pragma once

#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "platform/clsLog.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A workstation registry of its own for one test: both hive files in a temporary directory,
// the store over them, an open registry log and the Registry module on top. Link
// Ostrelle::Platform (any client library brings it).
//
//   TempHives hives;
//   hives.setMachine("nODBC", RegistryStore::Value::dword(3));
//   hives.makeMachineHiveUnwritable();          // a user without rights on the machine's keys
//   EXPECT_TRUE(hives.registry.WriteLong("nX", 1));
//   EXPECT_THAT(hives.registryLogLines(), ...);
struct TempHives
{
    QTemporaryDir dir;
    QString currentUserFile = dir.filePath(QStringLiteral("hkcu/registry.reg"));
    QString localMachineFile = dir.filePath(QStringLiteral("hklm/registry.reg"));
    QString registryLogFile = dir.filePath(QStringLiteral("registry.log"));
    RegistryStore store{currentUserFile, localMachineFile};
    // Write failures of the log fail the test; a test of those sets its own reporter.
    clsLog registryLog{[](const QString &title, const QString &text) {
        ADD_FAILURE() << "registry log failed: " << title.toStdString() << ": " << text.toStdString();
    }};
    Registry registry{store, registryLog};

    TempHives()
    {
        EXPECT_TRUE(dir.isValid());
        registry.OpenRegistryLog(registryLogFile);
    }

    // Values as an installer or an administrator would have left them.
    void setUser(const QString &name, const RegistryStore::Value &value, const QString &keyPath = kSettingsKey)
    {
        EXPECT_EQ(store.setValue(RegistryStore::Hive::CurrentUser, keyPath, name, value), 0);
    }
    void setMachine(const QString &name, const RegistryStore::Value &value, const QString &keyPath = kSettingsKey)
    {
        const bool writable = store.isWritable(RegistryStore::Hive::LocalMachine);
        store.setWritable(RegistryStore::Hive::LocalMachine, true);
        EXPECT_EQ(store.setValue(RegistryStore::Hive::LocalMachine, keyPath, name, value), 0);
        store.setWritable(RegistryStore::Hive::LocalMachine, writable);
    }
    // A class registration in HKEY_CLASSES_ROOT, e.g. registerClass("{...}", "C:\\APP\\X.EXE", true).
    void registerClass(const QString &classId, const QString &server, bool localServer)
    {
        const QString key = QStringLiteral("CLSID\\") + classId +
                            (localServer ? QStringLiteral("\\LocalServer32") : QStringLiteral("\\InprocServer32"));
        EXPECT_EQ(
            store.setValue(RegistryStore::Hive::ClassesRoot, key, QString(), RegistryStore::Value::string(server)), 0);
    }

    // The user may read the machine's keys but not change them: writes to HKEY_LOCAL_MACHINE and
    // HKEY_CLASSES_ROOT fail with EACCES, as for a workstation user on Windows. (Tests run as root,
    // where file permissions would not stop the write.)
    void makeMachineHiveUnwritable() { store.setWritable(RegistryStore::Hive::LocalMachine, false); }

    // The registry log after its header, one entry per line.
    QStringList registryLogLines() const
    {
        QFile file(registryLogFile);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n"));
        const qsizetype headerEnd = lines.indexOf(QString());
        return headerEnd < 0 ? QStringList() : lines.mid(headerEnd + 1);
    }
};
