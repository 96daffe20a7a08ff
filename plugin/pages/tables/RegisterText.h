// The register editor's text rules: how the address, byte and float fields
// are read and what they show.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zkv {

// Characters of each field that take part (the rest of a longer text is cut).
constexpr std::size_t kAddressFieldChars = 8;
constexpr std::size_t kByteFieldChars = 24;
constexpr std::size_t kFloatFieldChars = 127;

// Room for any text the editor prints: a byte field, a float or a value.
constexpr std::size_t kRegisterTextSize = 64;

// Hexadecimal text as strtoul reads it in base 16 on a 32-bit unsigned long:
// leading white space, an optional sign and "0x" prefix, digits up to the first
// non-digit; no digits give 0, a value beyond 32 bits gives 0xFFFFFFFF, and a
// minus sign negates modulo 2^32.
std::uint32_t ParseHexText(const char* text, std::size_t maxChars);

// The address field: its first 8 characters, in hexadecimal.
std::uint32_t ParseRegisterAddress(const char* text);

// The four byte fields, most significant first. Each field's number is printed
// with at least two hexadecimal digits and the digits are joined behind "0x";
// a field above 0xFF therefore shifts the fields after it, and a joined value
// beyond 32 bits gives 0xFFFFFFFF.
std::uint32_t ComposeRegisterValue(const char* const fields[4]);

// The text of byte field i (0 = bits 31-24 ... 3 = bits 7-0) for a value.
void FormatRegisterByte(std::uint32_t value, int field, char (&text)[kRegisterTextSize]);

// The float field: its first 127 characters as a decimal number, 0.0 when none.
double ParseFloatText(const char* text);

// A register value shown as a single-precision number ("%f").
void FormatRegisterFloat(std::uint32_t value, char (&text)[kRegisterTextSize]);

}  // namespace zkv
