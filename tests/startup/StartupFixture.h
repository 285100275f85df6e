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

// A test installation for whole start-ups in this process: a program folder with the shipped text
// library, both registry hives naming a SQLite database made by ostrelle-db, and an environment
// whose every outside answer is the test's: message boxes are recorded (and answered with the
// first button), the logon is answered, the main frame is a plain window.
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

    // The database every installation starts from, made once per test program: the required rows
    // only, or the demo hotel with its operators (no history).
    static QString templateDatabase(bool demoHotel = false);

    // The fixture's state is open to the tables of cases that prepare an installation.
    void SetUp() override;
    void TearDown() override;

    // The environment a start gets; tests change it before run().
    StartupEnvironment environment(const QString &commandLine = QString());
    // A fresh workstation on this installation, its start-up run with the environment.
    StartupResult run(const QString &commandLine = QString());
    StartupResult run(StartupEnvironment env);

    // The start-up log without its header, one entry per line; the header is checked on the way.
    QStringList logLines() const;
    QString lastLogLine() const { return logLines().value(logLines().size() - 1); }

    // Replaces the installation's database by a copy of the demo hotel.
    void useDemoHotel();

    // Registry values as an installer would have left them.
    void setMachineValue(const QString &name, const RegistryStore::Value &value,
                         const QString &key = QStringLiteral("Software\\Veltrix\\Ostrelle\\Settings"));
    RegistryStore::Value userValue(const QString &name,
                                   const QString &key = QStringLiteral("Software\\Veltrix\\Ostrelle\\Settings")) const;

    // Runs SQL of the component's own on the installation's database (changes the test needs).
    void changeParameter(const QString &key, const QString *value); // null removes the row

    QTemporaryDir m_dir;
    QString m_programDir;
    QString m_database;
    RegistryStore::Paths m_hives;
    QString m_instanceName;
    ClientSemaphore::Names m_semaphore;
    std::vector<Box> m_boxes;
    ScriptedMessages *m_messages = nullptr; // the numbered messages of the workstation started last

    std::unique_ptr<Workstation> m_ws;
    std::unique_ptr<StartupSequence> m_startup;
    int m_logons = 0;
    QString m_logonPassword;
    QString m_logonUser;
    ClientSemaphore m_otherClient; // another client of the lock system, when a test starts one
};

// The text a message box of the start-up shows, for expectations.
QString Texts(int16_t number);
