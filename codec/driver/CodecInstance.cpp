#include "CodecInstance.h"

#include "CodecTrace.h"
#include "negotiation/FourccTable.h"

LRESULT OpenCodecInstance(ICOPEN* open) {
    CodecTrace("Enter: DRV_OPEN, icinfo = 0x%x\n", open);
    if (open->fccType != kFourccVideoCompressor) return 0;
    void* block = CodecLocalAlloc(sizeof(CodecInstance));
    if (!block) {
        open->dwError = ICERR_MEMORY;
        return 0;
    }
    open->dwError = ICERR_OK;
    CodecTrace("Exit: DRV_OPEN\n");
    return reinterpret_cast<LRESULT>(block);
}

void CloseCodecInstance(DWORD_PTR driverId) {
    CodecLocalFree(CodecInstanceFromDriverId(driverId));
}

CodecInstance* CodecInstanceFromDriverId(DWORD_PTR driverId) {
    if (driverId == 0 || driverId == kNoInstanceDriverId) return nullptr;
    return reinterpret_cast<CodecInstance*>(driverId);
}
