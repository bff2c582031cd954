// Scope holders for the few Win32 resources the adapter acquires by hand.
#pragma once

#include <windows.h>
#include <shlobj.h>

// Pairs BeginPaint with EndPaint; EndPaint needs the window as well as the paint record.
class CPaintScope {
public:
    explicit CPaintScope(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_paint)) {}
    ~CPaintScope() { ::EndPaint(m_hwnd, &m_paint); }
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;

    HDC Dc() const { return m_dc; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// An item list from the folder browser, freed through the allocator it came from.
class CItemList {
public:
    CItemList(PIDLIST_ABSOLUTE items, IMalloc& allocator) : m_items(items), m_allocator(allocator) {}
    ~CItemList() { reset(); }
    CItemList(const CItemList&) = delete;
    CItemList& operator=(const CItemList&) = delete;

    PIDLIST_ABSOLUTE get() const { return m_items; }
    explicit operator bool() const { return m_items != nullptr; }
    void reset()
    {
        if (m_items)
            m_allocator.Free(m_items);
        m_items = nullptr;
    }

private:
    PIDLIST_ABSOLUTE m_items;
    IMalloc& m_allocator;
};
