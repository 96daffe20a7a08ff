// The codec's trace routine: called at every handler's entry and exit and to
// dump the formats it is given. It discards everything, so the texts cost a
// call and nothing more; they name the codec's steps where a reader needs them.
#pragma once

void CodecTrace(const char* format, ...);
