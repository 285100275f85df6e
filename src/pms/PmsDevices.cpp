#include "pms/PmsDevices.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace {

bool isHostName(const QString &host)
{
    // Labels of letters, digits and hyphens separated by dots (an IPv4 address is one too).
    static const QRegularExpression name(QStringLiteral(
        "^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*$"));
    return host.size() <= 253 && name.match(host).hasMatch();
}

} // namespace

std::optional<HostPort> ParseHostPort(const QString &text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    QString host = text.left(colon);
    const QString portText = text.mid(colon + 1);
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(portText).hasMatch())
        return std::nullopt;
    const int port = portText.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
            return std::nullopt;
    } else if (!isHostName(host)) {
        return std::nullopt;
    }
    return HostPort{host, port};
}

bool ServesPmsDevice(const QString &computerName, const QString &thisComputer, bool databaseIsLocal)
{
    const QString name = computerName.trimmed();
    if (name.compare(QLatin1String("$LOCAL"), Qt::CaseInsensitive) == 0)
        return true;
    if (name.compare(QLatin1String("$SERVER"), Qt::CaseInsensitive) == 0)
        return databaseIsLocal;
    return !name.isEmpty() && name.compare(thisComputer, Qt::CaseInsensitive) == 0;
}
