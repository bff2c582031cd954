// The About box on real windows, opened from the main form's system menu: entry, box, links, leaks.
#include "controls/MyStaticLink.h"
#include "dialogs/Texts.h"
#include "dialogs/VelmoraDlg.h"
#include "res/resource.h"
#include "tests/wine/WinTestSupport.h"
#include "win32/Win32Form.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kStepTimeoutMs = 15000;

// Runs steps one after another from a thread timer while the form's modal loop runs. The timer keeps
// ticking inside nested modal loops, so a step can act on the About box while it is open. A step
// returns true when it is done; one that never gets done ends every dialog so the test cannot hang.
class CModalScript {
public:
    using Step = std::function<bool()>;

    void Add(Step step) { m_steps.push_back(std::move(step)); }

    INT_PTR RunMainForm(CVelmoraDlg& dialog)
    {
        s_running = this;
        m_stepStart = ::GetTickCount();
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, Tick);
        const INT_PTR result = CWin32Form::DoModal(dialog, nullptr);
        ::KillTimer(nullptr, timer);
        s_running = nullptr;
        EXPECT_EQ(m_next, m_steps.size()) << "the form closed before the script ended";
        return result;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        CModalScript* script = s_running;
        if (!script || script->m_busy || script->m_next >= script->m_steps.size())
            return;
        script->m_busy = true;  // a step that sends messages may let the timer in again
        if (script->m_steps[script->m_next]()) {
            ++script->m_next;
            script->m_stepStart = ::GetTickCount();
        } else if (::GetTickCount() - script->m_stepStart > kStepTimeoutMs) {
            ADD_FAILURE() << "step " << script->m_next << " timed out";
            script->m_next = script->m_steps.size();
            ::EnumThreadWindows(::GetCurrentThreadId(), EndEveryDialog, 0);
        }
        script->m_busy = false;
    }

    static BOOL CALLBACK EndEveryDialog(HWND hwnd, LPARAM)
    {
        ::EndDialog(hwnd, IDABORT);
        return TRUE;
    }

    static CModalScript* s_running;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_stepStart = 0;
    bool m_busy = false;
};

CModalScript* CModalScript::s_running = nullptr;

struct WindowSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    wchar_t className[16] = {};
    ::GetClassNameW(hwnd, className, 16);
    if (std::wstring(className) == L"#32770" && ::IsWindowVisible(hwnd) &&
        ::GetWindow(hwnd, GW_OWNER) == search->owner) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The visible dialog of this thread with the given owner; the main form has none.
HWND OwnedDialog(HWND owner)
{
    WindowSearch search{owner, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

const CMyStaticLink* LinkOf(HWND control)
{
    return reinterpret_cast<const CMyStaticLink*>(::GetWindowLongPtrW(control, GWLP_USERDATA));
}

// Live GDI objects of this process. Wine's GetGuiResources is a stub that answers 0, but Wine answers
// GetObjectType for a bare slot number of its handle table, so there the slots are counted instead.
size_t LiveGdiObjects(DWORD type = 0)
{
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0 && type == 0)
        return reported;
    size_t count = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot) {
        const DWORD found = ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot));
        count += found != 0 && (type == 0 || found == type) ? 1 : 0;
    }
    return count;
}

// The box's picture control carries no identifier of its own; it is the one bitmap static.
HBITMAP LogoOf(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return reinterpret_cast<HBITMAP>(::SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    return nullptr;
}

void PostKey(HWND hwnd, WPARAM key)
{
    ::PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    ::PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

// Checks a freshly opened About box and hands back the two links' fonts.
void ExpectWorkingAboutBox(HWND box, HWND form, std::vector<HFONT>& fonts)
{
    EXPECT_EQ(WindowText(box), L"关于Morvane科技-Quilmar监控恢复软件");

    RECT boxArea{};
    RECT formArea{};
    ::GetWindowRect(box, &boxArea);
    ::GetWindowRect(form, &formArea);
    EXPECT_LE(std::abs((boxArea.left + boxArea.right) - (formArea.left + formArea.right)), 2);
    EXPECT_LE(std::abs((boxArea.top + boxArea.bottom) - (formArea.top + formArea.bottom)), 2);

    const std::pair<int, std::wstring_view> expected[] = {{IDC_HOME_LINK, texts::kHomePage},
                                                          {IDC_SOFT_LINK, texts::kSoftwareSite}};
    for (const auto& [id, address] : expected) {
        const HWND control = ::GetDlgItem(box, id);
        EXPECT_EQ(WindowText(control), address);
        const CMyStaticLink* link = LinkOf(control);
        ASSERT_NE(link, nullptr) << id;
        EXPECT_EQ(link->Window(), control);
        EXPECT_EQ(link->Target(), address);
        EXPECT_EQ(link->Caption(), address);
        fonts.push_back(link->Font());
    }
    EXPECT_FALSE(::IsWindowEnabled(form));

    BITMAP logo{};
    ASSERT_NE(::GetObjectW(LogoOf(box), sizeof logo, &logo), 0);
    EXPECT_EQ(logo.bmWidth, 92);
    EXPECT_EQ(logo.bmHeight, 48);
}

TEST(AboutBox, SystemMenuEntryOpensAFreshWorkingBoxThatEscapeAndEnterClose)
{
    CVelmoraDlg dialog;
    CModalScript script;
    HWND form = nullptr;
    HWND box = nullptr;
    std::vector<HFONT> fonts;

    script.Add([&] {
        form = OwnedDialog(nullptr);
        if (!form)
            return false;
        const HMENU menu = ::GetSystemMenu(form, FALSE);
        const int count = ::GetMenuItemCount(menu);
        EXPECT_GT(count, 2);
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, L"&关于Velmora...");
        EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_EQ(::GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR,
                  static_cast<UINT>(MF_SEPARATOR));
        ::PostMessageW(form, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        return true;
    });
    script.Add([&] {
        box = OwnedDialog(form);
        if (!box)
            return false;
        ExpectWorkingAboutBox(box, form, fonts);
        PostKey(box, VK_ESCAPE);
        return true;
    });
    script.Add([&] {
        if (::IsWindow(box))
            return false;
        // The box's links gave back their fonts as their controls went.
        for (HFONT font : fonts)
            EXPECT_EQ(::GetObjectType(font), 0u);
        EXPECT_TRUE(::IsWindowEnabled(form));
        ::PostMessageW(form, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x2, 0);
        return true;
    });
    script.Add([&] {
        box = OwnedDialog(form);
        if (!box)
            return false;
        ExpectWorkingAboutBox(box, form, fonts);
        PostKey(box, VK_RETURN);
        return true;
    });
    script.Add([&] {
        if (::IsWindow(box))
            return false;
        // Any other system command keeps its default meaning: Close ends the form.
        ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    });

    EXPECT_EQ(script.RunMainForm(dialog), IDCANCEL);
    EXPECT_EQ(fonts.size(), 4u);
}

// Wine's static control never deletes the bitmap it loads for a picture control from its template,
// where Windows does; those logo bitmaps are told apart by their handles and counted separately.
TEST(AboutBox, OpeningAndClosingItHundredsOfTimesLeaksNoGdiObject)
{
    constexpr int kRounds = 300;
    CVelmoraDlg dialog;
    CModalScript script;
    HWND form = nullptr;
    HWND box = nullptr;
    std::vector<HBITMAP> logos;
    std::vector<HFONT> linkFonts;
    size_t objectsBefore = 0;
    size_t fontsBefore = 0;
    size_t logosLeftBefore = 0;

    const auto logosLeft = [&] {
        size_t left = 0;
        for (HBITMAP logo : logos)
            left += ::GetObjectType(logo) == OBJ_BITMAP ? 1 : 0;
        return left;
    };

    script.Add([&] {
        form = OwnedDialog(nullptr);
        return form != nullptr;
    });
    for (int round = 0; round < kRounds; ++round) {
        script.Add([&, round] {
            if (round == 1) {
                // Counted after a first round, so that what the system creates once and keeps is not
                // taken for a leak.
                objectsBefore = LiveGdiObjects();
                fontsBefore = LiveGdiObjects(OBJ_FONT);
                logosLeftBefore = logosLeft();
            }
            ::PostMessageW(form, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            return true;
        });
        script.Add([&, round] {
            box = OwnedDialog(form);
            if (!box)
                return false;
            logos.push_back(LogoOf(box));
            for (int id : {IDC_HOME_LINK, IDC_SOFT_LINK}) {
                const CMyStaticLink* link = LinkOf(::GetDlgItem(box, id));
                linkFonts.push_back(link ? link->Font() : nullptr);
            }
            PostKey(box, round % 2 ? VK_ESCAPE : VK_RETURN);
            return true;
        });
        // The next box is asked for only once this one is gone, or it would open inside its modal loop.
        script.Add([&] { return !::IsWindow(box); });
    }
    script.Add([&] {
        ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    });

    EXPECT_EQ(script.RunMainForm(dialog), IDCANCEL);
    ASSERT_EQ(linkFonts.size(), 2u * kRounds);
    size_t fontsAlive = 0;
    for (HFONT font : linkFonts) {
        EXPECT_NE(font, nullptr);
        fontsAlive += ::GetObjectType(font) != 0 ? 1 : 0;
    }
    const size_t objectsAfter = LiveGdiObjects();
    const size_t fontsAfter = LiveGdiObjects(OBJ_FONT);
    const size_t logosLeftAfter = logosLeft();
    const bool counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) != 0;
    std::printf("About box opened and closed %d times, GDI objects counted by %s:\n"
                "  live objects %zu -> %zu, of them logo bitmaps left by the static control %zu -> %zu\n"
                "  fonts %zu -> %zu; link fonts still valid %zu of %zu\n",
                kRounds, counted ? "GetGuiResources" : "probing every handle-table slot", objectsBefore,
                objectsAfter, logosLeftBefore, logosLeftAfter, fontsBefore, fontsAfter, fontsAlive,
                linkFonts.size());

    EXPECT_EQ(fontsAlive, 0u);
    EXPECT_LE(fontsAfter, fontsBefore);
    EXPECT_LE(objectsAfter - logosLeftAfter, objectsBefore - logosLeftBefore);
}

}  // namespace
