// Tessera: live preview of every video capture device on the machine, up to
// ten, each in a window of its own served by a thread of its own. Each camera
// thread builds a DirectShow capture graph, reads the camera's serial number
// through IZKVInterface into the window title and opens the capture filter's
// property pages from the window's menu.
#include <windows.h>
#include <dshow.h>
#include <olectl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "ErrorText.h"
#include "MediaType.h"
#include "ZKVInterface.h"
#include "ZKVRegisters.h"
#include "resource.h"

namespace {

constexpr unsigned MAX_CAMERAS = 10;
using zkv::CameraRegister::SERIAL_NUMBER;

const char kClassName[] = "Tessera";
const char kAppName[] = "Tessera Viewer";
const char kErrorCaption[] = "Lumora Message";
const wchar_t kCaptureFilterName[] = L"Video Capture";

struct CameraSlot {
    UINT32 cameraIndex;
    HWND hwndCamera;
    IAMStreamConfig* pStreamConfig;
    IVideoWindow* pVideoWindow;
    IMediaControl* pMediaControl;
    IGraphBuilder* pFilterGraph;
    ICaptureGraphBuilder2* pCaptureGraphBuilder;
    IBaseFilter* pCaptureFilter;
    IZKVInterface* pZKVInterface;
    FILTER_STATE graphState;
};

HINSTANCE g_hInstance;
CameraSlot g_cameras[MAX_CAMERAS];
HANDLE g_threadHandles[MAX_CAMERAS];
DWORD g_threadIds[MAX_CAMERAS];

void ShowErrorMessage(const char* format, ...)
{
    char text[ERROR_TEXT_SIZE] = {};
    va_list args;
    va_start(args, format);
    FormatErrorTextV(text, format, args);
    va_end(args);
    MessageBoxA(nullptr, text, kErrorCaption, MB_ICONERROR);
}

template <class T>
void ReleaseAndClear(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

void ResizeVideoWindow(CameraSlot* slot)
{
    if (!slot->pVideoWindow)
        return;
    RECT rc;
    GetClientRect(slot->hwndCamera, &rc);
    slot->pVideoWindow->SetWindowPosition(0, 0, rc.right, rc.bottom);
}

void CloseCamera(CameraSlot* slot)
{
    if (slot->pMediaControl)
        slot->pMediaControl->StopWhenReady();
    slot->graphState = State_Stopped;
    if (slot->pVideoWindow) {
        slot->pVideoWindow->put_Visible(OAFALSE);
        slot->pVideoWindow->put_Owner(0);
    }
    ReleaseAndClear(slot->pStreamConfig);
    ReleaseAndClear(slot->pMediaControl);
    ReleaseAndClear(slot->pVideoWindow);
    ReleaseAndClear(slot->pFilterGraph);
    ReleaseAndClear(slot->pCaptureGraphBuilder);
    ReleaseAndClear(slot->pCaptureFilter);
    ReleaseAndClear(slot->pZKVInterface);
}

HRESULT CreateGraphObjects(CameraSlot* slot)
{
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&slot->pFilterGraph));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC,
                              IID_ICaptureGraphBuilder2,
                              reinterpret_cast<void**>(&slot->pCaptureGraphBuilder));
    if (SUCCEEDED(hr))
        hr = slot->pFilterGraph->QueryInterface(IID_IMediaControl,
                                                reinterpret_cast<void**>(&slot->pMediaControl));
    if (SUCCEEDED(hr))
        hr = slot->pFilterGraph->QueryInterface(IID_IVideoWindow,
                                                reinterpret_cast<void**>(&slot->pVideoWindow));
    if (FAILED(hr))
        ShowErrorMessage("Failed to get video interfaces! hr=0x%x", static_cast<unsigned>(hr));
    return hr;
}

// Binds the deviceIndex-th video input device. The enumerator is advanced
// with Next rather than Skip: some device enumerators answer Skip without
// moving, which would give every slot the first device.
HRESULT FindCaptureDevice(IBaseFilter** ppFilter, UINT32 deviceIndex)
{
    if (!ppFilter)
        return E_POINTER;

    ICreateDevEnum* pDevEnum = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC,
                                  IID_ICreateDevEnum, reinterpret_cast<void**>(&pDevEnum));
    if (FAILED(hr)) {
        ShowErrorMessage("Couldn't create system enumerator! hr=0x%x", static_cast<unsigned>(hr));
        return hr;
    }

    IEnumMoniker* pClassEnum = nullptr;
    hr = pDevEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &pClassEnum, 0);
    if (FAILED(hr)) {
        ShowErrorMessage("Couldn't create class enumerator! hr=0x%x", static_cast<unsigned>(hr));
        pDevEnum->Release();
        return hr;
    }
    if (!pClassEnum) {
        ShowErrorMessage("No video capture device was detected!");
        pDevEnum->Release();
        return E_FAIL;
    }

    IMoniker* pMoniker = nullptr;
    for (UINT32 i = 0; i < deviceIndex; ++i) {
        if (pClassEnum->Next(1, &pMoniker, nullptr) != S_OK)
            break;
        ReleaseAndClear(pMoniker);
    }
    if (pClassEnum->Next(1, &pMoniker, nullptr) == S_OK) {
        hr = pMoniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                    reinterpret_cast<void**>(ppFilter));
        if (FAILED(hr))
            ShowErrorMessage("Couldn't bind moniker to filter object! hr=0x%x",
                             static_cast<unsigned>(hr));
        pMoniker->Release();
    } else {
        hr = E_FAIL;  // fewer devices than this slot's index + 1
    }
    pClassEnum->Release();
    pDevEnum->Release();
    return hr;
}

// Looks up the capture pin's stream configuration and, only when that was
// found, the register interface. Neither result is reported.
void FindCaptureInterfaces(CameraSlot* slot)
{
    HRESULT hr = slot->pCaptureGraphBuilder->FindInterface(
        &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, slot->pCaptureFilter, IID_IAMStreamConfig,
        reinterpret_cast<void**>(&slot->pStreamConfig));
    if (SUCCEEDED(hr))
        slot->pCaptureGraphBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                                  slot->pCaptureFilter, IID_IZKVInterface,
                                                  reinterpret_cast<void**>(&slot->pZKVInterface));
}

// The video size of the capture pin's current format: width and |height| of
// its bitmap header. A format block that is not a whole VIDEOINFOHEADER is
// refused instead of being read past its end.
HRESULT GetVideoSize(IAMStreamConfig* pStreamConfig, int* width, int* height)
{
    AM_MEDIA_TYPE* pmt = nullptr;
    HRESULT hr = pStreamConfig->GetFormat(&pmt);
    if (FAILED(hr))
        return hr;
    if (!pmt)
        return E_POINTER;
    if (pmt->formattype == FORMAT_VideoInfo && pmt->pbFormat &&
        pmt->cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const BITMAPINFOHEADER& bmi = reinterpret_cast<VIDEOINFOHEADER*>(pmt->pbFormat)->bmiHeader;
        *width = bmi.biWidth;
        *height = static_cast<int>(bmi.biHeight < 0 ? 0u - static_cast<UINT32>(bmi.biHeight)
                                                    : static_cast<UINT32>(bmi.biHeight));
    } else {
        hr = VFW_E_INVALIDMEDIATYPE;
    }
    DeleteMediaType(pmt);
    return hr;
}

HRESULT SetupVideoWindow(CameraSlot* slot)
{
    HRESULT hr = slot->pVideoWindow->put_Owner(reinterpret_cast<OAHWND>(slot->hwndCamera));
    if (FAILED(hr))
        return hr;
    hr = slot->pVideoWindow->put_WindowStyle(WS_CHILD | WS_CLIPCHILDREN);
    if (FAILED(hr))
        return hr;

    int width = 0;
    int height = 0;
    hr = GetVideoSize(slot->pStreamConfig, &width, &height);
    if (FAILED(hr))
        return hr;
    // The whole window, frame and menu included, takes the video's size.
    SetWindowPos(slot->hwndCamera, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
    ResizeVideoWindow(slot);
    return slot->pVideoWindow->put_Visible(OATRUE);
}

HRESULT BuildCaptureGraph(CameraSlot* slot)
{
    HRESULT hr = CreateGraphObjects(slot);
    if (FAILED(hr))
        return hr;

    hr = slot->pCaptureGraphBuilder->SetFiltergraph(slot->pFilterGraph);
    if (FAILED(hr)) {
        ShowErrorMessage("Failed to set capture filter graph! hr=0x%x", static_cast<unsigned>(hr));
        return hr;
    }

    IBaseFilter* pCaptureFilter = nullptr;
    hr = FindCaptureDevice(&pCaptureFilter, slot->cameraIndex);
    if (FAILED(hr))
        return hr;

    hr = slot->pFilterGraph->AddFilter(pCaptureFilter, kCaptureFilterName);
    if (FAILED(hr)) {
        ShowErrorMessage("Couldn't add the capture filter to the graph! hr=0x%x",
                         static_cast<unsigned>(hr));
        pCaptureFilter->Release();
        return hr;
    }

    hr = slot->pCaptureGraphBuilder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                                  pCaptureFilter, nullptr, nullptr);
    if (FAILED(hr)) {
        ShowErrorMessage("Couldn't render the video capture stream. hr=0x%x",
                         static_cast<unsigned>(hr));
        pCaptureFilter->Release();
        return hr;
    }
    slot->pCaptureFilter = pCaptureFilter;

    // A device without either interface (another make, or the plug-in not
    // registered) is dropped quietly, like a camera whose serial number
    // cannot be read.
    FindCaptureInterfaces(slot);
    if (!slot->pStreamConfig || !slot->pZKVInterface)
        return E_NOINTERFACE;

    ULONG serialNumber = 0;
    hr = slot->pZKVInterface->GetRegister(SERIAL_NUMBER, &serialNumber);
    if (FAILED(hr))
        return hr;

    char title[256];
    std::snprintf(title, sizeof(title), "%s - %u (Serial #: %u)", kAppName, slot->cameraIndex,
                  static_cast<unsigned>(serialNumber));
    SetWindowTextA(slot->hwndCamera, title);

    hr = SetupVideoWindow(slot);
    if (FAILED(hr)) {
        ShowErrorMessage("Couldn't setup video window. hr=0x%x", static_cast<unsigned>(hr));
        return hr;
    }

    hr = slot->pMediaControl->Run();
    if (FAILED(hr)) {
        ShowErrorMessage("Couldn't run the graph! hr=0x%x", static_cast<unsigned>(hr));
        return hr;
    }
    slot->graphState = State_Running;
    return S_OK;
}

// Opens the capture filter's own pages in a modal frame on this thread.
void ShowFilterProperties(CameraSlot* slot)
{
    if (!slot->pCaptureFilter)
        return;
    ISpecifyPropertyPages* pSpecify = nullptr;
    if (slot->pCaptureFilter->QueryInterface(IID_ISpecifyPropertyPages,
                                             reinterpret_cast<void**>(&pSpecify)) != S_OK)
        return;
    CAUUID pages = {0, nullptr};
    if (SUCCEEDED(pSpecify->GetPages(&pages))) {
        IUnknown* objects[] = {slot->pCaptureFilter};
        OleCreatePropertyFrame(slot->hwndCamera, 30, 30, nullptr, 1, objects, pages.cElems,
                               pages.pElems, 0, 0, nullptr);
        CoTaskMemFree(pages.pElems);
    }
    pSpecify->Release();
}

CameraSlot* FindSlot(HWND hwnd)
{
    for (CameraSlot& slot : g_cameras) {
        if (slot.hwndCamera == hwnd)
            return &slot;
    }
    return nullptr;
}

LRESULT CALLBACK CameraWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CameraSlot* slot = FindSlot(hwnd);
    if (!slot)
        return DefWindowProcA(hwnd, message, wParam, lParam);

    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_VIDEO_CAPTURE_FILTER)
            ShowFilterProperties(slot);
        return 0;
    case WM_SIZE:
        ResizeVideoWindow(slot);
        break;
    case WM_CLOSE:
        ShowWindow(hwnd, SW_HIDE);
        CloseCamera(slot);
        break;
    default:
        break;
    }
    if (slot->pVideoWindow)
        slot->pVideoWindow->NotifyOwnerMessage(reinterpret_cast<OAHWND>(hwnd), message,
                                               static_cast<LONG_PTR>(wParam),
                                               static_cast<LONG_PTR>(lParam));
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

DWORD WINAPI CameraThreadProc(LPVOID parameter)
{
    CameraSlot* slot = static_cast<CameraSlot*>(parameter);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        ShowErrorMessage("CoInitialize Failed!\r\n");
        return 1;
    }

    char title[256];
    std::snprintf(title, sizeof(title), "%s - Camera %u", kAppName, slot->cameraIndex);
    slot->hwndCamera = CreateWindowExA(0, kClassName, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                       CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr,
                                       g_hInstance, nullptr);
    // Without a window the message loop below would never end, and with it
    // the whole program: give the slot up instead.
    if (!slot->hwndCamera) {
        const DWORD error = GetLastError();
        CoUninitialize();
        return static_cast<DWORD>(HRESULT_FROM_WIN32(error ? error : ERROR_INVALID_WINDOW_HANDLE));
    }

    const HRESULT hr = BuildCaptureGraph(slot);
    if (FAILED(hr)) {
        CloseCamera(slot);
        DestroyWindow(slot->hwndCamera);
        CoUninitialize();
        return static_cast<DWORD>(hr);
    }
    ShowWindow(slot->hwndCamera, SW_SHOWNORMAL);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    CoUninitialize();
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    g_hInstance = hInstance;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = CameraWindowProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(IDI_VIEWER));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_VIEWER_MENU);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        ShowErrorMessage("RegisterClass Failed! Error=0x%x\r\n",
                         static_cast<unsigned>(GetLastError()));
        return 1;
    }

    for (UINT32 i = 0; i < MAX_CAMERAS; ++i) {
        g_cameras[i] = CameraSlot{};
        g_cameras[i].cameraIndex = i;
        g_cameras[i].graphState = State_Stopped;
    }

    for (unsigned i = 0; i < MAX_CAMERAS; ++i) {
        g_threadHandles[i] =
            CreateThread(nullptr, 0, CameraThreadProc, &g_cameras[i], 0, &g_threadIds[i]);
        if (!g_threadHandles[i])
            OutputDebugStringA("Unable to create thread\n");
    }

    // Waits for exactly the threads that exist: an empty handle in the wait
    // would fail it at once and end the process under the running cameras.
    HANDLE running[MAX_CAMERAS];
    DWORD count = 0;
    for (HANDLE h : g_threadHandles) {
        if (h)
            running[count++] = h;
    }
    if (count > 0)
        WaitForMultipleObjects(count, running, TRUE, INFINITE);

    for (HANDLE& h : g_threadHandles) {
        if (h) {
            CloseHandle(h);
            h = nullptr;
        }
    }
    return 0;
}
