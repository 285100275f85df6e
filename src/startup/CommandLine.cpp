#include "startup/CommandLine.h"

#include <QStringList>

CommandLine ParseCommandLine(const QString &commandLine)
{
    CommandLine result;
    result.raw = commandLine;
    const QStringList pieces = commandLine.split(QLatin1Char('/'));
    // The text before the first "/" is no switch.
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString piece = pieces.at(i).trimmed();
        if (piece.isEmpty())
            continue;
        const QChar letter = piece.at(0).toUpper();
        const QString value = piece.mid(1).trimmed();
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
        case 'G': {
            result.hasSmartCardEncoder = true;
            // The numeric value of the text, as far as it is a number.
            qsizetype n = 0;
            while (n < value.size() && (value.at(n).isDigit() || (n == 0 && value.at(0) == QLatin1Char('-'))))
                ++n;
            result.smartCardEncoder = value.left(n).toInt();
            break;
        }
        case '?':
            result.showHelp = true;
            break;
        default:
            break;
        }
    }
    return result;
}
