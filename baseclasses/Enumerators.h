// The enumerators that a filter and a pin hand out: the filter's pins and the
// pin's own media types. Each holds a reference on the filter (a pin's
// references are its filter's) and keeps only a position, so a clone is a
// second position over the same source.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "ComBase.h"

class CBaseFilter;
class CBasePin;

class CEnumPins final : public CUnknown, public IEnumPins {
public:
    // A clone starts where pEnumPins stands; null starts at the first pin.
    CEnumPins(CBaseFilter* pFilter, const CEnumPins* pEnumPins);
    ~CEnumPins() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cPins) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** ppEnum) override;

private:
    CBaseFilter* const m_pFilter;
    int m_Position;
};

class CEnumMediaTypes final : public CUnknown, public IEnumMediaTypes {
public:
    CEnumMediaTypes(CBasePin* pPin, const CEnumMediaTypes* pEnumMediaTypes);
    ~CEnumMediaTypes() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Each type is handed out in task memory, for DeleteMediaType. A failure
    // part way hands out nothing and leaves the position where it was.
    STDMETHODIMP Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cMediaTypes) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** ppEnum) override;

private:
    CBasePin* const m_pPin;
    int m_Position;
};
