// The main form: its template held against the form's table, and the live form run through the adapter.
#include "tests/wine/ResourceReader.h"
#include "tests/wine/WinTestSupport.h"

#include <commctrl.h>

#include <array>

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
    {IDC_SOURCE_DEVICE, L"ComboBox", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT, 69, 126,
     282, 89, L""},
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
    EXPECT_EQ((std::array<short, 4>{form.x, form.y, form.cx, form.cy}),
              (std::array<short, 4>{0, 0, 392, 319}));
    EXPECT_EQ(form.caption, L"Morvane软件-VelmoraQuilmar监控");
    EXPECT_EQ(form.typeface, L"MS Shell Dlg");
    EXPECT_EQ(form.pointSize, 8);

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

// Centring and focus are seen from outside in the end-to-end tests; the icons can only be read in-process.
TEST(LiveForm, CarriesTheProgramIconBigSmallAndForDragging)
{
    RunMainForm([](HWND form) {
        const auto big = ::SendMessageW(form, WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(big, 0);
        EXPECT_EQ(::SendMessageW(form, WM_GETICON, ICON_SMALL, 0), big);
        EXPECT_EQ(::SendMessageW(form, WM_QUERYDRAGICON, 0, 0), big);
    });
}

TEST(LiveForm, DrawsTheHintLineBlackOnTheFormsOwnBackground)
{
    RunMainForm([](HWND form) {
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
        // Any other static is left to the default handling, which paints it on the same brush.
        const LRESULT resultBrush = ask(IDC_RESULT);
        EXPECT_EQ(::GetBkMode(dc), OPAQUE);
        EXPECT_EQ(hintBrush, resultBrush);
        EXPECT_NE(hintBrush, 0);
        ::DeleteDC(dc);
    });
}

}  // namespace
