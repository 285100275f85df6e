#pragma once

#include <QList>
#include <QString>

// The switches of the command line; each is "/" + a letter + an optional value.
struct CommandLine
{
    QString raw;
    struct Switch
    {
        QChar letter; // upper-cased
        QString value;
    };
    QList<Switch> switches; // every switch in the order given, known letters or not
    bool hasOdbcSource = false;
    QString odbcSource; // /O
    bool hasServer = false;
    QString server;        // /N
    QString logonUser;     // /L
    QString logonPassword; // /P
    bool hasProgramPath = false;
    QString programPath;                // /C
    bool skipVersionCheck = false;      // /S
    bool skipRegistrationCheck = false; // /I
    bool registerComponents = false;    // /R
    bool reloadTexts = false;           // /T
    bool skipClientUpdate = false;      // /U
    bool hasTextLibrary = false;
    QString textLibrary; // /X
    bool hasTextFile = false;
    QString textFile;        // /D
    bool autoUpdate = false; // /A
    bool hasSmartCardEncoder = false;
    int32_t smartCardEncoder = 0; // /G
    bool showHelp = false;        // /?
};

// Splits at every "/" outside double quotes; each piece is trimmed, its first character
// (upper-cased) picks the switch and the trimmed rest, without enclosing quotes, is its value.
// Unknown letters are ignored.
CommandLine ParseCommandLine(const QString &commandLine);

// The help text "/?" shows: the switches an operator may need, lines joined by CR LF.
QString CommandLineHelpText();

// The numeric value of a switch's text, as far as it is a number ("12x" is 12, "" is 0).
int32_t SwitchNumber(const QString &value);
