#include "platform/OsVersion.h"

#include <QSysInfo>

QString OperatingSystemText()
{
    return QSysInfo::prettyProductName() + QStringLiteral(" (") + QSysInfo::kernelType() + QLatin1Char(' ') +
           QSysInfo::kernelVersion() + QLatin1Char(')');
}

QString LocalComputerName()
{
    return QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).left(15);
}
