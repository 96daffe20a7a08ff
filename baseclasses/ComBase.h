// The COM object base: every object of a module derives from CBaseObject,
// which keeps the module-wide count of live objects that decides whether the
// module may be unloaded, and COM objects derive from CUnknown, which gives
// them a non-delegating IUnknown so that they can be aggregated.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Returns `ret` from the enclosing function when pointer `p` is null.
#define CheckPointer(p, ret) \
    do {                     \
        if ((p) == NULL) {   \
            return (ret);    \
        }                    \
    } while (0)

// Counts itself in the module-wide object count while it exists.
class CBaseObject {
public:
    explicit CBaseObject(LPCTSTR pName);
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
    ~CBaseObject();

    // Objects of the module that exist now (objects, pages, class factories).
    static LONG ObjectsActive();

    LPCTSTR Name() const { return m_pName; }

private:
    LPCTSTR m_pName;  // debug name; not owned
    static volatile LONG m_cObjects;
};

// The IUnknown of an object as itself, never forwarded to an outer object.
// The slots match IUnknown's, so a pointer to it can be handed out as an
// IUnknown (the aggregation rules require the inner object to give its outer
// object exactly this).
struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};
typedef INonDelegatingUnknown* PNDUNKNOWN;

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
public:
    // pUnk is the outer object when aggregated; without one the object is its
    // own owner.
    CUnknown(LPCTSTR pName, LPUNKNOWN pUnk);
    CUnknown(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr);
    virtual ~CUnknown() = default;

    CUnknown(const CUnknown&) = delete;
    CUnknown& operator=(const CUnknown&) = delete;

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    // The IUnknown that the object's other interfaces forward to.
    LPUNKNOWN GetOwner() const { return m_pUnknown; }

protected:
    volatile LONG m_cRef;  // non-delegating reference count

private:
    LPUNKNOWN const m_pUnknown;  // outer object or this; never counted
};

// Hands out `pUnk` through `ppv` with a reference added.
HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv);

// Hands out an object just made with new (std::nothrow) as `Interface`, or
// E_OUTOFMEMORY with a null result when it could not be made.
template <class Interface, class Object>
HRESULT GetNewInterface(Object* pObject, Interface** ppv) {
    if (pObject == NULL) {
        *ppv = NULL;
        return E_OUTOFMEMORY;
    }
    return GetInterface(static_cast<Interface*>(pObject), reinterpret_cast<void**>(ppv));
}

// The IUnknown methods of an object's interfaces: all three go to the owner,
// as aggregation requires.
#define DECLARE_IUNKNOWN                                                          \
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {               \
        return GetOwner()->QueryInterface(riid, ppv);                             \
    }                                                                             \
    STDMETHODIMP_(ULONG) AddRef() override { return GetOwner()->AddRef(); }       \
    STDMETHODIMP_(ULONG) Release() override { return GetOwner()->Release(); }
