// The hyperlink's decisions, kept free of Win32 so they can be tested anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace links {

// Sizes of the caption and target fields, counting the terminating NUL. The limits are stated
// in bytes of code-page-936 text, so the fields hold one wide unit per byte and can never overflow.
constexpr std::size_t kCaptionBytes = 32;
constexpr std::size_t kTargetBytes = 1024;

// How many bytes the text takes in code page 936. ASCII takes one byte and every other UTF-16 unit
// two, which is exact for the two-byte characters of that code page and never too low otherwise.
std::size_t Cp936Bytes(std::wstring_view text);

bool CaptionFits(std::wstring_view caption);
bool TargetFits(std::wstring_view target);

// The longest leading part of the text that takes at most maxBytes, never ending inside a
// surrogate pair.
std::wstring_view FittingPrefix(std::wstring_view text, std::size_t maxBytes);

// A link shows its caption and opens its target; while either is empty the control's own text
// stands in, as much of it as a target may hold, so a long address is never cut to a wrong one.
std::wstring_view TextToDraw(std::wstring_view caption, std::wstring_view controlText);
std::wstring_view TextToOpen(std::wstring_view target, std::wstring_view controlText);

struct Bounds {
    int left;
    int top;
    int right;
    int bottom;
};

// A point on any edge, the right and bottom ones included, counts as inside.
bool IsInside(const Bounds& bounds, int x, int y);

enum class HoverChange { None, Enter, Leave };

// What a mouse move means for a link: any move while not hovering starts the hover; while hovering
// only a cursor outside the control ends it.
HoverChange OnMouseMove(bool hovering, bool cursorInside);

// The keys a focused link takes from the dialog, Enter and Space, by their virtual-key codes; every other
// key, Tab and Escape among them, stays the dialog's.
bool IsOpeningKey(unsigned virtualKey);

// The system's colours for links and for highlighted items, in the platform's red-green-blue layout.
struct SystemColours {
    std::uint32_t link;
    std::uint32_t highlight;
};

// Blue at rest and red under the mouse suit the normal scheme. In high contrast the user's own colours
// are the only ones sure to show on the user's background, so they are taken instead.
std::uint32_t TextColour(bool hovering, const SystemColours* highContrast);

}  // namespace links
