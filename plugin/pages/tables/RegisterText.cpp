#include "RegisterText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "IeeeFloat.h"

namespace zkv {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::uint32_t ParseHexText(const char* text, std::size_t maxChars) {
    const std::string s(text, strnlen(text, maxChars));
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // "0x" counts as a prefix only when a digit follows, as strtoul reads it.
    if (i + 2 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X') && HexDigit(s[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    bool overflow = false;
    for (; i < s.size() && HexDigit(s[i]) >= 0; ++i) {
        value = value * 16 + static_cast<std::uint64_t>(HexDigit(s[i]));
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu;
        }
    }
    if (overflow) return 0xFFFFFFFFu;
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? 0u - result : result;
}

std::uint32_t ParseRegisterAddress(const char* text) {
    return ParseHexText(text, kAddressFieldChars);
}

std::uint32_t ComposeRegisterValue(const char* const fields[4]) {
    // Up to 8 digits per field: the joined text can run to 35 characters.
    char joined[2 + 4 * 8 + 1];
    std::snprintf(joined, sizeof joined, "0x%02X%02X%02X%02X",
                  static_cast<unsigned>(ParseHexText(fields[0], kByteFieldChars)),
                  static_cast<unsigned>(ParseHexText(fields[1], kByteFieldChars)),
                  static_cast<unsigned>(ParseHexText(fields[2], kByteFieldChars)),
                  static_cast<unsigned>(ParseHexText(fields[3], kByteFieldChars)));
    return ParseHexText(joined, sizeof joined);
}

void FormatRegisterByte(std::uint32_t value, int field, char (&text)[kRegisterTextSize]) {
    const int shift = 24 - 8 * field;
    std::uint32_t byte = value >> shift;
    if (field != 0) byte &= 0xFFu;
    std::snprintf(text, sizeof text, "%.2X", static_cast<unsigned>(byte));
}

double ParseFloatText(const char* text) {
    const std::string s(text, strnlen(text, kFloatFieldChars));
    return std::strtod(s.c_str(), nullptr);
}

void FormatRegisterFloat(std::uint32_t value, char (&text)[kRegisterTextSize]) {
    std::snprintf(text, sizeof text, "%f", static_cast<double>(IeeeBitsToFloat(value)));
}

}  // namespace zkv
