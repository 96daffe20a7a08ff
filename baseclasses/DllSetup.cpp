#include "DllSetup.h"

#include <dshow.h>

#include "ClassFactory.h"
#include "DllEntry.h"

namespace {

// Registry names are written as ANSI strings; display names are short, and a
// path fits MAX_PATH.
constexpr int kMaxAnsiName = 1024;

HRESULT ToAnsi(LPCWSTR wide, char* ansi, int cchAnsi) {
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, cchAnsi, NULL, NULL) == 0) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return S_OK;
}

HRESULT HresultFromLastError() {
    const DWORD code = GetLastError();
    return code != ERROR_SUCCESS ? HRESULT_FROM_WIN32(code) : E_FAIL;
}

// "CLSID\{...}" with the CLSID in its 38-character brace form.
HRESULT ClassKeyName(REFCLSID clsid, char* keyName, int cchKeyName) {
    WCHAR wszClsid[39];
    if (StringFromGUID2(clsid, wszClsid, 39) == 0) {
        return E_INVALIDARG;
    }
    WCHAR wszKey[6 + 39];
    wsprintfW(wszKey, L"CLSID\\%ls", wszClsid);
    return ToAnsi(wszKey, keyName, cchKeyName);
}

HRESULT SetStringValue(HKEY hKey, LPCSTR valueName, LPCWSTR data) {
    char ansi[kMaxAnsiName];
    HRESULT hr = ToAnsi(data, ansi, kMaxAnsiName);
    if (FAILED(hr)) {
        return hr;
    }
    const LONG rc = RegSetValueExA(hKey, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi),
                                   static_cast<DWORD>(lstrlenA(ansi) + 1));
    return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(rc);
}

// Registration runs in a registration tool's thread, which may not have COM
// set up; a thread that already has it keeps its apartment.
class ComForRegistration {
public:
    ComForRegistration() : m_hr(CoInitialize(NULL)) {}
    ~ComForRegistration() {
        if (SUCCEEDED(m_hr)) {
            CoUninitialize();
        }
    }
    ComForRegistration(const ComForRegistration&) = delete;
    ComForRegistration& operator=(const ComForRegistration&) = delete;

private:
    const HRESULT m_hr;
};

// Creates a class without an outer object for IAMovieSetup. A class that
// does not offer it, or that needs an outer object to exist at all, has
// nothing to set up: that is success with no interface.
HRESULT CreateSetupInterface(REFCLSID clsid, IAMovieSetup** ppSetup) {
    *ppSetup = NULL;
    const HRESULT hr = CoCreateInstance(clsid, NULL, CLSCTX_INPROC_SERVER, IID_IAMovieSetup,
                                        reinterpret_cast<void**>(ppSetup));
    if (hr == E_NOINTERFACE || hr == VFW_E_NEED_OWNER) {
        *ppSetup = NULL;
        return S_OK;
    }
    return hr;
}

HRESULT SetupRegister(REFCLSID clsid) {
    IAMovieSetup* pSetup = NULL;
    HRESULT hr = CreateSetupInterface(clsid, &pSetup);
    if (pSetup != NULL) {
        hr = pSetup->Unregister();
        if (SUCCEEDED(hr)) {
            hr = pSetup->Register();
        }
        pSetup->Release();
    }
    return hr;
}

HRESULT SetupUnregister(REFCLSID clsid) {
    IAMovieSetup* pSetup = NULL;
    HRESULT hr = CreateSetupInterface(clsid, &pSetup);
    if (hr == REGDB_E_CLASSNOTREG) {
        // The class key is gone already: an earlier unregistration removed it.
        return S_OK;
    }
    if (pSetup != NULL) {
        hr = pSetup->Unregister();
        pSetup->Release();
    }
    return hr;
}

}  // namespace

HRESULT EliminateSubKey(HKEY hKey, LPCSTR lpszSubKey) {
    // An empty name would open hKey itself and delete it.
    if (lpszSubKey == NULL || lpszSubKey[0] == '\0') {
        return E_INVALIDARG;
    }
    HKEY hk = NULL;
    LONG rc = RegOpenKeyExA(hKey, lpszSubKey, 0, KEY_ALL_ACCESS, &hk);
    if (rc == ERROR_FILE_NOT_FOUND) {
        return S_OK;
    }
    if (rc != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(rc);
    }
    HRESULT hr = S_OK;
    for (;;) {
        char child[256];
        DWORD cchChild = sizeof(child);
        rc = RegEnumKeyExA(hk, 0, child, &cchChild, NULL, NULL, NULL, NULL);
        if (rc == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (rc != ERROR_SUCCESS) {
            hr = HRESULT_FROM_WIN32(rc);
            break;
        }
        // A child that cannot be removed would be listed first forever.
        hr = EliminateSubKey(hk, child);
        if (FAILED(hr)) {
            break;
        }
    }
    RegCloseKey(hk);
    if (FAILED(hr)) {
        return hr;
    }
    rc = RegDeleteKeyA(hKey, lpszSubKey);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
        return HRESULT_FROM_WIN32(rc);
    }
    return S_OK;
}

STDAPI AMovieSetupRegisterServer(CLSID clsServer, LPCWSTR szDescription, LPCWSTR szFileName,
                                 LPCWSTR szThreadingModel, LPCWSTR szServerType) {
    char keyName[kMaxAnsiName];
    HRESULT hr = ClassKeyName(clsServer, keyName, kMaxAnsiName);
    if (FAILED(hr)) {
        return hr;
    }
    char serverType[kMaxAnsiName];
    hr = ToAnsi(szServerType, serverType, kMaxAnsiName);
    if (FAILED(hr)) {
        return hr;
    }
    HKEY hkClass = NULL;
    LONG rc = RegCreateKeyA(HKEY_CLASSES_ROOT, keyName, &hkClass);
    if (rc != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(rc);
    }
    hr = SetStringValue(hkClass, NULL, szDescription);
    if (SUCCEEDED(hr)) {
        HKEY hkServer = NULL;
        rc = RegCreateKeyA(hkClass, serverType, &hkServer);
        if (rc != ERROR_SUCCESS) {
            hr = HRESULT_FROM_WIN32(rc);
        } else {
            hr = SetStringValue(hkServer, NULL, szFileName);
            if (SUCCEEDED(hr)) {
                hr = SetStringValue(hkServer, "ThreadingModel", szThreadingModel);
            }
            RegCloseKey(hkServer);
        }
    }
    RegCloseKey(hkClass);
    return hr;
}

STDAPI AMovieSetupUnregisterServer(CLSID clsServer) {
    char keyName[kMaxAnsiName];
    const HRESULT hr = ClassKeyName(clsServer, keyName, kMaxAnsiName);
    if (FAILED(hr)) {
        return hr;
    }
    return EliminateSubKey(HKEY_CLASSES_ROOT, keyName);
}

STDAPI AMovieDllRegisterServer() {
    char pathA[MAX_PATH];
    const DWORD cch = GetModuleFileNameA(g_hInst, pathA, MAX_PATH);
    if (cch == 0) {
        return HresultFromLastError();
    }
    // A cut-off path would register a file that does not exist.
    if (cch >= MAX_PATH) {
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    WCHAR path[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, pathA, -1, path, MAX_PATH) == 0) {
        return HresultFromLastError();
    }

    ComForRegistration com;
    HRESULT hr = S_OK;
    for (int i = 0; i < g_cTemplates && SUCCEEDED(hr); ++i) {
        const CFactoryTemplate& entry = g_Templates[i];
        hr = AMovieSetupRegisterServer(*entry.m_ClsID, entry.m_Name, path);
        if (SUCCEEDED(hr) && entry.m_lpfnNew != NULL) {
            hr = SetupRegister(*entry.m_ClsID);
        }
    }
    return hr;
}

STDAPI AMovieDllUnregisterServer() {
    ComForRegistration com;
    HRESULT hr = S_OK;
    for (int i = g_cTemplates - 1; i >= 0 && SUCCEEDED(hr); --i) {
        const CFactoryTemplate& entry = g_Templates[i];
        if (entry.m_lpfnNew != NULL) {
            hr = SetupUnregister(*entry.m_ClsID);
        }
        if (SUCCEEDED(hr)) {
            hr = AMovieSetupUnregisterServer(*entry.m_ClsID);
        }
    }
    return hr;
}
