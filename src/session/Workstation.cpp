#include "session/Workstation.h"

#include "components/cardserver/CardsIntf.h"
#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "platform/OsVersion.h"
#include "session/frmLogon.h"
#include "settings/clsSystemParams.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>

Workstation::Workstation(Setup setup)
    : ProgramPath(std::move(setup.programPath)), ComputerName(LocalComputerName()), registryStore(setup.registry),
      registry(registryStore, RegistryLog), LocalParams(registry), messages(std::move(setup.messages))
{
    texts.setProgramPath(ProgramPath);
    TextResources::install(&texts);
    authority.setLogonPrompt([this](int mode) { return RunLogonDialog(*this, mode); });
}

Workstation::~Workstation()
{
    if (TextResources::installed() == &texts)
        TextResources::install(nullptr);
}

void Workstation::OpenStartupLog()
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
