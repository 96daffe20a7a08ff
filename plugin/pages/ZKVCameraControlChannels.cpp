// The camera control page's memory channel group: the current channel, save
// (after a confirmation) and load of the selected one, and the factory settings.
#include "ZKVCameraControlPage.h"

#include <cstdio>
#include <initializer_list>

#include "CameraControlPageIds.h"
#include "ComboItems.h"
#include "ZKVRegisterFields.h"
#include "ZKVRegisters.h"

namespace R = zkv::CameraRegister;
using zkv::AddItem;
using zkv::GetField;
using zkv::SelectedValue;
using zkv::SelectValue;
using zkv::SetField;

void CZKVCameraControlPage::SetupChannelGroup() {
    m_ChannelCount = 0;
    HWND channels = GetDlgItem(m_hwnd, IDC_CHANNEL);
    SendMessageA(channels, CB_RESETCONTENT, 0, 0);
    SetDlgItemTextA(m_hwnd, IDC_CURRENT_CHANNEL, "");
    ULONG inquiry = 0;
    ULONG current = 0;
    HRESULT hr = GetRegister(R::BASIC_FUNC_INQ, &inquiry);
    if (FAILED(hr)) {
        ShowFailure("read the memory channel inquiry", hr);
    } else if (GetField(inquiry, zkv::BasicFuncInq::MemoryChannel) != 0) {
        hr = GetRegister(R::CUR_MEM_CH, &current);
        if (FAILED(hr))
            ShowFailure("read the current memory channel", hr);
        else
            m_ChannelCount = GetField(inquiry, zkv::BasicFuncInq::MemoryChannel);
    }
    char text[16];
    for (ULONG n = 1; n <= m_ChannelCount; ++n) {
        std::snprintf(text, sizeof text, "%lu", n);
        AddItem(channels, text, n);
    }
    SelectValue(channels, 1);
    const bool offered = m_ChannelCount != 0;
    for (int id : {IDC_CHANNEL_GROUP, IDC_CURRENT_CHANNEL, IDC_CHANNEL, IDC_SAVE_CHANNEL, IDC_LOAD_CHANNEL,
                   IDC_FACTORY_SETTINGS})
        EnableControl(id, offered);
    if (offered) ShowCurrentChannel(GetField(current, zkv::CurMemCh::Channel));
    ShowSelectedChannel();
}

void CZKVCameraControlPage::ShowCurrentChannel(ULONG channel) {
    char text[32];
    if (channel == 0)
        std::snprintf(text, sizeof text, "Factory settings");
    else
        std::snprintf(text, sizeof text, "Channel %lu", channel);
    SetDlgItemTextA(m_hwnd, IDC_CURRENT_CHANNEL, text);
}

ULONG CZKVCameraControlPage::SelectedChannel() const {
    ULONG channel = 1;
    SelectedValue(GetDlgItem(m_hwnd, IDC_CHANNEL), &channel);
    return channel;
}

void CZKVCameraControlPage::ShowSelectedChannel() {
    char text[32];
    const ULONG channel = SelectedChannel();
    std::snprintf(text, sizeof text, "Save to channel %lu", channel);
    SetDlgItemTextA(m_hwnd, IDC_SAVE_CHANNEL, text);
    std::snprintf(text, sizeof text, "Load channel %lu", channel);
    SetDlgItemTextA(m_hwnd, IDC_LOAD_CHANNEL, text);
}

void CZKVCameraControlPage::OnSaveChannel() {
    if (m_ChannelCount == 0) return;
    const ULONG channel = SelectedChannel();
    char text[96];
    std::snprintf(text, sizeof text, "Overwrite memory channel %lu with the current settings?", channel);
    if (MessageBoxA(nullptr, text, "Confirm", MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    char action[64];
    HRESULT hr = SetRegister(R::MEM_SAVE_CH, SetField(0, zkv::MemSaveCh::Channel, channel));
    if (FAILED(hr)) {
        std::snprintf(action, sizeof action, "select memory channel %lu", channel);
        ShowFailure(action, hr);
        return;
    }
    hr = SetRegister(R::MEMORY_SAVE, SetField(0, zkv::MemorySave::Save, 1));
    if (FAILED(hr)) {
        std::snprintf(action, sizeof action, "save to memory channel %lu", channel);
        ShowFailure(action, hr);
    }
}

void CZKVCameraControlPage::OnLoadChannel(ULONG channel) {
    if (m_ChannelCount == 0) return;
    const HRESULT hr = SetRegister(R::CUR_MEM_CH, SetField(0, zkv::CurMemCh::Channel, channel));
    if (FAILED(hr)) {
        char action[64];
        if (channel == 0)
            std::snprintf(action, sizeof action, "load the factory settings");
        else
            std::snprintf(action, sizeof action, "load memory channel %lu", channel);
        ShowFailure(action, hr);
        return;
    }
    ShowCurrentChannel(channel);
    // A channel holds the trigger set-up and the feature values too.
    SetupTriggerGroup();
    SetupOnePushGroup();
}
