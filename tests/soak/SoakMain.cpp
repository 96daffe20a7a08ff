// TesseraSoak: runs the viewer with its cameras for a given time, works their
// pages and faults on the fixed schedule, samples the viewer's process and
// every camera's frame counts, and at the end closes the windows and waits for
// the process to end. Everything it sees goes to the record (SoakLog); the
// verdict is drawn from the record afterwards.
//   TesseraSoak --cameras N --minutes M --out record.csv --setup ZkvCameraSetup.exe
//               [--step-seconds S] [--sample-seconds S]
// The viewer is ZKV_BIN_DIR\Tessera.exe. Exit status 0 when the run went to
// its end (whatever it found), 1 when the viewer could not be started or
// did not show its cameras, 2 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "FrameCounterReader.h"
#include "LiveFaults.h"
#include "ProcessSampler.h"
#include "SoakLog.h"
#include "SoakSchedule.h"
#include "ViewerProcess.h"

namespace {

struct Options {
    unsigned cameras = 10;
    double minutes = 10;
    double stepSeconds = 3;
    double sampleSeconds = 5;
    const char* out = nullptr;
    const char* setup = nullptr;
};

bool ParseOptions(int argc, char** argv, Options* o)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* name = argv[i];
        const char* value = argv[i + 1];
        if (!std::strcmp(name, "--cameras")) o->cameras = std::strtoul(value, nullptr, 10);
        else if (!std::strcmp(name, "--minutes")) o->minutes = std::strtod(value, nullptr);
        else if (!std::strcmp(name, "--step-seconds")) o->stepSeconds = std::strtod(value, nullptr);
        else if (!std::strcmp(name, "--sample-seconds")) o->sampleSeconds = std::strtod(value, nullptr);
        else if (!std::strcmp(name, "--out")) o->out = value;
        else if (!std::strcmp(name, "--setup")) o->setup = value;
        else return false;
    }
    return (argc % 2) == 1 && o->out && o->setup && o->cameras >= 1 && o->cameras <= 10 &&
           o->minutes > 0 && o->stepSeconds > 0 && o->sampleSeconds > 0;
}

std::wstring Wide(const char* text)
{
    std::wstring wide;
    for (const char* c = text; *c; ++c)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return wide;
}

// The camera windows that show a serial number, in the order of their titles.
std::vector<SoakCamera> CamerasShown(const ViewerProcess& viewer)
{
    std::vector<SoakCamera> cameras;
    for (HWND window : viewer.CameraWindows()) {
        const std::string title = WindowText(window);
        const std::string::size_type at = title.find("(Serial #: ");
        if (at != std::string::npos)
            cameras.push_back({window, std::strtoul(title.c_str() + at + 11, nullptr, 10)});
    }
    return cameras;
}

struct Sampler {
    const ViewerProcess* viewer;
    HANDLE process;
    SoakLog* log;
    DWORD periodMs;
    HANDLE stop;
};

void SampleOnce(const Sampler& s, FrameCounterReader& counters)
{
    ProcessSample sample = {};
    if (SampleProcess(s.process, s.viewer->Id(), &sample))
        s.log->Line("sample", "%llu,%llu,%lu,%lu", sample.residentBytes / 1024,
                    sample.committedBytes / 1024, static_cast<unsigned long>(sample.handles),
                    static_cast<unsigned long>(sample.threads));
    for (const CameraFrames& camera : counters.Read())
        s.log->Line("frames", "%lu,%lu,%lu", static_cast<unsigned long>(camera.serialNumber),
                    static_cast<unsigned long>(camera.delivered),
                    static_cast<unsigned long>(camera.dropped));
}

DWORD WINAPI SamplerThread(LPVOID parameter)
{
    const Sampler& s = *static_cast<Sampler*>(parameter);
    FrameCounterReader counters(s.viewer->Id());
    do {
        SampleOnce(s, counters);
    } while (WaitForSingleObject(s.stop, s.periodMs) == WAIT_TIMEOUT);
    SampleOnce(s, counters);
    return 0;
}

void LogMessages(SoakLog& log, std::vector<MessageBoxText> messages)
{
    for (MessageBoxText& m : messages) {
        std::string text = m.caption + ": " + m.text;
        for (char& c : text) {
            if (c == ',' || c == '\n' || c == '\r')
                c = ';';
        }
        log.Line("message", "%s", text.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: TesseraSoak --cameras N --minutes M --out record.csv "
                             "--setup ZkvCameraSetup.exe [--step-seconds S] [--sample-seconds S]\n");
        return 2;
    }
    FILE* out = std::fopen(options.out, "w");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", options.out);
        return 2;
    }
    SoakLog log(out);
    ViewerProcess viewer;
    if (!viewer.Start()) {
        log.Line("start", "failed");
        std::fclose(out);
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE,
                                 viewer.Id());

    // Every camera window with its serial number in the title: the graph is
    // built and running. Message boxes would stop a camera thread: answer them.
    // A camera that failed shows its message and no window: once one was
    // answered, the others get 30 s more, not the whole start-up time.
    std::vector<MessageBoxText> messages;
    std::set<HWND> answered;
    size_t shownCount = 0;
    DWORD lastChange = GetTickCount();
    const bool shown = WaitUntil(
        [&] {
            for (HWND box : viewer.MessageBoxes()) {
                if (answered.insert(box).second) {
                    messages.push_back(ViewerProcess::ReadMessageBox(box));
                    lastChange = GetTickCount();
                }
                ViewerProcess::Dismiss(box);
            }
            const size_t count = CamerasShown(viewer).size();
            if (count != shownCount) {
                shownCount = count;
                lastChange = GetTickCount();
            }
            return count >= options.cameras || !viewer.Running() ||
                   (!messages.empty() && GetTickCount() - lastChange > 30000);
        },
        180000);
    LogMessages(log, messages);
    const std::vector<SoakCamera> cameras = CamerasShown(viewer);
    log.Line("start", "%u,%u", static_cast<unsigned>(cameras.size()), options.cameras);
    if (!shown || cameras.size() < options.cameras) {
        std::fclose(out);
        return 1;
    }

    Sampler sampler{&viewer, process, &log, static_cast<DWORD>(options.sampleSeconds * 1000),
                    CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE samplerThread = CreateThread(nullptr, 0, SamplerThread, &sampler, 0, nullptr);

    LiveFaults faults(Wide(options.setup));
    SoakSchedule schedule(viewer, log, faults, cameras);
    const double end = log.Seconds() + options.minutes * 60;
    unsigned step = 0;
    while (log.Seconds() < end && viewer.Running()) {
        const double next = log.Seconds() + options.stepSeconds;
        schedule.RunStep(step++);
        while (log.Seconds() < next && viewer.Running())
            Sleep(100);
    }
    const bool alive = viewer.Running();
    SetEvent(sampler.stop);
    WaitForSingleObject(samplerThread, INFINITE);
    CloseHandle(samplerThread);
    CloseHandle(sampler.stop);

    if (!alive) {
        log.Line("crash", "%lu", static_cast<unsigned long>(viewer.ExitCode()));
    } else {
        // The user's way out: every camera window closed; the viewer must end by itself.
        const double closing = log.Seconds();
        for (const SoakCamera& camera : cameras)
            PostMessageA(camera.window, WM_CLOSE, 0, 0);
        const bool exited = viewer.WaitForExit(60000);
        if (exited)
            log.Line("exit", "%lu,%.1f", static_cast<unsigned long>(viewer.ExitCode()),
                     log.Seconds() - closing);
        else
            log.Line("exit", "timeout,%.1f", log.Seconds() - closing);
    }
    if (process)
        CloseHandle(process);
    std::fclose(out);
    return 0;
}
