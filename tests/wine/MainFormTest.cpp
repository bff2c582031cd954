// The main form built from its template by the real adapter: layout, texts and first state.
#include "app/VelmoraApp.h"
#include "dialogs/VelmoraDlg.h"
#include "tests/wine/ResourceReader.h"
#include "win32/Win32Form.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kNumber = kChild | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL;
constexpr DWORD kPathBox = kChild | WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kFrame = kChild | BS_GROUPBOX;
constexpr DWORD kPicker = kChild | WS_TABSTOP | DTS_RIGHTALIGN | DTS_SHORTDATEFORMAT;
constexpr DWORD kCentred = kChild | WS_GROUP | SS_CENTER;

struct Expected {
    int id;
    const wchar_t* className;
    DWORD style;
    short x, y, cx, cy;
    const wchar_t* text;
};

// Template order is tab order.
const Expected kMainForm[] = {
    {IDC_SCAN_OFFSET, L"Edit", kNumber, 87, 68, 109, 14, L""},
    {-1, L"Static", kLabel, 23, 70, 57, 8, L"扫描偏移(字节):"},
    {-1, L"Static", kLabel, 203, 71, 57, 8, L"扫描大小(字节):"},
    {IDC_SCAN_SIZE, L"Edit", kNumber, 265, 69, 115, 14, L""},
    {IDC_SCAN, L"Button", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 86, 296, 50, 14, L"扫描"},
    {IDC_STOP, L"Button", kButton, 253, 296, 50, 14, L"停止"},
    {-1, L"Static", kLabel, 24, 159, 36, 8, L"保存路径:"},
    {IDC_SAVE_PATH, L"Edit", kPathBox, 69, 158, 282, 12, L""},
    {IDC_BROWSE_FOLDER, L"Button", kButton, 360, 158, 19, 14, L"..."},
    {-1, L"Static", kLabel, 23, 143, 28, 8, L"源文件:"},
    {IDC_SOURCE_FILE, L"Edit", kPathBox, 69, 142, 282, 12, L""},
    {IDC_BROWSE_FILE, L"Button", kButton, 360, 141, 19, 14, L"..."},
    {IDC_MODE_IMAGE, L"Button", kChild | WS_GROUP | BS_AUTORADIOBUTTON, 115, 108, 48, 10, L"镜像文件"},
    {IDC_MODE_DISK, L"Button", kChild | BS_AUTORADIOBUTTON, 221, 108, 32, 10, L"磁盘"},
    {-1, L"Static", kLabel, 24, 127, 28, 8, L"源设备:"},
    {IDC_SOURCE_DEVICE, L"ComboBox", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT, 69, 126, 282, 89,
     L""},
    {-1, L"Button", kFrame, 9, 54, 375, 37, L"扫描参数"},
    {-1, L"Button", kFrame, 9, 95, 375, 88, L"扫描路径"},
    {IDC_PROGRESS, L"msctls_progress32", kChild | WS_BORDER, 9, 280, 370, 12, L""},
    {-1, L"Static", kLabel, 22, 214, 36, 8, L"开始时间:"},
    {IDC_START_TIME, L"SysDateTimePick32", kPicker, 61, 212, 138, 15, L""},
    {-1, L"Static", kLabel, 216, 215, 36, 8, L"结束时间:"},
    {IDC_END_TIME, L"SysDateTimePick32", kPicker, 258, 211, 125, 15, L""},
    {IDC_TIME_FILTER, L"Button", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 22, 200, 32, 10, L"筛选"},
    {-1, L"Button", kFrame, 9, 187, 375, 48, L"时间"},
    {IDC_HINT, L"Static", kCentred, 9, 243, 367, 12, L"正确填写参数,先扫描,后保存"},
    {IDC_SAVE, L"Button", kButton, 169, 296, 50, 14, L"保存"},
    {IDC_RESULT, L"Static", kCentred, 9, 259, 364, 13, L"扫描总结果提示"},
    {-1, L"Static", kChild | SS_BITMAP, 0, 0, 390, 44, L"#129"},
};

TEST(MainFormTemplate, MatchesTheFormTableExactly)
{
    DialogTemplate form;
    ASSERT_TRUE(ReadDialogTemplate(::GetModuleHandleW(nullptr), IDD_VELMORA_DIALOG, form));
    EXPECT_EQ(form.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                             DS_SETFONT | DS_FIXEDSYS));
    EXPECT_EQ(form.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(form.x, 0);
    EXPECT_EQ(form.y, 0);
    EXPECT_EQ(form.cx, 392);
    EXPECT_EQ(form.cy, 319);
    EXPECT_EQ(form.caption, L"Morvane软件-VelmoraQuilmar监控");
    EXPECT_EQ(form.pointSize, 8);
    EXPECT_EQ(form.weight, 0);
    EXPECT_EQ(form.italic, 0);
    EXPECT_EQ(form.charset, 1);
    EXPECT_EQ(form.typeface, L"MS Shell Dlg");

    ASSERT_EQ(form.items.size(), std::size(kMainForm));
    for (size_t i = 0; i < form.items.size(); ++i) {
        const TemplateItem& item = form.items[i];
        const Expected& want = kMainForm[i];
        SCOPED_TRACE(testing::Message() << "control " << i << ", id " << want.id);
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(_wcsicmp(item.className.c_str(), want.className), 0) << item.className.c_str();
        EXPECT_EQ(item.style, want.style) << std::hex << (item.style ^ want.style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ((std::array<short, 4>{item.x, item.y, item.cx, item.cy}),
                  (std::array<short, 4>{want.x, want.y, want.cx, want.cy}));
        EXPECT_EQ(item.text, want.text);
    }
}

const std::function<void(HWND)>* g_inspect = nullptr;

void CALLBACK InspectForm(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    const HWND form = ::GetActiveWindow();
    (*g_inspect)(form);
    ::EndDialog(form, IDCANCEL);
}

// Runs the main form modally through the real adapter and inspects it from inside its own loop.
void WithMainForm(const std::function<void(HWND)>& inspect)
{
    g_inspect = &inspect;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, InspectForm);
    CVelmoraDlg dialog;
    EXPECT_EQ(CWin32Form::DoModal(dialog, nullptr), IDCANCEL);
    ::KillTimer(nullptr, timer);
}

std::wstring WindowText(HWND window)
{
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

TEST(MainForm, ShowsEveryControlWhereTheTemplatePutsIt)
{
    WithMainForm([](HWND form) {
        size_t i = 0;
        for (HWND child = ::GetWindow(form, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT), ++i) {
            ASSERT_LT(i, std::size(kMainForm));
            const Expected& want = kMainForm[i];
            SCOPED_TRACE(testing::Message() << "control " << i << ", id " << want.id);
            EXPECT_EQ(::GetDlgCtrlID(child) & 0xFFFF, want.id & 0xFFFF);
            EXPECT_EQ(_wcsicmp(ClassOf(child).c_str(), want.className), 0) << ClassOf(child).c_str();
            // The first state rewrites the offset box and the drive list; pickers show a date.
            const bool textFromTemplate = want.text[0] != L'#' && want.id != IDC_SCAN_OFFSET &&
                                          want.id != IDC_SOURCE_DEVICE && ClassOf(child) != L"SysDateTimePick32";
            if (textFromTemplate) {
                EXPECT_EQ(WindowText(child), want.text);
            }

            // The dialog manager converts position and size each on its own, as here.
            RECT expected{want.x, want.y, want.cx, want.cy};
            ::MapDialogRect(form, &expected);
            RECT actual{};
            ::GetWindowRect(child, &actual);
            ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.top, expected.top);
            // A picture takes its bitmap's size; a drop-down list its closed height.
            if (want.text[0] != L'#' && want.id != IDC_SOURCE_DEVICE) {
                EXPECT_EQ(actual.right - actual.left, expected.right);
                EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
            }
        }
        EXPECT_EQ(i, std::size(kMainForm));

        BITMAP banner{};
        const HWND picture = ::GetWindow(form, GW_CHILD);
        HWND last = picture;
        while (::GetWindow(last, GW_HWNDNEXT))
            last = ::GetWindow(last, GW_HWNDNEXT);
        ASSERT_TRUE(::GetObjectW(reinterpret_cast<HBITMAP>(::SendMessageW(last, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                                 sizeof banner, &banner));
        EXPECT_EQ(banner.bmWidth, 585);
        EXPECT_EQ(banner.bmHeight, 71);
        RECT shown{};
        ::GetClientRect(last, &shown);
        EXPECT_EQ(shown.right, 585);
        EXPECT_EQ(shown.bottom, 71);
    });
}

TEST(MainForm, OpensCentredWithFocusIconAndFirstState)
{
    WithMainForm([](HWND form) {
        RECT window{};
        ::GetWindowRect(form, &window);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoW(::MonitorFromWindow(form, MONITOR_DEFAULTTOPRIMARY), &monitor);
        EXPECT_LE(std::abs((window.left - monitor.rcWork.left) - (monitor.rcWork.right - window.right)), 1);
        EXPECT_LE(std::abs((window.top - monitor.rcWork.top) - (monitor.rcWork.bottom - window.bottom)), 1);

        EXPECT_EQ(::GetFocus(), ::GetDlgItem(form, IDC_SCAN_OFFSET));
        EXPECT_EQ(WindowText(::GetDlgItem(form, IDC_SCAN_OFFSET)), L"0");
        EXPECT_EQ(::IsDlgButtonChecked(form, IDC_MODE_IMAGE), BST_CHECKED);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(form, IDC_SOURCE_DEVICE)));
        EXPECT_EQ(::SendDlgItemMessageW(form, IDC_SOURCE_DEVICE, CB_GETCOUNT, 0, 0), 7);
        EXPECT_EQ(WindowText(::GetDlgItem(form, IDC_SOURCE_DEVICE)), L"\\\\.\\PhysicalDrive0");
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(form, IDC_START_TIME)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(form, IDC_END_TIME)));

        const auto big = ::SendMessageW(form, WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(big, 0);
        EXPECT_EQ(::SendMessageW(form, WM_GETICON, ICON_SMALL, 0), big);
        EXPECT_EQ(::SendMessageW(form, WM_QUERYDRAGICON, 0, 0), big);
        EXPECT_TRUE(::GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_FALSE(::GetWindowLongW(form, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    });
}

TEST(MainForm, DrawsTheHintLineBlackOnTheFormsOwnBackground)
{
    WithMainForm([](HWND form) {
        const HDC dc = ::CreateCompatibleDC(nullptr);
        const auto ask = [&](int id) {
            ::SetTextColor(dc, RGB(1, 2, 3));
            ::SetBkMode(dc, OPAQUE);
            return ::SendMessageW(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(::GetDlgItem(form, id)));
        };
        const LRESULT hintBrush = ask(IDC_HINT);
        EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 0));
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
        const LRESULT resultBrush = ask(IDC_RESULT);
        EXPECT_EQ(::GetBkMode(dc), OPAQUE);
        EXPECT_EQ(hintBrush, resultBrush);
        EXPECT_NE(hintBrush, 0);
        ::DeleteDC(dc);
    });
}

}  // namespace
