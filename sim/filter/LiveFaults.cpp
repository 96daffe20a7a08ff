#include "LiveFaults.h"

namespace zkvfilter {
namespace {

// A writer holds the table for a few instructions; one that held it this
// long has died with it.
constexpr DWORD kWriterWaitMs = 2000;

}  // namespace

std::unique_ptr<LiveFaultSection> LiveFaultSection::Open(ULONG serialNumber, bool create, HRESULT* hr) {
    wchar_t name[64];
    ZKVLiveFaultsName(serialNumber, name);
    HANDLE mapping = create ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 sizeof(ZKVLiveFaults), name)
                            : OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ZKVLiveFaults)) : nullptr;
    if (!view) {
        if (hr) *hr = HRESULT_FROM_WIN32(GetLastError());
        if (mapping) CloseHandle(mapping);
        return nullptr;
    }
    if (hr) *hr = S_OK;
    return std::unique_ptr<LiveFaultSection>(new LiveFaultSection(mapping, static_cast<ZKVLiveFaults*>(view)));
}

LiveFaultSection::~LiveFaultSection() {
    UnmapViewOfFile(m_view);
    CloseHandle(m_mapping);
}

bool LiveFaultSection::Read(std::uint32_t* generation, std::vector<zkvsim::FaultSpec>* faults) const {
    const LONG before = m_view->generation;
    if ((before & 1) || static_cast<std::uint32_t>(before) == *generation) return false;
    MemoryBarrier();
    std::vector<zkvsim::FaultSpec> copy;
    const LONG count = m_view->count;
    for (LONG i = 0; i < count && i < static_cast<LONG>(kZKVLiveFaultEntries); ++i) {
        const ZKVLiveFault& f = m_view->faults[i];
        copy.push_back({static_cast<std::uint32_t>(f.point), static_cast<std::uint32_t>(f.key), f.hr});
    }
    MemoryBarrier();
    if (m_view->generation != before) return false;  // changed meanwhile: read it next time
    *generation = static_cast<std::uint32_t>(before);
    *faults = copy;
    return true;
}

bool LiveFaultSection::LockWriter() {
    const DWORD start = GetTickCount();
    while (InterlockedCompareExchange(&m_view->writer, 1, 0) != 0) {
        if (GetTickCount() - start > kWriterWaitMs) return false;
        Sleep(1);
    }
    InterlockedIncrement(&m_view->generation);  // odd: being changed
    return true;
}

void LiveFaultSection::UnlockWriter() {
    InterlockedIncrement(&m_view->generation);
    InterlockedExchange(&m_view->writer, 0);
}

HRESULT LiveFaultSection::Add(const zkvsim::FaultSpec& fault) {
    if (!LockWriter()) return HRESULT_FROM_WIN32(ERROR_BUSY);
    HRESULT hr = S_OK;
    LONG at = 0;
    const LONG count = m_view->count;
    while (at < count && (m_view->faults[at].point != static_cast<LONG>(fault.point) ||
                          m_view->faults[at].key != static_cast<LONG>(fault.key))) {
        ++at;
    }
    if (at >= static_cast<LONG>(kZKVLiveFaultEntries)) {
        hr = HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY);
    } else {
        m_view->faults[at] = {static_cast<LONG>(fault.point), static_cast<LONG>(fault.key), fault.result};
        if (at == count) m_view->count = count + 1;
    }
    UnlockWriter();
    return hr;
}

HRESULT LiveFaultSection::Clear() {
    if (!LockWriter()) return HRESULT_FROM_WIN32(ERROR_BUSY);
    m_view->count = 0;
    UnlockWriter();
    return S_OK;
}

}  // namespace zkvfilter
