// Hostile callers of the decoder transform's core: the fuzzer's bytes become
// a sequence of type negotiations (arbitrary subtypes, sizes, strides, rates),
// inputs of any length, outputs of any length and pitch, drains and flushes.
// Every buffer is exactly as long as the call says, so the sanitizers see any
// access beyond it, and every call must keep the core's own promises.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "mediafoundation/DecoderTransformCore.h"
#include "FuzzInput.h"

namespace {

constexpr std::uint64_t kLargestFramePixels = 1u << 16;


const std::uint32_t kSubtypes[] = {
    MakeFourcc('Z', 'K', 'V', 'Y'), MakeFourcc('Y', '8', '0', '0'), MakeFourcc('Z', 'Y', '1', '6'),
    MakeFourcc('Z', 'Y', '4', '4'), MakeFourcc('Z', 'Y', '4', '1'), MakeFourcc('R', 'G', 'B', '1'),
    MakeFourcc('R', 'G', 'B', '3'), MakeFourcc('G', 'R', 'B', '2'), MakeFourcc('B', 'G', 'R', '3'),
    MakeFourcc('U', 'Y', 'V', 'Y'), kRgb32Subtype, 0};
const std::uint32_t kSizes[] = {0, 1, 2, 3, 4, 5, 7, 8, 16, 33, 64, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};

VideoTypeRecord TakeType(FuzzInput& input) {
    VideoTypeRecord type;
    const std::uint8_t flags = input.Byte();
    type.video = (flags & 1) == 0;
    type.fourccSubtype = (flags & 2) == 0;
    type.hasFrameSize = (flags & 4) == 0;
    type.hasFrameRate = (flags & 8) != 0;
    type.hasStride = (flags & 16) != 0;
    type.subtype = input.Pick(kSubtypes);
    type.width = input.Pick(kSizes);
    type.height = input.Pick(kSizes);
    type.rateNumerator = input.Byte();
    type.rateDenominator = input.Byte();
    type.stride = input.Take<std::int16_t>();
    return type;
}

void Fail(int line) {
    std::fprintf(stderr, "broken promise at line %d\n", line);
    std::abort();
}
#define Check(condition) ((condition) ? void() : Fail(__LINE__))

// Converts the waiting frame from and into buffers of the fuzzer's lengths.
void Convert(DecoderTransformCore& core, FuzzInput& input) {
    const VideoTypeRecord* type = core.InputType();
    if (!type || type->width > kLargestFramePixels || type->height > kLargestFramePixels ||
        std::uint64_t{type->width} * type->height > kLargestFramePixels) {
        return;
    }
    // One byte short of what the call needs, or exactly that much.
    const std::size_t inSize = core.InputSampleSize();
    const std::size_t inBytes = inSize - (inSize > 0 ? input.Byte() % 2 : 0);
    const std::int64_t pitch = static_cast<std::int64_t>(core.OutputRowBytes()) + input.Byte() % 8 - 2;
    const std::size_t outSize = core.OutputSampleSize() + (pitch > 0 ? pitch : 0) * 2;
    const std::size_t outBytes = outSize - std::min<std::size_t>(outSize, input.Byte() % 4);
    std::vector<std::uint8_t> in(inBytes ? inBytes : 1, 0x5A);
    std::vector<std::uint8_t> out(outBytes ? outBytes : 1);
    const bool waiting = core.HasPendingInput();
    const TransformResult result = core.ConvertFrame(in.data(), inBytes, out.data(), outBytes, pitch);
    Check(result != TransformResult::Ok || waiting);
    Check(result == TransformResult::Ok || result == TransformResult::TypeNotSet ||
          result == TransformResult::NeedMoreInput || result == TransformResult::BufferTooSmall ||
          result == TransformResult::BadPitch);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    DecoderTransformCore core;
    for (int step = 0; step < 32 && !input.Empty(); ++step) {
        switch (input.Byte() % 8) {
        case 0: {
            const VideoTypeRecord type = TakeType(input);
            core.SetInputType(&type, input.Byte() & 1);
            break;
        }
        case 1: {
            const VideoTypeRecord type = TakeType(input);
            core.SetOutputType(&type, input.Byte() & 1);
            break;
        }
        case 2: {
            VideoTypeRecord offered;
            if (core.OutputTypeAt(input.Byte() % 2, &offered) == TransformResult::Ok) {
                Check(core.SetOutputType(&offered, false) == TransformResult::Ok ||
                      core.HasPendingInput());
            }
            break;
        }
        case 3:
            if (core.ProcessInput(input.Take<std::uint32_t>()) == TransformResult::Ok) {
                Check(core.HasPendingInput());
            }
            break;
        case 4: Convert(core, input); break;
        case 5: core.Drain(); break;
        case 6:
            core.Flush();
            Check(!core.HasPendingInput());
            break;
        default:
            // Clearing the types waits, like any change, until the frame is out.
            core.SetInputType(nullptr, false);
            Check(core.HasPendingInput() || !core.OutputType());
            break;
        }
        if (const VideoTypeRecord* type = core.InputType()) {
            Check(core.OutputSampleSize() == 4ull * type->width * type->height);
        }
    }
    return 0;
}
