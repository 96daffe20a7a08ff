#include "RegisterNameTable.h"

#include <array>
#include <cstddef>

namespace zkv {

const char kUnknownRegisterName[] = "Unknown";
const char kInvalidRegisterName[] = "Invalid Register";

namespace {

struct NamedRegister {
    std::uint32_t offset;
    const char* name;
};

// Every register with a name of its own; all other offsets are "Unknown".
constexpr NamedRegister kNamedRegisters[] = {
    {0x000, "INITIALIZE"},
    {0x100, "V_FORMAT_INQ"},
    {0x180, "V_MODE_INQ_0"}, {0x184, "V_MODE_INQ_1"}, {0x188, "V_MODE_INQ_2"},
    {0x18C, "V_MODE_INQ_3"}, {0x190, "V_MODE_INQ_4"}, {0x194, "V_MODE_INQ_5"},
    {0x198, "V_MODE_INQ_6"}, {0x19C, "V_MODE_INQ_7"},
    {0x200, "V_RATE_INQ_0_0"}, {0x204, "V_RATE_INQ_0_1"}, {0x208, "V_RATE_INQ_0_2"},
    {0x20C, "V_RATE_INQ_0_3"}, {0x210, "V_RATE_INQ_0_4"}, {0x214, "V_RATE_INQ_0_5"},
    {0x218, "V_RATE_INQ_0_6"}, {0x21C, "V_RATE_INQ_0_7"},
    {0x220, "V_RATE_INQ_1_0"}, {0x224, "V_RATE_INQ_1_1"}, {0x228, "V_RATE_INQ_1_2"},
    {0x22C, "V_RATE_INQ_1_3"}, {0x230, "V_RATE_INQ_1_4"}, {0x234, "V_RATE_INQ_1_5"},
    {0x238, "V_RATE_INQ_1_6"}, {0x23C, "V_RATE_INQ_1_7"},
    {0x240, "V_RATE_INQ_2_0"}, {0x244, "V_RATE_INQ_2_1"}, {0x248, "V_RATE_INQ_2_2"},
    {0x24C, "V_RATE_INQ_2_3"}, {0x250, "V_RATE_INQ_2_4"}, {0x254, "V_RATE_INQ_2_5"},
    {0x258, "V_RATE_INQ_2_6"}, {0x25C, "V_RATE_INQ_2_7"},
    {0x2A0, "V_RATE_INQ_5_0"}, {0x2A4, "V_RATE_INQ_5_1"}, {0x2A8, "V_RATE_INQ_5_2"},
    {0x2AC, "V_RATE_INQ_5_3"}, {0x2B0, "V_RATE_INQ_5_4"}, {0x2B4, "V_RATE_INQ_5_5"},
    {0x2B8, "V_RATE_INQ_5_6"}, {0x2BC, "V_RATE_INQ_5_7"},
    {0x2EC, "V_CSR_INQ_7_3"}, {0x2F0, "V_CSR_INQ_7_4"}, {0x2F4, "V_CSR_INQ_7_5"},
    {0x2F8, "V_CSR_INQ_7_6"}, {0x2FC, "V_CSR_INQ_7_7"},
    {0x400, "BASIC_FUNC_INQ"}, {0x404, "FEATURE_HI_INQ"}, {0x408, "FEATURE_LO_INQ"},
    {0x40C, "OPT_FUNCTION_INQ"},
    {0x480, "ADVANCED_FEATURE_INQ"}, {0x484, "PIO_CONTROL_CSR_INQ"},
    {0x488, "SIO_CONTROL_CSR_INQ"}, {0x48C, "STROBE_OUTPUT_CSR_INQ"},
    {0x500, "BRIGHTNESS_INQ"}, {0x504, "AUTO_EXPOSURE_INQ"}, {0x508, "SHARPNESS_INQ"},
    {0x50C, "WHITE_BALANCE_INQ"}, {0x510, "HUE_INQ"}, {0x514, "SATURATION_INQ"},
    {0x518, "GAMMA_INQ"}, {0x51C, "SHUTTER_INQ"}, {0x520, "GAIN_INQ"},
    {0x524, "IRIS_INQ"}, {0x528, "FOCUS_INQ"}, {0x52C, "TEMPERATURE_INQ"},
    {0x530, "TRIGGER_INQ"}, {0x534, "TRIGGER_DLY_INQ"}, {0x538, "WHITE_SHD_INQ"},
    {0x53C, "FRAME_RATE_INQ"},
    {0x580, "ZOOM_INQ"}, {0x584, "PAN_INQ"}, {0x588, "TILT_INQ"},
    {0x58C, "OPTICAL_FILTER_INQ"},
    {0x5C0, "CAPTURE_SIZE_INQ"}, {0x5C4, "CAPTURE_QUALITY_INQ"},
    {0x600, "CUR_V_FRM_RATE"}, {0x604, "CUR_V_MODE"}, {0x608, "CUR_V_FORMAT"},
    {0x60C, "ISO_CHANNEL_ISO_SPEED"}, {0x610, "CAMERA_POWER"}, {0x614, "ISO_EN"},
    {0x618, "MEMORY_SAVE"}, {0x61C, "ONE_SHOT"}, {0x620, "MEM_SAVE_CH"},
    {0x624, "CUR_MEM_CH"}, {0x628, "VMODE_ERROR_STATUS"}, {0x62C, "SOFTWARE_TRIGGER"},
    {0x630, "DATA_DEPTH"},
    {0x700, "ABS_CSR_HI_INQ_0"}, {0x704, "ABS_CSR_HI_INQ_1"}, {0x708, "ABS_CSR_HI_INQ_2"},
    {0x70C, "ABS_CSR_HI_INQ_3"}, {0x710, "ABS_CSR_HI_INQ_4"}, {0x714, "ABS_CSR_HI_INQ_5"},
    {0x718, "ABS_CSR_HI_INQ_6"}, {0x71C, "ABS_CSR_HI_INQ_7"}, {0x720, "ABS_CSR_HI_INQ_8"},
    {0x724, "ABS_CSR_HI_INQ_9"}, {0x728, "ABS_CSR_HI_INQ_10"},
    {0x72C, "ABS_CSR_HI_INQ_11"}, {0x730, "ABS_CSR_HI_INQ_12"},
    {0x734, "ABS_CSR_HI_INQ_13"}, {0x738, "ABS_CSR_HI_INQ_14"},
    {0x73C, "ABS_CSR_HI_INQ_15"},
    {0x780, "ABS_CSR_LO_INQ_0"}, {0x784, "ABS_CSR_LO_INQ_1"}, {0x788, "ABS_CSR_LO_INQ_2"},
    {0x78C, "ABS_CSR_LO_INQ_3"},
    {0x7C0, "ABS_CSR_LO_INQ_16"}, {0x7C4, "ABS_CSR_LO_INQ_17"},
    {0x800, "BRIGHTNESS"}, {0x804, "AUTO_EXPOSURE"}, {0x808, "SHARPNESS"},
    {0x80C, "WHITE_BALANCE"}, {0x810, "HUE"}, {0x814, "SATURATION"}, {0x818, "GAMMA"},
    {0x81C, "SHUTTER"}, {0x820, "GAIN"}, {0x824, "IRIS"}, {0x828, "FOCUS"},
    {0x82C, "TEMPERATURE"}, {0x830, "TRIGGER_MODE"}, {0x834, "TRIGGER_DELAY"},
    {0x838, "WHITE_SHADING"}, {0x83C, "FRAME_RATE"},
    {0x880, "ZOOM"}, {0x884, "PAN"}, {0x888, "TILT"}, {0x88C, "OPTICAL_FILTER"},
    {0x8C0, "CAPTURE_SIZE"}, {0x8C4, "CAPTURE_QUALITY"},
    {0x900, "ABS_AUTO_EXPOSURE_MIN"}, {0x904, "ABS_AUTO_EXPOSURE_MAX"},
    {0x908, "ABS_AUTO_EXPOSURE_VAL"},
    {0x910, "ABS_SHUTTER_MIN"}, {0x914, "ABS_SHUTTER_MAX"}, {0x918, "ABS_SHUTTER_VAL"},
    {0x920, "ABS_GAIN_MIN"}, {0x924, "ABS_GAIN_MAX"}, {0x928, "ABS_GAIN_VAL"},
    {0x930, "ABS_BRIGHTNESS_MIN"}, {0x934, "ABS_BRIGHTNESS_MAX"},
    {0x938, "ABS_BRIGHTNESS_VAL"},
    {0x940, "ABS_GAMMA_MIN"}, {0x944, "ABS_GAMMA_MAX"}, {0x948, "ABS_GAMMA_VAL"},
    {0x950, "ABS_TRIGGER_DELAY_MIN"}, {0x954, "ABS_TRIGGER_DELAY_MAX"},
    {0x958, "ABS_TRIGGER_DELAY_VAL"},
    {0x960, "ABS_FRAME_RATE_MIN"}, {0x964, "ABS_FRAME_RATE_MAX"},
    {0x968, "ABS_FRAME_RATE_VAL"},
    {0x970, "ABS_HUE_MIN"}, {0x974, "ABS_HUE_MAX"}, {0x978, "ABS_HUE_VAL"},
    {0x980, "ABS_SATURATION_MIN"}, {0x984, "ABS_SATURATION_MAX"},
    {0x988, "ABS_SATURATION_VAL"},
    {0x1028, "EXTENDED_SHUTTER"}, {0x102C, "SOFT_ASYNC_TRIGGER"},
    {0x1040, "BAYER_TILE_MAPPING"}, {0x1044, "BAYER_TILE_GAIN"},
    {0x1048, "IMAGE_DATA_FORMAT"}, {0x104C, "TEST_PATTERN"},
    {0x1088, "AUTO_EXPOSURE_RANGE"}, {0x1098, "AUTO_SHUTTER_RANGE"},
    {0x10A0, "AUTO_GAIN_RANGE"},
    {0x1100, "GPIO_CONTROL"}, {0x1104, "GPIO_XTRA"}, {0x1108, "SHUTTER_DELAY"},
    {0x110C, "GPIO_STRPAT_CTRL"},
    {0x1110, "GPIO_CTRL_PIN_0"}, {0x1114, "GPIO_XTRA_PIN_0"},
    {0x1118, "GPIO_STRPAT_MASK_PIN_0"},
    {0x1120, "GPIO_CTRL_PIN_1"}, {0x1124, "GPIO_XTRA_PIN_1"},
    {0x1128, "GPIO_STRPAT_MASK_PIN_1"},
    {0x1130, "GPIO_CTRL_PIN_2"}, {0x1134, "GPIO_XTRA_PIN_2"},
    {0x1138, "GPIO_STRPAT_MASK_PIN_2"},
    {0x1140, "GPIO_CTRL_PIN_3"}, {0x1144, "GPIO_XTRA_PIN_3"},
    {0x1148, "GPIO_STRPAT_MASK_PIN_3"},
    {0x11F0, "PIO_OUTPUT"}, {0x11F4, "PIO_INPUT"}, {0x11F8, "PIO_DIRECTION"},
    {0x1240, "FRAMETIME_FLASHCTRL"}, {0x1244, "SYNCOFFSET_FLASHDATA"},
    {0x12E8, "IMAGE_RETRANSMIT"},
    {0x12F8, "FRAME_INFO"}, {0x12FC, "XMIT_FAILURE"}, {0x1300, "STROBE_CTRL_INQ"},
    {0x1400, "STROBE_0_INQ"}, {0x1404, "STROBE_1_INQ"}, {0x1408, "STROBE_2_INQ"},
    {0x140C, "STROBE_3_INQ"},
    {0x1500, "STROBE_0_CNT"}, {0x1504, "STROBE_1_CNT"}, {0x1508, "STROBE_2_CNT"},
    {0x150C, "STROBE_3_CNT"},
    {0x1A40, "LUT_LO_INQ"}, {0x1A44, "LUT_HI_INQ"},
    {0x1A50, "VOLTAGE_LO_INQ"}, {0x1A54, "VOLTAGE_HI_INQ"},
    {0x1A70, "AE_ROI_CTRL"}, {0x1A74, "AE_ROI_OFFSET"},
    {0x1AF0, "PIXEL_CLOCK_FREQ"}, {0x1AF4, "HORIZONTAL_LINE_FREQ"},
    {0x1F20, "SERIAL_NUMBER"}, {0x1F24, "MAIN_BOARD_INFO"}, {0x1F28, "SENSOR_BOARD_INFO"},
    {0x1F40, "BUILD_TIMESTAMP"},
    {0x1F60, "FIRMWARE_VERSION"}, {0x1F64, "FIRMWARE_BUILD_DATE"},
    {0x1F68, "FIRMWARE_STRING_1"}, {0x1F6C, "FIRMWARE_STRING_2"},
    {0x1F70, "FIRMWARE_STRING_3"}, {0x1F74, "FIRMWARE_STRING_4"},
    {0x1F78, "FIRMWARE_STRING_5"}, {0x1F7C, "FIRMWARE_STRING_6"},
};

using NameTable = std::array<const char*, kRegisterNameCount>;

// The full table is laid out by the compiler, so it lives in read-only data
// and needs no initialisation at load time.
constexpr NameTable BuildNameTable() {
    NameTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = kUnknownRegisterName;
    for (const NamedRegister& r : kNamedRegisters) table[r.offset / 4] = r.name;
    return table;
}

constexpr NameTable kRegisterNames = BuildNameTable();

}  // namespace

const char* RegisterNameEntry(std::uint32_t index) { return kRegisterNames[index]; }

const char* LookupRegisterName(std::uint32_t address) {
    const std::uint32_t offset = address & 0xFFFFu;
    if (offset & 3u) return kInvalidRegisterName;
    if (offset > kLastNamedOffset) return kUnknownRegisterName;
    return kRegisterNames[offset / 4];
}

}  // namespace zkv
