#pragma once

#include <array>
#include <cstdint>

class Registry;

// Page margins for printing, in millimetres; the print layout multiplies them by 56.7 for twips.
enum PrinterMargin {
    PortraitTop,
    PortraitLeft,
    PortraitBottom,
    PortraitRight,
    LandscapeTop,
    LandscapeLeft,
    LandscapeBottom,
    LandscapeRight,
    PrinterMarginCount
};

using PrinterMargins = std::array<int32_t, PrinterMarginCount>;

// Reads the eight margins; a missing one takes its default, which is stored at once.
PrinterMargins LoadPrinterMargins(Registry &registry);
