#include "convert/FrameConverter.h"

const FrameConverter kFrameConverters[kConverterKindCount] = {
    Mono8, Mono16, Yuv444, Yuv411, BayerFast, BayerNearest, BayerEdge,
};
