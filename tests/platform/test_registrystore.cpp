#include "TestFiles.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Hive = RegistryStore::Hive;
using Value = RegistryStore::Value;

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n");

QByteArray utf16le(const QString &text, bool bom)
{
    QStringEncoder encoder(QStringConverter::Utf16LE,
                           bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder(text);
}

class RegistryStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString user = dir.filePath(QStringLiteral("user/registry.reg"));
    QString machine = dir.filePath(QStringLiteral("machine/registry.reg"));
};

TEST_F(RegistryStoreTest, ValuesRoundTripThroughTheFileInRegeditForm)
{
    const QString longPath =
        QStringLiteral("C:\\Program Files (x86)\\Veltrix\\Ostrelle\\Server\\SrvCards.exe") + QChar(0);
    const std::vector<std::pair<QString, Value>> values = {
        {QStringLiteral("sPlain"), Value::string(QStringLiteral("localhost"))},
        {QStringLiteral("sQuote"), Value::string(QStringLiteral("say \"hi\" to C:\\x\\"))},
        {QStringLiteral("sUmlaut"), Value::string(QStringLiteral("Grüße – 東京 🙂"))},
        {QStringLiteral("sEmpty"), Value::string(QString())},
        {QString(), Value::string(QStringLiteral("Standard"))},
        {QStringLiteral("nAnswer"), Value::dword(42)},
        {QStringLiteral("nMinus"), Value::dword(static_cast<uint32_t>(-42))},
        {QStringLiteral("sTrailingNul"), Value::string(QStringLiteral("C:\\APP") + QChar(0))},
        {QStringLiteral("sLongWithNul"), Value::string(longPath)},
        {QStringLiteral("sTwoLines"), Value::string(QStringLiteral("first\r\nsecond"))},
        {QStringLiteral("Name with \"quotes\" \\ and ü"), Value::dword(7)},
        {QStringLiteral("xExpand"), Value::other(QStringLiteral("hex(2):25,00,41,00,25,00,00,00"))},
    };
    {
        RegistryStore writer(user, machine);
        for (const auto &[name, value] : values)
            ASSERT_EQ(writer.setValue(Hive::CurrentUser, kSettingsKey, name, value), 0) << name.toStdString();
    }
    RegistryStore reader(user, machine);
    for (const auto &[name, value] : values) {
        Value read;
        ASSERT_EQ(reader.queryValue(Hive::CurrentUser, kSettingsKey, name, read), 0) << name.toStdString();
        EXPECT_EQ(read, value) << name.toStdString();
    }

    const QString text = QString::fromUtf8(readFile(user));
    EXPECT_TRUE(
        text.startsWith(kHeader + QStringLiteral("[HKEY_CURRENT_USER\\Software\\Veltrix\\Ostrelle\\Settings]\r\n")))
        << text.toStdString();
    for (const char *line : {
             R"("sPlain"="localhost")",
             R"("sQuote"="say \"hi\" to C:\\x\\")",
             "\"sUmlaut\"=\"Grüße – 東京 🙂\"",
             R"("sEmpty"="")",
             R"(@="Standard")",
             R"("nAnswer"=dword:0000002a)",
             R"("nMinus"=dword:ffffffd6)",
             R"("sTrailingNul"=hex(1):43,00,3a,00,5c,00,41,00,50,00,50,00,00,00)",
             R"("Name with \"quotes\" \\ and ü"=dword:00000007)",
             R"("xExpand"=hex(2):25,00,41,00,25,00,00,00)",
         }) {
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n") + QString::fromUtf8(line) + QStringLiteral("\r\n")))
            << line << "\nin\n"
            << text.toStdString();
    }
    // Long hex data is wrapped like regedit does it, within 80 columns.
    for (const QString &line : text.split(QStringLiteral("\r\n")))
        EXPECT_LE(line.size(), 80) << line.toStdString();
}

TEST_F(RegistryStoreTest, ReadsARegeditExportInUtf16)
{
    writeFile(user, readFile(qEnvironmentVariable("OSTRELLE_SOURCE_DIR") +
                             QStringLiteral("/tests/platform/fixtures/regedit-export.reg")));
    ASSERT_TRUE(readFile(user).startsWith("\xFF\xFEW\0i\0"));
    RegistryStore store(user, machine);

    struct Expected
    {
        const char *name;
        Value value;
    };
    const Expected expected[] = {
        {"ODBC Source", Value::string(QStringLiteral("sqlite:C:\\Hotel\\locks.db"))},
        {"Server", Value::string(QString())},
        {"nEncoderID", Value::dword(42)},
        {"nOffset", Value::dword(0xfffffffe)},
        {"sTitle", Value::string(QStringLiteral("Rezeption \"Süd\" – 東京"))},
        {"bKey", Value::other(QStringLiteral("hex:01,02,03,04"))},
        {"", Value::string(QStringLiteral("Ostrelle"))},
    };
    auto check = [&](RegistryStore &s) {
        for (const Expected &e : expected) {
            Value value;
            ASSERT_EQ(s.queryValue(Hive::CurrentUser, kSettingsKey, QString::fromUtf8(e.name), value), 0) << e.name;
            EXPECT_EQ(value, e.value) << e.name;
        }
        Value expand;
        ASSERT_EQ(s.queryValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("sInstallDir"), expand), 0);
        EXPECT_EQ(expand.type, RegistryStore::ValueType::Other);
        EXPECT_EQ(expand.textData(), QStringLiteral("%PROGRAMFILES%\\Veltrix") + QChar(0));
        Value width;
        ASSERT_EQ(
            s.queryValue(Hive::CurrentUser, kSettingsKey + QStringLiteral("\\dlgLog"), QStringLiteral("Width"), width),
            0);
        EXPECT_EQ(width, Value::dword(5640));
    };
    check(store);

    // Rewriting the hive (now as UTF-8) keeps every value, binary and expandable ones included.
    ASSERT_EQ(store.setValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("nNew"), Value::dword(1)), 0);
    EXPECT_TRUE(readFile(user).startsWith(kHeader.toUtf8()));
    RegistryStore reread(user, machine);
    check(reread);
}

TEST_F(RegistryStoreTest, EveryEncodingAndLineEndReadsTheSame)
{
    const QString lf = QStringLiteral("Windows Registry Editor Version 5.00\n\n"
                                      "[HKEY_CURRENT_USER\\Software\\Veltrix\\Ostrelle\\Settings]\n"
                                      "\"sCity\"=\"Zürich\"\n\"nPort\"=dword:00000050\n");
    QString crlf = lf;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    QString old = lf;
    old.replace(QStringLiteral("Windows Registry Editor Version 5.00"), QStringLiteral("REGEDIT4"));

    const std::pair<const char *, QByteArray> files[] = {
        {"UTF-8", lf.toUtf8()},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + crlf.toUtf8()},
        {"UTF-16LE with BOM", utf16le(crlf, true)},
        {"UTF-16LE without BOM", utf16le(crlf, false)},
        {"REGEDIT4 in Latin-1", old.toLatin1()},
    };
    for (const auto &[name, bytes] : files) {
        writeFile(user, bytes);
        RegistryStore store(user, machine);
        Value city;
        Value port;
        EXPECT_EQ(store.queryValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("sCity"), city), 0) << name;
        EXPECT_EQ(store.queryValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("nPort"), port), 0) << name;
        EXPECT_EQ(city, Value::string(QStringLiteral("Zürich"))) << name;
        EXPECT_EQ(port, Value::dword(80)) << name;
    }
}

TEST_F(RegistryStoreTest, ParsesTheRulesOfTheFormat)
{
    struct Case
    {
        const char *name;
        const char *body; // after the header
        const char *key;
        const char *value;
        int rc;
        Value expected;
    };
    const Case cases[] = {
        {"abbreviated root", "[HKCU\\Software\\A]\n\"x\"=\"1\"", "Software\\A", "x", 0, Value::string("1")},
        {"comments are skipped", "[HKEY_CURRENT_USER\\A]\n; \"x\"=\"no\"\n\"x\"=\"yes\"", "A", "x", 0,
         Value::string("yes")},
        {"a later line wins", "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"X\"=\"2\"", "A", "x", 0, Value::string("2")},
        {"sections of one key merge",
         "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n[HKEY_CURRENT_USER\\B]\n"
         "[HKEY_CURRENT_USER\\a]\n\"y\"=\"2\"",
         "A", "x", 0, Value::string("1")},
        {"removed value", "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"x\"=-", "A", "x", ENOENT, {}},
        {"removed key", "[HKEY_CURRENT_USER\\A\\B]\n\"x\"=\"1\"\n[-HKEY_CURRENT_USER\\A]", "A\\B", "x", ENOENT, {}},
        {"spaces around =", "[HKEY_CURRENT_USER\\A]\n  \"x\" = dword:0000000A  ", "A", "x", 0, Value::dword(10)},
        {"hex(4) is a number", "[HKEY_CURRENT_USER\\A]\n\"x\"=hex(4):2a,00,00,00", "A", "x", 0, Value::dword(42)},
        {"hex continued on the next line", "[HKEY_CURRENT_USER\\A]\n\"x\"=hex(1):41,00,\\\n  42,00", "A", "x", 0,
         Value::string("AB")},
        {"bad dword kept as other data", "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789", "A", "x", 0,
         Value::other("dword:123456789")},
        {"unterminated string skipped", "[HKEY_CURRENT_USER\\A]\n\"x\"=\"open", "A", "x", ENOENT, {}},
        {"values before any key skipped", "\"x\"=\"1\"\n[HKEY_CURRENT_USER\\A]", "A", "x", ENOENT, {}},
        {"other roots are not the user's", "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"", "A", "x", ENOENT, {}},
        {"a parent key holds no values", "[HKEY_CURRENT_USER\\A\\B]\n\"x\"=\"1\"", "A", "x", ENOENT, {}},
    };
    for (const Case &c : cases) {
        writeFile(user, "Windows Registry Editor Version 5.00\n\n" + QByteArray(c.body) + "\n");
        RegistryStore store(user, machine);
        Value value;
        EXPECT_EQ(store.queryValue(Hive::CurrentUser, QString::fromUtf8(c.key), QString::fromUtf8(c.value), value),
                  c.rc)
            << c.name;
        if (c.rc == 0) {
            EXPECT_EQ(value, c.expected) << c.name;
        }
    }
}

// Every write rewrites the hive from what was read, so what a file says must survive being
// written and read again.
TEST(RegistryStoreFormat, ARewriteKeepsWhatWasRead)
{
    const std::pair<const char *, QByteArray> files[] = {
        {"a surrogate without its partner",
         utf16le(kHeader + QStringLiteral("[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"a") + QChar(0xD800) +
                     QStringLiteral("b\"\r\n\"y\"=hex(1):00,dc,41,00\r\n"),
                 true)},
        {"a backslash that ends the file", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:0a,00,\\"},
        {"backslashes left after the last one", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01\\\\\r\\"},
        {"a backslash before spaces", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01\\ \\\n\n\"y\"=\"b\"\n"},
        {"a text that begins with a byte-order mark", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"\xEF\xBB\xBF\ra\"\n"},
    };
    for (const auto &[name, bytes] : files) {
        const std::optional<RegistryStore::Document> read = RegistryStore::parse(bytes);
        ASSERT_TRUE(read && read->keys.size() == 1) << name;
        const std::optional<RegistryStore::Document> again = RegistryStore::parse(RegistryStore::serialize(*read));
        ASSERT_TRUE(again && again->keys.size() == 1) << name;
        const QList<RegistryStore::Entry> &before = read->keys.at(0).entries;
        const QList<RegistryStore::Entry> &after = again->keys.at(0).entries;
        ASSERT_EQ(after.size(), before.size()) << name;
        for (qsizetype i = 0; i < before.size(); ++i)
            EXPECT_EQ(after.at(i).value, before.at(i).value) << name << " " << before.at(i).name.toStdString();
    }
}

// Every rewrite of a hive is flushed to disk; storing the value that is already there writes nothing.
TEST_F(RegistryStoreTest, StoringTheSameValueAgainLeavesTheFileAlone)
{
    RegistryStore store(user, machine);
    const auto inode = [&] {
        struct stat st;
        return ::stat(user.toLocal8Bit().constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    ASSERT_EQ(store.setValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("Width"), Value::dword(1280)), 0);
    const ino_t first = inode();
    ASSERT_NE(first, ino_t(0));
    struct Step
    {
        const char *name;
        Value value;
        bool rewritten;
    } steps[] = {
        {"Width", Value::dword(1280), false},
        {"width", Value::dword(1280), false}, // names match without case
        {"Width", Value::dword(1024), true},
        {"Width", Value::string(QStringLiteral("1024")), true}, // same digits, other type
        {"Height", Value::dword(1024), true},
    };
    ino_t last = first;
    for (const Step &step : steps) {
        ASSERT_EQ(store.setValue(Hive::CurrentUser, kSettingsKey, QString::fromLatin1(step.name), step.value), 0);
        EXPECT_EQ(inode() != last, step.rewritten) << step.name;
        last = inode();
    }
    // The hive without write access still refuses, changed or not.
    store.setWritable(Hive::CurrentUser, false);
    EXPECT_EQ(store.setValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("Height"), Value::dword(1024)), EACCES);
}

TEST_F(RegistryStoreTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling)
{
    RegistryStore store(user, machine);
    ASSERT_EQ(store.setValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("sServer"), Value::string("a")), 0);
    ASSERT_EQ(store.setValue(Hive::CurrentUser, QStringLiteral("\\SOFTWARE\\veltrix\\OSTRELLE\\settings\\"),
                             QStringLiteral("SSERVER"), Value::string("b")),
              0);
    Value value;
    ASSERT_EQ(store.queryValue(Hive::CurrentUser, QStringLiteral("software\\Veltrix\\Ostrelle\\Settings"),
                               QStringLiteral("sserver"), value),
              0);
    EXPECT_EQ(value, Value::string("b"));
    EXPECT_EQ(QString::fromUtf8(readFile(user)),
              kHeader + QStringLiteral("[HKEY_CURRENT_USER\\Software\\Veltrix\\Ostrelle\\Settings]\r\n"
                                       "\"sServer\"=\"b\"\r\n\r\n"));
}

TEST_F(RegistryStoreTest, KeysAreCreatedListedAndRemoved)
{
    RegistryStore store(user, machine);
    EXPECT_EQ(store.openKey(Hive::CurrentUser, QStringLiteral("Software\\A\\B"), RegistryStore::Access::Read, false),
              ENOENT);
    EXPECT_FALSE(QFile::exists(user)) << "a read must not create the hive";
    ASSERT_EQ(store.openKey(Hive::CurrentUser, QStringLiteral("Software\\A\\B"), RegistryStore::Access::Read, true), 0);
    ASSERT_EQ(store.setValue(Hive::CurrentUser, QStringLiteral("Software\\A\\C"), QStringLiteral("x"), Value::dword(1)),
              0);
    ASSERT_EQ(store.setValue(Hive::CurrentUser, QStringLiteral("Software\\A"), QStringLiteral("y"), Value::dword(2)),
              0);
    // Parents of a created key exist.
    EXPECT_EQ(store.openKey(Hive::CurrentUser, QStringLiteral("software"), RegistryStore::Access::Read, false), 0);

    QStringList names;
    ASSERT_EQ(store.subKeyNames(Hive::CurrentUser, QStringLiteral("Software\\A"), names), 0);
    EXPECT_EQ(names, QStringList({"B", "C"}));
    ASSERT_EQ(store.valueNames(Hive::CurrentUser, QStringLiteral("Software\\A"), names), 0);
    EXPECT_EQ(names, QStringList({"y"}));

    EXPECT_EQ(store.deleteValue(Hive::CurrentUser, QStringLiteral("Software\\A"), QStringLiteral("Y")), 0);
    EXPECT_EQ(store.deleteValue(Hive::CurrentUser, QStringLiteral("Software\\A"), QStringLiteral("y")), ENOENT);
    EXPECT_EQ(store.deleteKey(Hive::CurrentUser, QStringLiteral("Software\\A")), 0);
    EXPECT_EQ(store.openKey(Hive::CurrentUser, QStringLiteral("Software\\A\\C"), RegistryStore::Access::Read, false),
              ENOENT);
    EXPECT_EQ(store.deleteKey(Hive::CurrentUser, QStringLiteral("Software\\A")), ENOENT);
    EXPECT_EQ(store.setValue(Hive::CurrentUser, QStringLiteral("A"), QStringLiteral("bad\nname"), Value::dword(1)),
              EINVAL);
}

TEST_F(RegistryStoreTest, MachineFileHoldsTheClassesSection)
{
    RegistryStore store(user, machine);
    ASSERT_EQ(store.setValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("n"), Value::dword(1)), 0);
    ASSERT_EQ(store.setValue(Hive::ClassesRoot, QStringLiteral("CLSID\\{1}\\LocalServer32"), QString(),
                             Value::string("C:\\X.EXE")),
              0);
    const QString text = QString::fromUtf8(readFile(machine));
    EXPECT_TRUE(text.contains(QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\Veltrix\\Ostrelle\\Settings]\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("[HKEY_CLASSES_ROOT\\CLSID\\{1}\\LocalServer32]\r\n@=\"C:\\\\X.EXE\"")));
    EXPECT_FALSE(QFile::exists(user));
    Value value;
    EXPECT_EQ(store.queryValue(Hive::LocalMachine, QStringLiteral("CLSID\\{1}\\LocalServer32"), QString(), value),
              ENOENT);
}

TEST_F(RegistryStoreTest, AFileThatIsNoRegistryIsNeitherReadNorOverwritten)
{
    writeFile(user, "just some notes\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n");
    RegistryStore store(user, machine);
    Value value;
    EXPECT_EQ(store.queryValue(Hive::CurrentUser, QStringLiteral("A"), QStringLiteral("x"), value), EBADMSG);
    EXPECT_EQ(store.setValue(Hive::CurrentUser, QStringLiteral("A"), QStringLiteral("x"), Value::dword(2)), EBADMSG);
    EXPECT_EQ(readFile(user), "just some notes\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n");
}

TEST_F(RegistryStoreTest, AHiveWithoutWriteAccessRefusesChangesButReads)
{
    RegistryStore store(user, machine);
    ASSERT_EQ(store.setValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("n"), Value::dword(1)), 0);
    const QByteArray before = readFile(machine);
    store.setWritable(Hive::LocalMachine, false);

    EXPECT_EQ(store.setValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("n"), Value::dword(2)), EACCES);
    EXPECT_EQ(store.setValue(Hive::ClassesRoot, QStringLiteral("CLSID\\{1}"), QString(), Value::string("x")), EACCES);
    EXPECT_EQ(store.openKey(Hive::LocalMachine, kSettingsKey, RegistryStore::Access::Write, false), EACCES);
    EXPECT_EQ(store.openKey(Hive::LocalMachine, kSettingsKey, RegistryStore::Access::Read, false), 0);
    EXPECT_EQ(store.openKey(Hive::LocalMachine, QStringLiteral("Software\\New"), RegistryStore::Access::Read, true),
              EACCES);
    Value value;
    ASSERT_EQ(store.queryValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("n"), value), 0);
    EXPECT_EQ(value, Value::dword(1));
    EXPECT_EQ(readFile(machine), before);
    EXPECT_EQ(store.setValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("n"), Value::dword(2)), 0);
}

TEST_F(RegistryStoreTest, AMachineFileBelowAPlainFileFailsLikeTheFileSystemSays)
{
    // A real failure even for root: the hive's directory cannot be created.
    writeFile(dir.filePath(QStringLiteral("blocker")), "not a directory");
    RegistryStore store(user, dir.filePath(QStringLiteral("blocker/registry.reg")));
    Value value;
    EXPECT_EQ(store.queryValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("n"), value), ENOENT);
    EXPECT_EQ(store.setValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("n"), Value::dword(1)), ENOTDIR);
    EXPECT_EQ(store.openKey(Hive::LocalMachine, kSettingsKey, RegistryStore::Access::Read, true), ENOTDIR);
}

TEST_F(RegistryStoreTest, RewritingKeepsTheFilePermissions)
{
    RegistryStore store(user, machine);
    ASSERT_EQ(store.setValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("n"), Value::dword(1)), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(user).constData(), 0640), 0);
    ASSERT_EQ(store.setValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("n"), Value::dword(2)), 0);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(user).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(RegistryStoreTest, TwoStoresOnTheSameFilesSeeEachOthersWrites)
{
    RegistryStore first(user, machine);
    RegistryStore second(user, machine);
    Value value;
    // Same-sized writes in quick succession: the time stamp alone cannot tell them apart.
    for (uint32_t i = 1; i <= 40; ++i) {
        RegistryStore &writer = i % 2 ? first : second;
        RegistryStore &reader = i % 2 ? second : first;
        ASSERT_EQ(writer.setValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("nCounter"), Value::dword(i)), 0);
        ASSERT_EQ(reader.queryValue(Hive::CurrentUser, kSettingsKey, QStringLiteral("nCounter"), value), 0);
        ASSERT_EQ(value, Value::dword(i)) << "after write " << i;
    }
    // A write re-reads the file first, so it keeps the other store's values.
    ASSERT_EQ(first.setValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("a"), Value::dword(1)), 0);
    ASSERT_EQ(second.setValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("b"), Value::dword(2)), 0);
    EXPECT_EQ(first.queryValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("a"), value), 0);
    EXPECT_EQ(first.queryValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("b"), value), 0);
    ASSERT_EQ(second.deleteKey(Hive::LocalMachine, QStringLiteral("Software")), 0);
    EXPECT_EQ(first.queryValue(Hive::LocalMachine, kSettingsKey, QStringLiteral("a"), value), ENOENT);
}

TEST_F(RegistryStoreTest, AFileEditedInPlaceIsReadAgain)
{
    // An editor rewriting the same file: same inode, same size, often the same time stamp.
    RegistryStore store(user, machine);
    for (int i = 0; i < 20; ++i) {
        const QByteArray digit = QByteArray::number(i % 10);
        writeFile(user,
                  "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"n\"=dword:0000000" + digit + "\n");
        Value value;
        ASSERT_EQ(store.queryValue(Hive::CurrentUser, QStringLiteral("A"), QStringLiteral("n"), value), 0);
        ASSERT_EQ(value, Value::dword(uint32_t(i % 10))) << "after edit " << i;
    }
}

TEST_F(RegistryStoreTest, ConcurrentWritersInTwoProcessesLoseNothing)
{
    constexpr int kPerProcess = 30;
    std::vector<pid_t> children;
    for (const char *prefix : {"a", "b"}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            RegistryStore store(user, machine);
            int failures = 0;
            for (int i = 0; i < kPerProcess; ++i) {
                failures +=
                    store.setValue(Hive::CurrentUser, kSettingsKey, QString::fromLatin1(prefix) + QString::number(i),
                                   Value::dword(uint32_t(i))) != 0;
            }
            ::_exit(failures);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    RegistryStore store(user, machine);
    QStringList names;
    ASSERT_EQ(store.valueNames(Hive::CurrentUser, kSettingsKey, names), 0);
    EXPECT_EQ(names.size(), 2 * kPerProcess);
}

TEST(RegistryStorePaths, ComeFromTheEnvironment)
{
    struct Case
    {
        std::vector<std::pair<const char *, const char *>> env;
        const char *user;
        const char *machine;
    };
    const Case cases[] = {
        {{{"HOME", "/home/desk"}}, "/home/desk/.config/veltrix/registry.reg", "/etc/veltrix/registry.reg"},
        {{{"HOME", "/home/desk"}, {"XDG_CONFIG_HOME", "/cfg"}},
         "/cfg/veltrix/registry.reg",
         "/etc/veltrix/registry.reg"},
        {{{"XDG_CONFIG_HOME", "/cfg"}, {"OSTRELLE_HKCU", "/t/u.reg"}, {"OSTRELLE_HKLM", "/t/m.reg"}},
         "/t/u.reg",
         "/t/m.reg"},
    };
    for (const Case &c : cases) {
        QProcessEnvironment env;
        for (const auto &[name, value] : c.env)
            env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        const RegistryStore::Paths paths = RegistryStore::defaultPaths(env);
        EXPECT_EQ(paths.currentUser, QString::fromLatin1(c.user));
        EXPECT_EQ(paths.localMachine, QString::fromLatin1(c.machine));
    }
}

} // namespace
