// The Windows side of the decoder transform tests: the built BrisalMft.dll
// and Brisal.dll, frames of the virtual Media Foundation camera, and the
// reference image that ICM_DECOMPRESS writes for the same frame.
#pragma once

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <mftransform.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "CodecDll.h"
#include "ComPtr.h"

// COM and Media Foundation for the test's lifetime.
class MediaFoundationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

GUID FourccGuid(DWORD fourcc);
DWORD FourccOf(const char* text);

// A video type of a subtype and size (no size when width is 0).
HRESULT MakeVideoType(const GUID& major, const GUID& subtype, UINT32 width, UINT32 height,
                      IMFMediaType** type);

// A transform created through the DLL's class object, without registration.
class TransformDll {
public:
    TransformDll();
    ~TransformDll();
    HRESULT Create(IMFTransform** transform) const;
    HMODULE Module() const { return module_; }

private:
    HMODULE module_;
};

// Sample `index` of the virtual camera's stream in its own FOURCC, read
// through a source reader, and that sample's time.
HRESULT ReadCameraFrame(DWORD fourcc, UINT32 width, UINT32 height, std::vector<std::uint8_t>* frame,
                        LONGLONG* time);

// A sample holding a copy of `frame`, with a time and duration.
HRESULT MakeInputSample(const std::vector<std::uint8_t>& frame, LONGLONG time, IMFSample** sample);

// The bottom-up image ICM_DECOMPRESS writes for the frame, twice, into
// buffers first filled with two different bytes: a byte that differs between
// them is one the converter leaves as it was (a fourth byte).
struct Reference {
    std::vector<std::uint8_t> image;
    std::vector<std::uint8_t> second;
};
Reference DecompressReference(const CodecDll& codec, DWORD fourcc, WORD bitCount, LONG width,
                              LONG height, const std::vector<std::uint8_t>& frame);

// Each picture row (top = 0) of a top-down image with rows `pitch` apart equals
// that row of the bottom-up reference, in every byte the converter writes.
::testing::AssertionResult SameRows(const std::uint8_t* image, LONG pitch, const Reference& reference,
                                    UINT32 width, UINT32 height);
