// A property page: IPropertyPage over a dialog resource, for property frames.
// A page derives from CBasePropertyPage, passes its dialog and title resource
// ids, and overrides the On... calls it needs:
//   OnConnect       from SetObjects with one object
//   OnDisconnect    from SetObjects with none, and when the page is destroyed
//   OnActivate      after Activate has created the dialog
//   OnDeactivate    from Deactivate, before the dialog is destroyed
//   OnApplyChanges  from Apply, only while the page is dirty; the dirty flag
//                   is cleared when it succeeds
//   OnReceiveMessage for every message of the dialog
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "ComBase.h"

// Characters of a page title loaded from the string table.
constexpr int STR_MAX_LENGTH = 256;

class CBasePropertyPage : public IPropertyPage, public CUnknown {
public:
    CBasePropertyPage(LPCTSTR pName, LPUNKNOWN pUnk, int DialogId, int TitleId);
    ~CBasePropertyPage() override = default;

    DECLARE_IUNKNOWN

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    virtual HRESULT OnConnect(IUnknown* pUnknown) { return S_OK; }
    virtual HRESULT OnDisconnect() { return S_OK; }
    virtual HRESULT OnActivate() { return S_OK; }
    virtual HRESULT OnDeactivate() { return S_OK; }
    virtual HRESULT OnApplyChanges() { return S_OK; }
    virtual INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    // IPropertyPage
    STDMETHODIMP SetPageSite(LPPROPERTYPAGESITE pPageSite) override;
    STDMETHODIMP Activate(HWND hwndParent, LPCRECT prect, BOOL fModal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(LPPROPPAGEINFO pPageInfo) override;
    STDMETHODIMP SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk) override;
    STDMETHODIMP Show(UINT nCmdShow) override;
    STDMETHODIMP Move(LPCRECT prect) override;
    STDMETHODIMP IsPageDirty() override { return m_bDirty ? S_OK : S_FALSE; }
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR /*lpszHelpDir*/) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG /*lpMsg*/) override { return E_NOTIMPL; }

protected:
    HWND m_hwnd;                   // the active page's dialog; null while inactive
    HWND m_Dlg;                    // the dialog as its WM_INITDIALOG saw it
    LPPROPERTYPAGESITE m_pPageSite;  // one reference while the frame has set it
    BOOL m_bDirty;                 // steers the frame's Apply button
    BOOL m_bObjectSet;             // SetObjects has given the page an object

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void DestroyDialog();

    const int m_TitleId;
    const int m_DialogId;
};

// Loads string `iResourceID` of the module into `pBuffer` (STR_MAX_LENGTH
// characters); an empty string when there is none.
LPWSTR WINAPI WideStringFromResource(LPWSTR pBuffer, int iResourceID);

// The size in pixels of dialog `iResourceID` of the module, created hidden.
BOOL WINAPI GetDialogSize(int iResourceID, DLGPROC pDlgProc, LPARAM lParam, SIZE* pResult);
