// One-push adjustment: a feature told One_Push moves to the value it settles
// on over a few frames the camera takes, then the camera clears One_Push.
#include "CameraModel.h"

namespace zkvsim {
namespace {

// The value a field reaches after one of framesLeft equal steps.
std::uint32_t StepTowards(std::uint32_t value, std::uint32_t target, std::uint32_t framesLeft) {
    const std::int64_t v = value, t = target;
    return static_cast<std::uint32_t>(v + (t - v) / static_cast<std::int64_t>(framesLeft));
}

}  // namespace

void CameraModel::StartOnePush(FeatureState& f) {
    f.control |= kOnePush;
    f.onePushFramesLeft = kOnePushFrames;
}

void CameraModel::StepOnePush() {
    for (FeatureState& f : m_features) {
        if (!(f.control & kOnePush) || f.onePushFramesLeft == 0) continue;
        const std::uint32_t low = StepTowards(f.control & kValueMask, f.row->defaultValue, f.onePushFramesLeft);
        const std::uint32_t high =
            StepTowards((f.control & kHighValueMask) >> zkv::kValueHighShift, f.row->defaultHigh, f.onePushFramesLeft);
        f.control = (f.control & ~(kValueMask | kHighValueMask)) | high << zkv::kValueHighShift | low;
        if (--f.onePushFramesLeft == 0) f.control &= ~kOnePush;
        SyncAbsoluteFromRaw(f);
    }
}

FrameDecision CameraModel::NextFrame(std::uint64_t* number) {
    // The adjustment measures frames: a frame time without one does not count.
    const FrameDecision decision = m_gate.NextFrame((m_registers[kRegIsoEn].value & 0x80000000u) != 0, number);
    if (decision != FrameDecision::kNone) StepOnePush();
    return decision;
}

std::uint64_t CameraModel::MissFrames(std::uint64_t count) {
    const std::uint64_t taken = m_gate.MissFrames((m_registers[kRegIsoEn].value & 0x80000000u) != 0, count);
    for (std::uint64_t i = 0; i < taken && i < kOnePushFrames; ++i) StepOnePush();
    return taken;
}

}  // namespace zkvsim
