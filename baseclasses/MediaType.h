// Media type records handed between DirectShow objects: the format block and
// the record itself live in task memory and belong to whoever receives them.
#pragma once

#include <windows.h>
#include <dshow.h>

// Frees what a media type points to (format block, format object) and leaves
// it empty; the record itself stays.
void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a media type that was allocated in task memory, with its contents.
// Null is ignored.
void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt);
// Deep copy into `pmtTarget`; E_OUTOFMEMORY leaves the target without format.
HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource);
// A deep copy in task memory, for a receiver to free with DeleteMediaType;
// null when memory runs out.
AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc);
