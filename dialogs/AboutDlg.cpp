// About box: turns the two address texts into links to the maker's sites.
#include "dialogs/AboutDlg.h"

#include "res/Texts.h"

bool CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // A link that cannot be attached stays a plain text; the box is useful without it.
    Form().AttachLink(IDC_HOME_LINK, m_homeLink, texts::kHomePage, texts::kHomePage);
    Form().AttachLink(IDC_SOFT_LINK, m_softLink, texts::kSoftwareSite, texts::kSoftwareSite);
    // The links are tab stops, and a link with the focus takes Enter: none has it until the user tabs
    // there, so that Enter still closes the box.
    return false;
}
