// Main form: initial state, window-level behaviour and the commands of its buttons.
#include "dialogs/VelmoraDlg.h"

#include "dialogs/AboutDlg.h"
#include "res/Texts.h"

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
    // The offset's label follows its box among the children, where it names nothing.
    Form().MoveLabelBefore(IDC_SCAN_OFFSET);
    Form().SetAccessibleName(IDC_BROWSE_FILE, texts::kBrowseFileName);
    Form().SetAccessibleName(IDC_BROWSE_FOLDER, texts::kBrowseFolderName);
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
    // Scan and Save are one command: both hand the user over to the service.
    static constexpr CommandEntry<CVelmoraDlg> kCommands[] = {
        {IDC_BROWSE_FILE, kBnClicked, &CVelmoraDlg::OnBrowseFile},
        {IDC_BROWSE_FOLDER, kBnClicked, &CVelmoraDlg::OnBrowseFolder},
        {IDC_SCAN, kBnClicked, &CVelmoraDlg::OnScanOrSave},
        {IDC_STOP, kBnClicked, &CVelmoraDlg::OnStop},
        {IDC_MODE_IMAGE, kBnClicked, &CVelmoraDlg::OnModeImage},
        {IDC_MODE_DISK, kBnClicked, &CVelmoraDlg::OnModeDisk},
        {IDC_TIME_FILTER, kBnClicked, &CVelmoraDlg::OnTimeFilter},
        {IDC_SAVE, kBnClicked, &CVelmoraDlg::OnScanOrSave},
    };
    return Dispatch(*this, kCommands, id, code) || CDialog::OnCommand(id, code);
}

// The radio buttons have moved their check mark by the time these run. Switching only changes
// what is usable: the file name and the selected drive both survive a round trip.
void CVelmoraDlg::OnModeImage()
{
    Form().EnableItem(IDC_SOURCE_DEVICE, false);
    Form().EnableItem(IDC_SOURCE_FILE, true);
    Form().EnableItem(IDC_BROWSE_FILE, true);
}

void CVelmoraDlg::OnModeDisk()
{
    Form().EnableItem(IDC_SOURCE_DEVICE, true);
    Form().EnableItem(IDC_SOURCE_FILE, false);
    Form().EnableItem(IDC_BROWSE_FILE, false);
}

void CVelmoraDlg::OnBrowseFile()
{
    // The file is never opened, so neither it nor its folder has to exist. The overwrite prompt
    // means nothing to an open dialog; it stays in the flags the form has always passed.
    const std::optional<std::wstring> path = Form().AskOpenFile(
        {texts::kSourceFilter, texts::kSourceExtension, kOfnHideReadOnly | kOfnOverwritePrompt});
    if (path)
        Form().SetItemText(IDC_SOURCE_FILE, *path);
}

void CVelmoraDlg::OnBrowseFolder()
{
    const FolderAnswer answer = Form().AskFolder(
        texts::kFolderTitle, kBifReturnOnlyFsDirs | kBifReturnFsAncestors | kBifEditBox | kBifNewDialogStyle);
    switch (answer.outcome) {
    case FolderOutcome::NoAllocator:
    case FolderOutcome::Cancelled:
        // A cancelled browser keeps the folder chosen before: cancelling must not lose it.
        return;
    case FolderOutcome::ConversionFailed:
        Form().ShowMessage(texts::kFolderConversionFailed, Form().ProgramName(), kMbIconStop | kMbOk);
        return;
    case FolderOutcome::Chosen:
        break;
    }
    if (answer.path.empty()) {
        Form().ShowMessage(texts::kFolderEmpty, Form().ProgramName(), kMbIconStop | kMbOk);
        return;
    }
    // A drive root shows as "D:". The test is on the last character: in a narrow code page a
    // Chinese character's trail byte can be a backslash, and a byte test would cut it in half.
    std::wstring folder = answer.path;
    if (folder.back() == L'\\')
        folder.pop_back();
    Form().SetItemText(IDC_SAVE_PATH, folder);
}

// The check box has toggled itself; the pickers follow it together and keep their dates.
void CVelmoraDlg::OnTimeFilter()
{
    const bool on = Form().IsChecked(IDC_TIME_FILTER);
    Form().SetChecked(IDC_TIME_FILTER, on);
    Form().EnableItem(IDC_START_TIME, on);
    Form().EnableItem(IDC_END_TIME, on);
}

// There is no scan to stop: the request is only recorded, and nothing reads it.
void CVelmoraDlg::OnStop()
{
    m_stopRequested = true;
}

// The program has no engine of its own: both buttons send the user to the maker's service,
// whatever the form holds. Whether the browser started is not examined; the message follows anyway.
void CVelmoraDlg::OnScanOrSave()
{
    Form().ShellOpen(std::wstring(texts::kHomePage) + L'/');
    Form().ShowMessage(texts::kContactMessage, Form().ProgramName(), kMbOk);
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
    // Black suits the form's face in the normal scheme; a high-contrast one may make that face black too.
    if (id == IDC_HINT)
        return TextStyle{Form().HighContrastText().value_or(Rgb(0, 0, 0)), true};
    return CDialog::OnCtlColor(id);
}
