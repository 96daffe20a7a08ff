// ICM_DECOMPRESS: one whole frame through the converter chosen at BEGIN.
#pragma once

#include "driver/CodecInstance.h"

LRESULT Decompress(CodecInstance* instance, const ICDECOMPRESS* request);
