// Replaces the virtual cameras of the test prefix (in this process's registry
// view) for one test, and puts the prefix's own set back afterwards.
#pragma once

#include <string>

// Runs BinDir()\ZkvCameraSetup.exe with "install <module> <arguments>", or
// "uninstall <module>" when arguments is "uninstall"; true on exit code 0.
bool RunCameraSetup(const std::string& arguments);

class CameraSetScope {
public:
    // Remembers how many cameras the prefix has, as the default set.
    CameraSetScope();
    // Installs the default set of that many cameras again, or none.
    ~CameraSetScope();
    CameraSetScope(const CameraSetScope&) = delete;
    CameraSetScope& operator=(const CameraSetScope&) = delete;

private:
    size_t previousCount_;
};
