#include "PageHost.h"

#include <cstring>

namespace {

thread_local std::vector<CapturedBox>* t_boxes = nullptr;

const wchar_t kParentClass[] = L"ZkvPageHostParent";

ATOM RegisterParentClass() {
    static ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kParentClass;
        return RegisterClassW(&wc);
    }();
    return atom;
}

}  // namespace

MessageBoxCatcher::MessageBoxCatcher() {
    t_boxes = new std::vector<CapturedBox>;
    m_hook = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher() {
    UnhookWindowsHookEx(m_hook);
    delete t_boxes;
    t_boxes = nullptr;
}

std::vector<CapturedBox> MessageBoxCatcher::Take() {
    std::vector<CapturedBox> boxes;
    boxes.swap(*t_boxes);
    return boxes;
}

LRESULT CALLBACK MessageBoxCatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_boxes != nullptr) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(box, className, sizeof className);
        HWND textControl = GetDlgItem(box, 0xFFFF);
        if (std::strcmp(className, "#32770") == 0 && textControl != nullptr) {
            char caption[256] = {};
            char text[512] = {};
            GetWindowTextA(box, caption, sizeof caption);
            GetWindowTextA(textControl, text, sizeof text);
            t_boxes->push_back(CapturedBox{caption, text, GetWindow(box, GW_OWNER) != nullptr});
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

STDMETHODIMP TestPageSite::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyPageSite) {
        *ppv = static_cast<IPropertyPageSite*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TestPageSite::AddRef() { return InterlockedIncrement(&m_refs); }
STDMETHODIMP_(ULONG) TestPageSite::Release() { return InterlockedDecrement(&m_refs); }

STDMETHODIMP TestPageSite::OnStatusChange(DWORD flags) {
    statusChanges.push_back(flags);
    return S_OK;
}

STDMETHODIMP TestPageSite::GetLocaleID(LCID* locale) {
    *locale = GetUserDefaultLCID();
    return S_OK;
}

STDMETHODIMP TestPageSite::GetPageContainer(IUnknown** container) {
    *container = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestPageSite::TranslateAccelerator(MSG*) { return S_FALSE; }

PageHost::PageHost() {
    RegisterParentClass();
    m_parent = CreateWindowExW(0, kParentClass, L"page host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               0, 0, 480, 640, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

PageHost::~PageHost() {
    if (m_page != nullptr) {
        if (m_active) m_page->Deactivate();
        m_page->SetObjects(0, nullptr);
        if (m_siteSet) m_page->SetPageSite(nullptr);
        m_page->Release();
    }
    DestroyWindow(m_parent);
}

HRESULT PageHost::Create(REFCLSID clsid) {
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                            reinterpret_cast<void**>(&m_page));
}

HRESULT PageHost::Connect(IUnknown* object) {
    if (!m_siteSet) {
        HRESULT hr = m_page->SetPageSite(&m_site);
        if (FAILED(hr)) return hr;
        m_siteSet = true;
    }
    return m_page->SetObjects(1, &object);
}

HRESULT PageHost::Activate() {
    RECT area{0, 0, 420, 580};
    HRESULT hr = m_page->Activate(m_parent, &area, TRUE);
    if (FAILED(hr)) return hr;
    m_active = true;
    return m_page->Show(SW_SHOW);
}

HRESULT PageHost::Deactivate() {
    m_active = false;
    return m_page->Deactivate();
}

HRESULT PageHost::Disconnect() { return m_page->SetObjects(0, nullptr); }

HWND PageHost::Dialog() const { return GetWindow(m_parent, GW_CHILD); }

HWND PageHost::Control(int id) const { return GetDlgItem(Dialog(), id); }

std::vector<std::string> PageHost::Items(int id) const {
    std::vector<std::string> items;
    LRESULT count = SendMessageA(Control(id), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = {};
        SendMessageA(Control(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

std::string PageHost::Selection(int id) const {
    LRESULT index = SendMessageA(Control(id), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return std::string();
    char text[256] = {};
    SendMessageA(Control(id), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

void PageHost::Select(int id, const std::string& text) {
    HWND combo = Control(id);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    // Selecting by message notifies nobody: send what the user's pick sends.
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(id, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
}

void PageHost::Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }

void PageHost::SetText(int id, const std::string& text) {
    SetDlgItemTextA(Dialog(), id, text.c_str());  // sends EN_CHANGE by itself
}

std::string PageHost::Text(int id) const {
    char text[256] = {};
    GetDlgItemTextA(Dialog(), id, text, sizeof text);
    return text;
}

bool PageHost::Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

bool PageHost::Checked(int id) const {
    return IsDlgButtonChecked(Dialog(), id) == BST_CHECKED;
}
