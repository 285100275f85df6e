#pragma once

#include <QString>

#include <cstdint>

// Text-file mode on its own, as TextResources reads its text file: the characters it reads of a
// file's bytes, and the text it finds for a number in them (empty when none).
QString DecodeTextFile(QByteArrayView bytes);
QString FindInTextFile(QStringView contents, int16_t number);
