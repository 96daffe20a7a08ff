// The soak's record: comma-separated lines, each led by its kind and the
// seconds since the run began, flushed at once so that a run cut short keeps
// what it saw. Several threads write it.
#pragma once

#include <windows.h>

#include <cstdio>

class SoakLog {
public:
    explicit SoakLog(FILE* out);
    SoakLog(const SoakLog&) = delete;
    SoakLog& operator=(const SoakLog&) = delete;
    ~SoakLog();

    double Seconds() const;
    // kind, seconds, then the formatted fields.
    void Line(const char* kind, const char* format, ...);

private:
    FILE* out_;
    LARGE_INTEGER start_;
    LARGE_INTEGER frequency_;
    CRITICAL_SECTION lock_;
};
