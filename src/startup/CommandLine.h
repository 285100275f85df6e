#pragma once

#include <QString>

// The switches of the command line; each is "/" + a letter + an optional value.
struct CommandLine
{
    QString raw;
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

// Splits at every "/"; each piece is trimmed, its first character (upper-cased) picks the
// switch and the trimmed rest is its value. Unknown letters are ignored.
CommandLine ParseCommandLine(const QString &commandLine);
