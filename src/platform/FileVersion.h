#pragma once

#include <QByteArray>
#include <QString>

// Versions of the installation's files. Our binaries carry their version in a marker that the
// build writes into them (EmbeddedVersion.cpp): the marker text, then a field of
// kFileVersionFieldSize bytes holding the version, NUL-padded. The version is read from the file,
// never from a running process, so a copy can be given another version (StampFileVersion).

inline constexpr char kFileVersionMarker[] = "\x01OSTRELLE-FILE-VERSION:";
inline constexpr int kFileVersionFieldSize = 32;

// The version of a file: its marker's text; for a system library without a marker, the numbers
// its soname link resolves to, in four parts ("libQt6Widgets.so.6" -> "6.4.2.0"). Empty when
// neither is there.
QString ReadFileVersion(const QString &path);

// Rewrites the marker's field of the file in place; false when the file has no marker, the
// version does not fit, or the file cannot be written.
bool StampFileVersion(const QString &path, const QString &version);

// The bytes of a marker holding the version: what the build embeds, and a whole "binary" of its own.
QByteArray FileVersionMarkerBytes(const QString &version);
