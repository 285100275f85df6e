// libFuzzer target for the card-image decoder. Whatever the bytes, decode() must not crash or read
// out of bounds, a refused image leaves nothing behind, and an accepted one encodes back to the
// very same bytes and walks without surprises.
#include "FuzzCheck.h"
#include "components/cardserver/CardImage.h"
#include "components/cardserver/Crc32.h"

#include <QtEndian>

#include <cstdint>
#include <cstdlib>

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

// Most mutants get a correct length and checksum, so the fuzzer gets past the CRC into the
// block and field parser instead of stopping at BadChecksum every time.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize, unsigned int seed)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    if ((seed & 3) != 0 && size >= size_t(CardImage::kMinSize) && size <= size_t(CardImage::kMaxSize)) {
        qToLittleEndian(quint16(size), data + 6);
        const quint32 crc = crc32(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size) - 4));
        qToLittleEndian(crc, data + size - 4);
    }
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CardImage image;
    const qint32 status = CardImage::decode(bytes, image);
    if (status != CardFormatStatus::Ok) {
        check(image.isEmpty());
        check(!CardFormatStatusText(status).isEmpty());
        return 0;
    }

    QByteArray again;
    check(image.encode(again) == CardFormatStatus::Ok);
    check(again == bytes);
    check(image.encodedSize() == again.size());
    CardImage second;
    check(CardImage::decode(again, second) == CardFormatStatus::Ok);
    check(second == image);

    for (const CardField &field : image.fields())
        check(image.GetCardField(field.name) == field.value);

    // The walk visits every range once, in order, and then stays at its end.
    qsizetype ranges = 0;
    for (const CardBlock &block : image.blocks())
        ranges += block.ranges.size();
    qint32 kind = 0, type = 0, first = 0, last = 0, value = 0;
    qsizetype walked = 0;
    while (image.GetNextRange(kind, type, first, last) == CardFormatStatus::Ok) {
        check(++walked <= ranges);
        check(first >= 0 && first <= last && type >= 1);
        int values = 0;
        while (image.GetNextValue(value) == CardFormatStatus::Ok)
            check(++values <= CardImage::kMaxCount);
    }
    check(walked == ranges);
    check(image.GetNextRange(kind, type, first, last) == CardFormatStatus::NoMore);
    return 0;
}
