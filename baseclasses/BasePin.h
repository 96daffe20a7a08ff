// The pin bases. CBasePin is IPin for a pin of a CBaseFilter: its references
// are the filter's, it connects with the first of its own media types that
// fits what the graph asks for, and it keeps the connection's peer and type.
// CBaseOutputPin adds the transport to a downstream IMemInputPin: the peer's
// input interface and the allocator that the pin decides on.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "ComBase.h"
#include "CritSec.h"

class CBaseFilter;

class CBasePin : public CUnknown, public IPin {
public:
    // pName is the pin's name and id; it must outlive the pin.
    CBasePin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName,
             PIN_DIRECTION dir);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // A pin lives as long as its filter: its references are the filter's.
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // IPin
    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    STDMETHODIMP QueryId(LPWSTR* Id) override;
    // S_OK when CheckMediaType accepts the type, S_FALSE otherwise.
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    STDMETHODIMP QueryInternalConnections(IPin** apPin, ULONG* nPin) override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // Whether the pin would accept a type: S_OK, or S_FALSE or a failure.
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE* pmt) = 0;
    // The pin's own types, from 0: S_OK, VFW_S_NO_MORE_ITEMS past the last,
    // E_INVALIDARG for a negative position. The caller frees what it gets.
    virtual HRESULT GetMediaType(int iPosition, AM_MEDIA_TYPE* pMediaType);

    // Connection steps, called with the lock held.
    virtual HRESULT AgreeMediaType(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt);
    virtual HRESULT AttemptConnection(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt);
    virtual HRESULT CompleteConnect(IPin* pReceivePin);
    virtual HRESULT BreakConnect();

    // State changes of a connected pin, driven by the filter: Active when it
    // leaves Stopped, Run when it starts running, Inactive when it stops.
    virtual HRESULT Active();
    virtual HRESULT Run(REFERENCE_TIME tStart);
    virtual HRESULT Inactive();

    BOOL IsConnected() const { return m_Connected != NULL; }
    BOOL IsStopped();
    LPCWSTR Name() const { return m_pName; }

protected:
    LPCWSTR const m_pName;
    IPin* m_Connected;  // counted
    const PIN_DIRECTION m_dir;
    CCritSec* const m_pLock;
    CBaseFilter* const m_pFilter;
    AM_MEDIA_TYPE m_mt;  // the connection's type; owned
};

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(LPCTSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName);
    ~CBaseOutputPin() override;

    // An output pin is never the receiving end of a connection, and nothing
    // flows into it.
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // Takes the peer's IMemInputPin and decides the allocator.
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    HRESULT BreakConnect() override;
    // Where the pin's buffers come from: an allocator, its properties set and
    // notified to the peer, handed out with a reference.
    virtual HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc) = 0;

    // Commit and decommit the allocator.
    HRESULT Active() override;
    HRESULT Inactive() override;

    // Hands a sample to the peer.
    HRESULT Deliver(IMediaSample* pSample);

protected:
    IMemAllocator* m_pAllocator;  // counted
    IMemInputPin* m_pInputPin;    // counted
};
