// The camera frame FOURCCs that the codec decodes: the rows of the system's
// frame format table that it accepts, with their bit counts, byte layouts and
// the converter and tile each one selects.
#pragma once

#include "ZKVFrameFormats.h"
#include "convert/FrameConverter.h"

using zkv::FrameByteCount;
using zkv::MakeFourcc;

constexpr DWORD kFourccVideoCompressor = MakeFourcc("vidc");
constexpr DWORD kFourccCodecHandler = MakeFourcc("ZKVC");

using FourccFormat = zkv::FrameFormat;

namespace fourcc_table {
constexpr bool Decoded(const FourccFormat& format) { return format.decoded; }
}  // namespace fourcc_table

constexpr std::size_t kAcceptedFormatCount = zkv::CountFrameFormats(fourcc_table::Decoded);
inline constexpr std::array<FourccFormat, kAcceptedFormatCount> kAcceptedFormats =
    zkv::SelectFrameFormats<kAcceptedFormatCount>(fourcc_table::Decoded);

// The table row with this bit count and compression, or NULL.
const FourccFormat* FindAcceptedFormat(WORD bitCount, DWORD compression);
