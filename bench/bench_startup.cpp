// Start-up: from process start to the logon window on screen, beside a bare Qt Widgets window
// (startup_bare) opening on the same platform. The workstation runs on a demo installation made
// in a temporary folder with OSTRELLE_QUIT_AT_LOGON set; each program is timed from its start to
// the line it prints at its window's first expose. Runs from OSTRELLE_BENCH_STARTS (default 11,
// median reported); the platform is offscreen unless QT_QPA_PLATFORM names another.
#include "BenchDatabases.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Milliseconds from the start to the program's "shown" line; -1 when it never came.
double timeStart(const QString &program, const QProcessEnvironment &env, QString &error,
                 const QStringList &arguments = {})
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    double ms = -1;
    QByteArray seen;
    while (ms < 0 && timer.elapsed() < 60000 && process.waitForReadyRead(60000 - static_cast<int>(timer.elapsed()))) {
        seen += process.readAllStandardOutput();
        if (seen.contains("shown"))
            ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    }
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
    }
    if (ms < 0)
        error = QStringLiteral("%1 showed no window: %2 %3")
                    .arg(QDir(program).dirName(), QString::fromLocal8Bit(seen + process.readAllStandardOutput()),
                         QString::fromLocal8Bit(process.readAllStandardError()).left(400));
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QDir bin(QCoreApplication::applicationDirPath());
    const int runs = static_cast<int>(std::max<qint64>(1, BenchDatabases::envCount("OSTRELLE_BENCH_STARTS", 11)));

    QTemporaryDir demo;
    const QString hklm = demo.filePath(QStringLiteral("hklm.reg"));
    const QString database = demo.filePath(QStringLiteral("demo.db"));
    QFile hive(hklm);
    if (!demo.isValid() || !hive.open(QIODevice::WriteOnly) ||
        hive.write(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_LOCAL_MACHINE\\Software\\Veltrix\\Ostrelle\\Settings]\r\n"
                                  "\"ODBC Source\"=\"sqlite:%1\"\r\n")
                       .arg(database)
                       .toUtf8()) < 0) {
        QTextStream(stderr) << "bench_startup: cannot write the demo installation\n";
        return 1;
    }
    hive.close();
    QProcess create;
    create.start(bin.filePath(QStringLiteral("ostrelle-db")),
                 {QStringLiteral("demo"), QStringLiteral("sqlite:") + database});
    if (!create.waitForFinished(120000) || create.exitCode() != 0) {
        QTextStream(stderr) << "bench_startup: ostrelle-db demo failed: " << create.readAllStandardError() << "\n";
        return 1;
    }
    const QString runtime = demo.filePath(QStringLiteral("xdg"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    QProcessEnvironment workstation = env;
    workstation.insert(QStringLiteral("OSTRELLE_HKCU"), demo.filePath(QStringLiteral("hkcu.reg")));
    workstation.insert(QStringLiteral("OSTRELLE_HKLM"), hklm);
    workstation.insert(QStringLiteral("OSTRELLE_DEVICE_DIR"), demo.filePath(QStringLiteral("devices")));
    workstation.insert(QStringLiteral("OSTRELLE_QUIT_AT_LOGON"), QStringLiteral("1"));

    const QString bare = bin.filePath(QStringLiteral("startup_bare"));
    const QString program = bin.filePath(QStringLiteral("ostrelle"));
    out << "Start-up on " << env.value(QStringLiteral("QT_QPA_PLATFORM")) << ", median of " << runs
        << " runs, times in ms\n";
    out.flush();
    QString error;
    // The first start of each fills the file caches and writes the workstation's settings.
    timeStart(bare, env, error);
    timeStart(program, workstation, error);
    const QStringList label{QStringLiteral("--label")};
    std::vector<double> bareTimes, labelTimes, programTimes;
    for (int i = 0; i < runs && error.isEmpty(); ++i) {
        bareTimes.push_back(timeStart(bare, env, error));
        labelTimes.push_back(timeStart(bare, env, error, label));
        programTimes.push_back(timeStart(program, workstation, error));
    }
    if (!error.isEmpty()) {
        QTextStream(stderr) << "bench_startup: " << error << "\n";
        return 1;
    }
    const double b = median(bareTimes), l = median(labelTimes), p = median(programTimes);
    out << QStringLiteral("%1 %2\n%3 %4\n%5 %6\n%7 %8\n%9 %10\n")
               .arg(QStringLiteral("bare Qt Widgets window"), -34)
               .arg(b, 8, 'f', 1)
               .arg(QStringLiteral("the same with one line of text"), -34)
               .arg(l, 8, 'f', 1)
               .arg(QStringLiteral("workstation to the logon window"), -34)
               .arg(p, 8, 'f', 1)
               .arg(QStringLiteral("ratio (target: at most 1.5)"), -34)
               .arg(p / b, 8, 'f', 2)
               .arg(QStringLiteral("ratio to the window with text"), -34)
               .arg(p / l, 8, 'f', 2);
    return 0;
}
