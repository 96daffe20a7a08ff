#include "DeviceSettings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "DeviceKinds.h"

namespace zkvsim {
namespace {

const char* const kPointNames[kFaultPointCount] = {
    "property_get", "property_set", "register_get", "register_set", "format7_get",
    "format7_set", "buffer_count_get", "buffer_count_set", "procamp_get_range", "procamp_get",
    "procamp_set", "stream_get_format", "stream_set_format", "stream_get_number_of_caps",
    "stream_get_stream_caps", "load", "join_filter_graph", "pin_connect", "pause",
    "run", "drop_frames", "deliver",
};

struct NamedBit {
    const char* name;
    std::uint32_t bit;
};
constexpr NamedBit kWithheldNames[] = {
    {"IAMStreamConfig", kWithholdStreamConfig},
    {"IAMVideoProcAmp", kWithholdVideoProcAmp},
    {"IZKVInterface", kWithholdZkvInterface},
};

constexpr NamedBit kMissingNames[] = {
    {"trigger", kLacksTrigger},
    {"one_push", kLacksOnePush},
    {"channels", kLacksMemoryChannels},
};

const char* const kDefaultKinds[] = {"bayer", "yuv", "mono"};

// Parses a whole 32-bit unsigned number, decimal or 0x hexadecimal.
bool ParseNumber(const std::string& text, int base, std::uint32_t* value) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, base);
    if (errno || *end || v > 0xFFFFFFFFull) return false;
    *value = static_cast<std::uint32_t>(v);
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

std::string Hex(std::uint32_t v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(v));
    return buffer;
}

}  // namespace

std::uint32_t DefaultSerialNumber(std::uint32_t index) { return 7340000u + index; }

const char* DefaultKind(std::uint32_t index) {
    return kDefaultKinds[(index == 0 ? 0 : index - 1) % (sizeof(kDefaultKinds) / sizeof(kDefaultKinds[0]))];
}

std::string FriendlyName(const DeviceSettings& settings) {
    const DeviceKind* kind = FindDeviceKind(settings.kind);
    return "ZKV Virtual IIDC Camera " + std::to_string(settings.index) + " (" +
           (kind ? kind->label : settings.kind.c_str()) + ")";
}

std::string InstanceName(std::uint32_t index) { return "ZkvVirtualCamera" + std::to_string(index); }

bool IsDeviceLevelPoint(std::uint32_t point) { return point >= kFaultLoad && point <= kFaultRun; }

bool IsValidFaultKey(std::uint32_t point, std::uint32_t key) {
    if (IsDeviceLevelPoint(point)) return key == kAnyKey;
    return point != kFaultDropFrames || key != 0;
}

bool ParseFault(const std::string& text, FaultSpec* fault) {
    const std::vector<std::string> parts = Split(text, ':');
    if (parts.size() != 3) return false;
    std::uint32_t point = kFaultPointCount;
    for (std::uint32_t i = 0; i < kFaultPointCount; ++i) {
        if (parts[0] == kPointNames[i]) point = i;
    }
    if (point == kFaultPointCount) return false;
    std::uint32_t key = kAnyKey;
    if (parts[1] != "any" && !ParseNumber(parts[1], 0, &key)) return false;
    // A keyed device-level fault would never fire: refuse it rather than ignore it.
    if (!IsValidFaultKey(point, key)) return false;
    std::uint32_t hr = 0;
    const std::string& hrText = parts[2];
    const bool prefixed = hrText.size() > 2 && hrText[0] == '0' && (hrText[1] == 'x' || hrText[1] == 'X');
    if (!ParseNumber(prefixed ? hrText.substr(2) : hrText, 16, &hr)) return false;
    // Only failures make sense as injected results.
    if (!(hr & 0x80000000u)) return false;
    *fault = {point, key, static_cast<std::int32_t>(hr)};
    return true;
}

std::string FormatFault(const FaultSpec& fault) {
    const std::string key = fault.key == kAnyKey ? "any" : Hex(fault.key);
    return std::string(kPointNames[fault.point < kFaultPointCount ? fault.point : 0]) + ":" + key + ":" +
           Hex(static_cast<std::uint32_t>(fault.result));
}

bool ParseFaultList(const std::string& text, std::vector<FaultSpec>* faults) {
    std::vector<FaultSpec> parsed;
    if (!text.empty()) {
        for (const std::string& item : Split(text, ';')) {
            FaultSpec fault{};
            if (!ParseFault(item, &fault)) return false;
            parsed.push_back(fault);
        }
    }
    *faults = parsed;
    return true;
}

std::string FormatFaultList(const std::vector<FaultSpec>& faults) {
    std::string text;
    for (const FaultSpec& fault : faults) text += (text.empty() ? "" : ";") + FormatFault(fault);
    return text;
}

namespace {

// A comma-separated subset of the names, as bits; false on an unknown name.
template <std::size_t N>
bool ParseNameBits(const std::string& text, const NamedBit (&names)[N], std::uint32_t* bits) {
    std::uint32_t parsed = 0;
    if (!text.empty()) {
        for (const std::string& item : Split(text, ',')) {
            std::uint32_t bit = 0;
            for (const NamedBit& w : names) {
                if (item == w.name) bit = w.bit;
            }
            if (!bit) return false;
            parsed |= bit;
        }
    }
    *bits = parsed;
    return true;
}

template <std::size_t N>
std::string FormatNameBits(std::uint32_t bits, const NamedBit (&names)[N]) {
    std::string text;
    for (const NamedBit& w : names) {
        if (bits & w.bit) text += (text.empty() ? "" : ",") + std::string(w.name);
    }
    return text;
}

}  // namespace

bool ParseWithheldList(const std::string& text, std::uint32_t* withheld) {
    return ParseNameBits(text, kWithheldNames, withheld);
}

std::string FormatWithheldList(std::uint32_t withheld) { return FormatNameBits(withheld, kWithheldNames); }

bool ParseMissingList(const std::string& text, std::uint32_t* lacks) { return ParseNameBits(text, kMissingNames, lacks); }

std::string FormatMissingList(std::uint32_t lacks) { return FormatNameBits(lacks, kMissingNames); }

bool ParseModeList(const std::string& text, std::vector<std::uint32_t>* modes) {
    std::vector<std::uint32_t> parsed;
    if (!text.empty()) {
        for (const std::string& item : Split(text, ',')) {
            std::uint32_t mode = 0;
            if (!ParseNumber(item, 10, &mode) || mode >= kFormat7ModeCount) return false;
            parsed.push_back(mode);
        }
    }
    *modes = parsed;
    return true;
}

std::string FormatModeList(const std::vector<std::uint32_t>& modes) {
    std::string text;
    for (std::uint32_t m : modes) text += (text.empty() ? "" : ",") + std::to_string(m);
    return text;
}

bool SplitDeviceOption(const std::string& text, std::uint32_t* device, std::string* rest) {
    const std::string::size_type colon = text.find(':');
    if (colon == std::string::npos) return false;
    std::uint32_t n = 0;
    if (!ParseNumber(text.substr(0, colon), 10, &n) || n == 0) return false;
    *device = n;
    *rest = text.substr(colon + 1);
    return true;
}

}  // namespace zkvsim
