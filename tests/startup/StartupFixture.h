#pragma once

#include "ScriptedMessages.h"
#include "platform/MessageDialog.h"
#include "platform/RegistryStore.h"
#include "session/Workstation.h"
#include "startup/StartupSequence.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// A test installation for whole start-ups in this process (shipped texts, both hives, a SQLite
// database made by ostrelle-db) and an environment whose every outside answer is the test's.
class StartupTest : public ::testing::Test
{
public:
    struct Box
    {
        QString text;
        DialogStyle style;
        QString title;
        QStringList buttons;
    };

    // Made once per test program: the required rows only, or the demo hotel (no history).
    static QString templateDatabase(bool demoHotel = false);

    void SetUp() override;
    void TearDown() override;

    StartupEnvironment environment(const QString &commandLine = QString());
    // A fresh workstation on this installation, its start-up run with the environment.
    StartupResult run(const QString &commandLine = QString());
    StartupResult run(StartupEnvironment env);

    // The start-up log without its header, one entry per line.
    QStringList logLines() const;
    void useDemoHotel();
    void setMachineValue(const QString &name, const RegistryStore::Value &value,
                         const QString &key = QStringLiteral("Software\\Veltrix\\Ostrelle\\Settings"));
    RegistryStore::Value userValue(const QString &name,
                                   const QString &key = QStringLiteral("Software\\Veltrix\\Ostrelle\\Settings")) const;

    void changeParameter(const QString &key, const QString *value); // null removes the row
    // Gives the installation's own files (the client's among them) this version.
    void stampInstallation(const QString &version, const QString &folder = QString());
    void registerComponent(const QString &file, const QString &directory);

    QTemporaryDir m_dir;
    QString m_programDir;
    QString m_database;
    RegistryStore::Paths m_hives;
    QString m_instanceName;
    ClientSemaphore::Names m_semaphore;
    std::vector<Box> m_boxes;
    QStringList m_processes; // the programs run, each with its arguments
    QStringList m_restarts;

    std::unique_ptr<Workstation> m_ws;
    std::unique_ptr<StartupSequence> m_startup;
    int m_logons = 0;
    QString m_logonPassword;
    QString m_logonUser;
    ClientSemaphore m_otherClient; // another client of the lock system, when a test starts one
};

// The text a message box of the start-up shows, for expectations.
QString Texts(int16_t number);
