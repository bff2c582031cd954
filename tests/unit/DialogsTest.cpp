// The dialogs' decisions, stated as what they must do to their form: the main form's first state, its
// buttons and window-level behaviour, and the About box. A strict mock fails any call not expected.
#include "dialogs/AboutDlg.h"
#include "dialogs/VelmoraDlg.h"
#include "res/Texts.h"
#include "tests/unit/MockForm.h"

#include <tuple>
#include <utility>

namespace {

using namespace std::literals;
using namespace ::testing;

class MainForm : public Test {
protected:
    StrictMock<CMockForm> form;
    CVelmoraDlg dialog;

    void SetUp() override
    {
        dialog.BindForm(&form);
        EXPECT_CALL(form, ProgramName()).WillRepeatedly(Return(L"renamed copy"));
    }
    bool Click(int id) { return dialog.OnCommand(id, kBnClicked); }
    // Opens the form with the About entry's text: it shows an offset of 0 and lists the seven drives
    // before it chooses the first.
    bool Open(const wchar_t* about)
    {
        EXPECT_CALL(form, LoadText(IDS_ABOUTBOX)).WillOnce(Return(about));
        // It fails: without a system menu the form opens all the same.
        EXPECT_CALL(form, AddSystemMenuItem(IDM_ABOUTBOX, std::wstring_view(about))).Times(*about ? 1 : 0);
        EXPECT_CALL(form, SetIcons(IDI_MAINFRAME));
        // What assistive technology reads is checked live.
        EXPECT_CALL(form, MoveLabelBefore(_));
        EXPECT_CALL(form, SetAccessibleName(_, _)).Times(2);
        EXPECT_CALL(form, SetItemText(IDC_SCAN_OFFSET, L"0"sv));
        EXPECT_CALL(form, SetChecked(IDC_MODE_IMAGE, true));
        InSequence order;
        EXPECT_CALL(form, AddListEntry(IDC_SOURCE_DEVICE, _)).Times(7);
        EXPECT_CALL(form, SelectListEntry(IDC_SOURCE_DEVICE, 0));
        return dialog.OnInitDialog();
    }
};

// The form opens in image mode with the time filter off, and again so whatever came before; in between
// nothing but what is usable changes: the file name, the selected drive and the dates all stay.
TEST_F(MainForm, OpensInImageModeWithTheTimeFilterOffThenSourceModeAndTimeFilterDecideWhatIsUsable)
{
    // The button (none: opening), whether the check box is on once it reports the click, having toggled
    // itself, what is usable then and what is not.
    const std::tuple<int, bool, std::vector<int>, std::vector<int>> steps[] = {
        {0, false, {IDC_SOURCE_FILE, IDC_BROWSE_FILE}, {IDC_SOURCE_DEVICE, IDC_START_TIME, IDC_END_TIME}},
        {IDC_MODE_DISK, true, {IDC_SOURCE_DEVICE}, {IDC_SOURCE_FILE, IDC_BROWSE_FILE}},
        {IDC_MODE_IMAGE, true, {IDC_SOURCE_FILE, IDC_BROWSE_FILE}, {IDC_SOURCE_DEVICE}},
        {IDC_TIME_FILTER, true, {IDC_START_TIME, IDC_END_TIME}, {}},
        {IDC_TIME_FILTER, false, {}, {IDC_START_TIME, IDC_END_TIME}},
        {0, false, {IDC_SOURCE_FILE, IDC_BROWSE_FILE}, {IDC_SOURCE_DEVICE, IDC_START_TIME, IDC_END_TIME}},
    };
    // The second time the About entry has no text, and so no entry.
    const wchar_t* about = L"&About";
    for (const auto& [button, checked, usable, unusable] : steps) {
        if (button == IDC_TIME_FILTER)
            EXPECT_CALL(form, IsChecked(IDC_TIME_FILTER)).WillOnce(Return(checked));
        if (button == IDC_TIME_FILTER || !button)
            EXPECT_CALL(form, SetChecked(IDC_TIME_FILTER, checked));
        for (int id : usable)
            EXPECT_CALL(form, EnableItem(id, true));
        for (int id : unusable)
            EXPECT_CALL(form, EnableItem(id, false));
        EXPECT_TRUE(button ? Click(button) : Open(std::exchange(about, L"")));
        Mock::VerifyAndClearExpectations(&form);
    }
}

TEST_F(MainForm, ChosenFolderFillsTheSavePathAndAFailureKeepsItReportingOnlyAMissingPath)
{
    // What the browser answers, what the save path then shows (nothing: it stays), and the message if any.
    const std::tuple<FolderOutcome, std::wstring, std::wstring_view, std::wstring_view> cases[] = {
        {FolderOutcome::Chosen, L"D:\\video", L"D:\\video", L""},
        {FolderOutcome::Chosen, L"D:\\", L"D:", L""},
        // In code page 936 the last byte of 籠 is 0x5C, a backslash to a byte-wise test.
        {FolderOutcome::Chosen, L"D:\\录像\\鸟籠", L"D:\\录像\\鸟籠", L""},
        {FolderOutcome::Cancelled, L"", L"", L""},
        {FolderOutcome::NoAllocator, L"", L"", L""},
        {FolderOutcome::ConversionFailed, L"", L"", texts::kFolderConversionFailed},
        {FolderOutcome::Chosen, L"", L"", texts::kFolderEmpty},
    };
    for (const auto& [outcome, path, shown, message] : cases) {
        EXPECT_CALL(form, AskFolder(_, _)).WillOnce(Return(FolderAnswer{outcome, path}));
        if (!shown.empty())
            EXPECT_CALL(form, SetItemText(IDC_SAVE_PATH, shown));
        if (!message.empty())
            EXPECT_CALL(form, ShowMessage(message, L"renamed copy"sv, kMbIconStop | kMbOk));
        EXPECT_TRUE(Click(IDC_BROWSE_FOLDER)) << path;
    }
}

TEST_F(MainForm, ScanAndSaveHandOverToTheHomePageThenShowTheContactMessageAndStopShowsNothing)
{
    EXPECT_TRUE(Click(IDC_STOP));
    EXPECT_FALSE(dialog.OnCommand(IDC_SCAN, kBnClicked + 5));  // not a click
    InSequence order;
    for (int button : {IDC_SCAN, IDC_SAVE}) {
        EXPECT_CALL(form, ShellOpen(Eq(std::wstring(texts::kHomePage) + L"/")));
        EXPECT_CALL(form, ShowMessage(texts::kContactMessage, L"renamed copy"sv, kMbOk));
        EXPECT_TRUE(Click(button));
    }
}

TEST_F(MainForm, AboutEntryOpensTheAboutBoxWhateverTheLowBitsAndOtherCommandsGoToTheSystem)
{
    EXPECT_CALL(form, RunModal(Property(&CDialog::TemplateId, IDD_ABOUTBOX))).Times(3);
    for (unsigned low : {0x0u, 0x3u, 0xFu})
        EXPECT_TRUE(dialog.OnSysCommand(IDM_ABOUTBOX | low));
    // Close and move, and commands that differ from the entry only above its low bits.
    for (unsigned command : {0xF060u, 0xF010u, 0x0110u, 0x1010u, 0x0020u, 0x0000u})
        EXPECT_FALSE(dialog.OnSysCommand(command)) << command;
}

// The system cannot be put into high contrast where the tests run, so the hint's rule is driven here in both.
TEST_F(MainForm, PaintsTheIconCentredOnlyWhileIconicAndTheHintInBlackOrInHighContrastTheSystemsTextColour)
{
    const Colour windowText = Rgb(255, 255, 0);
    EXPECT_CALL(form, HighContrastText()).WillOnce(Return(std::nullopt)).WillOnce(Return(windowText));
    for (const Colour colour : {Rgb(0, 0, 0), windowText}) {
        const std::optional<TextStyle> hint = dialog.OnCtlColor(IDC_HINT);
        EXPECT_TRUE(hint && hint->text == colour) << colour;
    }

    EXPECT_CALL(form, IsIconic()).WillOnce(Return(false)).WillOnce(Return(true));
    // Half pixels round up; smaller than the icon, the division truncates toward zero, not down.
    EXPECT_CALL(form, ClientSize()).WillOnce(Return(Size{101, 61}));
    EXPECT_CALL(form, IconSize()).WillOnce(Return(Size{32, 32}));
    EXPECT_CALL(form, PaintIcon(Point{35, 15}));
    EXPECT_FALSE(dialog.OnPaint());
    EXPECT_TRUE(dialog.OnPaint());
    EXPECT_EQ(CVelmoraDlg::IconOrigin({30, 29}, {32, 32}), (Point{0, -1}));
}

TEST(AboutBox, AttachesEachLinkToItsOwnAddressEvenWhenOneFailsKeepsTheFocusAndOkOrCancelCloseIt)
{
    StrictMock<CMockForm> form;
    CAboutDlg about;
    about.BindForm(&form);
    EXPECT_CALL(form, AttachLink(IDC_HOME_LINK, _, texts::kHomePage, texts::kHomePage))
        .WillOnce(Return(false));
    EXPECT_CALL(form, AttachLink(IDC_SOFT_LINK, _, texts::kSoftwareSite, texts::kSoftwareSite));
    EXPECT_FALSE(about.OnInitDialog());
    for (int id : {kIdOk, kIdCancel}) {
        EXPECT_CALL(form, EndDialog(id));
        EXPECT_TRUE(about.OnCommand(id, kBnClicked));
    }
}

}  // namespace
