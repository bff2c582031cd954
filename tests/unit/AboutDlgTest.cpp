// The About box's logic, and the main form's system-menu entry that opens it.
#include "dialogs/AboutDlg.h"
#include "dialogs/VelmoraDlg.h"
#include "tests/unit/FakeForm.h"

#include <gtest/gtest.h>

namespace {

TEST(AboutBox, SetsUpBothLinksEvenWhenOneFailsAndOkOrCancelCloseIt)
{
    CAboutDlg about;
    CFakeForm form(about);
    form.attachSucceeds = false;
    EXPECT_TRUE(about.OnInitDialog());

    ASSERT_EQ(form.links.size(), 2u);
    EXPECT_EQ(form.links[0].id, IDC_HOME_LINK);
    EXPECT_EQ(form.links[0].target, L"http://www.morvane.example");
    EXPECT_EQ(form.links[1].id, IDC_SOFT_LINK);
    EXPECT_EQ(form.links[1].target, L"http://soft.morvane.example");
    for (const FakeLink& link : form.links)
        EXPECT_EQ(link.caption, link.target);
    EXPECT_NE(form.links[0].link, form.links[1].link);
    EXPECT_TRUE(form.events.empty());

    for (int id : {kIdOk, kIdCancel}) {
        EXPECT_TRUE(about.OnCommand(id, kBnClicked));
        EXPECT_EQ(form.endedWith, id);
    }
}

class SystemMenu : public ::testing::Test {
protected:
    CVelmoraDlg dialog;
    CFakeForm form{dialog};

    void SetUp() override { form.strings[IDS_ABOUTBOX] = L"&关于Velmora..."; }
};

TEST_F(SystemMenu, GainsASeparatorAndTheAboutEntry)
{
    ASSERT_TRUE(dialog.OnInitDialog());
    const std::vector<std::pair<unsigned, std::wstring>> expected = {{0u, L""},
                                                                     {IDM_ABOUTBOX, L"&关于Velmora..."}};
    EXPECT_EQ(form.systemMenu, expected);
}

TEST_F(SystemMenu, StaysUntouchedWithoutTheStringAndAFormWithoutOneStillOpens)
{
    form.strings.clear();
    ASSERT_TRUE(dialog.OnInitDialog());
    EXPECT_TRUE(form.systemMenu.empty());

    CVelmoraDlg other;
    CFakeForm menuless(other);
    menuless.strings[IDS_ABOUTBOX] = L"&关于Velmora...";
    menuless.hasSystemMenu = false;
    EXPECT_TRUE(other.OnInitDialog());
    EXPECT_EQ(menuless.Control(IDC_SCAN_OFFSET).text, L"0");
}

TEST_F(SystemMenu, AboutEntryOpensAFreshBoxWhateverTheLowBitsAndOtherCommandsGoToTheSystem)
{
    ASSERT_TRUE(dialog.OnInitDialog());
    form.onRunModal = [](CDialog& box) {
        CFakeForm inner(box);
        EXPECT_TRUE(box.OnInitDialog());
        EXPECT_EQ(inner.links.size(), 2u);
        return kIdCancel;
    };
    for (unsigned low : {0x0u, 0x3u, 0xFu})
        EXPECT_TRUE(dialog.OnSysCommand(IDM_ABOUTBOX | low));
    EXPECT_EQ(form.modalTemplates, std::vector<int>(3, IDD_ABOUTBOX));

    // Close, move, and commands that share the entry's low bits or differ from it only above them.
    for (unsigned command : {0xF060u, 0xF010u, 0xF012u, 0x0110u, 0x1010u, 0x0020u, 0x0000u})
        EXPECT_FALSE(dialog.OnSysCommand(command)) << std::hex << command;
    // Opening the box touches nothing on the form.
    EXPECT_EQ(form.events, std::vector<std::string>(3, "modal"));
}

}  // namespace
