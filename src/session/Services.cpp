#include "session/Services.h"

#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "platform/OsVersion.h"
#include "settings/clsSystemParams.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>

ProgramServices::ProgramServices(QString programPath, const RegistryStore::Paths &hives,
                                 std::unique_ptr<Messages> messageBoxes)
    : ProgramPath(std::move(programPath)), ComputerName(LocalComputerName()), registryStore(hives),
      registry(registryStore, RegistryLog), LocalParams(registry), messages(std::move(messageBoxes))
{
    texts.setProgramPath(ProgramPath);
    TextResources::install(&texts);
}

ProgramServices::~ProgramServices()
{
    if (TextResources::installed() == &texts)
        TextResources::install(nullptr);
}

void ProgramServices::OpenStartupLog()
{
    StartupLog.Create(QDir(ProgramPath).filePath(QStringLiteral("startup.log")), true);
    // The version goes on the first line itself, so the file does not start with an empty line.
    StartupLog.AddString(QStringLiteral("// Ostrelle client version %1.%2.%3")
                             .arg(OSTRELLE_VERSION_MAJOR)
                             .arg(OSTRELLE_VERSION_MINOR)
                             .arg(OSTRELLE_VERSION_PATCH),
                         true);
    StartupLog.AddString(QStringLiteral("// Startup logfile"));
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    StartupLog.AddString(QStringLiteral("// Created: ") + locale.toString(now.date(), QLocale::ShortFormat) +
                         QLatin1Char(' ') + locale.toString(now.time(), QLocale::ShortFormat));
    StartupLog.AddString(QStringLiteral("// ") + OperatingSystemText() + QStringLiteral("\r\n"));
}

DatabaseServices::DatabaseServices() = default;
DatabaseServices::~DatabaseServices() = default;
CardServers::CardServers() = default;
CardServers::~CardServers() = default;
