// libFuzzer target for the text files: text-file mode reads any bytes without crashing, and every
// entry the text-library generator accepts is found by text-file mode with the very same text,
// since the program reads the same file both ways.
#include "FuzzCheck.h"
#include "components/textlib/RcFile.h"
#include "texts/TextFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const QString contents = DecodeTextFile(QByteArrayView(bytes.data(), qsizetype(size)));
    // A few numbers the bytes themselves suggest, so lookups of present and absent keys both run.
    for (size_t i = 0; i + 1 < size && i < 8; i += 2)
        FindInTextFile(contents, int16_t(data[i] | data[i + 1] << 8));

    rcfile::Parsed parsed;
    try {
        const std::u16string file = rcfile::decodeUtf8(bytes);
        parsed = rcfile::parse(file);
        rcfile::checkTextFileReach(file, parsed);
    } catch (const rcfile::ParseError &error) {
        check(error.line >= 1 && !error.message.empty());
        return 0;
    }
    check(!parsed.entries.empty());
    for (const rcfile::Entry &entry : parsed.entries) {
        check(entry.id >= -32768 && entry.id <= 32767);
        // Not fromStdU16String: that drops a leading U+FEFF as a byte-order mark.
        const QString text(reinterpret_cast<const QChar *>(entry.text.data()), qsizetype(entry.text.size()));
        const QString found = FindInTextFile(contents, int16_t(entry.id));
        if (found != text)
            std::fprintf(stderr, "text %d: the generator has \"%s\", text-file mode \"%s\"\n", entry.id,
                         text.toUtf8().toPercentEncoding(" ").constData(),
                         found.toUtf8().toPercentEncoding(" ").constData());
        check(found == text);
    }
    return 0;
}
