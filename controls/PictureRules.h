// How a dialog's picture is fitted to its rectangle, kept free of Win32 so it can be tested anywhere.
#pragma once

#include <cstdint>

namespace pictures {

struct Extent {
    int cx;
    int cy;
};

// A template sizes its controls in whole dialog units, so a picture less than one unit off its
// rectangle in each direction was drawn for it and is left as it is. The units are the dialog's base
// units: a quarter of the first is one unit across, an eighth of the second one unit down.
bool IsDrawnFor(Extent picture, Extent rectangle, Extent baseUnits);

// Scales 32-bit pixels, rows top down, each of the four bytes on its own, with a bicubic filter that
// widens to average when shrinking. Integer arithmetic only: every build gives the same pixels, and the
// same size gives the same picture back.
void Resample(const std::uint32_t* from, Extent fromSize, std::uint32_t* to, Extent toSize);

}  // namespace pictures
