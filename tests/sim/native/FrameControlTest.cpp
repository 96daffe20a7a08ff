// The camera's frame controls: trigger set-up, software trigger, one-shot and
// multi-shot, the drop fault and frame counts, one-push adjustment and the
// memory channels. Scripts of register writes and frame times are data.
#include <gtest/gtest.h>

#include <vector>

#include "CameraModel.h"
#include "VirtualDevice.h"
#include "ZKVRegisterFields.h"

using namespace zkvsim;
namespace R = zkv::CameraRegister;

namespace {

constexpr std::uint32_t kIsoOn = 0x80000000u;
constexpr std::uint32_t kTriggerOn = 0x82000000u;                 // Presence, ON_OFF, source 0, mode 0
constexpr std::uint32_t kSoftwareTriggerOn = kTriggerOn | 0x00E00000u;  // source 7
constexpr std::uint32_t kFire = 0x80000000u;
constexpr auto D = FrameDecision::kDeliver;
constexpr auto X = FrameDecision::kDrop;
constexpr auto N = FrameDecision::kNone;

CameraModel MakeCamera() { return CameraModel(*FindDeviceKind("bayer"), 1); }

std::uint32_t Read(const CameraModel& camera, std::uint32_t address) {
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(kOk, camera.ReadRegister(address, &value)) << std::hex << address;
    return value;
}

// One step of a script: a register write (frames empty) or frame times with
// the decisions expected, then optionally a register and the value it reads.
struct Step {
    std::uint32_t address;
    std::uint32_t value;
    std::vector<FrameDecision> frames;
    std::uint32_t readAddress = 0;
    std::uint32_t readValue = 0;
};

struct Script {
    const char* name;
    std::vector<Step> steps;
};

}  // namespace

TEST(FrameControls, TriggerRegistersAcceptOnlyWhatTheInquiryOffers) {
    CameraModel camera = MakeCamera();
    const std::uint32_t inq = Read(camera, R::TRIGGER_INQ);
    EXPECT_EQ(1u, zkv::GetField(inq, zkv::TriggerInq::Presence));
    EXPECT_EQ(1u, zkv::GetField(inq, zkv::TriggerInq::SoftwareTrigger));
    EXPECT_EQ(0x8000u, zkv::GetField(inq, zkv::TriggerInq::Modes));  // mode 0 only
    EXPECT_TRUE(Read(camera, R::FEATURE_HI_INQ) & (0x80000000u >> 12));
    EXPECT_EQ(kAccessDenied, camera.WriteRegister(R::TRIGGER_INQ, 0));

    ASSERT_EQ(kOk, camera.WriteRegister(R::TRIGGER_MODE, kSoftwareTriggerOn | 0x01000000u | 0x123));
    EXPECT_EQ(kSoftwareTriggerOn | 0x01000000u | 0x123, Read(camera, R::TRIGGER_MODE));
    // Presence and Trigger_Value are the camera's; refused values change nothing.
    ASSERT_EQ(kOk, camera.WriteRegister(R::TRIGGER_MODE, 0x00100000u));
    EXPECT_EQ(0x80000000u, Read(camera, R::TRIGGER_MODE));
    for (std::uint32_t refused : {kTriggerOn | 0x00400000u /* source 2 */, kTriggerOn | 0x00030000u /* mode 3 */}) {
        EXPECT_EQ(kInvalidArg, camera.WriteRegister(R::TRIGGER_MODE, refused)) << std::hex << refused;
        EXPECT_EQ(0x80000000u, Read(camera, R::TRIGGER_MODE));
    }
}

TEST(FrameControls, GateDeliversTheFramesTheSetUpAllows) {
    const Script scripts[] = {
        {"free running", {{R::ISO_EN, kIsoOn, {D, D, D}}}},
        {"stopped", {{R::ISO_EN, 0, {N, N}}}},
        {"software trigger: one frame per trigger",
         {{R::TRIGGER_MODE, kSoftwareTriggerOn, {}},
          {R::ISO_EN, kIsoOn, {N, N}},
          {R::SOFTWARE_TRIGGER, kFire, {}, R::SOFTWARE_TRIGGER, kFire},  // pending until taken
          {0, 0, {D, N, N}, R::SOFTWARE_TRIGGER, 0},
          {R::SOFTWARE_TRIGGER, kFire, {D, N}}}},
        {"trigger needs ISO_EN", {{R::TRIGGER_MODE, kSoftwareTriggerOn, {}}, {R::SOFTWARE_TRIGGER, kFire, {N, N}}}},
        {"hardware source ignores the software trigger",
         {{R::TRIGGER_MODE, kTriggerOn, {}}, {R::ISO_EN, kIsoOn, {}}, {R::SOFTWARE_TRIGGER, kFire, {N, N}}}},
        {"trigger turned off drops a pending trigger",
         {{R::TRIGGER_MODE, kSoftwareTriggerOn, {}}, {R::SOFTWARE_TRIGGER, kFire, {}},
          {R::TRIGGER_MODE, 0, {}}, {R::TRIGGER_MODE, kSoftwareTriggerOn, {}}, {R::ISO_EN, kIsoOn, {N}}}},
        {"one shot", {{R::ONE_SHOT, 0x80000000u, {}, R::ONE_SHOT, 0x80000000u}, {0, 0, {D, N, N}, R::ONE_SHOT, 0}}},
        {"multi shot counts down",
         {{R::ONE_SHOT, 0x40000003u, {D}, R::ONE_SHOT, 0x40000002u}, {0, 0, {D, D, N}, R::ONE_SHOT, 0}}},
        {"multi shot of zero frames", {{R::ONE_SHOT, 0x40000000u, {N}}}},
        {"multi shot stopped", {{R::ONE_SHOT, 0x40000005u, {D}}, {R::ONE_SHOT, 0, {N}}}},
    };
    for (const Script& script : scripts) {
        CameraModel camera = MakeCamera();
        std::size_t stepIndex = 0;
        for (const Step& step : script.steps) {
            if (step.address || step.value) {
                ASSERT_EQ(kOk, camera.WriteRegister(step.address, step.value)) << script.name << " step " << stepIndex;
            }
            for (std::size_t i = 0; i < step.frames.size(); ++i) {
                EXPECT_EQ(step.frames[i], camera.NextFrame()) << script.name << " step " << stepIndex << " frame " << i;
            }
            if (step.readAddress) {
                EXPECT_EQ(step.readValue, Read(camera, step.readAddress)) << script.name;
            }
            ++stepIndex;
        }
    }
}

TEST(FrameControls, DropFaultLosesFramesAndTheCountsSaySo) {
    CameraModel camera = MakeCamera();
    ASSERT_EQ(kOk, camera.WriteRegister(R::ISO_EN, kIsoOn));
    camera.NextFrame();
    camera.Gate().FrameDelivered();
    camera.Gate().DropFrames(2);
    const FrameDecision expected[] = {X, X, D, D};
    for (FrameDecision e : expected) EXPECT_EQ(e, camera.NextFrame());
    // Frame 3 reached the host; frame 4 is still on its way and not counted.
    camera.Gate().FrameDelivered();
    EXPECT_EQ(2u, camera.Gate().Delivered());
    EXPECT_EQ(2u, camera.Gate().Dropped());
    EXPECT_EQ((std::vector<std::uint64_t>{1, 2}), camera.Gate().DroppedFrameNumbers());
    // Frames with no trigger are neither delivered nor dropped.
    ASSERT_EQ(kOk, camera.WriteRegister(R::TRIGGER_MODE, kSoftwareTriggerOn));
    camera.Gate().DropFrames(1);
    EXPECT_EQ(N, camera.NextFrame());
    EXPECT_EQ(2u, camera.Gate().Dropped());
    // A late host loses frames of continuous transmission only.
    EXPECT_EQ(0u, camera.MissFrames(3));
    ASSERT_EQ(kOk, camera.WriteRegister(R::TRIGGER_MODE, 0));
    EXPECT_EQ(3u, camera.MissFrames(3));
    camera.Gate().LoseFrame(4);
    EXPECT_EQ(2u, camera.Gate().Delivered());
    EXPECT_EQ((std::vector<std::uint64_t>{1, 2, 5, 6, 7, 4}), camera.Gate().DroppedFrameNumbers());
    camera.Gate().ResetCounts();
    EXPECT_EQ(0u, camera.Gate().Delivered() + camera.Gate().Dropped());
    EXPECT_TRUE(camera.Gate().DroppedFrameNumbers().empty());
}

TEST(FrameControls, OnePushConvergesOverFramesThenClearsTheBit) {
    CameraModel camera = MakeCamera();
    // White balance offers one push and settles on red 560 (low field), blue 740.
    const std::uint32_t wb = R::WHITE_BALANCE;
    ASSERT_EQ(kOk, camera.WriteRegister(wb, kOnOff | 100 << 12 | 1000));
    ASSERT_EQ(kOk, camera.WriteRegister(wb, kOnOff | kOnePush | 100 << 12 | 1000));
    // Frame times without a frame (no trigger) do not move it.
    ASSERT_EQ(kOk, camera.WriteRegister(R::TRIGGER_MODE, kSoftwareTriggerOn));
    ASSERT_EQ(kOk, camera.WriteRegister(R::ISO_EN, kIsoOn));
    for (int i = 0; i < 8; ++i) ASSERT_EQ(N, camera.NextFrame());
    EXPECT_EQ(kPresence | kOnOff | kOnePush | 100u << 12 | 1000u, Read(camera, wb));
    ASSERT_EQ(kOk, camera.WriteRegister(R::TRIGGER_MODE, 0));
    std::uint32_t red = 1000, blue = 100;
    for (std::uint32_t frame = 1; frame < kOnePushFrames; ++frame) {
        camera.NextFrame();
        const std::uint32_t v = Read(camera, wb);
        ASSERT_TRUE(v & kOnePush) << "frame " << frame;
        const std::uint32_t r = v & kValueMask, b = (v & kHighValueMask) >> 12;
        EXPECT_TRUE(r < red && r > 560) << r;
        EXPECT_TRUE(b > blue && b < 740) << b;
        red = r;
        blue = b;
    }
    camera.NextFrame();
    EXPECT_EQ(kPresence | kOnOff | 740u << 12 | 560u, Read(camera, wb));
    camera.NextFrame();
    EXPECT_EQ(kPresence | kOnOff | 740u << 12 | 560u, Read(camera, wb));
    // Brightness has no one push: the bit is not taken.
    ASSERT_EQ(kOk, camera.WriteRegister(R::BRIGHTNESS, kOnOff | kOnePush | 10));
    EXPECT_EQ(kPresence | kOnOff | 10u, Read(camera, R::BRIGHTNESS));
}

TEST(FrameControls, MemoryChannelsSaveAndLoadFeaturesTriggerAndVideoFormat) {
    CameraModel camera = MakeCamera();
    EXPECT_EQ(kMemoryChannelCount, zkv::GetField(Read(camera, R::BASIC_FUNC_INQ), zkv::BasicFuncInq::MemoryChannel));
    const std::uint32_t watched[] = {R::BRIGHTNESS, R::ABS_BRIGHTNESS_VAL, R::TRIGGER_MODE, R::CUR_V_MODE,
                                     R::CUR_V_FRM_RATE};
    auto snapshot = [&] {
        std::vector<std::uint32_t> values;
        for (std::uint32_t a : watched) values.push_back(Read(camera, a));
        return values;
    };
    const std::vector<std::uint32_t> factory = snapshot();
    // Another standard mode of the same format, and another rate.
    const std::uint32_t mode = Read(camera, R::CUR_V_MODE) >> 29;
    std::uint32_t other = 0;
    while (other < 8 && (other == mode || camera.WriteRegister(R::CUR_V_MODE, other << 29) != kOk)) ++other;
    ASSERT_LT(other, 8u) << "the camera offers a second mode";
    ASSERT_EQ(kOk, camera.WriteRegister(R::CUR_V_FRM_RATE, 1u << 29));
    ASSERT_EQ(kOk, camera.WriteRegister(R::BRIGHTNESS, kOnOff | 200));
    ASSERT_EQ(kOk, camera.WriteRegister(R::TRIGGER_MODE, kSoftwareTriggerOn));
    const std::vector<std::uint32_t> saved = snapshot();
    ASSERT_NE(factory, saved);

    EXPECT_EQ(kInvalidArg, camera.WriteRegister(R::MEMORY_SAVE, 0x80000000u));  // MEM_SAVE_CH 0: factory
    ASSERT_EQ(kOk, camera.WriteRegister(R::MEM_SAVE_CH, 2u << 28));
    ASSERT_EQ(kOk, camera.WriteRegister(R::MEMORY_SAVE, 0x80000000u));
    EXPECT_EQ(0u, Read(camera, R::MEMORY_SAVE));
    EXPECT_EQ(kInvalidArg, camera.WriteRegister(R::MEM_SAVE_CH, (kMemoryChannelCount + 1) << 28));
    EXPECT_EQ(kInvalidArg, camera.WriteRegister(R::CUR_MEM_CH, (kMemoryChannelCount + 1) << 28));

    ASSERT_EQ(kOk, camera.WriteRegister(R::CUR_MEM_CH, 0));
    EXPECT_EQ(factory, snapshot());
    ASSERT_EQ(kOk, camera.WriteRegister(R::CUR_MEM_CH, 2u << 28));
    EXPECT_EQ(saved, snapshot());
    EXPECT_EQ(2u << 28, Read(camera, R::CUR_MEM_CH));
    // An unsaved user channel holds the factory settings.
    ASSERT_EQ(kOk, camera.WriteRegister(R::CUR_MEM_CH, 1u << 28));
    EXPECT_EQ(factory, snapshot());

    // While streaming, a channel with another mode is refused and nothing changes.
    camera.SetStreaming(true);
    EXPECT_EQ(kBusy, camera.WriteRegister(R::CUR_MEM_CH, 2u << 28));
    EXPECT_EQ(factory, snapshot());
    EXPECT_EQ(1u << 28, Read(camera, R::CUR_MEM_CH));
}

TEST(FrameControls, ChannelsLeaveTheCameraAsWordsAndComeBackChecked) {
    CameraModel camera = MakeCamera();
    ASSERT_EQ(kOk, camera.WriteRegister(R::BRIGHTNESS, kOnOff | 200));
    ASSERT_EQ(kOk, camera.WriteRegister(R::MEM_SAVE_CH, 1u << 28));
    ASSERT_EQ(kOk, camera.WriteRegister(R::MEMORY_SAVE, 0x80000000u));
    const std::vector<std::uint32_t> words = camera.ChannelData(1);
    ASSERT_FALSE(words.empty());
    EXPECT_TRUE(camera.ChannelData(0).empty());

    CameraModel restarted = MakeCamera();
    ASSERT_EQ(kOk, restarted.SetChannelData(1, words));
    ASSERT_EQ(kOk, restarted.WriteRegister(R::CUR_MEM_CH, 1u << 28));
    EXPECT_EQ(kPresence | kOnOff | 200u, Read(restarted, R::BRIGHTNESS));
    // Words that are not this camera's settings are refused: the layout mark,
    // the feature count, the rate, the FOURCC and the width of Format 7 mode 0.
    struct Damage {
        std::size_t at;
        std::uint32_t value;
    };
    const std::size_t trigger = 2 + 2 * words[1];
    for (const Damage d : {Damage{0, 0}, Damage{1, 3}, Damage{trigger + 3, 9}, Damage{trigger + 4, 0x12345678u},
                           Damage{trigger + 8, 0}}) {
        std::vector<std::uint32_t> bad = words;
        bad[d.at] = d.value;
        EXPECT_EQ(kInvalidArg, restarted.SetChannelData(1, bad)) << d.at;
    }
    EXPECT_EQ(kInvalidArg, restarted.SetChannelData(1, std::vector<std::uint32_t>(words.begin(), words.end() - 1)));
    EXPECT_EQ(kInvalidArg, restarted.SetChannelData(kMemoryChannelCount + 1, words));
}

TEST(FrameControls, ControlsADeviceLacksAreGone) {
    CameraModel camera = MakeCamera();
    camera.RemoveControls(kLacksTrigger | kLacksOnePush | kLacksMemoryChannels);
    EXPECT_EQ(0u, Read(camera, R::TRIGGER_INQ));
    EXPECT_EQ(0u, Read(camera, R::TRIGGER_MODE));
    EXPECT_EQ(kAccessDenied, camera.WriteRegister(R::TRIGGER_MODE, kSoftwareTriggerOn));
    EXPECT_EQ(kAccessDenied, camera.WriteRegister(R::SOFTWARE_TRIGGER, kFire));
    EXPECT_FALSE(Read(camera, R::FEATURE_HI_INQ) & (0x80000000u >> 12));
    EXPECT_FALSE(Read(camera, R::WHITE_BALANCE_INQ) & kOnePushInq);
    ASSERT_EQ(kOk, camera.WriteRegister(R::INITIALIZE, 0x80000000u));
    EXPECT_FALSE(Read(camera, R::WHITE_BALANCE_INQ) & kOnePushInq);
    EXPECT_EQ(0u, zkv::GetField(Read(camera, R::BASIC_FUNC_INQ), zkv::BasicFuncInq::MemoryChannel));
    EXPECT_EQ(kInvalidArg, camera.WriteRegister(R::MEM_SAVE_CH, 1u << 28));
    EXPECT_EQ(kOk, camera.WriteRegister(R::CUR_MEM_CH, 0));  // the factory settings remain
    // One-shot does not depend on the trigger.
    EXPECT_EQ(kOk, camera.WriteRegister(R::ONE_SHOT, 0x80000000u));
    EXPECT_EQ(D, camera.NextFrame());
}

TEST(FrameControls, DeviceFrameFaultsComeInstalledOrLive) {
    // drop_frames 3: frames 2, 5, ... are dropped; a live period 2 joins it
    // while set (the shortest period counts); a live deliver fault keyed by frame.
    DeviceSettings settings;
    settings.faults = {{kFaultDropFrames, 3, static_cast<std::int32_t>(0x80004005u)}};
    VirtualDevice device{settings};
    std::uint32_t liveGeneration = 0;
    std::vector<FaultSpec> live;
    device.SetLiveFaultSource([&](std::uint32_t* generation, std::vector<FaultSpec>* faults) {
        if (*generation == liveGeneration) return false;
        *generation = liveGeneration;
        *faults = live;
        return true;
    });
    device.SetStreaming(true);
    const FrameDecision installed[] = {D, D, X, D, D, X};
    for (FrameDecision e : installed) EXPECT_EQ(e, device.NextFrame());
    live = {{kFaultDropFrames, 2, static_cast<std::int32_t>(0x80004005u)},
            {kFaultDeliver, 9, static_cast<std::int32_t>(0x8007000Eu)}};
    liveGeneration = 2;
    std::uint64_t number = 0;
    EXPECT_EQ(D, device.NextFrame(&number));
    EXPECT_EQ(6u, number);
    EXPECT_EQ(X, device.NextFrame(&number));
    EXPECT_EQ(7u, number);
    EXPECT_EQ(static_cast<ModelResult>(0x8007000Eu), device.Fault(kFaultDeliver, 9));
    EXPECT_EQ(kOk, device.Fault(kFaultDeliver, 8));
    live.clear();
    liveGeneration = 4;
    EXPECT_EQ(X, device.NextFrame());  // frame 8: the installed period again
    EXPECT_EQ(kOk, device.Fault(kFaultDeliver, 9));
}

TEST(FrameControls, DeviceGatesFramesAndCountsThemUntilReconfigured) {
    VirtualDevice device{DeviceSettings{}};
    ASSERT_EQ(kOk, device.PokeRegister(R::TRIGGER_MODE, kSoftwareTriggerOn));
    device.SetStreaming(true);
    EXPECT_EQ(N, device.NextFrame());
    ASSERT_EQ(kOk, device.PokeRegister(R::SOFTWARE_TRIGGER, kFire));
    device.DropFrames(1);
    EXPECT_EQ(X, device.NextFrame());
    ASSERT_EQ(kOk, device.PokeRegister(R::SOFTWARE_TRIGGER, kFire));
    EXPECT_EQ(D, device.NextFrame());
    device.FrameDelivered();
    std::uint64_t delivered = 0, dropped = 0;
    device.FrameCounts(&delivered, &dropped);
    EXPECT_EQ(1u, delivered);
    EXPECT_EQ(1u, dropped);
    EXPECT_EQ(std::vector<std::uint64_t>{0}, device.DroppedFrameNumbers());
    device.Configure(DeviceSettings{});
    device.FrameCounts(&delivered, &dropped);
    EXPECT_EQ(0u, delivered + dropped);
}
