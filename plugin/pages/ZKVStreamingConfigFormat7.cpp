// The Format 7 group of the streaming configuration page: entering and
// leaving the Format 7 view, mode and pixel-format changes, and Apply, which
// programs the camera and then gives the pin the matching media type.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../resources/StreamingConfigPageIds.h"
#include "StreamCapabilities.h"
#include "ZKVStreamingConfigPage.h"

namespace {

constexpr ULONG kFormat7Bits = 0xE0000000;  // all set in CUR_V_FORMAT: Format 7
constexpr ULONG kModeShift = 29;            // CUR_V_MODE bits 31 to 29
constexpr ULONG kLastListedMode = 6;

void ModeText(LONG mode, char (&text)[kFormatNameSize]) {
    std::snprintf(text, sizeof text, "%i", static_cast<int>(mode));
}

}  // namespace

void CZKVStreamingConfigPage::OnFormat7Toggled() {
    if (IsDlgButtonChecked(m_hwnd, IDC_ENABLE_FORMAT7) == BST_CHECKED) {
        CurrentVideoFormat current;
        if (ReadCurrentFormat(m_pIAMStreamConfig, &current)) {
            const BITMAPINFOHEADER& bmi = current.info.bmiHeader;
            SavedStandardFormats::Module().Save(
                m_camera, StandardFormat{bmi.biWidth, bmi.biHeight, bmi.biCompression});
        }
        SetFormat7Enabled(true);
    } else {
        SetFormat7Enabled(false);
    }
}

void CZKVStreamingConfigPage::SetFormat7Enabled(bool on) {
    if (on) {
        LoadFormat7Settings();
        EnableFormat7Controls(true);
        return;
    }
    EnableFormat7Controls(false);
    RestoreSavedStandardFormat();
    RefreshGeneralSettings();
    // When no saved format could be set the pin is still in Format 7 and the
    // refresh has shown the Format 7 view again: the box stays checked then.
    if (!m_bFormat7View) CheckDlgButton(m_hwnd, IDC_ENABLE_FORMAT7, BST_UNCHECKED);
}

// Sets the first standard capability with this camera's saved size and
// subtype; nothing when none was saved in this process or none matches.
void CZKVStreamingConfigPage::RestoreSavedStandardFormat() {
    StandardFormat saved;
    if (!SavedStandardFormats::Module().Load(m_camera, &saved)) return;
    CapabilityWalk capabilities(m_pIAMStreamConfig);
    capabilities.ForEach([&](const CapabilityView& cap) {
        const BITMAPINFOHEADER& bmi = cap.info->bmiHeader;
        if (IsFormat7Capability(*cap.caps) || bmi.biCompression != saved.compression ||
            bmi.biWidth != saved.width || bmi.biHeight != saved.height) {
            return false;
        }
        m_pIAMStreamConfig->SetFormat(cap.mediaType);
        return true;
    });
}

void CZKVStreamingConfigPage::LoadFormat7Settings() {
    LONG mode = 0;
    if ((ReadRegister(CameraRegister::CUR_V_FORMAT) & kFormat7Bits) == kFormat7Bits) {
        mode = static_cast<LONG>(ReadRegister(CameraRegister::CUR_V_MODE) >> kModeShift);
    }

    SendToControl(IDC_FORMAT7_MODE, CB_RESETCONTENT, 0, 0);
    Format7Request answer;
    for (ULONG candidate = 0; candidate <= kLastListedMode; ++candidate) {
        if (QueryFormat7(candidate, &answer) != 1) continue;
        char text[kFormatNameSize];
        ModeText(static_cast<LONG>(candidate), text);
        SendToControl(IDC_FORMAT7_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    char modeText[kFormatNameSize];
    ModeText(mode, modeText);
    SelectExact(IDC_FORMAT7_MODE, modeText);
    m_nMode = mode;

    if (QueryFormat7(static_cast<ULONG>(m_nMode), &answer) == 0) {
        ShowMessage(nullptr, "Format 7 is unavailable", "Message");
        return;
    }
    ShowModeGeometry(answer);
    SetDlgItemInt(m_hwnd, IDC_FORMAT7_WIDTH, answer.width, FALSE);
    SetDlgItemInt(m_hwnd, IDC_FORMAT7_HEIGHT, answer.height, FALSE);

    const char* current = FillPixelFormatList(answer);
    SelectExact(IDC_PIXEL_FORMAT, current);
    if (FormatBitByName(current) == ZKV_PIXEL_RAW8) {
        EnableControl(IDC_CONVERSION, true);
        FillFormat7ConversionList();
        SetDirty();
    } else {
        EnableControl(IDC_CONVERSION, false);
    }
}

void CZKVStreamingConfigPage::ShowModeGeometry(const Format7Request& answer) {
    char text[kFormatNameSize * 2];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(answer.horizontalUnit));
    SetDlgItemTextA(m_hwnd, IDC_UNIT_X, text);
    std::snprintf(text, sizeof text, "%d", static_cast<int>(answer.verticalUnit));
    SetDlgItemTextA(m_hwnd, IDC_UNIT_Y, text);
    std::snprintf(text, sizeof text, "%d x %d", static_cast<int>(answer.maxWidth),
                  static_cast<int>(answer.maxHeight));
    SetDlgItemTextA(m_hwnd, IDC_MAX_IMAGE_SIZE, text);
}

// Lists the mode's pixel formats; returns the name of its current one, or null.
const char* CZKVStreamingConfigPage::FillPixelFormatList(const Format7Request& answer) {
    SendToControl(IDC_PIXEL_FORMAT, CB_RESETCONTENT, 0, 0);
    const char* names[kPixelFormatRows];
    const char* current = nullptr;
    std::size_t count =
        SupportedPixelFormatNames(answer.supportedPixelFormats, answer.pixelFormat, names, &current);
    for (std::size_t i = 0; i < count; ++i) {
        SendToControl(IDC_PIXEL_FORMAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i]));
    }
    return current;
}

void CZKVStreamingConfigPage::EnableFormat7Controls(bool enable) {
    static const int kFormat7Controls[] = {
        IDC_UNIT_X,       IDC_UNIT_Y,        IDC_MAX_IMAGE_SIZE, IDC_FORMAT7_WIDTH,
        IDC_FORMAT7_HEIGHT, IDC_FORMAT7_LEFT, IDC_FORMAT7_TOP,    IDC_APPLY_FORMAT7,
        IDC_FORMAT7_SPEED, IDC_PIXEL_FORMAT,  IDC_FORMAT7_MODE,
    };
    EnableControl(IDC_RESOLUTION, !enable);
    for (int id : kFormat7Controls) EnableControl(id, enable);

    char pixelFormat[kFormatNameSize];
    SelectedText(IDC_PIXEL_FORMAT, pixelFormat);
    EnableControl(IDC_CONVERSION, !(enable && FormatBitByName(pixelFormat) != ZKV_PIXEL_RAW8));
    if (enable) CheckDlgButton(m_hwnd, IDC_ENABLE_FORMAT7, BST_CHECKED);
    m_bFormat7View = enable;
}

void CZKVStreamingConfigPage::OnModeChanged() {
    char text[kFormatNameSize];
    SelectedText(IDC_FORMAT7_MODE, text);
    LONG newMode = std::atoi(text);

    Format7Request answer;
    if (QueryFormat7(static_cast<ULONG>(newMode), &answer) != 1) {
        char modeText[kFormatNameSize];
        ModeText(m_nMode, modeText);
        SelectExact(IDC_FORMAT7_MODE, modeText);
        char message[64];
        std::snprintf(message, sizeof message, "Mode %d is unavailable!", static_cast<int>(newMode));
        ShowMessage(nullptr, message, "Mode unavailable");
        return;
    }
    ShowModeGeometry(answer);

    // The region keeps its size unless it exceeds the new mode's maximum.
    int width = static_cast<int>(GetDlgItemInt(m_hwnd, IDC_FORMAT7_WIDTH, nullptr, TRUE));
    int height = static_cast<int>(GetDlgItemInt(m_hwnd, IDC_FORMAT7_HEIGHT, nullptr, TRUE));
    int maxWidth = static_cast<int>(answer.maxWidth);
    int maxHeight = static_cast<int>(answer.maxHeight);
    SetDlgItemInt(m_hwnd, IDC_FORMAT7_WIDTH, static_cast<UINT>(width < maxWidth ? width : maxWidth),
                  FALSE);
    SetDlgItemInt(m_hwnd, IDC_FORMAT7_HEIGHT,
                  static_cast<UINT>(height < maxHeight ? height : maxHeight), FALSE);

    FillPixelFormatList(answer);
    SendToControl(IDC_PIXEL_FORMAT, CB_SETCURSEL, 0, 0);
    // "Raw8" sorts first, so it is the selection whenever the mode offers it;
    // otherwise no conversion applies to the selected format.
    if ((answer.supportedPixelFormats & ZKV_PIXEL_RAW8) == ZKV_PIXEL_RAW8) {
        EnableControl(IDC_CONVERSION, true);
        FillFormat7ConversionList();
        SetDirty();
    } else {
        EnableControl(IDC_CONVERSION, false);
    }
    m_nMode = newMode;
}

void CZKVStreamingConfigPage::OnPixelFormatChanged() {
    char pixelFormat[kFormatNameSize];
    SelectedText(IDC_PIXEL_FORMAT, pixelFormat);
    if (FormatBitByName(pixelFormat) == ZKV_PIXEL_RAW8) {
        EnableControl(IDC_CONVERSION, true);
        FillFormat7ConversionList();
        SetDirty();
    } else {
        EnableControl(IDC_CONVERSION, false);
    }
}

// The Format 7 subtypes of the selected pixel format's depth, in pin order.
void CZKVStreamingConfigPage::FillFormat7ConversionList() {
    CapabilityWalk capabilities(m_pIAMStreamConfig);
    CurrentVideoFormat current;
    bool hasCurrent = ReadCurrentFormat(m_pIAMStreamConfig, &current);
    char pixelFormat[kFormatNameSize];
    SelectedText(IDC_PIXEL_FORMAT, pixelFormat);
    const std::uint32_t bits = BitsPerPixelByName(pixelFormat);

    SendToControl(IDC_CONVERSION, CB_RESETCONTENT, 0, 0);
    capabilities.ForEach([&](const CapabilityView& cap) {
        const BITMAPINFOHEADER& bmi = cap.info->bmiHeader;
        if (!IsFormat7MediaType(*cap.info) || bmi.biBitCount != bits) return false;
        const char* name = ConversionNameByFourcc(bmi.biCompression);
        if (name != nullptr && FindExact(IDC_CONVERSION, name) == CB_ERR) {
            SendToControl(IDC_CONVERSION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
        return false;
    });
    SelectConversionOf(hasCurrent ? ConversionNameByFourcc(current.info.bmiHeader.biCompression)
                                  : nullptr);
}

void CZKVStreamingConfigPage::ApplyFormat7Settings() {
    bool invalidShown = false;
    auto readField = [&](int id, const char* invalidText) -> ULONG {
        BOOL translated = FALSE;
        UINT value = GetDlgItemInt(m_hwnd, id, &translated, FALSE);
        if (translated) return value;
        ShowMessage(m_hwnd, invalidText, "Error");
        invalidShown = true;
        return 0;
    };
    ULONG top = readField(IDC_FORMAT7_TOP, "Invalid Setting: Pixel Top Value");
    ULONG left = readField(IDC_FORMAT7_LEFT, "Invalid Setting: Pixel Left Value");
    ULONG speed = readField(IDC_FORMAT7_SPEED, "Invalid Setting: Speed Percentage");
    ULONG width = readField(IDC_FORMAT7_WIDTH, "Invalid Setting: Image Width");
    ULONG height = readField(IDC_FORMAT7_HEIGHT, "Invalid Setting: Image Height");

    char pixelFormat[kFormatNameSize];
    SelectedText(IDC_PIXEL_FORMAT, pixelFormat);
    char modeText[kFormatNameSize];
    SelectedText(IDC_FORMAT7_MODE, modeText);
    ULONG mode = static_cast<ULONG>(std::atoi(modeText));

    HRESULT hr = m_pInterface != nullptr
                     ? m_pInterface->SetFormat7(mode, left, top, width, height, speed,
                                                FormatBitByName(pixelFormat))
                     : E_NOINTERFACE;
    if (FAILED(hr)) {
        if (!invalidShown) {
            char message[96];
            std::snprintf(message, sizeof message,
                          "Could not apply Format 7 settings! Error code: %lx",
                          static_cast<unsigned long>(static_cast<ULONG>(hr)));
            ShowMessage(m_hwnd, message, "Error");
        }
        return;
    }

    ULONG format = ReadRegister(CameraRegister::CUR_V_FORMAT);
    ULONG currentMode = ReadRegister(CameraRegister::CUR_V_MODE) >> kModeShift;
    if ((format & kFormat7Bits) != kFormat7Bits || currentMode != mode) {
        ShowMessage(m_hwnd, "Format or mode does not match!", "Error");
    }

    char subtypeName[kFormatNameSize];
    if (IsWindowEnabled(GetDlgItem(m_hwnd, IDC_CONVERSION))) {
        SelectedText(IDC_CONVERSION, subtypeName);
    } else {
        std::memcpy(subtypeName, pixelFormat, sizeof subtypeName);
    }
    const std::uint32_t fourcc = FourccByConversionName(subtypeName);

    CapabilityWalk capabilities(m_pIAMStreamConfig);
    capabilities.ForEach([&](const CapabilityView& cap) {
        if (!IsFormat7Capability(*cap.caps) || cap.info->bmiHeader.biCompression != fourcc) {
            return false;
        }
        // Unsigned sums: the camera has accepted the values, the pin judges them.
        RECT region{static_cast<LONG>(left), static_cast<LONG>(top),
                    static_cast<LONG>(left + width), static_cast<LONG>(top + height)};
        cap.info->rcSource = region;
        cap.info->rcTarget = region;
        cap.info->bmiHeader.biWidth = static_cast<LONG>(width);
        cap.info->bmiHeader.biHeight = static_cast<LONG>(height);
        m_pIAMStreamConfig->SetFormat(cap.mediaType);
        return true;
    });
}
