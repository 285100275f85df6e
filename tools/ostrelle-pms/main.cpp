#include "ostrelle-pms/PmsService.h"
#include "pms/PmsKeyService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// The one place that decides what answers the key requests of a device row.
std::unique_ptr<PmsRequestHandler> makeHandler(PmsService &service, qint32 deviceID)
{
    return std::make_unique<PmsKeyService>(service.program(), service.db(), service.cardServers(), service.session(),
                                           deviceID);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The PMS interface service: key cards on request of the hotel's "
                                                    "property-management system."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("connection"),
                                 QStringLiteral("The database (sqlite:<file>, postgresql://...); default: the "
                                                "workstation settings of this computer's registry."));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("The operator the service works as."),
                                  QStringLiteral("ID"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"),
                                          QStringLiteral("The operator's password on the first line of FILE; "
                                                         "default: the first line of standard input."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption computer(
        QStringLiteral("computer"), QStringLiteral("Serve the PMS device rows of this computer (default: this host)."),
        QStringLiteral("NAME"));
    const QCommandLineOption client(QStringLiteral("client"),
                                    QStringLiteral("The service's workstation name in the database (default: PMS- and "
                                                   "the computer name, 15 characters at most)."),
                                    QStringLiteral("NAME"));
    const QCommandLineOption devices(QStringLiteral("devices"),
                                     QStringLiteral("The device directory of the virtual encoders (default: "
                                                    "$OSTRELLE_DEVICE_DIR or the card server's)."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption logFile(QStringLiteral("log"),
                                     QStringLiteral("The log file (default: ostrelle-pms.log beside the program)."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption alive(QStringLiteral("alive"),
                                   QStringLiteral("Seconds without a record before an LA is sent (default 30); three "
                                                  "times as long without a record breaks the link."),
                                   QStringLiteral("SECONDS"), QStringLiteral("30"));
    parser.addOptions({user, passwordFile, computer, client, devices, logFile, alive});
    parser.process(app);

    PmsService::Options options;
    options.connection = parser.positionalArguments().value(0);
    options.computer = parser.isSet(computer) ? parser.value(computer) : QHostInfo::localHostName();
    options.client = (parser.isSet(client) ? parser.value(client) : QStringLiteral("PMS-") + options.computer).left(15);
    options.deviceDirectory = parser.value(devices);
    options.user = parser.value(user);
    options.logFile = parser.isSet(logFile)
                          ? parser.value(logFile)
                          : QCoreApplication::applicationDirPath() + QStringLiteral("/ostrelle-pms.log");
    bool ok = false;
    const int aliveSeconds = parser.value(alive).toInt(&ok);
    if (options.user.isEmpty() || !ok || aliveSeconds < 1) {
        err << "ostrelle-pms: --user ID is required, --alive takes whole seconds from 1.\n";
        return 2;
    }
    options.aliveInterval = std::chrono::seconds(aliveSeconds);
    QFile password;
    if (parser.isSet(passwordFile)) {
        password.setFileName(parser.value(passwordFile));
        if (!password.open(QIODevice::ReadOnly)) {
            err << "ostrelle-pms: " << password.fileName() << ": " << password.errorString() << "\n";
            return 2;
        }
    } else if (!password.open(stdin, QIODevice::ReadOnly)) {
        err << "ostrelle-pms: cannot read the password from standard input.\n";
        return 2;
    }
    options.password = QString::fromUtf8(password.readLine()).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    password.close();

    PmsService service(options, QCoreApplication::applicationDirPath());
    QString error;
    if (!service.open(&error) || !service.startLinks(makeHandler, &error)) {
        service.log(QStringLiteral("Not started: ") + error);
        err << "ostrelle-pms: " << error << "\n";
        return 1;
    }
    err << "ostrelle-pms: running; the log is " << options.logFile << "\n";
    err.flush();

    // SIGTERM and SIGINT end the links with LE; the handler only wakes the event loop.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        err << "ostrelle-pms: no signal pipe\n";
        return 1;
    }
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    bool stopping = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
        if (stopping)
            return;
        stopping = true;
        service.stop();
        // A PMS that never takes the LE does not keep the service from ending.
        QTimer::singleShot(3000, &app, [] { QCoreApplication::exit(0); });
    });
    QObject::connect(&service, &PmsService::stopped, &app, [] { QCoreApplication::exit(0); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return QCoreApplication::exec();
}
