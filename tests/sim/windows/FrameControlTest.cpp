// The camera's frame controls through the capture pin of a running graph:
// the software trigger, one-shot and multi-shot, one-push adjustment, the
// IAMDroppedFrames counts under the frame faults, and live faults changed by
// another process. Every wait is on state the camera shows (its registers and
// frame counts), never on elapsed time alone.
#include "CameraTestSupport.h"

#include "ZKVFrameCounters.h"
#include "ZKVVirtualCameraControl.h"

using namespace simtest;

namespace {

constexpr ULONG kTriggerMode = 0x830, kSoftwareTrigger = 0x62C, kOneShot = 0x61C, kIsoEn = 0x614;
constexpr ULONG kWhiteBalance = 0x80C;
constexpr ULONG kSoftwareTriggerOn = 0x82E00000u;  // Presence, ON_OFF, source 7, mode 0
constexpr ULONG kFire = 0x80000000u;
constexpr DWORD kWaitMs = 10000;

// A virtual camera streaming into a sample grabber, with its frame counts.
class StreamingCamera {
public:
    HRESULT Start(std::size_t device, const std::vector<std::pair<ULONG, ULONG>>& writes) {
        HRESULT hr = BindDevice(device, &m_camera);
        if (FAILED(hr)) return hr;
        for (const auto& w : writes) {
            hr = WriteRegister(m_camera.Get(), w.first, w.second);
            if (FAILED(hr)) return hr;
        }
        hr = m_graph.Build(m_camera.Get(), false);
        ComPtr<IPin> pin;
        *&pin = CapturePinOf(m_camera.Get());
        if (SUCCEEDED(hr)) hr = pin->QueryInterface(IID_IAMDroppedFrames, m_dropped.Out());
        if (SUCCEEDED(hr)) hr = m_graph.Run();
        // S_FALSE: the graph is still on its way to running, as it stays for a
        // triggered camera until its first frame.
        return SUCCEEDED(hr) ? S_OK : hr;
    }
    IBaseFilter* Camera() { return m_camera.Get(); }
    IAMDroppedFrames* Dropped() { return m_dropped.Get(); }
    GrabberGraph& Graph() { return m_graph; }
    long Delivered() {
        long n = -1;
        m_dropped->GetNumNotDropped(&n);
        return n;
    }
    long Lost() {
        long n = -1;
        m_dropped->GetNumDropped(&n);
        return n;
    }
    ULONG Register(ULONG address) {
        ULONG value = 0xDEADBEEFu;
        ComPtr<IZKVVirtualCameraControl> control;
        if (SUCCEEDED(m_camera->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()))) {
            control->PeekRegister(address, &value);  // neither faulted nor seen by the camera's logic
        }
        return value;
    }
    // Fires the software trigger and waits until the camera took it and its
    // frame was counted, delivered or dropped.
    bool Trigger() {
        const long before = Delivered() + Lost();
        return SUCCEEDED(WriteRegister(m_camera.Get(), kSoftwareTrigger, kFire)) &&
               WaitUntil([&] { return Register(kSoftwareTrigger) == 0 && Delivered() + Lost() > before; }, kWaitMs);
    }

private:
    ComPtr<IBaseFilter> m_camera;
    GrabberGraph m_graph;
    ComPtr<IAMDroppedFrames> m_dropped;
};

// The shared frame counters of this process for the camera.
ZKVFrameCounterEntry SharedCounts(ULONG serial) {
    ZKVFrameCounterEntry found = {};
    wchar_t name[64];
    ZKVFrameCountersName(GetCurrentProcessId(), name);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
    if (!mapping) return found;
    if (auto* counters = static_cast<const ZKVFrameCounters*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))) {
        for (const ZKVFrameCounterEntry& entry : counters->cameras) {
            if (static_cast<ULONG>(entry.serialNumber) == serial) {
                found.serialNumber = entry.serialNumber;
                found.delivered = entry.delivered;
                found.dropped = entry.dropped;
            }
        }
        UnmapViewOfFile(counters);
    }
    CloseHandle(mapping);
    return found;
}

class FrameControlTest : public ComTest {};

}  // namespace

TEST_F(FrameControlTest, SoftwareTriggerDeliversOneFramePerTrigger) {
    StreamingCamera c;
    ASSERT_EQ(S_OK, c.Start(0, {{kTriggerMode, kSoftwareTriggerOn}}));
    EXPECT_EQ(0, c.Delivered());
    for (long n = 1; n <= 3; ++n) {
        ASSERT_TRUE(c.Trigger()) << "trigger " << n;
        ASSERT_TRUE(c.Graph().WaitFrames(static_cast<std::size_t>(n), kWaitMs));
    }
    c.Graph().Stop();
    // Frame numbers count every frame taken: consecutive numbers show that the
    // frame times between the triggers took none.
    const std::vector<CapturedFrame> frames = c.Graph().Frames();
    ASSERT_EQ(3u, frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(static_cast<LONGLONG>(i), frames[i].frame);
    EXPECT_EQ(3, c.Delivered());
    EXPECT_EQ(0, c.Lost());
}

TEST_F(FrameControlTest, OneShotAndMultiShotDeliverTheirCounts) {
    StreamingCamera c;
    ASSERT_EQ(S_OK, c.Start(1, {}));
    ASSERT_TRUE(WaitUntil([&] { return c.Delivered() > 0; }, kWaitMs));
    // Continuous transmission off: the shots alone bring frames.
    ASSERT_EQ(S_OK, WriteRegister(c.Camera(), kIsoEn, 0));
    // A frame taken before ISO_EN went off may still be on its way: the count
    // starts once it has landed.
    ComPtr<IZKVVirtualCameraControl> control;
    ASSERT_EQ(S_OK, c.Camera()->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()));
    ULONGLONG taken = 0;
    ASSERT_EQ(S_OK, control->GetFramesTaken(&taken));
    const long base = static_cast<long>(taken);
    ASSERT_TRUE(WaitUntil([&] { return c.Delivered() + c.Lost() == base; }, kWaitMs));
    const struct {
        ULONG oneShot;
        long frames;
    } shots[] = {{0x80000000u, 1}, {0x40000003u, 3}, {0x80000000u, 1}, {0x40000002u, 2}};
    long expected = base;
    for (const auto& shot : shots) {
        ASSERT_EQ(S_OK, WriteRegister(c.Camera(), kOneShot, shot.oneShot));
        expected += shot.frames;
        EXPECT_TRUE(WaitUntil([&] { return c.Register(kOneShot) == 0 && c.Delivered() + c.Lost() >= expected; }, kWaitMs))
            << std::hex << shot.oneShot;
        EXPECT_EQ(expected, c.Delivered() + c.Lost()) << std::hex << shot.oneShot;
    }
    c.Graph().Stop();
    EXPECT_EQ(expected, c.Delivered() + c.Lost());
}

TEST_F(FrameControlTest, OnePushAdvancesWithFramesAndThenClears) {
    StreamingCamera c;
    ASSERT_EQ(S_OK, c.Start(0, {{kTriggerMode, kSoftwareTriggerOn}, {kWhiteBalance, 0x02064064u}}));
    ASSERT_EQ(S_OK, WriteRegister(c.Camera(), kWhiteBalance, 0x06064064u));  // One_Push, ON_OFF, 100/100
    // Busy through the first frames however long they take to come.
    for (ULONG frame = 1; frame < zkvsim::kOnePushFrames; ++frame) {
        ASSERT_TRUE(c.Trigger());
        EXPECT_TRUE(c.Register(kWhiteBalance) & 0x04000000u) << "frame " << frame;
    }
    ASSERT_TRUE(c.Trigger());
    EXPECT_EQ(0x822E4230u, c.Register(kWhiteBalance));  // settled on 740/560, One_Push clear
}

TEST_F(FrameControlTest, DroppedFramesCountTheFramesTheFaultsLose) {
    StreamingCamera c;
    ASSERT_EQ(S_OK, c.Start(0, {{kTriggerMode, kSoftwareTriggerOn}}));
    ComPtr<IZKVVirtualCameraControl> control;
    ASSERT_EQ(S_OK, c.Camera()->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()));
    EXPECT_EQ(E_INVALIDARG, control->SetFault(ZKV_FAULT_DROP_FRAMES, 0, E_FAIL));
    // Every third frame dropped (2, 5), and the delivery of frame 3 failing.
    ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_DROP_FRAMES, 3, E_FAIL));
    ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_DELIVER, 3, E_OUTOFMEMORY));
    const ULONG serial = c.Register(0x1F20);
    const ZKVFrameCounterEntry before = SharedCounts(serial);
    for (int n = 0; n < 7; ++n) ASSERT_TRUE(c.Trigger()) << "trigger " << n;
    ASSERT_TRUE(WaitUntil([&] { return c.Delivered() == 4 && c.Lost() == 3; }, kWaitMs))
        << c.Delivered() << " delivered, " << c.Lost() << " dropped";
    long frames[8] = {}, copied = 0;
    ASSERT_EQ(S_OK, c.Dropped()->GetDroppedInfo(8, frames, &copied));
    ASSERT_EQ(3, copied);
    EXPECT_EQ(2, frames[0]);
    EXPECT_EQ(3, frames[1]);
    EXPECT_EQ(5, frames[2]);
    ASSERT_EQ(S_OK, c.Dropped()->GetDroppedInfo(1, frames, &copied));
    EXPECT_EQ(1, copied);
    long average = 0;
    ASSERT_EQ(S_OK, c.Dropped()->GetAverageFrameSize(&average));
    AM_MEDIA_TYPE mt = c.Graph().ConnectedType();
    EXPECT_EQ(static_cast<long>(mt.lSampleSize), average);
    FreeMediaType(mt);
    ASSERT_TRUE(c.Graph().WaitFrames(4, kWaitMs));
    EXPECT_EQ(4u, c.Graph().Frames().size());
    const ZKVFrameCounterEntry after = SharedCounts(serial);
    EXPECT_EQ(4, after.delivered - before.delivered);
    EXPECT_EQ(3, after.dropped - before.dropped);
    // The counts start over when the graph runs again.
    c.Graph().Stop();
    EXPECT_EQ(4, c.Delivered());
    ASSERT_TRUE(SUCCEEDED(c.Graph().Run()));
    EXPECT_EQ(0, c.Delivered() + c.Lost());
}

TEST_F(FrameControlTest, LiveFaultsFromAnotherProcessChangeDelivery) {
    StreamingCamera c;
    ASSERT_EQ(S_OK, c.Start(0, {}));
    for (const wchar_t* fault : {L"drop_frames:any:0x80004005", L"deliver:any:0x8007000E"}) {
        ASSERT_TRUE(WaitUntil([&] { return c.Delivered() > 0; }, kWaitMs));
        ASSERT_EQ(0u, RunSetup(std::wstring(L"live 1 fault ") + fault)) << fault;
        const long lost = c.Lost();
        EXPECT_TRUE(WaitUntil([&] { return c.Lost() >= lost + 5; }, kWaitMs)) << fault;
        ASSERT_EQ(0u, RunSetup(L"live 1 clear"));
        const long delivered = c.Delivered();
        EXPECT_TRUE(WaitUntil([&] { return c.Delivered() >= delivered + 5; }, kWaitMs)) << fault;
    }
    // A camera no process has open is refused.
    EXPECT_EQ(1u, RunSetup(L"live 4000000000 clear"));
}
