#include "RegisterNameTable.h"

#include <array>
#include <cstddef>

namespace zkv {

const char kUnknownRegisterName[] = "Unknown";
const char kInvalidRegisterName[] = "Invalid Register";

namespace {

using NameTable = std::array<const char*, kRegisterNameCount>;

// The full table is laid out by the compiler, so it lives in read-only data
// and needs no initialisation at load time.
constexpr NameTable BuildNameTable() {
    NameTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = kUnknownRegisterName;
    for (const NamedRegister& r : kNamedRegisters) table[r.offset / 4] = r.name;
    return table;
}

constexpr NameTable kRegisterNames = BuildNameTable();

}  // namespace

const char* RegisterNameEntry(std::uint32_t index) { return kRegisterNames[index]; }

const char* LookupRegisterName(std::uint32_t address) {
    const std::uint32_t offset = address & 0xFFFFu;
    if (offset & 3u) return kInvalidRegisterName;
    if (offset > kLastNamedOffset) return kUnknownRegisterName;
    return kRegisterNames[offset / 4];
}

}  // namespace zkv
