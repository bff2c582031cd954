// A dialog's bitmap pictures, scaled to fill the rectangles its template gives them.
#pragma once

#include <windows.h>

#include <vector>

class CFittedPictures {
public:
    CFittedPictures() = default;
    // The controls show the bitmaps without owning them, so the owner must outlive its dialog.
    ~CFittedPictures();
    CFittedPictures(const CFittedPictures&) = delete;
    CFittedPictures& operator=(const CFittedPictures&) = delete;

    // Gives every bitmap picture of the dialog, made from the template, a smoothly scaled copy of its
    // bitmap the size of its rectangle there, unless the bitmap is less than a dialog unit off it; either
    // way the bitmap the picture shows is then this owner's, deleted with it.
    void Fit(HWND dialog, int templateId);

private:
    std::vector<HBITMAP> m_bitmaps;
};
