// The camera control page of the capture filter: how the camera is triggered
// (external or software trigger, one-shot and multi-shot), one-push automatic
// adjustment, the camera's memory channels, and the capture pin's frame
// statistics. Every control acts on the camera at once, through camera
// register reads and writes; only what the inquiry registers report is
// enabled.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "BaseClasses.h"
#include "ZKVInterface.h"

class CZKVCameraControlPage : public CBasePropertyPage {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

private:
    explicit CZKVCameraControlPage(LPUNKNOWN pUnk);

    HRESULT OnConnect(IUnknown* pUnknown) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    void OnCommand(int id, int notification);

    // Trigger group.
    void SetupTriggerGroup();
    void ShowTriggerMode();
    void FillTriggerLists();
    void WriteTriggerMode(ULONG value);
    void OnTriggerControlChanged(int id);
    void OnTriggerParameterSet();
    void OnSoftwareTrigger();
    void OnOneShot(bool multi);

    // One-push group.
    void SetupOnePushGroup();
    void OnOnePushClicked(int index);
    void PollOnePush();
    void ShowFeatureValue(int index, ULONG control);

    // Memory channel group.
    void SetupChannelGroup();
    void ShowCurrentChannel(ULONG channel);
    void ShowSelectedChannel();
    ULONG SelectedChannel() const;
    void OnSaveChannel();
    void OnLoadChannel(ULONG channel);

    // Statistics group.
    void RefreshStatistics();

    HRESULT GetRegister(ULONG address, ULONG* value);
    HRESULT SetRegister(ULONG address, ULONG value);
    void ShowFailure(const char* action, HRESULT hr);
    void EnableControl(int id, bool enable);

    IZKVInterface* m_pInterface;
    IAMDroppedFrames* m_pIAMDroppedFrames;  // of the capture pin; null when it has none
    UINT m_TimerId;
    UINT m_TimerPeriod;
    ULONG m_TriggerInquiry;  // 0 when the camera has no trigger
    ULONG m_TriggerMode;     // as last read from or written to the camera
    ULONG m_ChannelCount;
    int m_OnePushPolls[9];   // ticks a one-push has been busy; -1 when idle
    // Frame rate measured from the counts seen since the graph ran.
    long m_RateFrames;
    DWORD m_RateTick;
    long m_LastCaptured;
    // A failure's message box is up: its modal loop must not run another request.
    bool m_bReporting = false;
};
