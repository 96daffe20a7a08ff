#include "CodecTestSupport.h"

#include <algorithm>
#include <cstdlib>

#include "convert/FrameConverter.h"

std::vector<std::uint8_t> Convert(ConverterKind kind, BayerTile tile, int width, int height,
                                  const std::vector<std::uint8_t>& in, std::uint8_t fill) {
    const BITMAPINFOHEADER inFormat = Header(0, 8, width, height);
    const BITMAPINFOHEADER outFormat = RgbHeader(width, height);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 4, fill);
    kFrameConverters[static_cast<int>(kind)](&inFormat, in.data(), &outFormat, out.data(),
                                             static_cast<DWORD>(tile));
    return out;
}

namespace {

int Clamp(int v) { return std::min(255, std::max(0, v)); }

ModelPixel Yuv(int y, int c0, int c1) {
    const int u = c0 - 128;
    const int v = c1 - 128;
    return {Clamp((9576 * y + 13123 * u) / 8192), Clamp((9576 * y - 6686 * u - 3218 * v) / 8192),
            Clamp((9576 * y + 16591 * v) / 8192), -1};
}

}  // namespace

ModelPixel ModelMono8(const std::vector<std::uint8_t>& in, int width, int r, int x) {
    const int g = in[r * width + x];
    return {g, g, g, 0};
}

ModelPixel ModelMono16(const std::vector<std::uint8_t>& in, int width, int r, int x) {
    const int first = in[(r * width + x) * 2];
    return {first, first, first, in[(r * width + x) * 2 + 1]};
}

ModelPixel ModelYuv444(const std::vector<std::uint8_t>& in, int width, int r, int x) {
    const std::uint8_t* p = &in[(r * width + x) * 3];
    return Yuv(p[1], p[0], p[2]);
}

ModelPixel ModelYuv411(const std::vector<std::uint8_t>& in, int width, int r, int x) {
    const int groups = width / 4;
    if (x >= groups * 4) return {-1, -1, -1, -1};
    const std::uint8_t* g = &in[r * groups * 6 + (x / 4) * 6];
    const int lumaOffsets[4] = {1, 2, 4, 5};
    return Yuv(g[lumaOffsets[x % 4]], g[0], g[3]);
}

namespace {

// The Bayer rules, pixel by pixel, written out directly.
struct BayerModel {
    const std::string& tile;  // e.g. "RGGB": colours at (even,even) (even,odd) (odd,even) (odd,odd)
    const std::vector<std::uint8_t>& in;
    int width, height;

    char ColourOf(int r, int x) const { return tile[(r % 2) * 2 + (x % 2)]; }
    int In(int r, int x) const { return in[r * width + x]; }
    int LastBlockRow() const { return (height - 1) / 2; }
    // A position in the half of a block that lies past an odd edge reads the
    // same colour two pixels back.
    int BlockSite(int r, int x) const {
        return In(r == height ? r - 2 : r, x == width ? x - 2 : x);
    }
    int BlockColour(int r, int x, char c) const {
        const int top = r - r % 2, left = x - x % 2;
        for (int dr = 0; dr < 2; ++dr)
            for (int dc = 0; dc < 2; ++dc)
                if (ColourOf(top + dr, left + dc) == c) return BlockSite(top + dr, left + dc);
        std::abort();
    }
    int BlockGreens(int r, int x) const {
        const int top = r - r % 2, left = x - x % 2;
        int sum = 0;
        for (int dr = 0; dr < 2; ++dr)
            for (int dc = 0; dc < 2; ++dc)
                if (ColourOf(top + dr, left + dc) == 'G') sum += BlockSite(top + dr, left + dc);
        return sum >> 1;
    }

    int Fast(int r, int x, char c) const {
        if (c == 'G') return ColourOf(r, x) == 'G' ? In(r, x) : BlockGreens(r, x);
        return BlockColour(r, x, c);
    }

    int NearestGreen(int r, int x) const {
        if (r / 2 == LastBlockRow()) return BlockGreens(r, x);
        return x == 0 ? In(r, 1) : In(r, x - 1);
    }

    int EdgeGreen(int r, int x) const {
        if (r / 2 == 0 || r / 2 == LastBlockRow()) {
            // The block's green beside the pixel in its row.
            const int partner = x % 2 == 0 ? x + 1 : x - 1;
            return BlockSite(r, partner);
        }
        const int up = In(r - 1, x), down = In(r + 1, x);
        if (x == 0 || x == width - 1) return (up + down) >> 1;
        const int left = In(r, x - 1), right = In(r, x + 1);
        return std::abs(left - right) < std::abs(up - down) ? (left + right) >> 1 : (up + down) >> 1;
    }

    int RedOrBlue(int r, int x, char c, bool edge) const {
        int sr, sx;
        if (ColourOf(r, x) != 'G') {
            sr = r - 1;  // the other non-green colour lies on the diagonals
            sx = x - 1;
        } else if (ColourOf(r, x + 1) == c) {
            sr = r;  // beside the pixel in its row
            sx = x - 1;
        } else {
            sr = r - 1;  // above and below the pixel
            sx = x;
        }
        bool own = sr < 0 || sx < 0;
        if (r / 2 == LastBlockRow() && sr >= 0 && sr / 2 == LastBlockRow()) own = true;
        if (edge && r / 2 == 0) own = true;
        if (edge && r / 2 == 1 && sr >= 0 && sr / 2 == 0) own = true;
        return own ? BlockColour(r, x, c) : In(sr, sx);
    }

    int Value(ConverterKind kind, int r, int x, char c) const {
        if (ColourOf(r, x) == c) return In(r, x);
        switch (kind) {
            case ConverterKind::BayerFast: return Fast(r, x, c);
            case ConverterKind::BayerNearest:
                return c == 'G' ? NearestGreen(r, x) : RedOrBlue(r, x, c, false);
            default: return c == 'G' ? EdgeGreen(r, x) : RedOrBlue(r, x, c, true);
        }
    }
};

}  // namespace

ModelPixel ModelBayer(ConverterKind kind, const std::string& tile, const std::vector<std::uint8_t>& in,
                      int width, int height, int r, int x) {
    const BayerModel model{tile, in, width, height};
    return {model.Value(kind, r, x, 'B'), model.Value(kind, r, x, 'G'), model.Value(kind, r, x, 'R'),
            kind == ConverterKind::BayerFast ? 0 : -1};
}
