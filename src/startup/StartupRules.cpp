#include "startup/StartupRules.h"

#include <QStringList>

namespace {

// The numeric value of a version part, as far as it is a number ("12a" is 12, "x" is 0).
int64_t partValue(QStringView part)
{
    part = part.trimmed();
    qsizetype n = 0;
    if (n < part.size() && (part.at(0) == QLatin1Char('-') || part.at(0) == QLatin1Char('+')))
        ++n;
    while (n < part.size() && part.at(n).isDigit())
        ++n;
    return part.left(n).toLongLong();
}

int compareNumbers(int64_t part, int32_t given)
{
    return part > given ? 3 : part < given ? 1 : 2;
}

} // namespace

int CompareVersion(const QString &text, int32_t major, int32_t minor, int32_t build, int32_t revision)
{
    if (text.isEmpty() || !text.contains(QLatin1Char('.')))
        return 0;
    const int32_t given[3] = {major, minor, build};
    QStringView rest(text);
    for (int32_t number : given) {
        const qsizetype dot = rest.indexOf(QLatin1Char('.'));
        if (dot < 0)
            return 0;
        const int result = compareNumbers(partValue(rest.left(dot)), number);
        if (result != 2)
            return result;
        rest = rest.mid(dot + 1);
    }
    if (revision == -1)
        return 2;
    return compareNumbers(partValue(rest), revision);
}

int WindowsFamily(const OsVersionInfo &v)
{
    switch (v.platformId) {
    case OsVersionInfo::Win32Windows:
        if (v.major > 4)
            return 5;
        if (v.major < 4)
            return 1;
        if (v.minor >= 90)
            return 5;
        if (v.minor < 10)
            return 1;
        return 2;
    case OsVersionInfo::Win32NT:
        if (v.major < 5)
            return 3;
        if (v.major == 5 && v.minor == 0)
            return 4;
        return 6;
    default:
        return 0;
    }
}

bool IsNtFamily(int family)
{
    return family == 3 || family == 4 || family == 6;
}

QString WindowsVersionText(const OsVersionInfo &v)
{
    QString name;
    uint32_t build = v.build;
    switch (v.platformId) {
    case OsVersionInfo::Win32Windows:
        if ((v.major == 4 && v.minor >= 90) || v.major > 4)
            name = QStringLiteral("Me");
        else if (v.major == 4 && v.minor >= 1)
            name = QStringLiteral("98");
        else
            name = QStringLiteral("95");
        build &= 0xFFFF; // the high word repeats major and minor there
        break;
    case OsVersionInfo::Win32NT:
        if (v.major < 5)
            name = QStringLiteral("NT");
        else if (v.major == 5 && v.minor == 0)
            name = QStringLiteral("2000");
        else if (v.major == 5 && v.minor == 1)
            name = QStringLiteral("XP");
        else if (v.major == 5 && v.minor == 2)
            name = QStringLiteral("Server 2003");
        else
            name = QStringLiteral("<Unknown>");
        break;
    default:
        return QStringLiteral("<?>");
    }
    QString text = QStringLiteral("Windows %1 %2.%3.%4").arg(name).arg(v.major).arg(v.minor).arg(build);
    const QString servicePack = v.servicePack.section(QChar(0), 0, 0).trimmed();
    if (!servicePack.isEmpty())
        text += QLatin1Char(' ') + servicePack;
    return text;
}

QString ParametersLogLine(const QString &commandLine)
{
    return commandLine.trimmed().isEmpty() ? QStringLiteral("> No parameters passed")
                                           : QStringLiteral("> Parameters passed: ") + commandLine;
}

namespace {

// The leading number of a text, as the installation's scripts read it: digits after blanks, 0 without.
int leadingNumber(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype n = 0;
    while (n < t.size() && t.at(n).isDigit())
        ++n;
    return t.left(n).toInt();
}

} // namespace

QString NormalizeVersion(const QString &text)
{
    int parts[4] = {0, 0, 0, 0};
    qsizetype pos = 0;
    for (int &part : parts) {
        qsizetype end = text.indexOf(QLatin1Char('.'), pos);
        if (end < 0)
            end = text.indexOf(QLatin1Char(' '), pos);
        bool numeric = false;
        const int value = text.mid(pos, end < 0 ? -1 : end - pos).toInt(&numeric);
        if (!numeric)
            break;
        part = value;
        if (end < 0)
            break;
        pos = end + 1;
    }
    return QStringLiteral("%1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
}

int BetaNumber(const QString &text)
{
    const qsizetype at = text.indexOf(QStringLiteral("beta"));
    return at < 0 ? 0 : leadingNumber(text.mid(at + 5));
}

QStringList SetupListEntries(const QByteArray &content)
{
    if (content.isEmpty())
        return {};
    QStringList entries = QString::fromLocal8Bit(content).split(QStringLiteral("\r\n"));
    if (entries.last().isEmpty())
        entries.removeLast();
    return entries;
}
