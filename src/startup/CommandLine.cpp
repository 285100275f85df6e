#include "startup/CommandLine.h"

#include <QStringList>

namespace {

// Switches whose value is a file, a folder or a data source: on this system such values hold "/"
// themselves, so they run on to the next switch that follows a blank.
bool takesPath(QChar letter)
{
    return letter == QLatin1Char('O') || letter == QLatin1Char('C') || letter == QLatin1Char('X') ||
           letter == QLatin1Char('D');
}

} // namespace

CommandLine ParseCommandLine(const QString &commandLine)
{
    CommandLine result;
    result.raw = commandLine;
    const QString &line = commandLine;
    // The text before the first "/" is no switch.
    qsizetype slash = line.indexOf(QLatin1Char('/'));
    while (slash >= 0) {
        qsizetype next = line.indexOf(QLatin1Char('/'), slash + 1);
        const QString piece = line.mid(slash + 1, next < 0 ? -1 : next - slash - 1).trimmed();
        if (piece.isEmpty()) {
            slash = next;
            continue;
        }
        const QChar letter = piece.at(0).toUpper();
        QString value = piece.mid(1).trimmed();
        if (takesPath(letter)) {
            qsizetype start = line.indexOf(piece.at(0), slash + 1) + 1;
            while (start < line.size() && line.at(start).isSpace())
                ++start;
            next = start;
            do
                next = line.indexOf(QLatin1Char('/'), next + 1);
            while (next > 0 && !line.at(next - 1).isSpace());
            value = line.mid(start, next < 0 ? -1 : next - start).trimmed();
        }
        slash = next;
        result.switches.append({letter, value});
        switch (letter.unicode()) {
        case 'O':
            result.hasOdbcSource = true;
            result.odbcSource = value;
            break;
        case 'N':
            result.hasServer = true;
            result.server = value;
            break;
        case 'L':
            result.logonUser = value;
            break;
        case 'P':
            result.logonPassword = value;
            break;
        case 'C':
            result.hasProgramPath = true;
            result.programPath = value;
            break;
        case 'S':
            result.skipVersionCheck = true;
            break;
        case 'I':
            result.skipRegistrationCheck = true;
            break;
        case 'R':
            result.registerComponents = true;
            break;
        case 'T':
            result.reloadTexts = true;
            break;
        case 'U':
            result.skipClientUpdate = true;
            break;
        case 'X':
            result.hasTextLibrary = true;
            result.textLibrary = value;
            break;
        case 'D':
            result.hasTextFile = true;
            result.textFile = value;
            break;
        case 'A':
            result.autoUpdate = true;
            break;
        case 'G':
            result.hasSmartCardEncoder = true;
            result.smartCardEncoder = SwitchNumber(value);
            break;
        case '?':
            result.showHelp = true;
            break;
        default:
            break;
        }
    }
    return result;
}

QString CommandLineHelpText()
{
    // /L, /P, /C, /S, /I, /U, /X and /D are for installers and support, not listed here.
    return QStringList{QStringLiteral("Command Line Parameters:"),
                       QString(),
                       QStringLiteral("/O<name> -- Set ODBC Source"),
                       QStringLiteral("/N<name or ip address> -- Select server"),
                       QStringLiteral("/R -- Register components"),
                       QStringLiteral("/T -- Reload text from resource dll"),
                       QStringLiteral("/A -- Start the function 'Auto-update user card'"),
                       QStringLiteral("/G -- Logon using a Gemplus Reader"),
                       QStringLiteral("/? -- Show this dialog")}
        .join(QStringLiteral("\r\n"));
}

int32_t SwitchNumber(const QString &value)
{
    qsizetype n = 0;
    while (n < value.size() && (value.at(n).isDigit() || (n == 0 && value.at(0) == QLatin1Char('-'))))
        ++n;
    return value.left(n).toInt();
}
