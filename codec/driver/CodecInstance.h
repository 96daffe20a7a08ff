// One CodecInstance per successful DRV_OPEN: the selection made by the last
// successful ICM_DECOMPRESS_BEGIN. Its address is the driver id.
#pragma once

#include "CodecPlatform.h"

struct CodecInstance {
    DWORD inputFourcc;    // accepted at BEGIN; 0 after open and after END
    DWORD tileLayout;     // BayerTile; 0 for formats that are not Bayer
    DWORD converterKind;  // ConverterKind, 0 to 6
};
static_assert(sizeof(CodecInstance) == 12, "three 32-bit fields");

// The driver id that stands for no instance: DRV_OPEN without open parameters.
constexpr DWORD_PTR kNoInstanceDriverId = 0xFFFF0000;

// DRV_OPEN with an ICOPEN: the new instance's driver id, or 0 on refusal.
LRESULT OpenCodecInstance(ICOPEN* open);

// DRV_CLOSE: frees the instance unless the id stands for none.
void CloseCodecInstance(DWORD_PTR driverId);

// The instance behind a driver id, or NULL for the ids that stand for none.
CodecInstance* CodecInstanceFromDriverId(DWORD_PTR driverId);
