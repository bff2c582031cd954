// Main form: source selection, scan parameters, browse buttons, hand-off to the service.
#pragma once

#include "dialogs/Dialog.h"
#include "res/resource.h"

class CVelmoraDlg : public CDialog {
public:
    CVelmoraDlg() : CDialog(IDD_VELMORA_DIALOG) {}

    bool OnInitDialog() override;
    bool OnCommand(int id, unsigned code) override;
    bool OnSysCommand(unsigned command) override;
    bool OnPaint() override;
    std::optional<TextStyle> OnCtlColor(int id) override;

    bool StopRequested() const { return m_stopRequested; }

    // Where the icon goes while the window is iconic: centred, rounding the half pixel up.
    static Point IconOrigin(Size client, Size icon);

private:
    void OnModeImage();
    void OnModeDisk();
    void OnBrowseFile();
    void OnBrowseFolder();
    void OnTimeFilter();
    void OnStop();
    void OnScanOrSave();

    bool m_stopRequested = false;
};
