// The hyperlink's decisions: byte limits, which text to draw and open, and when the hover ends.
#include "controls/LinkRules.h"

#include <cstdint>

namespace links {

namespace {

bool IsHighSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Bytes of one code unit. Takes the unit widened, so that one body serves the 16-bit wchar_t of
// Windows and the 32-bit one elsewhere, whose characters above 0xFFFF count as a surrogate pair.
std::size_t CodeBytes(std::uint32_t code)
{
    if (code < 0x80)
        return 1;
    return code > 0xFFFF ? 4 : 2;
}

std::size_t UnitBytes(wchar_t unit)
{
    return CodeBytes(static_cast<std::uint32_t>(unit));
}

}  // namespace

std::size_t Cp936Bytes(std::wstring_view text)
{
    std::size_t bytes = 0;
    for (wchar_t unit : text)
        bytes += UnitBytes(unit);
    return bytes;
}

bool CaptionFits(std::wstring_view caption)
{
    return Cp936Bytes(caption) < kCaptionBytes;
}

bool TargetFits(std::wstring_view target)
{
    return Cp936Bytes(target) < kTargetBytes;
}

std::wstring_view FittingPrefix(std::wstring_view text, std::size_t maxBytes)
{
    std::size_t bytes = 0;
    std::size_t units = 0;
    while (units < text.size()) {
        std::size_t step = 1;
        std::size_t cost = UnitBytes(text[units]);
        if (IsHighSurrogate(text[units]) && units + 1 < text.size() && IsLowSurrogate(text[units + 1])) {
            step = 2;
            cost += UnitBytes(text[units + 1]);
        }
        if (bytes + cost > maxBytes)
            break;
        bytes += cost;
        units += step;
    }
    return text.substr(0, units);
}

std::wstring_view TextToDraw(std::wstring_view caption, std::wstring_view controlText)
{
    return caption.empty() ? FittingPrefix(controlText, kTargetBytes - 1) : caption;
}

std::wstring_view TextToOpen(std::wstring_view target, std::wstring_view controlText)
{
    return target.empty() ? FittingPrefix(controlText, kTargetBytes - 1) : target;
}

bool IsInside(const Bounds& bounds, int x, int y)
{
    return x >= bounds.left && x <= bounds.right && y >= bounds.top && y <= bounds.bottom;
}

HoverChange OnMouseMove(bool hovering, bool cursorInside)
{
    if (!hovering)
        return HoverChange::Enter;
    return cursorInside ? HoverChange::None : HoverChange::Leave;
}

bool IsOpeningKey(unsigned virtualKey)
{
    constexpr unsigned kReturn = 0x0D, kSpace = 0x20;
    return virtualKey == kReturn || virtualKey == kSpace;
}

std::uint32_t TextColour(bool hovering, const SystemColours* highContrast)
{
    if (highContrast)
        return hovering ? highContrast->highlight : highContrast->link;
    return hovering ? 0x0000FFu : 0xFF0000u;
}

}  // namespace links
