#include <QApplication>
#include <QLocale>

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QtMessageHandler g_previous = nullptr;

// The offscreen platform warns about every top-level window; that is noise, not a finding.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_previous(type, context, message);
}
} // namespace

// Every test binary runs with a real QApplication on the offscreen platform and a fixed locale,
// so widget tests and formatted dates do not depend on the machine.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("TZ", "Europe/Berlin");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = "/tmp/ostrelle-test-runtime-" + QByteArray::number(getuid());
        mkdir(dir.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
    std::setlocale(LC_ALL, "C.UTF-8");
    g_previous = qInstallMessageHandler(quietOffscreen);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
