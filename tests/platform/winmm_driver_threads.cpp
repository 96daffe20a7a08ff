// Sixteen threads ask for the audio and MIDI devices at the same moment, each
// for the first time in the process, as the threads of a program that build
// filter graphs side by side do (the graph's filter mapper lists every filter
// category, and the device enumerator lists those devices for it). No code of
// the project is involved: a failure of this program is a fault of the
// platform it runs on.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>

namespace {

constexpr int kThreads = 16;

HANDLE g_start;

// The calls the device enumerator makes for the audio renderer, audio input
// and MIDI renderer categories, mapper first.
DWORD WINAPI ListDevices(LPVOID)
{
    WaitForSingleObject(g_start, INFINITE);
    WAVEOUTCAPSW waveOut;
    waveOutGetDevCapsW(WAVE_MAPPER, &waveOut, sizeof waveOut);
    for (UINT i = 0, n = waveOutGetNumDevs(); i < n; ++i)
        waveOutGetDevCapsW(i, &waveOut, sizeof waveOut);
    WAVEINCAPSW waveIn;
    for (UINT i = 0, n = waveInGetNumDevs(); i < n; ++i)
        waveInGetDevCapsW(i, &waveIn, sizeof waveIn);
    MIDIOUTCAPSW midiOut;
    midiOutGetDevCapsW(MIDI_MAPPER, &midiOut, sizeof midiOut);
    for (UINT i = 0, n = midiOutGetNumDevs(); i < n; ++i)
        midiOutGetDevCapsW(i, &midiOut, sizeof midiOut);
    return 0;
}

}  // namespace

int main()
{
    g_start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[kThreads];
    for (HANDLE& t : threads)
        t = CreateThread(nullptr, 0, ListDevices, nullptr, 0, nullptr);
    SetEvent(g_start);
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (HANDLE t : threads)
        CloseHandle(t);
    CloseHandle(g_start);
    std::printf("%d threads listed the devices\n", kThreads);
    return 0;
}
