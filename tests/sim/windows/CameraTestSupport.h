// Shared pieces of the filter tests: COM per test, the installed virtual
// devices, graphs built around a device, and a frame collector.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CameraModel.h"
#include "ComPtr.h"
#include "MediaType.h"

namespace simtest {

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

struct Device {
    std::wstring friendlyName;
    ComPtr<IMoniker> moniker;
};

// The virtual cameras of the video input category, in instance-name order.
std::vector<Device> VirtualDevices();
// Binds the n-th virtual device (0-based) as the device enumerator does.
HRESULT BindDevice(std::size_t n, IBaseFilter** filter);
IPin* CapturePinOf(IBaseFilter* filter);  // counted reference

// Register requests through the filter's vendor property set, as a page makes them.
HRESULT ReadRegister(IBaseFilter* filter, ULONG address, ULONG* value);
HRESULT WriteRegister(IBaseFilter* filter, ULONG address, ULONG value);

// Runs ZkvCameraSetup.exe of the test configuration (ZKV_BIN_DIR) with the
// arguments, $AX standing for the module's path; its exit code.
DWORD RunSetup(const std::wstring& arguments);

// Polls until done() holds; false on time-out.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

// Frames received by a sample grabber, with their media times (frame numbers).
struct CapturedFrame {
    std::vector<std::uint8_t> bytes;
    LONGLONG frame;
    REFERENCE_TIME start;
};
class FrameCollector;

// camera -> [decompressor] -> sample grabber -> null renderer.
class GrabberGraph {
public:
    ~GrabberGraph();
    // decoded: the grabber asks for 32-bit RGB, so a decompressor is inserted.
    HRESULT Build(IBaseFilter* camera, bool decoded);
    HRESULT Run();
    void Stop();
    // Waits until count frames have arrived; false on time-out.
    bool WaitFrames(std::size_t count, DWORD timeoutMs);
    std::vector<CapturedFrame> Frames();
    AM_MEDIA_TYPE ConnectedType();  // of the grabber's input; caller frees
    IGraphBuilder* Graph() { return m_graph.Get(); }

private:
    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IBaseFilter> m_grabberFilter;
    ComPtr<IBaseFilter> m_null;
    FrameCollector* m_collector = nullptr;
};

AM_MEDIA_TYPE* StreamCapsType(IAMStreamConfig* config, std::uint32_t fourcc, std::uint32_t width,
                              bool format7);

bool CodecInstalled(std::uint32_t fourcc);

}  // namespace simtest
