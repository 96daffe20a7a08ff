// The driver's only export: every DRV_* and ICM_* message arrives here.
#pragma once

#include "CodecPlatform.h"

extern "C" LRESULT CALLBACK DriverProc(DWORD_PTR driverId, HDRVR driver, UINT message,
                                       LPARAM lParam1, LPARAM lParam2);
