#include "MediaTypes.h"

#include <cstring>

#include "FrameFormats.h"

namespace zkvfilter {

using zkvsim::StreamCapability;
using zkvsim::StreamFormat;

GUID SubtypeOfFourcc(std::uint32_t fourcc) {
    if (fourcc == 0) return MEDIASUBTYPE_RGB24;
    GUID g = {0x00000000, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    g.Data1 = fourcc;
    return g;
}

HRESULT FillMediaType(const StreamFormat& format, AM_MEDIA_TYPE* mt) {
    const zkvsim::FrameFormat* frame = zkvsim::FindFrameFormat(format.fourcc);
    if (!frame) return VFW_E_INVALIDMEDIATYPE;
    auto* vih = static_cast<VIDEOINFOHEADER*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    if (!vih) return E_OUTOFMEMORY;
    std::memset(vih, 0, sizeof *vih);
    const std::size_t bytes = zkvsim::FrameBytes(*frame, format.width, format.height);
    if (format.format7) {
        // A Format 7 type is told apart by its source rectangle: the region.
        SetRect(&vih->rcSource, format.left, format.top, format.left + format.width, format.top + format.height);
        vih->rcTarget = vih->rcSource;
    }
    vih->AvgTimePerFrame = format.frameInterval;
    if (format.frameInterval > 0) {
        vih->dwBitRate = static_cast<DWORD>(bytes * 8 * 10000000ull / format.frameInterval);
    }
    BITMAPINFOHEADER& bih = vih->bmiHeader;
    bih.biSize = sizeof(BITMAPINFOHEADER);
    bih.biWidth = static_cast<LONG>(format.width);
    bih.biHeight = static_cast<LONG>(format.height);
    bih.biPlanes = 1;
    bih.biBitCount = frame->bitCount;
    bih.biCompression = format.fourcc;
    bih.biSizeImage = static_cast<DWORD>(bytes);

    std::memset(mt, 0, sizeof *mt);
    mt->majortype = MEDIATYPE_Video;
    mt->subtype = SubtypeOfFourcc(format.fourcc);
    mt->bFixedSizeSamples = TRUE;
    mt->bTemporalCompression = FALSE;
    mt->lSampleSize = static_cast<ULONG>(bytes);
    mt->formattype = FORMAT_VideoInfo;
    mt->cbFormat = sizeof(VIDEOINFOHEADER);
    mt->pbFormat = reinterpret_cast<BYTE*>(vih);
    return S_OK;
}

AM_MEDIA_TYPE* NewMediaType(const StreamFormat& format) {
    auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!mt) return nullptr;
    if (FAILED(FillMediaType(format, mt))) {
        CoTaskMemFree(mt);
        return nullptr;
    }
    return mt;
}

bool StreamFormatFromMediaType(const AM_MEDIA_TYPE* mt, StreamFormat* format) {
    if (!mt || mt->majortype != MEDIATYPE_Video || mt->formattype != FORMAT_VideoInfo || !mt->pbFormat ||
        mt->cbFormat < sizeof(VIDEOINFOHEADER)) {
        return false;
    }
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat);
    const BITMAPINFOHEADER& bih = vih->bmiHeader;
    const zkvsim::FrameFormat* frame = zkvsim::FindFrameFormat(bih.biCompression);
    if (!frame || frame->bitCount != bih.biBitCount) return false;
    if (mt->subtype != GUID_NULL && mt->subtype != SubtypeOfFourcc(bih.biCompression)) return false;
    // Camera frames are delivered top row first with a positive height.
    if (bih.biWidth <= 0 || bih.biHeight <= 0) return false;
    StreamFormat f;
    f.fourcc = bih.biCompression;
    f.width = static_cast<std::uint32_t>(bih.biWidth);
    f.height = static_cast<std::uint32_t>(bih.biHeight);
    f.frameInterval = vih->AvgTimePerFrame > 0 ? vih->AvgTimePerFrame : 0;
    const RECT& r = vih->rcSource;
    if (r.bottom != 0) {
        if (r.left < 0 || r.top < 0 || r.right - r.left != bih.biWidth || r.bottom - r.top != bih.biHeight) {
            return false;
        }
        f.format7 = true;
        f.left = static_cast<std::uint32_t>(r.left);
        f.top = static_cast<std::uint32_t>(r.top);
    }
    f.sceneWidth = f.width;
    f.sceneHeight = f.height;
    *format = f;
    return true;
}

void FillStreamCaps(const StreamCapability& cap, VIDEO_STREAM_CONFIG_CAPS* caps) {
    std::memset(caps, 0, sizeof *caps);
    caps->guid = FORMAT_VideoInfo;
    caps->InputSize = {static_cast<LONG>(cap.format.sceneWidth), static_cast<LONG>(cap.format.sceneHeight)};
    caps->MinOutputSize = {static_cast<LONG>(cap.minWidth), static_cast<LONG>(cap.minHeight)};
    caps->MaxOutputSize = {static_cast<LONG>(cap.maxWidth), static_cast<LONG>(cap.maxHeight)};
    caps->MaxCroppingSize = caps->MaxOutputSize;
    if (cap.format.format7) {
        // The streaming page recognises Format 7 entries by a minimum crop width of 1.
        caps->MinCroppingSize = {1, static_cast<LONG>(cap.granularityY)};
        caps->CropGranularityX = caps->OutputGranularityX = static_cast<int>(cap.granularityX);
        caps->CropGranularityY = caps->OutputGranularityY = static_cast<int>(cap.granularityY);
        caps->CropAlignX = static_cast<int>(cap.granularityX);
        caps->CropAlignY = static_cast<int>(cap.granularityY);
    } else {
        caps->MinCroppingSize = caps->MaxOutputSize;
    }
    caps->MinFrameInterval = zkvsim::FrameIntervalOfRate(zkvsim::kFrameRateCount - 1);
    caps->MaxFrameInterval = zkvsim::FrameIntervalOfRate(0);
    const zkvsim::FrameFormat* frame = zkvsim::FindFrameFormat(cap.format.fourcc);
    const unsigned long long bits = frame ? zkvsim::FrameBytes(*frame, cap.maxWidth, cap.maxHeight) * 8ull : 0;
    caps->MinBitsPerSecond = static_cast<LONG>(bits * 10000000ull / caps->MaxFrameInterval);
    caps->MaxBitsPerSecond = static_cast<LONG>(bits * 10000000ull / caps->MinFrameInterval);
}

}  // namespace zkvfilter
