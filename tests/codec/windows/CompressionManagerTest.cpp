// The codec as installed in the prefix: found by the compression manager by
// FOURCC and used through ICDecompress; and the installer that puts it there
// and takes it away again. The prefix is left as it was found.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CodecDll.h"
#include "convert/FrameConverter.h"
#include "negotiation/FourccTable.h"

namespace {

constexpr char kDriversKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";

// The Drivers32 value of this process's registry view, or "" when absent.
std::string DriversValue(const char* name) {
    char data[MAX_PATH] = {};
    DWORD bytes = sizeof data - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kDriversKey, name, RRF_RT_REG_SZ, nullptr, data, &bytes) !=
        ERROR_SUCCESS) {
        return std::string();
    }
    return data;
}

void SetDriversValue(const char* name, const char* data) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDriversKey, 0, KEY_SET_VALUE, &key));
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>(std::strlen(data) + 1));
    RegCloseKey(key);
}

std::string SystemFolderDll() {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\Brisal.dll";
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs the installer of this architecture and returns its exit status.
DWORD RunSetup(const std::string& arguments) {
    std::string command = "\"" + BinPath("BrisalSetup.exe") + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

bool Installed() { return DriversValue("vidc.ZKVC") == "Brisal.dll" && FileExists(SystemFolderDll()); }

// Every test here needs the codec installed; it is installed if it was not,
// and put back the way it was found at the end.
class InstalledCodec : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wasInstalled_ = Installed();
        if (!wasInstalled_) RunSetup("install \"" + BinPath("Brisal.dll") + "\"");
    }
    static void TearDownTestSuite() {
        if (wasInstalled_) {
            RunSetup("install \"" + BinPath("Brisal.dll") + "\"");
        } else {
            RunSetup("uninstall");
        }
    }
    static bool wasInstalled_;
};
bool InstalledCodec::wasInstalled_ = false;

struct LocateCase {
    DWORD fourcc;
    WORD bitCount;
    ConverterKind kind;
    BayerTile tile;
};

using CompressionManager = InstalledCodec;

TEST_F(CompressionManager, LocatesOpensAndDecodesABayerAYuvAndAMonoFormat) {
    const LocateCase cases[] = {
        {mmioFOURCC('R', 'G', 'B', '3'), 8, ConverterKind::BayerEdge, BayerTile::RGGB},
        {mmioFOURCC('Z', 'Y', '4', '4'), 24, ConverterKind::Yuv444, BayerTile::None},
        {mmioFOURCC('Y', '8', '0', '0'), 8, ConverterKind::Mono8, BayerTile::None},
    };
    for (const LocateCase& c : cases) {
        const int w = 32, h = 24;
        BITMAPINFOHEADER in = Header(c.fourcc, c.bitCount, w, h);
        in.biSizeImage = static_cast<DWORD>(w * h * c.bitCount / 8);
        BITMAPINFOHEADER out = RgbHeader(w, h);
        const std::string name(reinterpret_cast<const char*>(&c.fourcc), 4);

        HIC located = ICLocate(ICTYPE_VIDEO, 0, &in, &out, ICMODE_DECOMPRESS);
        ASSERT_NE(nullptr, located) << name;
        ICINFO info{};
        ASSERT_NE(0, ICGetInfo(located, &info, sizeof info)) << name;
        EXPECT_STREQ(L"ZKV Codec", info.szDescription) << name;
        ICClose(located);

        HIC hic = ICOpen(ICTYPE_VIDEO, c.fourcc, ICMODE_DECOMPRESS);
        ASSERT_NE(nullptr, hic) << name;
        BITMAPINFOHEADER proposal{};
        ASSERT_EQ(ICERR_OK, ICDecompressGetFormat(hic, &in, &proposal)) << name;
        EXPECT_EQ(w, proposal.biWidth);
        EXPECT_EQ(h, proposal.biHeight);
        EXPECT_EQ(32, proposal.biBitCount);
        ASSERT_EQ(ICERR_OK, ICDecompressBegin(hic, &in, &proposal)) << name;

        std::vector<std::uint8_t> frame(in.biSizeImage);
        for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 37 + i / 7);
        std::vector<std::uint8_t> image(4 * w * h, 0), expected(4 * w * h, 0);
        ASSERT_EQ(ICERR_OK, ICDecompress(hic, 0, &in, frame.data(), &proposal, image.data())) << name;
        kFrameConverters[static_cast<int>(c.kind)](&in, frame.data(), &out, expected.data(),
                                                   static_cast<DWORD>(c.tile));
        EXPECT_EQ(expected, image) << name;
        // The top-left input pixel lands at the start of the last row in memory.
        if (c.kind == ConverterKind::Mono8) {
            EXPECT_EQ(frame[0], image[4 * w * (h - 1)]);
        }
        EXPECT_EQ(ICERR_OK, ICDecompressEnd(hic));
        ICClose(hic);
    }
}

TEST_F(CompressionManager, IsNeverOfferedAsACompressorAndRefusesFormatsItDoesNotKnow) {
    BITMAPINFOHEADER uyvy = Header(mmioFOURCC('U', 'Y', 'V', 'Y'), 16, 32, 24);
    HIC hic = ICOpen(ICTYPE_VIDEO, mmioFOURCC('Z', 'K', 'V', 'C'), ICMODE_DECOMPRESS);
    ASSERT_NE(nullptr, hic);
    EXPECT_EQ(ICERR_BADFORMAT, ICDecompressQuery(hic, &uyvy, nullptr));
    BITMAPINFOHEADER rgb = RgbHeader(32, 24);
    EXPECT_EQ(ICERR_BADFORMAT, ICCompressQuery(hic, &rgb, nullptr));
    ICClose(hic);
}

// Uninstalling removes exactly the codec's values and file, leaves a value that
// names another driver, and both commands may be repeated.
TEST_F(CompressionManager, SetupUninstallsAndInstallsAgain) {
    ASSERT_TRUE(Installed());
    std::vector<std::string> names{"vidc.ZKVC"};
    for (const FourccFormat& format : kAcceptedFormats) names.push_back(std::string("vidc.") + format.name);
    for (const std::string& name : names) EXPECT_EQ("Brisal.dll", DriversValue(name.c_str())) << name;

    SetDriversValue("vidc.Y800", "other.dll");
    ASSERT_EQ(0u, RunSetup("uninstall"));
    EXPECT_EQ(0u, RunSetup("uninstall"));
    for (const std::string& name : names) {
        EXPECT_EQ(name == "vidc.Y800" ? "other.dll" : "", DriversValue(name.c_str())) << name;
    }
    EXPECT_FALSE(FileExists(SystemFolderDll()));
    EXPECT_EQ(nullptr, ICOpen(ICTYPE_VIDEO, mmioFOURCC('Z', 'K', 'V', 'C'), ICMODE_DECOMPRESS));

    ASSERT_EQ(0u, RunSetup("install \"" + BinPath("Brisal.dll") + "\""));
    EXPECT_EQ(0u, RunSetup("install \"" + BinPath("Brisal.dll") + "\""));
    for (const std::string& name : names) EXPECT_EQ("Brisal.dll", DriversValue(name.c_str())) << name;
    EXPECT_TRUE(FileExists(SystemFolderDll()));
    HIC hic = ICOpen(ICTYPE_VIDEO, mmioFOURCC('Z', 'K', 'V', 'C'), ICMODE_DECOMPRESS);
    EXPECT_NE(nullptr, hic);
    if (hic) ICClose(hic);

    EXPECT_NE(0u, RunSetup("install C:\\no\\such\\Brisal.dll"));
    EXPECT_EQ(2u, RunSetup("remove"));
}

}  // namespace
