// A page in a real property frame, as the viewer's menu command opens the
// capture filter's pages: the frame is the platform's, run modally on the
// calling thread, and looked at from a timer on that thread.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <functional>
#include <string>
#include <vector>

// Opens the frame for one object with the pages and calls look(frame) every
// 300 ms until it returns true or about 15 s have passed, then cancels the
// frame as the user's Cancel does. ZKV_FRAME_HOLD_TICKS keeps it up that many
// ticks longer, for a look at it. The frame's own result.
HRESULT ShowPropertyFrame(IUnknown* object, const std::vector<CLSID>& pages,
                          const std::function<bool(HWND frame)>& look);

// The first descendant with the control id, or with the window class when cls is set.
HWND FindDescendant(HWND root, int id, const char* cls = nullptr);
std::string WindowTextOf(HWND hwnd);
std::vector<std::string> TabTitles(HWND frame);
