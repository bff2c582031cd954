// The main form's buttons: what each click leaves on the form, and what it asks of the platform.
#include "dialogs/Texts.h"
#include "dialogs/VelmoraDlg.h"
#include "tests/unit/FakeForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

using Controls = std::map<int, FakeControl>;

bool SameControls(const Controls& before, const Controls& after)
{
    const auto same = [](const Controls::value_type& a, const Controls::value_type& b) {
        return a.first == b.first && std::tie(a.second.text, a.second.enabled, a.second.checked,
                                              a.second.entries, a.second.selected) ==
                                         std::tie(b.second.text, b.second.enabled, b.second.checked,
                                                  b.second.entries, b.second.selected);
    };
    return std::equal(before.begin(), before.end(), after.begin(), after.end(), same);
}

class Commands : public ::testing::Test {
protected:
    CVelmoraDlg dialog;
    CFakeForm form{dialog};

    void SetUp() override { ASSERT_TRUE(dialog.OnInitDialog()); }

    bool Click(int id) { return dialog.OnCommand(id, kBnClicked); }

    // An automatic radio button or check box has moved its mark before its parent hears the click.
    void ClickRadio(int id)
    {
        form.Control(IDC_MODE_IMAGE).checked = id == IDC_MODE_IMAGE;
        form.Control(IDC_MODE_DISK).checked = id == IDC_MODE_DISK;
        Click(id);
    }
    void ToggleFilter()
    {
        form.Control(IDC_TIME_FILTER).checked = !form.Control(IDC_TIME_FILTER).checked;
        Click(IDC_TIME_FILTER);
    }

    void AnswerFolder(FolderOutcome outcome, std::wstring path = {})
    {
        form.folderAnswers.push_back({outcome, std::move(path)});
    }
};

TEST_F(Commands, SourceModeSwitchesWhichSourceIsUsableAndKeepsBothValues)
{
    form.Control(IDC_SOURCE_FILE).text = L"C:\\images\\cam1.vmdk";

    ClickRadio(IDC_MODE_DISK);
    EXPECT_TRUE(form.Control(IDC_SOURCE_DEVICE).enabled);
    EXPECT_FALSE(form.Control(IDC_SOURCE_FILE).enabled);
    EXPECT_FALSE(form.Control(IDC_BROWSE_FILE).enabled);
    form.Control(IDC_SOURCE_DEVICE).selected = 4;

    ClickRadio(IDC_MODE_IMAGE);
    EXPECT_FALSE(form.Control(IDC_SOURCE_DEVICE).enabled);
    EXPECT_TRUE(form.Control(IDC_SOURCE_FILE).enabled);
    EXPECT_TRUE(form.Control(IDC_BROWSE_FILE).enabled);
    EXPECT_EQ(form.Control(IDC_SOURCE_FILE).text, L"C:\\images\\cam1.vmdk");
    EXPECT_EQ(form.Control(IDC_SOURCE_DEVICE).selected, 4);

    // Clicking the mode that is already on repeats the same enabling.
    ClickRadio(IDC_MODE_IMAGE);
    EXPECT_FALSE(form.Control(IDC_SOURCE_DEVICE).enabled);
    EXPECT_TRUE(form.Control(IDC_SOURCE_FILE).enabled);
    EXPECT_TRUE(form.events.empty());
}

TEST_F(Commands, BrowsingForTheSourceFileAsksForDiskImagesAndTakesAnyAcceptedName)
{
    form.openFileAnswers.push_back(L"D:\\dumps\\missing.vmdk");
    EXPECT_TRUE(Click(IDC_BROWSE_FILE));
    ASSERT_EQ(form.openFileRequests.size(), 1u);
    const OpenFileRequest& request = form.openFileRequests[0];
    EXPECT_EQ(request.filter,
              L"Vmdk Files (*.vmdk)|*.vmdk|IMG Files (*.img)|*.img|DSK Files (*.dsk)|*.dsk|All Files (*.*)|*.*||");
    EXPECT_EQ(request.defaultExtension, L"vmdk");
    EXPECT_EQ(request.flags, 6u);
    EXPECT_EQ(form.Control(IDC_SOURCE_FILE).text, L"D:\\dumps\\missing.vmdk");

    // A name past the classic 260-character limit arrives whole.
    const std::wstring deep = L"D:\\" + std::wstring(300, L'a') + L"\\录像.img";
    form.openFileAnswers.push_back(deep);
    Click(IDC_BROWSE_FILE);
    EXPECT_EQ(form.Control(IDC_SOURCE_FILE).text, deep);
}

TEST_F(Commands, CancellingTheFileDialogLeavesTheSourceFileAsItWas)
{
    form.Control(IDC_SOURCE_FILE).text = L"C:\\images\\cam1.vmdk";
    form.openFileAnswers.push_back(std::nullopt);
    Click(IDC_BROWSE_FILE);
    EXPECT_EQ(form.events, (std::vector<std::string>{"file"}));
    EXPECT_EQ(form.Control(IDC_SOURCE_FILE).text, L"C:\\images\\cam1.vmdk");
}

TEST_F(Commands, ChosenFolderShowsInTheSavePathAndADriveRootLosesItsBackslash)
{
    AnswerFolder(FolderOutcome::Chosen, L"D:\\video");
    EXPECT_TRUE(Click(IDC_BROWSE_FOLDER));
    ASSERT_EQ(form.folderRequests.size(), 1u);
    EXPECT_EQ(form.folderRequests[0].first, L"please select path");
    EXPECT_EQ(form.folderRequests[0].second, 0x59u);
    EXPECT_EQ(form.Control(IDC_SAVE_PATH).text, L"D:\\video");

    AnswerFolder(FolderOutcome::Chosen, L"D:\\");
    Click(IDC_BROWSE_FOLDER);
    EXPECT_EQ(form.Control(IDC_SAVE_PATH).text, L"D:");

    // In code page 936 the last byte of 籠 is 0x5C, a backslash to a byte-wise test.
    AnswerFolder(FolderOutcome::Chosen, L"D:\\录像\\鸟籠");
    Click(IDC_BROWSE_FOLDER);
    EXPECT_EQ(form.Control(IDC_SAVE_PATH).text, L"D:\\录像\\鸟籠");
    EXPECT_TRUE(form.messages.empty());
}

TEST_F(Commands, CancelledOrUnavailableFolderBrowserKeepsTheSavePath)
{
    form.Control(IDC_SAVE_PATH).text = L"E:\\recovered";
    AnswerFolder(FolderOutcome::Cancelled);
    AnswerFolder(FolderOutcome::NoAllocator);
    Click(IDC_BROWSE_FOLDER);
    Click(IDC_BROWSE_FOLDER);
    EXPECT_EQ(form.Control(IDC_SAVE_PATH).text, L"E:\\recovered");
    EXPECT_TRUE(form.messages.empty());
}

TEST_F(Commands, FolderWithoutAPathShowsTheStopMessageAndKeepsTheSavePath)
{
    form.programName = L"Velmora";
    form.Control(IDC_SAVE_PATH).text = L"E:\\recovered";
    AnswerFolder(FolderOutcome::ConversionFailed);
    AnswerFolder(FolderOutcome::Chosen, L"");
    Click(IDC_BROWSE_FOLDER);
    Click(IDC_BROWSE_FOLDER);

    ASSERT_EQ(form.messages.size(), 2u);
    EXPECT_EQ(form.messages[0].text, L"Fail   to   get   directory!");
    EXPECT_EQ(form.messages[1].text, L"Fail   to   get   directory");
    for (const FakeMessage& message : form.messages) {
        EXPECT_EQ(message.caption, L"Velmora");
        EXPECT_EQ(message.style, kMbIconStop | kMbOk);
    }
    EXPECT_EQ(form.Control(IDC_SAVE_PATH).text, L"E:\\recovered");
}

TEST_F(Commands, TimeFilterEnablesAndDisablesBothPickersTogether)
{
    form.Control(IDC_START_TIME).text = L"2023/5/1";
    form.Control(IDC_END_TIME).text = L"2023/5/9";

    ToggleFilter();
    EXPECT_TRUE(form.Control(IDC_TIME_FILTER).checked);
    EXPECT_TRUE(form.Control(IDC_START_TIME).enabled);
    EXPECT_TRUE(form.Control(IDC_END_TIME).enabled);

    ToggleFilter();
    EXPECT_FALSE(form.Control(IDC_TIME_FILTER).checked);
    EXPECT_FALSE(form.Control(IDC_START_TIME).enabled);
    EXPECT_FALSE(form.Control(IDC_END_TIME).enabled);
    EXPECT_EQ(form.Control(IDC_START_TIME).text, L"2023/5/1");
    EXPECT_EQ(form.Control(IDC_END_TIME).text, L"2023/5/9");
}

TEST_F(Commands, StopIsRecordedAndChangesNothingVisible)
{
    const auto before = form.controls;
    EXPECT_TRUE(Click(IDC_STOP));
    EXPECT_TRUE(dialog.StopRequested());
    EXPECT_TRUE(SameControls(before, form.controls));
    EXPECT_TRUE(form.events.empty());
}

TEST_F(Commands, ScanAndSaveEachOpenTheHomePageThenShowTheContactMessage)
{
    form.programName = L"renamed copy";
    form.Control(IDC_SCAN_SIZE).text = L"";
    Click(IDC_STOP);  // nothing consults the stop request
    const auto before = form.controls;

    for (int id : {IDC_SCAN, IDC_SCAN, IDC_SAVE, IDC_SAVE})
        EXPECT_TRUE(Click(id));

    EXPECT_EQ(form.events, (std::vector<std::string>{"open", "message", "open", "message", "open", "message",
                                                      "open", "message"}));
    for (const std::wstring& address : form.opened)
        EXPECT_EQ(address, std::wstring(texts::kHomePage) + L"/");
    EXPECT_EQ(form.opened[0], L"http://www.morvane.example/");
    for (const FakeMessage& message : form.messages) {
        EXPECT_EQ(message.text.rfind(L"请联系Morvane软件科技数据中心,", 0), 0u) << "prefix";
        EXPECT_EQ(message.text, texts::kContactMessage);
        EXPECT_EQ(message.caption, L"renamed copy");
        EXPECT_EQ(message.style, kMbOk);
    }
    EXPECT_TRUE(SameControls(before, form.controls));
}

TEST_F(Commands, OnlyClicksAreCommands)
{
    constexpr unsigned kBnDoubleClicked = 5;
    for (int id : {IDC_SCAN, IDC_SAVE, IDC_STOP, IDC_BROWSE_FILE, IDC_BROWSE_FOLDER, IDC_TIME_FILTER})
        EXPECT_FALSE(dialog.OnCommand(id, kBnDoubleClicked)) << id;
    EXPECT_FALSE(Click(IDC_SCAN_OFFSET));
    EXPECT_TRUE(form.events.empty());
    EXPECT_FALSE(dialog.StopRequested());
}

}  // namespace
