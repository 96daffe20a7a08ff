// The installed devices as the system device enumerator shows them, the
// filter's identity, interfaces, property pages and fault injection.
#include "CameraTestSupport.h"

#include <map>

#include "DeviceSettings.h"
#include "VirtualCameraClasses.h"
#include "ZKVInterface.h"
#include "ZKVPluginClasses.h"
#include "ZKVVirtualCameraControl.h"

using namespace simtest;

namespace {

class DeviceTest : public ComTest {};

bool HandlerRegistered() {
    IClassFactory* factory = nullptr;
    if (FAILED(CoGetClassObject(CLSID_ZKVInterfaceHandler, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory)))) {
        return false;
    }
    factory->Release();
    return true;
}

// A property bag holding device values, as the device moniker hands them over.
class ValueBag : public IPropertyBag {
public:
    std::map<std::wstring, std::wstring> strings;
    std::map<std::wstring, LONG> numbers;
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        if (strings.count(name)) {
            value->vt = VT_BSTR;
            value->bstrVal = SysAllocString(strings[name].c_str());
            return S_OK;
        }
        if (numbers.count(name)) {
            value->vt = VT_I4;
            value->lVal = numbers[name];
            return S_OK;
        }
        return E_INVALIDARG;
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
};

}  // namespace

TEST_F(DeviceTest, DevicesEnumerateWithNamesAndBindToTheirIdentity) {
    std::vector<Device> devices = VirtualDevices();
    ASSERT_GE(devices.size(), 3u) << "scripts/virtual-cameras install 3 has not run in this prefix";
    EXPECT_EQ(L"ZKV Virtual IIDC Camera 1 (Bayer RGGB)", devices[0].friendlyName);
    EXPECT_EQ(L"ZKV Virtual IIDC Camera 2 (YUV)", devices[1].friendlyName);
    EXPECT_EQ(L"ZKV Virtual IIDC Camera 3 (Mono)", devices[2].friendlyName);
    const ULONG tiles[] = {0x52474742u /* RGGB */, 0x59595959u, 0x59595959u};
    for (std::size_t i = 0; i < 3; ++i) {
        ComPtr<IBaseFilter> filter;
        ASSERT_EQ(S_OK, devices[i].moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.Out()));
        ComPtr<IZKVVirtualCameraControl> control;
        ASSERT_EQ(S_OK, filter->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()));
        ULONG serial = 0, tile = 0;
        ASSERT_EQ(S_OK, control->PeekRegister(0x1F20, &serial));
        EXPECT_EQ(zkvsim::DefaultSerialNumber(static_cast<std::uint32_t>(i + 1)), serial);
        ASSERT_EQ(S_OK, control->PeekRegister(0x1040, &tile));
        EXPECT_EQ(tiles[i], tile);
        CLSID clsid = {};
        filter->GetClassID(&clsid);
        EXPECT_TRUE(clsid == CLSID_ZkvVirtualCamera);
    }
}

TEST_F(DeviceTest, PinIsACapturePinAndBothListTheirPages) {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, BindDevice(0, &filter));
    ComPtr<IPin> pin;
    *&pin = CapturePinOf(filter.Get());
    ASSERT_TRUE(pin);
    ComPtr<IKsPropertySet> props;
    ASSERT_EQ(S_OK, pin->QueryInterface(IID_IKsPropertySet, props.Out()));
    GUID category = GUID_NULL;
    DWORD returned = 0;
    ASSERT_EQ(S_OK, props->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category, &returned));
    EXPECT_TRUE(category == PIN_CATEGORY_CAPTURE);
    EXPECT_EQ(sizeof(GUID), returned);
    PIN_DIRECTION direction;
    pin->QueryDirection(&direction);
    EXPECT_EQ(PINDIR_OUTPUT, direction);

    ComPtr<ISpecifyPropertyPages> filterPages, pinPages;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_ISpecifyPropertyPages, filterPages.Out()));
    ASSERT_EQ(S_OK, pin->QueryInterface(IID_ISpecifyPropertyPages, pinPages.Out()));
    CAUUID pages = {};
    ASSERT_EQ(S_OK, filterPages->GetPages(&pages));
    ASSERT_EQ(2u, pages.cElems);
    EXPECT_TRUE(pages.pElems[0] == CLSID_ZKVVideoProcAmpPage);
    EXPECT_TRUE(pages.pElems[1] == CLSID_ZKVCameraControlPage);
    CoTaskMemFree(pages.pElems);
    ASSERT_EQ(S_OK, pinPages->GetPages(&pages));
    ASSERT_EQ(1u, pages.cElems);
    EXPECT_TRUE(pages.pElems[0] == CLSID_ZKVStreamingConfigPage);
    CoTaskMemFree(pages.pElems);
}

TEST_F(DeviceTest, FindInterfaceReachesThePinAndTheAggregatedHandler) {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, BindDevice(1, &filter));
    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ICaptureGraphBuilder2, builder.Out()));
    ComPtr<IAMStreamConfig> config;
    EXPECT_EQ(S_OK, builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, filter.Get(),
                                           IID_IAMStreamConfig, config.Out()));
    if (!HandlerRegistered()) GTEST_SKIP() << "the interface handler (Orvane.ax) is not registered in this prefix";

    ComPtr<IZKVInterface> camera;
    ASSERT_EQ(S_OK, builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, filter.Get(), IID_IZKVInterface,
                                           camera.Out()));
    ULONG serial = 0;
    ASSERT_EQ(S_OK, camera->GetRegister(0x1F20, &serial));
    EXPECT_EQ(zkvsim::DefaultSerialNumber(2), serial);
    // The handler's IUnknown is the filter's: the aggregation is whole.
    ComPtr<IBaseFilter> back;
    ASSERT_EQ(S_OK, camera->QueryInterface(IID_IBaseFilter, back.Out()));
    EXPECT_EQ(filter.Get(), back.Get());

    // Each call arrives as one request record on the vendor property set.
    ComPtr<IZKVVirtualCameraControl> control;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()));
    control->ClearRegisterWrites();
    ASSERT_EQ(S_OK, camera->SetRegister(0x820, 0x02000000u | 100));
    ASSERT_EQ(S_OK, camera->SetFormat7(2, 8, 16, 320, 240, 100, 0x004));
    ASSERT_EQ(S_OK, camera->SetBufferCount(7));
    ULONG count = 0;
    ASSERT_EQ(S_OK, camera->GetBufferCount(&count));
    EXPECT_EQ(7u, count);
    ULONG addresses[4], values[4], writes = 0;
    ASSERT_EQ(S_OK, control->GetRegisterWrites(addresses, values, 4, &writes));
    ASSERT_EQ(1u, writes);
    EXPECT_EQ(0x820u, addresses[0]);
    EXPECT_EQ(0x02000000u | 100, values[0]);
    Format7Request last = {};
    ASSERT_EQ(S_OK, control->GetLastRequest(ZKV_PROPERTY_FORMAT7, TRUE, reinterpret_cast<BYTE*>(&last), sizeof last));
    EXPECT_EQ(2u, last.mode);
    EXPECT_EQ(8u, last.left);
    EXPECT_EQ(240u, last.height);
    EXPECT_EQ(0x004u, last.pixelFormat);
    ULONG format = 0;
    ASSERT_EQ(S_OK, camera->GetRegister(0x608, &format));
    EXPECT_EQ(0xE0000000u, format);
}

TEST_F(DeviceTest, FaultsAndWithheldInterfacesReachTheClients) {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, BindDevice(0, &filter));
    ComPtr<IZKVVirtualCameraControl> control;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()));
    ComPtr<IPin> pin;
    *&pin = CapturePinOf(filter.Get());

    ASSERT_EQ(S_OK, control->WithholdInterface(IID_IAMStreamConfig, TRUE));
    ASSERT_EQ(S_OK, control->WithholdInterface(IID_IAMVideoProcAmp, TRUE));
    ASSERT_EQ(S_OK, control->WithholdInterface(IID_IZKVInterface, TRUE));
    ComPtr<IUnknown> any;
    EXPECT_EQ(E_NOINTERFACE, pin->QueryInterface(IID_IAMStreamConfig, any.Out()));
    EXPECT_EQ(E_NOINTERFACE, filter->QueryInterface(IID_IAMVideoProcAmp, any.Out()));
    EXPECT_EQ(E_NOINTERFACE, filter->QueryInterface(IID_IZKVInterface, any.Out()));
    EXPECT_EQ(E_INVALIDARG, control->WithholdInterface(IID_IPin, TRUE));
    control->WithholdInterface(IID_IAMStreamConfig, FALSE);
    control->WithholdInterface(IID_IAMVideoProcAmp, FALSE);
    control->WithholdInterface(IID_IZKVInterface, FALSE);

    ComPtr<IAMVideoProcAmp> procAmp;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IAMVideoProcAmp, procAmp.Out()));
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(S_OK, pin->QueryInterface(IID_IAMStreamConfig, config.Out()));
    const HRESULT failure = static_cast<HRESULT>(0x80004005u);
    ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_PROCAMP_SET, VideoProcAmp_Contrast, failure));
    EXPECT_EQ(failure, procAmp->Set(VideoProcAmp_Contrast, 10, VideoProcAmp_Flags_Manual));
    EXPECT_EQ(S_OK, procAmp->Set(VideoProcAmp_Hue, 10, VideoProcAmp_Flags_Manual));
    ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_STREAM_GET_STREAM_CAPS, 2, failure));
    AM_MEDIA_TYPE* mt = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps;
    EXPECT_EQ(failure, config->GetStreamCaps(2, &mt, reinterpret_cast<BYTE*>(&caps)));
    EXPECT_EQ(S_OK, config->GetStreamCaps(1, &mt, reinterpret_cast<BYTE*>(&caps)));
    DeleteMediaType(mt);
    ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_STREAM_GET_FORMAT, ZKV_FAULT_ANY_KEY, failure));
    EXPECT_EQ(failure, config->GetFormat(&mt));

    // The camera changes a register behind the clients' back.
    ASSERT_EQ(S_OK, control->PokeRegister(0x820, 0x01000000u | 0x02000000u | 33));
    long value = 0, flags = 0;
    ASSERT_EQ(S_OK, procAmp->Get(VideoProcAmp_Contrast, &value, &flags));
    EXPECT_EQ(33, value);
    EXPECT_EQ(VideoProcAmp_Flags_Auto, flags);
    EXPECT_EQ(E_INVALIDARG, control->SetFault(99, 0, failure));
    control->ClearFaults();
    EXPECT_EQ(S_OK, config->GetFormat(&mt));
    DeleteMediaType(mt);
}

TEST_F(DeviceTest, VideoProcAmpMapsOntoTheFeatureRegisters) {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, BindDevice(1, &filter));
    ComPtr<IAMVideoProcAmp> procAmp;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IAMVideoProcAmp, procAmp.Out()));
    ComPtr<IZKVVirtualCameraControl> control;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()));
    long min = 0, max = 0, step = 0, def = 0, caps = 0;
    ASSERT_EQ(S_OK, procAmp->GetRange(VideoProcAmp_BacklightCompensation, &min, &max, &step, &def, &caps));
    EXPECT_EQ(VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual, caps);
    ASSERT_EQ(S_OK, procAmp->Set(VideoProcAmp_BacklightCompensation, max, VideoProcAmp_Flags_Manual));
    ULONG shutter = 0;
    control->PeekRegister(0x81C, &shutter);
    EXPECT_EQ(static_cast<ULONG>(max), shutter & 0xFFF);
    ASSERT_EQ(S_OK, procAmp->Set(VideoProcAmp_WhiteBalance, 0x123064, VideoProcAmp_Flags_Manual));
    ULONG whiteBalance = 0;
    control->PeekRegister(0x80C, &whiteBalance);
    EXPECT_EQ(0x123064u, whiteBalance & 0xFFFFFF);
    EXPECT_EQ(E_PROP_ID_UNSUPPORTED, procAmp->Set(VideoProcAmp_Gain, 1, VideoProcAmp_Flags_Manual));
    EXPECT_EQ(E_INVALIDARG, procAmp->Set(VideoProcAmp_Contrast, 10000, VideoProcAmp_Flags_Manual));
}

TEST_F(DeviceTest, DeviceValuesConfigureFaultsWithholdingAndModes) {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ZkvVirtualCamera, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     filter.Out()));
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IPersistPropertyBag, persist.Out()));
    ValueBag bag;
    bag.numbers[L"ZkvDeviceIndex"] = 4;
    bag.numbers[L"ZkvSerialNumber"] = 4242;
    bag.strings[L"ZkvKind"] = L"bogus";
    EXPECT_EQ(E_INVALIDARG, persist->Load(&bag, nullptr));
    bag.strings[L"ZkvKind"] = L"mono";
    bag.strings[L"ZkvFaults"] = L"register_get:0x1F20:0x80004005";
    bag.strings[L"ZkvWithhold"] = L"IAMVideoProcAmp";
    bag.strings[L"ZkvFormat7Unavailable"] = L"0";
    ASSERT_EQ(S_OK, persist->Load(&bag, nullptr));

    ComPtr<IKsPropertySet> props;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IKsPropertySet, props.Out()));
    RegisterRequest r = {};
    r.address = 0x1F20;
    DWORD returned = 0;
    EXPECT_EQ(static_cast<HRESULT>(0x80004005u), props->Get(PROPSETID_ZKV, ZKV_PROPERTY_REGISTER, &r, sizeof r, &r, sizeof r, &returned));
    r.address = 0x1F24;
    EXPECT_EQ(S_OK, props->Get(PROPSETID_ZKV, ZKV_PROPERTY_REGISTER, &r, sizeof r, &r, sizeof r, &returned));
    ComPtr<IZKVVirtualCameraControl> control;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()));
    ULONG serial = 0;
    control->PeekRegister(0x1F20, &serial);
    EXPECT_EQ(4242u, serial);
    ComPtr<IUnknown> any;
    EXPECT_EQ(E_NOINTERFACE, filter->QueryInterface(IID_IAMVideoProcAmp, any.Out()));
    Format7Request f7 = {};
    EXPECT_EQ(S_OK, props->Get(PROPSETID_ZKV, ZKV_PROPERTY_FORMAT7, &f7, sizeof f7, &f7, sizeof f7, &returned));
    EXPECT_EQ(0u, f7.modeAvailable);
    EXPECT_EQ(E_PROP_SET_UNSUPPORTED, props->Get(AMPROPSETID_Pin, 0, nullptr, 0, &r, sizeof r, &returned));
}

// The device-level fault points make a graph fail where an application builds
// and starts it, and only there.
TEST_F(DeviceTest, DeviceLevelFaultsFailBindingJoiningConnectingAndStarting) {
    const HRESULT failure = static_cast<HRESULT>(0x8007001Fu);

    // Binding: named in the device values, or set through the control interface.
    ComPtr<IBaseFilter> unbound;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ZkvVirtualCamera, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     unbound.Out()));
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(S_OK, unbound->QueryInterface(IID_IPersistPropertyBag, persist.Out()));
    ValueBag bag;
    bag.numbers[L"ZkvDeviceIndex"] = 2;
    bag.strings[L"ZkvFaults"] = L"load:any:0x80070015";
    EXPECT_EQ(static_cast<HRESULT>(0x80070015u), persist->Load(&bag, nullptr));
    bag.strings[L"ZkvFaults"] = L"load:1:0x80070015";
    EXPECT_EQ(E_INVALIDARG, persist->Load(&bag, nullptr));
    bag.strings.erase(L"ZkvFaults");
    ComPtr<IZKVVirtualCameraControl> unboundControl;
    ASSERT_EQ(S_OK, unbound->QueryInterface(IID_IZKVVirtualCameraControl, unboundControl.Out()));
    EXPECT_EQ(E_INVALIDARG, unboundControl->SetFault(ZKV_FAULT_LOAD, 0, failure));
    ASSERT_EQ(S_OK, unboundControl->SetFault(ZKV_FAULT_LOAD, ZKV_FAULT_ANY_KEY, failure));
    EXPECT_EQ(failure, persist->Load(&bag, nullptr));
    unboundControl->ClearFaults();
    EXPECT_EQ(S_OK, persist->Load(&bag, nullptr));

    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, BindDevice(0, &filter));
    ComPtr<IZKVVirtualCameraControl> control;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IZKVVirtualCameraControl, control.Out()));
    ComPtr<IPin> pin;
    *&pin = CapturePinOf(filter.Get());

    // Joining a graph fails; leaving one never does.
    {
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         graph.Out()));
        ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_JOIN_FILTER_GRAPH, ZKV_FAULT_ANY_KEY, failure));
        EXPECT_EQ(failure, graph->AddFilter(filter.Get(), L"Camera"));
        FILTER_INFO info = {};
        ASSERT_EQ(S_OK, filter->QueryFilterInfo(&info));
        EXPECT_EQ(nullptr, info.pGraph);
        control->SetFault(ZKV_FAULT_JOIN_FILTER_GRAPH, ZKV_FAULT_ANY_KEY, S_OK);
        ASSERT_EQ(S_OK, graph->AddFilter(filter.Get(), L"Camera"));
        control->SetFault(ZKV_FAULT_JOIN_FILTER_GRAPH, ZKV_FAULT_ANY_KEY, failure);
        EXPECT_EQ(S_OK, graph->RemoveFilter(filter.Get()));
        control->ClearFaults();
    }

    // The capture pin refuses every connection: nothing gets connected.
    {
        ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_PIN_CONNECT, ZKV_FAULT_ANY_KEY, failure));
        GrabberGraph graph;
        EXPECT_TRUE(FAILED(graph.Build(filter.Get(), false)));
        ComPtr<IPin> peer;
        EXPECT_EQ(VFW_E_NOT_CONNECTED, pin->ConnectedTo(&peer));
        control->ClearFaults();
    }

    // Pause and Run fail with the fault and leave the filter stopped. The
    // graph reports a source's Pause failure only while no renderer is
    // pending (Wine's answers S_FALSE and starts later otherwise), and does
    // not pass Run failures on: the filter itself is asked here.
    ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_PAUSE, ZKV_FAULT_ANY_KEY, failure));
    EXPECT_EQ(failure, filter->Pause());
    {
        ComPtr<IGraphBuilder> alone;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         alone.Out()));
        ASSERT_EQ(S_OK, alone->AddFilter(filter.Get(), L"Camera"));
        ComPtr<IMediaControl> media;
        ASSERT_EQ(S_OK, alone->QueryInterface(IID_IMediaControl, media.Out()));
        EXPECT_EQ(failure, media->Run());
        media->Stop();
        alone->RemoveFilter(filter.Get());
    }
    control->ClearFaults();
    ASSERT_EQ(S_OK, control->SetFault(ZKV_FAULT_RUN, ZKV_FAULT_ANY_KEY, failure));
    EXPECT_EQ(failure, filter->Run(0));
    FILTER_STATE state = State_Running;
    filter->GetState(0, &state);
    EXPECT_EQ(State_Stopped, state);
    control->ClearFaults();

    // Without faults the same camera streams.
    GrabberGraph graph;
    ASSERT_EQ(S_OK, graph.Build(filter.Get(), false));
    EXPECT_TRUE(SUCCEEDED(graph.Run()));
    EXPECT_TRUE(graph.WaitFrames(2, 10000));
    graph.Stop();
}
