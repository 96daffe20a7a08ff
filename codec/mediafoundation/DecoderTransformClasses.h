// The class of the Media Foundation decoder transform, and the names it is
// registered under.
#pragma once

#include <windows.h>

// {C3394019-1DAB-4301-B613-A7468D9FC975}
DEFINE_GUID(CLSID_ZKVDecoderTransform, 0xc3394019, 0x1dab, 0x4301, 0xb6, 0x13, 0xa7, 0x46, 0x8d,
            0x9f, 0xc9, 0x75);

#define ZKV_DECODER_TRANSFORM_NAME L"ZKV Brisal Video Decoder Transform"
