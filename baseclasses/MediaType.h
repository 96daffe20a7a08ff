// Media type records handed between DirectShow objects: the format block and
// the record itself live in task memory and belong to whoever receives them.
#pragma once

#include <windows.h>
#include <dshow.h>

// An empty media type: everything zero, fixed-size samples of size 1.
void WINAPI InitMediaType(AM_MEDIA_TYPE* pmt);
// Frees what a media type points to (format block, format object) and leaves
// it empty; the record itself stays. A block is freed whatever cbFormat says.
void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a media type that was allocated in task memory, with its contents.
// Null is ignored.
void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt);
// Deep copy into `pmtTarget`, which must hold nothing that needs freeing. A
// source whose block or size is missing gives a copy without format. On
// E_OUTOFMEMORY the target has no format and no format object, so freeing it
// is always safe.
HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource);
// A deep copy in task memory, for a receiver to free with DeleteMediaType;
// null when memory runs out.
AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc);
