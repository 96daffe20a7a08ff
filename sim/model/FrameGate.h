// Which frames the camera delivers: the trigger set-up (TRIGGER_INQ,
// TRIGGER_MODE, SOFTWARE_TRIGGER), one-shot and multi-shot (ONE_SHOT), and
// the counts of delivered and dropped frames, with faults that drop frames
// on purpose. The streaming pin asks NextFrame once per frame time.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "ModelResult.h"

namespace zkvsim {

enum class FrameDecision {
    kDeliver,  // a frame is taken and delivered
    kDrop,     // a frame is taken and lost: counted as dropped
    kNone,     // no frame is due (waiting for a trigger, or not running)
};

// Dropped frame numbers kept for IAMDroppedFrames::GetDroppedInfo.
constexpr std::size_t kDroppedFrameLogLimit = 64;

class FrameGate {
public:
    FrameGate();

    // A camera without a trigger: the trigger registers read 0 and refuse writes.
    void RemoveTrigger() { m_triggerPresent = false; m_triggerMode = 0; m_softwareTriggerPending = false; }

    // TRIGGER_INQ, TRIGGER_MODE, SOFTWARE_TRIGGER and ONE_SHOT as the bus sees them.
    static bool Handles(std::uint32_t address);
    ModelResult Read(std::uint32_t address, std::uint32_t* value) const;
    ModelResult Write(std::uint32_t address, std::uint32_t value);

    // The trigger set-up that memory channels save and restore.
    std::uint32_t TriggerMode() const { return m_triggerMode; }
    ModelResult SetTriggerMode(std::uint32_t value);

    // One frame time: isoEnabled is ISO_EN (continuous transmission). A frame
    // taken gets the next frame number (from 0 since ResetCounts) in *number.
    FrameDecision NextFrame(bool isoEnabled, std::uint64_t* number = nullptr);
    // Frame times that passed while the host fell behind: a free-running
    // camera sent a frame in each, and they are lost. Returns how many.
    std::uint64_t MissFrames(bool isoEnabled, std::uint64_t count);
    // The host took a frame that NextFrame let through; only then it counts
    // as delivered, so that the counts never include a frame still on its way.
    void FrameDelivered() { ++m_delivered; }
    // A frame NextFrame let through was lost after all (its delivery failed).
    void LoseFrame(std::uint64_t number) { CountDrop(number); }

    // The next count frames that would be delivered are dropped instead.
    void DropFrames(std::uint32_t count) { m_dropsPending = count; }
    // Of every period frames taken, the last is dropped (0: none).
    void SetDropPeriod(std::uint32_t period) { m_dropPeriod = period; }

    // Frames counted since construction or ResetCounts (IAMDroppedFrames).
    std::uint64_t Delivered() const { return m_delivered; }
    std::uint64_t Dropped() const { return m_dropped; }
    std::uint64_t Taken() const { return m_taken; }
    // The frame numbers (counting delivered and dropped frames from 0) of the
    // most recent drops, oldest first.
    std::vector<std::uint64_t> DroppedFrameNumbers() const;
    void ResetCounts();

private:
    FrameDecision Take(std::uint64_t* number);
    void CountDrop(std::uint64_t number);
    bool FreeRunning(bool isoEnabled) const;

    bool m_triggerPresent = true;
    std::uint32_t m_triggerMode;
    bool m_softwareTriggerPending = false;
    bool m_oneShot = false;
    std::uint32_t m_multiShotLeft = 0;
    std::uint32_t m_dropsPending = 0;
    std::uint32_t m_dropPeriod = 0;
    std::uint64_t m_taken = 0, m_delivered = 0, m_dropped = 0;
    std::deque<std::uint64_t> m_droppedNumbers;
};

}  // namespace zkvsim
