#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// The rules of the start-up that depend on nothing but their arguments.

// Compares a dotted version text with major.minor.build.revision: 3 when the text is newer,
// 2 when equal, 1 when older; a revision of -1 matches any fourth part. 0 when the text cannot be
// compared: empty, without ".", or a "." missing where the comparison has to go on.
int CompareVersion(const QString &text, int32_t major, int32_t minor, int32_t build, int32_t revision);

// The version an operating system reports: platform 1 = the 9x line, 2 = the NT line.
struct OsVersionInfo
{
    enum Platform : int32_t { Other = 0, Win32Windows = 1, Win32NT = 2 };
    int32_t platformId = Other;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    QString servicePack; // may hold a NUL and what follows it
};

// 1 95, 2 98, 5 Me on the 9x line; 3 NT, 4 2000, 6 XP or later on the NT line; 0 otherwise.
int WindowsFamily(const OsVersionInfo &version);
bool IsNtFamily(int family);
// "Windows " + name + " " + major.minor.build [+ " " + service pack], "<?>" off both lines.
QString WindowsVersionText(const OsVersionInfo &version);

// The command line as start-up logs it: "> Parameters passed: " + line, or "> No parameters passed".
QString ParametersLogLine(const QString &commandLine);

// Up to four numbers separated by "." (or by " " where no "." follows), read until a part is not
// a number; joined by "." with missing parts 0: "2.3.12 beta 4" gives "2.3.12.0".
QString NormalizeVersion(const QString &text);
// The beta number of a required version: the number after "beta " ("2.3.12 beta 4" gives 4), 0 without.
int BetaNumber(const QString &text);
// The entries of a setup list: separated by CR LF, the text after the last one when not empty.
// Empty content gives none.
QStringList SetupListEntries(const QByteArray &content);
