// Default handling shared by every dialog: OK and Cancel end the modal run.
#include "dialogs/Dialog.h"

bool CDialog::OnCommand(int id, unsigned code)
{
    if (code != kBnClicked || (id != kIdOk && id != kIdCancel))
        return false;
    Form().EndDialog(id);
    return true;
}

bool CDialog::OnSysCommand(unsigned)
{
    return false;
}

std::optional<TextStyle> CDialog::OnCtlColor(int)
{
    return std::nullopt;
}
