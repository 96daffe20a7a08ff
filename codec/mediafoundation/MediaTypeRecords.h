// Media Foundation media types to and from the transform's plain records.
#pragma once

#include <mfapi.h>
#include <mfidl.h>

#include "mediafoundation/DecoderTransformCore.h"

// The video subtype GUID of a FOURCC: {XXXXXXXX-0000-0010-8000-00AA00389B71}.
GUID FourccSubtype(std::uint32_t fourcc);

// Reads the attributes the transform decides by; a missing attribute is
// recorded as absent, never as a failure.
void ReadVideoType(IMFMediaType* type, VideoTypeRecord* record);

// A new media type of the record; with a frame size it also states the image's
// sample size, fixed-size independent samples and progressive frames.
HRESULT CreateVideoType(const VideoTypeRecord& record, std::uint32_t sampleSize,
                        IMFMediaType** type);
