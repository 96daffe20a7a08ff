// The rules by which the codec accepts an input format, an output format and
// a pair of buffers. Whatever a header says, a frame that passes them can be
// converted without reading or writing outside the buffers it describes.
#pragma once

#include "negotiation/FourccTable.h"

// The input test: the table row of an acceptable input, or NULL. Besides the
// bit count and FOURCC of the table it requires a whole bitmap information
// header, a top-down frame size (no negative width or height), enough rows and
// columns for the converter, an output size that a 32-bit biSizeImage can
// state, and a biSizeImage of 0 or at least the frame's byte count.
const FourccFormat* InputTest(const BITMAPINFOHEADER* in);

// The output test: an uncompressed 32-bit image of exactly the input's width
// and height (so a top-down output of a bottom-up input is refused), whose
// biSizeImage, when given, holds 4 x W x H bytes.
bool OutputTest(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);

// Whether an output header merely repeats the input's format (compression,
// bit count and size), as some decompressor filters pass it at BEGIN.
bool DescribesInputFormat(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out);

// Bytes of the 32-bit output image of an input.
std::uint64_t OutputByteCount(const BITMAPINFOHEADER* in);
