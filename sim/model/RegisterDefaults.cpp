#include "RegisterDefaults.h"

#include "ZKVRegisters.h"

namespace zkvsim {
namespace {

namespace R = zkv::CameraRegister;

constexpr bool kFixed = false;
constexpr bool kWritable = true;

constexpr RegisterDefault kDefaults[] = {
    {R::INITIALIZE, 0, kWritable},
    // Advanced features, camera power, one-shot, multi-shot, two memory channels.
    {R::BASIC_FUNC_INQ, 0x80009802u, kFixed},
    {R::FEATURE_LO_INQ, 0, kFixed},
    {R::OPT_FUNCTION_INQ, 0, kFixed},
    {R::ADVANCED_FEATURE_INQ, 0x3C3C0000u, kFixed},
    {R::PIO_CONTROL_CSR_INQ, 0, kFixed},
    {R::SIO_CONTROL_CSR_INQ, 0, kFixed},
    {R::STROBE_OUTPUT_CSR_INQ, 0, kFixed},
    // Features no virtual camera has: inquiry and control read 0.
    {R::ZOOM_INQ, 0, kFixed},
    {R::PAN_INQ, 0, kFixed},
    {R::TILT_INQ, 0, kFixed},
    {R::OPTICAL_FILTER_INQ, 0, kFixed},
    {R::CAPTURE_SIZE_INQ, 0, kFixed},
    {R::CAPTURE_QUALITY_INQ, 0, kFixed},
    {R::ZOOM, 0, kFixed},
    {R::PAN, 0, kFixed},
    {R::TILT, 0, kFixed},
    {R::OPTICAL_FILTER, 0, kFixed},
    {R::CAPTURE_SIZE, 0, kFixed},
    {R::CAPTURE_QUALITY, 0, kFixed},
    {R::ABS_CSR_LO_INQ_0, 0, kFixed},
    {R::ABS_CSR_LO_INQ_1, 0, kFixed},
    {R::ABS_CSR_LO_INQ_2, 0, kFixed},
    {R::ABS_CSR_LO_INQ_3, 0, kFixed},
    {R::ABS_CSR_LO_INQ_16, 0, kFixed},
    {R::ABS_CSR_LO_INQ_17, 0, kFixed},
    {R::ISO_CHANNEL_ISO_SPEED, 0x02000000u, kWritable},  // ISO channel 0, S400
    {R::CAMERA_POWER, 0x80000000u, kWritable},           // on
    {R::ISO_EN, 0, kWritable},
    {R::MEMORY_SAVE, 0, kWritable},
    {R::MEM_SAVE_CH, 0, kWritable},
    {R::CUR_MEM_CH, 0, kFixed},
    {R::VMODE_ERROR_STATUS, 0, kFixed},
    {R::DATA_DEPTH, 0x08000000u, kFixed},  // 8 bits
    {R::EXTENDED_SHUTTER, 0x80000000u, kFixed},
    {R::SOFT_ASYNC_TRIGGER, 0, kWritable},
    {R::BAYER_TILE_GAIN, 0, kFixed},
    {R::IMAGE_DATA_FORMAT, 0x80000000u, kWritable},
    {R::TEST_PATTERN, 0, kWritable},
    {R::AUTO_EXPOSURE_RANGE, 0x80000000u, kWritable},
    {R::AUTO_SHUTTER_RANGE, 0x80000000u, kWritable},
    {R::AUTO_GAIN_RANGE, 0x80000000u, kWritable},
    {R::GPIO_CONTROL, 0x80000000u, kWritable},
    {R::GPIO_XTRA, 0x80000000u, kWritable},
    {R::SHUTTER_DELAY, 0x80000000u, kWritable},
    {R::GPIO_STRPAT_CTRL, 0x80000000u, kWritable},
    {R::GPIO_CTRL_PIN_0, 0x80000000u, kWritable},
    {R::GPIO_XTRA_PIN_0, 0, kWritable},
    {R::GPIO_STRPAT_MASK_PIN_0, 0x8000FFFFu, kWritable},
    {R::GPIO_CTRL_PIN_1, 0x80000000u, kWritable},
    {R::GPIO_XTRA_PIN_1, 0, kWritable},
    {R::GPIO_STRPAT_MASK_PIN_1, 0x8000FFFFu, kWritable},
    {R::GPIO_CTRL_PIN_2, 0x80000000u, kWritable},
    {R::GPIO_XTRA_PIN_2, 0, kWritable},
    {R::GPIO_STRPAT_MASK_PIN_2, 0x8000FFFFu, kWritable},
    {R::GPIO_CTRL_PIN_3, 0x80000000u, kWritable},
    {R::GPIO_XTRA_PIN_3, 0, kWritable},
    {R::GPIO_STRPAT_MASK_PIN_3, 0x8000FFFFu, kWritable},
    {R::PIO_OUTPUT, 0, kWritable},
    {R::PIO_INPUT, 0, kFixed},
    {R::PIO_DIRECTION, 0, kWritable},
    {R::FRAMETIME_FLASHCTRL, 0, kWritable},
    {R::SYNCOFFSET_FLASHDATA, 0, kWritable},
    {R::IMAGE_RETRANSMIT, 0, kWritable},
    {R::FRAME_INFO, 0, kFixed},
    {R::XMIT_FAILURE, 0, kFixed},
    {R::STROBE_CTRL_INQ, 0x80000000u, kFixed},
    {R::STROBE_0_INQ, 0x8C000FFFu, kFixed},
    {R::STROBE_1_INQ, 0x8C000FFFu, kFixed},
    {R::STROBE_2_INQ, 0x8C000FFFu, kFixed},
    {R::STROBE_3_INQ, 0x8C000FFFu, kFixed},
    {R::STROBE_0_CNT, 0x80000000u, kWritable},
    {R::STROBE_1_CNT, 0x80000000u, kWritable},
    {R::STROBE_2_CNT, 0x80000000u, kWritable},
    {R::STROBE_3_CNT, 0x80000000u, kWritable},
    {R::LUT_LO_INQ, 0, kFixed},
    {R::LUT_HI_INQ, 0, kFixed},
    {R::VOLTAGE_LO_INQ, 0, kFixed},
    {R::VOLTAGE_HI_INQ, 0, kFixed},
    {R::AE_ROI_CTRL, 0, kWritable},
    {R::AE_ROI_OFFSET, 0, kWritable},
    {R::PIXEL_CLOCK_FREQ, 48000000u, kFixed},
    {R::HORIZONTAL_LINE_FREQ, 31468u, kFixed},
    {R::MAIN_BOARD_INFO, 0x00010002u, kFixed},
    {R::SENSOR_BOARD_INFO, 0x00000301u, kFixed},
    {R::BUILD_TIMESTAMP, 0x69A0F200u, kFixed},
    {R::FIRMWARE_VERSION, 0x01020003u, kFixed},
    {R::FIRMWARE_BUILD_DATE, 0x20261208u, kFixed},
    {R::FIRMWARE_STRING_1, AsciiQuadlet("ZKV "), kFixed},
    {R::FIRMWARE_STRING_2, AsciiQuadlet("Virt"), kFixed},
    {R::FIRMWARE_STRING_3, AsciiQuadlet("ual "), kFixed},
    {R::FIRMWARE_STRING_4, AsciiQuadlet("IIDC"), kFixed},
    {R::FIRMWARE_STRING_5, AsciiQuadlet(" Cam"), kFixed},
    {R::FIRMWARE_STRING_6, AsciiQuadlet("era\0"), kFixed},
};

}  // namespace

const RegisterDefault* RegisterDefaults(std::size_t* count) {
    *count = sizeof(kDefaults) / sizeof(kDefaults[0]);
    return kDefaults;
}

}  // namespace zkvsim
