// The form operations as a mock: the dialog logic's tests state what it must do to its form.
#pragma once

#include "dialogs/Dialog.h"

#include <gmock/gmock.h>

class CMockForm : public IForm {
public:
    MOCK_METHOD(std::wstring, ItemText, (int), (const, override));
    MOCK_METHOD(void, SetItemText, (int, std::wstring_view), (override));
    MOCK_METHOD(void, EnableItem, (int, bool), (override));
    MOCK_METHOD(bool, IsChecked, (int), (const, override));
    MOCK_METHOD(void, SetChecked, (int, bool), (override));
    MOCK_METHOD(void, AddListEntry, (int, std::wstring_view), (override));
    MOCK_METHOD(void, SelectListEntry, (int, int), (override));
    MOCK_METHOD(void, MoveLabelBefore, (int), (override));
    MOCK_METHOD(void, SetAccessibleName, (int, std::wstring_view), (override));
    MOCK_METHOD(void, SetIcons, (int), (override));
    MOCK_METHOD(std::wstring, LoadText, (int), (const, override));
    MOCK_METHOD(bool, AddSystemMenuItem, (unsigned, std::wstring_view), (override));
    MOCK_METHOD(std::wstring, ProgramName, (), (const, override));
    MOCK_METHOD(std::optional<std::wstring>, AskOpenFile, (const OpenFileRequest&), (override));
    MOCK_METHOD(FolderAnswer, AskFolder, (std::wstring_view, unsigned), (override));
    MOCK_METHOD(void, ShowMessage, (std::wstring_view, std::wstring_view, unsigned), (override));
    MOCK_METHOD(void, ShellOpen, (std::wstring_view), (override));
    MOCK_METHOD(std::optional<Colour>, HighContrastText, (), (const, override));
    MOCK_METHOD(bool, IsIconic, (), (const, override));
    MOCK_METHOD(Size, ClientSize, (), (const, override));
    MOCK_METHOD(Size, IconSize, (), (const, override));
    MOCK_METHOD(void, PaintIcon, (Point), (override));
    MOCK_METHOD(int, RunModal, (CDialog&), (override));
    MOCK_METHOD(void, EndDialog, (int), (override));
    MOCK_METHOD(bool, AttachLink, (int, CMyStaticLink&, std::wstring_view, std::wstring_view), (override));
};
