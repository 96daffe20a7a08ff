// An instance opened through DriverProc the way the compression manager opens
// one, closed again at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include "driver/CodecInstance.h"
#include "driver/DriverProc.h"
#include "negotiation/FourccTable.h"

class OpenCodec : public ::testing::Test {
protected:
    void SetUp() override {
        ICOPEN open{};
        open.dwSize = sizeof open;
        open.fccType = kFourccVideoCompressor;
        open.fccHandler = kFourccCodecHandler;
        id_ = static_cast<DWORD_PTR>(DriverProc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&open)));
        ASSERT_NE(0u, id_);
    }
    void TearDown() override { DriverProc(id_, nullptr, DRV_CLOSE, 0, 0); }

    LRESULT Send(UINT message, const void* lParam1, const void* lParam2) {
        return DriverProc(id_, nullptr, message, reinterpret_cast<LPARAM>(lParam1),
                          reinterpret_cast<LPARAM>(lParam2));
    }
    LRESULT Query(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
        return Send(ICM_DECOMPRESS_QUERY, in, out);
    }
    LRESULT Begin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) {
        return Send(ICM_DECOMPRESS_BEGIN, in, out);
    }
    LRESULT Decompress(const BITMAPINFOHEADER* in, const void* inBits, const BITMAPINFOHEADER* out,
                       void* outBits) {
        ICDECOMPRESS request{};
        request.lpbiInput = const_cast<BITMAPINFOHEADER*>(in);
        request.lpInput = const_cast<void*>(inBits);
        request.lpbiOutput = const_cast<BITMAPINFOHEADER*>(out);
        request.lpOutput = outBits;
        return DriverProc(id_, nullptr, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request);
    }
    const CodecInstance& Instance() const { return *reinterpret_cast<const CodecInstance*>(id_); }

    DWORD_PTR id_ = 0;
};
