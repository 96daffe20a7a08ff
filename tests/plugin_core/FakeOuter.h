// A stand-in for the capture filter that aggregates the interface handler:
// it answers IKsPropertySet itself, records every request byte for byte,
// answers with scripted results, and hands IZKVInterface queries to the
// handler it holds, as the proxy does.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <vector>

struct RecordedRequest {
    bool isGet = false;
    GUID set = {};
    DWORD id = 0;
    void* instance = nullptr;
    DWORD cbInstance = 0;
    void* data = nullptr;
    DWORD cbData = 0;
    bool hasReturnedCount = false;
    DWORD returnedCountOnEntry = 0;
    std::vector<BYTE> bytes;  // the property data as it arrived
};

class FakeOuter : public IKsPropertySet {
public:
    explicit FakeOuter(bool offerPropertySet = true) : m_offerPropertySet(offerPropertySet) {}
    virtual ~FakeOuter() = default;

    // What the next requests answer: the result, and for Get the 32-bit
    // value written at `answerOffset` of the property data (none when the
    // offset is negative).
    HRESULT result = S_OK;
    int answerOffset = -1;
    DWORD answerValue = 0;

    // The handler's non-delegating IUnknown, owned by this object.
    IUnknown* inner = nullptr;
    std::vector<RecordedRequest> requests;

    LONG References() const { return m_cRef; }
    IUnknown* AsUnknown() { return static_cast<IUnknown*>(this); }
    void ReleaseInner();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Set(REFGUID set, DWORD id, LPVOID instance, DWORD cbInstance, LPVOID data,
                     DWORD cbData) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID instance, DWORD cbInstance, LPVOID data,
                     DWORD cbData, DWORD* pcbReturned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

private:
    RecordedRequest Record(bool isGet, REFGUID set, DWORD id, LPVOID instance, DWORD cbInstance,
                           LPVOID data, DWORD cbData);

    LONG m_cRef = 1;  // the test's own reference; the object lives on the stack
    const bool m_offerPropertySet;
};
