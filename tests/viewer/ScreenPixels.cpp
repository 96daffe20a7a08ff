#include "ScreenPixels.h"

ScreenPixels ScreenPixels::OfClientArea(HWND hwnd)
{
    ScreenPixels shot;
    RECT rc;
    if (!GetClientRect(hwnd, &rc) || rc.right <= 0 || rc.bottom <= 0)
        return shot;
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    const int w = rc.right;
    const int h = rc.bottom;

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY)) {
            GdiFlush();
            const std::uint32_t* p = static_cast<const std::uint32_t*>(bits);
            shot.pixels_.assign(p, p + static_cast<size_t>(w) * h);
            shot.width_ = w;
            shot.height_ = h;
            for (std::uint32_t& v : shot.pixels_)
                v &= 0xFFFFFF;
        }
        SelectObject(memory, old);
    }
    if (dib)
        DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

Rgb ScreenPixels::At(int x, int y) const
{
    const std::uint32_t v = pixels_[static_cast<size_t>(y) * width_ + x];
    return Rgb{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
               static_cast<int>(v & 0xFF)};
}

Rgb ScreenPixels::MeanAround(int x, int y, int r) const
{
    long sr = 0, sg = 0, sb = 0, n = 0;
    for (int yy = y - r; yy <= y + r; ++yy) {
        for (int xx = x - r; xx <= x + r; ++xx) {
            if (xx < 0 || yy < 0 || xx >= width_ || yy >= height_)
                continue;
            const Rgb c = At(xx, yy);
            sr += c.r;
            sg += c.g;
            sb += c.b;
            ++n;
        }
    }
    if (n == 0)
        return Rgb{-1, -1, -1};
    return Rgb{static_cast<int>(sr / n), static_cast<int>(sg / n), static_cast<int>(sb / n)};
}

int ScreenPixels::Differences(const ScreenPixels& other) const
{
    if (other.width_ != width_ || other.height_ != height_)
        return -1;
    int n = 0;
    for (size_t i = 0; i < pixels_.size(); ++i)
        n += pixels_[i] != other.pixels_[i];
    return n;
}
