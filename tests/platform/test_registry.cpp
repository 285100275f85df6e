#include "TestFiles.h"
#include "platform/Registry.h"
#include "support/TempHives.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>
#include <optional>

namespace {

using Value = RegistryStore::Value;

const QString kMissing = QStringLiteral("0x2 (No such file or directory)");
const QString kWrongType = QStringLiteral("0x2A (No message of desired type)");
const QString kTooLong = QStringLiteral("0x4B (Value too large for defined data type)");
const QString kDenied = QStringLiteral("0xD (Permission denied)");

// One registry-log line for a value under the settings key.
QString logLine(const char *operation, const char *hive, const QString &valueName, const QString &outcome)
{
    return QString::fromLatin1(operation) + QStringLiteral(" '") + QString::fromLatin1(hive) +
           QStringLiteral("\\Software\\Veltrix\\Ostrelle\\Settings, ") + valueName + QStringLiteral("' returned ") +
           outcome;
}

struct ReadCase
{
    const char *name;
    std::optional<Value> user;
    std::optional<Value> machine;
    bool ok;
    QString expected; // the text read, or the number in decimal
    int32_t error;
    int32_t systemCode;
    QStringList log;
};

void setUp(TempHives &hives, const ReadCase &c, const QString &valueName)
{
    // The user's key exists in every case, so a miss there is a missing value, not a missing key.
    hives.setUser(QStringLiteral("sUnrelated"), Value::string("x"));
    if (c.user)
        hives.setUser(valueName, *c.user);
    if (c.machine)
        hives.setMachine(valueName, *c.machine);
}

TEST(Registry, ReadStringLooksAtTheUserThenTheMachine)
{
    const QString name = QStringLiteral("sServer");
    const QString longest(1024, u'x');
    const auto hkcu = [&](const QString &outcome) { return logLine("ReadString", "HKCU", name, outcome); };
    const auto hklm = [&](const QString &outcome) { return logLine("ReadString", "HKLM", name, outcome); };
    const auto text = [](const QString &t) { return Value::string(t); };
    const int32_t missing = RegistryError::ReadStringMissing;
    // clang-format off
    const ReadCase cases[] = {
        {"user only", text("desk"), {}, true, "desk", 0, 0, {}},
        {"both: the user's wins", text("desk"), text("server"), true, "desk", 0, 0, {}},
        {"machine only, the user's miss is logged", {}, text("server"), true, "server", 0, 0, {hkcu(kMissing)}},
        {"neither", {}, {}, false, "", missing, ENOENT, {hkcu(kMissing), hklm(kMissing)}},
        {"an empty text is a value", text(""), text("server"), true, "", 0, 0, {}},
        {"trailing NUL is cut", text(QStringLiteral("C:\\APP") + QChar(0)), {}, true, "C:\\APP", 0, 0, {}},
        {"expandable text reads unexpanded", Value::other("hex(2):25,00,41,00,25,00,00,00"), {}, true, "%A%", 0, 0, {}},
        {"1024 characters fit the buffer", text(longest), {}, true, longest, 0, 0, {}},
        {"a number, the machine not asked", Value::dword(7), text("server"), false, "", missing, ENOMSG,
         {hkcu(kWrongType)}},
        {"over the buffer", text(longest + u'x'), text("server"), false, "", missing, EOVERFLOW, {hkcu(kTooLong)}},
    };
    // clang-format on
    for (const ReadCase &c : cases) {
        TempHives hives;
        setUp(hives, c, name);
        QString value = QStringLiteral("stale");
        EXPECT_EQ(hives.registry.ReadString(name, value), c.ok) << c.name;
        EXPECT_EQ(value, c.expected) << c.name;
        EXPECT_EQ(hives.registry.lastError(), c.error) << c.name;
        EXPECT_EQ(hives.registry.lastSystemCode(), c.systemCode) << c.name;
        EXPECT_EQ(hives.registryLogLines(), c.log) << c.name;
    }
}

TEST(Registry, ReadLongNeedsANumber)
{
    const QString name = QStringLiteral("nEncoderID");
    const auto hkcu = [&](const QString &outcome) { return logLine("ReadLong", "HKCU", name, outcome); };
    const auto hklm = [&](const QString &outcome) { return logLine("ReadLong", "HKLM", name, outcome); };
    const int32_t missing = RegistryError::ReadLongMissing, wrongType = RegistryError::ReadLongWrongType;
    // clang-format off
    const ReadCase cases[] = {
        {"user's negative number", Value::dword(0xffffffd6), Value::dword(1), true, "-42", 0, 0, {}},
        {"machine only", {}, Value::dword(42), true, "42", 0, 0, {hkcu(kMissing)}},
        {"neither", {}, {}, false, "0", missing, ENOENT, {hkcu(kMissing), hklm(kMissing)}},
        {"a string holding a number", Value::string("42"), Value::dword(1), false, "0", wrongType, ENOMSG,
         {hkcu(kWrongType)}},
        {"the machine's string", {}, Value::string("42"), false, "0", wrongType, ENOMSG, {hkcu(kMissing),
         hklm(kWrongType)}},
        {"binary data", Value::other("hex:2a,00,00,00"), {}, false, "0", wrongType, ENOMSG, {hkcu(kWrongType)}},
    };
    // clang-format on
    for (const ReadCase &c : cases) {
        TempHives hives;
        setUp(hives, c, name);
        int32_t value = 0;
        EXPECT_EQ(hives.registry.ReadLong(name, value), c.ok) << c.name;
        EXPECT_EQ(QString::number(value), c.expected) << c.name;
        EXPECT_EQ(hives.registry.lastError(), c.error) << c.name;
        EXPECT_EQ(hives.registry.lastSystemCode(), c.systemCode) << c.name;
        EXPECT_EQ(hives.registryLogLines(), c.log) << c.name;
    }
}

TEST(Registry, WritesGoToTheMachineThenTheUserWhoseOutcomeCounts)
{
    struct Case
    {
        const char *name;
        bool machineWritable;
        bool userWritable;
        bool ok;
        bool logMachine;
        bool logUser;
    };
    const Case cases[] = {
        {"both writable", true, true, true, false, false},
        {"no rights on the machine", false, true, true, true, false},
        {"the user's hive fails", true, false, false, false, true},
        {"both fail", false, false, false, true, true},
    };
    for (const Case &c : cases) {
        for (const bool asString : {true, false}) {
            const std::string what = std::string(c.name) + (asString ? " (WriteString)" : " (WriteLong)");
            TempHives hives;
            if (!c.machineWritable)
                hives.makeMachineHiveUnwritable();
            hives.store.setWritable(RegistryStore::Hive::CurrentUser, c.userWritable);

            const QString name = asString ? QStringLiteral("sServer") : QStringLiteral("nEncoderID");
            const Value expected = asString ? Value::string("desk-1") : Value::dword(static_cast<uint32_t>(-5));
            const bool ok = asString ? hives.registry.WriteString(name, QStringLiteral("desk-1"))
                                     : hives.registry.WriteLong(name, -5);
            EXPECT_EQ(ok, c.ok) << what;

            const char *operation = asString ? "WriteString" : "WriteLong";
            QStringList log;
            if (c.logMachine)
                log << logLine(operation, "HKLM", name, kDenied);
            if (c.logUser)
                log << logLine(operation, "HKCU", name, kDenied);
            EXPECT_EQ(hives.registryLogLines(), log) << what;

            const int32_t error = asString ? RegistryError::WriteStringFailed : RegistryError::WriteLongFailed;
            EXPECT_EQ(hives.registry.lastError(), c.ok ? 0 : error) << what;
            EXPECT_EQ(hives.registry.lastSystemCode(), c.ok ? 0 : EACCES) << what;

            for (const auto &[hive, written] : {std::pair(RegistryStore::Hive::LocalMachine, c.machineWritable),
                                                std::pair(RegistryStore::Hive::CurrentUser, c.userWritable)}) {
                Value stored;
                const int rc = hives.store.queryValue(hive, kSettingsKey, name, stored);
                EXPECT_EQ(rc, written ? 0 : ENOENT) << what;
                if (written) {
                    EXPECT_EQ(stored, expected) << what;
                }
            }
        }
    }
}

TEST(Registry, AMachineHiveTheFileSystemRefusesOnlyCostsALogLine)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("etc")), QByteArray());
    RegistryStore store(dir.filePath(QStringLiteral("hkcu.reg")), dir.filePath(QStringLiteral("etc/veltrix/hklm.reg")));
    clsLog log;
    Registry registry(store, log);
    registry.OpenRegistryLog(dir.filePath(QStringLiteral("registry.log")));

    EXPECT_TRUE(registry.WriteLong(QStringLiteral("nPort"), 80));
    int32_t port = 0;
    EXPECT_TRUE(registry.ReadLong(QStringLiteral("nPort"), port));
    EXPECT_EQ(port, 80);
    EXPECT_FALSE(registry.CanReadLocalMachine());
    EXPECT_FALSE(registry.CanWriteLocalMachine());
    EXPECT_TRUE(registry.CanReadCurrentUser());
    EXPECT_TRUE(registry.CanWriteCurrentUser());
    EXPECT_TRUE(readFile(dir.filePath(QStringLiteral("registry.log")))
                    .endsWith("\r\n\r\n" + logLine("WriteLong", "HKLM", QStringLiteral("nPort"),
                                                   QStringLiteral("0x14 (Not a directory)"))
                                               .toLocal8Bit()));
}

TEST(Registry, AccessTestsOpenOrCreateTheSettingsKey)
{
    struct Case
    {
        const char *name;
        bool machineWritable;
        bool machineKeyExists;
        bool canRead;
        bool canWrite;
    };
    const Case cases[] = {
        {"administrator", true, false, true, true},
        {"user, key installed", false, true, true, false},
        {"user, nothing installed", false, false, false, false},
    };
    for (const Case &c : cases) {
        TempHives hives;
        if (c.machineKeyExists)
            hives.setMachine(QStringLiteral("nEncoderID"), Value::dword(1));
        if (!c.machineWritable)
            hives.makeMachineHiveUnwritable();
        EXPECT_EQ(hives.registry.CanReadLocalMachine(), c.canRead) << c.name;
        EXPECT_EQ(hives.registry.CanWriteLocalMachine(), c.canWrite) << c.name;
        EXPECT_TRUE(hives.registry.CanReadCurrentUser()) << c.name;
        EXPECT_TRUE(hives.registry.CanWriteCurrentUser()) << c.name;
        // The current user's key was missing and is there now.
        EXPECT_TRUE(
            readFile(hives.currentUserFile).contains("[HKEY_CURRENT_USER\\Software\\Veltrix\\Ostrelle\\Settings]"))
            << c.name;
        EXPECT_EQ(hives.registryLogLines(), QStringList()) << c.name;
    }
}

TEST(Registry, RegisteredServerDirectoryIsThePathUpToItsLastBackslash)
{
    struct Case
    {
        const char *name;
        const char *registeredAs; // "local", "inproc" or nullptr
        QString server;
        const char *askedId;
        bool askLocal;
        bool ok;
        const char *directory;
    };
    const Case cases[] = {
        {"local server", "local", "C:\\APP\\X.EXE", "{C1}", true, true, "C:\\APP"},
        {"in-process server", "inproc", "C:\\APP\\LIB\\Y.DLL", "{C1}", false, true, "C:\\APP\\LIB"},
        {"no directory", "local", "X.EXE", "{C1}", true, true, "X.EXE"},
        {"trailing NUL", "local", QStringLiteral("C:\\APP\\X.EXE") + QChar(0), "{C1}", true, true, "C:\\APP"},
        {"class id without case", "local", "C:\\APP\\X.EXE", "{c1}", true, true, "C:\\APP"},
        {"registered the other way", "inproc", "C:\\APP\\Y.DLL", "{C1}", true, false, ""},
        {"not registered", nullptr, "", "{C1}", true, false, ""},
    };
    for (const Case &c : cases) {
        TempHives hives;
        if (c.registeredAs)
            hives.registerClass(QStringLiteral("{C1}"), c.server, QByteArray(c.registeredAs) == "local");
        QString directory = QStringLiteral("stale");
        EXPECT_EQ(hives.registry.RegisteredServerDirectory(QString::fromLatin1(c.askedId), directory, c.askLocal), c.ok)
            << c.name;
        EXPECT_EQ(directory, QString::fromLatin1(c.directory)) << c.name;
        EXPECT_EQ(hives.registry.lastError(), c.ok ? 0 : RegistryError::ClassNotRegistered) << c.name;
        EXPECT_EQ(hives.registry.lastSystemCode(), c.ok ? 0 : ENOENT) << c.name;
    }
}

TEST(Registry, TheLastFailureStaysUntilTheNextOne)
{
    TempHives hives;
    hives.setUser(QStringLiteral("sServer"), Value::string("desk"));
    int32_t number = 0;
    QString text;
    EXPECT_FALSE(hives.registry.ReadLong(QStringLiteral("nMissing"), number));
    EXPECT_TRUE(hives.registry.ReadString(QStringLiteral("sServer"), text));
    EXPECT_EQ(hives.registry.lastError(), RegistryError::ReadLongMissing);
    EXPECT_FALSE(hives.registry.ReadLong(QStringLiteral("sServer"), number));
    EXPECT_EQ(hives.registry.lastError(), RegistryError::ReadLongWrongType);
    EXPECT_EQ(hives.registry.lastSystemCode(), ENOMSG);
}

TEST(Registry, RegistryLogStartsWithItsHeaderAndAnEmptyLine)
{
    TempHives hives;
    writeFile(hives.registryLogFile, QByteArray(500, 'o'));

    const QLocale system = QLocale::system();
    const QString before = system.toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    hives.registry.OpenRegistryLog(hives.registryLogFile);
    const QString after = system.toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    QString value;
    hives.registry.ReadString(QStringLiteral("sMissing"), value);

    const QString version =
        QStringLiteral("%1.%2.%3").arg(OSTRELLE_VERSION_MAJOR).arg(OSTRELLE_VERSION_MINOR).arg(OSTRELLE_VERSION_PATCH);
    const QString body = QStringLiteral("\r\n\r\n") + logLine("ReadString", "HKCU", "sMissing", kMissing) +
                         QStringLiteral("\r\n") + logLine("ReadString", "HKLM", "sMissing", kMissing);
    auto expected = [&](const QString &created) {
        return (QStringLiteral("// Halden client version ") + version +
                QStringLiteral("\r\n// Registry logfile\r\n// Created: ") + created + body)
            .toLocal8Bit();
    };
    const QByteArray bytes = readFile(hives.registryLogFile);
    EXPECT_TRUE(bytes == expected(before) || bytes == expected(after)) << bytes.toStdString();
}

TEST(Registry, SystemErrorTextIsTheFirstLineOfTheSystemsMessage)
{
    const std::pair<int32_t, const char *> cases[] = {
        {ENOENT, "No such file or directory"},
        {EACCES, "Permission denied"},
        {0, "Success"},
        {987654, ""},
    };
    for (const auto &[code, text] : cases)
        EXPECT_EQ(SystemErrorText(code), QString::fromLatin1(text)) << code;
}

} // namespace
