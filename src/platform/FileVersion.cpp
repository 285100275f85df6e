#include "platform/FileVersion.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>
#include <elf.h>
#include <optional>

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

struct Span
{
    qsizetype offset = 0;
    qsizetype size = 0;
};

// Where a 64-bit ELF file keeps its marker: the section the build puts it in, or an empty span when
// the file has none (a system library). nullopt for anything that is no such ELF file, which is
// searched whole. Searching whole system libraries cost about 30 ms of every start.
std::optional<Span> markerSection(QByteArrayView content)
{
    Elf64_Ehdr header;
    if (content.size() < qsizetype(sizeof header))
        return std::nullopt;
    std::memcpy(&header, content.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_shentsize != sizeof(Elf64_Shdr))
        return std::nullopt;
    const auto within = [&](quint64 offset, quint64 size) {
        return offset <= quint64(content.size()) && size <= quint64(content.size()) - offset;
    };
    const auto section = [&](quint64 index) {
        Elf64_Shdr s;
        std::memcpy(&s, content.data() + header.e_shoff + index * sizeof s, sizeof s);
        return s;
    };
    if (header.e_shstrndx >= header.e_shnum || !within(header.e_shoff, quint64(header.e_shnum) * sizeof(Elf64_Shdr)))
        return Span{};
    const Elf64_Shdr names = section(header.e_shstrndx);
    if (!within(names.sh_offset, names.sh_size))
        return Span{};
    static constexpr char wanted[] = ".ostrelle_version";
    for (quint64 i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr s = section(i);
        if (s.sh_type != SHT_PROGBITS || s.sh_name >= names.sh_size || names.sh_size - s.sh_name < sizeof wanted ||
            std::memcmp(content.data() + names.sh_offset + s.sh_name, wanted, sizeof wanted) != 0)
            continue;
        if (within(s.sh_offset, s.sh_size))
            return Span{qsizetype(s.sh_offset), qsizetype(s.sh_size)};
    }
    return Span{};
}

qint64 fieldOffsetInFile(QByteArrayView content)
{
    const std::optional<Span> section = markerSection(content);
    if (!section)
        return fieldOffset(content);
    const qint64 field = fieldOffset(content.sliced(section->offset, section->size));
    return field < 0 ? -1 : section->offset + field;
}

// The field's offset in an open file. The file is mapped, not read: reading a whole program with its
// debug information took most of the start-up.
qint64 fieldOffset(QFile &file)
{
    const qint64 size = file.size();
    if (size <= 0)
        return -1;
    if (uchar *mapped = file.map(0, size)) {
        const qint64 field = fieldOffsetInFile(QByteArrayView(reinterpret_cast<const char *>(mapped), qsizetype(size)));
        file.unmap(mapped);
        return field;
    }
    return fieldOffsetInFile(QByteArrayView(file.readAll()));
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
