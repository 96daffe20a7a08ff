// The page in a real property frame, as the viewer's menu command opens it for
// a camera's capture filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PropertyFrame.h"
#include "VideoProcAmpPageIds.h"
#include "VpaPageFixture.h"
#include "ZKVPluginClasses.h"

namespace {

TEST(VpaPageFrame, ShowsThePageForTheCaptureFilter) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        CameraUnderTest camera;
        ASSERT_TRUE(OpenCameraUnderTest(&camera));
        // The filter lists the page among its property pages.
        ISpecifyPropertyPages* specify = nullptr;
        ASSERT_EQ(camera.filter->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)),
                  S_OK);
        CAUUID pages{};
        ASSERT_EQ(specify->GetPages(&pages), S_OK);
        specify->Release();
        bool listed = false;
        for (ULONG i = 0; i < pages.cElems; ++i) listed |= pages.pElems[i] == CLSID_ZKVVideoProcAmpPage;
        CoTaskMemFree(pages.pElems);
        EXPECT_TRUE(listed);

        std::vector<std::string> tabs;
        std::string absoluteBox, registerGroupName;
        bool absoluteChecked = false;
        const HRESULT hr = ShowPropertyFrame(camera.filter, {CLSID_ZKVVideoProcAmpPage}, [&](HWND frame) {
            HWND absolute = FindDescendant(frame, IDC_ABSOLUTE_MODE);
            if (absolute == nullptr) return false;
            absoluteBox = WindowTextOf(absolute);
            absoluteChecked = SendMessageA(absolute, BM_GETCHECK, 0, 0) == BST_CHECKED;
            registerGroupName = WindowTextOf(FindDescendant(frame, IDC_REG_NAME));
            tabs = TabTitles(frame);
            return true;
        });
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(tabs, std::vector<std::string>{"ZKV Video Proc Amp Property Page"});
        EXPECT_EQ(absoluteBox, "Absolute mode");
        EXPECT_TRUE(absoluteChecked);
        EXPECT_EQ(registerGroupName, "Unknown");
    }
    CoUninitialize();
}

}  // namespace
