// The platform's system reference clock, created, advised once and released
// again and again, as a graph does with the clock of each run: a renderer asks
// for a wake-up a few milliseconds ahead, cancels it when the graph stops, and
// the graph drops the clock shortly after, about when the clock's advise
// thread wakes for the cancelled time. No code of the project is involved: a
// release that never returns is a fault of the platform it runs on.
// With the argument "periodic" a periodic wake-up stays advised through each
// release, so that the advise thread never sleeps without a time-out: the
// releases then return.
#include <windows.h>
#include <dshow.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kRounds = 4000;
constexpr DWORD kStuckMs = 10000;

volatile LONG g_inRelease;
volatile LONG g_round;

DWORD WINAPI Watch(LPVOID)
{
    LONG watched = -1;
    DWORD since = 0;
    for (;;) {
        Sleep(100);
        const LONG round = g_inRelease ? g_round : -1;
        if (round != watched) {
            watched = round;
            since = GetTickCount();
        } else if (round >= 0 && GetTickCount() - since > kStuckMs) {
            std::printf("round %ld: releasing the system clock did not return in %lu ms\n", g_round, kStuckMs);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const bool periodic = argc > 1 && std::strcmp(argv[1], "periodic") == 0;
    HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 0x7fffffff, nullptr);
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 2;
    CloseHandle(CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr));
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    for (int round = 0; round < kRounds; ++round) {
        g_round = round;
        IReferenceClock* clock = nullptr;
        if (FAILED(CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_IReferenceClock,
                                    reinterpret_cast<void**>(&clock)))) {
            std::printf("no system clock\n");
            return 2;
        }
        REFERENCE_TIME now = 0;
        clock->GetTime(&now);
        DWORD_PTR cookie = 0;
        clock->AdviseTime(now, 20000, reinterpret_cast<HEVENT>(event), &cookie);  // 2 ms ahead
        clock->Unadvise(cookie);
        DWORD_PTR periodCookie = 0;
        if (periodic) clock->AdvisePeriodic(now + 100000, 100000, reinterpret_cast<HSEMAPHORE>(semaphore), &periodCookie);
        Sleep(1 + round % 3);  // about when the advise thread wakes for it
        InterlockedExchange(&g_inRelease, 1);
        clock->Release();
        InterlockedExchange(&g_inRelease, 0);
    }
    CloseHandle(event);
    CloseHandle(semaphore);
    CoUninitialize();
    std::printf("%d clocks released%s\n", kRounds, periodic ? " with a periodic wake-up advised" : "");
    return 0;
}
