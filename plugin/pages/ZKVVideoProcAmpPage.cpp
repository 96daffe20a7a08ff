#include "ZKVVideoProcAmpPage.h"

#include <commctrl.h>
#include <initializer_list>
#include <new>

#include "FeatureTable.h"
#include "IeeeFloat.h"
#include "VideoProcAmpPageIds.h"

namespace {

// The rows in the order in which they are set up and refreshed.
constexpr ZKVFeatureRow kRows[] = {
    {zkv::kFeatureBrightness, IDC_BRIGHTNESS_SLIDER, IDC_BRIGHTNESS_TEXT, IDC_BRIGHTNESS_LABEL,
     IDC_BRIGHTNESS_AUTO, IDC_BRIGHTNESS_ONOFF, false, IDC_BRIGHTNESS_AUTO, IDC_BRIGHTNESS_ONOFF},
    {zkv::kFeatureHue, IDC_HUE_SLIDER, IDC_HUE_TEXT, IDC_HUE_LABEL, IDC_HUE_AUTO, IDC_HUE_ONOFF,
     false, IDC_HUE_AUTO, IDC_HUE_ONOFF},
    {zkv::kFeatureSaturation, IDC_SATURATION_SLIDER, IDC_SATURATION_TEXT, IDC_SATURATION_LABEL,
     IDC_SATURATION_AUTO, IDC_SATURATION_ONOFF, false, IDC_SATURATION_AUTO, IDC_SATURATION_ONOFF},
    {zkv::kFeatureGamma, IDC_GAMMA_SLIDER, IDC_GAMMA_TEXT, IDC_GAMMA_LABEL, IDC_GAMMA_AUTO,
     IDC_GAMMA_ONOFF, false, IDC_GAMMA_AUTO, IDC_GAMMA_ONOFF},
    {zkv::kFeatureGain, IDC_GAIN_SLIDER, IDC_GAIN_TEXT, IDC_GAIN_LABEL, IDC_GAIN_AUTO,
     IDC_GAIN_ONOFF, false, IDC_GAIN_AUTO, IDC_GAIN_ONOFF},
    {zkv::kFeatureShutter, IDC_SHUTTER_SLIDER, IDC_SHUTTER_TEXT, IDC_SHUTTER_LABEL,
     IDC_SHUTTER_AUTO, IDC_SHUTTER_ONOFF, false, IDC_SHUTTER_AUTO, IDC_SHUTTER_ONOFF},
    {zkv::kFeatureSharpness, IDC_SHARPNESS_SLIDER, IDC_SHARPNESS_TEXT, IDC_SHARPNESS_LABEL,
     IDC_SHARPNESS_AUTO, IDC_SHARPNESS_ONOFF, false, IDC_SHARPNESS_AUTO, IDC_SHARPNESS_ONOFF},
    {zkv::kFeatureWhiteBalance, IDC_WB_RED_SLIDER, IDC_WB_RED_TEXT, IDC_WB_RED_LABEL, IDC_WB_AUTO,
     IDC_WB_ONOFF, false, IDC_WB_AUTO, IDC_WB_ONOFF},
    {zkv::kFeatureWhiteBalance, IDC_WB_BLUE_SLIDER, IDC_WB_BLUE_TEXT, IDC_WB_BLUE_LABEL, 0, 0,
     true, IDC_WB_AUTO, IDC_WB_ONOFF},
};

// What the feature sliders, Auto boxes and On/Off boxes act on, by control id.
struct SliderAction {
    int slider;
    long code;
    int text;
};
constexpr SliderAction kSliderActions[] = {
    {IDC_BRIGHTNESS_SLIDER, zkv::kFeatureBrightness, IDC_BRIGHTNESS_TEXT},
    {IDC_HUE_SLIDER, zkv::kFeatureHue, IDC_HUE_TEXT},
    {IDC_SATURATION_SLIDER, zkv::kFeatureSaturation, IDC_SATURATION_TEXT},
    {IDC_GAMMA_SLIDER, zkv::kFeatureGamma, IDC_GAMMA_TEXT},
    {IDC_GAIN_SLIDER, zkv::kFeatureGain, IDC_GAIN_TEXT},
    {IDC_SHUTTER_SLIDER, zkv::kFeatureShutter, IDC_SHUTTER_TEXT},
    {IDC_SHARPNESS_SLIDER, zkv::kFeatureSharpness, IDC_SHARPNESS_TEXT},
};

// A box click runs its action once per listed target (white balance: both rows).
struct BoxAction {
    int box;
    bool isAuto;
    long code;
    int slider[2];
    int other[2];  // Auto: the value text; On/Off: the Auto box
};
constexpr BoxAction kBoxActions[] = {
    {IDC_BRIGHTNESS_AUTO, true, zkv::kFeatureBrightness, {IDC_BRIGHTNESS_SLIDER}, {IDC_BRIGHTNESS_TEXT}},
    {IDC_HUE_AUTO, true, zkv::kFeatureHue, {IDC_HUE_SLIDER}, {IDC_HUE_TEXT}},
    {IDC_SATURATION_AUTO, true, zkv::kFeatureSaturation, {IDC_SATURATION_SLIDER}, {IDC_SATURATION_TEXT}},
    {IDC_SHARPNESS_AUTO, true, zkv::kFeatureSharpness, {IDC_SHARPNESS_SLIDER}, {IDC_SHARPNESS_TEXT}},
    {IDC_GAMMA_AUTO, true, zkv::kFeatureGamma, {IDC_GAMMA_SLIDER}, {IDC_GAMMA_TEXT}},
    {IDC_GAIN_AUTO, true, zkv::kFeatureGain, {IDC_GAIN_SLIDER}, {IDC_GAIN_TEXT}},
    {IDC_SHUTTER_AUTO, true, zkv::kFeatureShutter, {IDC_SHUTTER_SLIDER}, {IDC_SHUTTER_TEXT}},
    {IDC_WB_AUTO, true, zkv::kFeatureWhiteBalance, {IDC_WB_RED_SLIDER, IDC_WB_BLUE_SLIDER},
     {IDC_WB_RED_TEXT, IDC_WB_BLUE_TEXT}},
    {IDC_BRIGHTNESS_ONOFF, false, zkv::kFeatureBrightness, {IDC_BRIGHTNESS_SLIDER}, {IDC_BRIGHTNESS_AUTO}},
    {IDC_HUE_ONOFF, false, zkv::kFeatureHue, {IDC_HUE_SLIDER}, {IDC_HUE_AUTO}},
    {IDC_SATURATION_ONOFF, false, zkv::kFeatureSaturation, {IDC_SATURATION_SLIDER}, {IDC_SATURATION_AUTO}},
    {IDC_SHARPNESS_ONOFF, false, zkv::kFeatureSharpness, {IDC_SHARPNESS_SLIDER}, {IDC_SHARPNESS_AUTO}},
    {IDC_GAMMA_ONOFF, false, zkv::kFeatureGamma, {IDC_GAMMA_SLIDER}, {IDC_GAMMA_AUTO}},
    {IDC_GAIN_ONOFF, false, zkv::kFeatureGain, {IDC_GAIN_SLIDER}, {IDC_GAIN_AUTO}},
    {IDC_SHUTTER_ONOFF, false, zkv::kFeatureShutter, {IDC_SHUTTER_SLIDER}, {IDC_SHUTTER_AUTO}},
    {IDC_WB_ONOFF, false, zkv::kFeatureWhiteBalance, {IDC_WB_RED_SLIDER, IDC_WB_BLUE_SLIDER},
     {IDC_WB_AUTO, IDC_WB_AUTO}},
};

constexpr HRESULT kNoObject = static_cast<HRESULT>(0x80040202);
constexpr UINT kRefreshTimerId = 0;
constexpr UINT kRefreshPeriodMs = 500;

long RowValue(long value, bool high) {
    return high ? (value >> zkv::kValueHighShift) & zkv::kValueLow : value & zkv::kValueLow;
}

}  // namespace

CUnknown* WINAPI CZKVVideoProcAmpPage::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) {
    CUnknown* page = new (std::nothrow) CZKVVideoProcAmpPage(pUnk);
    if (page == nullptr && phr != nullptr) *phr = E_OUTOFMEMORY;
    return page;
}

CZKVVideoProcAmpPage::CZKVVideoProcAmpPage(LPUNKNOWN pUnk)
    : CBasePropertyPage(TEXT("ZKV Video Proc Amp"), pUnk, IDD_VIDEO_PROC_AMP, IDS_VIDEO_PROC_AMP_TITLE),
      m_pInterface(nullptr),
      m_RegisterAddress(0),
      m_RegisterValue(0),
      m_pIAMVideoProcAmp(nullptr),
      m_TimerId(kRefreshTimerId),
      m_TimerPeriod(kRefreshPeriodMs),
      m_bAbsoluteMode(true) {
    // The dialog's sliders are trackbars.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

HRESULT CZKVVideoProcAmpPage::OnConnect(IUnknown* pUnknown) {
    if (pUnknown == nullptr) return kNoObject;
    OnDisconnect();  // a new object replaces the one connected before
    HRESULT hr = pUnknown->QueryInterface(IID_IAMVideoProcAmp, reinterpret_cast<void**>(&m_pIAMVideoProcAmp));
    if (FAILED(hr)) {
        m_pIAMVideoProcAmp = nullptr;
        ShowError("Prop m_pIAMVideoProcAmp failed", "NO Error");
        return hr;
    }
    hr = pUnknown->QueryInterface(IID_IZKVInterface, reinterpret_cast<void**>(&m_pInterface));
    if (FAILED(hr)) {
        m_pInterface = nullptr;
        ShowError("invalid m_pInterface", "ERROR");
        return hr;
    }
    return S_OK;
}

HRESULT CZKVVideoProcAmpPage::OnDisconnect() {
    if (m_pInterface != nullptr) {
        m_pInterface->Release();
        m_pInterface = nullptr;
    }
    if (m_pIAMVideoProcAmp != nullptr) {
        m_pIAMVideoProcAmp->Release();
        m_pIAMVideoProcAmp = nullptr;
    }
    return S_OK;
}

HRESULT CZKVVideoProcAmpPage::OnActivate() {
    m_bAbsoluteMode = true;
    CheckDlgButton(m_hwnd, IDC_ABSOLUTE_MODE, BST_CHECKED);
    SetupAllRows();
    m_TimerId = kRefreshTimerId;
    m_TimerPeriod = kRefreshPeriodMs;
    SetTimer(m_hwnd, m_TimerId, m_TimerPeriod, nullptr);
    return S_OK;
}

HRESULT CZKVVideoProcAmpPage::OnDeactivate() {
    KillTimer(m_hwnd, m_TimerId);
    return S_OK;
}

HRESULT CZKVVideoProcAmpPage::OnApplyChanges() {
    m_bDirty = FALSE;
    if (m_pPageSite != nullptr) m_pPageSite->OnStatusChange(PROPPAGESTATUS_CLEAN);
    return S_OK;
}

INT_PTR CZKVVideoProcAmpPage::OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_HSCROLL:
        if (LOWORD(wParam) <= TB_ENDTRACK) OnSliderMoved(reinterpret_cast<HWND>(lParam));
        break;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int notification = HIWORD(wParam);
        if (!OnRegisterEditorCommand(id, notification) && notification == BN_CLICKED)
            OnCheckBoxClicked(id);
        break;
    }
    case WM_TIMER:
        RefreshAllRows();
        break;
    default:
        break;
    }
    return CBasePropertyPage::OnReceiveMessage(hwnd, uMsg, wParam, lParam);
}

// ---- Camera access -------------------------------------------------------

HRESULT CZKVVideoProcAmpPage::GetRegister(ULONG address, ULONG* value) {
    if (m_pInterface == nullptr) return E_UNEXPECTED;
    return m_pInterface->GetRegister(address, value);
}

HRESULT CZKVVideoProcAmpPage::SetRegister(ULONG address, ULONG value) {
    if (m_pInterface == nullptr) return E_UNEXPECTED;
    return m_pInterface->SetRegister(address, value);
}

HRESULT CZKVVideoProcAmpPage::ProcAmpGetRange(long code, long* min, long* max) {
    if (m_pIAMVideoProcAmp == nullptr) return E_UNEXPECTED;
    long step = 0, def = 0, caps = 0;
    return m_pIAMVideoProcAmp->GetRange(code, min, max, &step, &def, &caps);
}

HRESULT CZKVVideoProcAmpPage::ProcAmpGet(long code, long* value, long* flags) {
    if (m_pIAMVideoProcAmp == nullptr) return E_UNEXPECTED;
    return m_pIAMVideoProcAmp->Get(code, value, flags);
}

HRESULT CZKVVideoProcAmpPage::ProcAmpSet(long code, long value, long flags) {
    if (m_pIAMVideoProcAmp == nullptr) return E_UNEXPECTED;
    return m_pIAMVideoProcAmp->Set(code, value, flags);
}

void CZKVVideoProcAmpPage::ShowError(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

void CZKVVideoProcAmpPage::EnableControl(int id, bool enable) {
    EnableWindow(GetDlgItem(m_hwnd, id), enable ? TRUE : FALSE);
}

bool CZKVVideoProcAmpPage::ReadAbsoluteTriple(long code, float* min, float* max, float* value) {
    *min = *max = *value = 0.0f;
    const zkv::FeatureInfo* feature = zkv::FindFeature(code);
    if (feature == nullptr || feature->absFormat == nullptr) return false;
    const ULONG registers[3] = {feature->absMin, feature->absMax, feature->absVal};
    float* targets[3] = {min, max, value};
    for (int i = 0; i < 3; ++i) {
        ULONG bits = 0;
        if (FAILED(GetRegister(registers[i], &bits))) return false;
        *targets[i] = zkv::IeeeBitsToFloat(bits);
    }
    return true;
}

bool CZKVVideoProcAmpPage::WriteAbsoluteValue(long code, float value) {
    const zkv::FeatureInfo* feature = zkv::FindFeature(code);
    if (feature == nullptr || feature->absFormat == nullptr) return false;
    return SUCCEEDED(SetRegister(feature->absVal, zkv::FloatToIeeeBits(value)));
}

void CZKVVideoProcAmpPage::ShowAbsoluteValue(long code, int text, float value) {
    char buffer[zkv::kAbsoluteTextSize];
    zkv::FormatAbsoluteValue(code, buffer, value);
    SetDlgItemTextA(m_hwnd, text, buffer);
}

// ---- Row set-up and refresh ------------------------------------------------

bool CZKVVideoProcAmpPage::IsAbsoluteRow(long code, ULONG inquiry) const {
    return m_bAbsoluteMode && (inquiry & zkv::kAbsControlInq) && zkv::HasAbsoluteTriple(code);
}

void CZKVVideoProcAmpPage::SetupSlider(int slider, long min, long max, long position) {
    SendDlgItemMessageA(m_hwnd, slider, TBM_SETRANGE, TRUE, MAKELONG(min, max));
    SendDlgItemMessageA(m_hwnd, slider, TBM_SETPAGESIZE, 0, 1);
    SendDlgItemMessageA(m_hwnd, slider, TBM_SETPOS, TRUE, position);
}

void CZKVVideoProcAmpPage::SetupAllRows() {
    for (const ZKVFeatureRow& row : kRows) SetupFeatureRow(row);
}

void CZKVVideoProcAmpPage::SetupFeatureRow(const ZKVFeatureRow& row) {
    ULONG inq = 0;
    ULONG ctl = 0;
    if (FAILED(GetRegister(zkv::FeatureRegister(row.code, true), &inq)) ||
        FAILED(GetRegister(zkv::FeatureRegister(row.code, false), &ctl))) {
        ShowError("Could not get register.");
        return;
    }
    const bool hasBoxes = row.autoBox != 0 && row.onOffBox != 0;

    if (!(inq & zkv::kPresenceInq)) {
        EnableControl(row.slider, false);
        ShowWindow(GetDlgItem(m_hwnd, row.slider), SW_HIDE);
        EnableControl(row.label, false);
        EnableControl(row.text, false);
        SetDlgItemTextA(m_hwnd, row.text, "n/a");
        for (int box : {row.autoBox, row.onOffBox}) {
            if (box == 0) continue;
            EnableControl(box, false);
            ShowWindow(GetDlgItem(m_hwnd, box), SW_HIDE);
        }
        return;
    }

    const bool absolute = IsAbsoluteRow(row.code, inq);
    const bool on = (ctl & zkv::kOnOff) != 0;
    const bool manualInq = (inq & zkv::kManualInq) != 0;
    bool automatic;
    if (absolute) {
        float min, max, value;
        ReadAbsoluteTriple(row.code, &min, &max, &value);
        SetupSlider(row.slider, 0, zkv::kAbsoluteSliderMax, zkv::AbsoluteToSliderPos(min, max, value));
        EnableControl(row.slider, (on && !(ctl & zkv::kAutoMode)) || manualInq);
        ShowAbsoluteValue(row.code, row.text, value);
        automatic = (ctl & zkv::kAutoMode) != 0;
    } else {
        long min = 0, max = 0;
        ProcAmpGetRange(row.code, &min, &max);
        long value = 0, flags = 0;
        if (FAILED(ProcAmpGet(row.code, &value, &flags))) return;
        const long raw = RowValue(value, row.high);
        SetupSlider(row.slider, min, max, raw);
        EnableControl(row.slider, (on && flags != VideoProcAmp_Flags_Auto) || manualInq);
        SetDlgItemInt(m_hwnd, row.text, static_cast<UINT>(raw), TRUE);
        automatic = flags == VideoProcAmp_Flags_Auto;
    }

    if (hasBoxes) {
        if (inq & zkv::kAutoInq) {
            EnableControl(row.autoBox, true);
            CheckDlgButton(m_hwnd, row.autoBox, automatic ? BST_CHECKED : BST_UNCHECKED);
        } else {
            ShowWindow(GetDlgItem(m_hwnd, row.autoBox), SW_HIDE);
            CheckDlgButton(m_hwnd, row.autoBox, BST_UNCHECKED);
        }
        if (inq & zkv::kOnOffInq) {
            EnableControl(row.onOffBox, true);
            CheckDlgButton(m_hwnd, row.onOffBox, on ? BST_CHECKED : BST_UNCHECKED);
            EnableControl(row.autoBox, on);
        } else {
            EnableControl(row.onOffBox, false);
            ShowWindow(GetDlgItem(m_hwnd, row.onOffBox), SW_HIDE);
        }
    } else {
        EnableControl(row.slider, false);
    }

    // Switch the camera's feature to the scale the row now shows.
    const ULONG written = absolute ? (ctl | zkv::kAbsControl) : (ctl & ~zkv::kAbsControl);
    if (FAILED(SetRegister(zkv::FeatureRegister(row.code, false), written)))
        ShowError("Could not set register.");
}

void CZKVVideoProcAmpPage::RefreshAllRows() {
    for (const ZKVFeatureRow& row : kRows) RefreshFeatureRow(row);
}

// A row whose registers cannot all be read this tick is left as it stands:
// it never shows a value the camera did not deliver.
void CZKVVideoProcAmpPage::RefreshFeatureRow(const ZKVFeatureRow& row) {
    ULONG inq = 0;
    ULONG ctl = 0;
    if (FAILED(GetRegister(zkv::FeatureRegister(row.code, true), &inq))) return;
    if (FAILED(GetRegister(zkv::FeatureRegister(row.code, false), &ctl))) return;
    if (!(inq & zkv::kPresenceInq)) return;

    if (IsAbsoluteRow(row.code, inq)) {
        float min, max, value;
        if (!ReadAbsoluteTriple(row.code, &min, &max, &value)) return;
        const UINT on = (ctl & zkv::kOnOff) ? 1 : 0;
        if (on != IsDlgButtonChecked(m_hwnd, row.refreshOnOffBox)) {
            CheckDlgButton(m_hwnd, row.refreshOnOffBox, on);
            EnableControl(row.slider, on != 0);
        }
        const UINT automatic = (ctl & zkv::kAutoMode) ? 1 : 0;
        if (automatic != IsDlgButtonChecked(m_hwnd, row.refreshAutoBox)) {
            CheckDlgButton(m_hwnd, row.refreshAutoBox, automatic);
            EnableControl(row.slider, automatic == 0);
        }
        SendDlgItemMessageA(m_hwnd, row.slider, TBM_SETPOS, TRUE, zkv::AbsoluteToSliderPos(min, max, value));
        ShowAbsoluteValue(row.code, row.text, value);
    } else {
        if (FAILED(GetRegister(zkv::FeatureRegister(row.code, false), &ctl))) return;
        const long raw = RowValue(static_cast<long>(ctl), row.high);
        SendDlgItemMessageA(m_hwnd, row.slider, TBM_SETPOS, TRUE, raw);
        SetDlgItemInt(m_hwnd, row.text, static_cast<UINT>(raw), TRUE);
    }
}

// ---- Sliders ---------------------------------------------------------------

void CZKVVideoProcAmpPage::OnSliderMoved(HWND trackbar) {
    const int position = static_cast<int>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
    const int id = GetDlgCtrlID(trackbar);
    if (id == IDC_WB_RED_SLIDER || id == IDC_WB_BLUE_SLIDER) {
        OnWhiteBalanceSlider(id, position);
        return;
    }
    for (const SliderAction& action : kSliderActions)
        if (action.slider == id) OnFeatureSlider(action.code, action.text, position);
}

void CZKVVideoProcAmpPage::OnFeatureSlider(long code, int text, int position) {
    ULONG inq = 0;
    // Without the feature's state no value is derived or written.
    if (FAILED(GetRegister(zkv::FeatureRegister(code, true), &inq))) return;
    if (IsAbsoluteRow(code, inq)) {
        float min, max, value;
        if (!ReadAbsoluteTriple(code, &min, &max, &value)) return;
        const float v = zkv::SliderPosToAbsolute(min, max, position);
        if (WriteAbsoluteValue(code, v))
            ShowAbsoluteValue(code, text, v);
        else
            ShowError("Could not set register.");
        return;
    }
    long value = 0, flags = 0;
    if (FAILED(ProcAmpGet(code, &value, &flags))) return;
    if (SUCCEEDED(ProcAmpSet(code, position, flags)))
        SetDlgItemInt(m_hwnd, text, static_cast<UINT>(position), FALSE);
}

void CZKVVideoProcAmpPage::OnWhiteBalanceSlider(int slider, int position) {
    long value = 0, flags = 0;
    if (FAILED(ProcAmpGet(zkv::kFeatureWhiteBalance, &value, &flags))) return;
    if (slider == IDC_WB_RED_SLIDER) {
        SetDlgItemInt(m_hwnd, IDC_WB_RED_TEXT, static_cast<UINT>(position), FALSE);
        value = (value & static_cast<long>(zkv::kValueHigh)) + position;
    } else {
        SetDlgItemInt(m_hwnd, IDC_WB_BLUE_TEXT, static_cast<UINT>(position), FALSE);
        value = (value & static_cast<long>(zkv::kValueLow)) + (position << zkv::kValueHighShift);
    }
    ProcAmpSet(zkv::kFeatureWhiteBalance, value, flags);
}

// ---- Check boxes -----------------------------------------------------------

void CZKVVideoProcAmpPage::OnCheckBoxClicked(int id) {
    const bool checked = IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED;
    if (id == IDC_ABSOLUTE_MODE) {
        m_bAbsoluteMode = checked;
        SetupAllRows();
        return;
    }
    for (const BoxAction& action : kBoxActions) {
        if (action.box != id) continue;
        for (int i = 0; i < 2 && action.slider[i] != 0; ++i) {
            if (action.isAuto)
                OnAutoClicked(action.code, action.slider[i], action.other[i], checked);
            else
                OnOnOffClicked(action.code, action.slider[i], action.other[i], checked);
        }
    }
}

void CZKVVideoProcAmpPage::OnAutoClicked(long code, int slider, int text, bool checked) {
    const long mode = checked ? VideoProcAmp_Flags_Auto : VideoProcAmp_Flags_Manual;
    if (m_bAbsoluteMode) {
        const ULONG control = zkv::FeatureRegister(code, false);
        ULONG ctl = 0;
        if (FAILED(GetRegister(control, &ctl))) {
            ShowError("Could not get register.");
            return;
        }
        ctl &= ~(zkv::kAutoMode | zkv::kAbsControl);
        ctl |= checked ? zkv::kAutoMode : zkv::kAbsControl;
        if (FAILED(SetRegister(control, ctl))) {
            ShowError("Could not set auto register.");
            return;
        }
        long value = 0, flags = 0;
        if (SUCCEEDED(ProcAmpGet(code, &value, &flags)))
            ProcAmpSet(code, value, mode);
        EnableControl(slider, !checked);
        return;
    }

    long value = 0, flags = 0;
    if (FAILED(ProcAmpGet(code, &value, &flags))) return;
    ProcAmpSet(code, value, mode);
    if (code == zkv::kFeatureWhiteBalance) {
        const long blue = RowValue(value, true);
        const long red = RowValue(value, false);
        SendDlgItemMessageA(m_hwnd, IDC_WB_BLUE_SLIDER, TBM_SETPOS, TRUE, blue);
        SendDlgItemMessageA(m_hwnd, IDC_WB_RED_SLIDER, TBM_SETPOS, TRUE, red);
        EnableControl(IDC_WB_BLUE_SLIDER, !checked);
        EnableControl(IDC_WB_RED_SLIDER, !checked);
        SetDlgItemInt(m_hwnd, IDC_WB_BLUE_TEXT, static_cast<UINT>(blue), TRUE);
        SetDlgItemInt(m_hwnd, IDC_WB_RED_TEXT, static_cast<UINT>(red), TRUE);
        return;
    }
    SendDlgItemMessageA(m_hwnd, slider, TBM_SETPOS, TRUE, value);
    EnableControl(slider, !checked);
    SetDlgItemInt(m_hwnd, text, static_cast<UINT>(value), TRUE);
}

void CZKVVideoProcAmpPage::OnOnOffClicked(long code, int slider, int autoBox, bool checked) {
    const ULONG control = zkv::FeatureRegister(code, false);
    ULONG ctl = 0;
    if (FAILED(GetRegister(control, &ctl))) {
        ShowError("Could not get register.");
        return;
    }
    ctl = checked ? (ctl | zkv::kOnOff) : (ctl & ~zkv::kOnOff);
    if (FAILED(SetRegister(control, ctl))) {
        ShowError("Could not set register.");
        return;
    }
    EnableControl(autoBox, checked);
    EnableControl(slider, checked && IsDlgButtonChecked(m_hwnd, autoBox) != BST_CHECKED);
}
