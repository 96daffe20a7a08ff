// The streaming configuration page of the capture pin: the standard format
// (resolution and colour conversion), the Format 7 group (mode, region, pixel
// format, speed) and the driver's frame-buffer count.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "BaseClasses.h"
#include "SavedStandardFormats.h"
#include "StreamingFormatTables.h"
#include "ZKVInterface.h"
#include "ZKVRegisters.h"

// Camera registers the page reads, as IIDC byte offsets.
namespace CameraRegister = zkv::CameraRegister;

class CZKVStreamingConfigPage : public CBasePropertyPage {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

private:
    explicit CZKVStreamingConfigPage(LPUNKNOWN pUnk);

    HRESULT OnConnect(IUnknown* pUnknown) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // General settings and buffer count.
    HRESULT RefreshGeneralSettings();
    void FillResolutionList();
    void FillConversionList();
    void SetDirty();
    void OnGetBufferSize();
    void OnSetBufferSize();

    // Format 7 group.
    void OnFormat7Toggled();
    void SetFormat7Enabled(bool on);
    void LoadFormat7Settings();
    void EnableFormat7Controls(bool enable);
    void OnModeChanged();
    void OnPixelFormatChanged();
    void FillFormat7ConversionList();
    void ApplyFormat7Settings();
    void RestoreSavedStandardFormat();
    void ShowModeGeometry(const Format7Request& answer);
    const char* FillPixelFormatList(const Format7Request& answer);
    void SelectConversionOf(const char* currentName);

    // Camera access; a failed read counts as the value 0, a failed Format 7
    // query as a mode that is not available.
    ULONG ReadRegister(ULONG address);
    ULONG QueryFormat7(ULONG mode, Format7Request* answer);
    void IdentifyCamera(IUnknown* filter);

    static void ShowMessage(HWND owner, const char* text, const char* caption);

    // Dialog controls, by id, in the page's dialog.
    LRESULT SendToControl(int id, UINT message, WPARAM wParam, LPARAM lParam);
    bool SelectedText(int id, char (&text)[kFormatNameSize]);
    LRESULT FindExact(int id, const char* text);
    void SelectExact(int id, const char* text);
    void EnableControl(int id, bool enable);

    IZKVInterface* m_pInterface;
    IAMStreamConfig* m_pIAMStreamConfig;
    IPin* m_pPin;
    ULONG m_nBuffers;
    LONG m_nMode;
    CameraKey m_camera;        // whose saved standard format this page uses
    bool m_bFormat7View;       // the Format 7 controls are shown enabled
};
