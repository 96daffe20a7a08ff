// The video proc amp page of the capture filter: one row per image feature
// (slider, value text, Auto and On/Off boxes) in the camera's integer scale or
// its absolute scale, and below them the raw camera register editor.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "BaseClasses.h"
#include "ZKVInterface.h"

// One feature row of the dialog: its feature code and control ids. A box id of
// 0 means the row has no box of that kind at set-up (the white balance blue row
// shares the red row's boxes, which the refresh consults for it).
struct ZKVFeatureRow {
    long code;
    int slider;
    int text;
    int label;
    int autoBox;
    int onOffBox;
    bool high;           // value in bits 12-23 instead of 0-11
    int refreshAutoBox;
    int refreshOnOffBox;
};

class CZKVVideoProcAmpPage : public CBasePropertyPage {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

private:
    explicit CZKVVideoProcAmpPage(LPUNKNOWN pUnk);

    HRESULT OnConnect(IUnknown* pUnknown) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Feature rows.
    void SetupSlider(int slider, long min, long max, long position);
    void SetupFeatureRow(const ZKVFeatureRow& row);
    void SetupAllRows();
    void RefreshFeatureRow(const ZKVFeatureRow& row);
    void RefreshAllRows();
    bool IsAbsoluteRow(long code, ULONG inquiry) const;
    void OnSliderMoved(HWND trackbar);
    void OnFeatureSlider(long code, int text, int position);
    void OnWhiteBalanceSlider(int slider, int position);
    void OnCheckBoxClicked(int id);
    void OnAutoClicked(long code, int slider, int text, bool checked);
    void OnOnOffClicked(long code, int slider, int autoBox, bool checked);
    bool ReadAbsoluteTriple(long code, float* min, float* max, float* value);
    bool WriteAbsoluteValue(long code, float value);
    void ShowAbsoluteValue(long code, int text, float value);

    // Register editor.
    bool OnRegisterEditorCommand(int id, int notification);
    ULONG ReadAddressField();
    ULONG ComposeRegisterValue();
    void ShowRegisterBytes(ULONG value);
    void ShowRegisterFloat(ULONG value);
    void OnAddressChanged();
    void OnByteFieldLeft();
    void OnFloatFieldLeft();
    void OnGetRegister();
    void OnSetRegister();
    void SetDirty();

    // Camera access; a page without a connected camera fails every call.
    HRESULT GetRegister(ULONG address, ULONG* value);
    HRESULT SetRegister(ULONG address, ULONG value);
    HRESULT ProcAmpGetRange(long code, long* min, long* max);
    HRESULT ProcAmpGet(long code, long* value, long* flags);
    HRESULT ProcAmpSet(long code, long value, long flags);
    void ShowError(const char* text, const char* caption = "Error");
    void EnableControl(int id, bool enable);

    IZKVInterface* m_pInterface;
    ULONG m_RegisterAddress;
    ULONG m_RegisterValue;
    IAMVideoProcAmp* m_pIAMVideoProcAmp;
    UINT m_TimerId;
    UINT m_TimerPeriod;
    bool m_bAbsoluteMode;
};
