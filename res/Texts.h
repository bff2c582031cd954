// Every text the code hands to the user; the dialog templates carry the rest.
#pragma once

#include <string_view>

namespace texts {

constexpr std::wstring_view kInitialOffset = L"0";

constexpr std::wstring_view kDriveNames[] = {
    L"\\\\.\\PhysicalDrive0", L"\\\\.\\PhysicalDrive1", L"\\\\.\\PhysicalDrive2", L"\\\\.\\PhysicalDrive3",
    L"\\\\.\\PhysicalDrive4", L"\\\\.\\PhysicalDrive5", L"\\\\.\\PhysicalDrive6",
};

constexpr std::wstring_view kSourceFilter =
    L"Vmdk Files (*.vmdk)|*.vmdk|IMG Files (*.img)|*.img|DSK Files (*.dsk)|*.dsk|All Files (*.*)|*.*||";
constexpr std::wstring_view kSourceExtension = L"vmdk";

constexpr std::wstring_view kFolderTitle = L"please select path";
constexpr std::wstring_view kFolderConversionFailed = L"Fail   to   get   directory!";
constexpr std::wstring_view kFolderEmpty = L"Fail   to   get   directory";

// Each address is at most 31 bytes, so a link can also show it as its caption.
constexpr std::wstring_view kHomePage = L"http://www.morvane.example";
constexpr std::wstring_view kSoftwareSite = L"http://soft.morvane.example";

// What assistive technology calls a link's default action, and the names it reads for the two browse
// buttons, whose own text says nothing.
constexpr std::wstring_view kOpenAction = L"打开";
constexpr std::wstring_view kBrowseFileName = L"选择源文件";
constexpr std::wstring_view kBrowseFolderName = L"选择保存路径";

constexpr std::wstring_view kContactMessage = L"请联系Morvane软件科技数据中心,010-55501234  13055501234";

// Followed by the file's name, when a system DLL cannot be loaded or lacks a function the program calls.
constexpr std::wstring_view kSystemFileMissing = L"无法加载系统文件: ";

}  // namespace texts
