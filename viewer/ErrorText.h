// The text of the viewer's error message boxes: printf-formatted into a
// fixed 1024-byte buffer that never holds more than 1022 characters.
// Platform-neutral so that the buffer rules are checked natively as well.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>

constexpr std::size_t ERROR_TEXT_SIZE = 1024;
constexpr std::size_t ERROR_TEXT_LIMIT = 1022;

// Formats into text; a result that the formatter reports as an error, as cut
// short or as filling the limit exactly ends at byte 1022, and byte 1023 is
// always NUL, so the text is terminated whatever the C runtime did.
inline void FormatErrorTextV(char (&text)[ERROR_TEXT_SIZE], const char* format, va_list args)
{
    const int written = std::vsnprintf(text, ERROR_TEXT_LIMIT + 1, format, args);
    if (written < 0 || static_cast<std::size_t>(written) >= ERROR_TEXT_LIMIT)
        text[ERROR_TEXT_LIMIT] = '\0';
    text[ERROR_TEXT_SIZE - 1] = '\0';
}

inline void FormatErrorText(char (&text)[ERROR_TEXT_SIZE], const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatErrorTextV(text, format, args);
    va_end(args);
}
