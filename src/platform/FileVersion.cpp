#include "platform/FileVersion.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QByteArray &marker()
{
    static const QByteArray bytes(kFileVersionMarker);
    return bytes;
}

// The offset of the marker's field, or -1. The marker string itself lies in the reading code of
// every binary that links this file, so only a marker followed by a version counts.
qint64 fieldOffset(QByteArrayView content)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype at = content.indexOf(marker(), from);
        if (at < 0)
            return -1;
        const qsizetype field = at + marker().size();
        if (field + kFileVersionFieldSize <= content.size() && content.at(field) >= '0' && content.at(field) <= '9')
            return field;
        from = at + 1;
    }
}

// The field's offset in an open file. The file is mapped, not read: the version lies near the start
// of a binary, and reading a whole program with its debug information took most of the start-up.
qint64 fieldOffset(QFile &file)
{
    const qint64 size = file.size();
    if (size <= 0)
        return -1;
    if (uchar *mapped = file.map(0, size)) {
        const qint64 field = fieldOffset(QByteArrayView(reinterpret_cast<const char *>(mapped), qsizetype(size)));
        file.unmap(mapped);
        return field;
    }
    return fieldOffset(QByteArrayView(file.readAll()));
}

} // namespace

QString ReadFileVersion(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const qint64 field = fieldOffset(file);
        if (field >= 0 && file.seek(field)) {
            const QByteArray text = file.read(kFileVersionFieldSize);
            return QString::fromLatin1(text.left(text.indexOf('\0') < 0 ? text.size() : text.indexOf('\0')));
        }
    }
    // A shared library of the system: its soname is a link to the file of its full version.
    const QFileInfo info(path);
    if (!info.isSymLink())
        return QString();
    static const QRegularExpression versioned(QStringLiteral("\\.so\\.(\\d+(?:\\.\\d+)*)$"));
    const QRegularExpressionMatch m = versioned.match(QFileInfo(info.canonicalFilePath()).fileName());
    if (!m.hasMatch())
        return QString();
    // Four numbers, as every version of the installation: the comparison reads a third number
    // only when a "." follows it.
    QStringList parts = m.captured(1).split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    return parts.mid(0, 4).join(QLatin1Char('.'));
}

bool StampFileVersion(const QString &path, const QString &version)
{
    const QByteArray text = version.toLatin1();
    if (text.isEmpty() || text.size() >= kFileVersionFieldSize)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 field = fieldOffset(file);
    if (field < 0)
        return false;
    QByteArray padded = text;
    padded.append(kFileVersionFieldSize - text.size(), '\0');
    return file.seek(field) && file.write(padded) == padded.size();
}

QByteArray FileVersionMarkerBytes(const QString &version)
{
    QByteArray bytes = marker() + version.toLatin1();
    bytes.append(kFileVersionFieldSize - qMin<qsizetype>(version.size(), kFileVersionFieldSize), '\0');
    return bytes;
}
