#include "negotiation/DecompressNegotiation.h"

#include <cstring>

#include "driver/CodecTrace.h"
#include "negotiation/FormatTests.h"

void TraceInputFormat(const BITMAPINFOHEADER* in) {
    CodecTrace("lpbiIn : 0x%x\n", in);
    CodecTrace("lpbiIn->biCompression : 0x%x\n", in->biCompression);
    CodecTrace("lpbiIn->biBitCount :   0x%x\n", in->biBitCount);
    CodecTrace("lpbiIn->biHeight : 0x%x\n", in->biHeight);
    CodecTrace("lpbiIn->biWidth : 0x%x\n", in->biWidth);
}

void TraceOutputFormat(const BITMAPINFOHEADER* out) {
    CodecTrace("lpbiOut :0x%x\n", out);
    CodecTrace("lpbiOut->biCompression :0x%x\n", out->biCompression);
    CodecTrace("lpbiOut->biBitCount :   0x%x\n", out->biBitCount);
    CodecTrace("lpbiOut->biHeight : 0x%x\n", out->biHeight);
    CodecTrace("lpbiOut->biWidth : 0x%x\n", out->biWidth);
}

LRESULT DecompressQuery(CodecInstance* instance, const BITMAPINFOHEADER* in,
                        const BITMAPINFOHEADER* out) {
    CodecTrace("ENTER: ICM_DECOMPRESS_QUERY: pinst 0x%x\n", instance);
    if (!InputTest(in)) {
        CodecTrace("Bad input format\n");
        CodecTrace("EXIT: ICM_DECOMPRESS_QUERY\n");
        return ICERR_BADFORMAT;
    }
    if (!out) {
        CodecTrace("lpbiOut == NULL\n");
        CodecTrace("EXIT: ICM_DECOMPRESS_QUERY\n");
        return ICERR_OK;
    }
    CodecTrace("Good input format\n");
    CodecTrace("lpbiIn->biSize : %d\n", in->biSize);
    CodecTrace("lpbiIn->biCompression : %d\n", in->biCompression);
    CodecTrace("lpbiIn->biBitCount : %d\n", in->biBitCount);
    CodecTrace("lpbiIn->biHeight : %d biWidth : %d\n", in->biHeight, in->biWidth);
    CodecTrace("lpbiOut->biSize : %d\n", out->biSize);
    CodecTrace("lpbiOut->biCompression : %d\n", out->biCompression);
    CodecTrace("lpbiOut->biBitCount : %d\n", out->biBitCount);
    CodecTrace("lpbiOut->biHeight : %d biWidth : %d \n", out->biHeight, out->biWidth);
    const bool accepted = OutputTest(in, out);
    CodecTrace(accepted ? "Good output format\n" : "Bad output format\n");
    CodecTrace("EXIT: ICM_DECOMPRESS_QUERY\n");
    return accepted ? ICERR_OK : ICERR_BADFORMAT;
}

// Proposes the 32-bit image of the input's own width and height, so that
// every input the test accepts can be decoded; the other fields of the input
// header are kept.
LRESULT DecompressGetFormat(CodecInstance* instance, const BITMAPINFOHEADER* in,
                            BITMAPINFOHEADER* out) {
    CodecTrace("ENTER: ICM_DECOMPRESS_GET_FORMAT: pinst 0x%x\n", instance);
    if (!InputTest(in)) {
        CodecTrace("EXIT: ICM_DECOMPRESS_GET_FORMAT\n");
        return ICERR_BADFORMAT;
    }
    if (!out) {
        CodecTrace("get format size query");
        CodecTrace("EXIT: ICM_DECOMPRESS_GET_FORMAT\n");
        return static_cast<LRESULT>(in->biSize);
    }
    std::memmove(out, in, in->biSize);
    out->biWidth = in->biWidth;
    out->biHeight = in->biHeight;
    out->biBitCount = 32;
    out->biCompression = BI_RGB;
    out->biSizeImage = static_cast<DWORD>(OutputByteCount(in));
    TraceInputFormat(in);
    TraceOutputFormat(out);
    CodecTrace("EXIT: ICM_DECOMPRESS_GET_FORMAT\n");
    return ICERR_OK;
}

// Selects the converter and tile of the input's FOURCC. An output header that
// only repeats the input's format is taken here too, because some decompressor
// filters begin that way; ICM_DECOMPRESS checks the real output of every frame.
LRESULT DecompressBegin(CodecInstance* instance, const BITMAPINFOHEADER* in,
                        const BITMAPINFOHEADER* out) {
    CodecTrace("ENTER: ICM_DECOMPRESS_BEGIN: pinst 0x%x\n", instance);
    if (!instance) {
        CodecTrace("EXIT: ICM_DECOMPRESS_BEGIN\n");
        return ICERR_ERROR;
    }
    if (!out) {
        CodecTrace("EXIT: ICM_DECOMPRESS_BEGIN\n");
        return ICERR_BADFORMAT;
    }
    const LRESULT query = DecompressQuery(instance, in, out);
    const FourccFormat* format = InputTest(in);
    if (query != ICERR_OK && !(format && DescribesInputFormat(in, out))) {
        CodecTrace("EXIT: ICM_DECOMPRESS_BEGIN\n");
        return query;
    }
    TraceInputFormat(in);
    TraceOutputFormat(out);
    instance->inputFourcc = format->fourcc;
    instance->converterKind = static_cast<DWORD>(format->kind);
    instance->tileLayout = static_cast<DWORD>(format->tile);
    CodecTrace("EXIT: ICM_DECOMPRESS_BEGIN\n");
    return ICERR_OK;
}

LRESULT DecompressEnd(CodecInstance* instance) {
    CodecTrace("ENTER: ICM_DECOMPRESS_END\n");
    if (instance) instance->inputFourcc = 0;
    CodecTrace("EXIT: ICM_DECOMPRESS_END\n");
    return ICERR_OK;
}

// The output is never palettised.
LRESULT DecompressGetPalette(CodecInstance* instance, const BITMAPINFOHEADER* in,
                             const BITMAPINFOHEADER* out) {
    CodecTrace("ENTER: ICM_DECOMPRESS_GET_PALETTE: pinst 0x%x\n", instance);
    if (in) TraceInputFormat(in);
    if (out) TraceOutputFormat(out);
    CodecTrace("EXIT: ICM_DECOMPRESS_GET_PALETTE\n");
    return ICERR_BADFORMAT;
}
