// The hyperlink record: turns a static text control into an underlined link that opens its target.
#pragma once

#include "controls/LinkRules.h"

#include <cstdint>
#include <string_view>

// The handle types as <windows.h> declares them under STRICT, so owners can embed the record
// without pulling in Win32.
struct HWND__;
struct HFONT__;

class CMyStaticLink {
public:
    CMyStaticLink() = default;
    // Deliberately no detach here: the control's WM_DESTROY detaches it, and the dialog window is
    // always destroyed before the object that embeds the record.
    virtual ~CMyStaticLink() = default;
    // The control finds the record by its address, so the record must never move or be copied.
    CMyStaticLink(const CMyStaticLink&) = delete;
    CMyStaticLink& operator=(const CMyStaticLink&) = delete;
    CMyStaticLink(CMyStaticLink&&) = delete;
    CMyStaticLink& operator=(CMyStaticLink&&) = delete;

    // Takes over the control's window procedure and makes it a tab stop, so that it can be reached and
    // opened from the keyboard; false for a null control or a record already attached.
    bool Attach(HWND__* control);
    // False, keeping the old texts, when the caption takes 32 bytes or more of code-page-936 text
    // or the target 1024 or more. Either may be empty: the control's own text then stands in.
    bool SetTarget(std::wstring_view target, std::wstring_view caption);
    // Gives the control back with its own procedure and style, deletes the underlined font and empties
    // the record; returns the control, or null when nothing was attached.
    HWND__* Detach();

    bool IsHovering() const { return m_hover != 0; }
    HWND__* Window() const { return m_window; }
    HFONT__* Font() const { return m_font; }
    std::wstring_view Caption() const { return m_caption; }
    std::wstring_view Target() const { return m_target; }

private:
    friend class CLinkProcedure;

    std::int32_t m_hover = 0;
    HWND__* m_window = nullptr;
    HFONT__* m_font = nullptr;
    wchar_t m_caption[links::kCaptionBytes] = {};
    wchar_t m_target[links::kTargetBytes] = {};
    std::intptr_t m_savedProcedure = 0;
    std::intptr_t m_savedStyle = 0;
};

// What a click on a link calls to open an address. The default asks the shell to open it; tests put
// a recorder in its place so that no browser starts. Returns the opener it replaced.
using LinkOpener = void (*)(const wchar_t* address);
LinkOpener ReplaceLinkOpener(LinkOpener opener);
