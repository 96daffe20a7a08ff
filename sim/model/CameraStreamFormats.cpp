// The stream formats of the capture pin: the capabilities offered per
// standard mode and Format 7 mode, the current format, and the checks and
// changes of a new one.
#include "CameraModel.h"

namespace zkvsim {

const StandardMode* CameraModel::FindStandardMode(std::uint32_t format, std::uint32_t mode) const {
    std::size_t count = 0;
    const StandardMode* modes = StandardModes(&count);
    for (std::size_t i = 0; i < count; ++i) {
        if (modes[i].format == format && modes[i].mode == mode && (m_kind->codings & CodingBit(modes[i].coding))) {
            return &modes[i];
        }
    }
    return nullptr;
}

// The subtype a Format 7 pixel format is delivered in unless another was
// chosen: the first of the table with that coding, and for raw Bayer data
// the edge-sensing FOURCC of the sensor's own tile.
std::uint32_t CameraModel::DefaultFourccOfPixelFormat(std::uint32_t pixelFormat) const {
    if (pixelFormat == 0) return 0;
    const BayerTile tile = m_kind->tile == BayerTile::None ? BayerTile::RGGB : m_kind->tile;
    std::size_t count = 0;
    const FrameFormat* formats = FrameFormats(&count);
    for (std::size_t i = 0; i < count; ++i) {
        if (formats[i].format7Code != pixelFormat) continue;
        if (pixelFormat != ZKV_PIXEL_RAW8) return formats[i].fourcc;
        const zkv::FrameFormat* row = zkv::FindFrameFormat(formats[i].fourcc);
        if (formats[i].assumedTile == tile && row->kind == zkv::ConverterKind::BayerEdge) return formats[i].fourcc;
    }
    return 0;
}

bool CameraModel::OffersFormat(const FrameFormat& format) const {
    return format.pack != PackKind::Bayer8 || m_kind->tile != BayerTile::None;
}

std::vector<StreamCapability> CameraModel::StreamCapabilities() const {
    std::vector<StreamCapability> caps;
    std::size_t modeCount = 0, formatCount = 0;
    const StandardMode* modes = StandardModes(&modeCount);
    const FrameFormat* formats = FrameFormats(&formatCount);
    for (std::size_t m = 0; m < modeCount; ++m) {
        if (!(m_kind->codings & CodingBit(modes[m].coding))) continue;
        for (std::size_t i = 0; i < formatCount; ++i) {
            if (formats[i].coding != modes[m].coding || !OffersFormat(formats[i])) continue;
            StreamCapability cap{};
            cap.format.fourcc = formats[i].fourcc;
            cap.format.width = cap.format.sceneWidth = modes[m].width;
            cap.format.height = cap.format.sceneHeight = modes[m].height;
            cap.format.frameInterval = FrameIntervalOfRate(m_rate);
            cap.minWidth = cap.maxWidth = modes[m].width;
            cap.minHeight = cap.maxHeight = modes[m].height;
            caps.push_back(cap);
        }
    }
    // Format 7: one entry per subtype, sized by the first mode that carries it.
    for (std::size_t i = 0; i < formatCount; ++i) {
        if (!formats[i].format7Code || !OffersFormat(formats[i])) continue;
        for (std::uint32_t m = 0; m < kFormat7ModeCount; ++m) {
            const Format7State& s = m_format7[m];
            if (!s.caps.available || !(s.caps.supportedPixelFormats & formats[i].format7Code)) continue;
            StreamCapability cap{};
            cap.format.fourcc = formats[i].fourcc;
            cap.format.format7 = true;
            cap.format.width = cap.format.sceneWidth = cap.maxWidth = s.caps.maxWidth;
            cap.format.height = cap.format.sceneHeight = cap.maxHeight = s.caps.maxHeight;
            cap.format.frameInterval = FrameIntervalOfRate(m_rate);
            cap.minWidth = cap.granularityX = s.caps.horizontalUnit;
            cap.minHeight = cap.granularityY = s.caps.verticalUnit;
            caps.push_back(cap);
            break;
        }
    }
    return caps;
}

StreamFormat CameraModel::CurrentStreamFormat() const {
    StreamFormat f;
    f.frameInterval = FrameIntervalOfRate(m_rate);
    if (m_format == kFormat7 && m_mode < kFormat7ModeCount) {
        const Format7State& s = m_format7[m_mode];
        const FrameFormat* chosen = FindFrameFormat(m_format7Fourcc);
        f.fourcc = (chosen && chosen->format7Code == s.pixelFormat) ? m_format7Fourcc
                                                                   : DefaultFourccOfPixelFormat(s.pixelFormat);
        f.format7 = true;
        f.left = s.left;
        f.top = s.top;
        f.width = s.width;
        f.height = s.height;
        f.sceneWidth = s.caps.maxWidth;
        f.sceneHeight = s.caps.maxHeight;
        return f;
    }
    const StandardMode* mode = FindStandardMode(m_format, m_mode);
    if (!mode) return f;
    const FrameFormat* chosen = FindFrameFormat(m_standardFourcc);
    f.fourcc = m_standardFourcc;
    if (!chosen || chosen->coding != mode->coding) {
        std::size_t count = 0;
        const FrameFormat* formats = FrameFormats(&count);
        for (std::size_t i = 0; i < count; ++i) {
            if (formats[i].coding == mode->coding) {
                f.fourcc = formats[i].fourcc;
                break;
            }
        }
    }
    f.width = f.sceneWidth = mode->width;
    f.height = f.sceneHeight = mode->height;
    return f;
}

ModelResult CameraModel::CheckStreamFormat(const StreamFormat& format) const {
    const FrameFormat* frame = FindFrameFormat(format.fourcc);
    if (!frame || !OffersFormat(*frame)) return kInvalidMediaType;
    if (format.format7) {
        const std::uint32_t mode = m_format == kFormat7 ? m_mode : 0;
        if (mode >= kFormat7ModeCount || !frame->format7Code) return kInvalidMediaType;
        return Failed(CheckRegion(m_format7[mode], format.left, format.top, format.width, format.height,
                                  frame->format7Code))
                   ? kInvalidMediaType
                   : kOk;
    }
    std::size_t count = 0;
    const StandardMode* modes = StandardModes(&count);
    for (std::size_t i = 0; i < count; ++i) {
        if (modes[i].coding == frame->coding && modes[i].width == format.width && modes[i].height == format.height &&
            (m_kind->codings & CodingBit(modes[i].coding))) {
            return kOk;
        }
    }
    return kInvalidMediaType;
}

ModelResult CameraModel::SetStreamFormat(const StreamFormat& format) {
    const ModelResult check = CheckStreamFormat(format);
    if (Failed(check)) return check;
    if (m_streaming) {
        // Only the frame rate of the format being streamed may change.
        const StreamFormat current = CurrentStreamFormat();
        if (format.fourcc != current.fourcc || format.width != current.width || format.height != current.height ||
            format.format7 != current.format7 || (format.format7 && (format.left != current.left ||
                                                                     format.top != current.top))) {
            return kBusy;
        }
    }
    const FrameFormat* frame = FindFrameFormat(format.fourcc);
    if (format.format7) {
        const std::uint32_t mode = m_format == kFormat7 ? m_mode : 0;
        Format7State& s = m_format7[mode];
        s.left = format.left;
        s.top = format.top;
        s.width = format.width;
        s.height = format.height;
        s.pixelFormat = frame->format7Code;
        m_format7Fourcc = format.fourcc;
        m_format = kFormat7;
        m_mode = mode;
    } else {
        std::size_t count = 0;
        const StandardMode* modes = StandardModes(&count);
        for (std::size_t i = 0; i < count; ++i) {
            if (modes[i].coding == frame->coding && modes[i].width == format.width &&
                modes[i].height == format.height && (m_kind->codings & CodingBit(modes[i].coding))) {
                m_format = modes[i].format;
                m_mode = modes[i].mode;
                break;
            }
        }
        m_standardFourcc = format.fourcc;
    }
    if (format.frameInterval > 0) m_rate = RateNearestInterval(format.frameInterval);
    return kOk;
}

std::int64_t CameraModel::FrameInterval() const { return FrameIntervalOfRate(m_rate); }

}  // namespace zkvsim
