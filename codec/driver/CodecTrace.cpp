#include "CodecTrace.h"

void CodecTrace(const char*, ...) {}
