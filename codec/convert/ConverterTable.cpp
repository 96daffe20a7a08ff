#include "convert/FrameConverter.h"

const RowsConverter kRowsConverters[kConverterKindCount] = {
    Mono8, Mono16, Yuv444, Yuv411, BayerFast, BayerNearest, BayerEdge,
};

const FrameConverter kFrameConverters[kConverterKindCount] = {
    BottomUp<Mono8>,     BottomUp<Mono16>,       BottomUp<Yuv444>,    BottomUp<Yuv411>,
    BottomUp<BayerFast>, BottomUp<BayerNearest>, BottomUp<BayerEdge>,
};
