// Reads back what the screen shows inside a window, to check the colours of
// the video that another process renders there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct Rgb {
    int r, g, b;
};

class ScreenPixels {
public:
    // Copies the window's client area from the screen; empty on failure.
    static ScreenPixels OfClientArea(HWND hwnd);

    bool Empty() const { return pixels_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // (x, y) from the top left of the area.
    Rgb At(int x, int y) const;
    // The mean colour of the box around (x, y), inset from both sides by r.
    Rgb MeanAround(int x, int y, int r) const;
    // How many pixels differ from another capture of the same size.
    int Differences(const ScreenPixels& other) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;  // 0x00RRGGBB, top row first
};
