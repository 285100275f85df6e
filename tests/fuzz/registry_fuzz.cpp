// libFuzzer target for the .reg reader: no crash on any bytes, and a document read from a file is
// written out so that reading it back gives the same document, since every registry write
// rewrites the whole hive file from what was read.
#include "FuzzCheck.h"
#include "platform/RegistryStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<RegistryStore::Document> document = RegistryStore::parse(bytes);
    if (!document)
        return 0;
    for (const RegistryStore::Key &key : document->keys) {
        for (const RegistryStore::Entry &entry : key.entries)
            (void)entry.value.textData();
    }
    const QByteArray written = RegistryStore::serialize(*document);
    const std::optional<RegistryStore::Document> again = RegistryStore::parse(written);
    check(again.has_value());
    const QByteArray rewritten = RegistryStore::serialize(*again);
    // On a difference the log shows both writes.
    const auto same = [&](bool ok) {
        if (!ok)
            std::fprintf(stderr, "written:\n%s\nread back and written:\n%s\n", written.constData(),
                         rewritten.constData());
        check(ok);
    };
    same(again->keys.size() == document->keys.size());
    for (qsizetype i = 0; i < again->keys.size(); ++i) {
        const RegistryStore::Key &a = document->keys.at(i);
        const RegistryStore::Key &b = again->keys.at(i);
        same(a.root == b.root && a.path == b.path);
        same(a.entries.size() == b.entries.size());
        for (qsizetype j = 0; j < a.entries.size(); ++j) {
            same(a.entries.at(j).name == b.entries.at(j).name);
            same(a.entries.at(j).value == b.entries.at(j).value);
        }
    }
    same(rewritten == written);
    return 0;
}
