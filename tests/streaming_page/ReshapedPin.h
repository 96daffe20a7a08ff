// A capture pin seen through a wrapper that offers more capabilities than the
// virtual camera lists: what a driver could offer beyond it. Everything else
// goes to the real pin, so the page still finds its filter and camera.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <functional>
#include <vector>

class ReshapedPin : public IPin, public IAMStreamConfig {
public:
    // Each extra capability is the real capability `base` changed by `edit`,
    // listed after the real ones, or before them when `extrasFirst`.
    struct Extra {
        int base;
        std::function<void(VIDEOINFOHEADER&)> edit;
    };
    ReshapedPin(IPin* pin, IAMStreamConfig* config, std::vector<Extra> extras, bool extrasFirst = false);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }   // lives on the test's stack
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* pmt) override { return m_config->SetFormat(pmt); }
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** ppmt) override { return m_config->GetFormat(ppmt); }
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* caps) override;

    // IPin
    STDMETHODIMP Connect(IPin* p, const AM_MEDIA_TYPE* mt) override { return m_pin->Connect(p, mt); }
    STDMETHODIMP ReceiveConnection(IPin* p, const AM_MEDIA_TYPE* mt) override {
        return m_pin->ReceiveConnection(p, mt);
    }
    STDMETHODIMP Disconnect() override { return m_pin->Disconnect(); }
    STDMETHODIMP ConnectedTo(IPin** p) override { return m_pin->ConnectedTo(p); }
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override { return m_pin->ConnectionMediaType(mt); }
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override { return m_pin->QueryPinInfo(info); }
    STDMETHODIMP QueryDirection(PIN_DIRECTION* d) override { return m_pin->QueryDirection(d); }
    STDMETHODIMP QueryId(LPWSTR* id) override { return m_pin->QueryId(id); }
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override { return m_pin->QueryAccept(mt); }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** e) override { return m_pin->EnumMediaTypes(e); }
    STDMETHODIMP QueryInternalConnections(IPin** p, ULONG* n) override {
        return m_pin->QueryInternalConnections(p, n);
    }
    STDMETHODIMP EndOfStream() override { return m_pin->EndOfStream(); }
    STDMETHODIMP BeginFlush() override { return m_pin->BeginFlush(); }
    STDMETHODIMP EndFlush() override { return m_pin->EndFlush(); }
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override {
        return m_pin->NewSegment(start, stop, rate);
    }

private:
    IPin* m_pin;
    IAMStreamConfig* m_config;
    std::vector<Extra> m_extras;
    bool m_extrasFirst;
};
