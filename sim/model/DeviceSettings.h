// Who a virtual camera is and what it is told to do wrong: its number, serial
// number and kind, injected faults, withheld interfaces and Format 7 modes
// taken away. The installer writes these as device values and the filter
// reads them back when the device is bound; the text forms are parsed here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "StartFormat.h"

namespace zkvsim {

// Where a fault applies; the values are those of IZKVVirtualCameraControl.
enum FaultPoint : std::uint32_t {
    kFaultPropertyGet = 0,
    kFaultPropertySet = 1,
    kFaultRegisterGet = 2,
    kFaultRegisterSet = 3,
    kFaultFormat7Get = 4,
    kFaultFormat7Set = 5,
    kFaultBufferCountGet = 6,
    kFaultBufferCountSet = 7,
    kFaultProcAmpGetRange = 8,
    kFaultProcAmpGet = 9,
    kFaultProcAmpSet = 10,
    kFaultStreamGetFormat = 11,
    kFaultStreamSetFormat = 12,
    kFaultStreamGetNumberOfCaps = 13,
    kFaultStreamGetStreamCaps = 14,
    // Device-level points, keyless: binding the device (IPersistPropertyBag::Load),
    // joining a graph, connecting the capture pin, and the Pause and Run transitions.
    kFaultLoad = 15,
    kFaultJoinFilterGraph = 16,
    kFaultPinConnect = 17,
    kFaultPause = 18,
    kFaultRun = 19,
    // Frames: of every key frames the camera takes, the last is dropped (key
    // any: every frame); and the capture pin's delivery of frame number key
    // fails with the result.
    kFaultDropFrames = 20,
    kFaultDeliver = 21,
    kFaultPointCount = 22,
};
constexpr std::uint32_t kAnyKey = 0xFFFFFFFFu;

struct FaultSpec {
    std::uint32_t point;
    std::uint32_t key;   // kAnyKey matches every key
    std::int32_t result;  // the failure HRESULT
};

// Interfaces a device can withhold.
enum WithheldInterface : std::uint32_t {
    kWithholdStreamConfig = 1,
    kWithholdVideoProcAmp = 2,
    kWithholdZkvInterface = 4,
};

// What a device can lack, for cameras without these controls.
enum MissingControl : std::uint32_t {
    kLacksTrigger = 1,         // TRIGGER_INQ and TRIGGER_MODE read 0
    kLacksOnePush = 2,         // no feature has One_Push_Inq
    kLacksMemoryChannels = 4,  // BASIC_FUNC_INQ Memory_Channel 0
};

struct DeviceSettings {
    std::uint32_t index = 1;  // 1-based device number
    std::uint32_t serialNumber = 0;
    std::string kind = "bayer";
    std::vector<FaultSpec> faults;
    std::uint32_t withheld = 0;  // WithheldInterface bits
    std::vector<std::uint32_t> format7Unavailable;
    std::uint32_t lacks = 0;  // MissingControl bits
    StartFormat start;  // not given: the kind's default format
};

// The serial number a device gets when none is given: distinct per number.
std::uint32_t DefaultSerialNumber(std::uint32_t index);
// The kind of the n-th device (1-based) when none is given.
const char* DefaultKind(std::uint32_t index);
std::string FriendlyName(const DeviceSettings& settings);
std::string InstanceName(std::uint32_t index);

// The device-level points take no key: only kAnyKey names them.
bool IsDeviceLevelPoint(std::uint32_t point);
// Whether a fault of the point may have this key (device-level points only
// kAnyKey, drop_frames no period 0).
bool IsValidFaultKey(std::uint32_t point, std::uint32_t key);

// "point:key:hr", key "any" or a number (decimal or 0x hex), hr in hex.
bool ParseFault(const std::string& text, FaultSpec* fault);
std::string FormatFault(const FaultSpec& fault);
// Faults separated by ';'. Empty text is an empty list.
bool ParseFaultList(const std::string& text, std::vector<FaultSpec>* faults);
std::string FormatFaultList(const std::vector<FaultSpec>& faults);
// "IAMStreamConfig,IAMVideoProcAmp,IZKVInterface" (any subset, any order).
bool ParseWithheldList(const std::string& text, std::uint32_t* withheld);
std::string FormatWithheldList(std::uint32_t withheld);
// "trigger,one_push,channels" (any subset, any order).
bool ParseMissingList(const std::string& text, std::uint32_t* lacks);
std::string FormatMissingList(std::uint32_t lacks);
// Comma-separated mode numbers 0..7.
bool ParseModeList(const std::string& text, std::vector<std::uint32_t>* modes);
std::string FormatModeList(const std::vector<std::uint32_t>& modes);

// The installer's per-device option: "device:rest", device 1-based.
bool SplitDeviceOption(const std::string& text, std::uint32_t* device, std::string* rest);

}  // namespace zkvsim
