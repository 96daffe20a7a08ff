// The message table, opening and closing, and the answers that need no image.
#include <gtest/gtest.h>

#include <cstring>

#include "CodecTestSupport.h"
#include "OpenCodec.h"
#include "driver/CodecPlatformStub.h"

namespace {

LRESULT Send(DWORD_PTR id, UINT message, LPARAM lParam1 = 0, LPARAM lParam2 = 0) {
    return DriverProc(id, nullptr, message, lParam1, lParam2);
}

TEST(DriverProcTable, FixedAnswersFollowTheMessageValue) {
    struct Row {
        UINT message;
        LRESULT result;
    };
    const Row rows[] = {
        {1, 1}, {2, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 0}, {9, 1}, {10, 1},
        {0x4004, ICERR_BADFORMAT}, {0x4006, ICERR_BADFORMAT}, {0x4005, 0},
        {0x4007, ICERR_ERROR}, {0x4008, ICERR_ERROR}, {0x4009, ICERR_ERROR},
        {0x401E, ICERR_BADFORMAT},
        {0x400F, ICERR_UNSUPPORTED}, {0x4012, ICERR_UNSUPPORTED}, {0x4013, ICERR_UNSUPPORTED},
        {0x4015, ICERR_UNSUPPORTED}, {0x401F, ICERR_UNSUPPORTED}, {0x4021, ICERR_UNSUPPORTED},
        {0x4022, ICERR_UNSUPPORTED},
        {0x5000, 0}, {0x5001, 0},
        {0x4000, ICERR_UNSUPPORTED}, {0x4001, ICERR_UNSUPPORTED}, {0x4003, ICERR_UNSUPPORTED},
        {0x4010, ICERR_UNSUPPORTED}, {0x5003, ICERR_UNSUPPORTED}, {0x7FFF, ICERR_UNSUPPORTED},
    };
    CodecStub() = CodecStubState{};
    for (const Row& row : rows) {
        EXPECT_EQ(row.result, Send(kNoInstanceDriverId, row.message)) << std::hex << row.message;
    }
    EXPECT_EQ(0, CodecStub().defDriverProcCalls);
}

TEST(DriverProcTable, OtherDriverMessagesGoToTheDefaultProcedureUnchanged) {
    for (UINT message : {11u, 15u, 0u, 0x3FFFu}) {
        CodecStub() = CodecStubState{};
        CodecStub().defDriverProcResult = 0x1234;
        HDRVR driver = reinterpret_cast<HDRVR>(0x88);
        EXPECT_EQ(0x1234, DriverProc(0x77, driver, message, 5, -6));
        EXPECT_EQ(1, CodecStub().defDriverProcCalls);
        EXPECT_EQ(0x77u, CodecStub().lastDefDriverId);
        EXPECT_EQ(driver, CodecStub().lastDefDriver);
        EXPECT_EQ(message, CodecStub().lastDefMessage);
        EXPECT_EQ(5, CodecStub().lastDefLParam1);
        EXPECT_EQ(-6, CodecStub().lastDefLParam2);
    }
}

TEST(DriverOpen, WithoutOpenParametersThereIsNoInstanceAndItsCloseFreesNothing) {
    CodecStub() = CodecStubState{};
    EXPECT_EQ(0xFFFF0000, Send(0, DRV_OPEN, 0, 0));
    EXPECT_EQ(0, CodecStub().liveAllocations);
    EXPECT_EQ(1, Send(0xFFFF0000, DRV_CLOSE));
    EXPECT_EQ(0, CodecStub().liveAllocations);
}

TEST(DriverOpen, OpensAZeroedInstanceForVidcOnlyAndCloseFreesIt) {
    CodecStub() = CodecStubState{};
    for (const char* type : {"VIDC", "vidC", "vids", "xidc", "\0idc"}) {
        ICOPEN open{};
        open.fccType = MakeFourcc(type[0], type[1], type[2], type[3]);
        open.dwError = 55;
        EXPECT_EQ(0, Send(0, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&open))) << type;
        EXPECT_EQ(55, open.dwError);
    }
    ICOPEN open{};
    open.fccType = Fourcc("vidc");
    open.fccHandler = Fourcc("junk");
    open.dwFlags = 0xFFFFFFFF;
    open.dwError = 55;
    const LRESULT id = Send(0, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&open));
    ASSERT_NE(0, id);
    EXPECT_EQ(ICERR_OK, open.dwError);
    EXPECT_EQ(1, CodecStub().liveAllocations);
    const CodecInstance* instance = reinterpret_cast<const CodecInstance*>(id);
    EXPECT_EQ(0u, instance->inputFourcc);
    EXPECT_EQ(0u, instance->tileLayout);
    EXPECT_EQ(0u, instance->converterKind);
    EXPECT_EQ(1, Send(static_cast<DWORD_PTR>(id), DRV_CLOSE));
    EXPECT_EQ(0, CodecStub().liveAllocations);
}

TEST(DriverOpen, OutOfMemoryFailsTheOpenWithIcerrMemory) {
    CodecStub() = CodecStubState{};
    CodecStub().failingAllocations = 1;
    ICOPEN open{};
    open.fccType = Fourcc("vidc");
    EXPECT_EQ(0, Send(0, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&open)));
    EXPECT_EQ(ICERR_MEMORY, open.dwError);
}

using DriverInfo = OpenCodec;

TEST_F(DriverInfo, GetInfoAnswersTheSizeFillsAWholeRecordAndLeavesAShortOneAlone) {
    EXPECT_EQ(568, Send(ICM_GETINFO, nullptr, reinterpret_cast<void*>(568)));
    ICINFO info;
    std::memset(&info, 0xAB, sizeof info);
    ICINFO untouched = info;
    EXPECT_EQ(0, DriverProc(id_, nullptr, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), 567));
    EXPECT_EQ(0, DriverProc(id_, nullptr, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), -1));
    EXPECT_EQ(0, std::memcmp(&info, &untouched, sizeof info));
    EXPECT_EQ(568, DriverProc(id_, nullptr, ICM_GETINFO, reinterpret_cast<LPARAM>(&info), 568));
    EXPECT_EQ(568u, info.dwSize);
    EXPECT_EQ(Fourcc("vidc"), info.fccType);
    EXPECT_EQ(Fourcc("ZKVC"), info.fccHandler);
    EXPECT_EQ(0u, info.dwFlags);
    EXPECT_EQ(0x00010000u, info.dwVersion);
    EXPECT_EQ(0x0104u, info.dwVersionICM);
    EXPECT_EQ(std::u16string(u"ZKV-RGB"), std::u16string(reinterpret_cast<const char16_t*>(info.szName)));
    EXPECT_EQ(std::u16string(u"ZKV Codec"),
              std::u16string(reinterpret_cast<const char16_t*>(info.szDescription)));
    EXPECT_EQ(0, std::memcmp(info.szDriver, untouched.szDriver, sizeof info.szDriver));
    // The bytes after the description's terminator are the caller's.
    EXPECT_EQ(0xABABu, static_cast<unsigned>(info.szDescription[10]));
}

TEST_F(DriverInfo, AboutShowsOneBoxOnlyWhenAskedToAndConfigureShowsNothing) {
    CodecStub() = CodecStubState{};
    EXPECT_EQ(ICERR_OK, DriverProc(id_, nullptr, ICM_ABOUT, -1, 0));
    EXPECT_EQ(0, CodecStub().aboutBoxes);
    EXPECT_EQ(ICERR_OK, DriverProc(id_, nullptr, ICM_ABOUT, 0x4242, 0));
    EXPECT_EQ(1, CodecStub().aboutBoxes);
    EXPECT_EQ(reinterpret_cast<HWND>(0x4242), CodecStub().lastAboutOwner);
    EXPECT_EQ(ICERR_UNSUPPORTED, DriverProc(id_, nullptr, ICM_CONFIGURE, -1, 0));
    EXPECT_EQ(1, DriverProc(id_, nullptr, ICM_CONFIGURE, 0x4242, 0));
    EXPECT_EQ(1, CodecStub().aboutBoxes);
}

TEST_F(DriverInfo, DefaultQualityIs7500) {
    EXPECT_EQ(ICERR_UNSUPPORTED, Send(ICM_GETDEFAULTQUALITY, nullptr, nullptr));
    DWORD quality = 0;
    EXPECT_EQ(ICERR_OK, Send(ICM_GETDEFAULTQUALITY, &quality, nullptr));
    EXPECT_EQ(7500u, quality);
}

}  // namespace
