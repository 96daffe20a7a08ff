// Request records of the vendor kernel-streaming property set that carries
// IZKVInterface to the camera driver. A wire format shared with the driver:
// every field is a 32-bit little-endian unsigned integer, and the layout is
// the same for 32-bit and 64-bit processes. Platform-neutral on purpose: the
// camera model and its tests use it without windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

// Property ids within the set.
enum ZKVPropertyId : std::uint32_t {
    ZKV_PROPERTY_REGISTER = 0,
    ZKV_PROPERTY_FORMAT7 = 1,
    ZKV_PROPERTY_BUFFER_COUNT = 2,
};

// Format 7 pixel-format codes, as carried in Format7Request.pixelFormat and,
// as a bit set, in Format7Request.supportedPixelFormats.
enum ZKVPixelFormatCode : std::uint32_t {
    ZKV_PIXEL_MONO8 = 0x001,
    ZKV_PIXEL_YUV411 = 0x002,
    ZKV_PIXEL_YUV422 = 0x004,
    ZKV_PIXEL_YUV444 = 0x008,
    ZKV_PIXEL_MONO16 = 0x020,
    ZKV_PIXEL_RAW8 = 0x200,
};

// The first 24 bytes of every record have the size of the kernel-streaming
// property header (set GUID, property id, flags). The interface handler never
// writes them; set and id travel as separate IKsPropertySet arguments.
constexpr std::size_t ZKV_PROPERTY_HEADER_SIZE = 24;

struct RegisterRequest {
    std::uint8_t propertyHeader[ZKV_PROPERTY_HEADER_SIZE];
    std::uint32_t reserved0;
    std::uint32_t address;  // byte offset into the IIDC register space
    std::uint32_t value;    // the register's 32-bit content
    std::uint32_t reserved1;
};

struct Format7Request {
    std::uint8_t propertyHeader[ZKV_PROPERTY_HEADER_SIZE];
    std::uint32_t reserved0;
    std::uint32_t left;   // image position x, in pixels
    std::uint32_t top;    // image position y, in pixels
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t mode;   // Format 7 mode number
    std::uint32_t speed;  // percent of the full transfer speed
    std::uint32_t reserved1;
    std::uint32_t pixelFormat;            // one ZKVPixelFormatCode
    std::uint32_t modeAvailable;          // 1 when the camera offers the mode
    std::uint32_t horizontalUnit;         // left must be a multiple of it
    std::uint32_t verticalUnit;           // top must be a multiple of it
    std::uint32_t maxWidth;
    std::uint32_t maxHeight;
    std::uint32_t supportedPixelFormats;  // bit set of ZKVPixelFormatCode
    std::uint32_t reserved2;
};

struct BufferCountRequest {
    std::uint8_t propertyHeader[ZKV_PROPERTY_HEADER_SIZE];
    std::uint32_t reserved0;
    std::uint32_t count;  // number of frame buffers; never 0 when set
};

static_assert(sizeof(RegisterRequest) == 40, "RegisterRequest is 40 bytes");
static_assert(offsetof(RegisterRequest, address) == 28, "register address at 28");
static_assert(offsetof(RegisterRequest, value) == 32, "register value at 32");

static_assert(sizeof(Format7Request) == 88, "Format7Request is 88 bytes");
static_assert(offsetof(Format7Request, left) == 28, "left at 28");
static_assert(offsetof(Format7Request, top) == 32, "top at 32");
static_assert(offsetof(Format7Request, width) == 36, "width at 36");
static_assert(offsetof(Format7Request, height) == 40, "height at 40");
static_assert(offsetof(Format7Request, mode) == 44, "mode at 44");
static_assert(offsetof(Format7Request, speed) == 48, "speed at 48");
static_assert(offsetof(Format7Request, pixelFormat) == 56, "pixel format at 56");
static_assert(offsetof(Format7Request, modeAvailable) == 60, "mode available at 60");
static_assert(offsetof(Format7Request, horizontalUnit) == 64, "horizontal unit at 64");
static_assert(offsetof(Format7Request, verticalUnit) == 68, "vertical unit at 68");
static_assert(offsetof(Format7Request, maxWidth) == 72, "maximum width at 72");
static_assert(offsetof(Format7Request, maxHeight) == 76, "maximum height at 76");
static_assert(offsetof(Format7Request, supportedPixelFormats) == 80, "supported formats at 80");

static_assert(sizeof(BufferCountRequest) == 32, "BufferCountRequest is 32 bytes");
static_assert(offsetof(BufferCountRequest, count) == 28, "buffer count at 28");
