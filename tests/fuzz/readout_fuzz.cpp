// libFuzzer target for the handheld read-out parser: no crash on any text, a refusal names a line
// and a reason and keeps no sources, and an accepted read-out survives writing and reading again.
#include "FuzzCheck.h"
#include "components/cardserver/Readout.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    const ReadoutParseResult parsed = parseReadout(text);
    if (parsed.status != CardFormatStatus::Ok) {
        check(parsed.readout.sources.isEmpty());
        check(!parsed.reason.isEmpty());
        check(parsed.line >= 0);
        check(!CardFormatStatusText(parsed.status).isEmpty());
        return 0;
    }
    check(parsed.line == 0);
    check(parsed.readout.sources.size() <= Readout::kMaxSources);

    const QByteArray written = writeReadout(parsed.readout);
    const ReadoutParseResult again = parseReadout(written);
    check(again.status == CardFormatStatus::Ok);
    check(again.readout == parsed.readout);
    check(writeReadout(again.readout) == written);
    return 0;
}
