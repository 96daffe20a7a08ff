// What the test process itself sees of the installed capture devices, in the
// order of the system device enumerator: the facts a Tessera window of each
// must show.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct InstalledCamera {
    std::string friendlyName;
    bool bound = false;          // the device's filter could be created
    bool virtualCamera = false;  // it answers the virtual camera's control interface
    ULONG serialNumber = 0;      // SERIAL_NUMBER as the camera holds it
    LONG width = 0;              // the capture pin's current format
    LONG height = 0;
    DWORD compression = 0;       // its biCompression (FOURCC)
    ULONG pageCount = 0;         // property pages the filter lists
};

// Enumerates the video input devices; needs COM initialised on the thread.
std::vector<InstalledCamera> InstalledCameras();
