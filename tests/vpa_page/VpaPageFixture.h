// A property page of the capture filter (the video proc amp page unless
// told otherwise) hosted in a test window and connected to a fresh
// virtual camera, with the camera's registers, fault injection and write log
// at hand, and helpers that work the page's controls as a user does.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "PageHost.h"
#include "ZKVInterface.h"
#include "ZKVPluginClasses.h"
#include "ZKVVirtualCameraControl.h"

// The capture filter of one virtual camera and its control interface.
struct CameraUnderTest {
    CameraUnderTest() = default;
    CameraUnderTest(const CameraUnderTest&) = delete;
    CameraUnderTest& operator=(const CameraUnderTest&) = delete;
    ~CameraUnderTest();
    IBaseFilter* filter = nullptr;
    IZKVVirtualCameraControl* control = nullptr;
    IAMVideoProcAmp* procAmp = nullptr;
};

// Binds the first video input device that is a virtual camera.
bool OpenCameraUnderTest(CameraUnderTest* camera);

using RegisterWrite = std::pair<ULONG, ULONG>;  // address, value

class VpaPageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the page through the module's class factory, connects and
    // activates it. Unless kept, the page's own refresh timer is stopped so
    // that ticks come only from Tick(), never in the middle of a check.
    void OpenPage(bool keepRefreshTimer = false);
    void PumpMessages(DWORD milliseconds);

    // Camera side.
    ULONG Peek(ULONG address);
    void Poke(ULONG address, ULONG value);
    void PokeFloat(ULONG address, float value);
    void Fault(ULONG point, ULONG key, HRESULT hr = E_FAIL);
    std::vector<RegisterWrite> Writes();
    std::vector<RegisterWrite> WritesTo(ULONG address);
    void ClearWrites();
    long ProcAmpValue(long code, long* flags = nullptr);

    // Page side.
    HWND Dialog() const { return host->Dialog(); }
    std::string Text(int id) const { return host->Text(id); }
    bool Enabled(int id) const { return host->Enabled(id); }
    bool Checked(int id) const { return host->Checked(id); }
    bool Visible(int id) const;
    void Click(int id) { host->Click(id); }
    void Type(int id, const std::string& text) { host->SetText(id, text); }
    void Leave(int id);  // the field loses the focus
    int SliderPos(int id) const;
    std::pair<int, int> SliderRange(int id) const;
    void MoveSlider(int id, int position);
    void Tick();  // one refresh timer tick

    CLSID pageClass = CLSID_ZKVVideoProcAmpPage;  // the page OpenPage creates
    CameraUnderTest camera;
    std::unique_ptr<MessageBoxCatcher> boxes;
    std::unique_ptr<PageHost> host;
};
