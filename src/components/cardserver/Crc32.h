#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320, initial and final XOR
// 0xFFFFFFFF), so an image can be checked with any standard tool.
quint32 crc32(QByteArrayView bytes);
