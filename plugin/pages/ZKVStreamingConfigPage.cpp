#include "ZKVStreamingConfigPage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "../resources/StreamingConfigPageIds.h"
#include "StreamCapabilities.h"

// The page's messages have fixed English texts and only an OK button.
void CZKVStreamingConfigPage::ShowMessage(HWND owner, const char* text, const char* caption) {
    MessageBoxA(owner, text, caption, MB_OK);
}

CUnknown* WINAPI CZKVStreamingConfigPage::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) {
    CUnknown* page = new (std::nothrow) CZKVStreamingConfigPage(pUnk);
    if (page == nullptr) *phr = E_OUTOFMEMORY;
    return page;
}

CZKVStreamingConfigPage::CZKVStreamingConfigPage(LPUNKNOWN pUnk)
    : CBasePropertyPage(TEXT("ZKV Streaming Config"), pUnk, IDD_STREAMING_CONFIG,
                        IDS_STREAMING_CONFIG_TITLE),
      m_pInterface(nullptr),
      m_pIAMStreamConfig(nullptr),
      m_pPin(nullptr),
      m_nBuffers(0),
      m_nMode(0),
      m_bFormat7View(false) {}

HRESULT CZKVStreamingConfigPage::OnConnect(IUnknown* pUnknown) {
    if (pUnknown == nullptr) return VFW_E_NEED_OWNER;

    HRESULT hr = pUnknown->QueryInterface(IID_IAMStreamConfig,
                                          reinterpret_cast<void**>(&m_pIAMStreamConfig));
    if (FAILED(hr)) {
        ShowMessage(nullptr, "Prop m_pIAMStreamConfig failed", "Error");
    } else {
        // An object without IPin cannot say which filter it belongs to: it
        // fails as a pin whose information cannot be read.
        hr = pUnknown->QueryInterface(IID_IPin, reinterpret_cast<void**>(&m_pPin));
        PIN_INFO info{};
        if (SUCCEEDED(hr)) hr = m_pPin->QueryPinInfo(&info);
        if (FAILED(hr)) {
            ShowMessage(nullptr, "invalid PinInfo", "ERROR");
        } else {
            // A pin outside any filter has no camera interface to offer.
            hr = info.pFilter == nullptr
                     ? E_NOINTERFACE
                     : info.pFilter->QueryInterface(IID_IZKVInterface,
                                                    reinterpret_cast<void**>(&m_pInterface));
            if (FAILED(hr)) ShowMessage(nullptr, "invalid m_pInterface", "ERROR");
            if (info.pFilter != nullptr) {
                IdentifyCamera(info.pFilter);
                info.pFilter->Release();
            }
        }
    }
    if (FAILED(hr)) ShowMessage(nullptr, "invalid ", "ERROR");
    return hr;
}

HRESULT CZKVStreamingConfigPage::OnDisconnect() {
    if (m_pIAMStreamConfig != nullptr) {
        m_pIAMStreamConfig->Release();
        m_pIAMStreamConfig = nullptr;
    }
    if (m_pInterface != nullptr) {
        m_pInterface->Release();
        m_pInterface = nullptr;
    }
    if (m_pPin != nullptr) {
        m_pPin->Release();
        m_pPin = nullptr;
    }
    return S_OK;
}

// The saved standard format belongs to the camera, not to this page object:
// the camera's serial number names it, or failing that its capture filter.
void CZKVStreamingConfigPage::IdentifyCamera(IUnknown* filter) {
    ULONG serial = 0;
    if (m_pInterface != nullptr &&
        SUCCEEDED(m_pInterface->GetRegister(CameraRegister::SERIAL_NUMBER, &serial))) {
        m_camera = CameraKey{CameraKey::SerialNumber, serial};
        return;
    }
    IUnknown* identity = nullptr;
    if (SUCCEEDED(filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
        m_camera = CameraKey{CameraKey::FilterIdentity,
                             static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(identity))};
        identity->Release();
    }
}

HRESULT CZKVStreamingConfigPage::OnActivate() {
    SetDlgItemInt(m_hwnd, IDC_FORMAT7_TOP, 0, FALSE);
    SetDlgItemInt(m_hwnd, IDC_FORMAT7_LEFT, 0, FALSE);
    SetDlgItemInt(m_hwnd, IDC_FORMAT7_SPEED, 100, FALSE);
    m_nMode = 0;
    m_bFormat7View = false;
    return RefreshGeneralSettings();
}

HRESULT CZKVStreamingConfigPage::RefreshGeneralSettings() {
    CurrentVideoFormat current;
    if (ReadCurrentFormat(m_pIAMStreamConfig, &current) && IsFormat7MediaType(current.info)) {
        SetFormat7Enabled(true);
        return S_OK;
    }
    Format7Request answer;
    if (QueryFormat7(0, &answer) == 0) EnableControl(IDC_ENABLE_FORMAT7, false);
    FillResolutionList();
    FillConversionList();
    return S_OK;
}

// Resolutions of the standard capabilities, each once, newest first.
void CZKVStreamingConfigPage::FillResolutionList() {
    CapabilityWalk capabilities(m_pIAMStreamConfig);
    CurrentVideoFormat current;
    bool hasCurrent = ReadCurrentFormat(m_pIAMStreamConfig, &current);

    capabilities.ForEach([&](const CapabilityView& cap) {
        if (IsFormat7MediaType(*cap.info)) return false;
        char text[kFormatNameSize];
        FormatResolutionText(cap.info->bmiHeader.biWidth, cap.info->bmiHeader.biHeight, text);
        if (FindExact(IDC_RESOLUTION, text) == CB_ERR) {
            SendToControl(IDC_RESOLUTION, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
        return false;
    });

    LRESULT index = hasCurrent ? FindExact(IDC_RESOLUTION, current.resolution) : CB_ERR;
    SendToControl(IDC_RESOLUTION, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
}

// The conversions the pin offers at the selected resolution, in its order.
void CZKVStreamingConfigPage::FillConversionList() {
    CapabilityWalk capabilities(m_pIAMStreamConfig);
    CurrentVideoFormat current;
    bool hasCurrent = ReadCurrentFormat(m_pIAMStreamConfig, &current);
    char resolution[kFormatNameSize];
    SelectedText(IDC_RESOLUTION, resolution);

    SendToControl(IDC_CONVERSION, CB_RESETCONTENT, 0, 0);
    capabilities.ForEach([&](const CapabilityView& cap) {
        if (IsFormat7MediaType(*cap.info)) return false;
        char text[kFormatNameSize];
        FormatResolutionText(cap.info->bmiHeader.biWidth, cap.info->bmiHeader.biHeight, text);
        if (std::strcmp(text, resolution) != 0) return false;
        // A subtype without a conversion name cannot be chosen by name: skip it.
        const char* name = ConversionNameByFourcc(cap.info->bmiHeader.biCompression);
        if (name != nullptr && FindExact(IDC_CONVERSION, name) == CB_ERR) {
            SendToControl(IDC_CONVERSION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
        return false;
    });
    SelectConversionOf(hasCurrent ? ConversionNameByFourcc(current.info.bmiHeader.biCompression)
                                  : nullptr);
}

void CZKVStreamingConfigPage::SelectConversionOf(const char* currentName) {
    LRESULT index = currentName != nullptr ? FindExact(IDC_CONVERSION, currentName) : CB_ERR;
    SendToControl(IDC_CONVERSION, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
}

// Commits the chosen standard format: the first standard capability with the
// selected resolution and conversion.
HRESULT CZKVStreamingConfigPage::OnDeactivate() {
    if (IsDlgButtonChecked(m_hwnd, IDC_ENABLE_FORMAT7) == BST_CHECKED) return S_OK;

    char resolution[kFormatNameSize];
    char conversion[kFormatNameSize];
    if (!SelectedText(IDC_RESOLUTION, resolution) || !SelectedText(IDC_CONVERSION, conversion)) {
        return S_OK;
    }
    CapabilityWalk capabilities(m_pIAMStreamConfig);
    capabilities.ForEach([&](const CapabilityView& cap) {
        // The lists name standard formats only; a Format 7 capability of the
        // same size and subtype would put the pin into Format 7 instead.
        if (IsFormat7MediaType(*cap.info)) return false;
        char text[kFormatNameSize];
        FormatResolutionText(cap.info->bmiHeader.biWidth, cap.info->bmiHeader.biHeight, text);
        const char* name = ConversionNameByFourcc(cap.info->bmiHeader.biCompression);
        if (std::strcmp(text, resolution) != 0 || name == nullptr ||
            std::strcmp(name, conversion) != 0) {
            return false;
        }
        m_pIAMStreamConfig->SetFormat(cap.mediaType);
        return true;
    });
    return S_OK;
}

HRESULT CZKVStreamingConfigPage::OnApplyChanges() {
    m_bDirty = FALSE;
    if (m_pPageSite != nullptr) m_pPageSite->OnStatusChange(PROPPAGESTATUS_CLEAN);
    return S_OK;
}

void CZKVStreamingConfigPage::SetDirty() {
    m_bDirty = TRUE;
    if (m_pPageSite != nullptr) m_pPageSite->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

INT_PTR CZKVStreamingConfigPage::OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam,
                                                  LPARAM lParam) {
    if (uMsg == WM_COMMAND) {
        int id = LOWORD(wParam);
        switch (HIWORD(wParam)) {
        case CBN_CLOSEUP:
            SetDirty();
            break;
        case BN_CLICKED:
            if (id == IDC_ENABLE_FORMAT7) OnFormat7Toggled();
            else if (id == IDC_APPLY_FORMAT7) ApplyFormat7Settings();
            else if (id == IDC_GET_BUFFER_SIZE) OnGetBufferSize();
            else if (id == IDC_SET_BUFFER_SIZE) OnSetBufferSize();
            break;
        case CBN_SELCHANGE:
            if (id == IDC_RESOLUTION) {
                FillConversionList();
                SetDirty();
            } else if (id == IDC_PIXEL_FORMAT) {
                OnPixelFormatChanged();
            } else if (id == IDC_FORMAT7_MODE) {
                OnModeChanged();
            }
            break;
        default:
            break;
        }
    }
    return CBasePropertyPage::OnReceiveMessage(hwnd, uMsg, wParam, lParam);
}

void CZKVStreamingConfigPage::OnGetBufferSize() {
    ULONG count = 0;
    HRESULT hr = m_pInterface != nullptr ? m_pInterface->GetBufferCount(&count) : E_NOINTERFACE;
    if (FAILED(hr)) {
        ShowMessage(nullptr, "Could not get buffer size.", "Error");
        return;
    }
    m_nBuffers = count;
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(m_nBuffers));
    SetDlgItemTextA(m_hwnd, IDC_BUFFER_COUNT, text);
}

void CZKVStreamingConfigPage::OnSetBufferSize() {
    char text[9] = {};
    GetDlgItemTextA(m_hwnd, IDC_BUFFER_COUNT, text, sizeof text);
    m_nBuffers = static_cast<ULONG>(std::atoi(text));
    HRESULT hr = m_pInterface != nullptr ? m_pInterface->SetBufferCount(m_nBuffers) : E_NOINTERFACE;
    if (FAILED(hr)) {
        ShowMessage(nullptr, "Could not set buffer size.", "Error");
        return;
    }
    char message[128];
    std::snprintf(message, sizeof message,
                  "Buffers successfully set to %lu. Changes will take effect when this dialog is "
                  "closed.",
                  static_cast<unsigned long>(m_nBuffers));
    ShowMessage(nullptr, message, "Success");
}

ULONG CZKVStreamingConfigPage::ReadRegister(ULONG address) {
    ULONG value = 0;
    if (m_pInterface == nullptr || FAILED(m_pInterface->GetRegister(address, &value))) return 0;
    return value;
}

// The availability field of the mode's answer; a failed query is answered by
// nothing, so it counts as 0 and `answer` stays zeroed but for the mode.
ULONG CZKVStreamingConfigPage::QueryFormat7(ULONG mode, Format7Request* answer) {
    std::memset(answer, 0, sizeof *answer);
    answer->mode = mode;
    if (m_pInterface == nullptr || FAILED(m_pInterface->GetFormat7(answer))) {
        std::memset(answer, 0, sizeof *answer);
        answer->mode = mode;
        return 0;
    }
    return answer->modeAvailable;
}

LRESULT CZKVStreamingConfigPage::SendToControl(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(m_hwnd, id, message, wParam, lParam);
}

// The selected entry's text; empty (and false) when nothing is selected or the
// entry would not fit the page's 32-byte buffer.
bool CZKVStreamingConfigPage::SelectedText(int id, char (&text)[kFormatNameSize]) {
    text[0] = '\0';
    LRESULT index = SendToControl(id, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return false;
    LRESULT length = SendToControl(id, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length >= static_cast<LRESULT>(kFormatNameSize)) return false;
    if (SendToControl(id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text)) == CB_ERR) {
        text[0] = '\0';
        return false;
    }
    return true;
}

LRESULT CZKVStreamingConfigPage::FindExact(int id, const char* text) {
    return SendToControl(id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(text));
}

void CZKVStreamingConfigPage::SelectExact(int id, const char* text) {
    SendToControl(id, CB_SETCURSEL, text != nullptr ? FindExact(id, text) : CB_ERR, 0);
}

void CZKVStreamingConfigPage::EnableControl(int id, bool enable) {
    EnableWindow(GetDlgItem(m_hwnd, id), enable ? TRUE : FALSE);
}
