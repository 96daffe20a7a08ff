// The decoder transform's decisions: which types it takes, what it offers,
// its input / output / drain states, and the top-down image it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "convert/FrameConverter.h"
#include "mediafoundation/DecoderTransformCore.h"

namespace {

constexpr std::uint32_t Fcc(const char (&text)[5]) {
    return MakeFourcc(text[0], text[1], text[2], text[3]);
}

VideoTypeRecord Video(std::uint32_t subtype, std::uint32_t width, std::uint32_t height) {
    VideoTypeRecord type;
    type.video = true;
    type.fourccSubtype = true;
    type.subtype = subtype;
    type.hasFrameSize = true;
    type.width = width;
    type.height = height;
    return type;
}

VideoTypeRecord WithStride(VideoTypeRecord type, std::int32_t stride) {
    type.hasStride = true;
    type.stride = stride;
    return type;
}

VideoTypeRecord Rgb32(std::uint32_t width, std::uint32_t height) {
    return Video(kRgb32Subtype, width, height);
}

struct TypeCase {
    const char* what;
    VideoTypeRecord type;
    bool accepted;
};

VideoTypeRecord NotVideo() {
    VideoTypeRecord type = Video(Fcc("RGB3"), 64, 48);
    type.video = false;
    return type;
}
VideoTypeRecord NotFourccForm() {
    VideoTypeRecord type = Video(Fcc("RGB3"), 64, 48);
    type.fourccSubtype = false;
    return type;
}
VideoTypeRecord NoSize() {
    VideoTypeRecord type = Video(Fcc("Y800"), 64, 48);
    type.hasFrameSize = false;
    return type;
}
VideoTypeRecord ZeroRateDenominator() {
    VideoTypeRecord type = Video(Fcc("Y800"), 64, 48);
    type.hasFrameRate = true;
    type.rateNumerator = 30;
    return type;
}

TEST(DecoderTransformCore, InputTypesFollowTheCodecsRules) {
    const TypeCase cases[] = {
        {"edge sensing at its minimum height", Video(Fcc("RGB3"), 64, 4), true},
        {"edge sensing below it", Video(Fcc("GBR3"), 64, 3), false},
        {"nearest neighbour, two rows", Video(Fcc("BGR2"), 2, 2), true},
        {"Bayer, one column", Video(Fcc("GRB1"), 1, 2), false},
        {"odd YUV 4:1:1 size", Video(Fcc("ZY41"), 643, 482), true},
        {"odd mono size", Video(Fcc("ZKVY"), 1, 1), true},
        {"16-bit mono", Video(Fcc("ZY16"), 640, 480), true},
        {"YUV 4:4:4", Video(Fcc("ZY44"), 640, 480), true},
        {"YUV 4:2:2 is not decoded", Video(Fcc("UYVY"), 640, 480), false},
        {"RAW8 is not decoded", Video(Fcc("RAW8"), 640, 480), false},
        {"unknown FOURCC", Video(Fcc("ABCD"), 640, 480), false},
        {"RGB32 is no input", Rgb32(640, 480), false},
        {"width beyond a signed size", Video(Fcc("Y800"), 0x80000000u, 2), false},
        {"output beyond 32 bits", Video(Fcc("Y800"), 70000, 70000), false},
        {"no rows, a stride beyond 31 bits", Video(Fcc("Y800"), 0x20000000u, 0), false},
        {"audio major type", NotVideo(), false},
        {"subtype not in FOURCC form", NotFourccForm(), false},
        {"no frame size", NoSize(), false},
        {"frame rate with zero denominator", ZeroRateDenominator(), false},
        {"packed stride", WithStride(Video(Fcc("ZY44"), 64, 48), 192), true},
        {"padded stride", WithStride(Video(Fcc("ZY44"), 64, 48), 256), false},
        {"bottom-up stride", WithStride(Video(Fcc("Y800"), 64, 48), -64), false},
    };
    for (const TypeCase& c : cases) {
        DecoderTransformCore core;
        const TransformResult result = core.SetInputType(&c.type, false);
        EXPECT_EQ(result == TransformResult::Ok, c.accepted) << c.what;
        EXPECT_EQ(core.InputType() != nullptr, c.accepted) << c.what;
    }
}

TEST(DecoderTransformCore, OutputTypesAreTopDownRgb32OfTheInputSize) {
    const TypeCase cases[] = {
        {"same size", Rgb32(64, 48), true},
        {"positive packed stride", WithStride(Rgb32(64, 48), 256), true},
        {"bottom-up stride", WithStride(Rgb32(64, 48), -256), false},
        {"padded stride", WithStride(Rgb32(64, 48), 320), false},
        {"two rows fewer", Rgb32(64, 46), false},
        {"one column more", Rgb32(65, 48), false},
        {"another subtype", Video(Fcc("Y800"), 64, 48), false},
        {"no frame size", [] { VideoTypeRecord t = Rgb32(64, 48); t.hasFrameSize = false; return t; }(), false},
    };
    const VideoTypeRecord input = Video(Fcc("RGB3"), 64, 48);
    for (const TypeCase& c : cases) {
        DecoderTransformCore core;
        ASSERT_EQ(core.SetInputType(&input, false), TransformResult::Ok);
        EXPECT_EQ(core.SetOutputType(&c.type, true) == TransformResult::Ok, c.accepted) << c.what;
        EXPECT_EQ(core.OutputType(), nullptr) << c.what << ": a test sets nothing";
    }
    DecoderTransformCore unset;
    const VideoTypeRecord output = Rgb32(64, 48);
    EXPECT_EQ(unset.SetOutputType(&output, false), TransformResult::TypeNotSet);
    VideoTypeRecord offered;
    EXPECT_EQ(unset.OutputTypeAt(0, &offered), TransformResult::TypeNotSet);
}

TEST(DecoderTransformCore, OffersEveryFourccAndTheMatchingImage) {
    DecoderTransformCore core;
    VideoTypeRecord type;
    std::uint32_t inputs = 0;
    while (core.InputTypeAt(inputs, &type) == TransformResult::Ok) {
        EXPECT_NE(FindFormatByFourcc(type.subtype), nullptr);
        ++inputs;
    }
    EXPECT_EQ(inputs, 17u);

    VideoTypeRecord input = Video(Fcc("ZY41"), 643, 482);
    input.hasFrameRate = true;
    input.rateNumerator = 15;
    input.rateDenominator = 2;
    ASSERT_EQ(core.SetInputType(&input, false), TransformResult::Ok);
    EXPECT_EQ(core.InputSampleSize(), 6u * (643 / 4) * 482);
    EXPECT_EQ(core.OutputSampleSize(), 4u * 643 * 482);
    ASSERT_EQ(core.OutputTypeAt(0, &type), TransformResult::Ok);
    EXPECT_EQ(type.subtype, kRgb32Subtype);
    EXPECT_EQ(type.width, 643u);
    EXPECT_EQ(type.height, 482u);
    EXPECT_TRUE(type.hasStride);
    EXPECT_EQ(type.stride, 4 * 643);
    EXPECT_EQ(type.rateNumerator, 15u);
    EXPECT_EQ(type.rateDenominator, 2u);
    EXPECT_EQ(core.OutputTypeAt(1, &type), TransformResult::NoMoreTypes);
    EXPECT_EQ(core.SetOutputType(&type, false), TransformResult::Ok);

    // A new input of another size takes the output type with it.
    const VideoTypeRecord smaller = Video(Fcc("ZY41"), 320, 240);
    ASSERT_EQ(core.SetInputType(&smaller, false), TransformResult::Ok);
    EXPECT_EQ(core.OutputType(), nullptr);
}

TEST(DecoderTransformCore, HoldsOneFrameThroughInputOutputDrainAndFlush) {
    DecoderTransformCore core;
    const VideoTypeRecord input = Video(Fcc("Y800"), 8, 4);
    const VideoTypeRecord output = Rgb32(8, 4);
    EXPECT_EQ(core.ProcessInput(32), TransformResult::TypeNotSet);
    ASSERT_EQ(core.SetInputType(&input, false), TransformResult::Ok);
    EXPECT_EQ(core.ProcessInput(32), TransformResult::TypeNotSet) << "no output type yet";
    ASSERT_EQ(core.SetOutputType(&output, false), TransformResult::Ok);

    std::vector<std::uint8_t> frame(32, 7), image(128);
    EXPECT_EQ(core.OutputReady(), TransformResult::NeedMoreInput);
    EXPECT_EQ(core.ProcessInput(31), TransformResult::BufferTooSmall);
    EXPECT_FALSE(core.HasPendingInput());
    EXPECT_EQ(core.ProcessInput(32), TransformResult::Ok);
    EXPECT_EQ(core.ProcessInput(32), TransformResult::NotAccepting);
    EXPECT_EQ(core.SetInputType(&input, false), TransformResult::TypeChangeWhileProcessing);

    core.Drain();
    EXPECT_EQ(core.ConvertFrame(frame.data(), 32, image.data(), 127, 32), TransformResult::BufferTooSmall);
    EXPECT_EQ(core.ConvertFrame(frame.data(), 32, image.data(), 128, 28), TransformResult::BadPitch);
    EXPECT_TRUE(core.HasPendingInput()) << "a refused output buffer keeps the frame";
    EXPECT_EQ(core.ConvertFrame(frame.data(), 32, image.data(), 128, 32), TransformResult::Ok);
    EXPECT_EQ(core.ProcessInput(32), TransformResult::NotAccepting) << "until the drain is done";
    EXPECT_EQ(core.OutputReady(), TransformResult::NeedMoreInput);
    EXPECT_FALSE(core.Draining());

    EXPECT_EQ(core.ProcessInput(32), TransformResult::Ok);
    core.Flush();
    EXPECT_EQ(core.OutputReady(), TransformResult::NeedMoreInput);
    EXPECT_EQ(core.ProcessInput(32), TransformResult::Ok);
    EXPECT_EQ(core.ConvertFrame(frame.data(), 31, image.data(), 128, 32), TransformResult::BufferTooSmall);
    EXPECT_FALSE(core.HasPendingInput()) << "a frame that shrank is dropped";
}

// Every FOURCC, packed rows and padded ones: the image is the plain
// converter's, row for row, the right way up.
TEST(DecoderTransformCore, WritesTheConvertersImageTopDown) {
    constexpr std::uint32_t kWidth = 14, kHeight = 6;
    constexpr std::uint8_t kFill = 0xA5;
    std::mt19937 random(5);
    for (const FourccFormat& format : kAcceptedFormats) {
        for (const std::uint32_t padding : {0u, 12u}) {
            SCOPED_TRACE(std::string(format.name) + " padding " + std::to_string(padding));
            DecoderTransformCore core;
            const VideoTypeRecord input = Video(format.fourcc, kWidth, kHeight);
            const VideoTypeRecord output = Rgb32(kWidth, kHeight);
            ASSERT_EQ(core.SetInputType(&input, false), TransformResult::Ok);
            ASSERT_EQ(core.SetOutputType(&output, false), TransformResult::Ok);
            std::vector<std::uint8_t> frame(core.InputSampleSize());
            for (auto& b : frame) b = static_cast<std::uint8_t>(random());

            BITMAPINFOHEADER inHeader{};
            inHeader.biSize = sizeof inHeader;
            inHeader.biWidth = kWidth;
            inHeader.biHeight = kHeight;
            inHeader.biBitCount = format.bitCount;
            inHeader.biCompression = format.fourcc;
            BITMAPINFOHEADER outHeader = inHeader;
            outHeader.biBitCount = 32;
            outHeader.biCompression = BI_RGB;
            std::vector<std::uint8_t> reference(4 * kWidth * kHeight, kFill);
            kFrameConverters[static_cast<DWORD>(format.kind)](&inHeader, frame.data(), &outHeader,
                                                             reference.data(),
                                                             static_cast<DWORD>(format.tile));

            const std::size_t pitch = 4 * kWidth + padding;
            std::vector<std::uint8_t> image(pitch * kHeight, kFill);
            ASSERT_EQ(core.ProcessInput(frame.size()), TransformResult::Ok);
            ASSERT_EQ(core.ConvertFrame(frame.data(), frame.size(), image.data(),
                                        pitch * (kHeight - 1) + 4 * kWidth, pitch),
                      TransformResult::Ok);
            for (std::uint32_t row = 0; row < kHeight; ++row) {
                EXPECT_EQ(0, std::memcmp(image.data() + row * pitch,
                                         OutputRow(reference.data(), kWidth, kHeight, row), 4 * kWidth))
                    << "row " << row;
                // A 2-D buffer's bytes between the rows are not the image's.
                EXPECT_TRUE(std::all_of(image.begin() + row * pitch + 4 * kWidth,
                                        image.begin() + (row + 1) * pitch,
                                        [](std::uint8_t b) { return b == kFill; }))
                    << "padding after row " << row;
            }
        }
    }
}

}  // namespace
