#include "admin/AdminWindows.h"
#include "cards/CardWindows.h"
#include "platform/MessageDialog.h"
#include "session/Workstation.h"
#include "startup/StartupSequence.h"
#include "ui/DialogMessages.h"
#include "views/ViewWindows.h"

#include <QApplication>

int main(int argc, char **argv)
{
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

    StartupSequence startup(ws, std::move(environment));
    if (startup.Run() != StartupResult::Completed)
        return startup.exitCode();
    return QApplication::exec();
}
