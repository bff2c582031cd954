// The operations dialog logic may perform on its window: the one seam between the logic and Win32.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CDialog;
class CMyStaticLink;

// Win32 values the logic needs, mirrored here so the logic builds without <windows.h>.
// The adapter checks every one of them against the real macro.
constexpr unsigned kBnClicked = 0;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr unsigned kSysCommandMask = 0xFFF0;
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbIconStop = 0x10;
constexpr unsigned kOfnOverwritePrompt = 0x2;
constexpr unsigned kOfnHideReadOnly = 0x4;
constexpr unsigned kBifReturnOnlyFsDirs = 0x1;
constexpr unsigned kBifReturnFsAncestors = 0x8;
constexpr unsigned kBifEditBox = 0x10;
constexpr unsigned kBifNewDialogStyle = 0x40;

struct Size {
    int cx;
    int cy;
};

struct Point {
    int x;
    int y;
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
};

// Red in the low byte, then green, then blue: the platform's COLORREF layout.
using Colour = std::uint32_t;
constexpr Colour Rgb(unsigned r, unsigned g, unsigned b)
{
    return r | (g << 8) | (b << 16);
}

// How a control's text is drawn when it asks its parent for colours.
struct TextStyle {
    Colour text;
    bool transparent;
};

struct OpenFileRequest {
    std::wstring_view filter;  // "Description|pattern|...||"
    std::wstring_view defaultExtension;
    unsigned flags;
};

enum class FolderOutcome {
    Chosen,  // path holds what the shell converted, possibly empty
    Cancelled,
    NoAllocator,       // the shell allocator could not be had; no browser was shown
    ConversionFailed,  // the chosen item has no file-system path
};

struct FolderAnswer {
    FolderOutcome outcome;
    std::wstring path;
};

class IForm {
public:
    virtual ~IForm() = default;

    virtual std::wstring ItemText(int id) const = 0;
    virtual void SetItemText(int id, std::wstring_view text) = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    virtual bool IsChecked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual void AddListEntry(int id, std::wstring_view text) = 0;
    virtual void SelectListEntry(int id, int index) = 0;
    // Assistive technology names a box or list after the static text just before it among the dialog's
    // children. This moves the one just after the control there; a label is no tab stop, so the order of
    // the tab stops stays.
    virtual void MoveLabelBefore(int id) = 0;
    // The name assistive technology reads for a control whose own text says nothing.
    virtual void SetAccessibleName(int id, std::wstring_view name) = 0;

    // Big icon, then small icon, from the same icon resource.
    virtual void SetIcons(int iconId) = 0;
    virtual std::wstring LoadText(int stringId) const = 0;
    // Appends a separator and the item; false when the window has no system menu.
    virtual bool AddSystemMenuItem(unsigned command, std::wstring_view text) = 0;
    // The executable's base name, the caption of the program's message boxes.
    virtual std::wstring ProgramName() const = 0;

    virtual std::optional<std::wstring> AskOpenFile(const OpenFileRequest& request) = 0;
    virtual FolderAnswer AskFolder(std::wstring_view title, unsigned flags) = 0;
    virtual void ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) = 0;
    virtual void ShellOpen(std::wstring_view address) = 0;

    // The system's window-text colour while its high-contrast mode is on; nothing otherwise.
    virtual std::optional<Colour> HighContrastText() const = 0;
    virtual bool IsIconic() const = 0;
    virtual Size ClientSize() const = 0;
    virtual Size IconSize() const = 0;
    // Erases the iconic background and draws the window icon with its top-left corner at origin.
    virtual void PaintIcon(Point origin) = 0;

    // Runs another dialog modally, owned by this one.
    virtual int RunModal(CDialog& dialog) = 0;
    virtual void EndDialog(int result) = 0;
    // Turns a static control into a link; the record must outlive the control.
    virtual bool AttachLink(int id, CMyStaticLink& link, std::wstring_view target,
                            std::wstring_view caption) = 0;
};
