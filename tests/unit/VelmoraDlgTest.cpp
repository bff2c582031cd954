// The main form's logic: its first state, its window-level behaviour and what each button does.
#include "dialogs/VelmoraDlg.h"
#include "tests/unit/FakeForm.h"

#include <gtest/gtest.h>

namespace {

TEST(MainFormOpening, StartsInImageModeWithTheDrivesListedButDisabledAndTheFilterOff)
{
    CVelmoraDlg dialog;
    CFakeForm form(dialog);
    form.Control(IDC_TIME_FILTER).checked = true;
    ASSERT_TRUE(dialog.OnInitDialog());

    EXPECT_EQ(form.Control(IDC_SCAN_OFFSET).text, L"0");
    EXPECT_TRUE(form.Control(IDC_MODE_IMAGE).checked);
    EXPECT_TRUE(form.Control(IDC_SOURCE_FILE).enabled);
    EXPECT_TRUE(form.Control(IDC_BROWSE_FILE).enabled);
    const FakeControl& drives = form.Control(IDC_SOURCE_DEVICE);
    EXPECT_FALSE(drives.enabled);
    std::vector<std::wstring> expected;
    for (int i = 0; i < 7; ++i)
        expected.push_back(L"\\\\.\\PhysicalDrive" + std::to_wstring(i));
    EXPECT_EQ(drives.entries, expected);
    EXPECT_EQ(drives.selected, 0);
    EXPECT_FALSE(form.Control(IDC_TIME_FILTER).checked);
    EXPECT_FALSE(form.Control(IDC_START_TIME).enabled);
    EXPECT_FALSE(form.Control(IDC_END_TIME).enabled);
    EXPECT_EQ(form.iconId, IDI_MAINFRAME);
    EXPECT_TRUE(form.events.empty());
    EXPECT_FALSE(dialog.StopRequested());
}

class MainForm : public ::testing::Test {
protected:
    CVelmoraDlg dialog;
    CFakeForm form{dialog};

    void SetUp() override { ASSERT_TRUE(dialog.OnInitDialog()); }

    FakeControl& Item(int id) { return form.Control(id); }
    bool Click(int id) { return dialog.OnCommand(id, kBnClicked); }

    // An automatic radio button or check box has moved its mark before its parent hears the click.
    void ClickMode(int id)
    {
        Item(IDC_MODE_IMAGE).checked = id == IDC_MODE_IMAGE;
        Item(IDC_MODE_DISK).checked = id == IDC_MODE_DISK;
        Click(id);
    }
    void ToggleFilter()
    {
        Item(IDC_TIME_FILTER).checked = !Item(IDC_TIME_FILTER).checked;
        Click(IDC_TIME_FILTER);
    }
    std::wstring BrowseFolder(FolderOutcome outcome, std::wstring path = {})
    {
        form.folderAnswers.push_back({outcome, std::move(path)});
        Click(IDC_BROWSE_FOLDER);
        return Item(IDC_SAVE_PATH).text;
    }
};

TEST_F(MainForm, PaintsTheIconCentredOnlyWhileIconic)
{
    form.client = {100, 60};
    EXPECT_FALSE(dialog.OnPaint());
    EXPECT_FALSE(form.paintedAt.has_value());
    form.iconic = true;
    EXPECT_TRUE(dialog.OnPaint());
    EXPECT_EQ(form.paintedAt, (Point{34, 14}));

    // Half pixels round up; smaller than the icon, the division truncates toward zero, not down.
    EXPECT_EQ(CVelmoraDlg::IconOrigin({101, 61}, {32, 32}), (Point{35, 15}));
    EXPECT_EQ(CVelmoraDlg::IconOrigin({0, 0}, {32, 32}), (Point{-15, -15}));
    EXPECT_EQ(CVelmoraDlg::IconOrigin({30, 29}, {32, 32}), (Point{0, -1}));
}

TEST_F(MainForm, DrawsOnlyTheHintLineBlackOnTransparent)
{
    const std::optional<TextStyle> hint = dialog.OnCtlColor(IDC_HINT);
    ASSERT_TRUE(hint.has_value());
    EXPECT_EQ(hint->text, Rgb(0, 0, 0));
    EXPECT_TRUE(hint->transparent);
    for (int other : {IDC_RESULT, IDC_SCAN_OFFSET, -1})
        EXPECT_FALSE(dialog.OnCtlColor(other).has_value()) << other;
}

TEST_F(MainForm, SourceModeSwitchesWhichSourceIsUsableAndKeepsBothValues)
{
    Item(IDC_SOURCE_FILE).text = L"C:\\images\\cam1.vmdk";
    ClickMode(IDC_MODE_DISK);
    EXPECT_TRUE(Item(IDC_SOURCE_DEVICE).enabled);
    EXPECT_FALSE(Item(IDC_SOURCE_FILE).enabled);
    EXPECT_FALSE(Item(IDC_BROWSE_FILE).enabled);
    Item(IDC_SOURCE_DEVICE).selected = 4;

    // The second click on the mode that is already on changes nothing.
    for (int again = 0; again < 2; ++again) {
        ClickMode(IDC_MODE_IMAGE);
        EXPECT_FALSE(Item(IDC_SOURCE_DEVICE).enabled);
        EXPECT_TRUE(Item(IDC_SOURCE_FILE).enabled);
        EXPECT_TRUE(Item(IDC_BROWSE_FILE).enabled);
        EXPECT_EQ(Item(IDC_SOURCE_FILE).text, L"C:\\images\\cam1.vmdk");
        EXPECT_EQ(Item(IDC_SOURCE_DEVICE).selected, 4);
    }
    EXPECT_TRUE(form.events.empty());
}

TEST_F(MainForm, SourceFileTakesAnyChosenNameWholeAndCancelKeepsIt)
{
    // A name past the classic 260-character limit arrives whole.
    const std::wstring deep = L"D:\\" + std::wstring(300, L'a') + L"\\录像.img";
    form.openFileAnswers = {L"D:\\dumps\\missing.vmdk", std::nullopt, deep};
    EXPECT_TRUE(Click(IDC_BROWSE_FILE));
    EXPECT_EQ(Item(IDC_SOURCE_FILE).text, L"D:\\dumps\\missing.vmdk");
    Click(IDC_BROWSE_FILE);
    EXPECT_EQ(Item(IDC_SOURCE_FILE).text, L"D:\\dumps\\missing.vmdk");
    Click(IDC_BROWSE_FILE);
    EXPECT_EQ(Item(IDC_SOURCE_FILE).text, deep);

    const OpenFileRequest& request = form.openFileRequests.at(0);
    EXPECT_EQ(
        request.filter,
        L"Vmdk Files (*.vmdk)|*.vmdk|IMG Files (*.img)|*.img|DSK Files (*.dsk)|*.dsk|All Files (*.*)|*.*||");
    EXPECT_EQ(request.defaultExtension, L"vmdk");
    EXPECT_EQ(request.flags, kOfnHideReadOnly | kOfnOverwritePrompt);
    EXPECT_TRUE(form.messages.empty());
}

TEST_F(MainForm, ChosenFolderShowsInTheSavePathAndADriveRootLosesItsBackslash)
{
    EXPECT_EQ(BrowseFolder(FolderOutcome::Chosen, L"D:\\video"), L"D:\\video");
    EXPECT_EQ(BrowseFolder(FolderOutcome::Chosen, L"D:\\"), L"D:");
    // In code page 936 the last byte of 籠 is 0x5C, a backslash to a byte-wise test.
    EXPECT_EQ(BrowseFolder(FolderOutcome::Chosen, L"D:\\录像\\鸟籠"), L"D:\\录像\\鸟籠");
    EXPECT_TRUE(form.messages.empty());

    EXPECT_EQ(form.folderRequests.at(0).first, L"please select path");
    EXPECT_EQ(form.folderRequests.at(0).second,
              kBifReturnOnlyFsDirs | kBifReturnFsAncestors | kBifEditBox | kBifNewDialogStyle);
}

TEST_F(MainForm, FolderFailuresKeepTheSavePathAndOnlyAMissingPathIsReported)
{
    Item(IDC_SAVE_PATH).text = L"E:\\recovered";
    EXPECT_EQ(BrowseFolder(FolderOutcome::Cancelled), L"E:\\recovered");
    EXPECT_EQ(BrowseFolder(FolderOutcome::NoAllocator), L"E:\\recovered");
    EXPECT_TRUE(form.messages.empty());

    form.programName = L"renamed copy";
    EXPECT_EQ(BrowseFolder(FolderOutcome::ConversionFailed), L"E:\\recovered");
    EXPECT_EQ(BrowseFolder(FolderOutcome::Chosen, L""), L"E:\\recovered");
    ASSERT_EQ(form.messages.size(), 2u);
    EXPECT_EQ(form.messages[0].text, L"Fail   to   get   directory!");
    EXPECT_EQ(form.messages[1].text, L"Fail   to   get   directory");
    for (const FakeMessage& message : form.messages) {
        EXPECT_EQ(message.caption, L"renamed copy");
        EXPECT_EQ(message.style, kMbIconStop | kMbOk);
    }
}

TEST_F(MainForm, TimeFilterSwitchesBothPickersTogetherAndKeepsTheirDates)
{
    Item(IDC_START_TIME).text = L"2023/5/1";
    Item(IDC_END_TIME).text = L"2023/5/9";
    ToggleFilter();
    EXPECT_TRUE(Item(IDC_TIME_FILTER).checked);
    EXPECT_TRUE(Item(IDC_START_TIME).enabled);
    EXPECT_TRUE(Item(IDC_END_TIME).enabled);

    ToggleFilter();
    EXPECT_FALSE(Item(IDC_TIME_FILTER).checked);
    EXPECT_FALSE(Item(IDC_START_TIME).enabled);
    EXPECT_FALSE(Item(IDC_END_TIME).enabled);
    EXPECT_EQ(Item(IDC_START_TIME).text, L"2023/5/1");
    EXPECT_EQ(Item(IDC_END_TIME).text, L"2023/5/9");
}

TEST_F(MainForm, ScanAndSaveEachOpenTheHomePageThenShowTheContactMessageAndStopDoesNothingVisible)
{
    form.programName = L"renamed copy";
    const auto before = form.controls;
    EXPECT_TRUE(Click(IDC_STOP));
    EXPECT_TRUE(dialog.StopRequested());
    EXPECT_TRUE(form.events.empty());

    // Nothing consults the stop request.
    for (int id : {IDC_SCAN, IDC_SCAN, IDC_SAVE, IDC_SAVE})
        EXPECT_TRUE(Click(id));
    EXPECT_EQ(form.events, (std::vector<std::string>{"open", "message", "open", "message", "open", "message",
                                                     "open", "message"}));
    EXPECT_EQ(form.opened, std::vector<std::wstring>(4, L"http://www.morvane.example/"));
    for (const FakeMessage& message : form.messages) {
        EXPECT_EQ(message.text, L"请联系Morvane软件科技数据中心,010-55501234  13055501234");
        EXPECT_EQ(message.caption, L"renamed copy");
        EXPECT_EQ(message.style, kMbOk);
    }
    EXPECT_EQ(form.controls, before);
}

}  // namespace
