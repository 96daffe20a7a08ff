// One camera's property frame in the viewer, opened through the camera
// window's menu command and worked from outside the process the way a user
// would: the video proc amp page's sliders and its register editor. Message
// boxes the pages show are dismissed and counted.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ViewerProcess.h"

class PropertyFrame {
public:
    PropertyFrame(const ViewerProcess& viewer, HWND cameraWindow)
        : viewer_(viewer), camera_(cameraWindow) {}
    PropertyFrame(const PropertyFrame&) = delete;
    PropertyFrame& operator=(const PropertyFrame&) = delete;
    // Cancels a frame still open.
    ~PropertyFrame();

    bool Open(DWORD timeoutMs);
    // OK applies the pages (the streaming page commits its format), Cancel does not.
    bool Close(bool ok, DWORD timeoutMs);

    // Moves a video proc amp slider to `fraction` (0..1) of its range.
    bool MoveSlider(int sliderId, double fraction);
    // The register editor: Get and Set. False when the camera refused the
    // request (the page's error box was seen) or the page did not answer.
    bool ReadRegister(ULONG address, ULONG* value, DWORD timeoutMs);
    bool WriteRegister(ULONG address, ULONG value, DWORD timeoutMs);

    // Message boxes seen and dismissed while this frame was worked.
    const std::vector<MessageBoxText>& Messages() const { return messages_; }
    // Dismisses the viewer's message boxes; true when one was there.
    bool AnswerMessageBoxes();

private:
    HWND Control(int id, const char* className) const;
    bool ClickAndWait(int buttonId, const std::vector<HWND>& fields, DWORD timeoutMs);

    const ViewerProcess& viewer_;
    HWND camera_;
    HWND frame_ = nullptr;
    std::vector<MessageBoxText> messages_;
};
