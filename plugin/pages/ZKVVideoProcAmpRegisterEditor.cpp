// The camera register editor of the video proc amp page: any register by its
// hexadecimal offset, shown as four bytes and as a single-precision number.
#include "ZKVVideoProcAmpPage.h"

#include "IeeeFloat.h"
#include "RegisterNameTable.h"
#include "RegisterText.h"
#include "VideoProcAmpPageIds.h"

namespace {

// Byte fields, most significant byte first.
constexpr int kByteFields[4] = {IDC_REG_BYTE_0_7, IDC_REG_BYTE_8_15, IDC_REG_BYTE_16_23,
                                IDC_REG_BYTE_24_31};

bool IsByteField(int id) {
    for (int field : kByteFields)
        if (field == id) return true;
    return false;
}

}  // namespace

bool CZKVVideoProcAmpPage::OnRegisterEditorCommand(int id, int notification) {
    switch (id) {
    case IDC_REG_GET:
        if (notification == BN_CLICKED) OnGetRegister();
        return true;
    case IDC_REG_SET:
        if (notification == BN_CLICKED) OnSetRegister();
        return true;
    case IDC_REG_ADDRESS:
        if (notification == EN_CHANGE) OnAddressChanged();
        return true;
    case IDC_REG_FLOAT:
        if (notification == EN_KILLFOCUS) OnFloatFieldLeft();
        return true;
    default:
        if (!IsByteField(id)) return false;
        if (notification == EN_KILLFOCUS) OnByteFieldLeft();
        return true;
    }
}

ULONG CZKVVideoProcAmpPage::ReadAddressField() {
    char text[zkv::kAddressFieldChars + 1] = "";
    GetDlgItemTextA(m_hwnd, IDC_REG_ADDRESS, text, sizeof text);
    return zkv::ParseRegisterAddress(text);
}

ULONG CZKVVideoProcAmpPage::ComposeRegisterValue() {
    char texts[4][zkv::kByteFieldChars + 1] = {};
    const char* fields[4];
    for (int i = 0; i < 4; ++i) {
        GetDlgItemTextA(m_hwnd, kByteFields[i], texts[i], sizeof texts[i]);
        fields[i] = texts[i];
    }
    return zkv::ComposeRegisterValue(fields);
}

void CZKVVideoProcAmpPage::ShowRegisterBytes(ULONG value) {
    char text[zkv::kRegisterTextSize];
    for (int i = 0; i < 4; ++i) {
        zkv::FormatRegisterByte(value, i, text);
        SetDlgItemTextA(m_hwnd, kByteFields[i], text);
    }
}

void CZKVVideoProcAmpPage::ShowRegisterFloat(ULONG value) {
    char text[zkv::kRegisterTextSize];
    zkv::FormatRegisterFloat(value, text);
    SetDlgItemTextA(m_hwnd, IDC_REG_FLOAT, text);
}

void CZKVVideoProcAmpPage::OnAddressChanged() {
    m_RegisterAddress = ReadAddressField();
    SetDlgItemTextA(m_hwnd, IDC_REG_NAME, zkv::LookupRegisterName(m_RegisterAddress));
    SetDirty();
}

void CZKVVideoProcAmpPage::OnByteFieldLeft() {
    m_RegisterValue = ComposeRegisterValue();
    ShowRegisterFloat(m_RegisterValue);
}

void CZKVVideoProcAmpPage::OnFloatFieldLeft() {
    char text[zkv::kFloatFieldChars + 1] = "";
    GetDlgItemTextA(m_hwnd, IDC_REG_FLOAT, text, sizeof text);
    m_RegisterValue = zkv::FloatToIeeeBits(zkv::ParseFloatText(text));
    ShowRegisterBytes(m_RegisterValue);
}

void CZKVVideoProcAmpPage::OnGetRegister() {
    m_RegisterAddress = ReadAddressField();
    // The value is kept only when the camera delivered it.
    ULONG value = 0;
    if (FAILED(GetRegister(m_RegisterAddress, &value))) {
        ShowError("There has been an error while getting the camera register.");
        return;
    }
    m_RegisterValue = value;
    ShowRegisterBytes(m_RegisterValue);
    ShowRegisterFloat(m_RegisterValue);
}

void CZKVVideoProcAmpPage::OnSetRegister() {
    m_RegisterAddress = ReadAddressField();
    m_RegisterValue = ComposeRegisterValue();
    if (FAILED(SetRegister(m_RegisterAddress, m_RegisterValue)))
        ShowError("There has been an error while setting the camera register.");
}

void CZKVVideoProcAmpPage::SetDirty() {
    m_bDirty = TRUE;
    if (m_pPageSite != nullptr) m_pPageSite->OnStatusChange(PROPPAGESTATUS_DIRTY);
}
