#include "MediaType.h"

#include <cstring>

void WINAPI InitMediaType(AM_MEDIA_TYPE* pmt) {
    *pmt = AM_MEDIA_TYPE{};
    pmt->bFixedSizeSamples = TRUE;
    pmt->lSampleSize = 1;
}

void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt) {
    // The block is freed whenever there is one, whatever cbFormat claims.
    if (mt.pbFormat != NULL) {
        CoTaskMemFree(mt.pbFormat);
    }
    mt.cbFormat = 0;
    mt.pbFormat = NULL;
    if (mt.pUnk != NULL) {
        mt.pUnk->Release();
        mt.pUnk = NULL;
    }
}

void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt) {
    if (pmt == NULL) {
        return;
    }
    FreeMediaType(*pmt);
    CoTaskMemFree(pmt);
}

HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource) {
    if (pmtTarget == NULL || pmtSource == NULL) {
        return E_POINTER;
    }
    *pmtTarget = *pmtSource;
    if (pmtSource->cbFormat != 0 && pmtSource->pbFormat != NULL) {
        pmtTarget->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(pmtSource->cbFormat));
        if (pmtTarget->pbFormat == NULL) {
            // The source's format object was not counted for the target.
            pmtTarget->cbFormat = 0;
            pmtTarget->pUnk = NULL;
            return E_OUTOFMEMORY;
        }
        std::memcpy(pmtTarget->pbFormat, pmtSource->pbFormat, pmtSource->cbFormat);
    } else {
        // Never share the source's block: both would free it.
        pmtTarget->cbFormat = 0;
        pmtTarget->pbFormat = NULL;
    }
    if (pmtTarget->pUnk != NULL) {
        pmtTarget->pUnk->AddRef();
    }
    return S_OK;
}

AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc) {
    if (pSrc == NULL) {
        return NULL;
    }
    AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (pmt == NULL) {
        return NULL;
    }
    if (FAILED(CopyMediaType(pmt, pSrc))) {
        CoTaskMemFree(pmt);
        return NULL;
    }
    return pmt;
}
