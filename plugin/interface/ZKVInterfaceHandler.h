// The proxy's interface handler: an object aggregated into each camera's
// capture filter that offers IZKVInterface and turns every call into one
// request on the vendor property set, through the filter's IKsPropertySet.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "BaseClasses.h"
#include "ZKVInterface.h"

class CZKVInterface : public CUnknown, public IZKVInterface {
public:
    // Creation function of the class table.
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ~CZKVInterface() override = default;

    DECLARE_IUNKNOWN

    HRESULT STDMETHODCALLTYPE GetRegister(ULONG address, ULONG* value) override;
    HRESULT STDMETHODCALLTYPE SetRegister(ULONG address, ULONG value) override;
    HRESULT STDMETHODCALLTYPE GetFormat7(Format7Request* request) override;
    HRESULT STDMETHODCALLTYPE SetFormat7(ULONG mode, ULONG left, ULONG top, ULONG width,
                                         ULONG height, ULONG speed, ULONG pixelFormat) override;
    HRESULT STDMETHODCALLTYPE GetBufferCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE SetBufferCount(ULONG count) override;

private:
    CZKVInterface(LPUNKNOWN pUnk, HRESULT* phr);

    // One request on the vendor set, with the record as both instance and
    // property data.
    HRESULT GetProperty(ULONG id, void* record, DWORD size);
    HRESULT SetProperty(ULONG id, void* record, DWORD size);

    // The outer object's property set, held without a reference: an
    // aggregated object never outlives its outer object.
    IKsPropertySet* m_pKsPropertySet;
};
