// A virtual colour camera and the streaming configuration page created
// through the plug-in's class factory, hosted by the test and connected to
// the camera's capture pin. Every test starts from the camera's default
// standard format with no faults injected.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../plugin/resources/StreamingConfigPageIds.h"
#include "PageHost.h"
#include "VirtualCameraAccess.h"
#include "ZKVPluginClasses.h"

constexpr std::uint32_t Fourcc(const char (&code)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

// The IIDC registers the page reads.
constexpr ULONG kCurVMode = 0x604;
constexpr ULONG kCurVFormat = 0x608;

class StreamingPageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Connects the page to the pin and activates it; no box expected.
    void Open();
    // Sets the pin's first standard capability of that size and subtype.
    void SetStandardFormat(int width, int height, std::uint32_t fourcc);
    bool IsBox(const CapturedBox& box, const std::string& caption, const std::string& text) const {
        return box.caption == caption && box.text == text;
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const CapturedBox& box : boxes.Take()) texts.push_back(box.caption + ": " + box.text);
        return texts;
    }

    VirtualCamera cam;
    MessageBoxCatcher boxes;
    PageHost host;
};
