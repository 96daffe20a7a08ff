#include "VpaPageFixture.h"

#include <commctrl.h>

#include <cstring>

#include "ZKVPluginClasses.h"

CameraUnderTest::~CameraUnderTest() {
    if (procAmp) procAmp->Release();
    if (control) control->Release();
    if (filter) filter->Release();
}

bool OpenCameraUnderTest(CameraUnderTest* camera) {
    ICreateDevEnum* devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                reinterpret_cast<void**>(&devices))))
        return false;
    IEnumMoniker* monikers = nullptr;
    HRESULT hr = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    devices->Release();
    if (hr != S_OK) return false;
    IMoniker* moniker = nullptr;
    while (camera->control == nullptr && monikers->Next(1, &moniker, nullptr) == S_OK) {
        IBaseFilter* filter = nullptr;
        if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)))) {
            if (SUCCEEDED(filter->QueryInterface(IID_IZKVVirtualCameraControl,
                                                 reinterpret_cast<void**>(&camera->control)))) {
                camera->filter = filter;
                filter->QueryInterface(IID_IAMVideoProcAmp, reinterpret_cast<void**>(&camera->procAmp));
            } else {
                filter->Release();
            }
        }
        moniker->Release();
    }
    monikers->Release();
    return camera->control != nullptr && camera->procAmp != nullptr;
}

void VpaPageTest::SetUp() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(OpenCameraUnderTest(&camera)) << "no virtual camera installed in the prefix";
    boxes = std::make_unique<MessageBoxCatcher>();
    host = std::make_unique<PageHost>();
}

void VpaPageTest::TearDown() {
    host.reset();
    boxes.reset();
    CoUninitialize();
}

void VpaPageTest::OpenPage(bool keepRefreshTimer) {
    ASSERT_EQ(host->Create(pageClass), S_OK);
    ASSERT_EQ(host->Connect(camera.filter), S_OK);
    ASSERT_EQ(host->Activate(), S_OK);
    ASSERT_NE(Dialog(), nullptr);
    if (!keepRefreshTimer) KillTimer(Dialog(), 0);
}

void VpaPageTest::PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

ULONG VpaPageTest::Peek(ULONG address) {
    ULONG value = 0;
    EXPECT_EQ(camera.control->PeekRegister(address, &value), S_OK) << std::hex << address;
    return value;
}

void VpaPageTest::Poke(ULONG address, ULONG value) {
    EXPECT_EQ(camera.control->PokeRegister(address, value), S_OK) << std::hex << address;
}

void VpaPageTest::PokeFloat(ULONG address, float value) {
    ULONG bits;
    std::memcpy(&bits, &value, sizeof bits);
    Poke(address, bits);
}

void VpaPageTest::Fault(ULONG point, ULONG key, HRESULT hr) {
    ASSERT_EQ(camera.control->SetFault(point, key, hr), S_OK);
}

std::vector<RegisterWrite> VpaPageTest::Writes() {
    ULONG addresses[512];
    ULONG values[512];
    ULONG count = 0;
    EXPECT_EQ(camera.control->GetRegisterWrites(addresses, values, 512, &count), S_OK);
    std::vector<RegisterWrite> writes;
    for (ULONG i = 0; i < count && i < 512; ++i) writes.emplace_back(addresses[i], values[i]);
    return writes;
}

std::vector<RegisterWrite> VpaPageTest::WritesTo(ULONG address) {
    std::vector<RegisterWrite> matching;
    for (const RegisterWrite& w : Writes())
        if (w.first == address) matching.push_back(w);
    return matching;
}

void VpaPageTest::ClearWrites() { camera.control->ClearRegisterWrites(); }

long VpaPageTest::ProcAmpValue(long code, long* flags) {
    long value = 0, f = 0;
    EXPECT_EQ(camera.procAmp->Get(code, &value, &f), S_OK);
    if (flags) *flags = f;
    return value;
}

bool VpaPageTest::Visible(int id) const {
    return (GetWindowLongW(GetDlgItem(Dialog(), id), GWL_STYLE) & WS_VISIBLE) != 0;
}

void VpaPageTest::Leave(int id) {
    SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(Dialog(), id)));
}

int VpaPageTest::SliderPos(int id) const {
    return static_cast<int>(SendDlgItemMessageA(Dialog(), id, TBM_GETPOS, 0, 0));
}

std::pair<int, int> VpaPageTest::SliderRange(int id) const {
    return {static_cast<int>(SendDlgItemMessageA(Dialog(), id, TBM_GETRANGEMIN, 0, 0)),
            static_cast<int>(SendDlgItemMessageA(Dialog(), id, TBM_GETRANGEMAX, 0, 0))};
}

void VpaPageTest::MoveSlider(int id, int position) {
    HWND slider = GetDlgItem(Dialog(), id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    // Setting the position notifies nobody: send what a drag's end sends.
    SendMessageA(Dialog(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
}

void VpaPageTest::Tick() { SendMessageA(Dialog(), WM_TIMER, 0, 0); }
