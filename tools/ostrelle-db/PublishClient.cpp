#include "ostrelle-db/PublishClient.h"

#include "components/recordtable/RecordDatabase.h"
#include "components/recordtable/RecordTable.h"
#include "ostrelle-db/RowWriter.h"
#include "platform/FileVersion.h"
#include "platform/Installation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

namespace DbTool {
namespace {

bool exec(RecordDatabase &db, const QString &sql, const QVariantList &binds, QString &error)
{
    QSqlQuery q(db.sqlDatabase());
    q.prepare(sql);
    for (const QVariant &v : binds)
        q.addBindValue(v);
    if (q.exec())
        return true;
    error = StatusMessage(RecordStatus::SqlError, q.lastError().text());
    return false;
}

bool storeFile(RecordDatabase &db, const QString &path, const QByteArray &data, int mode, const QString &version,
               QString &error)
{
    return exec(
        db,
        QStringLiteral("INSERT INTO \"ServerFiles\" (\"filePath\", \"fileVersion\", \"checksum\", \"fileMode\", "
                       "\"fileData\") VALUES (?, ?, ?, ?, ?)"),
        {path, version, QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex()), mode,
         data},
        error);
}

bool storeSetting(RecordDatabase &db, const QString &key, const QString &name, const QString &value, QString &error)
{
    return exec(db, QStringLiteral("DELETE FROM \"ServerSettings\" WHERE \"keyPath\" = ? AND \"valueName\" = ?"),
                {key, name}, error) &&
           exec(db,
                QStringLiteral(
                    "INSERT INTO \"ServerSettings\" (\"keyPath\", \"valueName\", \"value\") VALUES (?, ?, ?)"),
                {key, name, value}, error);
}

} // namespace

bool publishClient(RecordDatabase &db, const QString &folder, const QString &requiredVersion, QString &version,
                   QString &error)
{
    const QDir dir(folder);
    if (!dir.exists()) {
        error = QStringLiteral("There is no folder %1.").arg(folder);
        return false;
    }
    version = requiredVersion.isEmpty() ? ReadFileVersion(dir.filePath(QStringLiteral("ostrelle"))) : requiredVersion;
    if (!version.contains(QLatin1Char('.'))) {
        error = QStringLiteral("%1 holds no client with a version (ostrelle).").arg(folder);
        return false;
    }
    const QString root = dir.canonicalPath();
    const QString update = root + QStringLiteral("/UPDATE/");
    RecordDatabase::Transaction transaction(db);
    if (!exec(db, QStringLiteral("DELETE FROM \"ServerFiles\""), {}, error))
        return false;
    QStringList names;
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &info : files) {
        if (info.fileName() == QLatin1String(Installation::kSetupList))
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("%1: %2").arg(info.filePath(), file.errorString());
            return false;
        }
        if (!storeFile(db, update + info.fileName(), file.readAll(), info.permissions().toInt(),
                       ReadFileVersion(info.filePath()), error))
            return false;
        names << info.fileName();
    }
    const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (!storeFile(db, update + QLatin1String(Installation::kSetupList), names.join(QStringLiteral("\r\n")).toUtf8(),
                   readable.toInt(), QString(), error) ||
        !storeSetting(db, QStringLiteral("Software\\Veltrix\\DBServer\\Settings"), QStringLiteral("LatestInstall"),
                      root, error) ||
        !storeSetting(db, QStringLiteral("Software\\Veltrix\\Ostrelle\\Settings"), QStringLiteral("Version"), version,
                      error))
        return false;
    if (!transaction.commit()) {
        error = StatusMessage(RecordStatus::SqlError, QStringLiteral("The published files could not be committed."));
        return false;
    }
    return true;
}

} // namespace DbTool
