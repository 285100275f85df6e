#pragma once

#include <QScreen>
#include <QWidget>

#include <cmath>
#include <cstdint>

// Stored geometry is in twips (1/1440 inch): 15 per pixel at 96 logical DPI.
inline double twipsPerPixel(double logicalDpi)
{
    return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0;
}

inline double twipsPerPixelX(const QWidget *widget)
{
    return twipsPerPixel(widget->screen() ? widget->screen()->logicalDotsPerInchX() : 96.0);
}

inline double twipsPerPixelY(const QWidget *widget)
{
    return twipsPerPixel(widget->screen() ? widget->screen()->logicalDotsPerInchY() : 96.0);
}

inline int32_t pixelsToTwips(int pixels, double perPixel)
{
    return static_cast<int32_t>(std::lround(pixels * perPixel));
}

inline int twipsToPixels(int32_t twips, double perPixel)
{
    return static_cast<int>(std::lround(twips / perPixel));
}
