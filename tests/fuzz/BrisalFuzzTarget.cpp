// Hostile input for the codec: the fuzzer's bytes become a session with the
// driver through DriverProc (open, the negotiation messages, frames, end,
// close) with arbitrary headers, sizes and FOURCCs. Every buffer handed to
// the driver is exactly as large as the caller's side of the contract says
// (a header of biSize bytes, a frame of the FOURCC's byte count, an output of
// 4 x W x H bytes for the output header), so the sanitizers see any access
// beyond it. Each frame the driver accepts is also converted by the fast
// converters of every level this processor has, which must agree with the
// plain ones byte for byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "convert/simd/SimdConverters.h"
#include "driver/DriverProc.h"
#include "negotiation/FourccTable.h"
#include "FuzzInput.h"

namespace {

// Frames above this many pixels are negotiated but not decompressed, and a
// session decompresses a few frames at most: sizes matter, not volume.
constexpr std::uint64_t kLargestFramePixels = 1u << 16;
constexpr int kFramesPerSession = 6;


const DWORD kCompressions[] = {
    MakeFourcc('Z', 'K', 'V', 'Y'), MakeFourcc('Y', '8', '0', '0'), MakeFourcc('Z', 'Y', '1', '6'),
    MakeFourcc('Z', 'Y', '4', '4'), MakeFourcc('Z', 'Y', '4', '1'), MakeFourcc('R', 'G', 'B', '1'),
    MakeFourcc('R', 'G', 'B', '2'), MakeFourcc('R', 'G', 'B', '3'), MakeFourcc('G', 'R', 'B', '1'),
    MakeFourcc('G', 'R', 'B', '2'), MakeFourcc('G', 'R', 'B', '3'), MakeFourcc('G', 'B', 'R', '1'),
    MakeFourcc('G', 'B', 'R', '2'), MakeFourcc('G', 'B', 'R', '3'), MakeFourcc('B', 'G', 'R', '1'),
    MakeFourcc('B', 'G', 'R', '2'), MakeFourcc('B', 'G', 'R', '3'), MakeFourcc('U', 'Y', 'V', 'Y'),
    MakeFourcc('R', 'A', 'W', '8'), BI_RGB, BI_BITFIELDS,
};
const WORD kBitCounts[] = {8, 12, 16, 24, 32, 0};
const DWORD kHeaderSizes[] = {40, 40, 40, 124, 108, 12, 41, 0};
const LONG kDimensions[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 15, 16, 17, 31, 33, 63, 64, 65, 130, -1, -2, -4};

// A heap block of exactly `size` bytes (none for 0), so that the sanitizer
// flags the first byte beyond it.
class ExactBuffer {
public:
    explicit ExactBuffer(std::size_t size) : bytes_(new std::uint8_t[size]), size_(size) {}
    std::uint8_t* Data() { return bytes_.get(); }
    std::size_t Size() const { return size_; }
    std::vector<std::uint8_t> Copy() const { return {bytes_.get(), bytes_.get() + size_}; }

private:
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::size_t size_;
};

// A header in a block of exactly max(biSize, 40) bytes, as a caller would
// pass a header of that size.
class Header {
public:
    explicit Header(DWORD size) : bytes_(size < sizeof(BITMAPINFOHEADER) ? sizeof(BITMAPINFOHEADER) : size) {
        Fields().biSize = size;
    }
    BITMAPINFOHEADER& Fields() { return *reinterpret_cast<BITMAPINFOHEADER*>(bytes_.data()); }
    BITMAPINFOHEADER* Get() { return &Fields(); }

private:
    std::vector<std::uint8_t> bytes_;
};

Header RandomInputHeader(FuzzInput& input) {
    DWORD size = input.Pick(kHeaderSizes);
    if (size > 4096) size = 4096;
    Header header(size);
    BITMAPINFOHEADER& h = header.Fields();
    h.biWidth = input.Pick(kDimensions);
    h.biHeight = input.Pick(kDimensions);
    h.biPlanes = 1;
    h.biBitCount = input.Pick(kBitCounts);
    h.biCompression = input.Pick(kCompressions);
    const DWORD sizeImage[] = {0, 0, 1, 0x7FFFFFFF};
    h.biSizeImage = input.Pick(sizeImage);
    return header;
}

// The frame bytes the caller provides for an input header: the FOURCC's byte
// count, or none when the header names no known format or a negative size.
std::size_t CallerFrameBytes(const BITMAPINFOHEADER& h) {
    const FourccFormat* format = FindAcceptedFormat(h.biBitCount, h.biCompression);
    if (!format || h.biWidth < 0 || h.biHeight < 0) return 0;
    return static_cast<std::size_t>(FrameByteCount(*format, h.biWidth, h.biHeight));
}

std::uint64_t PixelCount(const BITMAPINFOHEADER& h) {
    if (h.biWidth <= 0 || h.biHeight <= 0) return 0;
    return static_cast<std::uint64_t>(h.biWidth) * static_cast<std::uint64_t>(h.biHeight);
}

// The fast converters of every level on the frame just decompressed.
void CompareLevels(const BITMAPINFOHEADER& in, ExactBuffer& frame,
                   const std::vector<std::uint8_t>& before) {
    const FourccFormat* format = FindAcceptedFormat(in.biBitCount, in.biCompression);
    if (!format || before.empty()) return;
    const std::size_t kind = static_cast<std::size_t>(format->kind);
    const DWORD tile = static_cast<DWORD>(format->tile);
    ExactBuffer expected(before.size());
    std::memcpy(expected.Data(), before.data(), before.size());
    kFrameConverters[kind](&in, frame.Data(), &in, expected.Data(), tile);
    for (int level = 1; level <= static_cast<int>(ActiveCpuLevel()); ++level) {
        ExactBuffer actual(before.size());
        std::memcpy(actual.Data(), before.data(), before.size());
        ConvertersForLevel(static_cast<CpuLevel>(level))[kind](&in, frame.Data(), &in, actual.Data(), tile);
        if (std::memcmp(actual.Data(), expected.Data(), before.size()) != 0) std::abort();
    }
}

class Session {
public:
    explicit Session(FuzzInput& input) : input_(input) {}
    ~Session() {
        if (id_ != 0) DriverProc(id_, nullptr, DRV_CLOSE, 0, 0);
    }

    void Run() {
        Open();
        Header in = RandomInputHeader(input_);
        Header out(sizeof(BITMAPINFOHEADER));
        ProposeOutput(in, out);
        while (!input_.Empty()) {
            switch (input_.Byte() % 10) {
                case 0: in = RandomInputHeader(input_); break;
                case 1: ProposeOutput(in, out); break;
                case 2: MutateOutput(out); break;
                case 3: Send(ICM_DECOMPRESS_QUERY, in.Get(), input_.Byte() & 1 ? out.Get() : nullptr); break;
                case 4: Send(ICM_DECOMPRESS_BEGIN, in.Get(), input_.Byte() & 1 ? out.Get() : in.Get()); break;
                case 5: Decompress(in, out); break;
                case 6: Decompress(in, out); break;
                case 7: Send(ICM_DECOMPRESS_END, nullptr, nullptr); break;
                case 8: Send(ICM_DECOMPRESS_GET_PALETTE, in.Get(), out.Get()); break;
                case 9: Info(); break;
            }
        }
    }

private:
    LRESULT Send(UINT message, const void* p1, const void* p2) {
        return DriverProc(id_, nullptr, message, reinterpret_cast<LPARAM>(p1),
                          reinterpret_cast<LPARAM>(p2));
    }

    void Open() {
        if (input_.Byte() & 1) DriverProc(0, nullptr, DRV_OPEN, 0, 0);
        ICOPEN open{};
        open.dwSize = sizeof open;
        open.fccType = input_.Byte() & 1 ? input_.Take<DWORD>() : kFourccVideoCompressor;
        open.fccHandler = kFourccCodecHandler;
        open.dwFlags = input_.Byte();
        id_ = static_cast<DWORD_PTR>(DriverProc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&open)));
    }

    // GET_FORMAT the way callers use it: ask for the size, then pass exactly
    // that many bytes.
    void ProposeOutput(Header& in, Header& out) {
        const LRESULT size = Send(ICM_DECOMPRESS_GET_FORMAT, in.Get(), nullptr);
        if (size <= 0 || size > 4096) return;
        Header proposal(static_cast<DWORD>(size));
        if (Send(ICM_DECOMPRESS_GET_FORMAT, in.Get(), proposal.Get()) == ICERR_OK) out = proposal;
    }

    void MutateOutput(Header& out) {
        BITMAPINFOHEADER& h = out.Fields();
        switch (input_.Byte() % 5) {
            case 0: h.biWidth += static_cast<std::int8_t>(input_.Byte()); break;
            case 1: h.biHeight += static_cast<std::int8_t>(input_.Byte()); break;
            case 2: h.biBitCount = input_.Pick(kBitCounts); break;
            case 3: h.biCompression = input_.Pick(kCompressions); break;
            case 4: h.biSizeImage = input_.Take<DWORD>(); break;
        }
    }

    // One ICM_DECOMPRESS with a frame of exactly the input's byte count and an
    // output of exactly 4 x W x H bytes of the output header (or of the size
    // its biSizeImage states, when that is smaller).
    void Decompress(Header& in, Header& out) {
        const BITMAPINFOHEADER& outFields = out.Fields();
        std::uint64_t outBytes = PixelCount(outFields) * 4;
        if (outFields.biSizeImage != 0 && outFields.biSizeImage < outBytes) outBytes = outFields.biSizeImage;
        if (PixelCount(in.Fields()) > kLargestFramePixels || outBytes > 4 * kLargestFramePixels) return;
        if (++frames_ > kFramesPerSession) return;
        ExactBuffer frame(CallerFrameBytes(in.Fields()));
        for (std::size_t i = 0; i < frame.Size(); ++i) frame.Data()[i] = input_.Byte();
        ExactBuffer output(static_cast<std::size_t>(outBytes));
        std::memset(output.Data(), input_.Byte(), output.Size());
        const std::vector<std::uint8_t> before = output.Copy();
        ICDECOMPRESS request{};
        request.dwFlags = input_.Byte();
        request.lpbiInput = in.Get();
        request.lpInput = frame.Data();
        request.lpbiOutput = input_.Byte() & 1 ? out.Get() : in.Get();
        request.lpOutput = output.Data();
        const LRESULT result =
            DriverProc(id_, nullptr, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request);
        if (result == ICERR_OK) CompareLevels(in.Fields(), frame, before);
    }

    void Info() {
        ICINFO info{};
        Send(ICM_GETINFO, &info, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(input_.Byte() * 4)));
        DWORD quality = 0;
        Send(ICM_GETDEFAULTQUALITY, &quality, nullptr);
    }

    FuzzInput& input_;
    DWORD_PTR id_ = 0;
    int frames_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    Session session(input);
    session.Run();
    return 0;
}
