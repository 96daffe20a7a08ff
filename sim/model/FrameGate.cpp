#include "FrameGate.h"

#include "ZKVRegisterFields.h"

namespace zkvsim {
namespace {

namespace R = zkv::CameraRegister;
using zkv::GetField;
using zkv::SetField;

// Trigger mode 0 (one frame per trigger edge) from trigger source 0 or the
// software trigger; polarity selectable, the trigger line readable.
constexpr std::uint32_t kSourceMask = 0x8u;  // Trigger_Source0_Inq as a 4-bit field
constexpr std::uint32_t kModeMask = 0x8000u; // Trigger_Mode0_Inq as a 16-bit field
constexpr std::uint32_t kTriggerInquiry =
    zkv::FieldMask(zkv::TriggerInq::Presence) | zkv::FieldMask(zkv::TriggerInq::ReadOut) |
    zkv::FieldMask(zkv::TriggerInq::OnOff) | zkv::FieldMask(zkv::TriggerInq::Polarity) |
    zkv::FieldMask(zkv::TriggerInq::ValueRead) | zkv::FieldMask(zkv::TriggerInq::SoftwareTrigger) |
    SetField(0, zkv::TriggerInq::Sources, kSourceMask) | SetField(0, zkv::TriggerInq::Modes, kModeMask);

// The TRIGGER_MODE bits a write may change.
constexpr std::uint32_t kWritableTriggerBits = zkv::FieldMask(zkv::TriggerMode::OnOff) |
                                               zkv::FieldMask(zkv::TriggerMode::Polarity) |
                                               zkv::FieldMask(zkv::TriggerMode::Source) |
                                               zkv::FieldMask(zkv::TriggerMode::Mode) |
                                               zkv::FieldMask(zkv::TriggerMode::Parameter);

bool SourceSupported(std::uint32_t source) {
    return source == zkv::TriggerMode::kSoftwareSource || (source < 4 && (kSourceMask & (0x8u >> source)));
}

}  // namespace

FrameGate::FrameGate() : m_triggerMode(SetField(0, zkv::TriggerMode::Presence, 1)) {}

bool FrameGate::Handles(std::uint32_t address) {
    return address == R::TRIGGER_INQ || address == R::TRIGGER_MODE || address == R::SOFTWARE_TRIGGER ||
           address == R::ONE_SHOT;
}

ModelResult FrameGate::Read(std::uint32_t address, std::uint32_t* value) const {
    if (!m_triggerPresent && address != R::ONE_SHOT) {
        *value = 0;
        return Handles(address) ? kOk : kAddressError;
    }
    switch (address) {
        case R::TRIGGER_INQ: *value = kTriggerInquiry; return kOk;
        case R::TRIGGER_MODE: *value = m_triggerMode; return kOk;
        case R::SOFTWARE_TRIGGER: *value = SetField(0, zkv::SoftwareTrigger::Fire, m_softwareTriggerPending); return kOk;
        case R::ONE_SHOT:
            *value = SetField(SetField(SetField(0, zkv::OneShot::One, m_oneShot), zkv::OneShot::Multi, m_multiShotLeft != 0),
                              zkv::OneShot::Count, m_multiShotLeft);
            return kOk;
        default: return kAddressError;
    }
}

ModelResult FrameGate::SetTriggerMode(std::uint32_t value) {
    if (!m_triggerPresent) return kAccessDenied;
    if (!SourceSupported(GetField(value, zkv::TriggerMode::Source))) return kInvalidArg;
    if (!(kModeMask & (0x8000u >> GetField(value, zkv::TriggerMode::Mode)))) return kInvalidArg;
    m_triggerMode = (m_triggerMode & ~kWritableTriggerBits) | (value & kWritableTriggerBits);
    // A trigger fired for the old set-up is not taken by the new one.
    if (!GetField(m_triggerMode, zkv::TriggerMode::OnOff)) m_softwareTriggerPending = false;
    return kOk;
}

ModelResult FrameGate::Write(std::uint32_t address, std::uint32_t value) {
    switch (address) {
        case R::TRIGGER_INQ: return kAccessDenied;
        case R::TRIGGER_MODE: return SetTriggerMode(value);
        case R::SOFTWARE_TRIGGER:
            if (!m_triggerPresent) return kAccessDenied;
            if (GetField(value, zkv::SoftwareTrigger::Fire)) m_softwareTriggerPending = true;
            return kOk;
        case R::ONE_SHOT:
            // One_Shot wins over Multi_Shot; writing 0 stops either.
            m_oneShot = GetField(value, zkv::OneShot::One) != 0;
            m_multiShotLeft = (!m_oneShot && GetField(value, zkv::OneShot::Multi)) ? GetField(value, zkv::OneShot::Count) : 0;
            return kOk;
        default: return kAddressError;
    }
}

void FrameGate::CountDrop(std::uint64_t number) {
    ++m_dropped;
    m_droppedNumbers.push_back(number);
    if (m_droppedNumbers.size() > kDroppedFrameLogLimit) m_droppedNumbers.pop_front();
}

FrameDecision FrameGate::Take(std::uint64_t* number) {
    const std::uint64_t n = m_taken++;
    if (number) *number = n;
    if (m_dropsPending || (m_dropPeriod && (n + 1) % m_dropPeriod == 0)) {
        if (m_dropsPending) --m_dropsPending;
        CountDrop(n);
        return FrameDecision::kDrop;
    }
    return FrameDecision::kDeliver;
}

bool FrameGate::FreeRunning(bool isoEnabled) const {
    return isoEnabled && !GetField(m_triggerMode, zkv::TriggerMode::OnOff);
}

FrameDecision FrameGate::NextFrame(bool isoEnabled, std::uint64_t* number) {
    if (GetField(m_triggerMode, zkv::TriggerMode::OnOff)) {
        // Triggered: a frame only for a trigger; no hardware line is wired.
        if (!isoEnabled || !m_softwareTriggerPending ||
            GetField(m_triggerMode, zkv::TriggerMode::Source) != zkv::TriggerMode::kSoftwareSource) {
            return FrameDecision::kNone;
        }
        m_softwareTriggerPending = false;
        return Take(number);
    }
    if (isoEnabled) return Take(number);
    if (m_oneShot) {
        m_oneShot = false;
        return Take(number);
    }
    if (m_multiShotLeft) {
        --m_multiShotLeft;
        return Take(number);
    }
    return FrameDecision::kNone;
}

std::uint64_t FrameGate::MissFrames(bool isoEnabled, std::uint64_t count) {
    // A triggered or one-shot camera waits for the host; only continuous
    // transmission loses frames to a late host.
    if (!FreeRunning(isoEnabled)) return 0;
    const std::uint64_t first = m_taken;
    m_taken += count;
    const std::uint64_t logged = count < kDroppedFrameLogLimit ? count : kDroppedFrameLogLimit;
    m_dropped += count - logged;
    for (std::uint64_t i = count - logged; i < count; ++i) CountDrop(first + i);
    return count;
}

std::vector<std::uint64_t> FrameGate::DroppedFrameNumbers() const {
    return {m_droppedNumbers.begin(), m_droppedNumbers.end()};
}

void FrameGate::ResetCounts() {
    m_taken = m_delivered = m_dropped = 0;
    m_droppedNumbers.clear();
}

}  // namespace zkvsim
