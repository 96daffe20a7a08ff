// The five format messages of a decompression. The instance is NULL when the
// driver id stands for none; only BEGIN and END use it.
#pragma once

#include "driver/CodecInstance.h"

LRESULT DecompressQuery(CodecInstance* instance, const BITMAPINFOHEADER* in,
                        const BITMAPINFOHEADER* out);
LRESULT DecompressGetFormat(CodecInstance* instance, const BITMAPINFOHEADER* in,
                            BITMAPINFOHEADER* out);
LRESULT DecompressBegin(CodecInstance* instance, const BITMAPINFOHEADER* in,
                        const BITMAPINFOHEADER* out);
LRESULT DecompressEnd(CodecInstance* instance);
LRESULT DecompressGetPalette(CodecInstance* instance, const BITMAPINFOHEADER* in,
                             const BITMAPINFOHEADER* out);

// The format dumps that several handlers trace.
void TraceInputFormat(const BITMAPINFOHEADER* in);
void TraceOutputFormat(const BITMAPINFOHEADER* out);
