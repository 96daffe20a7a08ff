// IZKVInterface: the camera register interface that the plug-in's interface
// handler adds to each camera's capture filter. Any COM client reads and
// writes camera registers, Format 7 settings and the driver's frame-buffer
// count through it; each call is one request on the vendor property set.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "ZKVRequests.h"

// One GUID in three roles: the interface id, the vendor property set the
// driver answers, and the CLSID of the interface handler (the proxy creates a
// set's handler under the CLSID equal to the set's GUID).
// {B8322A0B-F2C9-47FF-936B-C51B88FB28A1}
inline constexpr GUID IID_IZKVInterface =
    {0xb8322a0b, 0xf2c9, 0x47ff, {0x93, 0x6b, 0xc5, 0x1b, 0x88, 0xfb, 0x28, 0xa1}};
inline constexpr GUID PROPSETID_ZKV = IID_IZKVInterface;
inline constexpr GUID CLSID_ZKVInterfaceHandler = IID_IZKVInterface;

// Methods in slot order after IUnknown; clients call through this order.
struct IZKVInterface : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetRegister(ULONG address, ULONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRegister(ULONG address, ULONG value) = 0;
    // The caller fills in the mode (offset 44) and reads the answer fields.
    virtual HRESULT STDMETHODCALLTYPE GetFormat7(Format7Request* request) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFormat7(ULONG mode, ULONG left, ULONG top, ULONG width,
                                                 ULONG height, ULONG speed, ULONG pixelFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBufferCount(ULONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBufferCount(ULONG count) = 0;
};

static_assert(sizeof(ULONG) == 4, "IZKVInterface values are 32-bit");
