#include "ZKVCameraControlPage.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <new>

#include "CameraControlPageIds.h"
#include "ComboItems.h"
#include "ZKVRegisterFields.h"
#include "ZKVRegisters.h"

namespace {

namespace R = zkv::CameraRegister;
using zkv::AddItem;
using zkv::GetField;
using zkv::SelectedValue;
using zkv::SelectValue;
using zkv::SetField;

constexpr HRESULT kNoObject = static_cast<HRESULT>(0x80040202);
constexpr UINT kRefreshTimerId = 0;
constexpr UINT kRefreshPeriodMs = 500;
// A one-push adjustment that is still busy after this many ticks has failed.
constexpr int kOnePushTimeoutTicks = 20;
constexpr int kIdle = -1;

// The features that may offer one-push adjustment, in the order of their
// buttons (IDC_ONE_PUSH_BUTTON_FIRST + index).
struct OnePushFeature {
    const char* name;  // as the messages name it
    ULONG control;
    bool twoValues;    // white balance: blue (U) in High_Value, red (V) in Value
};
constexpr OnePushFeature kOnePushFeatures[] = {
    {"white balance", R::WHITE_BALANCE, true}, {"auto exposure", R::AUTO_EXPOSURE, false},
    {"shutter", R::SHUTTER, false},            {"gain", R::GAIN, false},
    {"brightness", R::BRIGHTNESS, false},      {"sharpness", R::SHARPNESS, false},
    {"gamma", R::GAMMA, false},                {"iris", R::IRIS, false},
    {"focus", R::FOCUS, false},
};
constexpr int kOnePushFeatureCount = sizeof kOnePushFeatures / sizeof kOnePushFeatures[0];
static_assert(kOnePushFeatureCount == 9, "one button and status text per feature in dialog 102");

// Trigger modes that take the Parameter field: 2 (every n-th edge), 3 (the
// cycle time), 4 (the exposure count), 5 (the pulse count) and 15 (vendor).
bool ModeTakesParameter(ULONG mode) {
    return mode == 2 || mode == 3 || mode == 4 || mode == 5 || mode == 15;
}

constexpr ULONG kParameterMax = 4095;
constexpr ULONG kMultiShotMax = 65535;

struct ListItem {
    const char* text;
    ULONG value;
};
constexpr ListItem kPolarities[] = {{"Low active", 0}, {"High active", 1}};

// A number typed into an edit field, or false when it is not one in 0..max.
bool ReadNumber(HWND edit, ULONG max, ULONG* value) {
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    char* end = nullptr;
    const unsigned long n = std::strtoul(text, &end, 10);
    if (end == text || *end != '\0' || n > max) return false;
    *value = static_cast<ULONG>(n);
    return true;
}

// The capture pin's frame counters: the first output pin of the filter that
// offers IAMDroppedFrames, passing over pins of another category.
IAMDroppedFrames* FindDroppedFrames(IUnknown* object) {
    IBaseFilter* filter = nullptr;
    if (FAILED(object->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter)))) return nullptr;
    IEnumPins* pins = nullptr;
    IAMDroppedFrames* found = nullptr;
    if (SUCCEEDED(filter->EnumPins(&pins))) {
        IPin* pin = nullptr;
        while (found == nullptr && pins->Next(1, &pin, nullptr) == S_OK) {
            PIN_DIRECTION direction;
            bool capture = SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT;
            IKsPropertySet* properties = nullptr;
            if (capture && SUCCEEDED(pin->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&properties)))) {
                GUID category = GUID_NULL;
                DWORD returned = 0;
                if (SUCCEEDED(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                                              sizeof category, &returned)) &&
                    returned == sizeof category && category != PIN_CATEGORY_CAPTURE)
                    capture = false;
                properties->Release();
            }
            if (capture && FAILED(pin->QueryInterface(IID_IAMDroppedFrames, reinterpret_cast<void**>(&found))))
                found = nullptr;
            pin->Release();
        }
        pins->Release();
    }
    filter->Release();
    return found;
}

}  // namespace

CUnknown* WINAPI CZKVCameraControlPage::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) {
    CUnknown* page = new (std::nothrow) CZKVCameraControlPage(pUnk);
    if (page == nullptr && phr != nullptr) *phr = E_OUTOFMEMORY;
    return page;
}

CZKVCameraControlPage::CZKVCameraControlPage(LPUNKNOWN pUnk)
    : CBasePropertyPage(TEXT("ZKV Camera Control"), pUnk, IDD_CAMERA_CONTROL, IDS_CAMERA_CONTROL_TITLE),
      m_pInterface(nullptr),
      m_pIAMDroppedFrames(nullptr),
      m_TimerId(kRefreshTimerId),
      m_TimerPeriod(kRefreshPeriodMs),
      m_TriggerInquiry(0),
      m_TriggerMode(0),
      m_ChannelCount(0),
      m_RateFrames(0),
      m_RateTick(0),
      m_LastCaptured(0) {
    for (int& polls : m_OnePushPolls) polls = kIdle;
}

HRESULT CZKVCameraControlPage::OnConnect(IUnknown* pUnknown) {
    if (pUnknown == nullptr) return kNoObject;
    OnDisconnect();  // a new object replaces the one connected before
    HRESULT hr = pUnknown->QueryInterface(IID_IZKVInterface, reinterpret_cast<void**>(&m_pInterface));
    if (FAILED(hr)) {
        m_pInterface = nullptr;
        MessageBoxA(nullptr, "invalid m_pInterface", "ERROR", MB_OK);
        return hr;
    }
    // Without frame counters the page still works; its statistics say so.
    m_pIAMDroppedFrames = FindDroppedFrames(pUnknown);
    return S_OK;
}

HRESULT CZKVCameraControlPage::OnDisconnect() {
    if (m_pIAMDroppedFrames != nullptr) {
        m_pIAMDroppedFrames->Release();
        m_pIAMDroppedFrames = nullptr;
    }
    if (m_pInterface != nullptr) {
        m_pInterface->Release();
        m_pInterface = nullptr;
    }
    return S_OK;
}

HRESULT CZKVCameraControlPage::OnActivate() {
    SetDlgItemTextA(m_hwnd, IDC_MULTI_SHOT_COUNT, "10");
    SetupTriggerGroup();
    SetupOnePushGroup();
    SetupChannelGroup();
    m_RateTick = 0;
    RefreshStatistics();
    m_TimerId = kRefreshTimerId;
    m_TimerPeriod = kRefreshPeriodMs;
    SetTimer(m_hwnd, m_TimerId, m_TimerPeriod, nullptr);
    return S_OK;
}

HRESULT CZKVCameraControlPage::OnDeactivate() {
    KillTimer(m_hwnd, m_TimerId);
    return S_OK;
}

HRESULT CZKVCameraControlPage::OnApplyChanges() {
    m_bDirty = FALSE;
    if (m_pPageSite != nullptr) m_pPageSite->OnStatusChange(PROPPAGESTATUS_CLEAN);
    return S_OK;
}

INT_PTR CZKVCameraControlPage::OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_TIMER:
        PollOnePush();
        RefreshStatistics();
        break;
    default:
        break;
    }
    return CBasePropertyPage::OnReceiveMessage(hwnd, uMsg, wParam, lParam);
}

void CZKVCameraControlPage::OnCommand(int id, int notification) {
    if (m_bReporting) return;
    if (notification == CBN_SELCHANGE) {
        if (id == IDC_CHANNEL)
            ShowSelectedChannel();
        else
            OnTriggerControlChanged(id);
        return;
    }
    if (notification != BN_CLICKED) return;
    if (id >= IDC_ONE_PUSH_BUTTON_FIRST && id < IDC_ONE_PUSH_BUTTON_FIRST + kOnePushFeatureCount) {
        OnOnePushClicked(id - IDC_ONE_PUSH_BUTTON_FIRST);
        return;
    }
    switch (id) {
    case IDC_TRIGGER_ONOFF: OnTriggerControlChanged(id); break;
    case IDC_TRIGGER_PARAMETER_SET: OnTriggerParameterSet(); break;
    case IDC_SOFTWARE_TRIGGER: OnSoftwareTrigger(); break;
    case IDC_ONE_SHOT: OnOneShot(false); break;
    case IDC_MULTI_SHOT: OnOneShot(true); break;
    case IDC_SAVE_CHANNEL: OnSaveChannel(); break;
    case IDC_LOAD_CHANNEL: OnLoadChannel(SelectedChannel()); break;
    case IDC_FACTORY_SETTINGS: OnLoadChannel(0); break;
    default: break;
    }
}

// ---- Camera access -------------------------------------------------------

HRESULT CZKVCameraControlPage::GetRegister(ULONG address, ULONG* value) {
    if (m_pInterface == nullptr) return E_UNEXPECTED;
    return m_pInterface->GetRegister(address, value);
}

HRESULT CZKVCameraControlPage::SetRegister(ULONG address, ULONG value) {
    if (m_pInterface == nullptr) return E_UNEXPECTED;
    return m_pInterface->SetRegister(address, value);
}

// "Could not <action>. hr=0x<hr>", as every failed request of the page says.
void CZKVCameraControlPage::ShowFailure(const char* action, HRESULT hr) {
    char text[160];
    std::snprintf(text, sizeof text, "Could not %s. hr=0x%x", action, static_cast<unsigned>(hr));
    m_bReporting = true;
    MessageBoxA(nullptr, text, "Error", MB_OK);
    m_bReporting = false;
}

void CZKVCameraControlPage::EnableControl(int id, bool enable) {
    EnableWindow(GetDlgItem(m_hwnd, id), enable ? TRUE : FALSE);
}

// ---- Trigger ---------------------------------------------------------------

void CZKVCameraControlPage::SetupTriggerGroup() {
    m_TriggerInquiry = 0;
    m_TriggerMode = 0;
    ULONG inquiry = 0;
    HRESULT hr = GetRegister(R::TRIGGER_INQ, &inquiry);
    if (FAILED(hr)) {
        ShowFailure("read the trigger inquiry", hr);
    } else if (GetField(inquiry, zkv::TriggerInq::Presence)) {
        hr = GetRegister(R::TRIGGER_MODE, &m_TriggerMode);
        if (FAILED(hr)) {
            // A trigger whose set-up cannot be read is not offered.
            m_TriggerMode = 0;
            ShowFailure("read the trigger mode", hr);
        } else {
            m_TriggerInquiry = inquiry;
        }
    }
    FillTriggerLists();
    ShowTriggerMode();
}

// The modes and sources the inquiry offers; the inquiry's bit fields name
// mode or source 0 in their most significant bit.
void CZKVCameraControlPage::FillTriggerLists() {
    HWND modes = GetDlgItem(m_hwnd, IDC_TRIGGER_MODE);
    HWND sources = GetDlgItem(m_hwnd, IDC_TRIGGER_SOURCE);
    HWND polarities = GetDlgItem(m_hwnd, IDC_TRIGGER_POLARITY);
    for (HWND combo : {modes, sources, polarities}) SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const ULONG offeredModes = GetField(m_TriggerInquiry, zkv::TriggerInq::Modes);
    const ULONG offeredSources = GetField(m_TriggerInquiry, zkv::TriggerInq::Sources);
    char text[32];
    for (ULONG mode = 0; mode < 16; ++mode) {
        if (!(offeredModes & (0x8000u >> mode))) continue;
        std::snprintf(text, sizeof text, "Mode %lu", mode);
        AddItem(modes, text, mode);
    }
    for (ULONG source = 0; source < 4; ++source) {
        if (!(offeredSources & (0x8u >> source))) continue;
        std::snprintf(text, sizeof text, "Source %lu", source);
        AddItem(sources, text, source);
    }
    if (GetField(m_TriggerInquiry, zkv::TriggerInq::SoftwareTrigger))
        AddItem(sources, "Software", zkv::TriggerMode::kSoftwareSource);
    if (GetField(m_TriggerInquiry, zkv::TriggerInq::Polarity))
        for (const ListItem& item : kPolarities) AddItem(polarities, item.text, item.value);
}

// Shows m_TriggerMode and enables what the inquiry offers for it.
void CZKVCameraControlPage::ShowTriggerMode() {
    const ULONG inq = m_TriggerInquiry;
    const bool present = GetField(inq, zkv::TriggerInq::Presence) != 0;
    const bool on = present && GetField(m_TriggerMode, zkv::TriggerMode::OnOff) != 0;
    const ULONG mode = GetField(m_TriggerMode, zkv::TriggerMode::Mode);
    const ULONG source = GetField(m_TriggerMode, zkv::TriggerMode::Source);

    EnableControl(IDC_TRIGGER_GROUP, present);
    EnableControl(IDC_TRIGGER_ONOFF, present && GetField(inq, zkv::TriggerInq::OnOff));
    CheckDlgButton(m_hwnd, IDC_TRIGGER_ONOFF, on ? BST_CHECKED : BST_UNCHECKED);
    const struct {
        int id;
        ULONG value;
    } lists[] = {{IDC_TRIGGER_MODE, mode},
                 {IDC_TRIGGER_POLARITY, GetField(m_TriggerMode, zkv::TriggerMode::Polarity)},
                 {IDC_TRIGGER_SOURCE, source}};
    for (const auto& list : lists) {
        HWND combo = GetDlgItem(m_hwnd, list.id);
        SelectValue(combo, list.value);
        EnableControl(list.id, present && SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0);
    }
    const bool parameter = present && ModeTakesParameter(mode);
    SetDlgItemInt(m_hwnd, IDC_TRIGGER_PARAMETER, GetField(m_TriggerMode, zkv::TriggerMode::Parameter), FALSE);
    EnableControl(IDC_TRIGGER_PARAMETER, parameter);
    EnableControl(IDC_TRIGGER_PARAMETER_SET, parameter);
    // A software trigger is taken only by a trigger that is on with the software source.
    EnableControl(IDC_SOFTWARE_TRIGGER, on && GetField(inq, zkv::TriggerInq::SoftwareTrigger) &&
                                            source == zkv::TriggerMode::kSoftwareSource);
    // One-shot and multi-shot are for a free-running camera.
    const bool freeRunning = m_pInterface != nullptr && !on;
    for (int id : {IDC_ONE_SHOT, IDC_MULTI_SHOT, IDC_MULTI_SHOT_COUNT}) EnableControl(id, freeRunning);
}

void CZKVCameraControlPage::WriteTriggerMode(ULONG value) {
    const HRESULT hr = SetRegister(R::TRIGGER_MODE, value);
    if (SUCCEEDED(hr))
        m_TriggerMode = value;
    else
        ShowFailure("set the trigger mode", hr);
    // After a failure the controls return to the set-up the camera keeps.
    ShowTriggerMode();
}

void CZKVCameraControlPage::OnTriggerControlChanged(int id) {
    if (!GetField(m_TriggerInquiry, zkv::TriggerInq::Presence)) return;
    ULONG value = 0;
    switch (id) {
    case IDC_TRIGGER_ONOFF:
        WriteTriggerMode(SetField(m_TriggerMode, zkv::TriggerMode::OnOff,
                                  IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED));
        break;
    case IDC_TRIGGER_MODE:
        if (SelectedValue(GetDlgItem(m_hwnd, id), &value))
            WriteTriggerMode(SetField(m_TriggerMode, zkv::TriggerMode::Mode, value));
        break;
    case IDC_TRIGGER_POLARITY:
        if (SelectedValue(GetDlgItem(m_hwnd, id), &value))
            WriteTriggerMode(SetField(m_TriggerMode, zkv::TriggerMode::Polarity, value));
        break;
    case IDC_TRIGGER_SOURCE:
        if (SelectedValue(GetDlgItem(m_hwnd, id), &value))
            WriteTriggerMode(SetField(m_TriggerMode, zkv::TriggerMode::Source, value));
        break;
    default:
        break;
    }
}

void CZKVCameraControlPage::OnTriggerParameterSet() {
    ULONG parameter = 0;
    if (!ReadNumber(GetDlgItem(m_hwnd, IDC_TRIGGER_PARAMETER), kParameterMax, &parameter)) {
        MessageBoxA(nullptr, "The trigger parameter is a number from 0 to 4095.", "Error", MB_OK);
        return;
    }
    WriteTriggerMode(SetField(m_TriggerMode, zkv::TriggerMode::Parameter, parameter));
}

void CZKVCameraControlPage::OnSoftwareTrigger() {
    const HRESULT hr = SetRegister(R::SOFTWARE_TRIGGER, SetField(0, zkv::SoftwareTrigger::Fire, 1));
    if (FAILED(hr)) ShowFailure("fire the software trigger", hr);
}

void CZKVCameraControlPage::OnOneShot(bool multi) {
    ULONG value = SetField(0, zkv::OneShot::One, 1);
    if (multi) {
        ULONG count = 0;
        if (!ReadNumber(GetDlgItem(m_hwnd, IDC_MULTI_SHOT_COUNT), kMultiShotMax, &count) || count == 0) {
            MessageBoxA(nullptr, "The multi-shot frame count is a number from 1 to 65535.", "Error", MB_OK);
            return;
        }
        value = SetField(SetField(0, zkv::OneShot::Multi, 1), zkv::OneShot::Count, count);
    }
    const HRESULT hr = SetRegister(R::ONE_SHOT, value);
    if (FAILED(hr)) ShowFailure(multi ? "start the multi-shot" : "start the one-shot", hr);
}

// ---- One-push --------------------------------------------------------------

void CZKVCameraControlPage::SetupOnePushGroup() {
    bool any = false;
    for (int i = 0; i < kOnePushFeatureCount; ++i) {
        const OnePushFeature& feature = kOnePushFeatures[i];
        const int status = IDC_ONE_PUSH_STATUS_FIRST + i;
        m_OnePushPolls[i] = kIdle;
        SetDlgItemTextA(m_hwnd, status, "");
        ULONG inq = 0;
        ULONG ctl = 0;
        bool offered = false;
        HRESULT hr = GetRegister(feature.control - zkv::kFeatureInquiryDistance, &inq);
        if (FAILED(hr)) {
            char action[64];
            std::snprintf(action, sizeof action, "read the %s inquiry", feature.name);
            ShowFailure(action, hr);
        } else if ((inq & zkv::kPresenceInq) && (inq & zkv::kOnePushInq)) {
            hr = GetRegister(feature.control, &ctl);
            if (FAILED(hr)) {
                char action[64];
                std::snprintf(action, sizeof action, "read the %s register", feature.name);
                ShowFailure(action, hr);
            } else {
                offered = true;
            }
        }
        any |= offered;
        EnableControl(IDC_ONE_PUSH_BUTTON_FIRST + i, offered);
        EnableControl(status, offered);
        if (!offered) continue;
        if (ctl & zkv::kOnePush) {
            // An adjustment already running: watch it as if the page had started it.
            m_OnePushPolls[i] = 0;
            SetDlgItemTextA(m_hwnd, status, "busy");
            EnableControl(IDC_ONE_PUSH_BUTTON_FIRST + i, false);
        } else {
            ShowFeatureValue(i, ctl);
        }
    }
    EnableControl(IDC_ONE_PUSH_GROUP, any);
}

void CZKVCameraControlPage::ShowFeatureValue(int index, ULONG control) {
    char text[32];
    const ULONG low = control & zkv::kValueLow;
    if (kOnePushFeatures[index].twoValues)
        std::snprintf(text, sizeof text, "%lu/%lu", (control & zkv::kValueHigh) >> zkv::kValueHighShift, low);
    else
        std::snprintf(text, sizeof text, "%lu", low);
    SetDlgItemTextA(m_hwnd, IDC_ONE_PUSH_STATUS_FIRST + index, text);
}

void CZKVCameraControlPage::OnOnePushClicked(int index) {
    const OnePushFeature& feature = kOnePushFeatures[index];
    char action[64];
    ULONG ctl = 0;
    HRESULT hr = GetRegister(feature.control, &ctl);
    if (FAILED(hr)) {
        std::snprintf(action, sizeof action, "read the %s register", feature.name);
        ShowFailure(action, hr);
        return;
    }
    hr = SetRegister(feature.control, ctl | zkv::kOnePush);
    if (FAILED(hr)) {
        std::snprintf(action, sizeof action, "start one-push %s", feature.name);
        ShowFailure(action, hr);
        return;
    }
    m_OnePushPolls[index] = 0;
    SetDlgItemTextA(m_hwnd, IDC_ONE_PUSH_STATUS_FIRST + index, "busy");
    EnableControl(IDC_ONE_PUSH_BUTTON_FIRST + index, false);
}

// Each tick looks at the busy features: done when the camera has cleared
// One_Push, failed when it has not within the time-out. A read that fails
// counts as a tick without news.
void CZKVCameraControlPage::PollOnePush() {
    for (int i = 0; i < kOnePushFeatureCount; ++i) {
        if (m_OnePushPolls[i] == kIdle) continue;
        ULONG ctl = 0;
        const bool read = SUCCEEDED(GetRegister(kOnePushFeatures[i].control, &ctl));
        if (read && !(ctl & zkv::kOnePush)) {
            m_OnePushPolls[i] = kIdle;
            ShowFeatureValue(i, ctl);
            EnableControl(IDC_ONE_PUSH_BUTTON_FIRST + i, true);
            continue;
        }
        if (++m_OnePushPolls[i] < kOnePushTimeoutTicks) continue;
        m_OnePushPolls[i] = kIdle;
        SetDlgItemTextA(m_hwnd, IDC_ONE_PUSH_STATUS_FIRST + i, "timed out");
        EnableControl(IDC_ONE_PUSH_BUTTON_FIRST + i, true);
        char text[96];
        std::snprintf(text, sizeof text, "One-push %s did not finish in time.", kOnePushFeatures[i].name);
        MessageBoxA(nullptr, text, "Error", MB_OK);
    }
}

// ---- Statistics ------------------------------------------------------------

// The counts restart when the graph runs again; the frame rate is measured
// over the counts the page has seen since then.
void CZKVCameraControlPage::RefreshStatistics() {
    long captured = 0;
    long dropped = 0;
    if (m_pIAMDroppedFrames == nullptr || FAILED(m_pIAMDroppedFrames->GetNumNotDropped(&captured)) ||
        FAILED(m_pIAMDroppedFrames->GetNumDropped(&dropped))) {
        for (int id : {IDC_FRAMES_CAPTURED, IDC_FRAMES_DROPPED, IDC_FRAME_RATE})
            SetDlgItemTextA(m_hwnd, id, "not available");
        m_RateTick = 0;
        return;
    }
    const DWORD now = GetTickCount();
    if (m_RateTick == 0 || captured < m_LastCaptured || captured == 0) {
        m_RateTick = now == 0 ? 1 : now;
        m_RateFrames = captured;
    }
    m_LastCaptured = captured;
    char text[32];
    SetDlgItemInt(m_hwnd, IDC_FRAMES_CAPTURED, static_cast<UINT>(captured), FALSE);
    SetDlgItemInt(m_hwnd, IDC_FRAMES_DROPPED, static_cast<UINT>(dropped), FALSE);
    const DWORD elapsed = now - m_RateTick;
    if (elapsed >= kRefreshPeriodMs && captured > m_RateFrames)
        std::snprintf(text, sizeof text, "%.2f fps", (captured - m_RateFrames) * 1000.0 / elapsed);
    else
        std::snprintf(text, sizeof text, "-");
    SetDlgItemTextA(m_hwnd, IDC_FRAME_RATE, text);
}
