#include "mediafoundation/DecoderTransformCore.h"

#include <limits>

#include "convert/simd/SimdConverters.h"
#include "negotiation/FormatTests.h"

namespace {

bool FitsLong(std::uint32_t value) {
    return value <= static_cast<std::uint32_t>(std::numeric_limits<LONG>::max());
}

// The header that the VfW codec would see for this frame, so that the same
// input and output tests decide.
BITMAPINFOHEADER BitmapHeader(DWORD compression, WORD bitCount, std::uint32_t width,
                              std::uint32_t height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(height);
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = compression;
    return header;
}

bool RateAcceptable(const VideoTypeRecord& type) {
    return !type.hasFrameRate || type.rateDenominator != 0;
}

}  // namespace

const FourccFormat* FindFormatByFourcc(std::uint32_t fourcc) {
    for (const FourccFormat& format : kAcceptedFormats) {
        if (format.fourcc == fourcc) return &format;
    }
    return nullptr;
}

const FourccFormat* DecoderTransformCore::InputFormat() const {
    return hasInput_ ? FindFormatByFourcc(input_.subtype) : nullptr;
}

TransformResult DecoderTransformCore::SetInputType(const VideoTypeRecord* type, bool testOnly) {
    if (pending_) return TransformResult::TypeChangeWhileProcessing;
    if (!type) {
        if (!testOnly) hasInput_ = hasOutput_ = false;
        return TransformResult::Ok;
    }
    if (!type->video || !type->fourccSubtype || !type->hasFrameSize) {
        return TransformResult::InvalidType;
    }
    const FourccFormat* format = FindFormatByFourcc(type->subtype);
    if (!format || !FitsLong(type->width) || !FitsLong(type->height) || !RateAcceptable(*type)) {
        return TransformResult::InvalidType;
    }
    const BITMAPINFOHEADER header =
        BitmapHeader(format->fourcc, format->bitCount, type->width, type->height);
    if (InputTest(&header) != format) return TransformResult::InvalidType;
    // The output's default stride, 4 x W, must be a positive 32-bit value even
    // for a frame of no rows, which the codec's tests let through.
    if (std::uint64_t{4} * type->width > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return TransformResult::InvalidType;
    }
    // Camera frames are packed: a stated stride must be the packed row.
    if (type->hasStride &&
        static_cast<std::int64_t>(type->stride) !=
            static_cast<std::int64_t>(FrameByteCount(*format, type->width, 1))) {
        return TransformResult::InvalidType;
    }
    if (testOnly) return TransformResult::Ok;
    input_ = *type;
    hasInput_ = true;
    if (hasOutput_ && (output_.width != type->width || output_.height != type->height)) {
        hasOutput_ = false;
    }
    return TransformResult::Ok;
}

TransformResult DecoderTransformCore::SetOutputType(const VideoTypeRecord* type, bool testOnly) {
    if (pending_) return TransformResult::TypeChangeWhileProcessing;
    if (!type) {
        if (!testOnly) hasOutput_ = false;
        return TransformResult::Ok;
    }
    if (!hasInput_) return TransformResult::TypeNotSet;
    if (!type->video || !type->fourccSubtype || type->subtype != kRgb32Subtype ||
        !type->hasFrameSize || !RateAcceptable(*type)) {
        return TransformResult::InvalidType;
    }
    const FourccFormat* format = InputFormat();
    const BITMAPINFOHEADER in =
        BitmapHeader(format->fourcc, format->bitCount, input_.width, input_.height);
    if (!FitsLong(type->width) || !FitsLong(type->height)) return TransformResult::InvalidType;
    const BITMAPINFOHEADER out = BitmapHeader(BI_RGB, 32, type->width, type->height);
    if (!OutputTest(&in, &out)) return TransformResult::InvalidType;
    // The image is written top-down with packed rows; a bottom-up (negative)
    // or padded default stride describes another image.
    if (type->hasStride && static_cast<std::int64_t>(type->stride) != OutputRowBytes()) {
        return TransformResult::InvalidType;
    }
    if (testOnly) return TransformResult::Ok;
    output_ = *type;
    hasOutput_ = true;
    return TransformResult::Ok;
}

TransformResult DecoderTransformCore::InputTypeAt(std::uint32_t index, VideoTypeRecord* type) const {
    if (index >= kAcceptedFormatCount) return TransformResult::NoMoreTypes;
    *type = VideoTypeRecord{};
    type->video = true;
    type->fourccSubtype = true;
    type->subtype = kAcceptedFormats[index].fourcc;
    return TransformResult::Ok;
}

TransformResult DecoderTransformCore::OutputTypeAt(std::uint32_t index, VideoTypeRecord* type) const {
    if (!hasInput_) return TransformResult::TypeNotSet;
    if (index > 0) return TransformResult::NoMoreTypes;
    *type = VideoTypeRecord{};
    type->video = true;
    type->fourccSubtype = true;
    type->subtype = kRgb32Subtype;
    type->hasFrameSize = true;
    type->width = input_.width;
    type->height = input_.height;
    type->hasFrameRate = input_.hasFrameRate;
    type->rateNumerator = input_.rateNumerator;
    type->rateDenominator = input_.rateDenominator;
    type->hasStride = true;
    type->stride = static_cast<std::int32_t>(OutputRowBytes());
    return TransformResult::Ok;
}

std::uint32_t DecoderTransformCore::InputSampleSize() const {
    const FourccFormat* format = InputFormat();
    // The input test keeps every frame's byte count within 32 bits.
    return format ? static_cast<std::uint32_t>(FrameByteCount(*format, input_.width, input_.height)) : 0;
}

std::uint32_t DecoderTransformCore::OutputSampleSize() const {
    return hasInput_ ? OutputRowBytes() * input_.height : 0;
}

std::uint32_t DecoderTransformCore::OutputRowBytes() const {
    return hasInput_ ? 4 * input_.width : 0;
}

TransformResult DecoderTransformCore::ProcessInput(std::size_t bytes) {
    if (!hasInput_ || !hasOutput_) return TransformResult::TypeNotSet;
    if (pending_ || draining_) return TransformResult::NotAccepting;
    if (bytes < InputSampleSize()) return TransformResult::BufferTooSmall;
    pending_ = true;
    return TransformResult::Ok;
}

TransformResult DecoderTransformCore::OutputReady() {
    if (!hasInput_ || !hasOutput_) return TransformResult::TypeNotSet;
    if (!pending_) {
        draining_ = false;
        return TransformResult::NeedMoreInput;
    }
    return TransformResult::Ok;
}

TransformResult DecoderTransformCore::ConvertFrame(const std::uint8_t* in, std::size_t inBytes,
                                                   std::uint8_t* out, std::size_t outBytes,
                                                   std::int64_t pitch) {
    const TransformResult ready = OutputReady();
    if (ready != TransformResult::Ok) return ready;
    // An input that has shrunk since it was taken cannot be converted: it is dropped.
    if (inBytes < InputSampleSize()) {
        pending_ = false;
        return TransformResult::BufferTooSmall;
    }
    const std::uint32_t width = input_.width;
    const std::uint32_t height = input_.height;
    const std::uint64_t rowBytes = OutputRowBytes();
    if (pitch < static_cast<std::int64_t>(rowBytes)) return TransformResult::BadPitch;
    const std::uint64_t needed =
        height == 0 ? 0 : static_cast<std::uint64_t>(pitch) * (height - 1) + rowBytes;
    if (outBytes < needed) return TransformResult::BufferTooSmall;

    const FourccFormat* format = InputFormat();
    const BITMAPINFOHEADER inHeader = BitmapHeader(format->fourcc, format->bitCount, width, height);
    // The converter writes the rows top-down in place: no pass beyond the conversion.
    const OutputRows rows{out, static_cast<std::ptrdiff_t>(pitch)};
    ActiveRowsConverters()[static_cast<DWORD>(format->kind)](&inHeader, in, rows,
                                                             static_cast<DWORD>(format->tile));
    pending_ = false;
    return TransformResult::Ok;
}

void DecoderTransformCore::Flush() {
    pending_ = false;
    draining_ = false;
}

void DecoderTransformCore::Drain() {
    if (pending_) draining_ = true;
}
