// The answers that need no image work: the driver's information, its About
// box, its (absent) configuration dialog and its default quality.
#pragma once

#include "CodecInstance.h"

LRESULT GetCodecInfo(CodecInstance* instance, ICINFO* info, LPARAM size);
LRESULT ConfigureCodec(LPARAM owner);
LRESULT AboutCodec(LPARAM owner);
LRESULT GetDefaultQuality(DWORD* quality);
