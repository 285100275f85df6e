#include "admin/AdminWindows.h"
#include "cards/CardWindows.h"
#include "platform/MessageDialog.h"
#include "session/Workstation.h"
#include "startup/StartupSequence.h"
#include "ui/DialogMessages.h"
#include "views/ViewWindows.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

// Start-up timing (bench_startup): with OSTRELLE_QUIT_AT_LOGON set the logon window, once on
// screen, prints the milliseconds since main began and is cancelled, and the program ends there.
class QuitAtLogon : public QObject
{
public:
    explicit QuitAtLogon(const QElapsedTimer &clock) : m_clock(clock) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Expose || !watched->isWindowType() ||
            !static_cast<QWindow *>(watched)->isExposed())
            return false;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QDialog *>(w);
            if (!dialog || dialog->objectName() != QLatin1String("frmLogon") || dialog->windowHandle() != watched)
                continue;
            std::printf("logon window shown %lld ms after main began\n", static_cast<long long>(m_clock.elapsed()));
            std::fflush(stdout);
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, dialog, &QDialog::reject);
        }
        return false;
    }

private:
    const QElapsedTimer &m_clock;
};

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrix Ostrelle"));

    StartupEnvironment environment =
        StartupEnvironment::forProgram(QCoreApplication::arguments(), QCoreApplication::applicationDirPath());

    Workstation::Setup setup;
    setup.programPath = environment.applicationPath;
    setup.registry = RegistryStore::defaultPaths();
    setup.messages = std::make_unique<DialogMessages>();
    Workstation ws(std::move(setup));
    RegisterAdminWindows(ws);
    RegisterCardWindows(ws);
    RegisterViewWindows(ws);

    const auto showLiteral = [](const QString &title, const QString &text) {
        ShowMessageDialog(text, DialogStyle::Exclamation, title, {QStringLiteral("OK")});
    };
    ws.program.StartupLog.setFailureReporter(showLiteral);
    ws.program.RegistryLog.setFailureReporter(showLiteral);

    QuitAtLogon quitAtLogon(clock);
    const bool timing = qEnvironmentVariableIsSet("OSTRELLE_QUIT_AT_LOGON");
    if (timing)
        app.installEventFilter(&quitAtLogon);

    StartupSequence startup(ws, std::move(environment));
    if (startup.Run() != StartupResult::Completed)
        return startup.exitCode();
    return timing ? 0 : QApplication::exec();
}
