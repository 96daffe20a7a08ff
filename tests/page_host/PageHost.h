// Hosts a property page the way a property frame does, without the frame:
// a page site of the test's own, a parent window, and helpers that drive the
// page's controls with the messages a user's actions produce. Message boxes
// that the page raises on this thread are captured and dismissed.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <ocidl.h>

#include <string>
#include <vector>

struct CapturedBox {
    std::string caption;
    std::string text;
    bool owned;  // the box had an owner window
};

// Captures every message box shown on the creating thread while it lives.
class MessageBoxCatcher {
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    // The boxes since the last Take, oldest first; empties the record.
    std::vector<CapturedBox> Take();

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
};

// Records the page's status changes (PROPPAGESTATUS_*).
class TestPageSite : public IPropertyPageSite {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP OnStatusChange(DWORD flags) override;
    STDMETHODIMP GetLocaleID(LCID* locale) override;
    STDMETHODIMP GetPageContainer(IUnknown** container) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

    std::vector<DWORD> statusChanges;

private:
    LONG m_refs = 1;
};

class PageHost {
public:
    PageHost();
    ~PageHost();

    // Creates the page through the registered class factory; S_OK or the failure.
    HRESULT Create(REFCLSID clsid);
    HRESULT Connect(IUnknown* object);       // SetPageSite, then SetObjects with one object
    HRESULT Activate();                      // Activate in the parent, then Show
    HRESULT Deactivate();
    HRESULT Disconnect();                    // SetObjects with none
    IPropertyPage* Page() const { return m_page; }
    TestPageSite& Site() { return m_site; }
    HWND Dialog() const;                     // the page's dialog while active

    // Controls, as a user works them.
    std::vector<std::string> Items(int id) const;
    std::string Selection(int id) const;     // empty when nothing is selected
    void Select(int id, const std::string& text);  // pick an entry: select, SELCHANGE, CLOSEUP
    void Click(int id);
    void SetText(int id, const std::string& text);
    std::string Text(int id) const;
    bool Enabled(int id) const;
    bool Checked(int id) const;

private:
    HWND Control(int id) const;

    TestPageSite m_site;
    IPropertyPage* m_page = nullptr;
    HWND m_parent = nullptr;
    bool m_active = false;
    bool m_siteSet = false;
};
