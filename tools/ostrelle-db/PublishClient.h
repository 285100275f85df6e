#pragma once

#include <QString>

class RecordDatabase;

namespace DbTool {

// Stores the files of a client folder on the database server for the workstations' update:
// each file under <folder>/UPDATE/<name> with its version, mode and SHA-256, the list Setup.lst,
// the server settings LatestInstall (the folder) and the required client Version (the version
// of <folder>/ostrelle unless requiredVersion names one, e.g. "2.3.12 beta 4"). Replaces what was
// published before, in one transaction. version receives the required version stored.
bool publishClient(RecordDatabase &db, const QString &folder, const QString &requiredVersion, QString &version,
                   QString &error);

} // namespace DbTool
