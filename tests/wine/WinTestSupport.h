// Helpers for tests on real windows: pumping messages while waiting, and reading painted pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Dispatches this thread's messages until done() holds or the time is up; true when it held.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 10000)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
}

// Lets windows that were just created or shown finish their first painting.
inline void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// The client area of a window as it is on screen, one COLORREF per pixel, row by row.
inline std::vector<COLORREF> ClientPixels(HWND hwnd)
{
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0)
        return pixels;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = ::GetDC(hwnd);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ::GdiFlush();

    const auto* quads = static_cast<const std::uint32_t*>(bits);
    pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int i = 0; i < width * height; ++i) {
        const std::uint32_t bgr = quads[i];
        pixels.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd, screen);
    return pixels;
}

inline size_t CountColour(const std::vector<COLORREF>& pixels, COLORREF colour)
{
    size_t count = 0;
    for (COLORREF pixel : pixels)
        count += pixel == colour ? 1 : 0;
    return count;
}

inline POINT CentreOf(HWND hwnd)
{
    RECT area{};
    ::GetWindowRect(hwnd, &area);
    return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
}
