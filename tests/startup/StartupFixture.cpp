#include "StartupFixture.h"

#include "DatabaseFixture.h"
#include "components/recordtable/RecordDatabase.h"
#include "ostrelle-db/DbTool.h"
#include "platform/FileVersion.h"
#include "platform/Installation.h"
#include "texts/Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QWidget>

#include <unistd.h>

namespace {

QString shippedTextLibrary()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libctexts.so"));
}

// The shipped texts, read the way the program reads them; null without the library.
TextResources *shippedTexts()
{
    static TextResources *texts = [] {
        auto *t = new TextResources;
        t->setProgramPath(QCoreApplication::applicationDirPath());
        return t->LoadTextLibrary() ? t : nullptr;
    }();
    return texts;
}

} // namespace

QString StartupTest::templateDatabase(bool demoHotel)
{
    static QTemporaryDir dir;
    static QString paths[2];
    QString &path = paths[demoHotel ? 1 : 0];
    if (!path.isEmpty())
        return path;
    TextResources *texts = shippedTexts();
    if (!texts) {
        ADD_FAILURE() << "no text library beside the test program";
        return QString();
    }
    const QString file = dir.filePath(demoHotel ? QStringLiteral("demo.db") : QStringLiteral("required.db"));
    RecordDatabase db;
    db.setPasswordHashLimits(1, 8192); // the cheapest hashes: the tests log on, they do not guard
    QString error;
    const bool opened = db.open(QStringLiteral("sqlite:") + file);
    FillOptions noHistory;
    const bool created = opened && (demoHotel ? DbTool::createDemo(db, *texts, noHistory, error)
                                              : DbTool::createDatabase(db, *texts, error));
    if (!created) {
        ADD_FAILURE() << "template database: " << error.toStdString() << db.errorText().toStdString();
        return QString();
    }
    db.close();
    path = file;
    return path;
}

void StartupTest::useDemoHotel()
{
    const QString source = templateDatabase(true);
    ASSERT_FALSE(source.isEmpty());
    ASSERT_TRUE(QFile::remove(m_database));
    ASSERT_TRUE(QFile::copy(source, m_database));
}

QString Texts(int16_t number)
{
    return shippedTexts() ? shippedTexts()->GetText(number) : QString();
}

void StartupTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_programDir = m_dir.filePath(QStringLiteral("Ostrelle"));
    ASSERT_TRUE(QDir().mkpath(m_programDir));
    ASSERT_TRUE(QFile::copy(shippedTextLibrary(), QDir(m_programDir).filePath(QStringLiteral("libctexts.so"))));

    const QString source = templateDatabase();
    ASSERT_FALSE(source.isEmpty());
    m_database = m_dir.filePath(QStringLiteral("hotel.db"));
    ASSERT_TRUE(QFile::copy(source, m_database));

    m_hives = {m_dir.filePath(QStringLiteral("hkcu.reg")), m_dir.filePath(QStringLiteral("hklm.reg"))};
    setMachineValue(QStringLiteral("ODBC Source"),
                    RegistryStore::Value::string(QStringLiteral("sqlite:") + m_database));

    // An installation of this client: its own files of its version, each component registered here.
    stampInstallation(QStringLiteral("%1.%2.%3.0")
                          .arg(OSTRELLE_VERSION_MAJOR)
                          .arg(OSTRELLE_VERSION_MINOR)
                          .arg(OSTRELLE_VERSION_PATCH));
    for (const Installation::Component &c : Installation::components())
        registerComponent(c.file, m_programDir);

    m_instanceName = m_dir.filePath(QStringLiteral("instance"));
    static int counter = 0;
    m_semaphore.semaphore = "/ostrelle-test-" + QByteArray::number(getpid()) + "-" + QByteArray::number(++counter);
    m_semaphore.markerFile = m_dir.filePath(QStringLiteral("client.lock"));
}

void StartupTest::TearDown()
{
    m_startup.reset();
    m_ws.reset();
}

StartupEnvironment StartupTest::environment(const QString &commandLine)
{
    StartupEnvironment env;
    env.commandLine = commandLine;
    env.applicationPath = m_programDir;
    env.computerName = QStringLiteral("FRONTDESK1");
    env.instanceName = m_instanceName;
    env.clientSemaphore = m_semaphore;
    env.deviceDirectory = m_dir.filePath(QStringLiteral("devices"));
    env.programFile = QDir(m_programDir).filePath(QStringLiteral("ostrelle"));
    env.arguments = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // What the installation's programs do: the servers and the registration tool register the file
    // named; the install script runs.
    env.runProcess = [this](const QString &program, const QStringList &arguments) {
        m_processes << QFileInfo(program).fileName() + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
        if (program.endsWith(QLatin1String(Installation::kInstallScript)))
            return QProcess::execute(program, arguments);
        const QString file = arguments.value(0) == QLatin1String("/RegServer") ? program : arguments.value(2);
        registerComponent(QFileInfo(file).fileName(), QFileInfo(file).path());
        return 0;
    };
    env.restart = [this](const QString &program, const QStringList &arguments) {
        m_restarts << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
        return true;
    };
    env.showMessage = [this](const QString &text, DialogStyle style, const QString &title, const QStringList &buttons) {
        m_boxes.push_back({text, style, title, buttons});
        return 0;
    };
    env.editCommandLine = [](QString &) {
        ADD_FAILURE() << "the command-line editor opened without the Ctrl key";
        return false;
    };
    env.starterActive = [] { return false; };
    env.libraryPresent = [](const QByteArray &) { return true; };
    env.screen = [] { return ScreenMetrics{96.0, 24}; };
    env.prepareDatabase = [](RecordDatabase &db) { db.setClock([] { return 45444.5; }); };
    env.databaseChecks = [](Workstation &) { return 0; };
    env.createMainFrame = [](Workstation &) {
        auto frame = std::make_unique<QWidget>();
        frame->setObjectName(QStringLiteral("frmMain"));
        return frame;
    };
    env.promptLogon = [this](Workstation &ws, QWidget *frame, const QString &password) {
        EXPECT_TRUE(frame && frame->isVisible()) << "the logon opens over the shown main frame";
        ++m_logons;
        m_logonPassword = password;
        m_logonUser = ws.session.logon.lastUserID;
        return true;
    };
    return env;
}

StartupResult StartupTest::run(const QString &commandLine)
{
    return run(environment(commandLine));
}

StartupResult StartupTest::run(StartupEnvironment env)
{
    m_startup.reset();
    m_ws.reset();
    Workstation::Setup setup;
    setup.programPath = m_programDir;
    setup.registry = m_hives;
    setup.messages = std::make_unique<ScriptedMessages>(); // an unscripted message fails the test
    m_ws = std::make_unique<Workstation>(std::move(setup));
    // A workstation user may read the machine's settings but not change them.
    m_ws->program.registryStore.setWritable(RegistryStore::Hive::LocalMachine, false);
    m_ws->program.StartupLog.setFailureReporter([](const QString &title, const QString &text) {
        ADD_FAILURE() << "start-up log failed: " << title.toStdString() << ": " << text.toStdString();
    });
    m_startup = std::make_unique<StartupSequence>(*m_ws, std::move(env));
    return m_startup->Run();
}

QStringList StartupTest::logLines() const
{
    QFile file(QDir(m_programDir).filePath(QStringLiteral("startup.log")));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no startup.log";
        return {};
    }
    // The header ends at its empty line (its shape is the workstation test's).
    const QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n"));
    return lines.mid(lines.indexOf(QString()) + 1);
}

void StartupTest::setMachineValue(const QString &name, const RegistryStore::Value &value, const QString &key)
{
    RegistryStore store(m_hives.currentUser, m_hives.localMachine);
    EXPECT_EQ(store.setValue(RegistryStore::Hive::LocalMachine, key, name, value), 0);
}

RegistryStore::Value StartupTest::userValue(const QString &name, const QString &key) const
{
    RegistryStore store(m_hives.currentUser, m_hives.localMachine);
    RegistryStore::Value value;
    store.queryValue(RegistryStore::Hive::CurrentUser, key, name, value);
    return value;
}

void StartupTest::changeParameter(const QString &key, const QString *value)
{
    RecordDatabase db;
    ASSERT_TRUE(db.open(QStringLiteral("sqlite:") + m_database));
    DatabaseSeeds seeds(db);
    ASSERT_NE(seeds.parameterValue(key), QStringLiteral("<missing>")) << key.toStdString();
    if (value)
        seeds.putParameter(key, *value);
    else
        seeds.removeParameter(key);
}

void StartupTest::stampInstallation(const QString &version, const QString &folder)
{
    const QDir dir(folder.isEmpty() ? m_programDir : folder);
    for (const char *file : {"ostrelle", "ostrelle-encoder", "ostrelle-db"}) {
        QFile binary(dir.filePath(QLatin1String(file)));
        ASSERT_TRUE(binary.open(QIODevice::WriteOnly));
        binary.write(FileVersionMarkerBytes(version));
    }
    ASSERT_TRUE(StampFileVersion(dir.filePath(QStringLiteral("libctexts.so")), version));
}

void StartupTest::registerComponent(const QString &file, const QString &directory)
{
    RegistryStore store(m_hives.currentUser, m_hives.localMachine);
    ASSERT_NE(Installation::findComponent(file), nullptr) << file.toStdString();
    EXPECT_EQ(
        Installation::RegisterClass(store, *Installation::findComponent(file), directory + QLatin1Char('/') + file), 0);
}
