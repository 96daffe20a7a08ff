#include "ReshapedPin.h"

ReshapedPin::ReshapedPin(IPin* pin, IAMStreamConfig* config, std::vector<Extra> extras, bool extrasFirst)
    : m_pin(pin), m_config(config), m_extras(std::move(extras)), m_extrasFirst(extrasFirst) {}

STDMETHODIMP ReshapedPin::QueryInterface(REFIID riid, void** ppv) {
    if (riid == IID_IUnknown || riid == IID_IPin) {
        *ppv = static_cast<IPin*>(this);
    } else if (riid == IID_IAMStreamConfig) {
        *ppv = static_cast<IAMStreamConfig*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    return S_OK;
}

STDMETHODIMP ReshapedPin::GetNumberOfCapabilities(int* count, int* size) {
    HRESULT hr = m_config->GetNumberOfCapabilities(count, size);
    if (SUCCEEDED(hr)) *count += static_cast<int>(m_extras.size());
    return hr;
}

STDMETHODIMP ReshapedPin::GetStreamCaps(int index, AM_MEDIA_TYPE** ppmt, BYTE* caps) {
    int count = 0, size = 0;
    m_config->GetNumberOfCapabilities(&count, &size);
    const int extras = static_cast<int>(m_extras.size());
    const int real = m_extrasFirst ? index - extras : index;
    if (real >= 0 && real < count) return m_config->GetStreamCaps(real, ppmt, caps);
    const size_t extra = static_cast<size_t>(m_extrasFirst ? index : index - count);
    if (index < 0 || extra >= m_extras.size()) return S_FALSE;
    HRESULT hr = m_config->GetStreamCaps(m_extras[extra].base, ppmt, caps);
    if (hr == S_OK) m_extras[extra].edit(*reinterpret_cast<VIDEOINFOHEADER*>((*ppmt)->pbFormat));
    return hr;
}
