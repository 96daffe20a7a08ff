#include "PropertyPage.h"

#include "DllEntry.h"

namespace {

// Frame size of a page whose dialog cannot be measured.
constexpr LONG kDefaultPageWidth = 340;
constexpr LONG kDefaultPageHeight = 150;

CBasePropertyPage* PageOfDialog(HWND hwnd) {
    return reinterpret_cast<CBasePropertyPage*>(GetWindowLongPtr(hwnd, DWLP_USER));
}

}  // namespace

CBasePropertyPage::CBasePropertyPage(LPCTSTR pName, LPUNKNOWN pUnk, int DialogId, int TitleId)
    : CUnknown(pName, pUnk),
      m_hwnd(NULL),
      m_Dlg(NULL),
      m_pPageSite(NULL),
      m_bDirty(FALSE),
      m_bObjectSet(FALSE),
      m_TitleId(TitleId),
      m_DialogId(DialogId) {}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    CheckPointer(ppv, E_POINTER);
    if (IsEqualIID(riid, IID_IPropertyPage)) {
        return GetInterface(static_cast<IPropertyPage*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

ULONG STDMETHODCALLTYPE CBasePropertyPage::NonDelegatingRelease() {
    const LONG remaining = InterlockedDecrement(&m_cRef);
    if (remaining > 0) {
        return static_cast<ULONG>(remaining);
    }
    // Keep the object alive while it lets go of its site, its object and a
    // dialog that the frame never deactivated.
    m_cRef = 1;
    DestroyDialog();
    if (m_pPageSite != NULL) {
        SetPageSite(NULL);
    }
    SetObjects(0, NULL);
    delete this;
    return 0;
}

void CBasePropertyPage::DestroyDialog() {
    if (m_hwnd == NULL) {
        return;
    }
    // The dialog must not reach a page that no longer exists.
    SetWindowLongPtr(m_hwnd, DWLP_USER, 0);
    DestroyWindow(m_hwnd);
    m_hwnd = NULL;
    m_Dlg = NULL;
}

INT_PTR CBasePropertyPage::OnReceiveMessage(HWND /*hwnd*/, UINT uMsg, WPARAM /*wParam*/,
                                            LPARAM /*lParam*/) {
    // TRUE for WM_INITDIALOG lets the dialog manager place the focus.
    return uMsg == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR CALLBACK CBasePropertyPage::DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) {
        // The page comes as the creation parameter; none while measuring.
        SetWindowLongPtr(hwnd, DWLP_USER, lParam);
        CBasePropertyPage* pPage = reinterpret_cast<CBasePropertyPage*>(lParam);
        if (pPage == NULL) {
            return TRUE;
        }
        pPage->m_Dlg = hwnd;
    }
    CBasePropertyPage* pPage = PageOfDialog(hwnd);
    if (pPage == NULL) {
        return FALSE;
    }
    return pPage->OnReceiveMessage(hwnd, uMsg, wParam, lParam);
}

STDMETHODIMP CBasePropertyPage::SetPageSite(LPPROPERTYPAGESITE pPageSite) {
    if (pPageSite != NULL) {
        if (m_pPageSite != NULL) {
            return E_UNEXPECTED;
        }
        m_pPageSite = pPageSite;
        m_pPageSite->AddRef();
        return S_OK;
    }
    if (m_pPageSite == NULL) {
        return E_UNEXPECTED;
    }
    m_pPageSite->Release();
    m_pPageSite = NULL;
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Activate(HWND hwndParent, LPCRECT prect, BOOL /*fModal*/) {
    CheckPointer(prect, E_POINTER);
    if (!m_bObjectSet || m_hwnd != NULL) {
        return E_UNEXPECTED;
    }
    m_hwnd = CreateDialogParam(g_hInst, MAKEINTRESOURCE(m_DialogId), hwndParent, DialogProc,
                               reinterpret_cast<LPARAM>(this));
    if (m_hwnd == NULL) {
        return E_OUTOFMEMORY;
    }
    // The page shows whatever it could fill in; its own failures are its to
    // report.
    OnActivate();
    Move(prect);
    return Show(SW_SHOWNORMAL);
}

STDMETHODIMP CBasePropertyPage::Deactivate() {
    if (m_hwnd == NULL) {
        return E_UNEXPECTED;
    }
    const HRESULT hr = OnDeactivate();
    if (FAILED(hr)) {
        return hr;
    }
    DestroyDialog();
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::GetPageInfo(LPPROPPAGEINFO pPageInfo) {
    CheckPointer(pPageInfo, E_POINTER);
    WCHAR wszTitle[STR_MAX_LENGTH];
    WideStringFromResource(wszTitle, m_TitleId);
    const size_t cbTitle = (static_cast<size_t>(lstrlenW(wszTitle)) + 1) * sizeof(WCHAR);
    LPOLESTR pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc(cbTitle));
    if (pszTitle == NULL) {
        return E_OUTOFMEMORY;
    }
    CopyMemory(pszTitle, wszTitle, cbTitle);

    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->pszTitle = pszTitle;  // the frame frees it
    pPageInfo->pszDocString = NULL;
    pPageInfo->pszHelpFile = NULL;
    pPageInfo->dwHelpContext = 0;
    pPageInfo->size.cx = kDefaultPageWidth;
    pPageInfo->size.cy = kDefaultPageHeight;
    GetDialogSize(m_DialogId, DialogProc, 0, &pPageInfo->size);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk) {
    if (cObjects == 1) {
        if (ppUnk == NULL || *ppUnk == NULL) {
            return E_POINTER;
        }
        m_bObjectSet = TRUE;
        return OnConnect(*ppUnk);
    }
    if (cObjects == 0) {
        m_bObjectSet = FALSE;
        return OnDisconnect();
    }
    // A page shows the settings of one object.
    return E_UNEXPECTED;
}

STDMETHODIMP CBasePropertyPage::Show(UINT nCmdShow) {
    if (m_hwnd == NULL) {
        return E_UNEXPECTED;
    }
    if (nCmdShow != SW_SHOW && nCmdShow != SW_SHOWNORMAL && nCmdShow != SW_HIDE) {
        return E_INVALIDARG;
    }
    ShowWindow(m_hwnd, static_cast<int>(nCmdShow));
    InvalidateRect(m_hwnd, NULL, TRUE);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Move(LPCRECT prect) {
    CheckPointer(prect, E_POINTER);
    if (m_hwnd == NULL) {
        return E_UNEXPECTED;
    }
    MoveWindow(m_hwnd, prect->left, prect->top, prect->right - prect->left,
               prect->bottom - prect->top, TRUE);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Apply() {
    if (!m_bObjectSet || m_pPageSite == NULL) {
        return E_UNEXPECTED;
    }
    if (!m_bDirty) {
        return S_OK;
    }
    const HRESULT hr = OnApplyChanges();
    if (SUCCEEDED(hr)) {
        m_bDirty = FALSE;
    }
    return hr;
}

LPWSTR WINAPI WideStringFromResource(LPWSTR pBuffer, int iResourceID) {
    if (LoadStringW(g_hInst, static_cast<UINT>(iResourceID), pBuffer, STR_MAX_LENGTH) == 0) {
        pBuffer[0] = L'\0';
    }
    return pBuffer;
}

BOOL WINAPI GetDialogSize(int iResourceID, DLGPROC pDlgProc, LPARAM lParam, SIZE* pResult) {
    HWND hwnd = CreateDialogParam(g_hInst, MAKEINTRESOURCE(iResourceID), GetDesktopWindow(),
                                  pDlgProc, lParam);
    if (hwnd == NULL) {
        return FALSE;
    }
    RECT rc;
    const BOOL ok = GetWindowRect(hwnd, &rc);
    if (ok) {
        pResult->cx = rc.right - rc.left;
        pResult->cy = rc.bottom - rc.top;
    }
    DestroyWindow(hwnd);
    return ok;
}
