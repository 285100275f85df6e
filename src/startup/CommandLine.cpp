#include "startup/CommandLine.h"

#include <QStringList>

namespace {

// A value in double quotes may hold "/": a path or a data-source address given on the command line.
QString unquoted(const QString &value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

// The pieces between one "/" and the next; a "/" inside double quotes splits nothing. The text
// before the first "/" is no switch.
QStringList switchTexts(const QString &line)
{
    QStringList pieces;
    bool quoted = false;
    bool inSwitch = false;
    QString piece;
    for (const QChar c : line) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char('/') && !quoted) {
            if (inSwitch)
                pieces.append(piece);
            piece.clear();
            inSwitch = true;
        } else if (inSwitch) {
            piece.append(c);
        }
    }
    if (inSwitch)
        pieces.append(piece);
    return pieces;
}

} // namespace

CommandLine ParseCommandLine(const QString &commandLine)
{
    CommandLine result;
    result.raw = commandLine;
    for (const QString &text : switchTexts(commandLine)) {
        const QString piece = text.trimmed();
        if (piece.isEmpty())
            continue;
        const QChar letter = piece.at(0).toUpper();
        const QString value = unquoted(piece.mid(1).trimmed());
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
    // Digits of other scripts end the number: toInt() reads ASCII digits only.
    const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    qsizetype n = 0;
    while (n < value.size() && (digit(value.at(n)) || (n == 0 && value.at(0) == QLatin1Char('-'))))
        ++n;
    return value.left(n).toInt();
}
