// The installation's calls: file versions, the server's settings and the published client files.
#include "components/recordtable/RecordTable.h"
#include "platform/FileVersion.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlQuery>

namespace {

// Server paths are kept with "/"; a client may build them with either separator.
QString serverPath(const QString &path)
{
    return QDir::cleanPath(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

} // namespace

QString RecordTable::FileVersion(const QString &path)
{
    m_status = RecordStatus::Ok;
    m_detail.clear();
    return ReadFileVersion(path);
}

QString RecordTable::ServerRegistryValue(const QString &keyAndValueName)
{
    if (!begin())
        return QString();
    const qsizetype cut = keyAndValueName.lastIndexOf(QLatin1Char('\\'));
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q,
                 QStringLiteral("SELECT \"value\" FROM \"ServerSettings\" WHERE lower(\"keyPath\") = lower(?) AND "
                                "lower(\"valueName\") = lower(?)"),
                 {keyAndValueName.left(qMax<qsizetype>(cut, 0)), keyAndValueName.mid(cut + 1)}))
        return QString();
    if (!q.next()) {
        fail(RecordStatus::NoRecord, QStringLiteral("The server has no value %1.").arg(keyAndValueName));
        return QString();
    }
    return q.value(0).toString();
}

void RecordTable::CopyServerFile(const QString &source, const QString &destination)
{
    if (!begin())
        return;
    QSqlQuery q(m_db.sqlDatabase());
    if (!execute(q,
                 QStringLiteral("SELECT \"checksum\", \"fileMode\", \"fileData\" FROM \"ServerFiles\" WHERE "
                                "\"filePath\" = ?"),
                 {serverPath(source)}))
        return;
    if (!q.next()) {
        fail(RecordStatus::FileNotCopied, QStringLiteral("The server has no file %1.").arg(source));
        return;
    }
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly) || out.write(q.value(2).toByteArray()) < 0 || !out.commit()) {
        fail(RecordStatus::FileNotCopied, QStringLiteral("%1: %2").arg(destination, out.errorString()));
        return;
    }
    QFile::setPermissions(destination, QFileDevice::Permissions::fromInt(q.value(1).toInt()));
    // What arrived on the disk is checked, not what the query returned.
    QFile written(destination);
    const QString checksum =
        written.open(QIODevice::ReadOnly)
            ? QString::fromLatin1(QCryptographicHash::hash(written.readAll(), QCryptographicHash::Sha256).toHex())
            : QString();
    if (checksum != q.value(0).toString())
        fail(RecordStatus::FileNotCopied, QStringLiteral("%1 differs from the server's file.").arg(destination));
}

qint32 RecordTable::InstallCheck(const QString &programFolder)
{
    m_status = RecordStatus::Ok;
    m_detail.clear();
    const QFileInfo folder(programFolder);
    if (!folder.isDir() || !folder.isWritable())
        fail(RecordStatus::NotAllowed, QStringLiteral("%1 cannot be written by this user.").arg(programFolder));
    return m_status;
}
