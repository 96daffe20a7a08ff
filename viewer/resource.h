// Resource ids of the Tessera viewer.
#pragma once

#define IDI_VIEWER 101
#define IDR_VIEWER_MENU 102
#define IDM_VIDEO_CAPTURE_FILTER 40001
