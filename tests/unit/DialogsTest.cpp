// The dialogs' decisions, stated as what they must do to their form: the main form's first state, its
// buttons and window-level behaviour, and the About box. Any call not expected fails.
#include "dialogs/AboutDlg.h"
#include "dialogs/Texts.h"
#include "dialogs/VelmoraDlg.h"
#include "tests/unit/MockForm.h"

namespace {

using namespace std::literals;
using ::testing::_;
using ::testing::Eq;
using ::testing::InSequence;
using ::testing::Property;
using ::testing::Return;
using ::testing::StrictMock;

class MainForm : public ::testing::Test {
protected:
    StrictMock<CMockForm> form;
    CVelmoraDlg dialog;

    void SetUp() override
    {
        dialog.BindForm(&form);
        EXPECT_CALL(form, ProgramName()).WillRepeatedly(Return(L"renamed copy"));
    }
    bool Click(int id) { return dialog.OnCommand(id, kBnClicked); }
    void ExpectUsable(int id, bool usable) { EXPECT_CALL(form, EnableItem(id, usable)).Times(1); }
};

TEST_F(MainForm, OpensInImageModeWithTheDrivesListedTheTimeFilterOffAndTheAboutEntry)
{
    EXPECT_CALL(form, LoadText(IDS_ABOUTBOX)).WillOnce(Return(L"&About"));
    EXPECT_CALL(form, AddSystemMenuItem(IDM_ABOUTBOX, L"&About"sv)).WillOnce(Return(true));
    EXPECT_CALL(form, SetIcons(IDI_MAINFRAME));
    EXPECT_CALL(form, SetItemText(IDC_SCAN_OFFSET, L"0"sv));
    EXPECT_CALL(form, SetChecked(IDC_MODE_IMAGE, true));
    EXPECT_CALL(form, SetChecked(IDC_TIME_FILTER, false));
    for (int id : {IDC_SOURCE_FILE, IDC_BROWSE_FILE})
        ExpectUsable(id, true);
    for (int id : {IDC_SOURCE_DEVICE, IDC_START_TIME, IDC_END_TIME})
        ExpectUsable(id, false);
    {
        InSequence order;
        for (int i = 0; i < 7; ++i)
            EXPECT_CALL(form, AddListEntry(IDC_SOURCE_DEVICE, Eq(L"\\\\.\\PhysicalDrive" + std::to_wstring(i))));
        EXPECT_CALL(form, SelectListEntry(IDC_SOURCE_DEVICE, 0));
    }
    EXPECT_TRUE(dialog.OnInitDialog());

    // Without its text there is no empty entry; without a system menu the form opens all the same.
    for (bool hasText : {false, true}) {
        ::testing::NiceMock<CMockForm> other;
        CVelmoraDlg plain;
        plain.BindForm(&other);
        EXPECT_CALL(other, LoadText(IDS_ABOUTBOX)).WillOnce(Return(hasText ? L"&About" : L""));
        EXPECT_CALL(other, AddSystemMenuItem(_, _)).Times(hasText ? 1 : 0);  // and fails
        EXPECT_CALL(other, SetItemText(IDC_SCAN_OFFSET, L"0"sv));
        EXPECT_TRUE(plain.OnInitDialog());
    }
}

TEST_F(MainForm, SourceModeDecidesWhichSourceIsUsableAndKeepsBothChoices)
{
    for (int mode : {IDC_MODE_DISK, IDC_MODE_IMAGE, IDC_MODE_IMAGE}) {
        ExpectUsable(IDC_SOURCE_DEVICE, mode == IDC_MODE_DISK);
        ExpectUsable(IDC_SOURCE_FILE, mode == IDC_MODE_IMAGE);
        ExpectUsable(IDC_BROWSE_FILE, mode == IDC_MODE_IMAGE);
        EXPECT_TRUE(Click(mode));
        ::testing::Mock::VerifyAndClearExpectations(&form);
    }
}

TEST_F(MainForm, TimeFilterFollowsItsCheckBoxWithBothPickersAndKeepsTheirDates)
{
    for (bool on : {true, false}) {
        EXPECT_CALL(form, IsChecked(IDC_TIME_FILTER)).WillOnce(Return(on));
        EXPECT_CALL(form, SetChecked(IDC_TIME_FILTER, on));
        ExpectUsable(IDC_START_TIME, on);
        ExpectUsable(IDC_END_TIME, on);
        EXPECT_TRUE(Click(IDC_TIME_FILTER));
        ::testing::Mock::VerifyAndClearExpectations(&form);
    }
}

TEST_F(MainForm, SourceFileTakesTheChosenNameWholeAndCancelKeepsTheLastOne)
{
    const std::wstring deep = L"D:\\" + std::wstring(300, L'a') + L"\\录像.img";
    EXPECT_CALL(form, AskOpenFile(_)).WillOnce(Return(deep)).WillOnce(Return(std::nullopt));
    EXPECT_CALL(form, SetItemText(IDC_SOURCE_FILE, std::wstring_view(deep)));
    EXPECT_TRUE(Click(IDC_BROWSE_FILE));
    EXPECT_TRUE(Click(IDC_BROWSE_FILE));
}

TEST_F(MainForm, ChosenFolderFillsTheSavePathAndAFailureKeepsItReportingOnlyAMissingPath)
{
    const struct {
        FolderOutcome outcome;
        std::wstring path;
        std::wstring_view shown;
        std::wstring_view message;
    } cases[] = {
        {FolderOutcome::Chosen, L"D:\\video", L"D:\\video", L""},
        {FolderOutcome::Chosen, L"D:\\", L"D:", L""},
        // In code page 936 the last byte of 籠 is 0x5C, a backslash to a byte-wise test.
        {FolderOutcome::Chosen, L"D:\\录像\\鸟籠", L"D:\\录像\\鸟籠", L""},
        {FolderOutcome::Cancelled, L"", L"", L""},
        {FolderOutcome::NoAllocator, L"", L"", L""},
        {FolderOutcome::ConversionFailed, L"", L"", texts::kFolderConversionFailed},
        {FolderOutcome::Chosen, L"", L"", texts::kFolderEmpty},
    };
    for (const auto& c : cases) {
        EXPECT_CALL(form, AskFolder(_, _)).WillOnce(Return(FolderAnswer{c.outcome, c.path}));
        if (!c.shown.empty())
            EXPECT_CALL(form, SetItemText(IDC_SAVE_PATH, c.shown));
        if (!c.message.empty())
            EXPECT_CALL(form, ShowMessage(c.message, L"renamed copy"sv, kMbIconStop | kMbOk));
        EXPECT_TRUE(Click(IDC_BROWSE_FOLDER)) << c.path;
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
    EXPECT_CALL(form, RunModal(Property(&CDialog::TemplateId, IDD_ABOUTBOX))).Times(3).WillRepeatedly(Return(kIdOk));
    for (unsigned low : {0x0u, 0x3u, 0xFu})
        EXPECT_TRUE(dialog.OnSysCommand(IDM_ABOUTBOX | low));
    // Close and move, and commands that differ from the entry only above its low bits.
    for (unsigned command : {0xF060u, 0xF010u, 0x0110u, 0x1010u, 0x0020u, 0x0000u})
        EXPECT_FALSE(dialog.OnSysCommand(command)) << command;
}

TEST_F(MainForm, PaintsTheIconCentredOnlyWhileIconicAndColoursOnlyTheHintLine)
{
    EXPECT_CALL(form, IsIconic()).WillOnce(Return(false)).WillOnce(Return(true));
    EXPECT_CALL(form, ClientSize()).WillOnce(Return(Size{100, 60}));
    EXPECT_CALL(form, IconSize()).WillOnce(Return(Size{32, 32}));
    EXPECT_CALL(form, PaintIcon(Point{34, 14}));
    EXPECT_FALSE(dialog.OnPaint());
    EXPECT_TRUE(dialog.OnPaint());
    // Half pixels round up; smaller than the icon, the division truncates toward zero, not down.
    EXPECT_EQ(CVelmoraDlg::IconOrigin({101, 61}, {32, 32}), (Point{35, 15}));
    EXPECT_EQ(CVelmoraDlg::IconOrigin({30, 29}, {32, 32}), (Point{0, -1}));
    EXPECT_EQ(CVelmoraDlg::IconOrigin({0, 0}, {32, 32}), (Point{-15, -15}));

    const std::optional<TextStyle> hint = dialog.OnCtlColor(IDC_HINT);
    ASSERT_TRUE(hint.has_value());
    EXPECT_EQ(hint->text, Rgb(0, 0, 0));
    EXPECT_TRUE(hint->transparent);
    for (int other : {IDC_RESULT, IDC_SCAN_OFFSET, -1})
        EXPECT_FALSE(dialog.OnCtlColor(other).has_value()) << other;
}

TEST(AboutBox, AttachesEachLinkToItsOwnAddressEvenWhenOneFailsAndOkOrCancelCloseIt)
{
    StrictMock<CMockForm> form;
    CAboutDlg about;
    about.BindForm(&form);
    std::vector<const CMyStaticLink*> records;
    const auto record = [&](int, CMyStaticLink& link, std::wstring_view, std::wstring_view) {
        records.push_back(&link);
        return false;
    };
    EXPECT_CALL(form, AttachLink(IDC_HOME_LINK, _, texts::kHomePage, texts::kHomePage)).WillOnce(record);
    EXPECT_CALL(form, AttachLink(IDC_SOFT_LINK, _, texts::kSoftwareSite, texts::kSoftwareSite)).WillOnce(record);
    EXPECT_TRUE(about.OnInitDialog());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NE(records[0], records[1]);
    for (int id : {kIdOk, kIdCancel}) {
        EXPECT_CALL(form, EndDialog(id));
        EXPECT_TRUE(about.OnCommand(id, kBnClicked));
    }
}

}  // namespace
