// Translation between the camera model's stream formats and DirectShow media
// types and stream capabilities. The media types are freed with the base
// layer's FreeMediaType and DeleteMediaType.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "CameraModel.h"

namespace zkvfilter {

GUID SubtypeOfFourcc(std::uint32_t fourcc);

// Fills mt (format block from CoTaskMemAlloc); the caller frees it.
HRESULT FillMediaType(const zkvsim::StreamFormat& format, AM_MEDIA_TYPE* mt);
// A whole media type from CoTaskMemAlloc, as IAMStreamConfig hands them out.
AM_MEDIA_TYPE* NewMediaType(const zkvsim::StreamFormat& format);
// False when the media type is no video format the camera could describe.
bool StreamFormatFromMediaType(const AM_MEDIA_TYPE* mt, zkvsim::StreamFormat* format);
void FillStreamCaps(const zkvsim::StreamCapability& cap, VIDEO_STREAM_CONFIG_CAPS* caps);

}  // namespace zkvfilter
