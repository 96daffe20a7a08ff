// The register field tables: IIDC bit order, field round trips that leave
// the neighbours alone, and tables whose fields fit and do not overlap.
#include <gtest/gtest.h>

#include "ZKVRegisterFields.h"

using namespace zkv;

TEST(RegisterFields, BitZeroIsTheMostSignificant) {
    struct Case {
        RegisterField field;
        std::uint32_t mask;
    };
    const Case cases[] = {
        {TriggerInq::Presence, 0x80000000u},     {TriggerInq::SoftwareTrigger, 0x00010000u},
        {TriggerInq::Sources, 0x00F00000u},      {TriggerInq::Modes, 0x0000FFFFu},
        {TriggerMode::OnOff, 0x02000000u},       {TriggerMode::Source, 0x00E00000u},
        {TriggerMode::Value, 0x00100000u},       {TriggerMode::Mode, 0x000F0000u},
        {TriggerMode::Parameter, 0x00000FFFu},   {OneShot::Multi, 0x40000000u},
        {OneShot::Count, 0x0000FFFFu},           {BasicFuncInq::MemoryChannel, 0x0000000Fu},
        {CurMemCh::Channel, 0xF0000000u},
        // The feature fields agree with the bit constants the model and pages use.
        {FeatureInq::OnePush, kOnePushInq},      {FeatureInq::Manual, kManualInq},
        {FeatureControl::OnePush, kOnePush},     {FeatureControl::OnOff, kOnOff},
        {FeatureControl::Auto, kAutoMode},       {FeatureControl::Value, kValueLow},
        {FeatureControl::HighValue, kValueHigh},
    };
    for (const Case& c : cases) EXPECT_EQ(c.mask, FieldMask(c.field)) << c.field.name;
}

TEST(RegisterFields, SetAndGetRoundTripWithoutTouchingNeighbours) {
    for (const RegisterLayout& layout : kRegisterLayouts) {
        for (std::size_t i = 0; i < layout.count; ++i) {
            const RegisterField& f = layout.fields[i];
            const std::uint32_t top = FieldMask(f) >> (32 - f.firstBit - f.width);
            for (std::uint32_t background : {0u, 0xFFFFFFFFu, 0xA5A5A5A5u}) {
                for (std::uint32_t value : {0u, 1u, top, top >> 1}) {
                    const std::uint32_t reg = SetField(background, f, value);
                    EXPECT_EQ(value, GetField(reg, f)) << f.name;
                    EXPECT_EQ(background & ~FieldMask(f), reg & ~FieldMask(f)) << f.name;
                }
                // A value too wide for the field is cut, never spilled.
                EXPECT_EQ(background & ~FieldMask(f), SetField(background, f, top + 1) & ~FieldMask(f)) << f.name;
            }
        }
    }
}

TEST(RegisterFields, TablesFitAndDoNotOverlap) {
    for (const RegisterLayout& layout : kRegisterLayouts) {
        std::uint32_t seen = 0;
        for (std::size_t i = 0; i < layout.count; ++i) {
            const RegisterField& f = layout.fields[i];
            ASSERT_GE(f.width, 1) << f.name;
            ASSERT_LE(f.firstBit + f.width, 32) << f.name;
            EXPECT_EQ(0u, seen & FieldMask(f)) << std::hex << layout.address << " " << f.name;
            seen |= FieldMask(f);
        }
        EXPECT_EQ(&layout, FindRegisterLayout(layout.address));
    }
    const RegisterLayout* mode = FindRegisterLayout(CameraRegister::TRIGGER_MODE);
    ASSERT_NE(nullptr, mode);
    const RegisterField* source = FindField(*mode, "Trigger_Source");
    ASSERT_NE(nullptr, source);
    EXPECT_EQ(0x00E00000u, FieldMask(*source));
    EXPECT_TRUE(FindField(*mode, "Trigger_Value")->readOnly);
    EXPECT_EQ(nullptr, FindRegisterLayout(CameraRegister::BRIGHTNESS));
}
