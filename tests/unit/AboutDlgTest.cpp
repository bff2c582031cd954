// The About box and the system-menu entry that opens it.
#include "dialogs/AboutDlg.h"
#include "dialogs/VelmoraDlg.h"
#include "tests/unit/FakeForm.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kAboutText[] = L"&关于Velmora...";

bool IsInside(const void* member, const CDialog& owner, size_t ownerSize)
{
    const auto* begin = reinterpret_cast<const char*>(&owner);
    const auto* address = static_cast<const char*>(member);
    return address >= begin && address < begin + ownerSize;
}

TEST(AboutBox, AttachesItsOwnTwoLinksShowingAndOpeningTheMakersAddresses)
{
    CAboutDlg about;
    CFakeForm form(about);
    form.attachSucceeds = false;  // a missing control must not keep the other link from working
    EXPECT_TRUE(about.OnInitDialog());

    ASSERT_EQ(form.links.size(), 2u);
    EXPECT_EQ(form.links[0].id, IDC_HOME_LINK);
    EXPECT_EQ(form.links[1].id, IDC_SOFT_LINK);
    EXPECT_NE(form.links[0].link, form.links[1].link);
    for (const FakeLink& link : form.links) {
        // The records live in the box itself, so they last exactly as long as its controls.
        EXPECT_TRUE(IsInside(link.link, about, sizeof about));
        EXPECT_EQ(link.caption, link.target);
        EXPECT_EQ(link.target.rfind(L"http://", 0), 0u) << link.target.c_str();
        // Longer, and the link would refuse the address as its caption.
        EXPECT_TRUE(links::CaptionFits(link.caption)) << link.caption.c_str();
    }
    EXPECT_NE(form.links[0].target, form.links[1].target);
    EXPECT_TRUE(form.events.empty());
}

class SystemMenu : public ::testing::Test {
protected:
    CVelmoraDlg dialog;
    CFakeForm form{dialog};

    void SetUp() override { form.strings[IDS_ABOUTBOX] = kAboutText; }
};

TEST_F(SystemMenu, GainsASeparatorAndTheAboutEntry)
{
    ASSERT_TRUE(dialog.OnInitDialog());
    const std::vector<std::pair<unsigned, std::wstring>> expected = {{0u, L""}, {IDM_ABOUTBOX, kAboutText}};
    EXPECT_EQ(form.systemMenu, expected);
}

TEST_F(SystemMenu, StaysUntouchedWithoutTheStringOrWithoutAMenu)
{
    form.strings.clear();
    ASSERT_TRUE(dialog.OnInitDialog());
    EXPECT_TRUE(form.systemMenu.empty());

    CVelmoraDlg other;
    CFakeForm menuless(other);
    menuless.strings[IDS_ABOUTBOX] = kAboutText;
    menuless.hasSystemMenu = false;
    EXPECT_TRUE(other.OnInitDialog());  // the rest of the form is still set up
    EXPECT_EQ(menuless.Control(IDC_SCAN_OFFSET).text, L"0");
}

TEST_F(SystemMenu, AboutEntryOpensAFreshBoxEachTimeWhateverTheLowBits)
{
    ASSERT_TRUE(dialog.OnInitDialog());
    std::vector<const CDialog*> boxes;
    form.onRunModal = [&](CDialog& box) {
        boxes.push_back(&box);
        CFakeForm inner(box);
        EXPECT_TRUE(box.OnInitDialog());
        EXPECT_EQ(inner.links.size(), 2u);
        return kIdCancel;
    };

    EXPECT_TRUE(dialog.OnSysCommand(IDM_ABOUTBOX));
    EXPECT_TRUE(dialog.OnSysCommand(IDM_ABOUTBOX | 0x3));
    EXPECT_TRUE(dialog.OnSysCommand(IDM_ABOUTBOX | 0xF));
    EXPECT_EQ(form.modalTemplates, (std::vector<int>{IDD_ABOUTBOX, IDD_ABOUTBOX, IDD_ABOUTBOX}));
    EXPECT_EQ(boxes.size(), 3u);
    // Opening the box touches nothing on the form.
    EXPECT_EQ(form.events, (std::vector<std::string>{"modal", "modal", "modal"}));
}

TEST_F(SystemMenu, OtherSystemCommandsGoToTheDefaultHandling)
{
    ASSERT_TRUE(dialog.OnInitDialog());
    // Close, move, and commands that share the entry's low bits or differ from it only above them.
    for (unsigned command : {0xF060u, 0xF010u, 0xF012u, 0x0110u, 0x1010u, 0x0020u, 0x0000u})
        EXPECT_FALSE(dialog.OnSysCommand(command)) << std::hex << command;
    EXPECT_TRUE(form.modalTemplates.empty());
}

}  // namespace
