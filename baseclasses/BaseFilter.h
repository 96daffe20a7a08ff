// The filter base: IBaseFilter over a fixed set of pins, with the filter's
// state, clock, graph and name. A filter derives from it, supplies its pins
// through GetPinCount and GetPin, and shares its lock with them.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "ComBase.h"
#include "CritSec.h"

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter {
public:
    // pLock guards the state; it belongs to the derived filter.
    CBaseFilter(LPCTSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // The pins, numbered from 0; they live as long as the filter.
    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int n) = 0;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClsID) override;

    // IMediaFilter. Pause activates the connected pins when the filter was
    // stopped, Run pauses first when stopped and then runs the connected
    // pins, Stop deactivates them.
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP GetState(DWORD dwMSecs, FILTER_STATE* State) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** pClock) override;

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* pVendorInfo) override;

    // The state, read under the lock.
    FILTER_STATE State();
    BOOL IsStopped() { return State() == State_Stopped; }
    // The time since the graph started running, by the graph's clock;
    // VFW_E_NO_CLOCK without one.
    HRESULT StreamTime(REFERENCE_TIME* prtStream);
    // Sends an event to the graph's event sink, if the filter is in a graph.
    HRESULT NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2);
    // The graph the filter is in; not counted, the graph holds the filter.
    IFilterGraph* GetFilterGraph() { return m_pGraph; }

protected:
    FILTER_STATE m_State;
    IReferenceClock* m_pClock;  // counted
    REFERENCE_TIME m_tStart;
    CCritSec* const m_pLock;
    IFilterGraph* m_pGraph;  // not counted

private:
    const CLSID m_clsid;
    WCHAR* m_pName;  // the name in the graph; owned
};
