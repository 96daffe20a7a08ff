// The frame formats that the Windows benchmarks measure: one FOURCC of each
// converter, with their frame layouts from the shared FOURCC table.
#pragma once

#include "ZKVFrameFormats.h"

namespace bench {

using Format = zkv::FrameFormat;

inline const char* const kFourccs[] = {"Y800", "ZY16", "ZY44", "ZY41", "RGB1", "RGB2", "RGB3"};

inline const Format& FormatOf(const char* fourcc) {
    return *zkv::FindFrameFormat(zkv::MakeFourcc(fourcc[0], fourcc[1], fourcc[2], fourcc[3]));
}

}  // namespace bench
