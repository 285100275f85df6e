#include "settings/PrinterMargins.h"

#include "platform/Registry.h"

namespace {

struct MarginRow
{
    const char *valueName;
    int32_t defaultMillimetres;
};

// Indexed by PrinterMargin.
const MarginRow kMargins[PrinterMarginCount] = {
    {"nPortTop", 20}, {"nPortLeft", 25}, {"nPortBottom", 20}, {"nPortRight", 20},
    {"nLandTop", 25}, {"nLandLeft", 15}, {"nLandBottom", 20}, {"nLandRight", 15},
};

} // namespace

PrinterMargins LoadPrinterMargins(Registry &registry)
{
    PrinterMargins margins{};
    for (int i = 0; i < PrinterMarginCount; ++i) {
        const QString name = QString::fromLatin1(kMargins[i].valueName);
        if (!registry.ReadLong(name, margins[i])) {
            margins[i] = kMargins[i].defaultMillimetres;
            // A failed write is already in the registry log; the default serves this run.
            registry.WriteLong(name, margins[i]);
        }
    }
    return margins;
}
