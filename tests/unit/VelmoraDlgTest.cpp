// The main form as its user first sees it, and its window-level behaviour.
#include "dialogs/VelmoraDlg.h"
#include "tests/unit/FakeForm.h"

#include <gtest/gtest.h>

namespace {

class MainForm : public ::testing::Test {
protected:
    CVelmoraDlg dialog;
    CFakeForm form{dialog};

    void Open() { ASSERT_TRUE(dialog.OnInitDialog()); }
};

TEST_F(MainForm, OpensInImageFileModeWithTheDriveListReadyButDisabled)
{
    Open();
    EXPECT_EQ(form.Control(IDC_SCAN_OFFSET).text, L"0");
    EXPECT_EQ(form.Control(IDC_SCAN_SIZE).text, L"");
    EXPECT_TRUE(form.Control(IDC_MODE_IMAGE).checked);
    EXPECT_FALSE(form.Control(IDC_MODE_DISK).checked);
    EXPECT_TRUE(form.Control(IDC_SOURCE_FILE).enabled);
    EXPECT_TRUE(form.Control(IDC_BROWSE_FILE).enabled);

    const FakeControl& drives = form.Control(IDC_SOURCE_DEVICE);
    EXPECT_FALSE(drives.enabled);
    const std::vector<std::wstring> expected = {
        L"\\\\.\\PhysicalDrive0", L"\\\\.\\PhysicalDrive1", L"\\\\.\\PhysicalDrive2", L"\\\\.\\PhysicalDrive3",
        L"\\\\.\\PhysicalDrive4", L"\\\\.\\PhysicalDrive5", L"\\\\.\\PhysicalDrive6"};
    EXPECT_EQ(drives.entries, expected);
    EXPECT_EQ(drives.selected, 0);
    EXPECT_EQ(form.iconId, IDI_MAINFRAME);
}

TEST_F(MainForm, OpensWithTheTimeFilterOffAndBothPickersDisabled)
{
    form.Control(IDC_TIME_FILTER).checked = true;
    Open();
    EXPECT_FALSE(form.Control(IDC_TIME_FILTER).checked);
    EXPECT_FALSE(form.Control(IDC_START_TIME).enabled);
    EXPECT_FALSE(form.Control(IDC_END_TIME).enabled);
}

TEST_F(MainForm, OpeningShowsNothingModalAndOpensNothing)
{
    Open();
    EXPECT_TRUE(form.events.empty());
    EXPECT_FALSE(dialog.StopRequested());
}

TEST_F(MainForm, EscapeAndCloseEndTheForm)
{
    Open();
    EXPECT_TRUE(dialog.OnCommand(kIdCancel, kBnClicked));
    EXPECT_EQ(form.endedWith, kIdCancel);
}

TEST(IconOrigin, CentresTheIconRoundingHalfPixelsUp)
{
    EXPECT_EQ(CVelmoraDlg::IconOrigin({100, 60}, {32, 32}), (Point{34, 14}));
    EXPECT_EQ(CVelmoraDlg::IconOrigin({101, 61}, {32, 32}), (Point{35, 15}));
    // Smaller than the icon: the division truncates toward zero, not down.
    EXPECT_EQ(CVelmoraDlg::IconOrigin({0, 0}, {32, 32}), (Point{-15, -15}));
    EXPECT_EQ(CVelmoraDlg::IconOrigin({30, 29}, {32, 32}), (Point{0, -1}));
}

TEST_F(MainForm, PaintsTheIconOnlyWhileIconic)
{
    Open();
    form.client = {160, 24};
    EXPECT_FALSE(dialog.OnPaint());
    EXPECT_FALSE(form.paintedAt.has_value());

    form.iconic = true;
    EXPECT_TRUE(dialog.OnPaint());
    EXPECT_EQ(form.paintedAt, (Point{64, -3}));
}

TEST_F(MainForm, DrawsOnlyTheHintLineBlackOnTransparent)
{
    Open();
    const std::optional<TextStyle> hint = dialog.OnCtlColor(IDC_HINT);
    ASSERT_TRUE(hint.has_value());
    EXPECT_EQ(hint->text, Rgb(0, 0, 0));
    EXPECT_TRUE(hint->transparent);
    for (int other : {IDC_RESULT, IDC_SCAN_OFFSET, IDC_SOURCE_FILE, -1})
        EXPECT_FALSE(dialog.OnCtlColor(other).has_value()) << other;
}

}  // namespace
