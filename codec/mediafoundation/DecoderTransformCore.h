// The decisions of the Media Foundation decoder transform, over plain records:
// which media types it takes and offers, the sizes and stride of its samples,
// the input / output / drain states, and the conversion of one frame into an
// output buffer. The COM shell (DecoderTransform.cpp) only translates media
// types and samples to and from these records. The input rules are those of
// the VfW codec (negotiation/FormatTests.h), the pixels those of its
// converters (convert/simd/SimdConverters.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "negotiation/FourccTable.h"

// A video media type as the transform reads it.
struct VideoTypeRecord {
    bool video = false;          // the major type is video
    bool fourccSubtype = false;  // the subtype is in the FOURCC GUID form
    std::uint32_t subtype = 0;   // that FOURCC (the GUID's first field)
    bool hasFrameSize = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasFrameRate = false;
    std::uint32_t rateNumerator = 0;
    std::uint32_t rateDenominator = 0;
    bool hasStride = false;
    std::int32_t stride = 0;  // bytes from one row to the next below it
};

// The subtype FOURCC of the output: 32-bit RGB with an unused fourth byte.
constexpr std::uint32_t kRgb32Subtype = 22;

enum class TransformResult {
    Ok,
    InvalidType,     // a type the transform does not take
    TypeNotSet,      // the types this step needs are not set
    NoMoreTypes,     // an index past the offered types
    NotAccepting,    // a frame is still waiting to be converted
    NeedMoreInput,   // no frame is waiting
    BufferTooSmall,  // a buffer shorter than its frame
    BadPitch,        // an output row pitch the frame does not fit
    TypeChangeWhileProcessing,
};

class DecoderTransformCore {
public:
    // Sets (or with testOnly, tests) the input type; null clears it. An output
    // type of another size is cleared with it.
    TransformResult SetInputType(const VideoTypeRecord* type, bool testOnly);
    TransformResult SetOutputType(const VideoTypeRecord* type, bool testOnly);
    const VideoTypeRecord* InputType() const { return hasInput_ ? &input_ : nullptr; }
    const VideoTypeRecord* OutputType() const { return hasOutput_ ? &output_ : nullptr; }

    // The offered types: every FOURCC of the codec as input (no size), and once
    // the input is set, the 32-bit RGB image of its size.
    TransformResult InputTypeAt(std::uint32_t index, VideoTypeRecord* type) const;
    TransformResult OutputTypeAt(std::uint32_t index, VideoTypeRecord* type) const;

    // Bytes of one input frame and of one output image; 0 while unset.
    std::uint32_t InputSampleSize() const;
    std::uint32_t OutputSampleSize() const;
    // Bytes of one output row (the positive default stride of a top-down image).
    std::uint32_t OutputRowBytes() const;

    // A frame of `bytes` bytes arrives; on Ok it waits for ProcessOutput.
    TransformResult ProcessInput(std::size_t bytes);
    // Whether ProcessOutput has a frame to convert now; NeedMoreInput ends a drain.
    TransformResult OutputReady();
    // Converts the waiting frame into a top-down image whose rows lie `pitch`
    // bytes apart in `out`; on Ok the frame is consumed. Only the pixels are
    // written: the bytes between the rows stay as they were.
    TransformResult ConvertFrame(const std::uint8_t* in, std::size_t inBytes, std::uint8_t* out,
                                 std::size_t outBytes, std::int64_t pitch);

    bool HasPendingInput() const { return pending_; }
    void Flush();
    void Drain();
    bool Draining() const { return draining_; }

private:
    const FourccFormat* InputFormat() const;

    VideoTypeRecord input_{};
    VideoTypeRecord output_{};
    bool hasInput_ = false;
    bool hasOutput_ = false;
    bool pending_ = false;
    bool draining_ = false;
};

// The table row of a subtype FOURCC, or null.
const FourccFormat* FindFormatByFourcc(std::uint32_t fourcc);
