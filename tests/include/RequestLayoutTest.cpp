// The request records are a wire format: the static_asserts in the header fix
// the layout at compile time on every architecture; these checks see the
// records the way the driver does, as raw bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "ZKVRequests.h"

TEST(RequestLayout, FieldsLandAtTheirWireOffsets) {
    Format7Request request;
    std::memset(&request, 0, sizeof request);
    request.left = 8;
    request.mode = 2;
    request.pixelFormat = ZKV_PIXEL_RAW8;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&request);
    std::uint32_t at28, at44, at56;
    std::memcpy(&at28, bytes + 28, 4);
    std::memcpy(&at44, bytes + 44, 4);
    std::memcpy(&at56, bytes + 56, 4);
    EXPECT_EQ(8u, at28);
    EXPECT_EQ(2u, at44);
    EXPECT_EQ(0x200u, at56);
}
