// Main form: initial state and the window-level behaviour that is not a command.
#include "dialogs/VelmoraDlg.h"

#include "dialogs/AboutDlg.h"
#include "dialogs/Texts.h"

// Masked before comparing, the entry's command must survive the mask and stay clear of the system's own.
static_assert((IDM_ABOUTBOX & ~kSysCommandMask) == 0 && IDM_ABOUTBOX < 0xF000);

bool CVelmoraDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // An empty string would make a blank entry, so there is none; a window without a system menu
    // simply gets no entry either.
    const std::wstring about = Form().LoadText(IDS_ABOUTBOX);
    if (!about.empty())
        Form().AddSystemMenuItem(IDM_ABOUTBOX, about);

    Form().SetIcons(IDI_MAINFRAME);
    Form().SetItemText(IDC_SCAN_OFFSET, texts::kInitialOffset);

    Form().SetChecked(IDC_MODE_IMAGE, true);
    Form().EnableItem(IDC_SOURCE_DEVICE, false);
    Form().EnableItem(IDC_SOURCE_FILE, true);
    Form().EnableItem(IDC_BROWSE_FILE, true);

    // The list is fixed: it names drives whether or not they exist, and none is ever opened.
    for (std::wstring_view drive : texts::kDriveNames)
        Form().AddListEntry(IDC_SOURCE_DEVICE, drive);
    Form().SelectListEntry(IDC_SOURCE_DEVICE, 0);

    Form().SetChecked(IDC_TIME_FILTER, false);
    Form().EnableItem(IDC_START_TIME, false);
    Form().EnableItem(IDC_END_TIME, false);
    return true;
}

bool CVelmoraDlg::OnCommand(int id, unsigned code)
{
    return CDialog::OnCommand(id, code);
}

bool CVelmoraDlg::OnSysCommand(unsigned command)
{
    // The low four bits belong to the system.
    if ((command & kSysCommandMask) != IDM_ABOUTBOX)
        return CDialog::OnSysCommand(command);
    // A fresh box every time; how it was closed makes no difference.
    CAboutDlg about;
    Form().RunModal(about);
    return true;
}

Point CVelmoraDlg::IconOrigin(Size client, Size icon)
{
    // Integer division truncates toward zero, also for an icon larger than the client area.
    return {(client.cx - icon.cx + 1) / 2, (client.cy - icon.cy + 1) / 2};
}

bool CVelmoraDlg::OnPaint()
{
    if (!Form().IsIconic())
        return false;
    Form().PaintIcon(IconOrigin(Form().ClientSize(), Form().IconSize()));
    return true;
}

std::optional<TextStyle> CVelmoraDlg::OnCtlColor(int id)
{
    if (id == IDC_HINT)
        return TextStyle{Rgb(0, 0, 0), true};
    return CDialog::OnCtlColor(id);
}
