#include "Enumerators.h"

#include <new>

#include "MediaTypes.h"
#include "VirtualCameraClasses.h"

namespace zkvfilter {
namespace {

// A one-item enumerator; Item supplies the copy handed out.
template <class Interface, class Element, class Item>
class SingleEnumerator : public Interface {
public:
    // Counted as objects of the module, which must stay loaded while they live.
    explicit SingleEnumerator(Item item) : m_item(item) { ModuleObjectCreated(); }
    virtual ~SingleEnumerator() { ModuleObjectDestroyed(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_ref); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG ref = InterlockedDecrement(&m_ref);
        if (ref == 0) delete this;
        return ref;
    }
    STDMETHODIMP Next(ULONG count, Element* items, ULONG* fetched) override {
        if (!items || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        if (count > 0 && m_position == 0) {
            HRESULT hr = m_item.Hand(&items[0]);
            if (FAILED(hr)) return hr;
            n = 1;
            m_position = 1;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const ULONG left = 1 - m_position;
        m_position = count >= left ? 1 : m_position + count;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface** clone) override {
        if (!clone) return E_POINTER;
        auto* copy = new (std::nothrow) SingleEnumerator(m_item);
        if (!copy) return E_OUTOFMEMORY;
        copy->m_position = m_position;
        copy->AddRef();
        *clone = copy;
        return S_OK;
    }

private:
    LONG m_ref = 0;
    ULONG m_position = 0;
    Item m_item;
};

struct PinItem {
    IPin* pin;  // the filter owns the pin for the enumerator's lifetime via the reference below
    explicit PinItem(IPin* p) : pin(p) { pin->AddRef(); }
    PinItem(const PinItem& other) : pin(other.pin) { pin->AddRef(); }
    PinItem& operator=(const PinItem&) = delete;
    ~PinItem() { pin->Release(); }
    HRESULT Hand(IPin** out) {
        pin->AddRef();
        *out = pin;
        return S_OK;
    }
};

struct MediaTypeItem {
    AM_MEDIA_TYPE mt;
    explicit MediaTypeItem(const AM_MEDIA_TYPE& source) { CopyMediaTypeContents(&mt, source); }
    MediaTypeItem(const MediaTypeItem& other) { CopyMediaTypeContents(&mt, other.mt); }
    MediaTypeItem& operator=(const MediaTypeItem&) = delete;
    ~MediaTypeItem() { FreeMediaTypeContents(mt); }
    HRESULT Hand(AM_MEDIA_TYPE** out) {
        auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        if (!copy) return E_OUTOFMEMORY;
        if (FAILED(CopyMediaTypeContents(copy, mt))) {
            CoTaskMemFree(copy);
            return E_OUTOFMEMORY;
        }
        *out = copy;
        return S_OK;
    }
};

}  // namespace

HRESULT CreatePinEnumerator(IPin* pin, IEnumPins** enumerator) {
    if (!enumerator) return E_POINTER;
    auto* e = new (std::nothrow) SingleEnumerator<IEnumPins, IPin*, PinItem>(PinItem(pin));
    if (!e) return E_OUTOFMEMORY;
    e->AddRef();
    *enumerator = e;
    return S_OK;
}

HRESULT CreateMediaTypeEnumerator(const AM_MEDIA_TYPE& mt, IEnumMediaTypes** enumerator) {
    if (!enumerator) return E_POINTER;
    auto* e = new (std::nothrow) SingleEnumerator<IEnumMediaTypes, AM_MEDIA_TYPE*, MediaTypeItem>(MediaTypeItem(mt));
    if (!e) return E_OUTOFMEMORY;
    e->AddRef();
    *enumerator = e;
    return S_OK;
}

}  // namespace zkvfilter
