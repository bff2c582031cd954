// The hyperlink record on a real control: attach, detach, and the window procedure that paints,
// tracks the hover and opens the target.
#include "controls/MyStaticLink.h"

#include "res/Texts.h"
#include "system/Accessible.h"
#include "system/SystemDll.h"

#include <windows.h>
#include <oleacc.h>

namespace {

LinkOpener g_opener = OpenInShell;

// Posted to the link by assistive technology's default action, which must return before anything opens.
constexpr UINT kOpenLater = WM_APP + 0x4C;

// The control's own text, as much of it as a target may hold, read into the caller's buffer.
std::wstring_view ControlText(HWND window, wchar_t (&buffer)[links::kTargetBytes])
{
    const int copied = ::GetWindowTextW(window, buffer, static_cast<int>(links::kTargetBytes));
    return links::FittingPrefix(std::wstring_view(buffer, copied > 0 ? static_cast<size_t>(copied) : 0),
                                links::kTargetBytes - 1);
}

// The parent repaints the control's area, background included, so nothing drawn before stays behind.
void RedrawWithBackground(HWND control)
{
    const HWND parent = ::GetParent(control);
    RECT area{};
    ::GetWindowRect(control, &area);
    POINT corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
    ::ScreenToClient(parent, &corners[0]);
    ::ScreenToClient(parent, &corners[1]);
    area = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    ::InvalidateRect(parent, &area, TRUE);
}

// Around the text, where the eye is; not while the system hides focus until the keyboard is used.
bool ShowsFocus(HWND control)
{
    return ::GetFocus() == control && !(::SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

// The hover repaints the text over itself, without erasing. The focus rectangle is drawn by inverting, so
// drawn again it would vanish: while it shows, the background goes first.
void RedrawForHover(HWND control)
{
    if (ShowsFocus(control))
        RedrawWithBackground(control);
    else
        ::InvalidateRect(control, nullptr, FALSE);
}

// The dialog asks with the key it is about to handle: the link takes Enter and Space and leaves Tab,
// Escape and the rest to the dialog. Asked without a message it says nothing of itself: as a static it
// would be passed over, and as a button it would take Enter whenever it had the focus.
LRESULT DialogCode(const MSG* message)
{
    if (message && message->message == WM_KEYDOWN &&
        links::IsOpeningKey(static_cast<unsigned>(message->wParam)))
        return DLGC_WANTMESSAGE;
    return 0;
}

// Copies a text that is known to fit, with its terminating NUL.
template <size_t N>
void CopyText(wchar_t (&field)[N], std::wstring_view text)
{
    const size_t length = text.size() < N ? text.size() : N - 1;
    text.copy(field, length);
    field[length] = L'\0';
}

}  // namespace

LinkOpener ReplaceLinkOpener(LinkOpener opener)
{
    const LinkOpener previous = g_opener;
    g_opener = opener;
    return previous;
}

class CLinkProcedure {
public:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static void Paint(CMyStaticLink& link);
    static void TrackHover(CMyStaticLink& link);
    static void Open(const CMyStaticLink& link);
    static LRESULT Describe(const CMyStaticLink& link, WPARAM wParam, LPARAM lParam);
    static std::wstring_view DrawnText(const CMyStaticLink& link, wchar_t (&buffer)[links::kTargetBytes]);
};

bool CMyStaticLink::Attach(HWND control)
{
    if (!control || m_window)
        return false;

    // Without the notify style a static control is transparent to the mouse, and without the tab stop the
    // keyboard cannot reach it.
    m_savedStyle = ::GetWindowLongPtrW(control, GWL_STYLE);
    ::SetWindowLongPtrW(control, GWL_STYLE, m_savedStyle | SS_NOTIFY | WS_TABSTOP);
    ::SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_savedProcedure =
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CLinkProcedure::Procedure));

    const auto parentFont = reinterpret_cast<HFONT>(::SendMessageW(::GetParent(control), WM_GETFONT, 0, 0));
    m_window = control;

    // Neither result is examined: a parent without a font still gives an underlined default font,
    // and a link without any font still works, drawn in the system font.
    LOGFONTW description{};
    ::GetObjectW(parentFont, sizeof description, &description);
    description.lfUnderline = TRUE;
    m_font = ::CreateFontIndirectW(&description);
    return true;
}

bool CMyStaticLink::SetTarget(std::wstring_view target, std::wstring_view caption)
{
    if (!links::CaptionFits(caption) || !links::TargetFits(target))
        return false;
    CopyText(m_caption, caption);
    CopyText(m_target, target);

    if (m_window)
        RedrawWithBackground(m_window);
    return true;
}

HWND CMyStaticLink::Detach()
{
    if (!m_window)
        return nullptr;
    const HWND window = m_window;
    const HFONT font = m_font;
    m_window = nullptr;
    m_font = nullptr;

    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, m_savedProcedure);
    ::SetWindowLongPtrW(window, GWL_STYLE, m_savedStyle);
    if (font)
        ::DeleteObject(font);

    m_hover = 0;
    m_savedProcedure = 0;
    m_savedStyle = 0;
    m_caption[0] = L'\0';
    m_target[0] = L'\0';
    return window;
}

LRESULT CALLBACK CLinkProcedure::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* link = reinterpret_cast<CMyStaticLink*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!link || !link->m_window)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);

    switch (message) {
    case WM_DESTROY: {
        // Detaching empties the record, so the procedure to forward to is taken first.
        const auto saved = reinterpret_cast<WNDPROC>(link->m_savedProcedure);
        link->Detach();
        return ::CallWindowProcW(saved, hwnd, message, wParam, lParam);
    }
    case WM_PAINT:
        Paint(*link);
        return 1;
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return 1;
    case WM_MOUSEMOVE:
        TrackHover(*link);
        return 0;
    case WM_LBUTTONDOWN:
        // Swallowed: only the release opens, and the static must not report a click of its own.
        return 0;
    case WM_LBUTTONUP:
        Open(*link);
        return 0;
    case WM_CAPTURECHANGED:
        link->m_hover = 0;
        return 0;
    case WM_GETDLGCODE:
        return DialogCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN:
        if (!links::IsOpeningKey(static_cast<unsigned>(wParam)))
            break;
        // Bit 30 is set when the key was already down: a held key repeats, but opens only once.
        if (!(lParam & (1 << 30)))
            Open(*link);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        // The focus rectangle comes or goes.
        RedrawWithBackground(hwnd);
        break;
    case kOpenLater:
        Open(*link);
        return 0;
    case WM_GETOBJECT:
        if (const LRESULT answer = Describe(*link, wParam, lParam))
            return answer;
        break;
    default:
        break;
    }
    return ::CallWindowProcW(reinterpret_cast<WNDPROC>(link->m_savedProcedure), hwnd, message, wParam,
                             lParam);
}

LRESULT CLinkProcedure::Describe(const CMyStaticLink& link, WPARAM wParam, LPARAM lParam)
{
    wchar_t controlText[links::kTargetBytes] = {};
    return AnswerGetObject(link.m_window, wParam, lParam,
                           {DrawnText(link, controlText), ROLE_SYSTEM_LINK,
                            STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED, texts::kOpenAction, kOpenLater});
}

// What the link shows, which is also the name a screen reader reads for it.
std::wstring_view CLinkProcedure::DrawnText(const CMyStaticLink& link, wchar_t (&buffer)[links::kTargetBytes])
{
    return links::TextToDraw(link.m_caption, ControlText(link.m_window, buffer));
}

void CLinkProcedure::Paint(CMyStaticLink& link)
{
    const HWND window = link.m_window;
    wchar_t controlText[links::kTargetBytes] = {};
    const std::wstring_view text = DrawnText(link, controlText);
    RECT client{};
    ::GetClientRect(window, &client);

    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window, &paint);
    // The previous font goes back before the context is given up, so that the link's own font is
    // never left selected anywhere and can always be deleted at detach.
    const HGDIOBJ previousFont = link.m_font ? ::SelectObject(dc, link.m_font) : nullptr;
    const links::SystemColours system{::GetSysColor(COLOR_HOTLIGHT), ::GetSysColor(COLOR_HIGHLIGHT)};
    ::SetTextColor(dc, links::TextColour(link.m_hover != 0, HighContrastOn() ? &system : nullptr));
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &client, DT_SINGLELINE | DT_VCENTER);
    if (ShowsFocus(window)) {
        RECT extent = client;
        ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &extent, DT_SINGLELINE | DT_CALCRECT);
        const LONG top = (client.top + client.bottom - (extent.bottom - extent.top)) / 2;
        const RECT drawn{client.left, top, extent.right, top + extent.bottom - extent.top};
        RECT around{};
        ::IntersectRect(&around, &drawn, &client);
        ::DrawFocusRect(dc, &around);
    }
    if (previousFont)
        ::SelectObject(dc, previousFont);
    ::EndPaint(window, &paint);
}

void CLinkProcedure::TrackHover(CMyStaticLink& link)
{
    const HWND window = link.m_window;
    bool inside = true;
    if (link.m_hover) {
        // Both in screen coordinates: under capture the message's own position may lie far outside.
        POINT cursor{};
        RECT area{};
        ::GetCursorPos(&cursor);
        ::GetWindowRect(window, &area);
        inside = links::IsInside({area.left, area.top, area.right, area.bottom}, cursor.x, cursor.y);
    }

    switch (links::OnMouseMove(link.m_hover != 0, inside)) {
    case links::HoverChange::Enter:
        // Capture keeps WM_MOUSEMOVE coming after the cursor leaves; that is how we notice it left.
        ::SetCapture(window);
        link.m_hover = 1;
        RedrawForHover(window);
        break;
    case links::HoverChange::Leave:
        // Releasing the capture brings WM_CAPTURECHANGED, which clears the hover once more.
        link.m_hover = 0;
        ::ReleaseCapture();
        RedrawForHover(window);
        break;
    case links::HoverChange::None:
        break;
    }
}

void CLinkProcedure::Open(const CMyStaticLink& link)
{
    wchar_t controlText[links::kTargetBytes] = {};
    const std::wstring_view chosen =
        links::TextToOpen(link.m_target, ControlText(link.m_window, controlText));
    wchar_t address[links::kTargetBytes] = {};
    CopyText(address, chosen);
    g_opener(address);
}
