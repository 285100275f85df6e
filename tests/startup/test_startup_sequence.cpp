#include "StartupFixture.h"
#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "settings/clsSystemParams.h"
#include "startup/CommandLine.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

const QString kSettingsKey = QStringLiteral("Software\\Veltrix\\Ostrelle\\Settings");

// The lines of every start that finds its database, up to the main frame.
QStringList linesThroughTheDatabase(const QString &programDir, const QString &clientLines)
{
    QStringList lines = {
        QStringLiteral("Check for duplicate instance"),
        QStringLiteral("Path is '%1'").arg(programDir),
        QStringLiteral("Can read from HKEY_LOCAL_MACHINE: Yes"),
        QStringLiteral("Can write to HKEY_LOCAL_MACHINE: No"),
        QStringLiteral("Can read from HKEY_CURRENT_USER: Yes"),
        QStringLiteral("Can write to HKEY_CURRENT_USER: Yes"),
        QStringLiteral("Read local parameters"),
        QStringLiteral("Parse commandline parameters"),
        QStringLiteral("> No parameters passed"),
        QStringLiteral("Convert long path name to short path name (8.3)"),
        QStringLiteral("Short path is '%1/'").arg(QFileInfo(programDir).canonicalFilePath()),
        QStringLiteral("Load resource dll"),
        QStringLiteral("Check for other active Orla clients"),
        QStringLiteral("Reading ODBC Source from registry"),
        QStringLiteral("Server is local"),
        QStringLiteral("Checking 'libQt6Network.so.6'...OK"),
        QStringLiteral("Checking 'libc.so.6'...OK"),
        QStringLiteral("Checking 'libresolv.so.2'...OK"),
        QStringLiteral("Check if components are registered"),
        QStringLiteral("> libctexts.so...OK"),
        QStringLiteral("> ostrelle-encoder...OK"),
        QStringLiteral("> ostrelle-db...OK"),
        QStringLiteral("Check fontsize"),
        QStringLiteral("Check color depth"),
        QStringLiteral("Launch splash screen"),
        QStringLiteral("Create CardsIntf"),
        QStringLiteral("Negotiate CardsIntf"),
        QStringLiteral("InitiateDBInterface()"),
        QStringLiteral("Read system parameters"),
        QStringLiteral("Checking 'HHCtrl.ocx'...not registered, online help disabled!"),
        QStringLiteral("Validate ostrelle (workstation)"),
        QStringLiteral("Validate libctexts.so (texts)"),
        QStringLiteral("Validate ostrelle-encoder (virtual devices)"),
        QStringLiteral("Validate ostrelle-db (database tool)"),
        QStringLiteral("Validate libQt6Network.so.6 (cameras)"),
        QStringLiteral("Validate libQt6Widgets.so.6 (windows)"),
        QStringLiteral("Check if client needs to be updated"),
        QStringLiteral("Local server -> no need to update client"),
        QStringLiteral("Read more system parameters"),
        QStringLiteral("Read clientID from database"),
        QStringLiteral("> Client name: FRONTDESK1"),
    };
    lines << clientLines.split(QLatin1Char('\n'));
    return lines;
}

TEST_F(StartupTest, AStartWritesEveryStepAndEndsInFrontOfTheLogon)
{
    ASSERT_EQ(run(), StartupResult::Completed);
    ASSERT_GT(m_ws->facts.ClientID, 0);

    QStringList expected =
        linesThroughTheDatabase(m_programDir, QStringLiteral("> ClientID not found. Inserting new clientID\n"
                                                             "> Insert record returned 0x0\n"
                                                             "> ClientID: %1")
                                                  .arg(m_ws->facts.ClientID));
    expected << QStringLiteral("Load main frame and kill splash screen") << QStringLiteral("Prompt Logon")
             << QStringLiteral("Startup completed");
    EXPECT_EQ(logLines(), expected);

    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(m_logons, 1);
    EXPECT_EQ(m_startup->exitCode(), 0);
    ASSERT_NE(m_startup->mainFrame(), nullptr);
    EXPECT_TRUE(m_startup->mainFrame()->isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget *w) {
        return w->objectName() == QStringLiteral("frmSplash");
    })) << "the splash window is gone";

    // What the rest of the program finds.
    const Workstation &ws = *m_ws;
    for (const auto *table : {&ws.db.logonTable, &ws.db.operatorsTable, &ws.db.parametersTable, &ws.db.clientsTable}) {
        ASSERT_NE(table->get(), nullptr);
        EXPECT_EQ((*table)->computerName(), QStringLiteral("FRONTDESK1"));
    }
    EXPECT_EQ(ws.db.operatorsTable->selectedTable(), TableId::Operators);
    EXPECT_EQ(ws.db.clientsTable->encoderID(), -1);
    ASSERT_NE(ws.db.SystemParams, nullptr);
    EXPECT_NE(ws.cardServers.firstCardsIntf, nullptr);
    EXPECT_NE(ws.cardServers.secondCardsIntf, nullptr);
    EXPECT_EQ(ws.program.ComputerName, QStringLiteral("FRONTDESK1"));
    EXPECT_EQ(ws.facts.ShortProgramPath, QFileInfo(m_programDir).canonicalFilePath() + QLatin1Char('/'));
    EXPECT_FALSE(ws.facts.TextLanguageMismatch);
    EXPECT_FALSE(ws.facts.HelpAvailable);
    EXPECT_TRUE(ws.facts.NetworkLibrariesPresent);
    EXPECT_DOUBLE_EQ(ws.session.authority.RightsTimeStamp(), 25569.0)
        << "1970-01-01: the first check reloads the rights";
    EXPECT_TRUE(IsOrlaClientActive(m_semaphore.markerFile)) << "the client semaphore is held while the program runs";
}

TEST_F(StartupTest, TheNextStartFindsTheWorkstationsClientRow)
{
    ASSERT_EQ(run(), StartupResult::Completed);
    const int32_t clientId = m_ws->facts.ClientID;
    ASSERT_EQ(run(), StartupResult::Completed);
    EXPECT_EQ(m_ws->facts.ClientID, clientId);
    const QStringList lines = logLines();
    EXPECT_FALSE(lines.contains(QStringLiteral("> ClientID not found. Inserting new clientID")));
    EXPECT_EQ(
        lines.mid(lines.indexOf(QStringLiteral("> Client name: FRONTDESK1")), 2),
        QStringList({QStringLiteral("> Client name: FRONTDESK1"), QStringLiteral("> ClientID: %1").arg(clientId)}));
}

TEST_F(StartupTest, SwitchesAreLoggedInTheirOrderAndStoredAtOnce)
{
    const QString source = QStringLiteral("sqlite:") + m_database;
    ASSERT_EQ(run(QStringLiteral("/o \"%1\" /N localhost /g 2 /L desk /P Secret /T /s /U /i /A /Z").arg(source)),
              StartupResult::Completed);

    const QStringList lines = logLines();
    const qsizetype parse = lines.indexOf(QStringLiteral("Parse commandline parameters"));
    ASSERT_GE(parse, 0);
    EXPECT_EQ(lines.mid(parse, 5),
              QStringList({QStringLiteral("Parse commandline parameters"),
                           QStringLiteral("> Parameters passed: /o \"%1\" /N localhost /g 2 /L desk /P Secret /T /s "
                                          "/U /i /A /Z")
                               .arg(source),
                           QStringLiteral("> ODBC Source set to '%1'").arg(source),
                           QStringLiteral("> Server set to 'localhost'"),
                           QStringLiteral("Convert long path name to short path name (8.3)")}));
    EXPECT_FALSE(lines.contains(QStringLiteral("Reading ODBC Source from registry"))) << "/O named the source";
    for (const char *line : {"Server: localhost", "> Skip checking components due to the parameter '/I'",
                             "Reloading texts due to the passed parameter '/T'",
                             "Version check skipped (due to parameter '/s')", "Auto-update skipped due to '/U' switch"})
        EXPECT_TRUE(lines.contains(QString::fromLatin1(line))) << line;
    EXPECT_FALSE(lines.contains(QStringLiteral("Local server -> no need to update client")));

    // Written to the workstation settings while parsing.
    EXPECT_EQ(userValue(QStringLiteral("ODBC Source"), QStringLiteral("Software\\Veltrix\\DBServer\\Settings")).text,
              source);
    EXPECT_EQ(userValue(QStringLiteral("Server"), QStringLiteral("Software\\Veltrix\\AppServer\\Settings")).text,
              QStringLiteral("localhost"));
    EXPECT_EQ(userValue(QStringLiteral("nSCEncoder")).number, 2u);
    EXPECT_TRUE(m_ws->session.SmartCardLogon);
    EXPECT_TRUE(m_ws->facts.AutoUpdateUserCard);

    // The logon got the presets; the password is gone afterwards.
    EXPECT_EQ(m_logonUser, QStringLiteral("desk"));
    EXPECT_EQ(m_logonPassword, QStringLiteral("Secret"));
    EXPECT_TRUE(m_startup->commandLine().logonPassword.isEmpty());
    EXPECT_FALSE(m_startup->commandLine().reloadTexts) << "/T is used once";
}

TEST_F(StartupTest, ProgramPathTextLibraryAndTextFileFromTheCommandLine)
{
    const QString other = m_dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(QFile::copy(QDir(m_programDir).filePath(QStringLiteral("libctexts.so")),
                            QDir(other).filePath(QStringLiteral("hoteltexts.so"))));
    const QString textFile = m_dir.filePath(QStringLiteral("texts.rc"));
    QFile file(textFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\t15010\t\"Night Desk\"\r\n");
    file.close();

    // The other folder holds no installation: no registration or version check.
    ASSERT_EQ(run(QStringLiteral("/C \"%1\" /X hoteltexts.so /D \"%2\" /I /S").arg(other, textFile)),
              StartupResult::Completed);
    const QStringList lines = logLines();
    const qsizetype at = lines.indexOf(QStringLiteral("> Path set to '%1'").arg(other));
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines.mid(at, 7),
              QStringList({QStringLiteral("> Path set to '%1'").arg(other),
                           QStringLiteral("> Name of CTexts.dll is 'hoteltexts.so'"),
                           QStringLiteral("> Name of text resource file is '%1'").arg(textFile),
                           QStringLiteral("Convert long path name to short path name (8.3)"),
                           QStringLiteral("Short path is '%1/'").arg(QFileInfo(other).canonicalFilePath()),
                           QStringLiteral("Load resource dll"), QStringLiteral("Load resource text file")}));
    EXPECT_EQ(m_ws->program.ProgramPath, other);
    EXPECT_EQ(GetText(15010), QStringLiteral("Night Desk")) << "the text file comes first";
    EXPECT_EQ(GetText(17000), Texts(17000)) << "and the library answers what the file lacks";
    EXPECT_TRUE(QFileInfo::exists(QDir(m_programDir).filePath(QStringLiteral("startup.log"))))
        << "the log stays where the program is";
}

TEST_F(StartupTest, HelpShowsTheSwitchesAndEnds)
{
    EXPECT_EQ(run(QStringLiteral("/?")), StartupResult::Ended);
    EXPECT_EQ(m_startup->exitCode(), 0);
    ASSERT_EQ(m_boxes.size(), 1u);
    // One line per switch, from the ODBC source to the help itself.
    EXPECT_TRUE(m_boxes[0].text.startsWith(QStringLiteral("Command Line Parameters:\r\n\r\n/O<name> -- ")));
    EXPECT_TRUE(m_boxes[0].text.endsWith(QStringLiteral("\r\n/? -- Show this dialog")));
    EXPECT_EQ(m_boxes[0].style, DialogStyle::Information);
    EXPECT_EQ(m_boxes[0].title, Texts(-32766));
    EXPECT_EQ(m_boxes[0].buttons, QStringList{Texts(17000)});
    const QStringList lines = logLines();
    EXPECT_EQ(lines.mid(lines.size() - 3),
              QStringList({QStringLiteral("Load resource dll"), QStringLiteral("Show 'Command Line Parameters'"),
                           QStringLiteral("Closing log file")}));
    EXPECT_EQ(m_logons, 0);
}

TEST_F(StartupTest, CtrlHeldLetsTheOperatorEditTheCommandLine)
{
    struct Case
    {
        bool accepted;
        const char *edited;
        const char *logged;
        StartupResult result;
    } cases[] = {
        {true, "/?", "> Parameters passed: /?", StartupResult::Ended},
        {false, "/?", "> Parameters passed: /S", StartupResult::Completed}, // Esc keeps the real line
    };
    for (const Case &c : cases) {
        StartupEnvironment env = environment(QStringLiteral("/S"));
        env.ctrlHeld = true;
        QString offered;
        env.editCommandLine = [&](QString &line) {
            offered = line;
            if (c.accepted)
                line = QString::fromLatin1(c.edited);
            return c.accepted;
        };
        EXPECT_EQ(run(std::move(env)), c.result) << c.logged;
        EXPECT_EQ(offered, QStringLiteral("/S")) << "the editor starts with the real command line";
        EXPECT_TRUE(logLines().contains(QString::fromLatin1(c.logged))) << c.logged;
    }
}

// Each failure: the message, "...FAILED" on the step's line, the exit tail, nothing left running.
struct FailureCase
{
    const char *name;
    std::function<void(StartupTest &, StartupEnvironment &)> prepare;
    std::function<QString(StartupTest &)> message;
    const char *failedLine;
};

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << c.name;
}

QString missingFolder(StartupTest &t)
{
    return t.m_dir.filePath(QStringLiteral("no/such/folder"));
}

using Prepare = std::function<void(StartupTest &, StartupEnvironment &)>;
using Message = std::function<QString(StartupTest &)>;

Message text(int16_t number)
{
    return [number](StartupTest &) { return Texts(number); };
}

Prepare parameter(const char *key, std::optional<QString> value)
{
    return [key, value](StartupTest &t, StartupEnvironment &) {
        t.changeParameter(QString::fromLatin1(key), value ? &*value : nullptr);
    };
}

// "%1" in the line is a folder that does not exist.
Prepare commandLine(const char *line)
{
    return [line](StartupTest &t, StartupEnvironment &env) {
        env.commandLine = QString::fromLatin1(line).arg(missingFolder(t));
    };
}

Prepare screen(double dpi, int bits)
{
    return [dpi, bits](StartupTest &, StartupEnvironment &env) {
        env.screen = [dpi, bits] { return ScreenMetrics{dpi, bits}; };
    };
}

Prepare odbcSource(const char *sourceInMissingFolder)
{
    return [sourceInMissingFolder](StartupTest &t, StartupEnvironment &) {
        const QString source = QString::fromLatin1(sourceInMissingFolder);
        t.setMachineValue(QStringLiteral("ODBC Source"),
                          RegistryStore::Value::string(source.isEmpty() ? source : source.arg(missingFolder(t))));
    };
}

Message literal(const char *message)
{
    return [message](StartupTest &t) { return QString::fromLatin1(message).arg(missingFolder(t)); };
}

void clientRowWithoutNumber(StartupTest &t, StartupEnvironment &)
{
    RecordDatabase db;
    ASSERT_TRUE(db.open(QStringLiteral("sqlite:") + t.m_database));
    RecordTable clients(db);
    clients.SelectTable(TableId::Clients);
    clients.UseGivenKey();
    clients.SetField(QStringLiteral("clientID"), 0);
    clients.SetField(QStringLiteral("clientName"), QStringLiteral("FRONTDESK1"));
    clients.InsertRecord();
    ASSERT_EQ(clients.Status(), RecordStatus::Ok) << clients.ErrorText(clients.Status()).toStdString();
}

// clang-format off
const FailureCase kFailures[] = {
    {"ProgramPathThatDoesNotExist", commandLine("/C \"%1\""), literal("Failed when converting the program path name."), "Convert long path name to short path name (8.3)"},
    {"UnknownTextLibrary", commandLine("/Xnosuch.so"), literal("Failed to load the text resource dll (nosuch.so)"), "Load resource dll"},
    {"MissingTextFile", commandLine("/D \"%1\""), literal("Failed to load the text resource file (%1)"), "Load resource text file"},
    {"AnotherClientOfTheLockSystemRuns", [](StartupTest &t, StartupEnvironment &) { ASSERT_TRUE(t.m_otherClient.Create(t.m_semaphore)); }, text(-31088), "Check for other active Orla clients"},
    {"LocalServerWithoutDataSource", odbcSource(""), [](StartupTest &) { return FormatText(Texts(-31100), {Texts(15011)}); }, "> No ODBC Source found in registry"},
    {"DisplayNotAt96Dpi", screen(120.0, 32), text(-31229), "Check fontsize"},
    {"FewerThan256Colours", screen(96.0, 4), text(-31136), "Check color depth"},
    {"DatabaseUnreachable", odbcSource("sqlite:%1/hotel.db"), text(-31176), "InitiateDBInterface()"},
    {"DatabaseVersionRowMissing", parameter("DATABASEVERSION", std::nullopt), text(-31151), "Read system parameters"},
    {"DatabaseVersionTooOld", parameter("DATABASEVERSION", QStringLiteral("1.13.9.0")), text(-31150), "Read system parameters"},
    {"DatabaseVersionUnreadable", parameter("DATABASEVERSION", QStringLiteral("1.14.0")), text(-31150), "Read system parameters"}, // no "." after the build
    {"TextLanguageRowMissing", parameter("TEXTLANGUAGE", std::nullopt), text(-31151), "Read system parameters"},
    {"SystemParameterRowMissing", parameter("OPENMODE", std::nullopt), text(-31151), "Read more system parameters"},
    {"ClientRowWithoutNumber", clientRowWithoutNumber, text(-31087), "> ClientID: 0"},
};
// clang-format on

class StartupFailure : public StartupTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(StartupFailure, TakesTheOneExit)
{
    const FailureCase &c = GetParam();
    StartupEnvironment env = environment();
    c.prepare(*this, env);
    ASSERT_FALSE(HasFatalFailure());
    const QString message = c.message(*this);

    EXPECT_EQ(run(std::move(env)), StartupResult::Failed);
    EXPECT_EQ(m_startup->exitCode(), 1);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, message);
    EXPECT_EQ(m_boxes[0].style, DialogStyle::Error);
    // Before the text library is loaded the box falls back to literal texts.
    const bool textsLoaded = GetText(-32767) != QStringLiteral("-32767");
    EXPECT_EQ(m_boxes[0].title, textsLoaded ? Texts(-32767) : QStringLiteral("Error Message"));
    EXPECT_EQ(m_boxes[0].buttons, QStringList{QStringLiteral("OK")});

    const QStringList lines = logLines();
    EXPECT_EQ(lines.mid(lines.size() - 2), QStringList({QString::fromLatin1(c.failedLine) + QStringLiteral("...FAILED"),
                                                        QStringLiteral("Closing log file")}));
    EXPECT_EQ(m_ws->cardServers.firstCardsIntf, nullptr);
    EXPECT_EQ(m_ws->cardServers.secondCardsIntf, nullptr);
    EXPECT_FALSE(m_ws->facts.clientSemaphore.isOpen());
    EXPECT_EQ(m_startup->mainFrame(), nullptr);
    EXPECT_EQ(m_logons, 0);
}

INSTANTIATE_TEST_SUITE_P(Start, StartupFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase> &info) { return info.param.name; });

TEST_F(StartupTest, ADatabaseWithAnotherSchemaShowsTheComponentsErrorWithItsNumber)
{
    const QString empty = m_dir.filePath(QStringLiteral("empty.db"));
    setMachineValue(QStringLiteral("ODBC Source"), RegistryStore::Value::string(QStringLiteral("sqlite:") + empty));
    EXPECT_EQ(run(), StartupResult::Failed);
    ASSERT_EQ(m_boxes.size(), 1u);
    // Error number 4784 is 12B0 in hexadecimal.
    EXPECT_TRUE(m_boxes[0].text.startsWith(Texts(-31230) + QStringLiteral("IEC-12B0\r\n\r\n")))
        << m_boxes[0].text.toStdString();
    EXPECT_GT(m_boxes[0].text.size(), (Texts(-31230) + QStringLiteral("IEC-12B0\r\n\r\n")).size())
        << "the component's own text follows";
    const QStringList lines = logLines();
    EXPECT_EQ(lines.mid(lines.size() - 2),
              QStringList({QStringLiteral("InitiateDBInterface()...FAILED"), QStringLiteral("Closing log file")}));
}

TEST_F(StartupTest, AnUnexpectedErrorEndsTheStartWithItsNumberAndDescription)
{
    StartupEnvironment env = environment();
    env.databaseChecks = [](Workstation &) -> int32_t { throw std::runtime_error("disk full"); };
    EXPECT_EQ(run(std::move(env)), StartupResult::Failed);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, Texts(-31152) + QStringLiteral("\r\n\r\n(0x80004005) : disk full"));
    EXPECT_EQ(m_boxes[0].title, Texts(-32767));
    const QStringList lines = logLines();
    EXPECT_EQ(lines.mid(lines.size() - 3), QStringList({QStringLiteral("Read more system parameters"),
                                                        QStringLiteral("Unexpected Run-time Error: 0x80004005"),
                                                        QStringLiteral("Closing log file")}));
    EXPECT_EQ(m_ws->cardServers.firstCardsIntf, nullptr);
    EXPECT_FALSE(m_ws->facts.clientSemaphore.isOpen());
}

TEST_F(StartupTest, ASecondInstanceBringsTheFirstToTheFrontAndEnds)
{
    ASSERT_EQ(run(), StartupResult::Completed);
    QWidget *frame = m_startup->mainFrame();
    frame->showMinimized();
    ASSERT_TRUE(frame->isMinimized());

    // The same user starts the program again.
    Workstation::Setup setup;
    setup.programPath = m_programDir;
    setup.registry = m_hives;
    Workstation second(std::move(setup));
    StartupSequence secondStart(second, environment());
    EXPECT_EQ(secondStart.Run(), StartupResult::DuplicateInstance);
    EXPECT_EQ(secondStart.exitCode(), 0);

    EXPECT_TRUE(m_boxes.empty()) << "the second instance ends without a message";
    EXPECT_EQ(logLines(), QStringList{QStringLiteral("Check for duplicate instance...FAILED")});
    EXPECT_EQ(second.cardServers.firstCardsIntf, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!frame->isMinimized(), 5000);
    EXPECT_TRUE(frame->isVisible());
}

} // namespace
