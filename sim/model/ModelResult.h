// Result codes of the camera model. The model is platform-neutral, so it
// answers with the 32-bit HRESULT values that the capture filter passes on
// unchanged to its COM callers.
#pragma once

#include <cstdint>

namespace zkvsim {

using ModelResult = std::int32_t;

constexpr ModelResult kOk = 0;
constexpr ModelResult kFalse = 1;
constexpr ModelResult kFail = static_cast<ModelResult>(0x80004005u);
constexpr ModelResult kInvalidArg = static_cast<ModelResult>(0x80070057u);
// What the bus answers for a quadlet access outside the implemented registers.
constexpr ModelResult kAddressError = static_cast<ModelResult>(0x8007001Fu);
// A write to a register that the camera only lets you read.
constexpr ModelResult kAccessDenied = static_cast<ModelResult>(0x80070005u);
// HRESULT_FROM_WIN32(ERROR_BUSY): the camera is streaming and cannot change mode.
constexpr ModelResult kBusy = static_cast<ModelResult>(0x800700AAu);
// E_PROP_ID_UNSUPPORTED: the property (video proc amp code) is not offered.
constexpr ModelResult kPropIdUnsupported = static_cast<ModelResult>(0x80070490u);
// VFW_E_INVALIDMEDIATYPE: a stream format the camera cannot deliver.
constexpr ModelResult kInvalidMediaType = static_cast<ModelResult>(0x80040200u);

inline bool Failed(ModelResult r) { return r < 0; }

}  // namespace zkvsim
