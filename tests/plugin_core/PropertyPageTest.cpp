// The property page base under a stand-in frame: which On... call comes when,
// the dialog it creates, the dirty flag and Apply, and what the last release
// cleans up.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BaseClasses.h"
#include <olectl.h>

namespace {

constexpr int kDialogId = 900;
constexpr int kTitleId = 901;

// {6A1B2C3D-0E0F-4A1B-9C2D-3E4F5A6B7C8D}: a test class only.
const CLSID CLSID_TestPage = {0x6a1b2c3d, 0x0e0f, 0x4a1b, {0x9c, 0x2d, 0x3e, 0x4f, 0x5a, 0x6b, 0x7c, 0x8d}};

// Calls the page received, with what it could see at the time.
struct PageLog {
    std::vector<std::string> calls;
    IUnknown* connected = nullptr;
    HWND dialogAtActivate = nullptr;
    bool dialogAliveAtDeactivate = false;
    HWND initDialogWindow = nullptr;
    int commands = 0;
    HRESULT applyResult = S_OK;
    HRESULT deactivateResult = S_OK;
};
PageLog g_log;

class CTestPage : public CBasePropertyPage {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) {
        return new CTestPage(pUnk);
    }
    void MakeDirty() { m_bDirty = TRUE; }
    HWND Dialog() const { return m_hwnd; }

private:
    explicit CTestPage(LPUNKNOWN pUnk) : CBasePropertyPage(TEXT("Test Page"), pUnk, kDialogId, kTitleId) {}

    HRESULT OnConnect(IUnknown* pUnknown) override {
        g_log.calls.push_back("connect");
        g_log.connected = pUnknown;
        return S_OK;
    }
    HRESULT OnDisconnect() override {
        g_log.calls.push_back("disconnect");
        return S_OK;
    }
    HRESULT OnActivate() override {
        g_log.calls.push_back("activate");
        g_log.dialogAtActivate = m_hwnd;
        return E_FAIL;  // the page's own trouble; Activate still succeeds
    }
    HRESULT OnDeactivate() override {
        g_log.calls.push_back("deactivate");
        g_log.dialogAliveAtDeactivate = m_hwnd != nullptr && IsWindow(m_hwnd);
        return g_log.deactivateResult;
    }
    HRESULT OnApplyChanges() override {
        g_log.calls.push_back("apply");
        return g_log.applyResult;
    }
    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_INITDIALOG) {
            g_log.calls.push_back("initdialog");
            g_log.initDialogWindow = m_Dlg;
            EXPECT_EQ(m_Dlg, hwnd);
        } else if (uMsg == WM_COMMAND) {
            ++g_log.commands;
        }
        return CBasePropertyPage::OnReceiveMessage(hwnd, uMsg, wParam, lParam);
    }
};

// The frame's side of the page.
class TestPageSite : public IPropertyPageSite {
public:
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyPageSite)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP OnStatusChange(DWORD) override { return S_OK; }
    STDMETHODIMP GetLocaleID(LCID* pLocaleID) override {
        *pLocaleID = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown** ppUnk) override {
        *ppUnk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
};

// Any object will do as the page's object.
class PlainObject : public IUnknown {
public:
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Test Page", &CLSID_TestPage, CTestPage::CreateInstance, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

namespace {

class PropertyPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        DllEntryPoint(GetModuleHandle(nullptr), DLL_PROCESS_ATTACH, nullptr);
        g_log = PageLog();
        m_frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300,
                                  nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
        ASSERT_NE(m_frame, nullptr);
        IClassFactory* factory = nullptr;
        ASSERT_EQ(DllGetClassObject(CLSID_TestPage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPropertyPage, reinterpret_cast<void**>(&m_page)), S_OK);
        factory->Release();
    }
    void TearDown() override {
        if (m_page != nullptr) {
            m_page->Release();
        }
        DestroyWindow(m_frame);
    }
    CTestPage* Page() { return static_cast<CTestPage*>(m_page); }

    HWND m_frame = nullptr;
    IPropertyPage* m_page = nullptr;
    TestPageSite m_site;
    PlainObject m_object;
    const RECT m_rect = {10, 20, 210, 170};
};

TEST_F(PropertyPageTest, PageInfoCarriesTheTitleFromTheStringTable) {
    PROPPAGEINFO info = {};
    ASSERT_EQ(m_page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(info.cb, sizeof(PROPPAGEINFO));
    ASSERT_NE(info.pszTitle, nullptr);
    EXPECT_STREQ(info.pszTitle, L"Test Page Title");
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(info.pszDocString, nullptr);
    EXPECT_EQ(info.pszHelpFile, nullptr);
    // Measured from the dialog template, not the fallback size.
    EXPECT_GT(info.size.cx, 0);
    EXPECT_GT(info.size.cy, 0);
    EXPECT_FALSE(info.size.cx == 340 && info.size.cy == 150);
    EXPECT_EQ(m_page->GetPageInfo(nullptr), E_POINTER);
    EXPECT_TRUE(g_log.calls.empty());
}

TEST_F(PropertyPageTest, SiteAndObjectsFollowTheFramesCalls) {
    EXPECT_EQ(m_page->SetPageSite(&m_site), S_OK);
    EXPECT_EQ(m_site.refs, 2);
    EXPECT_EQ(m_page->SetPageSite(&m_site), E_UNEXPECTED);

    IUnknown* none[1] = {nullptr};
    IUnknown* objects[2] = {&m_object, &m_object};
    EXPECT_EQ(m_page->SetObjects(1, none), E_POINTER);
    EXPECT_EQ(m_page->SetObjects(2, objects), E_UNEXPECTED);
    EXPECT_TRUE(g_log.calls.empty());
    EXPECT_EQ(m_page->SetObjects(1, objects), S_OK);
    EXPECT_EQ(g_log.connected, &m_object);
    EXPECT_EQ(m_page->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(g_log.calls, (std::vector<std::string>{"connect", "disconnect"}));
    // Without an object there is nothing to show or apply.
    EXPECT_EQ(m_page->Activate(m_frame, &m_rect, TRUE), E_UNEXPECTED);
    EXPECT_EQ(m_page->Apply(), E_UNEXPECTED);

    EXPECT_EQ(m_page->SetPageSite(nullptr), S_OK);
    EXPECT_EQ(m_site.refs, 1);
    EXPECT_EQ(m_page->SetPageSite(nullptr), E_UNEXPECTED);
}

TEST_F(PropertyPageTest, ActivateCreatesTheDialogInTheFrameAndDeactivateDestroysIt) {
    IUnknown* objects[1] = {&m_object};
    ASSERT_EQ(m_page->SetPageSite(&m_site), S_OK);
    ASSERT_EQ(m_page->SetObjects(1, objects), S_OK);
    ASSERT_EQ(m_page->Activate(m_frame, &m_rect, TRUE), S_OK);

    const HWND dialog = Page()->Dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetParent(dialog), m_frame);
    EXPECT_EQ(g_log.initDialogWindow, dialog);
    EXPECT_EQ(g_log.dialogAtActivate, dialog);
    EXPECT_EQ(g_log.calls, (std::vector<std::string>{"connect", "initdialog", "activate"}));
    EXPECT_TRUE(IsWindowVisible(dialog));
    RECT placed;
    GetWindowRect(dialog, &placed);
    MapWindowPoints(nullptr, m_frame, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, m_rect.left);
    EXPECT_EQ(placed.top, m_rect.top);
    EXPECT_EQ(placed.right - placed.left, m_rect.right - m_rect.left);
    EXPECT_EQ(placed.bottom - placed.top, m_rect.bottom - m_rect.top);
    EXPECT_EQ(m_page->Activate(m_frame, &m_rect, TRUE), E_UNEXPECTED);

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, EN_CHANGE), 0);
    EXPECT_EQ(g_log.commands, 1);
    EXPECT_EQ(m_page->Show(SW_MAXIMIZE), E_INVALIDARG);
    EXPECT_EQ(m_page->Show(SW_HIDE), S_OK);
    EXPECT_FALSE(IsWindowVisible(dialog));

    // A page that refuses to go keeps its dialog.
    g_log.deactivateResult = E_FAIL;
    EXPECT_EQ(m_page->Deactivate(), E_FAIL);
    EXPECT_TRUE(IsWindow(dialog));
    g_log.deactivateResult = S_OK;
    EXPECT_EQ(m_page->Deactivate(), S_OK);
    EXPECT_TRUE(g_log.dialogAliveAtDeactivate);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(Page()->Dialog(), nullptr);
    EXPECT_EQ(m_page->Deactivate(), E_UNEXPECTED);
    EXPECT_EQ(m_page->Show(SW_SHOW), E_UNEXPECTED);

    // A later activation starts over with a new dialog.
    g_log.calls.clear();
    ASSERT_EQ(m_page->Activate(m_frame, &m_rect, TRUE), S_OK);
    EXPECT_EQ(g_log.calls, (std::vector<std::string>{"initdialog", "activate"}));
    EXPECT_TRUE(IsWindow(Page()->Dialog()));
    EXPECT_EQ(m_page->Deactivate(), S_OK);
}

TEST_F(PropertyPageTest, ApplyRunsOnlyWhileDirtyAndClearsTheFlagOnSuccess) {
    IUnknown* objects[1] = {&m_object};
    ASSERT_EQ(m_page->SetObjects(1, objects), S_OK);
    // Apply needs the frame's site.
    EXPECT_EQ(m_page->Apply(), E_UNEXPECTED);
    ASSERT_EQ(m_page->SetPageSite(&m_site), S_OK);

    g_log.calls.clear();
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_TRUE(g_log.calls.empty());

    Page()->MakeDirty();
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);
    g_log.applyResult = E_FAIL;
    EXPECT_EQ(m_page->Apply(), E_FAIL);
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);
    g_log.applyResult = S_OK;
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(g_log.calls, (std::vector<std::string>{"apply", "apply"}));

    EXPECT_EQ(m_page->Help(L"x"), E_NOTIMPL);
    EXPECT_EQ(m_page->TranslateAccelerator(nullptr), E_NOTIMPL);
}

TEST_F(PropertyPageTest, LastReleaseLetsGoOfSiteObjectAndDialog) {
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    IUnknown* objects[1] = {&m_object};
    ASSERT_EQ(m_page->SetPageSite(&m_site), S_OK);
    ASSERT_EQ(m_page->SetObjects(1, objects), S_OK);
    ASSERT_EQ(m_page->Activate(m_frame, &m_rect, TRUE), S_OK);
    const HWND dialog = Page()->Dialog();

    EXPECT_EQ(m_page->Release(), 0u);
    m_page = nullptr;
    EXPECT_EQ(m_site.refs, 1);
    EXPECT_EQ(g_log.calls.back(), "disconnect");
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore - 1);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

// The frame that property pages really run in: the platform's modal frame
// creates the page by CLSID, shows it, and closes with OK.
HWND g_frameWindow = nullptr;
bool g_pageShown = false;

BOOL CALLBACK FindFrame(HWND hwnd, LPARAM) {
    char title[64] = {};
    GetWindowTextA(hwnd, title, sizeof(title));
    if (std::string(title).find("Page Frame Test") != std::string::npos) {
        g_frameWindow = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CloseFrame(HWND, UINT, UINT_PTR timer, DWORD) {
    g_frameWindow = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindFrame, 0);
    if (g_frameWindow == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    g_pageShown = std::find(g_log.calls.begin(), g_log.calls.end(), "activate") != g_log.calls.end();
    PostMessageA(g_frameWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST(PropertyFrameTest, PlatformFrameDrivesTheWholeLifeCycle) {
    DllEntryPoint(GetModuleHandle(nullptr), DLL_PROCESS_ATTACH, nullptr);
    g_log = PageLog();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IClassFactory* factory = nullptr;
    ASSERT_EQ(DllGetClassObject(CLSID_TestPage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_TestPage, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              S_OK);

    PlainObject object;
    IUnknown* objects[1] = {&object};
    CLSID pages[1] = {CLSID_TestPage};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseFrame);
    ASSERT_NE(timer, 0u);
    const HRESULT hr = OleCreatePropertyFrame(nullptr, 0, 0, L"Page Frame Test", 1, objects, 1, pages,
                                              LOCALE_USER_DEFAULT, 0, nullptr);
    KillTimer(nullptr, timer);
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(g_pageShown);
    ASSERT_FALSE(g_log.calls.empty());
    EXPECT_EQ(g_log.calls.front(), "connect");
    EXPECT_EQ(g_log.connected, &object);
    EXPECT_NE(std::find(g_log.calls.begin(), g_log.calls.end(), "deactivate"), g_log.calls.end());
    EXPECT_EQ(g_log.calls.back(), "disconnect");
    EXPECT_EQ(object.refs, 1);

    CoRevokeClassObject(cookie);
    factory->Release();
    CoUninitialize();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

}  // namespace
