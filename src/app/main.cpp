#include "frame/frmMain.h"
#include "platform/MessageDialog.h"
#include "session/Workstation.h"
#include "startup/CommandLine.h"
#include "ui/DialogMessages.h"

#include <QApplication>
#include <QDir>

namespace {

// Joins the program's arguments back into one command line, as the switches are parsed from it.
QString commandLineOf(const QStringList &arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

int failStart(Workstation &ws, const QString &message)
{
    ws.StartupLog.Failed();
    ShowMessageDialog(message, DialogStyle::Error, TextOr(-32767, QStringLiteral("Error Message")),
                      {TextOr(17000, QStringLiteral("OK"))});
    ws.StartupLog.AddString(QStringLiteral("Closing log file"));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrix Ostrelle"));

    const CommandLine commandLine = ParseCommandLine(commandLineOf(QCoreApplication::arguments()));

    Workstation::Setup setup;
    setup.programPath = commandLine.hasProgramPath ? commandLine.programPath : QCoreApplication::applicationDirPath();
    setup.registry = RegistryStore::defaultPaths();
    setup.messages = std::make_unique<DialogMessages>();
    Workstation ws(std::move(setup));

    const auto showLiteral = [](const QString &title, const QString &text) {
        ShowMessageDialog(text, DialogStyle::Exclamation, title, {QStringLiteral("OK")});
    };
    ws.StartupLog.setFailureReporter(showLiteral);
    ws.RegistryLog.setFailureReporter(showLiteral);
    ws.OpenStartupLog();

    int32_t registryLog = 0;
    if (ws.registry.ReadLong(QStringLiteral("registry.log"), registryLog) && registryLog != 0)
        ws.registry.OpenRegistryLog(QDir(ws.ProgramPath).filePath(QStringLiteral("registry.log")));

    ws.StartupLog.AddString(QStringLiteral("Path is '") + ws.ProgramPath + QLatin1Char('\''));
    ws.StartupLog.AddString(QStringLiteral("Read local parameters"));
    ws.LocalParams.ReadLocalParameters();

    ws.StartupLog.AddString(QStringLiteral("Parse commandline parameters"));
    ws.StartupLog.AddString(commandLine.raw.trimmed().isEmpty()
                                ? QStringLiteral("> No parameters passed")
                                : QStringLiteral("> Parameters passed: ") + commandLine.raw);
    if (commandLine.hasTextLibrary) {
        ws.texts.setLibraryName(commandLine.textLibrary);
        ws.StartupLog.AddString(QStringLiteral("> Name of CTexts.dll is '") + commandLine.textLibrary +
                                QLatin1Char('\''));
    }
    if (commandLine.hasTextFile) {
        ws.texts.setTextFileName(commandLine.textFile);
        ws.texts.setTextFileMode(true);
        ws.StartupLog.AddString(QStringLiteral("> Name of text resource file is '") + commandLine.textFile +
                                QLatin1Char('\''));
    }

    ws.StartupLog.AddString(QStringLiteral("Load resource dll"));
    if (!ws.texts.LoadTextLibrary())
        return failStart(ws, QStringLiteral("Failed to load the text resource dll (") + ws.texts.libraryName() +
                                 QLatin1Char(')'));
    if (ws.texts.textFileMode()) {
        ws.StartupLog.AddString(QStringLiteral("Load resource text file"));
        if (!ws.texts.LoadTextFile())
            return failStart(ws, QStringLiteral("Failed to load the text resource file (") + ws.texts.textFileName() +
                                     QLatin1Char(')'));
    }
    QApplication::setApplicationDisplayName(GetText(15010));

    ws.printerMargins = LoadPrinterMargins(ws.registry);
    ws.StartupLog.AddString(QStringLiteral("Load main frame"));
    frmMain frame(ws);
    frame.show();
    ws.StartupLog.AddString(QStringLiteral("Startup completed"));
    const int rc = QApplication::exec();
    ws.texts.UnloadTextLibrary();
    return rc;
}
