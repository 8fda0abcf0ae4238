// Window layouts are designed in twips, 1/1440 inch: 15 twips make one pixel
// at 96 dots per inch. Every position and size goes through these helpers.
#pragma once

#include <QRect>
#include <QSize>

namespace varnelle {

inline constexpr int TwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel (halves away from zero).
constexpr int twipsToPixels(double twips) {
    const double pixels = twips / TwipsPerPixel;
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

constexpr QSize twipsSize(int width, int height) {
    return QSize(twipsToPixels(width), twipsToPixels(height));
}

}  // namespace varnelle
