// Test and development control of a virtual IIDC camera: fault injection,
// changes behind the back of the pages, and read-back of what the camera was
// asked. The virtual camera's capture filter answers this interface
// (QueryInterface on the filter) in the process that uses it.
#pragma once

#include <windows.h>
#include <unknwn.h>

// {D99A90BF-7F0E-4DCD-B716-3D016F32FD03}
inline constexpr GUID IID_IZKVVirtualCameraControl =
    {0xd99a90bf, 0x7f0e, 0x4dcd, {0xb7, 0x16, 0x3d, 0x01, 0x6f, 0x32, 0xfd, 0x03}};

// Where a fault is injected; the key narrows it (ZKV_FAULT_ANY_KEY matches all).
enum ZKVFaultPoint : ULONG {
    ZKV_FAULT_PROPERTY_GET = 0,          // key: vendor property id, IKsPropertySet::Get
    ZKV_FAULT_PROPERTY_SET = 1,          // key: vendor property id, IKsPropertySet::Set
    ZKV_FAULT_REGISTER_GET = 2,          // key: register address
    ZKV_FAULT_REGISTER_SET = 3,          // key: register address
    ZKV_FAULT_FORMAT7_GET = 4,           // key: Format 7 mode
    ZKV_FAULT_FORMAT7_SET = 5,           // key: Format 7 mode
    ZKV_FAULT_BUFFER_COUNT_GET = 6,
    ZKV_FAULT_BUFFER_COUNT_SET = 7,
    ZKV_FAULT_PROCAMP_GET_RANGE = 8,     // key: VideoProcAmpProperty
    ZKV_FAULT_PROCAMP_GET = 9,           // key: VideoProcAmpProperty
    ZKV_FAULT_PROCAMP_SET = 10,          // key: VideoProcAmpProperty
    ZKV_FAULT_STREAM_GET_FORMAT = 11,
    ZKV_FAULT_STREAM_SET_FORMAT = 12,
    ZKV_FAULT_STREAM_GET_NUMBER_OF_CAPS = 13,
    ZKV_FAULT_STREAM_GET_STREAM_CAPS = 14,  // key: capability index
    // Device-level points (key ZKV_FAULT_ANY_KEY): they make a graph fail
    // where an application builds or starts it.
    ZKV_FAULT_LOAD = 15,                 // IPersistPropertyBag::Load: binding the device's moniker
    ZKV_FAULT_JOIN_FILTER_GRAPH = 16,    // IBaseFilter::JoinFilterGraph with a graph (leaving never fails)
    ZKV_FAULT_PIN_CONNECT = 17,          // the capture pin refuses every connection
    ZKV_FAULT_PAUSE = 18,                // IMediaFilter::Pause
    ZKV_FAULT_RUN = 19,                  // IMediaFilter::Run
    // Frames of the capture pin.
    ZKV_FAULT_DROP_FRAMES = 20,          // key n (not 0): of every n frames taken the last is dropped; any: all
    ZKV_FAULT_DELIVER = 21,              // key: frame number; the delivery fails with hr, the frame counts as dropped
};
constexpr ULONG ZKV_FAULT_ANY_KEY = 0xFFFFFFFFu;

struct IZKVVirtualCameraControl : public IUnknown {
    // Makes the matching requests fail with hr; S_OK removes that fault.
    virtual HRESULT STDMETHODCALLTYPE SetFault(ULONG point, ULONG key, HRESULT hr) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFaults() = 0;
    // Changes a register as the camera itself would (not logged, never faulted).
    virtual HRESULT STDMETHODCALLTYPE PokeRegister(ULONG address, ULONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE PeekRegister(ULONG address, ULONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFormat7ModeAvailable(ULONG mode, BOOL available) = 0;
    // Withholds IAMStreamConfig, IAMVideoProcAmp or IZKVInterface from new queries.
    virtual HRESULT STDMETHODCALLTYPE WithholdInterface(REFIID iid, BOOL withhold) = 0;
    // The last vendor request record of that property id and direction, as received.
    virtual HRESULT STDMETHODCALLTYPE GetLastRequest(ULONG propertyId, BOOL set, BYTE* record,
                                                     ULONG size) = 0;
    // Register writes through the vendor property set, oldest first.
    virtual HRESULT STDMETHODCALLTYPE GetRegisterWrites(ULONG* addresses, ULONG* values,
                                                        ULONG capacity, ULONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearRegisterWrites() = 0;
    // Frames the capture pin has taken since it last started: delivered,
    // dropped, and the one still on its way downstream (the difference to
    // IAMDroppedFrames' counts).
    virtual HRESULT STDMETHODCALLTYPE GetFramesTaken(ULONGLONG* taken) = 0;
};
