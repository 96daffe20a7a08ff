// The camera's command and status registers: byte offsets within the IIDC
// register block, the same offsets that IZKVInterface's register calls take,
// under the names the register editor shows; and the bits of the feature
// inquiry and control registers. Platform-neutral and header-only.
#pragma once

#include <cstdint>

// Every named register, in offset order: X(name, offset).
#define ZKV_CAMERA_REGISTERS(X) \
    X(INITIALIZE, 0x0000) \
    X(V_FORMAT_INQ, 0x0100) \
    X(V_MODE_INQ_0, 0x0180) \
    X(V_MODE_INQ_1, 0x0184) \
    X(V_MODE_INQ_2, 0x0188) \
    X(V_MODE_INQ_3, 0x018C) \
    X(V_MODE_INQ_4, 0x0190) \
    X(V_MODE_INQ_5, 0x0194) \
    X(V_MODE_INQ_6, 0x0198) \
    X(V_MODE_INQ_7, 0x019C) \
    X(V_RATE_INQ_0_0, 0x0200) \
    X(V_RATE_INQ_0_1, 0x0204) \
    X(V_RATE_INQ_0_2, 0x0208) \
    X(V_RATE_INQ_0_3, 0x020C) \
    X(V_RATE_INQ_0_4, 0x0210) \
    X(V_RATE_INQ_0_5, 0x0214) \
    X(V_RATE_INQ_0_6, 0x0218) \
    X(V_RATE_INQ_0_7, 0x021C) \
    X(V_RATE_INQ_1_0, 0x0220) \
    X(V_RATE_INQ_1_1, 0x0224) \
    X(V_RATE_INQ_1_2, 0x0228) \
    X(V_RATE_INQ_1_3, 0x022C) \
    X(V_RATE_INQ_1_4, 0x0230) \
    X(V_RATE_INQ_1_5, 0x0234) \
    X(V_RATE_INQ_1_6, 0x0238) \
    X(V_RATE_INQ_1_7, 0x023C) \
    X(V_RATE_INQ_2_0, 0x0240) \
    X(V_RATE_INQ_2_1, 0x0244) \
    X(V_RATE_INQ_2_2, 0x0248) \
    X(V_RATE_INQ_2_3, 0x024C) \
    X(V_RATE_INQ_2_4, 0x0250) \
    X(V_RATE_INQ_2_5, 0x0254) \
    X(V_RATE_INQ_2_6, 0x0258) \
    X(V_RATE_INQ_2_7, 0x025C) \
    X(V_RATE_INQ_5_0, 0x02A0) \
    X(V_RATE_INQ_5_1, 0x02A4) \
    X(V_RATE_INQ_5_2, 0x02A8) \
    X(V_RATE_INQ_5_3, 0x02AC) \
    X(V_RATE_INQ_5_4, 0x02B0) \
    X(V_RATE_INQ_5_5, 0x02B4) \
    X(V_RATE_INQ_5_6, 0x02B8) \
    X(V_RATE_INQ_5_7, 0x02BC) \
    X(V_CSR_INQ_7_3, 0x02EC) \
    X(V_CSR_INQ_7_4, 0x02F0) \
    X(V_CSR_INQ_7_5, 0x02F4) \
    X(V_CSR_INQ_7_6, 0x02F8) \
    X(V_CSR_INQ_7_7, 0x02FC) \
    X(BASIC_FUNC_INQ, 0x0400) \
    X(FEATURE_HI_INQ, 0x0404) \
    X(FEATURE_LO_INQ, 0x0408) \
    X(OPT_FUNCTION_INQ, 0x040C) \
    X(ADVANCED_FEATURE_INQ, 0x0480) \
    X(PIO_CONTROL_CSR_INQ, 0x0484) \
    X(SIO_CONTROL_CSR_INQ, 0x0488) \
    X(STROBE_OUTPUT_CSR_INQ, 0x048C) \
    X(BRIGHTNESS_INQ, 0x0500) \
    X(AUTO_EXPOSURE_INQ, 0x0504) \
    X(SHARPNESS_INQ, 0x0508) \
    X(WHITE_BALANCE_INQ, 0x050C) \
    X(HUE_INQ, 0x0510) \
    X(SATURATION_INQ, 0x0514) \
    X(GAMMA_INQ, 0x0518) \
    X(SHUTTER_INQ, 0x051C) \
    X(GAIN_INQ, 0x0520) \
    X(IRIS_INQ, 0x0524) \
    X(FOCUS_INQ, 0x0528) \
    X(TEMPERATURE_INQ, 0x052C) \
    X(TRIGGER_INQ, 0x0530) \
    X(TRIGGER_DLY_INQ, 0x0534) \
    X(WHITE_SHD_INQ, 0x0538) \
    X(FRAME_RATE_INQ, 0x053C) \
    X(ZOOM_INQ, 0x0580) \
    X(PAN_INQ, 0x0584) \
    X(TILT_INQ, 0x0588) \
    X(OPTICAL_FILTER_INQ, 0x058C) \
    X(CAPTURE_SIZE_INQ, 0x05C0) \
    X(CAPTURE_QUALITY_INQ, 0x05C4) \
    X(CUR_V_FRM_RATE, 0x0600) \
    X(CUR_V_MODE, 0x0604) \
    X(CUR_V_FORMAT, 0x0608) \
    X(ISO_CHANNEL_ISO_SPEED, 0x060C) \
    X(CAMERA_POWER, 0x0610) \
    X(ISO_EN, 0x0614) \
    X(MEMORY_SAVE, 0x0618) \
    X(ONE_SHOT, 0x061C) \
    X(MEM_SAVE_CH, 0x0620) \
    X(CUR_MEM_CH, 0x0624) \
    X(VMODE_ERROR_STATUS, 0x0628) \
    X(SOFTWARE_TRIGGER, 0x062C) \
    X(DATA_DEPTH, 0x0630) \
    X(ABS_CSR_HI_INQ_0, 0x0700) \
    X(ABS_CSR_HI_INQ_1, 0x0704) \
    X(ABS_CSR_HI_INQ_2, 0x0708) \
    X(ABS_CSR_HI_INQ_3, 0x070C) \
    X(ABS_CSR_HI_INQ_4, 0x0710) \
    X(ABS_CSR_HI_INQ_5, 0x0714) \
    X(ABS_CSR_HI_INQ_6, 0x0718) \
    X(ABS_CSR_HI_INQ_7, 0x071C) \
    X(ABS_CSR_HI_INQ_8, 0x0720) \
    X(ABS_CSR_HI_INQ_9, 0x0724) \
    X(ABS_CSR_HI_INQ_10, 0x0728) \
    X(ABS_CSR_HI_INQ_11, 0x072C) \
    X(ABS_CSR_HI_INQ_12, 0x0730) \
    X(ABS_CSR_HI_INQ_13, 0x0734) \
    X(ABS_CSR_HI_INQ_14, 0x0738) \
    X(ABS_CSR_HI_INQ_15, 0x073C) \
    X(ABS_CSR_LO_INQ_0, 0x0780) \
    X(ABS_CSR_LO_INQ_1, 0x0784) \
    X(ABS_CSR_LO_INQ_2, 0x0788) \
    X(ABS_CSR_LO_INQ_3, 0x078C) \
    X(ABS_CSR_LO_INQ_16, 0x07C0) \
    X(ABS_CSR_LO_INQ_17, 0x07C4) \
    X(BRIGHTNESS, 0x0800) \
    X(AUTO_EXPOSURE, 0x0804) \
    X(SHARPNESS, 0x0808) \
    X(WHITE_BALANCE, 0x080C) \
    X(HUE, 0x0810) \
    X(SATURATION, 0x0814) \
    X(GAMMA, 0x0818) \
    X(SHUTTER, 0x081C) \
    X(GAIN, 0x0820) \
    X(IRIS, 0x0824) \
    X(FOCUS, 0x0828) \
    X(TEMPERATURE, 0x082C) \
    X(TRIGGER_MODE, 0x0830) \
    X(TRIGGER_DELAY, 0x0834) \
    X(WHITE_SHADING, 0x0838) \
    X(FRAME_RATE, 0x083C) \
    X(ZOOM, 0x0880) \
    X(PAN, 0x0884) \
    X(TILT, 0x0888) \
    X(OPTICAL_FILTER, 0x088C) \
    X(CAPTURE_SIZE, 0x08C0) \
    X(CAPTURE_QUALITY, 0x08C4) \
    X(ABS_AUTO_EXPOSURE_MIN, 0x0900) \
    X(ABS_AUTO_EXPOSURE_MAX, 0x0904) \
    X(ABS_AUTO_EXPOSURE_VAL, 0x0908) \
    X(ABS_SHUTTER_MIN, 0x0910) \
    X(ABS_SHUTTER_MAX, 0x0914) \
    X(ABS_SHUTTER_VAL, 0x0918) \
    X(ABS_GAIN_MIN, 0x0920) \
    X(ABS_GAIN_MAX, 0x0924) \
    X(ABS_GAIN_VAL, 0x0928) \
    X(ABS_BRIGHTNESS_MIN, 0x0930) \
    X(ABS_BRIGHTNESS_MAX, 0x0934) \
    X(ABS_BRIGHTNESS_VAL, 0x0938) \
    X(ABS_GAMMA_MIN, 0x0940) \
    X(ABS_GAMMA_MAX, 0x0944) \
    X(ABS_GAMMA_VAL, 0x0948) \
    X(ABS_TRIGGER_DELAY_MIN, 0x0950) \
    X(ABS_TRIGGER_DELAY_MAX, 0x0954) \
    X(ABS_TRIGGER_DELAY_VAL, 0x0958) \
    X(ABS_FRAME_RATE_MIN, 0x0960) \
    X(ABS_FRAME_RATE_MAX, 0x0964) \
    X(ABS_FRAME_RATE_VAL, 0x0968) \
    X(ABS_HUE_MIN, 0x0970) \
    X(ABS_HUE_MAX, 0x0974) \
    X(ABS_HUE_VAL, 0x0978) \
    X(ABS_SATURATION_MIN, 0x0980) \
    X(ABS_SATURATION_MAX, 0x0984) \
    X(ABS_SATURATION_VAL, 0x0988) \
    X(EXTENDED_SHUTTER, 0x1028) \
    X(SOFT_ASYNC_TRIGGER, 0x102C) \
    X(BAYER_TILE_MAPPING, 0x1040) \
    X(BAYER_TILE_GAIN, 0x1044) \
    X(IMAGE_DATA_FORMAT, 0x1048) \
    X(TEST_PATTERN, 0x104C) \
    X(AUTO_EXPOSURE_RANGE, 0x1088) \
    X(AUTO_SHUTTER_RANGE, 0x1098) \
    X(AUTO_GAIN_RANGE, 0x10A0) \
    X(GPIO_CONTROL, 0x1100) \
    X(GPIO_XTRA, 0x1104) \
    X(SHUTTER_DELAY, 0x1108) \
    X(GPIO_STRPAT_CTRL, 0x110C) \
    X(GPIO_CTRL_PIN_0, 0x1110) \
    X(GPIO_XTRA_PIN_0, 0x1114) \
    X(GPIO_STRPAT_MASK_PIN_0, 0x1118) \
    X(GPIO_CTRL_PIN_1, 0x1120) \
    X(GPIO_XTRA_PIN_1, 0x1124) \
    X(GPIO_STRPAT_MASK_PIN_1, 0x1128) \
    X(GPIO_CTRL_PIN_2, 0x1130) \
    X(GPIO_XTRA_PIN_2, 0x1134) \
    X(GPIO_STRPAT_MASK_PIN_2, 0x1138) \
    X(GPIO_CTRL_PIN_3, 0x1140) \
    X(GPIO_XTRA_PIN_3, 0x1144) \
    X(GPIO_STRPAT_MASK_PIN_3, 0x1148) \
    X(PIO_OUTPUT, 0x11F0) \
    X(PIO_INPUT, 0x11F4) \
    X(PIO_DIRECTION, 0x11F8) \
    X(FRAMETIME_FLASHCTRL, 0x1240) \
    X(SYNCOFFSET_FLASHDATA, 0x1244) \
    X(IMAGE_RETRANSMIT, 0x12E8) \
    X(FRAME_INFO, 0x12F8) \
    X(XMIT_FAILURE, 0x12FC) \
    X(STROBE_CTRL_INQ, 0x1300) \
    X(STROBE_0_INQ, 0x1400) \
    X(STROBE_1_INQ, 0x1404) \
    X(STROBE_2_INQ, 0x1408) \
    X(STROBE_3_INQ, 0x140C) \
    X(STROBE_0_CNT, 0x1500) \
    X(STROBE_1_CNT, 0x1504) \
    X(STROBE_2_CNT, 0x1508) \
    X(STROBE_3_CNT, 0x150C) \
    X(LUT_LO_INQ, 0x1A40) \
    X(LUT_HI_INQ, 0x1A44) \
    X(VOLTAGE_LO_INQ, 0x1A50) \
    X(VOLTAGE_HI_INQ, 0x1A54) \
    X(AE_ROI_CTRL, 0x1A70) \
    X(AE_ROI_OFFSET, 0x1A74) \
    X(PIXEL_CLOCK_FREQ, 0x1AF0) \
    X(HORIZONTAL_LINE_FREQ, 0x1AF4) \
    X(SERIAL_NUMBER, 0x1F20) \
    X(MAIN_BOARD_INFO, 0x1F24) \
    X(SENSOR_BOARD_INFO, 0x1F28) \
    X(BUILD_TIMESTAMP, 0x1F40) \
    X(FIRMWARE_VERSION, 0x1F60) \
    X(FIRMWARE_BUILD_DATE, 0x1F64) \
    X(FIRMWARE_STRING_1, 0x1F68) \
    X(FIRMWARE_STRING_2, 0x1F6C) \
    X(FIRMWARE_STRING_3, 0x1F70) \
    X(FIRMWARE_STRING_4, 0x1F74) \
    X(FIRMWARE_STRING_5, 0x1F78) \
    X(FIRMWARE_STRING_6, 0x1F7C)

namespace zkv {

namespace CameraRegister {
#define ZKV_REGISTER_CONSTANT(name, offset) inline constexpr std::uint32_t name = offset;
ZKV_CAMERA_REGISTERS(ZKV_REGISTER_CONSTANT)
#undef ZKV_REGISTER_CONSTANT
}  // namespace CameraRegister

struct NamedRegister {
    std::uint32_t offset;
    const char* name;
};

inline constexpr NamedRegister kNamedRegisters[] = {
#define ZKV_REGISTER_ROW(name, offset) {offset, #name},
    ZKV_CAMERA_REGISTERS(ZKV_REGISTER_ROW)
#undef ZKV_REGISTER_ROW
};

// The last quadlet of the register block.
constexpr std::uint32_t kLastRegisterOffset = 0x2000;

// The current video format, mode and frame rate are fields in bits 31..29
// of CUR_V_FORMAT, CUR_V_MODE and CUR_V_FRM_RATE.
constexpr int kVideoFieldShift = 29;
constexpr std::uint32_t kFormat7 = 7;  // the video format number of Format 7

// A feature's inquiry register lies this far below its control register
// (BRIGHTNESS_INQ below BRIGHTNESS, and so on).
constexpr std::uint32_t kFeatureInquiryDistance = CameraRegister::BRIGHTNESS - CameraRegister::BRIGHTNESS_INQ;

// Feature inquiry register bits (the IIDC standard numbers bits from the most
// significant one as bit 0).
constexpr std::uint32_t kPresenceInq = 0x80000000u;
constexpr std::uint32_t kAbsControlInq = 0x40000000u;
constexpr std::uint32_t kOnePushInq = 0x10000000u;
constexpr std::uint32_t kReadOutInq = 0x08000000u;
constexpr std::uint32_t kOnOffInq = 0x04000000u;
constexpr std::uint32_t kAutoInq = 0x02000000u;
constexpr std::uint32_t kManualInq = 0x01000000u;
// Feature control register bits.
constexpr std::uint32_t kPresence = 0x80000000u;
constexpr std::uint32_t kAbsControl = 0x40000000u;
constexpr std::uint32_t kOnePush = 0x04000000u;
constexpr std::uint32_t kOnOff = 0x02000000u;
constexpr std::uint32_t kAutoMode = 0x01000000u;
constexpr std::uint32_t kValueLow = 0x00000FFFu;   // the value; white balance red
constexpr std::uint32_t kValueHigh = 0x00FFF000u;  // white balance blue
constexpr int kValueHighShift = 12;

}  // namespace zkv
