#include "SoakLog.h"

#include <cstdarg>

SoakLog::SoakLog(FILE* out) : out_(out)
{
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
    InitializeCriticalSection(&lock_);
}

SoakLog::~SoakLog() { DeleteCriticalSection(&lock_); }

double SoakLog::Seconds() const
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
}

void SoakLog::Line(const char* kind, const char* format, ...)
{
    char fields[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(fields, sizeof fields, format, args);
    va_end(args);
    EnterCriticalSection(&lock_);
    std::fprintf(out_, "%s,%.1f,%s\n", kind, Seconds(), fields);
    std::fflush(out_);
    LeaveCriticalSection(&lock_);
}
