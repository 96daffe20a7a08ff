// The capture filter's pages in a real property frame, as the viewer's menu
// command opens them: the video proc amp page, then the camera control page.
#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CameraControlPageIds.h"
#include "PropertyFrame.h"
#include "VpaPageFixture.h"

namespace {

TEST(CameraPageFrame, TheFilterFrameShowsBothFilterPages) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        CameraUnderTest camera;
        ASSERT_TRUE(OpenCameraUnderTest(&camera));
        ISpecifyPropertyPages* specify = nullptr;
        ASSERT_EQ(camera.filter->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)),
                  S_OK);
        CAUUID pages{};
        ASSERT_EQ(specify->GetPages(&pages), S_OK);
        specify->Release();
        const std::vector<CLSID> listed(pages.pElems, pages.pElems + pages.cElems);
        CoTaskMemFree(pages.pElems);

        // The tabs first, then the second page shown and its trigger button read.
        std::vector<std::string> tabs;
        std::string softwareTrigger;
        const HRESULT hr = ShowPropertyFrame(camera.filter, listed, [&](HWND frame) {
            if (tabs.empty()) {
                tabs = TabTitles(frame);
                SendMessageA(frame, PSM_SETCURSEL, 1, 0);
                return false;
            }
            HWND button = FindDescendant(frame, IDC_SOFTWARE_TRIGGER);
            if (button == nullptr || !IsWindowVisible(button)) return false;
            softwareTrigger = WindowTextOf(button);
            return true;
        });
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(tabs, (std::vector<std::string>{"ZKV Video Proc Amp Property Page",
                                                  "ZKV Camera Control Property Page"}));
        EXPECT_EQ(softwareTrigger, "Software Trigger");
    }
    CoUninitialize();
}

}  // namespace
