// Pictures that fill their rectangles at any dialog font: a bitmap drawn for the template at one size is
// resampled once, when its dialog opens, to what the template asks for at the font the dialog got.
#include "controls/FittedPictures.h"

#include "controls/PictureRules.h"

#include <cstdint>

namespace {

// Skips a field that is either empty, a 0xFFFF-marked number, or a NUL-terminated string.
const WORD* PastField(const WORD* at)
{
    if (*at == 0xFFFF)
        return at + 2;
    while (*at++ != 0) {
    }
    return at;
}

bool IsStaticClass(const WORD* field)
{
    constexpr WORD kStaticAtom = 0x0082;
    if (*field == 0xFFFF)
        return field[1] == kStaticAtom;
    return _wcsicmp(reinterpret_cast<const wchar_t*>(field), L"Static") == 0;
}

struct TemplatePicture {
    size_t index;  // in template order, which is also the order the dialog manager creates controls in
    SIZE units;    // the size the template gives it, in dialog units
};

struct TemplatePictures {
    std::vector<TemplatePicture> pictures;
    size_t controls = 0;
};

// The bitmap pictures an extended template declares. A template of the older form gives none.
TemplatePictures PicturesIn(int templateId)
{
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    const auto* start =
        found ? static_cast<const WORD*>(::LockResource(::LoadResource(module, found))) : nullptr;
    TemplatePictures result;
    if (!start || start[0] != 1 || start[1] != 0xFFFF)
        return result;
    // Version, signature, help id, extended style, style, count, x, y, cx, cy; then menu, class and title.
    const DWORD style = MAKELONG(start[6], start[7]);
    const WORD* at = PastField(PastField(PastField(start + 13)));
    if (style & DS_SETFONT)
        at = PastField(at + 3);  // point size, weight, italic and character set, then the face
    result.controls = start[8];
    for (size_t item = 0; item < result.controls; ++item) {
        at += (at - start) % 2;  // each control starts on a four-byte boundary
        // Help id, extended style, style, x, y, cx, cy, id; then class, title and the extra data.
        if ((at[4] & SS_TYPEMASK) == SS_BITMAP && IsStaticClass(at + 12))
            result.pictures.push_back({item, {static_cast<short>(at[8]), static_cast<short>(at[9])}});
        at = PastField(PastField(at + 12));
        at = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(at + 1) + *at);
    }
    return result;
}

// Every step from one sibling to the next asks the window manager. Templates put their pictures last, or
// nearly, so the walk starts from the last control.
HWND NthChild(HWND dialog, size_t index, size_t count)
{
    HWND child = ::GetWindow(dialog, GW_CHILD);
    child = child ? ::GetWindow(child, GW_HWNDLAST) : nullptr;
    for (size_t place = count - 1; place > index && child; --place)
        child = ::GetWindow(child, GW_HWNDPREV);
    return child;
}

HBITMAP ScaledCopy(HBITMAP picture, pictures::Extent from, pictures::Extent to)
{
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, from.cx, -from.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<size_t>(from.cx) * static_cast<size_t>(from.cy));
    const HDC screen = ::GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP scaled = nullptr;
    if (::GetDIBits(screen, picture, 0, static_cast<UINT>(from.cy), pixels.data(), &format, DIB_RGB_COLORS) ==
        from.cy) {
        format.bmiHeader = {sizeof format.bmiHeader, to.cx, -to.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        scaled = ::CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    ::ReleaseDC(nullptr, screen);
    if (scaled)
        pictures::Resample(pixels.data(), from, static_cast<std::uint32_t*>(bits), to);
    return scaled;
}

}  // namespace

CFittedPictures::~CFittedPictures()
{
    for (const HBITMAP bitmap : m_bitmaps)
        ::DeleteObject(bitmap);
}

void CFittedPictures::Fit(HWND dialog, int templateId)
{
    RECT baseUnits{0, 0, 4, 8};
    ::MapDialogRect(dialog, &baseUnits);
    const TemplatePictures declared = PicturesIn(templateId);
    for (const TemplatePicture& each : declared.pictures) {
        const HWND picture = NthChild(dialog, each.index, declared.controls);
        // A dialog whose children no longer follow its template is left as it is.
        wchar_t kind[8] = {};
        if (!picture || (::GetWindowLongW(picture, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP ||
            !::GetClassNameW(picture, kind, 8) || _wcsicmp(kind, L"Static") != 0)
            continue;
        const auto shown = reinterpret_cast<HBITMAP>(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP drawn{};
        if (!::GetObjectW(shown, sizeof drawn, &drawn))
            continue;
        // Mapped as a size, as the dialog manager maps it: a mapped rectangle may round differently.
        RECT area{0, 0, each.units.cx, each.units.cy};
        ::MapDialogRect(dialog, &area);
        const pictures::Extent from{drawn.bmWidth, drawn.bmHeight}, to{area.right, area.bottom};
        const bool drawnFor = pictures::IsDrawnFor(from, to, {baseUnits.right, baseUnits.bottom});
        const HBITMAP scaled = drawnFor ? nullptr : ScaledCopy(shown, from, to);
        const HBITMAP kept = scaled ? scaled : shown;
        // Windows frees a picture's template bitmap with the control only while nobody has set its image, and
        // Wine never frees it. So every picture is handed its bitmap, scaled or its own, and from then on
        // every bitmap it held or holds is ours on both. A scaled copy takes its size, keeping its place.
        m_bitmaps.push_back(kept);
        const auto given = reinterpret_cast<HBITMAP>(
            ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(kept)));
        if (given != kept)
            ::DeleteObject(given);
    }
}
