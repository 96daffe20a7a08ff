// Native stand-ins for the platform services: calloc/free for the local heap,
// a recording DefDriverProc and an About box that only counts.
#include <cstdlib>
#include <mutex>

#include "CodecPlatformStub.h"

CodecStubState& CodecStub() {
    static CodecStubState state;
    return state;
}

// The local heap is safe for concurrent instances; so are its stand-ins' counts.
namespace {
std::mutex g_heapCounts;
}  // namespace

void* CodecLocalAlloc(std::size_t bytes) {
    std::lock_guard<std::mutex> hold(g_heapCounts);
    CodecStubState& stub = CodecStub();
    if (stub.failingAllocations > 0) {
        --stub.failingAllocations;
        return nullptr;
    }
    void* block = std::calloc(1, bytes);
    if (block) ++stub.liveAllocations;
    return block;
}

void CodecLocalFree(void* block) {
    if (block) {
        std::lock_guard<std::mutex> hold(g_heapCounts);
        --CodecStub().liveAllocations;
    }
    std::free(block);
}

LRESULT CodecDefDriverProc(DWORD_PTR driverId, HDRVR driver, UINT message, LPARAM lParam1,
                           LPARAM lParam2) {
    CodecStubState& stub = CodecStub();
    ++stub.defDriverProcCalls;
    stub.lastDefDriverId = driverId;
    stub.lastDefDriver = driver;
    stub.lastDefMessage = message;
    stub.lastDefLParam1 = lParam1;
    stub.lastDefLParam2 = lParam2;
    return stub.defDriverProcResult;
}

void CodecShowAboutBox(HWND owner) {
    CodecStubState& stub = CodecStub();
    ++stub.aboutBoxes;
    stub.lastAboutOwner = owner;
}
