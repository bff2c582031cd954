// About box: the maker's logo and two links to the maker's web sites.
#pragma once

#include "controls/MyStaticLink.h"
#include "dialogs/Dialog.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

    bool OnInitDialog() override;

private:
    // The controls keep these records' addresses until they are destroyed with the box's window.
    CMyStaticLink m_homeLink;
    CMyStaticLink m_softLink;
};
