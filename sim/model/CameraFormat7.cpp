// Format 7: the answer to a mode query, the region and pixel-format checks,
// and programming a mode.
#include "CameraModel.h"

namespace zkvsim {
namespace {

bool IsSinglePixelFormat(std::uint32_t code) {
    switch (code) {
        case ZKV_PIXEL_MONO8: case ZKV_PIXEL_YUV411: case ZKV_PIXEL_YUV422:
        case ZKV_PIXEL_YUV444: case ZKV_PIXEL_MONO16: case ZKV_PIXEL_RAW8:
            return true;
        default:
            return false;
    }
}

}  // namespace

ModelResult CameraModel::GetFormat7(Format7Request* request) const {
    const std::uint32_t mode = request->mode;
    request->modeAvailable = 0;
    if (mode >= kFormat7ModeCount || !m_format7[mode].caps.available) {
        // Every answer field says "nothing here", so none is mistaken for one.
        request->left = request->top = request->width = request->height = 0;
        request->speed = request->pixelFormat = 0;
        request->horizontalUnit = request->verticalUnit = 0;
        request->maxWidth = request->maxHeight = request->supportedPixelFormats = 0;
        return kOk;
    }
    const Format7State& s = m_format7[mode];
    request->left = s.left;
    request->top = s.top;
    request->width = s.width;
    request->height = s.height;
    request->speed = s.speed;
    request->pixelFormat = s.pixelFormat;
    request->modeAvailable = 1;
    request->horizontalUnit = s.caps.horizontalUnit;
    request->verticalUnit = s.caps.verticalUnit;
    request->maxWidth = s.caps.maxWidth;
    request->maxHeight = s.caps.maxHeight;
    request->supportedPixelFormats = s.caps.supportedPixelFormats;
    return kOk;
}

ModelResult CameraModel::CheckRegion(const Format7State& mode, std::uint32_t left, std::uint32_t top,
                                     std::uint32_t width, std::uint32_t height,
                                     std::uint32_t pixelFormat) const {
    const Format7ModeSpec& caps = mode.caps;
    if (!caps.available) return kInvalidArg;
    if (!IsSinglePixelFormat(pixelFormat) || (caps.supportedPixelFormats & pixelFormat) != pixelFormat) {
        return kInvalidArg;
    }
    if (width == 0 || height == 0) return kInvalidArg;
    if (left % caps.horizontalUnit || width % caps.horizontalUnit) return kInvalidArg;
    if (top % caps.verticalUnit || height % caps.verticalUnit) return kInvalidArg;
    // Compared without overflow: left + width may not wrap past 32 bits.
    if (width > caps.maxWidth || left > caps.maxWidth - width) return kInvalidArg;
    if (height > caps.maxHeight || top > caps.maxHeight - height) return kInvalidArg;
    const FrameFormat* format = FindFrameFormat(DefaultFourccOfPixelFormat(pixelFormat));
    if (!format || FrameBytes(*format, width, height) == 0) return kInvalidArg;
    return kOk;
}

ModelResult CameraModel::SetFormat7(const Format7Request& r) {
    if (r.mode >= kFormat7ModeCount) return kInvalidArg;
    if (m_streaming) return kBusy;
    Format7State& s = m_format7[r.mode];
    const ModelResult check = CheckRegion(s, r.left, r.top, r.width, r.height, r.pixelFormat);
    if (Failed(check)) return check;
    if (r.speed == 0 || r.speed > 100) return kInvalidArg;
    s.left = r.left;
    s.top = r.top;
    s.width = r.width;
    s.height = r.height;
    s.pixelFormat = r.pixelFormat;
    s.speed = r.speed;
    const FrameFormat* current = FindFrameFormat(m_format7Fourcc);
    if (!current || current->format7Code != r.pixelFormat) m_format7Fourcc = DefaultFourccOfPixelFormat(r.pixelFormat);
    m_format = kFormat7;
    m_mode = r.mode;
    return kOk;
}

ModelResult CameraModel::SetFormat7ModeAvailable(std::uint32_t mode, bool available) {
    if (mode >= kFormat7ModeCount) return kInvalidArg;
    Format7State& s = m_format7[mode];
    if (available && s.caps.maxWidth == 0) {
        // A mode the kind does not have: offer the full sensor in 8-bit mono.
        s.caps = {true, 1024, 768, 4, 2, ZKV_PIXEL_MONO8, ZKV_PIXEL_MONO8};
        s = {s.caps, 0, 0, 1024, 768, ZKV_PIXEL_MONO8, 100};
    }
    s.caps.available = available;
    std::uint32_t& inq = m_registers[zkv::CameraRegister::V_MODE_INQ_7].value;
    inq = available ? (inq | 0x80000000u >> mode) : (inq & ~(0x80000000u >> mode));
    return kOk;
}

}  // namespace zkvsim
