// Names of the camera's command and status registers, by byte offset within
// the IIDC register block, as the register editor shows them.
#pragma once

#include <cstdint>

#include "ZKVRegisters.h"

namespace zkv {

// Entries cover offsets 0x0000 through 0x2000 inclusive, one every 4 bytes.
constexpr std::uint32_t kRegisterNameCount = 2049;
constexpr std::uint32_t kLastNamedOffset = kLastRegisterOffset;

extern const char kUnknownRegisterName[];   // "Unknown"
extern const char kInvalidRegisterName[];   // "Invalid Register"

// The name of a register; only the low 16 bits of the address count. Never
// fails: misaligned offsets give "Invalid Register", unnamed ones "Unknown".
// The string is static and must not be freed.
const char* LookupRegisterName(std::uint32_t address);

// Entry i of the table (offset 4 * i); i < kRegisterNameCount.
const char* RegisterNameEntry(std::uint32_t index);

}  // namespace zkv
