#include "convert/Decompress.h"

#include "convert/FrameConverter.h"
#include "convert/simd/SimdConverters.h"
#include "driver/CodecTrace.h"
#include "negotiation/FormatTests.h"

namespace {

void TraceRequest(const ICDECOMPRESS* request) {
    if (const BITMAPINFOHEADER* in = request->lpbiInput) {
        CodecTrace("icinfo->lpbiInput : 0x%x\n", in);
        CodecTrace("icinfo->lpbiInput->biCompression : 0x%x\n", in->biCompression);
        CodecTrace("icinfo->lpbiInput->biBitCount :   0x%x\n", in->biBitCount);
        CodecTrace("icinfo->lpbiInput->biHeight : 0x%x\n", in->biHeight);
        CodecTrace("icinfo->lpbiInput->biWidth : 0x%x\n", in->biWidth);
    }
    if (const BITMAPINFOHEADER* out = request->lpbiOutput) {
        CodecTrace("icinfo->lpbiOutput :0x%x\n", out);
        CodecTrace("icinfo->lpbiOutput->biCompression :0x%x\n", out->biCompression);
        CodecTrace("icinfo->lpbiOutput->biBitCount :   0x%x\n", out->biBitCount);
        CodecTrace("icinfo->lpbiOutput->biHeight : 0x%x\n", out->biHeight);
        CodecTrace("icinfo->lpbiOutput->biWidth : 0x%x\n", out->biWidth);
    }
}

// A frame is converted only within a decompression begun on this instance,
// from a buffer whose header is of the FOURCC begun with and passes the input
// test, into a buffer whose header is the 32-bit image of the same size.
LRESULT CheckRequest(const CodecInstance* instance, const ICDECOMPRESS* request) {
    if (!instance || !request || instance->inputFourcc == 0) return ICERR_ERROR;
    if (!request->lpInput || !request->lpOutput) return ICERR_ERROR;
    const BITMAPINFOHEADER* in = request->lpbiInput;
    const BITMAPINFOHEADER* out = request->lpbiOutput;
    if (!in || !out) return ICERR_BADFORMAT;
    const FourccFormat* format = InputTest(in);
    if (!format || format->fourcc != instance->inputFourcc) return ICERR_BADFORMAT;
    if (!OutputTest(in, out)) return ICERR_BADFORMAT;
    if (instance->converterKind >= kConverterKindCount) return ICERR_ERROR;
    return ICERR_OK;
}

}  // namespace

LRESULT Decompress(CodecInstance* instance, const ICDECOMPRESS* request) {
    CodecTrace("ENTER: ICM_DECOMPRESS: pinst 0x%x\n", instance);
    if (request) TraceRequest(request);
    const LRESULT checked = CheckRequest(instance, request);
    if (checked != ICERR_OK) {
        CodecTrace("EXIT: ICM_DECOMPRESS\n");
        return checked;
    }
    ActiveConverters()[instance->converterKind](request->lpbiInput, request->lpInput,
                                                request->lpbiOutput, request->lpOutput,
                                                instance->tileLayout);
    CodecTrace("EXIT: ICM_DECOMPRESS\n");
    return ICERR_OK;
}
