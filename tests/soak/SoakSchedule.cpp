#include "SoakSchedule.h"

#include <cstdio>

#include "PropertyFrame.h"
#include "VideoProcAmpPageIds.h"

namespace {

constexpr DWORD kPageTimeoutMs = 30000;
constexpr ULONG kSerialNumberRegister = 0x1F20;
constexpr ULONG kBrightnessControl = 0x800;
constexpr ULONG kBrightnessInquiry = 0x500;  // read-only: a write must be refused
constexpr ULONG kCurVFrmRate = 0x600;
constexpr ULONG kCurVMode = 0x604;
constexpr unsigned kFieldShift = 29;  // the rate and mode fields are the top three bits

// Keeps a text to one field of the log's line.
std::string Field(std::string text)
{
    for (char& c : text) {
        if (c == ',' || c == '\n' || c == '\r')
            c = ';';
    }
    return text;
}

std::string Hex(ULONG value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

}  // namespace

SoakSchedule::SoakSchedule(const ViewerProcess& viewer, SoakLog& log, const LiveFaults& faults,
                           std::vector<SoakCamera> cameras)
    : viewer_(viewer), log_(log), faults_(faults), cameras_(std::move(cameras)),
      counters_(viewer.Id())
{
}

void SoakSchedule::Result(const SoakCamera& camera, const char* action, bool ok,
                          const std::string& detail)
{
    log_.Line("step", "%lu,%s,%s,%s", static_cast<unsigned long>(camera.serialNumber), action,
              ok ? "ok" : "fail", Field(detail).c_str());
}

void SoakSchedule::Skip(const SoakCamera& camera, const char* action, const std::string& detail)
{
    log_.Line("step", "%lu,%s,skip,%s", static_cast<unsigned long>(camera.serialNumber), action,
              Field(detail).c_str());
}

void SoakSchedule::RunStep(unsigned step)
{
    const unsigned count = static_cast<unsigned>(cameras_.size());
    const SoakCamera& camera = cameras_[step % count];
    const unsigned round = step / count;
    switch (round % 5) {
    case 0: OpenAndCancel(camera); break;
    case 1: SwitchFormatAndBack(camera); break;
    case 2: SetFeatures(camera, round / 5); break;
    case 3: ReadAndWriteRegisters(camera); break;
    default: FailAndRecover(camera); break;
    }
}

void SoakSchedule::OpenAndCancel(const SoakCamera& camera)
{
    PropertyFrame frame(viewer_, camera.window);
    const bool opened = frame.Open(kPageTimeoutMs);
    const bool closed = opened && frame.Close(false, kPageTimeoutMs);
    Result(camera, "frame", opened && closed, opened ? (closed ? "opened and cancelled" : "did not close")
                                                     : "did not open");
}

// The viewer opens the capture filter's pages only (the streaming page is the
// pin's), so the format is switched the way those pages can: the frame rate
// through the register editor, to another rate and back, while the stream
// runs; a video mode change is refused while streaming and the stream goes on.
void SoakSchedule::SwitchFormatAndBack(const SoakCamera& camera)
{
    PropertyFrame frame(viewer_, camera.window);
    if (!frame.Open(kPageTimeoutMs)) {
        Result(camera, "format", false, "did not open");
        return;
    }
    ULONG rate = 0, switched = 0, back = 0, mode = 0;
    bool ok = frame.ReadRegister(kCurVFrmRate, &rate, kPageTimeoutMs) &&
              frame.ReadRegister(kCurVMode, &mode, kPageTimeoutMs);
    const ULONG index = rate >> kFieldShift;
    const ULONG other = (index > 0 ? index - 1 : index + 1) << kFieldShift;
    ok = ok && frame.WriteRegister(kCurVFrmRate, other, kPageTimeoutMs) &&
         frame.ReadRegister(kCurVFrmRate, &switched, kPageTimeoutMs) && switched == other &&
         WaitForDelivery(camera, true, 10000) &&
         frame.WriteRegister(kCurVFrmRate, rate, kPageTimeoutMs) &&
         frame.ReadRegister(kCurVFrmRate, &back, kPageTimeoutMs) && back == rate;
    const ULONG otherMode = ((mode >> kFieldShift) ^ 1) << kFieldShift;
    const bool modeRefused = ok && !frame.WriteRegister(kCurVMode, otherMode, kPageTimeoutMs);
    const bool closed = frame.Close(false, kPageTimeoutMs);
    const bool delivering = WaitForDelivery(camera, true, 10000);
    Result(camera, "format", ok && modeRefused && closed && delivering,
           "rate " + Hex(rate) + " -> " + Hex(switched) + " -> " + Hex(back) +
               (modeRefused ? "; mode change refused while streaming" : "; mode change not refused") +
               (delivering ? "" : "; no frames afterwards"));
}

// Brightness moved to two positions through its slider: the control
// register must follow. The other sliders are moved where the kind has them.
void SoakSchedule::SetFeatures(const SoakCamera& camera, unsigned round)
{
    PropertyFrame frame(viewer_, camera.window);
    if (!frame.Open(kPageTimeoutMs)) {
        Result(camera, "features", false, "did not open");
        return;
    }
    const double first = round % 2 ? 0.75 : 0.25;
    ULONG before = 0, after = 0;
    const bool moved = frame.MoveSlider(IDC_BRIGHTNESS_SLIDER, first) &&
                       frame.ReadRegister(kBrightnessControl, &before, kPageTimeoutMs) &&
                       frame.MoveSlider(IDC_BRIGHTNESS_SLIDER, 1.0 - first) &&
                       frame.ReadRegister(kBrightnessControl, &after, kPageTimeoutMs);
    int others = 0;
    for (int slider : {IDC_GAIN_SLIDER, IDC_SATURATION_SLIDER, IDC_SHARPNESS_SLIDER, IDC_HUE_SLIDER})
        others += frame.MoveSlider(slider, first) ? 1 : 0;
    const bool closed = frame.Close(true, kPageTimeoutMs);
    Result(camera, "features", moved && before != after && closed,
           "brightness " + Hex(before) + " -> " + Hex(after) + "; " + std::to_string(others) +
               " other sliders");
}

void SoakSchedule::ReadAndWriteRegisters(const SoakCamera& camera)
{
    PropertyFrame frame(viewer_, camera.window);
    if (!frame.Open(kPageTimeoutMs)) {
        Result(camera, "registers", false, "did not open");
        return;
    }
    ULONG serial = 0, brightness = 0, again = 0;
    const bool serialRead = frame.ReadRegister(kSerialNumberRegister, &serial, kPageTimeoutMs);
    const bool written = frame.ReadRegister(kBrightnessControl, &brightness, kPageTimeoutMs) &&
                         frame.WriteRegister(kBrightnessControl, brightness, kPageTimeoutMs) &&
                         frame.ReadRegister(kBrightnessControl, &again, kPageTimeoutMs);
    const bool refused = !frame.WriteRegister(kBrightnessInquiry, 0, kPageTimeoutMs);
    const bool closed = frame.Close(false, kPageTimeoutMs);
    const bool ok = serialRead && serial == camera.serialNumber && written && again == brightness &&
                    refused && closed;
    Result(camera, "registers", ok,
           "serial " + Hex(serial) + "; brightness " + Hex(brightness) + " written back as " +
               Hex(again) + (refused ? "; read-only write refused" : "; read-only write accepted"));
}

bool SoakSchedule::LiveFaultsAvailable(const SoakCamera& camera)
{
    if (liveFaults_ < 0) {
        liveFaults_ = faults_.Clear(camera.serialNumber) == 0 ? 1 : 0;
        if (!liveFaults_)
            log_.Line("note", "live faults unavailable: the fail-and-recover steps are skipped");
    }
    return liveFaults_ == 1;
}

bool SoakSchedule::WaitForDelivery(const SoakCamera& camera, bool moving, DWORD timeoutMs)
{
    CameraFrames last = {};
    if (!counters_.Find(camera.serialNumber, &last))
        return false;
    DWORD since = GetTickCount();
    return WaitUntil(
        [&] {
            CameraFrames now = {};
            if (!counters_.Find(camera.serialNumber, &now))
                return false;
            if (moving)
                return now.delivered != last.delivered;
            if (now.delivered != last.delivered) {
                last = now;
                since = GetTickCount();
                return false;
            }
            return GetTickCount() - since >= 1000;
        },
        timeoutMs);
}

// Delivery fails until cleared, then the stream must come back by itself;
// a register read is refused while its fault is set and answered after.
void SoakSchedule::FailAndRecover(const SoakCamera& camera)
{
    if (!LiveFaultsAvailable(camera)) {
        Skip(camera, "fail-recover", "no live faults");
        return;
    }
    const int set = faults_.Set(camera.serialNumber, "deliver:any:0x80004005");
    const bool stalled = set == 0 && WaitForDelivery(camera, false, 10000);
    const int cleared = faults_.Clear(camera.serialNumber);
    const bool recovered = cleared == 0 && WaitForDelivery(camera, true, 20000);
    Result(camera, "fail-recover", stalled && recovered,
           std::string(stalled ? "delivery stopped" : "delivery did not stop") +
               (recovered ? "; came back" : "; did not come back"));

    PropertyFrame frame(viewer_, camera.window);
    if (!frame.Open(kPageTimeoutMs)) {
        Result(camera, "refused-request", false, "did not open");
        return;
    }
    ULONG serial = 0;
    const bool faultSet = faults_.Set(camera.serialNumber, "register_get:0x1F20:0x80004005") == 0;
    const bool refused = !frame.ReadRegister(kSerialNumberRegister, &serial, kPageTimeoutMs);
    const bool clear = faults_.Clear(camera.serialNumber) == 0;
    const bool answered = frame.ReadRegister(kSerialNumberRegister, &serial, kPageTimeoutMs) &&
                          serial == camera.serialNumber;
    const bool closed = frame.Close(false, kPageTimeoutMs);
    Result(camera, "refused-request", faultSet && refused && clear && answered && closed,
           std::string(refused ? "read refused" : "read answered") +
               (answered ? "; answered after clearing" : "; not answered after clearing"));
}
