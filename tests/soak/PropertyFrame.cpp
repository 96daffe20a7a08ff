#include "PropertyFrame.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "VideoProcAmpPageIds.h"

namespace {

struct ControlQuery {
    int id;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND hwnd, LPARAM param)
{
    ControlQuery* q = reinterpret_cast<ControlQuery*>(param);
    if (GetDlgCtrlID(hwnd) == q->id && ClassName(hwnd) == q->className) {
        q->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool IsFrame(HWND dialog)
{
    return FindWindowExA(dialog, nullptr, "SysTabControl32", nullptr) != nullptr;
}

void SetText(HWND control, const char* text)
{
    SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                        nullptr);
}

std::string Text(HWND control)
{
    char text[64] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, 5000, &length);
    return text;
}

}  // namespace

PropertyFrame::~PropertyFrame()
{
    if (frame_ && IsWindow(frame_))
        Close(false, 10000);
}

bool PropertyFrame::AnswerMessageBoxes()
{
    bool any = false;
    for (HWND box : viewer_.MessageBoxes()) {
        if (IsFrame(box))
            continue;
        messages_.push_back(ViewerProcess::ReadMessageBox(box));
        ViewerProcess::Dismiss(box);
        any = true;
    }
    return any;
}

bool PropertyFrame::Open(DWORD timeoutMs)
{
    const DWORD cameraThread = GetWindowThreadProcessId(camera_, nullptr);
    PostMessageA(camera_, WM_COMMAND, MAKEWPARAM(40001, 0), 0);  // the filter's pages
    return WaitUntil(
        [&] {
            AnswerMessageBoxes();
            for (HWND dialog : viewer_.MessageBoxes()) {
                if (IsFrame(dialog) && GetWindowThreadProcessId(dialog, nullptr) == cameraThread) {
                    frame_ = dialog;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

bool PropertyFrame::Close(bool ok, DWORD timeoutMs)
{
    if (!frame_)
        return false;
    PostMessageA(frame_, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
    const bool closed = WaitUntil(
        [&] {
            AnswerMessageBoxes();
            return !IsWindow(frame_);
        },
        timeoutMs);
    if (closed)
        frame_ = nullptr;
    return closed;
}

HWND PropertyFrame::Control(int id, const char* className) const
{
    ControlQuery q{id, className, nullptr};
    if (frame_)
        EnumChildWindows(frame_, MatchControl, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

bool PropertyFrame::MoveSlider(int sliderId, double fraction)
{
    HWND slider = Control(sliderId, "msctls_trackbar32");
    if (!slider || !IsWindowEnabled(slider))
        return false;
    DWORD_PTR low = 0, high = 0;
    SendMessageTimeoutA(slider, TBM_GETRANGEMIN, 0, 0, SMTO_NORMAL, 5000, &low);
    SendMessageTimeoutA(slider, TBM_GETRANGEMAX, 0, 0, SMTO_NORMAL, 5000, &high);
    const long position = static_cast<long>(low) +
                          static_cast<long>((static_cast<long>(high) - static_cast<long>(low)) * fraction);
    SendMessageTimeoutA(slider, TBM_SETPOS, TRUE, position, SMTO_NORMAL, 5000, nullptr);
    PostMessageA(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(slider));
    return true;
}

// Clicks a register editor button and waits for the page's answer: the
// emptied fields filled again, or an error box.
bool PropertyFrame::ClickAndWait(int buttonId, const std::vector<HWND>& fields, DWORD timeoutMs)
{
    HWND button = Control(buttonId, "Button");
    if (!button)
        return false;
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    bool refused = false;
    const bool answered = WaitUntil(
        [&] {
            if (AnswerMessageBoxes()) {
                refused = true;
                return true;
            }
            for (HWND field : fields) {
                if (Text(field).empty())
                    return false;
            }
            return true;
        },
        timeoutMs);
    return answered && !refused;
}

bool PropertyFrame::ReadRegister(ULONG address, ULONG* value, DWORD timeoutMs)
{
    HWND addressField = Control(IDC_REG_ADDRESS, "Edit");
    const int byteIds[4] = {IDC_REG_BYTE_0_7, IDC_REG_BYTE_8_15, IDC_REG_BYTE_16_23,
                            IDC_REG_BYTE_24_31};
    std::vector<HWND> bytes;
    for (int id : byteIds)
        bytes.push_back(Control(id, "Edit"));
    if (!addressField || std::count(bytes.begin(), bytes.end(), nullptr) > 0)
        return false;
    char text[16];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(address));
    SetText(addressField, text);
    for (HWND field : bytes)
        SetText(field, "");
    if (!ClickAndWait(IDC_REG_GET, bytes, timeoutMs))
        return false;
    ULONG v = 0;
    for (HWND field : bytes)
        v = (v << 8) | (std::strtoul(Text(field).c_str(), nullptr, 16) & 0xFF);
    *value = v;
    return true;
}

bool PropertyFrame::WriteRegister(ULONG address, ULONG value, DWORD timeoutMs)
{
    HWND addressField = Control(IDC_REG_ADDRESS, "Edit");
    const int byteIds[4] = {IDC_REG_BYTE_0_7, IDC_REG_BYTE_8_15, IDC_REG_BYTE_16_23,
                            IDC_REG_BYTE_24_31};
    if (!addressField)
        return false;
    char text[16];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(address));
    SetText(addressField, text);
    for (int i = 0; i < 4; ++i) {
        HWND field = Control(byteIds[i], "Edit");
        if (!field)
            return false;
        std::snprintf(text, sizeof text, "%02lX", static_cast<unsigned long>((value >> (24 - 8 * i)) & 0xFF));
        SetText(field, text);
    }
    // A Set leaves the fields as they are: the answer is the absence of an
    // error box once the page has handled the click, which a Get after it shows.
    HWND button = Control(IDC_REG_SET, "Button");
    if (!button)
        return false;
    DWORD_PTR ignored = 0;
    const size_t before = messages_.size();
    // Sent, not posted: the send returns once the page handled the click,
    // or times out while the page's error box is up.
    const LRESULT sent = SendMessageTimeoutA(GetParent(button), WM_COMMAND,
                                             MAKEWPARAM(IDC_REG_SET, BN_CLICKED),
                                             reinterpret_cast<LPARAM>(button), SMTO_NORMAL, 2000,
                                             &ignored);
    WaitUntil([&] { return AnswerMessageBoxes() || sent; }, sent ? 0 : timeoutMs);
    AnswerMessageBoxes();
    return messages_.size() == before;
}
