// The bit fields of the camera's control registers, as data: the trigger,
// software trigger, one-shot, memory channel and feature registers, for the
// pages that show them and the virtual camera that implements them. The IIDC
// standard numbers bits from the most significant one as bit 0, so a field's
// first bit and width are given in that numbering. Platform-neutral and
// header-only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ZKVRegisters.h"

namespace zkv {

struct RegisterField {
    const char* name;
    std::uint8_t firstBit;  // IIDC numbering: bit 0 is the most significant
    std::uint8_t width;
    bool readOnly;
};

// The field's bits within the 32-bit register.
constexpr std::uint32_t FieldMask(const RegisterField& f) {
    return (f.width >= 32 ? 0xFFFFFFFFu : ((1u << f.width) - 1u)) << (32 - f.firstBit - f.width);
}
constexpr std::uint32_t GetField(std::uint32_t reg, const RegisterField& f) {
    return (reg & FieldMask(f)) >> (32 - f.firstBit - f.width);
}
// The register with the field replaced by value (cut to the field's width);
// every other bit is kept.
constexpr std::uint32_t SetField(std::uint32_t reg, const RegisterField& f, std::uint32_t value) {
    return (reg & ~FieldMask(f)) | ((value << (32 - f.firstBit - f.width)) & FieldMask(f));
}

namespace TriggerInq {
inline constexpr RegisterField Presence{"Presence_Inq", 0, 1, true};
inline constexpr RegisterField AbsControl{"Abs_Control_Inq", 1, 1, true};
inline constexpr RegisterField ReadOut{"ReadOut_Inq", 4, 1, true};
inline constexpr RegisterField OnOff{"On/Off_Inq", 5, 1, true};
inline constexpr RegisterField Polarity{"Polarity_Inq", 6, 1, true};
inline constexpr RegisterField ValueRead{"Value_Read_Inq", 7, 1, true};
inline constexpr RegisterField Sources{"Trigger_Source0..3_Inq", 8, 4, true};
inline constexpr RegisterField SoftwareTrigger{"Software_Trigger_Inq", 15, 1, true};
inline constexpr RegisterField Modes{"Trigger_Mode0..15_Inq", 16, 16, true};
inline constexpr RegisterField kFields[] = {Presence, AbsControl, ReadOut, OnOff, Polarity,
                                            ValueRead, Sources, SoftwareTrigger, Modes};
}  // namespace TriggerInq

namespace TriggerMode {
inline constexpr RegisterField Presence{"Presence_Inq", 0, 1, true};
inline constexpr RegisterField AbsControl{"Abs_Control", 1, 1, false};
inline constexpr RegisterField OnOff{"ON_OFF", 6, 1, false};
inline constexpr RegisterField Polarity{"Trigger_Polarity", 7, 1, false};
inline constexpr RegisterField Source{"Trigger_Source", 8, 3, false};
inline constexpr RegisterField Value{"Trigger_Value", 11, 1, true};
inline constexpr RegisterField Mode{"Trigger_Mode", 12, 4, false};
inline constexpr RegisterField Parameter{"Parameter", 20, 12, false};
inline constexpr RegisterField kFields[] = {Presence, AbsControl, OnOff, Polarity, Source, Value, Mode, Parameter};
// The Trigger_Source value that selects the software trigger.
constexpr std::uint32_t kSoftwareSource = 7;
}  // namespace TriggerMode

namespace SoftwareTrigger {
// Writing 1 fires a trigger; it reads 1 until the camera has taken it.
inline constexpr RegisterField Fire{"Software_Trigger", 0, 1, false};
inline constexpr RegisterField kFields[] = {Fire};
}  // namespace SoftwareTrigger

namespace OneShot {
inline constexpr RegisterField One{"One_Shot", 0, 1, false};
inline constexpr RegisterField Multi{"Multi_Shot", 1, 1, false};
inline constexpr RegisterField Count{"Count_Number", 16, 16, false};
inline constexpr RegisterField kFields[] = {One, Multi, Count};
}  // namespace OneShot

namespace BasicFuncInq {
inline constexpr RegisterField OneShot{"One_Shot_Inq", 19, 1, true};
inline constexpr RegisterField MultiShot{"Multi_Shot_Inq", 20, 1, true};
// The number of user memory channels; 0: none.
inline constexpr RegisterField MemoryChannel{"Memory_Channel", 28, 4, true};
}  // namespace BasicFuncInq

namespace MemorySave {
inline constexpr RegisterField Save{"Memory_Save", 0, 1, false};
inline constexpr RegisterField kFields[] = {Save};
}  // namespace MemorySave

namespace MemSaveCh {
inline constexpr RegisterField Channel{"Mem_Save_Ch", 0, 4, false};
inline constexpr RegisterField kFields[] = {Channel};
}  // namespace MemSaveCh

namespace CurMemCh {
// Writing loads the channel; 0 is the factory settings.
inline constexpr RegisterField Channel{"Cur_Mem_Ch", 0, 4, false};
inline constexpr RegisterField kFields[] = {Channel};
}  // namespace CurMemCh

// A feature's inquiry register (BRIGHTNESS_INQ and its neighbours).
namespace FeatureInq {
inline constexpr RegisterField Presence{"Presence_Inq", 0, 1, true};
inline constexpr RegisterField AbsControl{"Abs_Control_Inq", 1, 1, true};
inline constexpr RegisterField OnePush{"One_Push_Inq", 3, 1, true};
inline constexpr RegisterField ReadOut{"ReadOut_Inq", 4, 1, true};
inline constexpr RegisterField OnOff{"On/Off_Inq", 5, 1, true};
inline constexpr RegisterField Auto{"Auto_Inq", 6, 1, true};
inline constexpr RegisterField Manual{"Manual_Inq", 7, 1, true};
inline constexpr RegisterField MinValue{"Min_Value", 8, 12, true};
inline constexpr RegisterField MaxValue{"Max_Value", 20, 12, true};
inline constexpr RegisterField kFields[] = {Presence, AbsControl, OnePush, ReadOut, OnOff, Auto, Manual, MinValue, MaxValue};
}  // namespace FeatureInq

// A feature's control register. The camera clears One_Push when the
// adjustment is done.
namespace FeatureControl {
inline constexpr RegisterField Presence{"Presence_Inq", 0, 1, true};
inline constexpr RegisterField AbsControl{"Abs_Control", 1, 1, false};
inline constexpr RegisterField OnePush{"One_Push", 5, 1, false};
inline constexpr RegisterField OnOff{"ON_OFF", 6, 1, false};
inline constexpr RegisterField Auto{"A_M_Mode", 7, 1, false};
inline constexpr RegisterField HighValue{"High_Value", 8, 12, false};
inline constexpr RegisterField Value{"Value", 20, 12, false};
inline constexpr RegisterField kFields[] = {Presence, AbsControl, OnePush, OnOff, Auto, HighValue, Value};
}  // namespace FeatureControl

// The registers whose fields are listed, for a page that shows them by address.
struct RegisterLayout {
    std::uint32_t address;
    const RegisterField* fields;
    std::size_t count;
};

#define ZKV_LAYOUT(address, fields) {address, fields, sizeof(fields) / sizeof(fields[0])}
inline constexpr RegisterLayout kRegisterLayouts[] = {
    ZKV_LAYOUT(CameraRegister::TRIGGER_INQ, TriggerInq::kFields),
    ZKV_LAYOUT(CameraRegister::TRIGGER_MODE, TriggerMode::kFields),
    ZKV_LAYOUT(CameraRegister::SOFTWARE_TRIGGER, SoftwareTrigger::kFields),
    ZKV_LAYOUT(CameraRegister::ONE_SHOT, OneShot::kFields),
    ZKV_LAYOUT(CameraRegister::MEMORY_SAVE, MemorySave::kFields),
    ZKV_LAYOUT(CameraRegister::MEM_SAVE_CH, MemSaveCh::kFields),
    ZKV_LAYOUT(CameraRegister::CUR_MEM_CH, CurMemCh::kFields),
};
#undef ZKV_LAYOUT

// The layout of a register, or null when its fields are not listed.
inline const RegisterLayout* FindRegisterLayout(std::uint32_t address) {
    for (const RegisterLayout& layout : kRegisterLayouts) {
        if (layout.address == address) return &layout;
    }
    return nullptr;
}

// A field of a layout by its name, or null.
inline const RegisterField* FindField(const RegisterLayout& layout, const char* name) {
    for (std::size_t i = 0; i < layout.count; ++i) {
        if (std::strcmp(layout.fields[i].name, name) == 0) return &layout.fields[i];
    }
    return nullptr;
}

}  // namespace zkv
